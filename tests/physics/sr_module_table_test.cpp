#include "physics/sr_module_table.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "model/data_file_registry.hpp"
#include "model/messages.hpp"
#include "physics/srim_tables.hpp"
#include "physics/zbl_test_elements.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

// The layout of an SR module output for helium in silicon, typed by hand; the stopping
// numbers and the densities are this test's own.
std::string SrFile(const std::string& units = "MeV / (mg/cm2)",
                   const std::string& composition = "     Si     14    100.00    100.00   \r\n",
                   const std::string& rows =
                       "10.00 keV   2.000E-01  1.000E-01     836 A       409 A       327 A   \r\n"
                       "500.00 keV  3.000E-01  2.000E-03    1.20 um     800 A       900 A   \r\n"
                       "2.00 MeV    2.500E-01  6.000E-04    7.00 um    0.30 um     0.40 um  \r\n",
                   bool closed = true) {
  std::string text =
      " ==================================================================\r\n"
      "              Calculation using SRIM-2006 \r\n"
      "              SRIM version ---> SRIM-2013.00\r\n"
      "              Calc. date   ---> December 08, 2026 \r\n"
      " ==================================================================\r\n"
      "\r\n"
      " Disk File Name = SRIM Outputs\\Helium in Silicon\r\n"
      "\r\n"
      " Ion = Helium [2] , Mass = 4.003 amu\r\n"
      "\r\n"
      " Target Density =  2.0000E+00 g/cm3 = 5.0000E+22 atoms/cm3\r\n"
      " ======= Target  Composition ========\r\n"
      "    Atom   Atom   Atomic    Mass     \r\n"
      "    Name   Numb   Percent   Percent  \r\n"
      "    ----   ----   -------   -------  \r\n" +
      composition +
      " ====================================\r\n"
      " Bragg Correction = 0.00%\r\n"
      " Stopping Units =  " +
      units +
      " \r\n"
      " See bottom of Table for other Stopping units \r\n"
      "\r\n"
      "   Ion        dE/dx      dE/dx     Projected  Longitudinal   Lateral\r\n"
      "  Energy      Elec.      Nuclear     Range     Straggling   Straggling\r\n"
      "-----------  ---------- ---------- ----------  ----------  ----------\r\n" +
      rows;
  if (closed) {
    text +=
        "-----------------------------------------------------------\r\n"
        " Multiply Stopping by        for Stopping Units\r\n"
        " -------------------        ------------------\r\n"
        "  1.0000E+00                 MeV / (mg/cm2) \r\n"
        " ==================================================================\r\n";
  }
  return text;
}

struct UnitCase {
  const char* units;
  double factor;  // eV/(1e15 atoms/cm2) per unit of the file, by hand from the densities
};

class SrModuleUnits : public ::testing::TestWithParam<UnitCase> {};

TEST_P(SrModuleUnits, ElectronicStoppingAtTheTablePoints) {
  const SrModuleRead read = ParseSrModuleText(SrFile(GetParam().units));
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.ionZ, 2);
  EXPECT_DOUBLE_EQ(read.ionMass, 4.003);
  EXPECT_EQ(read.targetZ, 14);
  ASSERT_EQ(read.energy.size(), 3U);
  EXPECT_DOUBLE_EQ(read.energy[0], 10.0);
  EXPECT_DOUBLE_EQ(read.energy[1], 500.0);
  EXPECT_DOUBLE_EQ(read.energy[2], 2000.0);  // 2.00 MeV
  const double f = GetParam().factor;
  EXPECT_NEAR(read.electronic[0], 0.2 * f, 1e-12 * f);
  EXPECT_NEAR(read.electronic[1], 0.3 * f, 1e-12 * f);
  EXPECT_NEAR(read.electronic[2], 0.25 * f, 1e-12 * f);
}

// Densities 2.0 g/cm3 and 5.0e22 atoms/cm3: 4e-23 g per atom.
//   MeV/(mg/cm2) = 1e9 eV cm2/g * 4e-23 g = 4e-14 eV cm2 = 40 eV/(1e15 atoms/cm2);
//   keV/micron   = 1e7 eV/cm / 5e22 cm^-3 = 2e-16 eV cm2 = 0.2 eV/(1e15 atoms/cm2);
//   eV/Angstrom  = 1e8 eV/cm / 5e22 cm^-3 = 2 eV/(1e15 atoms/cm2).
INSTANTIATE_TEST_SUITE_P(All, SrModuleUnits,
                         ::testing::Values(UnitCase{"eV / (1E15 atoms/cm2)", 1.0},
                                           UnitCase{"MeV / (mg/cm2)", 40.0},
                                           UnitCase{"keV / (ug/cm2)", 40.0},
                                           UnitCase{"keV / micron", 0.2}, UnitCase{"MeV / mm", 0.2},
                                           UnitCase{"eV / Angstrom", 2.0}));

