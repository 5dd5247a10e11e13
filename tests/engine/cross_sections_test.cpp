#include "engine/cross_sections.hpp"
#include "app/calculation_setup.hpp"
#include "app/calculations.hpp"
#include "app/cross_section_actions.hpp"
#include "app/run_inputs_of.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <numbers>
#include <string>

#include "app/session.hpp"
#include "engine/registry_entries.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

// --- Rutherford -------------------------------------------------------------------------

TEST(CrossSectionRutherford, HeliumOnSiliconInTheLaboratoryFrame) {
  // 2 MeV 4He on 28Si at 165 deg. Computed independently through the centre-of-mass
  // frame: E_cm = 2*28/32 MeV, theta_cm from the lab angle by bisection,
  // sigma_cm = 0.020735 (2*14/(4 E_cm))^2 / sin^4(theta_cm/2), times the solid-angle
  // Jacobian (1 + 2g cos + g^2)^1.5 / |1 + g cos|, g = 4/28: 0.2526128283 b/sr (1e-9).
  const double lab = RutherfordCrossSection(ReactionKind::kRbs, 2, 14, 28.0, 4.0, 2.0, 165.0 * kDeg,
                                            Screening::kNone);
  EXPECT_NEAR(lab, 0.2526128282578716, 1e-9);
  // Without the laboratory correction (infinitely heavy target) the classical
  // 0.020735 (28/8)^2 / sin^4(82.5 deg) = 0.2628850347 b/sr; the recoil of a silicon
  // nucleus lowers the lab value by about 4 %.
  const double heavy = RutherfordCrossSection(ReactionKind::kRbs, 2, 14, 1e9, 4.0, 2.0,
                                              165.0 * kDeg, Screening::kNone);
  EXPECT_NEAR(heavy, 0.26288503471662866, 1e-8);
}

TEST(CrossSectionRutherford, ExactlyBackwardsStaysFinite) {
  // At 180 deg the CM route gives 0.2437420408 b/sr (theta_cm = 180 deg, Jacobian
  // (1 - g)^2 / (1 - g) ... evaluated numerically); the lab formula must not cancel to 0.
  const double back = RutherfordCrossSection(ReactionKind::kRbs, 2, 14, 28.0, 4.0, 2.0,
                                             180.0 * kDeg, Screening::kNone);
  EXPECT_NEAR(back, 0.24374204081632656, 1e-9);
}

TEST(CrossSectionRutherford, RecoilOfProtonsByHelium) {
  // 2.5 MeV 4He, protons recoiling at 30 deg: CM angle 180 - 2*30 deg, E_cm = 2.5/5 MeV,
  // sigma = sigma_cm * 4 cos 30 = 0.1276944835 b/sr (1e-10); the recoil formula
  // 0.020735 (2*1*5)^2 / ((2*1*2.5*cos30)^2 cos30) gives the same by hand.
  const double s = RutherfordCrossSection(ReactionKind::kErd, 2, 1, 1.0, 4.0, 2.5, 30.0 * kDeg,
                                          Screening::kNone);
  EXPECT_NEAR(s, 0.12769448353756682, 1e-10);
  EXPECT_EQ(RutherfordCrossSection(ReactionKind::kErd, 2, 1, 1.0, 4.0, 2.5, 100.0 * kDeg,
                                   Screening::kNone),
            0.0);
}

TEST(CrossSectionRutherford, ImpossibleGeometriesAndKindsGiveZero) {
  // 12C ions cannot come back from helium; forward scattering of 4He beyond 14.5 deg on H.
  EXPECT_EQ(RutherfordCrossSection(ReactionKind::kRbs, 6, 2, 4.0, 12.0, 5.0, 165.0 * kDeg,
                                   Screening::kNone),
            0.0);
  EXPECT_EQ(RutherfordCrossSection(ReactionKind::kForwardScattering, 2, 1, 1.0, 4.0, 2.0,
                                   20.0 * kDeg, Screening::kNone),
            0.0);
  EXPECT_EQ(RutherfordCrossSection(ReactionKind::kForwardScattering, 2, 14, 28.0, 4.0, 2.0, 0.0,
                                   Screening::kNone),
            0.0);
  EXPECT_EQ(RutherfordCrossSection(ReactionKind::kNra, 2, 14, 28.0, 4.0, 2.0, 165.0 * kDeg,
                                   Screening::kNone),
            0.0);
  EXPECT_EQ(RutherfordCrossSection(ReactionKind::kRbs, 2, 14, 28.0, 4.0, 0.0, 165.0 * kDeg,
                                   Screening::kNone),
            0.0);
}

