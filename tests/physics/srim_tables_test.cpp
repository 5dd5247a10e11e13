#include "physics/srim_tables.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/session.hpp"
#include "app/stopping_sources.hpp"
#include "model/messages.hpp"
#include "physics/stopping.hpp"
#include "physics/zbl_test_elements.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using testing::TestElements;

// A table text: header line, then `rows` rows; row k (1-based) has the energy 100 k keV and
// the value Z k for element Z (columns Z = 1..92).
std::string TableText(int rows, const std::string& header = "Energy  H He Li ...") {
  std::string text = header + "\r\n";
  for (int k = 1; k <= rows; ++k) {
    text += std::to_string(100 * k);
    for (int z = 1; z <= 92; ++z)
      text += " " + std::to_string(z * k) + ".0";
    text += "\r\n";
  }
  return text;
}

class SrimFiles : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& content) {
    testing::WriteFile(dir_ / name, content);
    return (dir_ / name).string();
  }

  testing::TempDir tempDir_;
  const std::filesystem::path& dir_ = tempDir_.path();
  ElementTable elements = TestElements();
  CollectingSink sink;
};

// Mass number and symbol, then the path after four blanks or from its drive letter.
TEST(SrimEntry, MassNumberSymbolAndPathOfEachLayout) {
  struct Case {
    const char* entry;
    int massNumber;
    const char* symbol;
    const char* path;
    const char* target;  // SR module tables name the target element too
  };
  const Case cases[] = {{"4HE    C:\\srim\\he in all.dat", 4, "HE", "C:\\srim\\he in all.dat", ""},
                        {"1H     /data/h.dat", 1, "H ", "/data/h.dat", ""},
                        {"12C     /data/c 12.dat", 12, "C ", "/data/c 12.dat", ""},
                        // A path that itself holds a ":\" (a Linux file name may) stays whole.
                        {"4HE    /s:\\:8", 4, "HE", "/s:\\:8", ""},
                        // Without the four blanks the drive letter still locates the path.
                        {"4HE-..-C:\\srim\\he.dat", 4, "HE", "C:\\srim\\he.dat", ""},
                        {"4HE in SI    /data/he in si.txt", 4, "HE", "/data/he in si.txt", "SI"},
                        {"1H  in SI    C:\\srim\\h.txt", 1, "H ", "C:\\srim\\h.txt", "SI"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    const auto e = ParseSrimEntry(c.entry);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->massNumber, c.massNumber);
    EXPECT_EQ(e->symbol, c.symbol);
    EXPECT_EQ(e->path, c.path);
    EXPECT_EQ(e->targetSymbol, c.target);
  }
}

TEST(SrimEntry, UnreadableMassNumberAndMissingLayout) {
  const auto bad = ParseSrimEntry("x4HE    /data/he.dat");
  ASSERT_TRUE(bad);
  EXPECT_FALSE(bad->massNumber);
  EXPECT_EQ(bad->symbol, "HE");
  EXPECT_FALSE(ParseSrimEntry("4HE /data/he.dat"));
  EXPECT_FALSE(ParseSrimEntry(""));
  EXPECT_FALSE(ParseSrimEntry("4HE    "));  // no path
}

TEST(SrimRows, RowsMaySpanLinesAndTheRestOfARowLineIsSkipped) {
  std::string text = "E header\n100";
  for (int z = 1; z <= 92; ++z)
    text += (z % 10 == 0 ? "\n" : " ") + std::to_string(z);
  text += " trailing words\n200";
  for (int z = 1; z <= 92; ++z)
    text += " " + std::to_string(2 * z);
  text += "\n";
  const SrimFileRows rows = ReadSrimRows(text);
  EXPECT_TRUE(rows.beginsWithE);
  ASSERT_EQ(rows.rows.size(), 2U);
  EXPECT_EQ(rows.rows[0][0], 100.0);
  EXPECT_EQ(rows.rows[0][92], 92.0);
  EXPECT_EQ(rows.rows[1][14], 28.0);
  EXPECT_FALSE(rows.partialRow);
}

TEST(SrimRows, FileNotStartingWithEIsNotRead) {
  const SrimFileRows rows = ReadSrimRows(" E" + TableText(3).substr(1));
  EXPECT_FALSE(rows.beginsWithE);
  EXPECT_TRUE(rows.rows.empty());
  EXPECT_FALSE(ReadSrimRows("").beginsWithE);
}

TEST(SrimRows, IncompleteLastRowIsDroppedAndFooterTextEndsTheData) {
  const SrimFileRows partial = ReadSrimRows(TableText(3) + "400 1 2 3\r\n");
  EXPECT_EQ(partial.rows.size(), 3U);
  EXPECT_TRUE(partial.partialRow);
  const SrimFileRows footer = ReadSrimRows(TableText(3) + "---- end of table ----\r\n");
  EXPECT_EQ(footer.rows.size(), 3U);
  EXPECT_FALSE(footer.partialRow);
  EXPECT_TRUE(footer.badNumber);
}

