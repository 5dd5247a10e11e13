#include "app/input_fields.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "model/input_ranges.hpp"
#include "model/parameter_set.hpp"

namespace dodavev {
namespace {

TEST(InputFields, NamesAreUniqueAndEveryInputIsReachable) {
  std::set<std::string> names;
  // Member pointers have no order: kept in lists.
  std::vector<std::string ParameterInputs::*> texts;
  std::vector<bool ParameterInputs::*> flags;
  for (const InputField& f : InputFields()) {
    EXPECT_TRUE(names.insert(f.name).second) << f.name;
    if (std::string(f.shortName) != f.name) {
      EXPECT_TRUE(names.insert(f.shortName).second) << f.shortName;
    }
    EXPECT_NE(f.text == nullptr, f.flag == nullptr) << f.name << ": one member, text or flag";
    if (f.text != nullptr) {
      EXPECT_EQ(std::find(texts.begin(), texts.end(), f.text), texts.end()) << f.name;
      texts.push_back(f.text);
    }
    if (f.flag != nullptr) {
      EXPECT_EQ(std::find(flags.begin(), flags.end(), f.flag), flags.end()) << f.name;
      flags.push_back(f.flag);
    }
    if (f.kind == InputKind::kRadio) {
      ASSERT_NE(f.partner, nullptr) << f.name;
      // The partner is an input of the table whose partner is this one.
      bool paired = false;
      for (const InputField& g : InputFields())
        paired = paired || (g.flag == f.partner && g.partner == f.flag);
      EXPECT_TRUE(paired) << f.name;
    }
  }
  // Every numeric field with a physical range has its input here, under the range's name.
  for (const InputRange& r : InputRanges()) {
    const InputField* f = FindInputField(r.field);
    ASSERT_NE(f, nullptr) << r.field;
    EXPECT_TRUE(f->kind == InputKind::kNumber || f->kind == InputKind::kWholeNumber) << r.field;
  }
}

TEST(InputFields, FoundByControlNameAndByShortName) {
  const InputField* byControl = FindInputField("Edit1_e0");
  const InputField* byField = FindInputField("e0");
  ASSERT_NE(byControl, nullptr);
  EXPECT_EQ(byControl, byField);
  EXPECT_EQ(FindInputField("sample"), FindInputField("richedit1"));
  EXPECT_EQ(FindInputField("absorber"), FindInputField("RichEdit2"));
  // Names are exact: case and blanks count.
  EXPECT_EQ(FindInputField("E0"), nullptr);
  EXPECT_EQ(FindInputField(" e0"), nullptr);
  EXPECT_EQ(FindInputField(""), nullptr);
  EXPECT_NE(UnknownInputText("E0").find("unknown input \"E0\""), std::string::npos);
}

struct TextCase {
  const char* field;
  const char* text;
  const char* problem;  // empty: accepted
};

class InputTextCheck : public testing::TestWithParam<TextCase> {};

TEST_P(InputTextCheck, RefusesWhatOkWouldRefuse) {
  const TextCase& c = GetParam();
  const InputField* f = FindInputField(c.field);
  ASSERT_NE(f, nullptr);
  ParameterInputs in;
  const ParameterInputs before = in;
  const std::string problem = SetInputText(in, *f, c.text);
  EXPECT_EQ(problem, c.problem);
  if (problem.empty()) {
    EXPECT_EQ(in.*f->text, c.text);
  } else {
    EXPECT_EQ(in, before) << "a refused text leaves the input as it was";
  }
}

// Ranges from the physical-range table: e0 1 to 1e+06 keV, channels 1 to 16384, c3 0 to 1.
INSTANTIATE_TEST_SUITE_P(
    Texts, InputTextCheck,
    testing::Values(
        TextCase{"e0", "2000", ""}, TextCase{"e0", " 1.5E3", ""},
        TextCase{"e0", "abc", "e0 = abc is not a number"},
        TextCase{"e0", "", "e0 = \"\" is not a number"},
        TextCase{"e0", "5e7", "e0 = 5e7 is outside the range of incident energy (keV), 1 to 1e+06"},
        TextCase{"Edit1_c3", "1.01",
                 "c3 = 1.01 is outside the range of isotopic abundance, 0 to 1"},
        TextCase{"channels", "2048", ""},
        TextCase{"channels", "600.5", "channels = 600.5 is not a whole number"},
        TextCase{"channels", "0",
                 "channels = 0 is outside the range of number of channels, 1 to 16384"},
        TextCase{"screening", "L'Ecuer screening", ""},
        // The prompt shown before a choice is made stands for no choice.
        TextCase{"ComboBox1", "Screening", ""},
        TextCase{"screening", "Lecuer",
                 "screening = Lecuer is not one of the choices \"no screening\", "
                 "\"L'Ecuer screening\""},
        TextCase{"he_erd_proton", "Merovan", ""},
        TextCase{"he_erd_deuteron", "Merovan",
                 "he_erd_deuteron = Merovan is not one of the choices \"Rutherford\", "
                 "\"Quillet\""},
        TextCase{"sample", "S=\nn=5e22\nsi,1\n", ""}, TextCase{"target", "au", ""},
        TextCase{"Label_iba", "ERD", "Label_iba is written by the program and cannot be set"},
        TextCase{"CheckMS", "TRUE", "CheckMS is a switch: set it on or off"}));

TEST(InputSwitches, RadioButtonsKeepExactlyOneOfTheirPairChecked) {
  ParameterInputs in;
  const InputField& circular = *FindInputField("RadioButton1");
  EXPECT_EQ(SetInputSwitch(in, circular, true), "");
  EXPECT_TRUE(in.RadioButton1);
  EXPECT_FALSE(in.RadioButton2);
  EXPECT_EQ(SetInputSwitch(in, circular, false), "");
  EXPECT_FALSE(in.RadioButton1);
  EXPECT_TRUE(in.RadioButton2);
  EXPECT_EQ(SetInputSwitch(in, *FindInputField("RadioButton_ZBL2003"), true), "");
  EXPECT_TRUE(in.RadioButton_ZBL2003);
  EXPECT_FALSE(in.RadioButton_ZBL92);
}

TEST(InputSwitches, MasterSwitchesSetTheContributionsTheyGovern) {
  ParameterInputs in;
  EXPECT_EQ(SetInputSwitch(in, *FindInputField("CheckNothing"), true), "");
  EXPECT_FALSE(in.CheckMS);
  EXPECT_FALSE(in.CheckStraggling);
  EXPECT_FALSE(in.CheckAll);
  EXPECT_EQ(SetInputSwitch(in, *FindInputField("CheckAll"), true), "");
  EXPECT_TRUE(in.CheckMS);
  EXPECT_TRUE(in.CheckDet);
  // A plain check box changes only itself.
  EXPECT_EQ(SetInputSwitch(in, *FindInputField("CheckMS"), false), "");
  EXPECT_FALSE(in.CheckMS);
  EXPECT_TRUE(in.CheckDet);
  EXPECT_TRUE(in.CheckAll);
}

TEST(InputSwitches, ATextIsNotASwitch) {
  ParameterInputs in;
  EXPECT_EQ(SetInputSwitch(in, *FindInputField("e0"), true),
            "e0 is not a switch: set it to a text or a number");
  EXPECT_EQ(in.Edit1_e0, "3100");
}

}  // namespace
}  // namespace dodavev