TEST(CrossSectionScreening, LEcuerFactorForHeliumOnGold) {
  // E_cm = 1000 keV * 197/201 = 980.0995 keV; 79^(4/3) = 338.97639;
  // F = 1 - 0.049*2*338.97639/980.0995 = 0.9661058 (by hand, 1e-7).
  EXPECT_NEAR(ScreeningFactor(Screening::kLEcuer, 2, 79, 197.0, 4.0, 1.0), 0.9661058, 1e-7);
  EXPECT_EQ(ScreeningFactor(Screening::kNone, 2, 79, 197.0, 4.0, 1.0), 1.0);
  // The screened Rutherford value is the plain one times F.
  const double plain = RutherfordCrossSection(ReactionKind::kRbs, 2, 79, 197.0, 4.0, 1.0,
                                              165.0 * kDeg, Screening::kNone);
  const double screened = RutherfordCrossSection(ReactionKind::kRbs, 2, 79, 197.0, 4.0, 1.0,
                                                 165.0 * kDeg, Screening::kLEcuer);
  EXPECT_NEAR(screened / plain, 0.9661058, 1e-7);
  // Far below the energies the correction is meant for it must not turn negative.
  EXPECT_EQ(ScreeningFactor(Screening::kLEcuer, 2, 79, 197.0, 4.0, 0.01), 0.0);
}

TEST(CrossSectionScreening, OnlyTheLEcuerItemScreens) {
  EXPECT_EQ(ScreeningFromText("L'Ecuer screening"), Screening::kLEcuer);
  EXPECT_EQ(ScreeningFromText("no screening"), Screening::kNone);
  EXPECT_EQ(ScreeningFromText("Screening"), Screening::kNone);
  EXPECT_EQ(ScreeningFromText("L'Ecuer"), Screening::kNone);
}

// --- Helium recoil fits -----------------------------------------------------------------

TEST(CrossSectionHeErdFits, PublishedFitsAtOnePointEach) {
  // Merovan at 2.5 MeV and 30 deg: (89.1*6.25 - 0.119*900 - 455.7*2.5 + 10.2*30
  // - 1.38*30*2.5 + 693)/1000 = 0.206025 b/sr (by hand).
  EXPECT_NEAR(MerovanProton(2.5, 30.0), 0.206025, 1e-12);
  // Quillet deuterons at the 2128 keV resonance, 30 deg: a = 1284, b = 945, c = -0.47,
  // d = 1.08e-4; (1.17e6/1284 + 945 - 0.47*2128 + 1.08e-4*2128^2)/1000 = 1.34512 b/sr.
  EXPECT_NEAR(QuilletDeuteron(2.128, 30.0), 1.3451204, 1e-6);
  // Quillet protons at 1 MeV and 30 deg: numerator -1.65e10 + 1.59e10 + 8.1e9 = 7.5e9,
  // denominator 7050^2 + 4.0e6 = 53702500; 0.5 + 139.6583/1000 = 0.6396583 b/sr.
  EXPECT_NEAR(QuilletProton(1.0, 30.0, 0.5), 0.6396583, 1e-7);
  EXPECT_GT(QuilletProton(8.05, 30.0, 0.5), 0.5);
  EXPECT_EQ(HeErdFitFromText("He ERD for proton"), HeErdFit::kPrompt);
  EXPECT_EQ(HeErdFitFromText("Benenson"), HeErdFit::kBenenson);
}

// --- Selector ---------------------------------------------------------------------------

CrossSectionRequest ProtonRecoil() {
  CrossSectionRequest r;
  r.kind = ReactionKind::kErd;
  r.z1 = 2;
  r.m1 = 4.0;
  r.z2 = 1;
  r.m2 = 1.0;
  r.targetZ = 1;
  r.targetMass = 1.0;
  r.theta = 30.0 * kDeg;
  r.windowKeV = 5.0;
  return r;
}

