#include "engine/registry_entries.hpp"

#include <gtest/gtest.h>

#include <utility>

#include "model/element_table.hpp"
#include "model/messages.hpp"

namespace dodavev {
namespace {

ElementTable SomeElements() {
  ElementTable t;
  t[1].symbol = {'H', ' '};
  t[2].symbol = {'H', 'E'};
  t[6].symbol = {'C', ' '};
  t[7].symbol = {'N', ' '};
  t[13].symbol = {'A', 'L'};
  t[14].symbol = {'S', 'I'};
  return t;
}

class RegistryImport : public ::testing::Test {
 protected:
  // Imports with the panel as set; returns the text of the entry added, or "" if none.
  std::string Import(RegistryList list) {
    DataFileRegistry before = registry;
    ok = AddImportedEntry(list, panel, elements, registry, sink);
    const auto& lists = {&registry.CheckListBox1, &registry.CheckListBox_ESS,
                         &registry.CheckListBox_ERD, &registry.CheckListBox_NRA};
    for (const std::vector<RegistryEntry>* l : lists) {
      if (!l->empty() && !(before == registry)) return l->back().text;
    }
    return "";
  }
  ElementTable elements = SomeElements();
  ImportPanel panel;
  DataFileRegistry registry;
  CollectingSink sink;
  bool ok = false;
};

TEST_F(RegistryImport, StoppingEntryIsMassSymbolFourBlanksAndPath) {
  panel.Edit1_filename = "/data/HE_in_SI.dat";
  EXPECT_EQ(Import(RegistryList::kStopping), "4HE    /data/HE_in_SI.dat");
  EXPECT_TRUE(ok);
  EXPECT_TRUE(registry.CheckListBox1.back().checked);
  panel.Edit1_Z = "1";
  panel.Edit1_M = "1";
  panel.Edit1_scatt_angl = "not used here";  // the stopping list reads no angle
  panel.CheckBox1_enabled = false;
  EXPECT_EQ(Import(RegistryList::kStopping), "1H     /data/HE_in_SI.dat");
  EXPECT_FALSE(registry.CheckListBox1.back().checked);
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(RegistryImport, ElasticEntryForHeliumOnSilicon) {
  panel.Edit1_Ztarget = "14";
  panel.Edit1_Mtarget = "28";
  panel.Edit1_filename = "/x/si.dat";
  EXPECT_EQ(Import(RegistryList::kElastic), "Theta=165; 28SI(4HE,4HE)28SI; level=0;    /x/si.dat");
  panel.Edit1_scatt_angl = "165.0";  // written as typed
  EXPECT_EQ(Import(RegistryList::kElastic),
            "Theta=165.0; 28SI(4HE,4HE)28SI; level=0;    /x/si.dat");
  EXPECT_EQ(registry.CheckListBox_ESS.size(), 2U);
}

TEST_F(RegistryImport, RecoilEntryNamesTheRecoilAsProduct) {
  panel.Edit1_Ztarget = "1";
  panel.Edit1_Mtarget = "1";
  panel.Edit1_scatt_angl = "30";
  panel.Edit1_filename = "h.dat";
  EXPECT_EQ(Import(RegistryList::kRecoil), "Theta=30; 1H (4HE,1H )4HE; level=0;    h.dat");
}

TEST_F(RegistryImport, ReactionEntryWithItsResidualNucleusAndLevel) {
  // 12C(d,p)13C: each one-letter symbol is followed by its blank.
  panel.Edit1_Z = "1";
  panel.Edit1_M = "2";
  panel.Edit1_Ztarget = "6";
  panel.Edit1_Mtarget = "12";
  panel.Edit1_Zreactionproduct = "1";
  panel.Edit1_Mreactionproduct = "1";
  panel.Edit1_Nucllevel = "0";
  panel.Edit1_scatt_angl = "150";
  panel.Edit1_filename = "dp.dat";
  EXPECT_EQ(Import(RegistryList::kReaction), "Theta=150; 12C (2H ,1H )13C ; level=0;    dp.dat");
  panel.Edit1_Nucllevel = "1";
  EXPECT_EQ(Import(RegistryList::kReaction), "Theta=150; 12C (2H ,1H )13C ; level=1;    dp.dat");
}

TEST_F(RegistryImport, PhotonProductHasABlankSymbol) {
  // 27Al(p,gamma)28Si.
  panel.Edit1_Z = "1";
  panel.Edit1_M = "1";
  panel.Edit1_Ztarget = "13";
  panel.Edit1_Mtarget = "27";
  panel.Edit1_Zreactionproduct = "0";
  panel.Edit1_Mreactionproduct = "0";
  panel.Edit1_scatt_angl = "90";
  panel.Edit1_filename = "alpg.dat";
  EXPECT_EQ(Import(RegistryList::kReaction), "Theta=90; 27AL(1H ,0  )28SI; level=0;    alpg.dat");
  const CrossSectionEntryRead back =
      ReadCrossSectionEntry(registry.CheckListBox_NRA[0].text, elements);
  EXPECT_EQ(back.formatErrors, 0);
  EXPECT_EQ(back.entry.productZ, 0);
  EXPECT_EQ(back.entry.productMass, 0);
}

TEST_F(RegistryImport, BadNumbersKeepThePanelOpen) {
  panel.Edit1_filename = "f.dat";
  for (const char* z : {"x", "2.0", "", "0", "93", "3"}) {  // 3: lithium is not known here
    panel.Edit1_Z = z;
    sink.messages.clear();
    EXPECT_EQ(Import(RegistryList::kElastic), "") << z;
    EXPECT_FALSE(ok);
    ASSERT_EQ(sink.messages.size(), 1U);
    EXPECT_EQ(sink.messages[0], "Z, M or angle are not well defined");
  }
  panel.Edit1_Z = "2";
  panel.Edit1_scatt_angl = "1,5";
  EXPECT_EQ(Import(RegistryList::kElastic), "");
  panel.Edit1_scatt_angl = "165";
  panel.Edit1_M = "0";
  EXPECT_EQ(Import(RegistryList::kElastic), "");
  EXPECT_TRUE(registry.CheckListBox_ESS.empty());
}

TEST_F(RegistryImport, MissingFileNameIsReportedAfterTheNumbers) {
  panel.Edit1_Z = "x";
  EXPECT_EQ(Import(RegistryList::kElastic), "");
  ASSERT_EQ(sink.messages.size(), 1U);  // the number message only
  EXPECT_EQ(sink.messages[0], "Z, M or angle are not well defined");
  panel.Edit1_Z = "2";
  sink.messages.clear();
  EXPECT_EQ(Import(RegistryList::kElastic), "");
  ASSERT_EQ(sink.messages.size(), 1U);
  EXPECT_EQ(sink.messages[0], "Name of the file is missing");
}

TEST(RegistryImportCount, EveryBadFieldCountsAndImpossibleResidualsToo) {
  const ElementTable elements = SomeElements();
  ImportPanel panel;
  panel.Edit1_Z = "a";
  panel.Edit1_Mtarget = "-4";
  panel.Edit1_Nucllevel = "-1";
  EXPECT_EQ(ReadImportPanel(RegistryList::kReaction, panel, elements).formatErrors, 3);
  // 12C + d -> 16O + residual with Z = -1: no such nucleus.
  panel = ImportPanel{};
  panel.Edit1_Z = "1";
  panel.Edit1_M = "2";
  panel.Edit1_Ztarget = "6";
  panel.Edit1_Mtarget = "12";
  panel.Edit1_Zreactionproduct = "7";
  panel.Edit1_Mreactionproduct = "13";
  EXPECT_EQ(ReadImportPanel(RegistryList::kReaction, panel, elements).formatErrors, 1);
  // A neutron out leaves 13N: a possible reaction.
  panel.Edit1_Zreactionproduct = "0";
  panel.Edit1_Mreactionproduct = "1";
  EXPECT_EQ(ReadImportPanel(RegistryList::kReaction, panel, elements).formatErrors, 0);
}

// --- Reading entries back ---------------------------------------------------------------

TEST(RegistryReadBack, ReactionEntryGivesEveryNumber) {
  const ElementTable elements = SomeElements();
  const CrossSectionEntryRead r =
      ReadCrossSectionEntry("Theta=150.5; 12C (2H ,1H )13C ; level=3;    /data/d p.dat", elements);
  ASSERT_EQ(r.formatErrors, 0);
  const CrossSectionEntry& e = r.entry;
  EXPECT_DOUBLE_EQ(e.angle, 150.5);
  EXPECT_EQ(e.targetZ, 6);
  EXPECT_EQ(e.targetMass, 12);
  EXPECT_EQ(e.incidentZ, 1);
  EXPECT_EQ(e.incidentMass, 2);
  EXPECT_EQ(e.productZ, 1);
  EXPECT_EQ(e.productMass, 1);
  EXPECT_EQ(e.level, 3);
  EXPECT_EQ(e.file, "/data/d p.dat");
  EXPECT_EQ(e.description, "Theta=150.5; 12C (2H ,1H )13C ; level=3");
}

// Windows paths with and without the four blanks; the first separator after the level
// starts the file.
TEST(RegistryReadBack, TheFileFollowsTheLevel) {
  const ElementTable elements = SomeElements();
  const std::pair<const char*, const char*> cases[] = {
      {"Theta=165; 28SI(4HE,4HE)28SI; level=0;    C:\\data\\si.dat", "C:\\data\\si.dat"},
      {"Theta=165; 28SI(4HE,4HE)28SI; level=0; C:\\data\\si.dat", "C:\\data\\si.dat"},
      {"Theta=165; 28SI(4HE,4HE)28SI; level=0;    /a;    b.dat", "/a;    b.dat"}};
  for (const auto& [text, file] : cases) {
    const CrossSectionEntryRead r = ReadCrossSectionEntry(text, elements);
    EXPECT_EQ(r.formatErrors, 0) << text;
    EXPECT_EQ(r.entry.file, file);
    EXPECT_EQ(r.entry.description, "Theta=165; 28SI(4HE,4HE)28SI; level=0");
  }
}

TEST(RegistryReadBack, DamagedEntriesCountTheirFaults) {
  const ElementTable elements = SomeElements();
  EXPECT_GT(ReadCrossSectionEntry("", elements).formatErrors, 0);
  EXPECT_GT(ReadCrossSectionEntry("garbage", elements).formatErrors, 0);
  // One fault each: no mass number before the target symbol, an unknown symbol, a bad
  // angle, a bad level, no file, and a blank symbol, which is a photon only as the product.
  for (const char* text :
       {"Theta=165; SI(4HE,4HE)28SI; level=0;    f", "Theta=165; 28XX(4HE,4HE)28SI; level=0;    f",
        "Theta=1.6.5; 28SI(4HE,4HE)28SI; level=0;    f",
        "Theta=165; 28SI(4HE,4HE)28SI; level=a;    f", "Theta=165; 28SI(4HE,4HE)28SI; level=0;    ",
        "Theta=90; 27AL(1  ,0  )28SI; level=0;    f"}) {
    EXPECT_EQ(ReadCrossSectionEntry(text, elements).formatErrors, 1) << text;
  }
}

}  // namespace
}  // namespace dodavev
