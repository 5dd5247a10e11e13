// What the cross-section selector says when tabulated data are chosen but a table gives no
// value: the fallback of the rules (Rutherford, the NRA constant) with the file, its range
// and the side, once per file and side.
#include <gtest/gtest.h>

#include <numbers>
#include <string>
#include <vector>

#include "engine/cross_sections.hpp"
#include "physics/data_range_notes.hpp"
#include "physics/zbl_test_elements.hpp"

namespace dodavev {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

CrossSectionDataSet Table(const CrossSectionKey& key, const std::string& points, const char* file) {
  CrossSectionDataSet set;
  std::string problem;
  EXPECT_EQ(ParseCrossSectionText("header\nheader\nheader\n" + points, set, problem), 0) << problem;
  set.key = key;
  set.file = file;
  return set;
}

class CrossSectionNotes : public ::testing::Test {
 protected:
  // 15N(p,alpha)12C at 165 degrees from a resonance table of 500 to 800 keV.
  CrossSectionNotes() {
    nra.kind = ReactionKind::kNra;
    nra.z1 = 1;
    nra.m1 = 1.0;
    nra.z2 = 2;
    nra.m2 = 4.0;
    nra.targetZ = 7;
    nra.targetMass = 15.0;
    nra.theta = 165.0 * kDeg;
    choices.nraFromFiles = true;
    data.nra.push_back(Table({1, 1.0, 7, 15.0, 2, 4.0, 165.0, 0},
                             "500 20\n600 300\n700 40\n800 10\n", "res/15N(p,a).txt"));
  }
  double At(const CrossSectionRequest& r, double eKeV) {
    return CrossSectionAt(r, choices, data, eKeV / 1000.0, &notes);
  }
  ElementTable elements = testing::TestElements();
  DataRangeNotes notes{&elements};
  CrossSectionRequest nra;
  CrossSectionChoices choices;
  CrossSectionData data;
};

TEST_F(CrossSectionNotes, ResonanceTableBelowAndAboveItsRangeTakesTheConstantAndSaysSo) {
  // The rule: 100 mbarn/sr outside the table, 0.1 barn/sr.
  for (double e : {480.0, 300.0, 100.0, 1.0})
    EXPECT_DOUBLE_EQ(At(nra, e), 0.1) << e;
  EXPECT_DOUBLE_EQ(At(nra, 600.0), 0.3);  // the table at one of its points, 300 mbarn/sr
  for (double e : {900.0, 801.0})
    EXPECT_DOUBLE_EQ(At(nra, e), 0.1) << e;
  ASSERT_EQ(notes.texts().size(), 2u);
  EXPECT_EQ(notes.texts()[0],
            "cross section file res/15N(p,a).txt covers 500 to 800 keV; below 500 keV the "
            "constant 100 mbarn/sr was used");
  EXPECT_EQ(notes.texts()[1],
            "cross section file res/15N(p,a).txt covers 500 to 800 keV; above 800 keV the "
            "constant 100 mbarn/sr was used");
}

TEST_F(CrossSectionNotes, AConstantOfZeroGivesNoReactionOutsideTheTable) {
  choices.nraConstant = 0.0;
  EXPECT_EQ(At(nra, 400.0), 0.0);
  ASSERT_EQ(notes.texts().size(), 1u);
  EXPECT_EQ(notes.texts()[0],
            "cross section file res/15N(p,a).txt covers 500 to 800 keV; below 500 keV the "
            "constant 0 mbarn/sr (no reaction outside the table) was used");
}

TEST_F(CrossSectionNotes, InsideTheRangeNothingIsSaid) {
  for (double e = 500.0; e <= 800.0; e += 2.5)
    At(nra, e);
  IntervalCrossSection(nra, choices, data, 550.0, 750.0, &notes);
  EXPECT_TRUE(notes.empty());
  // Without notes the fallback is the same and nothing is kept.
  EXPECT_DOUBLE_EQ(CrossSectionAt(nra, choices, data, 0.2), 0.1);
}

TEST_F(CrossSectionNotes, AZeroInsideTheTableIsSaidAsSuch) {
  data.nra.push_back(
      Table({1, 1.0, 7, 15.0, 2, 4.0, 165.0, 0}, "400 0\n450 0\n500 50\n", "gap.txt"));
  EXPECT_DOUBLE_EQ(At(nra, 420.0), 0.1);
  ASSERT_EQ(notes.texts().size(), 1u);
  EXPECT_EQ(notes.texts()[0],
            "cross section file gap.txt gives 0 mbarn/sr at some energies of its range 400 to "
            "500 keV; there the constant 100 mbarn/sr was used");
}

TEST_F(CrossSectionNotes, AReactionNoFileHoldsIsSaidOncePerReaction) {
  CrossSectionRequest other = nra;
  other.targetZ = 6;
  other.targetMass = 13.0;
  At(other, 600.0);
  At(other, 700.0);
  other.level = 1;
  At(other, 700.0);
  ASSERT_EQ(notes.texts().size(), 2u);
  EXPECT_EQ(notes.texts()[0],
            "no cross section file for 1H on 13C (emitted 4He) at 165 deg, level 0; the constant "
            "100 mbarn/sr was used");
  EXPECT_EQ(notes.texts()[1],
            "no cross section file for 1H on 13C (emitted 4He) at 165 deg, level 1; the constant "
            "100 mbarn/sr was used");
}

// Elastic scattering and recoils fall back to Rutherford.
TEST_F(CrossSectionNotes, ElasticAndRecoilTablesFallBackToRutherford) {
  CrossSectionRequest rbs;
  rbs.kind = ReactionKind::kRbs;
  rbs.z1 = 2;
  rbs.m1 = 4.0;
  rbs.z2 = 2;
  rbs.m2 = 4.0;
  rbs.targetZ = 6;
  rbs.targetMass = 12.0;
  rbs.theta = 170.0 * kDeg;
  choices.elasticFromFiles = true;
  data.elastic.push_back(
      Table({2, 4.0, 6, 12.0, 2, 4.0, 170.0, 0}, "1000 0.5\n3000 0.9\n", "C12aa.r"));
  const double rutherford = RutherfordCrossSection(ReactionKind::kRbs, 2, 6, 12.0, 4.0, 0.8,
                                                   170.0 * kDeg, Screening::kNone);
  EXPECT_DOUBLE_EQ(At(rbs, 800.0), rutherford);
  rbs.targetZ = 14;
  rbs.targetMass = 28.0;
  At(rbs, 2000.0);

  CrossSectionRequest erd;
  erd.kind = ReactionKind::kErd;
  erd.z1 = 2;
  erd.m1 = 4.0;
  erd.z2 = 1;
  erd.m2 = 1.0;
  erd.targetZ = 1;
  erd.targetMass = 1.0;
  erd.theta = 30.0 * kDeg;
  choices.erdFromFiles = true;  // the proton box shows its prompt: the files decide
  data.erd.push_back(Table({2, 4.0, 1, 1.0, 1, 1.0, 30.0, 0}, "1000 300\n2500 700\n", "H.erd"));
  At(erd, 3000.0);

  ASSERT_EQ(notes.texts().size(), 3u);
  EXPECT_EQ(notes.texts()[0],
            "cross section file C12aa.r covers 1000 to 3000 keV; below 1000 keV the Rutherford "
            "cross section was used");
  EXPECT_EQ(notes.texts()[1],
            "no cross section file for 4He on 28Si (emitted 4He) at 170 deg, level 0; the "
            "Rutherford cross section was used");
  EXPECT_EQ(notes.texts()[2],
            "cross section file H.erd covers 1000 to 2500 keV; above 2500 keV the Rutherford "
            "cross section was used");
}

}  // namespace
}  // namespace dodavev
