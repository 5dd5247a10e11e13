#include "model/input_ranges.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/identify_reaction.hpp"
#include "app/ok_action.hpp"
#include "app/parameter_actions.hpp"
#include "app/session_fixture.hpp"
#include "engine/reaction_identification.hpp"
#include "io/number_parse.hpp"

namespace dodavev {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

class InputRanges : public testing::StartedSession {};

// The ranges of the table stand on their own: every default lies inside its range, so
// the program's start-up state is never refused.
TEST_F(InputRanges, EveryDefaultLiesInsideItsRange) {
  const ParameterInputs def;
  const std::vector<UnreadableField> bad = UnreadableFields(def);
  for (const UnreadableField& f : bad)
    ADD_FAILURE() << f.name << ": " << f.reason;
  for (const InputRange& r : dodavev::InputRanges()) {
    EXPECT_LE(r.min, r.max) << r.field;
    EXPECT_EQ(FindInputRange(r.field), &r) << "one entry per field: " << r.field;
  }
}

// Every shipped example parameter file passes "OK" without a range message.
TEST_F(InputRanges, EveryExampleParameterFileLiesInsideTheRanges) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(DODAVEV_SOURCE_DIR) / "examples")) {
    if (entry.path().extension() != ".par") continue;
    ++files;
    messages().clear();
    LoadParameterFile(session(), entry.path());
    for (const UnreadableField& f : UnreadableFields(params()))
      ADD_FAILURE() << entry.path() << ": " << f.name << " " << f.reason;
    Button5Click(session());
    for (const std::string& m : messages())
      EXPECT_THAT(m, Not(HasSubstr("is outside the range"))) << entry.path();
  }
  EXPECT_GE(files, 4);
}

struct Refusal {
  std::string ParameterInputs::*member;
  const char* typed;
  const char* message;
};

class RangeRefusal : public InputRanges, public ::testing::WithParamInterface<Refusal> {};

// The reproductions of inputs that were taken without a word; each is refused with its
// field, value and range, counted as a problem, and the field reads its default while the
// typed text stays for the user to correct. The texts are written out by hand from the
// table's meaning, unit and bounds.
TEST_P(RangeRefusal, IsShownCountedAndReadAsTheDefault) {
  const Refusal& c = GetParam();
  params().*c.member = c.typed;
  Button5Click(session());
  EXPECT_THAT(messages(), Contains(std::string(c.message)));
  EXPECT_THAT(messages(), Contains(std::string("Problem with the parameters")));
  EXPECT_EQ(params().*c.member, c.typed);
}

INSTANTIATE_TEST_SUITE_P(
    TheIssuesReproductions, RangeRefusal,
    ::testing::Values(
        Refusal{&ParameterInputs::Edit1_e0, "1e308",
                "e0 = 1e308 is outside the range of incident energy (keV), 1 to 1e+06; 3100 is "
                "used instead"},
        Refusal{&ParameterInputs::Edit1_e0, "1e9",
                "e0 = 1e9 is outside the range of incident energy (keV), 1 to 1e+06; 3100 is "
                "used instead"},
        Refusal{&ParameterInputs::Edit1_a, "1e308",
                "a = 1e308 is outside the range of angle between beam and sample surface (deg), "
                "0 to 180; 80 is used instead"},
        Refusal{&ParameterInputs::Edit1_th, "1e308",
                "th = 1e308 is outside the range of scattering (detection) angle (deg), 0 to "
                "180; 165 is used instead"},
        Refusal{&ParameterInputs::Edit1_temperature, "1e308",
                "temperature = 1e308 is outside the range of sample temperature (K), 0.1 to "
                "5000; 300 is used instead"},
        Refusal{&ParameterInputs::Edit1_temperature, "0",
                "temperature = 0 is outside the range of sample temperature (K), 0.1 to 5000; "
                "300 is used instead"},
        Refusal{&ParameterInputs::Edit1_bes, " -2.6",
                "bes = -2.6 is outside the range of beam energy spread (keV), 0 to 10000; 1 is "
                "used instead"},
        Refusal{&ParameterInputs::Edit1_z1, "93",
                "z1 = 93 is outside the range of atomic number of the incident ion, 1 to 92; 2 "
                "is used instead"},
        Refusal{&ParameterInputs::Edit1_d, "0",
                "d = 0 is outside the range of detector - target distance (mm), 1 to 10000; 100 "
                "is used instead"},
        Refusal{&ParameterInputs::Edit1_detres2, "400",
                "detres2 = 400 is outside the range of detector resolution exponent a2, -4 to "
                "4; 1 is used instead"},
        Refusal{&ParameterInputs::Edit1_NRACrossConstant, "-1",
                "NRACrossConstant = -1 is outside the range of constant NRA cross section "
                "(mbarn/sr), 0 to 1e+09; 100 is used instead"}));

TEST_F(InputRanges, RefusedNumbersAreReadAsTheirDefaults) {
  params().Edit1_e0 = "1e9";
  params().Edit1_th = "-10";
  params().Edit1_bes = "-2.6";
  Button5Click(session());
  EXPECT_DOUBLE_EQ(params().e0, 3100.0);
  EXPECT_DOUBLE_EQ(params().th, 165.0);
  EXPECT_DOUBLE_EQ(params().bes, 1.0);
  // Every calculation identifies the reaction again from the typed texts: it takes the
  // default angle as well.
  IdentifyReaction(session());
  EXPECT_DOUBLE_EQ(params().th, 165.0);
  // One "Problem with the parameters" for all of them.
  EXPECT_EQ(std::count(messages().begin(), messages().end(), "Problem with the parameters"), 1);
  EXPECT_TRUE(session().parametersVisible);
}

// The bounds belong to the range; the sizes of the slit shape not chosen are not read.
TEST_F(InputRanges, BoundsAreInsideAndTheOtherShapesSizesAreNotChecked) {
  params().Edit1_e0 = "1e6";
  params().Edit1_th = "180";
  params().Edit1_a = "0";
  params().Edit1_itlength = "1e21";
  params().RadioButton1 = false;  // rectangular beam slit: the diameter is not read
  params().RadioButton2 = true;
  params().Edit1_diam = "1e308";
  Button5Click(session());
  for (const std::string& m : messages())
    EXPECT_THAT(m, Not(HasSubstr("is outside the range"))) << m;
  EXPECT_DOUBLE_EQ(params().e0, 1e6);
}

}  // namespace
}  // namespace dodavev