TEST(SrimRows, MoreThan601RowsAreCut) {
  const SrimFileRows rows = ReadSrimRows(TableText(603));
  EXPECT_EQ(rows.rows.size(), 601U);
  EXPECT_TRUE(rows.truncated);
  EXPECT_EQ(rows.rows.back()[0], 60100.0);
  const SrimFileRows exact = ReadSrimRows(TableText(601));
  EXPECT_EQ(exact.rows.size(), 601U);
  EXPECT_FALSE(exact.truncated);
}

TEST_F(SrimFiles, LoadsOneTablePerElementInListOrder) {
  const std::string he = Write("he.dat", TableText(3));
  const std::string h = Write("h.dat", TableText(4));
  SrimTableSet set;
  LoadSrimTables({{"4HE    " + he, true}, {"1H     " + h, false}, {"1H     " + h, true}}, elements,
                 set, sink);
  EXPECT_TRUE(sink.messages.empty());
  ASSERT_EQ(set.byTarget[14].size(), 2U);
  const SrimTable* t = set.Find(14, 2);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->ionMassNumber, 4);
  EXPECT_EQ(t->eMin, 100.0);
  EXPECT_EQ(t->eMax, 300.0);
  EXPECT_EQ(t->eStep, 100.0);
  EXPECT_EQ(t->count, 3);
  EXPECT_EQ(t->values[2], 42.0);  // Z = 14, row 3
  ASSERT_NE(set.Find(14, 1), nullptr);
  EXPECT_EQ(set.Find(14, 1)->count, 4);
  EXPECT_EQ(set.Find(14, 3), nullptr);
  // Loading again starts from empty lists.
  LoadSrimTables({}, elements, set, sink);
  EXPECT_TRUE(set.empty());
}

// Linear interpolation by hand in the Si column (14, 28, 42 at 100, 200, 300 keV) for a
// 4He ion: with m1 = 4.002602 (the natural mass) 250 keV lies halfway, 35.0; with m1 = 4 the
// energy scales to 250 * 4.002602 / 4 = 250.16263 keV: 28 + 14 * 0.5016263 = 35.02277.
TEST_F(SrimFiles, InterpolationByHand) {
  const std::string he = Write("he.dat", TableText(3));
  SrimTableSet set;
  LoadSrimTables({{"4HE    " + he, true}}, elements, set, sink);
  const SrimTable& t = *set.Find(14, 2);
  EXPECT_NEAR(SrimTableStopping(t, 14, 2, 4.002602, 250.0, elements), 35.0, 1e-12);
  EXPECT_NEAR(SrimTableStopping(t, 14, 2, 4.0, 250.0, elements), 35.02277, 1e-5);
  EXPECT_EQ(SrimTableStopping(t, 14, 2, 4.002602, 300.0, elements), 42.0);
  EXPECT_EQ(SrimTableStopping(t, 14, 2, 4.002602, 100.0, elements), 14.0);
  EXPECT_DOUBLE_EQ(SrimTableStopping(t, 14, 2, 4.002602, 301.0, elements),
                   ElectronicStoppingZbl(14, 2, 4.002602, 301.0, elements));
}

// A table that does not start at an energy equal to its step (0, 100, 200 keV) is still
// interpolated between its own rows: at 150 keV in Si, 28 + 14 * 0.5 = 35.
TEST_F(SrimFiles, TableStartingAtZeroInterpolatesBetweenItsRows) {
  std::string text = "E\n";
  for (int k = 0; k < 3; ++k) {
    text += std::to_string(100 * k);
    for (int z = 1; z <= 92; ++z)
      text += " " + std::to_string(z * (k + 1));
    text += "\n";
  }
  SrimTableSet set;
  LoadSrimTables({{"4HE    " + Write("he0.dat", text), true}}, elements, set, sink);
  ASSERT_NE(set.Find(14, 2), nullptr);
  EXPECT_NEAR(SrimTableStopping(*set.Find(14, 2), 14, 2, 4.002602, 150.0, elements), 35.0, 1e-12);
}

TEST_F(SrimFiles, FileNotStartingWithEStopsTheLoading) {
  const std::string good = Write("good.dat", TableText(3));
  const std::string badLowercase = Write("bad2.dat", "e" + TableText(3).substr(1));
  SrimTableSet set;
  LoadSrimTables(
      {{"1H     " + good, true}, {"4HE    " + badLowercase, true}, {"4HE    " + good, true}},
      elements, set, sink);
  EXPECT_NE(set.Find(14, 1), nullptr);
  EXPECT_EQ(set.Find(14, 2), nullptr);  // the entry after the bad file is not loaded
  ASSERT_EQ(sink.messages.size(), 1U);
  EXPECT_NE(sink.messages[0].find("bad2.dat"), std::string::npos);
}