TEST(CrossSectionSelector, HeliumRecoilFitsAreChosenByTheBoxes) {
  const CrossSectionData none;
  const CrossSectionRequest r = ProtonRecoil();
  CrossSectionChoices c;
  const double rutherford = 0.12769448353756682;                    // see RecoilOfProtonsByHelium
  EXPECT_NEAR(CrossSectionAt(r, c, none, 2.5), rutherford, 1e-10);  // ERD Rutherford chosen
  c.erdFromFiles = true;
  c.protonFit = HeErdFit::kMerovan;
  EXPECT_NEAR(CrossSectionAt(r, c, none, 2.5), 0.206025, 1e-12);
  c.protonFit = HeErdFit::kPrompt;  // no fit and no file: Rutherford
  EXPECT_NEAR(CrossSectionAt(r, c, none, 2.5), rutherford, 1e-10);
  // Deuterons follow their own box.
  CrossSectionRequest d = r;
  d.m2 = 2.0;
  d.targetMass = 2.0;
  c.deuteronFit = HeErdFit::kQuillet;
  EXPECT_NEAR(CrossSectionAt(d, c, none, 2.128), 1.3451204, 1e-6);
}

TEST(CrossSectionSelector, DeuteronBoxOnlyKnowsRutherfordAndQuillet) {
  ParameterSet p;
  p.ComboBox_HEERD_d = "Benenson";
  EXPECT_EQ(ChoicesFromParameters(p).deuteronFit, HeErdFit::kPrompt);
  p.ComboBox_HEERD_d = "Quillet";
  EXPECT_EQ(ChoicesFromParameters(p).deuteronFit, HeErdFit::kQuillet);
}

TEST(CrossSectionSelector, NuclearReactionConstantAndNothingWithoutEnergyOrUsableKind) {
  CrossSectionRequest r;
  r.kind = ReactionKind::kNra;
  CrossSectionChoices c;  // "Constant", 100 mbarn/sr
  const CrossSectionData none;
  EXPECT_DOUBLE_EQ(CrossSectionAt(r, c, none, 1.0), 0.1);
  EXPECT_EQ(CrossSectionAt(r, c, none, 2e-10), 0.0);
  EXPECT_EQ(CrossSectionAt(r, c, none, -1.0), 0.0);
  c.nraFromFiles = true;  // no file matches: the constant again
  EXPECT_DOUBLE_EQ(CrossSectionAt(r, c, none, 1.0), 0.1);
  r.kind = ReactionKind::kNotUsable;
  EXPECT_EQ(CrossSectionAt(r, CrossSectionChoices{}, none, 1.0), 0.0);
}

TEST(CrossSectionSelector, IntervalIsOneTrapezoidInEitherOrder) {
  CrossSectionRequest r;
  r.kind = ReactionKind::kNra;
  const CrossSectionChoices c;
  const CrossSectionData none;
  // 10 keV at 0.1 b/sr: 1.0 b/sr keV.
  EXPECT_DOUBLE_EQ(IntervalCrossSection(r, c, none, 1000.0, 1010.0), 1.0);
  EXPECT_DOUBLE_EQ(IntervalCrossSection(r, c, none, 1010.0, 1000.0), 1.0);
  // Rutherford 4He on 28Si at 165 deg between 2000 and 2010 keV, by hand from
  // sigma ~ 1/E^2: 10 * (0.252612828 + 0.252612828 * (2/2.01)^2) / 2.
  r.kind = ReactionKind::kRbs;
  r.z1 = 2;
  r.m1 = 4.0;
  r.targetZ = 14;
  r.targetMass = 28.0;
  r.theta = 165.0 * kDeg;
  const double s0 = 0.2526128282578716;
  EXPECT_NEAR(IntervalCrossSection(r, c, none, 2000.0, 2010.0),
              10.0 * (s0 + s0 * (2.0 / 2.01) * (2.0 / 2.01)) / 2.0, 1e-9);
}

// --- Tabulated data ---------------------------------------------------------------------

