// Changes of single numbers in a layer-structure text ("A=" thickness lines and
// "symbol,amount" element lines), leaving every other line exactly as it was typed, so
// that a fitted thickness or amount can be written back into the text the user edits.
#pragma once

#include <string>
#include <string_view>

namespace dodavev {

// Number of sections of a layer text: the "A=" sections before the first "S=" line, plus
// one for the substrate when there is an "S=" line. Counted as the parser counts them.
int LayerTextSections(std::string_view text);

// Whether section `layer` (from 1) is the substrate ("S=").
bool LayerTextIsSubstrate(std::string_view text, int layer);

// Replaces the thickness of section `layer` (from 1, an "A=" section) by `angstrom`.
// False, with `text` unchanged, when there is no such "A=" section.
bool SetLayerTextThickness(std::string& text, int layer, double angstrom);

// Replaces the amount of the first element line of section `layer` whose symbol is
// `symbol` (one or two letters, any case; a mass number or "#" in the line does not
// matter). False, with `text` unchanged, when the section has no such line.
bool SetLayerTextAmount(std::string& text, int layer, std::string_view symbol, double amount);

}  // namespace dodavev