struct BadCase {
  const char* name;
  std::string text;
  const char* says;
};

class SrModuleBadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(SrModuleBadInput, RefusedAndEmpty) {
  const BadCase& c = GetParam();
  ASSERT_TRUE(LooksLikeSrModule(c.text));
  const SrModuleRead read = ParseSrModuleText(c.text);
  EXPECT_FALSE(read.ok);
  EXPECT_NE(read.error.find(c.says), std::string::npos) << read.error;
  EXPECT_TRUE(read.energy.empty());
  EXPECT_TRUE(read.electronic.empty());
}

// Line 12 is the composition heading; the rows start in line 25.
INSTANTIATE_TEST_SUITE_P(
    All, SrModuleBadInput,
    ::testing::Values(
        BadCase{"Compound",
                SrFile("MeV / (mg/cm2)",
                       "     Si     14     50.00     46.74   \r\n"
                       "     O       8     50.00     53.26   \r\n"),
                "a target of 2 elements; a table for one element target is needed in line 12"},
        BadCase{"UnknownStoppingUnits", SrFile("L.S.S. reduced units"),
                "unknown stopping units \"L.S.S. reduced units\""},
        BadCase{"CutShort",
                SrFile("MeV / (mg/cm2)", "     Si     14    100.00    100.00   \r\n",
                       "10.00 keV   2.000E-01  1.000E-01  836 A  409 A  327 A\r\n"
                       "500.00 keV  3.000E-01  2.000E-03  1.20 um  800 A  900 A\r\n",
                       false),
                "no closing line of dashes (the file may be cut short)"},
        BadCase{"OutOfOrder",
                SrFile("MeV / (mg/cm2)", "     Si     14    100.00    100.00   \r\n",
                       "2.00 MeV  2.000E-01  1.000E-01  836 A  409 A  327 A\r\n"
                       "500.00 keV  3.000E-01  2.000E-03  1.20 um  800 A  900 A\r\n"),
                "energy not above the one before in line 26"},
        BadCase{"UnknownEnergyUnit",
                SrFile("MeV / (mg/cm2)", "     Si     14    100.00    100.00   \r\n",
                       "10.00 TeV  2.000E-01  1.000E-01  836 A  409 A  327 A\r\n"),
                "unknown energy unit \"TeV\" in line 25"}),
    [](const ::testing::TestParamInfo<BadCase>& p) { return std::string(p.param.name); });

TEST(SrModuleTable, CommaDecimalsOfSomeLocales) {
  const SrModuleRead read =
      ParseSrModuleText(SrFile("eV / (1E15 atoms/cm2)", "     Si     14    100,00    100,00   \r\n",
                               "10,00 keV   2,000E-01  1,000E-01  836 A  409 A  327 A\r\n"
                               "20,00 keV   2,500E-01  1,000E-01  900 A  409 A  327 A\r\n"));
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_DOUBLE_EQ(read.energy[1], 20.0);
  EXPECT_DOUBLE_EQ(read.electronic[1], 0.25);
}

TEST(SrModuleTable, OldAllElementTablesAreNotSrModule) {
  EXPECT_FALSE(LooksLikeSrModule("Energy  H He Li\r\n100 1 2 3\r\n"));
}

TEST(SrModuleTable, LoadedThroughTheStoppingList) {
  testing::TempDir dir;
  const auto path = dir / "he_in_si.txt";
  std::ofstream(path, std::ios::binary) << SrFile();
  const ElementTable elements = testing::TestElements();
  SrimTableSet tables;
  CollectingSink sink;
  LoadSrimTables({{"4HE in SI    " + path.string(), true}}, elements, tables, sink);
  EXPECT_TRUE(sink.messages.empty()) << sink.messages.front();
  const SrimTable* table = tables.Find(14, 2);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(tables.Find(8, 2), nullptr);  // only the file's target element
  // An ion of the file's mass at a row's energy takes that row's value (40 eV/(1e15
  // atoms/cm2) per MeV/(mg/cm2), see above).
  EXPECT_NEAR(SrimTableStopping(*table, 14, 2, 4.003, 500.0, elements), 0.3 * 40.0, 1e-9);
  EXPECT_NEAR(SrimTableStopping(*table, 14, 2, 4.003, 2000.0, elements), 0.25 * 40.0, 1e-9);

  // An entry naming another target loads nothing and says so.
  SrimTableSet other;
  LoadSrimTables({{"4HE in O     " + path.string(), true}}, elements, other, sink);
  EXPECT_EQ(other.Find(14, 2), nullptr);
  ASSERT_FALSE(sink.messages.empty());
  EXPECT_NE(sink.messages.back().find("another target"), std::string::npos);
}

}  // namespace
}  // namespace dodavev
