// The layer-structure text of the Sample and Detection pages: sections "A=" (a layer of
// given thickness in angstrom) or "S=" (the substrate), each with an "N=" density line
// and element lines "symbol,amount".
#pragma once

#include <string_view>

#include "model/element_table.hpp"
#include "model/layer_structure.hpp"

namespace dodavev {

class MessageSink;

// Screening radius, cm, of the interaction between nuclei of atomic numbers za and zb:
// 4.684715451e-9 / sqrt(za^(2/3) + zb^(2/3)).
double ScreeningRadius(int za, int zb);

// Replaces `out` by the structure the text describes. Sections with errors are dropped
// after their message; the remaining sections are still parsed. `z1` and `z2` are the
// atomic numbers of the incident and the emitted ion (for the screening radii).
void ParseLayerStructure(std::string_view text, LayerStructure& out, const ElementTable& elements,
                         int z1, int z2, MessageSink& messages);

}  // namespace dodavev
