#include "engine/r33_file.hpp"

#include <gtest/gtest.h>

#include <string>

#include "engine/cross_sections.hpp"
#include "io/text_file.hpp"

namespace dodavev {
namespace {

// The header layout of an IBANDL excitation function (key order and spelling as the
// library writes them), typed by hand; the numbers are this test's own.
std::string IbandlFile(const std::string& units, const std::string& rows,
                       const std::string& extraHeader = "") {
  return "COMMENT: Elastic scattering of protons from carbon, test data\r\n"
         "  typed for this test; the comment runs on to the blank line.\r\n"
         "\r\n"
         "Source: Exp\r\n"
         "Name: Test Laboratory\r\n"
         "Address1: Nowhere 1\r\n"
         "Serial Number: 0\r\n"
         "Reaction: 12C(p,p)12C\r\n"
         "Distribution: Energy\r\n"
         "Composition: \r\n"
         "Masses: 1.000, 12.000, 1.000, 12.000\r\n"
         "Zeds: 1, 6, 1, 6\r\n"
         "Qvalue: 0.000, 0.000, 0.000, 0.000, 0.000\r\n"
         "Theta: 170.0\r\n" +
         extraHeader + "Units: " + units +
         "\r\n"
         "Data:\r\n" +
         rows + "EndData:\r\n";
}

constexpr const char* kRows =
    "  1000.0  0.0   250.0  5.0\r\n"
    "  1500.0  0.0   400.0  8.0\r\n"
    "  2000.0  0.0   320.0  6.4\r\n";

TEST(R33File, PublishedLayoutGivesItsTablePoints) {
  const std::string text = IbandlFile("mb", kRows,
                                      "Sigfactors: 1.00, 0.00\r\n"
                                      "Enfactors: 1.00, 0.00, 0.00, 1.00\r\n");
  ASSERT_TRUE(LooksLikeR33(text));
  CrossSectionDataSet set;
  std::string problem;
  ASSERT_EQ(ParseCrossSectionText(text, set, problem), 0) << problem;
  set.key.angle = 170.0;
  const CrossSectionList list{set};
  // At the rows' own energies the lookup (no channel width) gives the rows' values.
  EXPECT_DOUBLE_EQ(LookUpCrossSection(list, set.key, 1000.0, 0.0), 250.0);
  EXPECT_DOUBLE_EQ(LookUpCrossSection(list, set.key, 1500.0, 0.0), 400.0);
  EXPECT_DOUBLE_EQ(LookUpCrossSection(list, set.key, 2000.0, 0.0), 320.0);
  // Halfway between two rows: linear, (250 + 400) / 2.
  EXPECT_DOUBLE_EQ(LookUpCrossSection(list, set.key, 1250.0, 0.0), 325.0);

  const R33Read header = ParseR33Header(text);
  ASSERT_TRUE(header.ok) << header.error;
  EXPECT_EQ(header.header.reaction, "12C(p,p)12C");
  EXPECT_EQ(header.header.thetaText, "170.0");
  EXPECT_DOUBLE_EQ(header.header.masses[1], 12.0);
  EXPECT_DOUBLE_EQ(header.header.zeds[1], 6.0);
  EXPECT_EQ(header.header.level, 0);
}

struct UnitCase {
  const char* units;
  const char* factors;
  double firstEnergy;  // keV
  double firstSigma;   // mbarn/sr
};

class R33Units : public ::testing::TestWithParam<UnitCase> {};

TEST_P(R33Units, ConvertToKeVAndMbarnPerSr) {
  const UnitCase& c = GetParam();
  const R33Read read = ParseR33Text(IbandlFile(c.units, kRows, c.factors));
  ASSERT_TRUE(read.ok) << read.error;
  ASSERT_EQ(read.energy.size(), 3U);
  EXPECT_DOUBLE_EQ(read.energy[0], c.firstEnergy);
  EXPECT_DOUBLE_EQ(read.sigma[0], c.firstSigma);
}

// The first row is 1000.0 keV and 250.0 in the file's unit.
INSTANTIATE_TEST_SUITE_P(
    All, R33Units,
    ::testing::Values(UnitCase{"mb/sr", "", 1000.0, 250.0}, UnitCase{"mb", "", 1000.0, 250.0},
                      UnitCase{"b/sr", "", 1000.0, 250000.0}, UnitCase{"b", "", 1000.0, 250000.0},
                      UnitCase{"MB/SR", "", 1000.0, 250.0},
                      // Energies in MeV scaled by 1000 would be far above the 1e6 keV of a
                      // credible table; a factor of 2 shows the multiplication.
                      UnitCase{"mb", "Enfactors: 2.0, 0.0, 0.0, 1.0\r\n", 2000.0, 250.0},
                      UnitCase{"mb", "Sigfactors: 0.5, 0.0\r\n", 1000.0, 125.0}));

TEST(R33File, RatioToRutherfordUsesTheFilesReaction) {
  // 4He on 28Si at 165 deg, 2 MeV: laboratory Rutherford 0.2526128283 b/sr, derived
  // through the centre-of-mass frame (see the Rutherford tests of the cross sections).
  const std::string text =
      "Comment: ratio to Rutherford\r\n"
      "\r\n"
      "Reaction: 28Si(a,a)28Si\r\n"
      "Distribution: Energy\r\n"
      "Masses: 4.0, 28.0, 4.0, 28.0\r\n"
      "Zeds: 2, 14, 2, 14\r\n"
      "Theta: 165\r\n"
      "Units: rr\r\n"
      "Data:\r\n"
      "1990 0 1.0 0\r\n"
      "2000 0 2.5 0\r\n"
      "EndData:\r\n";
  const R33Read read = ParseR33Text(text);
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_NEAR(read.sigma[1], 2.5 * 252.6128282578716, 1e-6);  // mbarn/sr
}

TEST(R33File, LevelOfTheEmittedParticle) {
  const R33Read read = ParseR33Header("Comment: x\n\nReaction: 27Al(p,p1)27Al\nData:\n");
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.header.level, 1);
}

TEST(R33File, OldThreeHeaderTablesAreNotR33) {
  EXPECT_FALSE(LooksLikeR33("12C(p,p)12C\r\ntheta 170\r\nE sigma\r\n1000 250\r\n2000 320\r\n"));
  // A first line that happens to read "Comment:" without any data block stays old.
  EXPECT_FALSE(LooksLikeR33("Comment: mine\r\nline two\r\nline three\r\n1000 250\r\n"));
  EXPECT_FALSE(LooksLikeR33(""));
}

struct BadCase {
  const char* name;
  std::string text;
  const char* says;  // part of the message, with its line where there is one
};

class R33BadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(R33BadInput, RefusedWithTheLineAndNothingLoaded) {
  const BadCase& c = GetParam();
  ASSERT_TRUE(LooksLikeR33(c.text));
  CrossSectionDataSet set;
  std::string problem;
  EXPECT_EQ(ParseCrossSectionText(c.text, set, problem), kInvalidNumericFormat);
  EXPECT_NE(problem.find(c.says), std::string::npos) << problem;
  EXPECT_TRUE(set.energy.empty());
  EXPECT_TRUE(set.sigma.empty());
  EXPECT_TRUE(set.integral.empty());
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  s.replace(s.find(from), from.size(), to);
  return s;
}

// In IbandlFile the units are line 15 and "Data:" line 16 (no extra header lines); the
// rows follow from line 17.
INSTANTIATE_TEST_SUITE_P(
    All, R33BadInput,
    ::testing::Values(
        BadCase{"SeveralBlocks", IbandlFile("mb", kRows) + "Data:\r\n3000 0 1 0\r\nEndData:\r\n",
                "a second data block; one block per file is read in line 21"},
        BadCase{"NoEndData", Replace(IbandlFile("mb", kRows), "EndData:\r\n", ""),
                "no \"EndData:\" (the file may be cut short) in line 16"},
        BadCase{"CutShortInARow",
                IbandlFile("mb", kRows).substr(0, IbandlFile("mb", kRows).size() - 25),
                "no E, dE, sigma, dsigma in line 19"},
        BadCase{"AngularDistribution",
                Replace(IbandlFile("mb", kRows), "Distribution: Energy", "Distribution: Angle"),
                "an angular distribution; only excitation functions (Distribution: Energy) are "
                "read in line 9"},
        BadCase{"CentreOfMassAngle",
                Replace(IbandlFile("mb", kRows), "Theta: 170.0", "Theta: 170.0 cm"),
                "centre-of-mass angle; only laboratory data are read in line 14"},
        BadCase{
            "CentreOfMassDistribution",
            Replace(IbandlFile("mb", kRows), "Distribution: Energy", "Distribution: Energy (c.m.)"),
            "centre-of-mass data; only laboratory data are read in line 9"},
        BadCase{"UnknownUnits", IbandlFile("tot", kRows), "unknown units \"tot\""},
        BadCase{"EnergyOffset", IbandlFile("mb", kRows, "Enfactors: 1.00, 5.00, 0.00, 1.00\r\n"),
                "\"enfactors\" with an offset is not read (only a first factor)"},
        BadCase{"UnknownKey", IbandlFile("mb", kRows, "Detector: silicon\r\n"),
                "unknown key \"Detector\" in line 15"},
        BadCase{"OutOfOrder", IbandlFile("mb", "1000 0 1 0\r\n900 0 1 0\r\n"),
                "energy below the one before in line 18"},
        BadCase{"Repeated", IbandlFile("mb", "1000 0 1 0\r\n1000 0 2 0\r\n"),
                "energy repeated in line 18"},
        BadCase{"ThreeColumns", IbandlFile("mb", "1000 0 1\r\n"),
                "no E, dE, sigma, dsigma in line 17"},
        BadCase{"NegativeSigma", IbandlFile("mb", "1000 0 -1 0\r\n2000 0 1 0\r\n"),
                "negative cross section in line 17"},
        BadCase{"OnePoint", IbandlFile("mb", "1000 0 1 0\r\n"), "fewer than two points"},
        BadCase{"RatioForAReaction",
                "Comment: x\n\nReaction: 12C(d,p)13C\nMasses: 2, 12, 1, 13\nZeds: 1, 6, 1, 6\n"
                "Theta: 150\nUnits: rr\nData:\n1000 0 1 0\n2000 0 1 0\nEndData:\n",
                "neither scattering nor a recoil in line 8"},
        BadCase{"RatioWithoutTheReaction",
                "Comment: x\n\nTheta: 150\nUnits: rr\nData:\n1000 0 1 0\n2000 0 1 0\nEndData:\n",
                "need \"Zeds\", \"Masses\" and \"Theta\" before the data in line 5"},
        BadCase{"CommentNeverEnds", "Comment: x\nData:\n1000 0 1 0\n2000 0 1 0\nEndData:\n",
                "no \"Data:\" line (a comment ends at the first blank line)"},
        BadCase{"FewerThanNvalues", "Comment: x\n\nNvalues: 3\n1000 0 1 0\n2000 0 1 0\n",
                "fewer rows than \"Nvalues\" announces in line 3"}),
    [](const ::testing::TestParamInfo<BadCase>& p) { return std::string(p.param.name); });

TEST(R33File, NvaluesEndsTheBlockWithoutEndData) {
  const R33Read read = ParseR33Text("Comment: x\n\nNvalues: 2\n1000 0 1 0\n2000 0 3 0\n");
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.energy.size(), 2U);
  EXPECT_DOUBLE_EQ(read.sigma[1], 3.0);
}

}  // namespace
}  // namespace dodavev
