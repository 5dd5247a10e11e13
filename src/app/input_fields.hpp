// Every input of the parameter set by name, without a window: the texts, layer texts,
// choices, check boxes and radio buttons that a script (or any front end without
// controls) reads and sets. Inputs are named as their controls ("Edit1_e0", "richedit1",
// "CheckMS") and, shorter, as their numeric fields ("e0", "th") or as what they hold
// ("sample", "absorber").
//
// Setting an input here checks it as far as the input alone can be checked (a number
// that does not read or lies outside its physical range, a choice that is not one of
// the items); what depends on several inputs is left to "OK", as in the window.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/parameter_set.hpp"

namespace dodavev {

enum class InputKind {
  kNumber,       // decimal number text, "OK" reads it
  kWholeNumber,  // whole number text
  kText,         // free text (the target's symbol)
  kLayerText,    // sample or absorber layer text, parsed by "OK"
  kChoice,       // one of a few items (a combo box)
  kCheckBox,     // on or off
  kRadio,        // one of a pair; setting one clears the other
  kLabel,        // written by the program, read only
};

struct InputField {
  const char* name;       // control name: "Edit1_e0"
  const char* shortName;  // "e0", "sample"; the control name when it has no shorter one
  InputKind kind;
  std::string ParameterInputs::*text = nullptr;  // texts, choices, labels
  bool ParameterInputs::*flag = nullptr;         // check boxes and radio buttons
  bool ParameterInputs::*partner = nullptr;      // the other radio button of the pair
  std::span<const char* const> choices{};        // items of a choice
  const char* caption = "";                      // what the input is, for listings

  bool IsSwitch() const { return flag != nullptr; }
};

// Every input, in the order of the parameter pages.
std::span<const InputField> InputFields();

// The input named `name` (control name or short name, exactly), or nullptr.
const InputField* FindInputField(std::string_view name);

// "unknown input \"foo\"" with a hint of the names, for a name FindInputField refuses.
std::string UnknownInputText(std::string_view name);

// Why `text` cannot be the text of `field`: "e0 = abc is not a number", "e0 = 5e7 is
// outside the range of incident energy (keV), 1 to 1e+06", "ComboBox1 = x is not one of
// the choices \"no screening\", \"L'Ecuer screening\"", or that a label is written by the
// program. Empty when the text is acceptable.
std::string InputTextProblem(const InputField& field, std::string_view text);

// Sets a text, layer text or choice after the check above; returns the problem (and
// leaves the input as it was) or an empty string. A switch is not a text: that is said.
std::string SetInputText(ParameterInputs& inputs, const InputField& field, std::string text);

// Sets a check box or radio button as a click would: a radio button set on clears its
// partner and one set off checks its partner; the master switches "CheckAll" and
// "CheckNothing" set the contributions they govern. Returns the problem for an input
// that is not a switch, else an empty string.
std::string SetInputSwitch(ParameterInputs& inputs, const InputField& field, bool on);

}  // namespace dodavev
