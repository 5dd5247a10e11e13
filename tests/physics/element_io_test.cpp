// Element file reading, start-up tables and symbol lookup.
#include "physics/element_io.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/messages.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using testing::TempDir;
using testing::WriteFile;

// One element record in the file layout: symbol and Z with five helium coefficients, four
// more helium coefficients, eight proton coefficients with the isotope count and pairs, the
// two unused values, the mass line and the Fermi-velocity line. The numbers are arbitrary
// markers that show which field each one landed in.
std::string Record(const std::string& head, const std::string& isotopes,
                   const std::string& massLine = "7 7.5 0.25", const std::string& eol = "\r\n") {
  return head + " 1.1 1.2 1.3 1.4 1.5" + eol + "1.6 1.7 1.8 1.9" + eol +
         "2.1 2.2 2.3 2.4 2.5 2.6 2.7 2.8 " + isotopes + eol + "0.5 0.75" + eol + massLine + eol +
         "3.5 4.5" + eol;
}

TEST(ElementFileTest, RecordFieldsLandInTheirPlaces) {
  ElementTable table;
  ASSERT_EQ(ParseElementText(Record("H   1", "2 1.0078 0.9999 2.0141 0.0001"), table), 0);
  const ElementRecord& h = table[1];
  EXPECT_EQ(h.SymbolView(), "H ");
  EXPECT_DOUBLE_EQ(h.heCoeff[0], 1.1);
  EXPECT_DOUBLE_EQ(h.heCoeff[4], 1.5);
  EXPECT_DOUBLE_EQ(h.heCoeff[5], 1.6);  // A6 opens the second line
  EXPECT_DOUBLE_EQ(h.heCoeff[8], 1.9);
  EXPECT_DOUBLE_EQ(h.protonCoeff[0], 2.1);
  EXPECT_DOUBLE_EQ(h.protonCoeff[7], 2.8);
  ASSERT_EQ(h.isotopeCount, 2);
  EXPECT_DOUBLE_EQ(h.isotopeMass[0], 1.0078);
  EXPECT_FLOAT_EQ(h.isotopeAbundance[0], 0.9999F);
  EXPECT_EQ(h.isotopeMassNumber[0], 1);
  EXPECT_EQ(h.isotopeMassNumber[1], 2);
  EXPECT_FLOAT_EQ(h.unusedValue3, 0.5F);
  EXPECT_DOUBLE_EQ(h.unusedValue2, 0.75);
  EXPECT_EQ(h.defaultMassNumber, 7);
  EXPECT_DOUBLE_EQ(h.atomicMass, 7.5);
  EXPECT_DOUBLE_EQ(h.unusedValue1, 0.25);
  EXPECT_DOUBLE_EQ(h.fermiVelocity, 3.5);
  EXPECT_DOUBLE_EQ(h.chargeLambdaFactor, 4.5);
}

TEST(ElementFileTest, IsotopePairsMayBreakAcrossLinesAndLfEndsAreRead) {
  ElementTable table;
  ASSERT_EQ(
      ParseElementText(
          Record("SI 14", "3\n27.98 0.9\n28.98\n0.05 29.97 0.05", "28 28.0855 0", "\n"), table),
      0);
  ASSERT_EQ(table[14].isotopeCount, 3);
  EXPECT_EQ(table[14].isotopeMassNumber[2], 30);
  EXPECT_EQ(table[14].defaultMassNumber, 28);
  EXPECT_DOUBLE_EQ(table[14].fermiVelocity, 3.5);
}

TEST(ElementFileTest, SymbolsAreUpperCasedAndOneLetterSymbolsKeepTheirBlank) {
  ElementTable table;
  ASSERT_EQ(ParseElementText(Record("H 1", "0") + Record("si 14", "0"), table), 0);
  EXPECT_EQ(table[1].SymbolView(), "H ");
  EXPECT_EQ(table[14].SymbolView(), "SI");
  CollectingSink sink;
  EXPECT_EQ(FindElement("H ", table, sink), 1);
  EXPECT_EQ(FindElement("SI", table, sink), 14);
  EXPECT_TRUE(sink.messages.empty());
  // The one-character key differs in length from the stored "H ".
  EXPECT_EQ(FindElement("H", table, sink), 0);
  ASSERT_EQ(sink.messages.size(), 1U);
  EXPECT_EQ(sink.messages[0], "missing stopping power : H");
}

