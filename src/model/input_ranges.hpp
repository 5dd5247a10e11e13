// Physical ranges of the numeric inputs: one table that "OK" checks and the window shows
// in its tooltips. Fields are named as in ParameterValues (the control name without
// "Edit1_"), values are in the units the user types (keV, micron, degrees, mm, K, ...).
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace dodavev {

struct InputRange {
  const char* field;    // "e0", "th", ... (control name without "Edit1_")
  const char* meaning;  // "incident energy"
  const char* unit;     // "keV"; empty for a pure number
  double min;           // smallest accepted value
  double max;           // largest accepted value
};

// Every numeric input that has a physical range, in the order of the parameter pages.
std::span<const InputRange> InputRanges();

// The range of one field, or nullptr when the field has none in the table.
const InputRange* FindInputRange(std::string_view field);

// "incident energy (keV), 1 to 1e+06": the text of a tooltip and of a refusal.
std::string DescribeInputRange(const InputRange& range);

}  // namespace dodavev