TEST_F(SrimFiles, UnreadableMassNumberLoadsAndWarnsOnce) {
  const std::string he = Write("he.dat", TableText(3));
  SrimTableSet set;
  LoadSrimTables({{"x4HE    " + he, true}, {"4.5H     " + he, true}, {"no layout", true}}, elements,
                 set, sink);
  EXPECT_NE(set.Find(14, 2), nullptr);
  EXPECT_NE(set.Find(14, 1), nullptr);
  ASSERT_EQ(sink.messages.size(), 1U);
  EXPECT_EQ(sink.messages[0], "SRIM table is not readable");
}

TEST_F(SrimFiles, ProblemsWithSingleFilesAreReported) {
  SrimTableSet set;
  const std::string big = Write("big.dat", TableText(602));
  const std::string oneRow = Write("one.dat", TableText(1));
  std::string descending = TableText(3);
  descending.replace(descending.find("\r\n200") + 2, 3, "050");
  const std::string down = Write("down.dat", descending);
  LoadSrimTables({{"4HE    " + (dir_ / "missing.dat").string(), true},
                  {"4HE    " + big, true},
                  {"1H     " + oneRow, true},
                  {"1H     " + down, true},
                  {"4XX    " + big, true}},
                 elements, set, sink);
  // The unknown ion is reported when its symbol is looked up; its file is still read.
  ASSERT_EQ(sink.messages.size(), 6U);
  EXPECT_EQ(sink.messages[0], "#2 " + (dir_ / "missing.dat").string());
  EXPECT_NE(sink.messages[1].find("more than 601 rows"), std::string::npos);
  EXPECT_NE(sink.messages[2].find("at least two rows"), std::string::npos);
  EXPECT_NE(sink.messages[3].find("do not increase"), std::string::npos);
  EXPECT_EQ(sink.messages[4], "missing stopping power : XX");
  EXPECT_NE(sink.messages[5].find("more than 601 rows"), std::string::npos);
  ASSERT_NE(set.Find(14, 2), nullptr);
  EXPECT_EQ(set.Find(14, 2)->count, 601);
  EXPECT_EQ(set.Find(14, 1), nullptr);
}

// A pipe would block the opening forever; a directory is no table either.
TEST_F(SrimFiles, PipesAndDirectoriesAreRefusedUnopened) {
  const auto fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  SrimTableSet set;
  LoadSrimTables({{"4HE    " + fifo.string(), true}, {"4HE    " + dir_.string(), true}}, elements,
                 set, sink);
  ASSERT_EQ(sink.messages.size(), 2U);
  EXPECT_EQ(sink.messages[0], "#22 " + fifo.string());  // EINVAL
  EXPECT_EQ(sink.messages[1], "#21 " + dir_.string());  // EISDIR
  EXPECT_TRUE(set.empty());
}

// The same file named many times for one ion is read once; beyond 200 distinct files the
// loading stops with a message.
TEST_F(SrimFiles, RepeatedFilesLoadOnceAndTheNumberOfFilesIsBounded) {
  const std::string he = Write("he.dat", TableText(3));
  SrimTableSet set;
  std::vector<RegistryEntry> list(3000, RegistryEntry{"4HE    " + he, true});
  LoadSrimTables(list, elements, set, sink);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(set.byTarget[14].size(), 1U);

  list.clear();
  for (int i = 0; i < 201; ++i)
    list.push_back({"4HE    " + Write("t" + std::to_string(i) + ".dat", TableText(2)), true});
  LoadSrimTables(list, elements, set, sink);
  ASSERT_EQ(sink.messages.size(), 1U);
  EXPECT_EQ(sink.messages[0], "too many SRIM tables; only the first 200 files are loaded");
  EXPECT_EQ(set.byTarget[14].size(), 200U);
}

TEST_F(SrimFiles, OkStepLoadsOnlyWhenZbl2003IsChosen) {
  const std::string he = Write("he.dat", TableText(3));
  Session session(sink);
  session.elements = elements;
  session.params.registry.CheckListBox1.push_back({"4HE    " + he, true});
  ApplyStoppingTableChoice(session);
  EXPECT_TRUE(session.srimTables.empty());
  SelectRadio(session.params.RadioButton_ZBL2003, session.params.RadioButton_ZBL92);
  ApplyStoppingTableChoice(session);
  EXPECT_NE(session.srimTables.Find(14, 2), nullptr);
}

}  // namespace
}  // namespace dodavev