TEST(ElementFileTest, ATabOrLineEndAfterAOneLetterSymbolCountsAsTheBlank) {
  ElementTable table;
  ASSERT_EQ(ParseElementText(Record("C\t6", "0") + Record("N\n7", "0"), table), 0);
  EXPECT_EQ(table[6].SymbolView(), "C ");
  EXPECT_EQ(table[7].SymbolView(), "N ");
}

TEST(ElementFileTest, ElementsNotInTheFileStayZeroAndNeverMatch) {
  ElementTable table;
  ASSERT_EQ(ParseElementText(Record("C  6", "0"), table), 0);
  const ElementRecord& o = table[8];
  EXPECT_FALSE(o.Present());
  EXPECT_EQ(o.isotopeCount, 0);
  EXPECT_EQ(o.atomicMass, 0.0);
  EXPECT_EQ(o.heCoeff[0], 0.0);
  // The zero-filled symbol of a missing record is not a key that anything can match.
  EXPECT_EQ(LookupElement(std::string_view("\0\0", 2), table), 0);
  EXPECT_EQ(LookupElement("", table), 0);
}

TEST(ElementFileTest, IsotopeMassesRoundToTheNearestIntegerHalvesToEven) {
  ElementTable table;
  ASSERT_EQ(
      ParseElementText(Record("XA 50", "5 27.98 0.2 10.5 0.2 11.5 0.2 12.5 0.2 12.49 0.2"), table),
      0);
  const ElementRecord& r = table[50];
  EXPECT_EQ(r.isotopeMassNumber[0], 28);  // 27.98 -> 28
  EXPECT_EQ(r.isotopeMassNumber[1], 10);  // 10.5 -> the even neighbour 10
  EXPECT_EQ(r.isotopeMassNumber[2], 12);  // 11.5 -> 12
  EXPECT_EQ(r.isotopeMassNumber[3], 12);  // 12.5 -> 12
  EXPECT_EQ(r.isotopeMassNumber[4], 12);  // 12.49 -> 12
}

TEST(ElementFileTest, TenIsotopesAreRead) {
  std::string ten = "10";
  for (int a = 112; a < 122; ++a)
    ten += " " + std::to_string(a) + ".0 0.1";
  ElementTable table;
  ASSERT_EQ(ParseElementText(Record("SN 50", ten), table), 0);
  ASSERT_EQ(table[50].isotopeCount, 10);
  EXPECT_EQ(table[50].isotopeMassNumber[9], 121);
}

