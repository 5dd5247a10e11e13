// What the cross-section lists of one parameter file can make "OK" hold: a file named by
// several entries is held once per reaction, and the tables of one list and the points of
// all lists are bounded, with a message when loading stops.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "app/cross_section_actions.hpp"
#include "app/session.hpp"
#include "engine/cross_sections.hpp"
#include "engine/registry_entries.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using ::testing::ElementsAre;

class CrossSectionHolding : public ::testing::Test {
 protected:
  CrossSectionHolding() : session(sink) {
    session.elements[2].symbol = {'H', 'E'};
    session.elements[6].symbol = {'C', ' '};
    SelectRadio(session.params.RadioButton_ESS_NonRutherford,
                session.params.RadioButton_ESS_Rutherford);
  }
  // The elastic entry of 4He on 12C at `angle` degrees naming `file`.
  std::string Entry(const std::filesystem::path& file, const std::string& angle) {
    ImportNumbers n;
    n.z = 2;
    n.m = 4;
    n.zt = 6;
    n.mt = 12;
    return RegistryEntryText(RegistryList::kElastic, n, angle, file.string(), session.elements);
  }
  // A table of `points` energies from 1 keV in steps of 1 keV, all of cross section `sigma`.
  std::filesystem::path Table(const std::string& name, int points, int sigma) {
    std::string text = "header one\r\nheader two\r\nheader three\r\n";
    for (int k = 1; k <= points; ++k)
      text += std::to_string(k) + " " + std::to_string(sigma) + "\r\n";
    testing::WriteFile(dir / name, text);
    return dir / name;
  }
  double SigmaAt165(double eKeV) {
    return LookUpCrossSection(session.crossSections.elastic, {2, 4.0, 6, 12.0, 2, 4.0, 165.0, 0},
                              eKeV, 0.0);
  }

  CollectingSink sink;
  Session session;
  testing::TempDir dir;
};

// Three entries of one file and reaction hold one table; the last entry that names a
// reaction still decides which table a lookup finds (100 mbarn/sr, not 200).
TEST_F(CrossSectionHolding, RepeatedEntriesOfOneFileHoldOneTable) {
  const auto a = Table("a.dat", 3, 100);
  const auto b = Table("b.dat", 3, 200);
  session.params.registry.CheckListBox_ESS = {
      {Entry(a, "165"), true}, {Entry(b, "165"), true}, {Entry(a, "165"), true}};
  LoadCrossSectionFiles(session);
  EXPECT_TRUE(sink.messages.empty());
  ASSERT_EQ(session.crossSections.elastic.size(), 2U);
  EXPECT_EQ(session.crossSections.elastic.back().file, a);
  EXPECT_DOUBLE_EQ(SigmaAt165(2.0), 100.0);
  // The same file for another angle is a table of its own, with the same points.
  session.params.registry.CheckListBox_ESS.push_back({Entry(a, "150"), true});
  LoadCrossSectionFiles(session);
  ASSERT_EQ(session.crossSections.elastic.size(), 3U);
  EXPECT_EQ(session.crossSections.elastic.back().energy, session.crossSections.elastic[1].energy);
}

// A file that cannot be read is reported for every entry that names it.
TEST_F(CrossSectionHolding, AnUnreadableFileIsReportedForEachEntry) {
  const std::filesystem::path missing = dir / "missing.dat";
  session.params.registry.CheckListBox_ESS = {{Entry(missing, "165"), true},
                                              {Entry(missing, "150"), true}};
  LoadCrossSectionFiles(session);
  const std::string message = "problem with cross section file " + missing.string() + " #2";
  EXPECT_THAT(sink.messages, ElementsAre(message, message));
  EXPECT_TRUE(session.crossSections.elastic.empty());
}

// 201 reactions (angles 0.5, 1.0, ... degrees) of one list: the first 200 are held.
TEST_F(CrossSectionHolding, OneListHoldsAtMost200Tables) {
  const auto a = Table("a.dat", 2, 100);
  for (int k = 1; k <= 201; ++k) {
    session.params.registry.CheckListBox_ESS.push_back(
        {Entry(a, std::to_string(k / 2) + (k % 2 == 0 ? ".0" : ".5")), true});
  }
  LoadCrossSectionFiles(session);
  EXPECT_THAT(sink.messages,
              ElementsAre("too many cross section tables in one list; only the first 200 are "
                          "loaded"));
  EXPECT_EQ(session.crossSections.elastic.size(), 200U);
}

// Tables of 100,000 points (the most one file may hold): 40 of them are 4,000,000 points;
// the 41st, in the recoil list, is not held, nor anything after it.
TEST_F(CrossSectionHolding, AllListsTogetherHoldAtMostFourMillionPoints) {
  const auto big = Table("big.dat", kMaxCrossSectionPoints, 100);
  auto& p = session.params;
  for (int k = 0; k < 30; ++k)
    p.registry.CheckListBox_ESS.push_back({Entry(big, std::to_string(100 + k)), true});
  SelectRadio(p.RadioButton_ERD_NonRutherford, p.RadioButton_ERD_Rutherford);
  for (int k = 0; k < 12; ++k)
    p.registry.CheckListBox_ERD.push_back({Entry(big, std::to_string(10 + k)), true});
  LoadCrossSectionFiles(session);
  EXPECT_THAT(sink.messages, ElementsAre("cross section tables beyond 4000000 points in all are "
                                         "not loaded: " +
                                         big.string() + " and the entries after it"));
  EXPECT_EQ(session.crossSections.elastic.size(), 30U);
  EXPECT_EQ(session.crossSections.erd.size(), 10U);
}

}  // namespace
}  // namespace dodavev
