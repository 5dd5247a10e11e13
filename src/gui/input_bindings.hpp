// Which control shows which input: every text and switch of the parameter set has a
// control of the same object name ("Edit1_e0", "CheckMS", "RadioButton_ZBL2003"). The
// window copies the inputs into its controls and back by these names and nothing else.
#pragma once

#include <span>
#include <string>

#include "model/parameter_set.hpp"

class QWidget;

namespace dodavev {

struct TextBinding {
  const char* name;
  std::string ParameterInputs::*field;
};

struct SwitchBinding {
  const char* name;
  bool ParameterInputs::*field;
};

// Line edits, multi-line texts, combo boxes and the labels the core writes.
std::span<const TextBinding> TextBindings();
// Check boxes and radio buttons.
std::span<const SwitchBinding> SwitchBindings();

// Puts the inputs into the controls found under `root` by name (signals blocked, so that
// no handler runs). Names without a control are left alone.
void ShowInputsInControls(const ParameterInputs& inputs, QWidget* root);
// Reads the controls found under `root` back into the inputs.
void ReadInputsFromControls(const QWidget* root, ParameterInputs& inputs);

}  // namespace dodavev