// A bad record after a good one stops the loading with its status: the records read before
// it are kept, the offending one is not stored.
TEST(ElementFileTest, ABadRecordStopsTheLoadingWithItsStatusAndKeepsTheEarlierOnes) {
  std::string eleven = "11";
  for (int a = 112; a < 123; ++a)
    eleven += " " + std::to_string(a) + ".0 0.1";
  std::string cut = Record("O  8", "0");
  cut.resize(cut.size() - 10);  // cut inside the mass line
  struct Case {
    std::string bad;
    int status;
    int absentZ;  // 0: outside the table
    const char* why;
  };
  const Case cases[] = {
      {Record("SN 50", eleven), kLoadTooManyIsotopes, 50, "eleven isotopes"},
      {Record("XX 93", "0"), kLoadBadAtomicNumber, 0, "atomic number beyond the table"},
      {"O  8 1,5 1.2 1.3 1.4 1.5\r\n", 226, 8, "comma as a decimal separator"},
      {cut, kElementIoOffset + kIoReadPastEnd, 8, "file ending inside a record"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ElementTable table;
    EXPECT_EQ(ParseElementText(Record("C  6", "0") + c.bad, table), c.status);
    EXPECT_TRUE(table[6].Present());
    if (c.absentZ > 0) {
      EXPECT_FALSE(table[c.absentZ].Present());
    }
  }
  ElementTable table;
  EXPECT_EQ(ParseElementText(Record("SN 50", "-1"), table), kLoadTooManyIsotopes);
  EXPECT_EQ(ParseElementText(Record("XX 0", "0"), table), kLoadBadAtomicNumber);
  EXPECT_EQ(ParseElementText("C  6.0 1 2 3 4 5\r\n", table), 226);       // Z must be an integer
  EXPECT_EQ(ParseElementText(Record("C  6", "1 1e999 1"), table), 226);  // out of range
}

TEST(ElementFileTest, EmptyFileAndTrailingDigitsReadNothing) {
  ElementTable table;
  EXPECT_EQ(ParseElementText("", table), 0);
  EXPECT_EQ(ParseElementText("\r\n 123 456 \r\n", table), 0);  // no letter: no record
  EXPECT_FALSE(table[1].Present());
}

TEST(ElementFileTest, ALaterRecordForTheSameElementReplacesTheEarlierOne) {
  ElementTable table;
  ASSERT_EQ(ParseElementText(
                Record("C  6", "2 12.0 0.99 13.0 0.01") + Record("C  6", "1 12.0 1", "12 12.011 0"),
                table),
            0);
  EXPECT_EQ(table[6].isotopeCount, 1);
  EXPECT_EQ(table[6].isotopeMass[1], 0.0);  // nothing left of the first record's isotopes
  EXPECT_EQ(table[6].defaultMassNumber, 12);
}

TEST(ElementFileTest, FileNameWithoutPointGetsDatAndMissingFileGives122) {
  TempDir dir;
  const auto levDir = dir / "my.lev";  // a point in the directory does not count
  std::filesystem::create_directories(levDir);
  WriteFile(levDir / "STOP.DAT", Record("C  6", "0"));
  ElementTable table;
  EXPECT_EQ(LoadElementTable(levDir / "STOP", table), 0);
  EXPECT_TRUE(table[6].Present());
  EXPECT_EQ(LoadElementTable(levDir / "NONE.DAT", table), 122);  // 120 + "file not found"
  EXPECT_EQ(LoadElementTable(levDir, table), 120 + EISDIR);
  // A link to an endless device is not read (it would fill the memory).
  std::filesystem::create_symlink("/dev/zero", levDir / "ZERO.DAT");
  EXPECT_EQ(LoadElementTable(levDir / "ZERO.DAT", table), 120 + EINVAL);
}

TEST(FindElementTest, LastMatchWinsAndKeysAreCutToTwoCharacters) {
  ElementTable table;
  ASSERT_EQ(
      ParseElementText(Record("QQ 5", "0") + Record("QQ 7", "0") + Record("SI 14", "0"), table), 0);
  CollectingSink sink;
  EXPECT_EQ(FindElement("QQ", table, sink), 7);
  EXPECT_EQ(FindElement("SI28", table, sink), 14);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(FindElement("si", table, sink), 0);  // compared byte for byte
  EXPECT_EQ(FindElement("ZZZ", table, sink), 0);
  ASSERT_EQ(sink.messages.size(), 2U);
  EXPECT_EQ(sink.messages[0], "missing stopping power : si");
  EXPECT_EQ(sink.messages[1], "missing stopping power : ZZ");
}

// A LEV directory with every further table, each value chosen so that its natural
// logarithm is known by hand.
void WriteTables(const std::filesystem::path& dir) {
  std::string chupar;
  for (int z = 2; z <= 92; ++z) {
    // Chu parameters lie between 0 and 50: z modulo 40, plus one half.
    chupar += " " + std::to_string(z) + " " + std::to_string(z % 40) + ".5 1 2 3\r\n";
  }
  WriteFile(dir / "chupar.dat", chupar);
  std::string fmt;
  for (int r = 0; r < 448; ++r)
    fmt += "1 2.718281828459045 10 100 0.1\r\n";
  WriteFile(dir / "FMT.DAT", fmt);
  std::string tau;
  for (int k = 0; k < 338; ++k)
    tau += "1e-3 5\n";
  WriteFile(dir / "TAUFIJ.DAT", tau);
  std::string cp, sip, hep;
  for (int r = 0; r < 2500; ++r) {
    // Energies and cross sections are positive.
    cp += std::to_string(r + 1) + " 11\r\n";
    sip += std::to_string(r + 1) + " 22\r\n";
    hep += "7 " + std::to_string(r) + ".5\r\n";
  }
  WriteFile(dir / "cp165.txt", cp);
  WriteFile(dir / "sip165.txt", sip);
  WriteFile(dir / "hep167.txt", hep);
  std::string che;
  for (int r = 0; r < 190; ++r)
    che += "1000 169.95 " + std::to_string(r + 1) + "\r\n";
  WriteFile(dir / "che165.txt", che);
}

TEST(PhysicsTablesTest, CompleteDirectoryFillsEveryTable) {
  TempDir dir;
  WriteTables(dir.path());
  ElementTable table;
  table[1].chuParam = {9, 9, 9, 9};
  PhysicsTables tables;
  const PhysicsTablesStatus status = LoadPhysicsTables(dir.path(), table, tables);
  for (int s : status.fileStatus)
    EXPECT_EQ(s, 0);
  EXPECT_EQ(status.lastStatus, 0);
  EXPECT_TRUE(tables.msFTableComplete);
  EXPECT_TRUE(tables.msTauTableComplete);
  // Hydrogen has no Chu correction; line k of chupar.dat is element k + 1.
  EXPECT_EQ(table[1].chuParam[0], 0.0);
  EXPECT_DOUBLE_EQ(table[2].chuParam[0], 2.5);
  EXPECT_DOUBLE_EQ(table[92].chuParam[0], 12.5);  // 92 modulo 40, plus one half
  EXPECT_DOUBLE_EQ(table[92].chuParam[3], 3.0);
  // ln 1 = 0, ln e = 1, ln 10 = 2.302585093, ln 100 = 4.605170186, ln 0.1 = -2.302585093
  // (1e-12 absolute).
  for (int r : {0, 447}) {
    const auto& row = tables.MsFTable[static_cast<std::size_t>(r)];
    EXPECT_NEAR(row[0], 0.0, 1e-12);
    EXPECT_NEAR(row[1], 1.0, 1e-12);
    EXPECT_NEAR(row[2], 2.302585093, 1e-9);
    EXPECT_NEAR(row[3], 4.605170186, 1e-9);
    EXPECT_NEAR(row[4], -2.302585093, 1e-9);
  }
  // ln 1e-3 = -6.907755279; only the first number of each line counts.
  EXPECT_NEAR(tables.MsTauTable[0], -6.907755279, 1e-9);
  EXPECT_NEAR(tables.MsTauTable[337], -6.907755279, 1e-9);
  // cp165 fills columns 0 and 1, sip165 columns 0 and 2, hep167 column 0 with its second
  // number overwriting its first.
  EXPECT_DOUBLE_EQ(tables.FixedTable3[2499][0], 2499.5);
  EXPECT_DOUBLE_EQ(tables.FixedTable3[2499][1], 11.0);
  EXPECT_DOUBLE_EQ(tables.FixedTable3[2499][2], 22.0);
  EXPECT_DOUBLE_EQ(tables.FixedTable2[189][0], 1000.0);
  EXPECT_DOUBLE_EQ(tables.FixedTable2[189][1], 190.0);  // the third number; the second drops
}

TEST(PhysicsTablesTest, OnlyTheLastFileGivesTheOverallStatus) {
  TempDir dir;
  WriteTables(dir.path());
  std::filesystem::remove(dir / "sip165.txt");
  ElementTable table;
  PhysicsTables tables;
  PhysicsTablesStatus status = LoadPhysicsTables(dir.path(), table, tables);
  EXPECT_EQ(status.fileStatus[4], ENOENT);
  EXPECT_EQ(status.lastStatus, 0);
  EXPECT_EQ(tables.FixedTable3[5][2], 0.0);  // left as it was

  std::filesystem::remove(dir / "che165.txt");
  status = LoadPhysicsTables(dir.path(), table, tables);
  EXPECT_EQ(status.lastStatus, 2);  // "file not found"
}

TEST(PhysicsTablesTest, ShortOrBadMultipleScatteringTablesAreFlaggedIncomplete) {
  TempDir dir;
  WriteTables(dir.path());
  WriteFile(dir / "FMT.DAT", "1 1 1 1 1\r\n2 2 2 2 2\r\n");  // two rows of 448
  WriteFile(dir / "TAUFIJ.DAT", "0.5\r\n0\r\n");             // ln 0 is undefined
  ElementTable table;
  PhysicsTables tables;
  const PhysicsTablesStatus status = LoadPhysicsTables(dir.path(), table, tables);
  EXPECT_EQ(status.fmt(), kIoReadPastEnd);
  EXPECT_EQ(status.taufij(), kIoBadNumber);
  EXPECT_FALSE(tables.msFTableComplete);
  EXPECT_FALSE(tables.msTauTableComplete);
  EXPECT_NEAR(tables.MsFTable[1][0], 0.6931471806, 1e-9);  // ln 2: rows read are kept
  EXPECT_EQ(tables.MsFTable[2][0], 0.0);
  EXPECT_NEAR(tables.MsTauTable[0], -0.6931471806, 1e-9);  // ln 0.5
  EXPECT_EQ(status.lastStatus, 0);                         // the other files are read normally
  EXPECT_DOUBLE_EQ(tables.FixedTable2[0][0], 1000.0);
}

TEST(PhysicsTablesTest, MissingChuParametersLeaveZeros) {
  TempDir dir;
  WriteTables(dir.path());
  std::filesystem::remove(dir / "chupar.dat");
  ElementTable table;
  PhysicsTables tables;
  const PhysicsTablesStatus status = LoadPhysicsTables(dir.path(), table, tables);
  EXPECT_EQ(status.chupar(), ENOENT);
  EXPECT_EQ(table[14].chuParam[0], 0.0);
}

// The shipped element file against published values.
class ShippedElementDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(LoadElementTable(std::filesystem::path(DODAVEV_LEV_DIR) / "STOP.DAT", table_), 0);
  }
  ElementTable table_;
};

