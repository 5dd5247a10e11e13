#include "app/import_from_file.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "model/messages.hpp"
#include "physics/zbl_test_elements.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

// Header lines in the order IBANDL writes them; the numbers are this test's own.
constexpr const char* kNraFile =
    "COMMENT: 16O(d,p1)17O test data\r\n"
    "\r\n"
    "Source: Exp\r\n"
    "Name: Test Laboratory\r\n"
    "Serial Number: 0\r\n"
    "Reaction: 16O(d,p1)17O\r\n"
    "Distribution: Energy\r\n"
    "Masses: 2.014, 15.995, 1.008, 16.999\r\n"
    "Zeds: 1, 8, 1, 8\r\n"
    "Qvalue: 1048.0, 0.000, 0.000, 0.000, 0.000\r\n"
    "Theta: 150.0\r\n"
    "Units: mb\r\n"
    "Data:\r\n"
    "800.0 0.0 5.0 0.5\r\n"
    "900.0 0.0 6.0 0.6\r\n"
    "EndData:\r\n";

TEST(ImportFromFile, ReactionFileFillsParticlesAngleAndLevel) {
  ImportPanel panel;
  panel.Edit1_filename = "keep.r33";
  ASSERT_TRUE(FillImportPanelFromText(RegistryList::kReaction, kNraFile, panel));
  EXPECT_EQ(panel.Edit1_Z, "1");
  EXPECT_EQ(panel.Edit1_M, "2");
  EXPECT_EQ(panel.Edit1_Ztarget, "8");
  EXPECT_EQ(panel.Edit1_Mtarget, "16");
  EXPECT_EQ(panel.Edit1_Zreactionproduct, "1");
  EXPECT_EQ(panel.Edit1_Mreactionproduct, "1");
  EXPECT_EQ(panel.Edit1_scatt_angl, "150.0");
  EXPECT_EQ(panel.Edit1_Nucllevel, "1");
  EXPECT_EQ(panel.Edit1_filename, "keep.r33");
}

TEST(ImportFromFile, ElasticListLeavesTheProductInputs) {
  ImportPanel panel;
  panel.Edit1_Zreactionproduct = "7";
  ASSERT_TRUE(FillImportPanelFromText(RegistryList::kElastic, kNraFile, panel));
  EXPECT_EQ(panel.Edit1_Ztarget, "8");
  EXPECT_EQ(panel.Edit1_Zreactionproduct, "7");
}

TEST(ImportFromFile, OtherFilesChangeNothing) {
  ImportPanel panel;
  const ImportPanel before = panel;
  EXPECT_FALSE(FillImportPanelFromText(RegistryList::kElastic, "a\nb\nc\n1000 2\n", panel));
  EXPECT_FALSE(FillImportPanelFromText(RegistryList::kStopping, kNraFile, panel));
  // An R33 file whose header cannot be read.
  EXPECT_FALSE(
      FillImportPanelFromText(RegistryList::kElastic, "Comment: x\n\nZeds: 1\nData:\n", panel));
  EXPECT_EQ(panel.Edit1_Z, before.Edit1_Z);
  EXPECT_EQ(panel.Edit1_Ztarget, before.Edit1_Ztarget);
  EXPECT_EQ(panel.Edit1_scatt_angl, before.Edit1_scatt_angl);
  panel.Edit1_filename = "/nonexistent/file.r33";
  EXPECT_FALSE(FillImportPanelFromFile(RegistryList::kElastic, panel));
}

// An SR module table for protons in silicon in SRIM's layout, numbers of this test.
constexpr const char* kSrFile =
    " Ion = Hydrogen [1] , Mass = 1.008 amu\r\n"
    " Target Density =  2.7000E+00 g/cm3 = 6.0000E+22 atoms/cm3\r\n"
    " ======= Target  Composition ========\r\n"
    "    Atom   Atom   Atomic    Mass     \r\n"
    "    Name   Numb   Percent   Percent  \r\n"
    "    ----   ----   -------   -------  \r\n"
    "     Si     14    100.00    100.00   \r\n"
    " ====================================\r\n"
    " Stopping Units =  keV / micron \r\n"
    "   Ion        dE/dx      dE/dx     Projected  Longitudinal   Lateral\r\n"
    "  Energy      Elec.      Nuclear     Range     Straggling   Straggling\r\n"
    "-----------  ---------- ---------- ----------  ----------  ----------\r\n"
    "100.00 keV   50.0       0.10       1.00 um     0.10 um     0.10 um\r\n"
    "200.00 keV   45.0       0.05       3.00 um     0.20 um     0.20 um\r\n"
    "-----------------------------------------------------------\r\n";

TEST(ImportFromFile, SrModuleTableFillsTheIonAndTheEntryNamesTheTarget) {
  testing::TempDir dir;
  const auto path = dir / "h_in_si.txt";
  std::ofstream(path, std::ios::binary) << kSrFile;
  ImportPanel panel;
  panel.Edit1_Z = "2";
  panel.Edit1_filename = path.string();
  ASSERT_TRUE(FillImportPanelFromFile(RegistryList::kStopping, panel));
  EXPECT_EQ(panel.Edit1_Z, "1");
  EXPECT_EQ(panel.Edit1_M, "1");

  const ElementTable elements = testing::TestElements();
  DataFileRegistry registry;
  CollectingSink sink;
  ASSERT_TRUE(AddImportedEntry(RegistryList::kStopping, panel, elements, registry, sink));
  ASSERT_EQ(registry.CheckListBox1.size(), 1U);
  EXPECT_EQ(registry.CheckListBox1[0].text, "1H  in SI    " + path.string());
}

}  // namespace
}  // namespace dodavev