CrossSectionDataSet Table(const char* text) {
  CrossSectionDataSet set;
  std::string problem;
  EXPECT_EQ(ParseCrossSectionText(text, set, problem), 0) << problem;
  return set;
}

constexpr const char* kThreePoints =
    "header one\r\nheader two\r\nheader three\r\n1000 100\r\n2000 200\r\n3000 200\r\n";

TEST(CrossSectionTable, RunningIntegralAndChannelMeans) {
  CrossSectionDataSet set = Table(kThreePoints);
  set.key = {2, 4.0, 6, 12.0, 2, 4.0, 165.0, 0};
  ASSERT_EQ(set.pointCount(), 3);
  // Trapezoids: 1000 keV * 150 = 150000, then 1000 keV * 200 = 200000.
  EXPECT_DOUBLE_EQ(set.integral[1], 150000.0);
  EXPECT_DOUBLE_EQ(set.integral[2], 350000.0);
  EXPECT_EQ(set.lowestEnergy, 1000.0);
  EXPECT_EQ(set.highestEnergy, 3000.0);
  const CrossSectionList list{set};
  const CrossSectionKey key = set.key;
  // [1450, 1550]: (82500 - 67500) / 100 = 150 mbarn/sr.
  EXPECT_DOUBLE_EQ(LookUpCrossSection(list, key, 1500.0, 100.0), 150.0);
  // [1900, 2100] across a table point: (170000 - 135000) / 200 = 175.
  EXPECT_DOUBLE_EQ(LookUpCrossSection(list, key, 2000.0, 200.0), 175.0);
  // A channel reaching beyond the first point counts only its part inside the table:
  // [1000, 1050] gives 7500 / 50 = 150.
  EXPECT_DOUBLE_EQ(LookUpCrossSection(list, key, 1000.0, 100.0), 150.0);
  // No window: the value interpolated at the energy.
  EXPECT_DOUBLE_EQ(LookUpCrossSection(list, key, 1250.0, 0.0), 125.0);
  // Outside the table.
  EXPECT_EQ(LookUpCrossSection(list, key, 999.0, 5.0), 0.0);
  EXPECT_EQ(LookUpCrossSection(list, key, 3000.5, 5.0), 0.0);
}

TEST(CrossSectionTable, OnlyTheVeryReactionAndAngleMatch) {
  CrossSectionDataSet set = Table(kThreePoints);
  set.key = {2, 4.0, 6, 12.0, 2, 4.0, 165.0, 0};
  const CrossSectionList list{set};
  CrossSectionKey want = set.key;
  want.angle = 165.005;  // within 0.01 degrees
  EXPECT_GT(LookUpCrossSection(list, want, 1500.0, 5.0), 0.0);
  want.angle = 165.02;
  EXPECT_EQ(LookUpCrossSection(list, want, 1500.0, 5.0), 0.0);
  want = set.key;
  want.targetMass = 13.0;  // 13C is another target
  EXPECT_EQ(LookUpCrossSection(list, want, 1500.0, 5.0), 0.0);
  // Real isotope masses find the table of their mass number: 4He 4.002602, 12C 12.
  want = set.key;
  want.incidentMass = 4.002602;
  want.productMass = 4.002602;
  EXPECT_GT(LookUpCrossSection(list, want, 1500.0, 5.0), 0.0);
  want.targetMass = 12.6;  // nearer to 13
  EXPECT_EQ(LookUpCrossSection(list, want, 1500.0, 5.0), 0.0);
  want = set.key;
  want.level = 1;
  EXPECT_EQ(LookUpCrossSection(list, want, 1500.0, 5.0), 0.0);
}

TEST(CrossSectionTable, TheLastMatchingSetDecides) {
  CrossSectionDataSet first = Table(kThreePoints);
  first.key = {2, 4.0, 6, 12.0, 2, 4.0, 165.0, 0};
  CrossSectionDataSet second =
      Table("h\nh\nh\n1000 300\n1200 300\n");  // same reaction, a narrower table
  second.key = first.key;
  const CrossSectionList list{first, second};
  EXPECT_DOUBLE_EQ(LookUpCrossSection(list, first.key, 1100.0, 10.0), 300.0);
  EXPECT_EQ(LookUpCrossSection(list, first.key, 2500.0, 10.0), 0.0);
}