TEST_F(ShippedElementDataTest, EveryElementIsPresentAndFoundByItsOwnSymbol) {
  CollectingSink sink;
  for (int z = 1; z <= kElementCount; ++z) {
    ASSERT_TRUE(table_[z].Present()) << z;
    EXPECT_EQ(FindElement(table_[z].SymbolView(), table_, sink), z);
  }
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(table_[1].SymbolView(), "H ");
  EXPECT_EQ(table_[14].SymbolView(), "SI");
  EXPECT_EQ(table_[92].SymbolView(), "U ");
}

TEST_F(ShippedElementDataTest, NaturalAbundancesSumToOne) {
  // Isotopic compositions of the elements (IUPAC, Berglund and Wieser 2011) add up to 1
  // within their rounding; 1e-4 allows for the last digits given.
  for (int z = 1; z <= kElementCount; ++z) {
    const ElementRecord& r = table_[z];
    if (r.isotopeCount == 0) continue;  // no natural composition (Tc, Pm, Po ... Ac)
    double sum = 0.0;
    for (int i = 0; i < r.isotopeCount; ++i)
      sum += r.isotopeAbundance[static_cast<std::size_t>(i)];
    EXPECT_NEAR(sum, 1.0, 1e-4) << "Z = " << z;
  }
}

