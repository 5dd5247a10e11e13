// The numeric fields "OK" cannot use, as the window marks them: texts that are not numbers
// of their kind, numbers outside their physical range, in the order of the pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ok_action.hpp"
#include "model/input_ranges.hpp"
#include "model/parameter_set.hpp"

namespace dodavev {
namespace {

std::vector<std::string> Names(const std::vector<UnreadableField>& fields) {
  std::vector<std::string> names;
  for (const UnreadableField& f : fields)
    names.push_back(f.name);
  return names;
}

struct TextCase {
  std::string ParameterInputs::*field;
  const char* name;
  const char* text;
  bool whole = false;  // a whole-number field
};

class NotANumber : public ::testing::TestWithParam<TextCase> {};

TEST_P(NotANumber, IsMarkedWithItsReason) {
  ParameterInputs in;
  in.*GetParam().field = GetParam().text;
  const std::vector<UnreadableField> bad = UnreadableFields(in);
  ASSERT_EQ(bad.size(), 1U) << GetParam().text;
  EXPECT_EQ(bad[0].name, GetParam().name);
  EXPECT_EQ(bad[0].reason, "not a number");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NotANumber,
    ::testing::Values(TextCase{&ParameterInputs::Edit1_e0, "Edit1_e0", "2O00"},   // letter O
                      TextCase{&ParameterInputs::Edit1_bes, "Edit1_bes", "1,5"},  // comma
                      TextCase{&ParameterInputs::Edit1_e0, "Edit1_e0", ""},
                      TextCase{&ParameterInputs::Edit1_e0, "Edit1_e0", "3100 "},  // trailing blank
                      TextCase{&ParameterInputs::Edit1_itlength, "Edit1_itlength", "1e17x"},
                      // Whole-number fields refuse a fraction.
                      TextCase{&ParameterInputs::Edit1_z1, "Edit1_z1", "2.5"},
                      TextCase{&ParameterInputs::Edit1_level, "Edit1_level", "1.0"},
                      TextCase{&ParameterInputs::Edit1_channels, "Edit1_channels", "600.5"}));

// The range test takes its bounds from the range table, so that it holds whatever the
// table says: the bounds themselves read, just outside them is marked with the range.
class OutsideTheRange : public ::testing::TestWithParam<TextCase> {};

TEST_P(OutsideTheRange, BoundsReadBeyondThemIsMarkedWithTheRange) {
  const TextCase& c = GetParam();
  const InputRange* range = FindInputRange(std::string(c.name).substr(6));
  if (range == nullptr) GTEST_SKIP() << c.name << " has no range";
  char text[64];
  for (double inside : {range->min, range->max}) {
    ParameterInputs in;
    std::snprintf(text, sizeof text, "%.17g", inside);
    in.*c.field = text;
    EXPECT_TRUE(UnreadableFields(in).empty()) << c.name << " = " << text;
  }
  // One below the smallest and one above the largest (the whole-number fields step by one;
  // the others by a part in a thousand of the span, well clear of rounding).
  const double margin = c.whole ? 1.0 : std::max(1.0, 1e-3 * (range->max - range->min));
  for (double outside : {range->min - margin, range->max + margin}) {
    ParameterInputs in;
    std::snprintf(text, sizeof text, "%.17g", outside);
    in.*c.field = text;
    const std::vector<UnreadableField> bad = UnreadableFields(in);
    ASSERT_EQ(bad.size(), 1U) << c.name << " = " << text;
    EXPECT_EQ(bad[0].name, c.name);
    EXPECT_EQ(bad[0].reason, "outside the range: " + DescribeInputRange(*range)) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Ranged, OutsideTheRange,
                         ::testing::Values(TextCase{&ParameterInputs::Edit1_e0, "Edit1_e0", ""},
                                           TextCase{&ParameterInputs::Edit1_a, "Edit1_a", ""},
                                           TextCase{&ParameterInputs::Edit1_th, "Edit1_th", ""},
                                           TextCase{&ParameterInputs::Edit1_channels,
                                                    "Edit1_channels", "", true}));

TEST(UnreadableFields, EveryBadFieldInTheOrderOfThePages) {
  ParameterInputs in;
  in.Edit1_itlength = "x";     // Simulation
  in.Edit1_dex2 = "x";         // Optimisation
  in.Edit1_th = "x";           // Detection
  in.Edit1_e0 = "x";           // Beam
  in.Edit1_temperature = "x";  // Sample
  EXPECT_EQ(Names(UnreadableFields(in)),
            (std::vector<std::string>{"Edit1_e0", "Edit1_temperature", "Edit1_th", "Edit1_dex2",
                                      "Edit1_itlength"}));
}

TEST(UnreadableFields, ANumberThatOverflowsIsNoNumberOfARange) {
  // 1e999 does not fit a double: either it does not read, or it reads as infinite and lies
  // outside every range. Either way the field is marked.
  ParameterInputs in;
  in.Edit1_e0 = "1e999";
  EXPECT_EQ(Names(UnreadableFields(in)), std::vector<std::string>{"Edit1_e0"});
}

}  // namespace
}  // namespace dodavev