TEST(CrossSectionTable, LenientLayout) {
  // LF line ends, tabs, blank lines, leading blanks and a third column.
  const CrossSectionDataSet set = Table("a\nb\nc\n\n  500\t10  x\n\n600 20\n   \n");
  ASSERT_EQ(set.pointCount(), 2);
  EXPECT_DOUBLE_EQ(set.integral[1], 1500.0);
}

TEST(CrossSectionTable, MalformedFilesAreRefusedWithTheReason) {
  struct Case {
    const char* text;
    const char* reason;
  };
  const Case cases[] = {
      {"h\nh\nh\n1000 100\n2000 1,5\n", "no energy and cross section in line 5"},
      {"h\nh\nh\n1000 100\n2000\n", "no energy and cross section in line 5"},
      {"h\nh\nh\n1000 100\n900 100\n", "energy not above the one before in line 5"},
      {"h\nh\nh\n1000 100\n1000 100\n", "energy not above the one before in line 5"},
      {"h\nh\nh\n1000 -1\n2000 100\n", "negative cross section in line 4"},
      {"h\nh\nh\n-5 1\n2000 100\n", "energy outside 0 to 1e6 keV in line 4"},
      {"h\nh\nh\n0 0\n5555e300 5555e300\n", "energy outside 0 to 1e6 keV in line 5"},
      {"h\nh\nh\n1000 1\n2000 2e15\n", "cross section above 1e15 mbarn/sr in line 5"},
      {"h\nh\nh\n1000 100\n", "fewer than two points"},
      {"only\ntwo lines", "fewer than two points"},
      {"", "fewer than two points"},
  };
  for (const Case& c : cases) {
    CrossSectionDataSet set;
    std::string problem;
    EXPECT_NE(ParseCrossSectionText(c.text, set, problem), 0) << c.text;
    EXPECT_EQ(problem, c.reason) << c.text;
  }
}

TEST(CrossSectionTable, MissingFileReportsItsCode) {
  CrossSectionDataSet set;
  std::string problem;
  EXPECT_EQ(ReadCrossSectionFile("/nonexistent/dodavev/xs.dat", set, problem), 2);
  EXPECT_EQ(problem, "#2");
}

TEST(CrossSectionTable, FoldersAndPipesAreRefusedUnread) {
  testing::TempDir dir;
  CrossSectionDataSet set;
  std::string problem;
  EXPECT_EQ(ReadCrossSectionFile(dir.path(), set, problem), EISDIR);
  EXPECT_EQ(problem, "#" + std::to_string(EISDIR));
  // A named pipe nobody writes to would block a reader for ever.
  const std::filesystem::path fifo = dir / "xs.dat";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadCrossSectionFile(fifo, set, problem), EINVAL);
  EXPECT_EQ(problem, "#" + std::to_string(EINVAL));
}

// --- Loading from the registry ----------------------------------------------------------

class CrossSectionLoading : public ::testing::Test {
 protected:
  CrossSectionLoading() : session(sink) {
    session.elements[2].symbol = {'H', 'E'};
    session.elements[6].symbol = {'C', ' '};
    file = dir / "c12_165.dat";
    testing::WriteFile(file, kThreePoints);
    ImportNumbers n;
    n.z = 2;
    n.m = 4;
    n.zt = 6;
    n.mt = 12;
    elasticEntry =
        RegistryEntryText(RegistryList::kElastic, n, "165", file.string(), session.elements);
  }
  CollectingSink sink;
  Session session;
  testing::TempDir dir;
  std::filesystem::path file;
  std::string elasticEntry;
};