TEST_F(ShippedElementDataTest, SiliconMatchesItsStandardAtomicWeightAndComposition) {
  const ElementRecord& si = table_[14];
  // IUPAC standard atomic weight of Si: interval [28.084, 28.086], conventional 28.085.
  EXPECT_NEAR(si.atomicMass, 28.0855, 1e-3);
  EXPECT_EQ(si.defaultMassNumber, 28);  // the most abundant isotope
  ASSERT_EQ(si.isotopeCount, 3);
  EXPECT_EQ(si.isotopeMassNumber[0], 28);
  EXPECT_EQ(si.isotopeMassNumber[1], 29);
  EXPECT_EQ(si.isotopeMassNumber[2], 30);
  // 28Si 27.9769265 u (Atomic Mass Evaluation), to 1e-6 u.
  EXPECT_NEAR(si.isotopeMass[0], 27.9769265, 1e-6);
  // Representative isotopic composition 92.223 %, 4.685 %, 3.092 % (IUPAC 2009), 1e-4.
  EXPECT_NEAR(si.isotopeAbundance[0], 0.92223, 1e-4);
  EXPECT_NEAR(si.isotopeAbundance[1], 0.04685, 1e-4);
  EXPECT_NEAR(si.isotopeAbundance[2], 0.03092, 1e-4);
}

TEST_F(ShippedElementDataTest, TinKeepsAllTenNaturalIsotopes) {
  // Natural tin: mass numbers 112, 114, 115, 116, 117, 118, 119, 120, 122, 124.
  const ElementRecord& sn = table_[50];
  ASSERT_EQ(sn.isotopeCount, 10);
  const int expected[10] = {112, 114, 115, 116, 117, 118, 119, 120, 122, 124};
  for (std::size_t i = 0; i < 10; ++i)
    EXPECT_EQ(sn.isotopeMassNumber[i], expected[i]);
  // Standard atomic weight of Sn 118.710(7).
  EXPECT_NEAR(sn.atomicMass, 118.710, 1e-3);
}

TEST_F(ShippedElementDataTest, MeanMassesAgreeWithTheIsotopes) {
  // The abundance-weighted isotope mass is the atomic weight of the natural element. The
  // standard weights of Se (78.971, revised 2013, against 78.959 from the representative
  // composition) and Pb (207.2(1), wide natural variation) differ most; 0.02 u covers them
  // and still catches a mass or abundance in the wrong field.
  for (int z = 1; z <= kElementCount; ++z) {
    const ElementRecord& r = table_[z];
    if (r.isotopeCount == 0) continue;
    double mean = 0.0;
    for (int i = 0; i < r.isotopeCount; ++i) {
      const auto k = static_cast<std::size_t>(i);
      mean += r.isotopeMass[k] * r.isotopeAbundance[k];
    }
    EXPECT_NEAR(mean, r.atomicMass, 2e-2) << "Z = " << z;
  }
}

}  // namespace
}  // namespace dodavev