TEST_F(CrossSectionLoading, CheckedEntriesOfTheChosenListsAreRead) {
  ParameterSet& p = session.params;
  p.registry.CheckListBox_ESS = {{elasticEntry, true}, {elasticEntry, false}};
  SelectRadio(p.RadioButton_ESS_NonRutherford, p.RadioButton_ESS_Rutherford);
  LoadCrossSectionFiles(session);
  EXPECT_TRUE(sink.messages.empty());
  ASSERT_EQ(session.crossSections.elastic.size(), 1U);  // the unchecked one is left out
  const CrossSectionKey& k = session.crossSections.elastic[0].key;
  EXPECT_EQ(k.incidentZ, 2);
  EXPECT_EQ(k.targetZ, 6);
  EXPECT_DOUBLE_EQ(k.targetMass, 12.0);
  EXPECT_DOUBLE_EQ(k.angle, 165.0);

  // The default reaction (4He on 12C at 165 deg) now uses the table inside its range
  // and Rutherford outside. Inside one table interval the running integral is linear, so
  // a channel (7.03 keV) at 1250 keV has the interval's trapezoid mean (100 + 200) / 2.
  session.reaction.kind = ReactionKind::kRbs;
  p.target = "C ";
  const CrossSectionRequest r = CrossSectionRequestOf(RunInputsOf(session), 165.0 * kDeg);
  const CrossSectionChoices c = ChoicesFromParameters(p);
  EXPECT_NEAR(CrossSectionAt(r, c, session.crossSections, 1.25), 0.150, 1e-9);
  EXPECT_NEAR(CrossSectionAt(r, c, session.crossSections, 4.0),
              RutherfordCrossSection(ReactionKind::kRbs, 2, 6, 12.0, 4.0, 4.0, 165.0 * kDeg,
                                     Screening::kNone),
              1e-12);

  // Choosing Rutherford again: the next "OK" releases the data.
  SelectRadio(p.RadioButton_ESS_Rutherford, p.RadioButton_ESS_NonRutherford);
  LoadCrossSectionFiles(session);
  EXPECT_TRUE(session.crossSections.elastic.empty());
}

TEST_F(CrossSectionLoading, RecoilAndReactionListsLoadOnTheirOwnChoice) {
  ParameterSet& p = session.params;
  p.registry.CheckListBox_ERD = {{elasticEntry, true}};
  p.registry.CheckListBox_NRA = {{elasticEntry, true}};
  SelectRadio(p.RadioButton_ERD_NonRutherford, p.RadioButton_ERD_Rutherford);
  LoadCrossSectionFiles(session);
  EXPECT_EQ(session.crossSections.erd.size(), 1U);
  EXPECT_TRUE(session.crossSections.nra.empty());
  SelectRadio(p.RadioButton_NRA_Files, p.RadioButton_NRAConstans);
  LoadCrossSectionFiles(session);
  EXPECT_EQ(session.crossSections.erd.size(), 1U);  // not doubled by the second "OK"
  EXPECT_EQ(session.crossSections.nra.size(), 1U);
}

TEST_F(CrossSectionLoading, UnusableEntriesAndFilesAreReportedAndSkipped) {
  ParameterSet& p = session.params;
  const std::string missing =
      elasticEntry.substr(0, elasticEntry.find(";    ")) + ";    " + (dir / "missing.dat").string();
  p.registry.CheckListBox_ESS = {
      {"Theta=abc; 12C (4HE,4HE)12C ; level=0;    " + file.string(), true},
      {missing, true},
      {elasticEntry, true}};
  SelectRadio(p.RadioButton_ESS_NonRutherford, p.RadioButton_ESS_Rutherford);
  LoadCrossSectionFiles(session);
  ASSERT_EQ(sink.messages.size(), 2U);
  EXPECT_EQ(sink.messages[0],
            "cross section entry is not well defined: " + p.registry.CheckListBox_ESS[0].text);
  EXPECT_EQ(sink.messages[1],
            "problem with cross section file " + (dir / "missing.dat").string() + " #2");
  EXPECT_EQ(session.crossSections.elastic.size(), 1U);
}

TEST_F(CrossSectionLoading, TestListingOfTheConstantReactionCrossSection) {
  session.reaction.kind = ReactionKind::kNra;
  CrossSectionTestListing(session);
  const std::string& log = session.OutputLog;
  EXPECT_EQ(log.substr(0, 16), "3410.0   100.0\r\n");
  EXPECT_EQ(log.substr(log.size() - 16), "4900.0   100.0\r\n");
  size_t lines = 0;
  for (size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", at + 2))
    ++lines;
  EXPECT_EQ(lines, 150U);
  EXPECT_DOUBLE_EQ(session.params.th, 165.0);  // the angle stays in degrees
}

}  // namespace
}  // namespace dodavev
