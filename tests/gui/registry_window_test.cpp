// The data-file registry in the window: the import panel builds the exact entry text, its
// two messages keep it open, Cancel and remove, the buttons the data-source choices
// enable, "browse" with its filters, and the entry under the pointer in the status bar.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>

#include "gui/import_panel.hpp"
#include "gui/registry_pages.hpp"
#include "window_fixture.hpp"

namespace dodavev::testing {
namespace {

class RegistryWindow : public WindowTest {
 protected:
  ImportPanelDialog* Panel() { return window_->registry().importPanel(); }
  void PanelType(const char* name, const char* text) {
    Panel()->findChild<QLineEdit*>(QString::fromLatin1(name))->setText(text);
  }
  bool PanelShows(const char* name) {
    return !Panel()->findChild<QWidget*>(QString::fromLatin1(name))->isHidden();
  }
  void PanelOk() { Panel()->findChild<QPushButton*>("Button16")->click(); }
  QListWidget* List(const char* name) { return Find<QListWidget>(name); }
  std::vector<std::pair<std::string, bool>> Entries(const char* name) {
    std::vector<std::pair<std::string, bool>> entries;
    QListWidget* list = List(name);
    for (int i = 0; i < list->count(); ++i)
      entries.emplace_back(FromQt(list->item(i)->text()),
                           list->item(i)->checkState() == Qt::Checked);
    return entries;
  }
};

TEST_F(RegistryWindow, StoppingImportAppendsMassSymbolFourBlanksAndPath) {
  Click("RadioButton_ZBL2003");
  Click("SpeedButton_import");
  ASSERT_FALSE(Panel()->isHidden());
  EXPECT_TRUE(PanelShows("Row_ion"));
  EXPECT_FALSE(PanelShows("Row_target"));
  EXPECT_FALSE(PanelShows("Edit1_scatt_angl"));
  PanelType("Edit1_filename", "/data/srim/He_in_Si.dat");
  PanelOk();
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(Panel()->isHidden());
  // Z = 2, M = 4 (the panel's defaults): "4" "HE" then four blanks and the path.
  EXPECT_EQ(Entries("CheckListBox1"),
            (std::vector<std::pair<std::string, bool>>{{"4HE    /data/srim/He_in_Si.dat", true}}));
  window_->CollectInputs();
  ASSERT_EQ(session_->params.registry.CheckListBox1.size(), 1u);
}

TEST_F(RegistryWindow, ElasticEntryForHeliumOnSilicon) {
  Click("RadioButton_ESS_NonRutherford");
  Click("SpeedButton_ESSimport");
  EXPECT_EQ(LabelText("Label_target"), "target atom");
  EXPECT_EQ(LabelText("Label_angle"), "scattering angle");
  EXPECT_FALSE(PanelShows("Row_product"));
  PanelType("Edit1_Ztarget", "14");
  PanelType("Edit1_Mtarget", "28");
  PanelType("Edit1_filename", "/xs/si.dat");
  PanelOk();
  EXPECT_EQ(Entries("CheckListBox_ESS"),
            (std::vector<std::pair<std::string, bool>>{
                {"Theta=165; 28SI(4HE,4HE)28SI; level=0;    /xs/si.dat", true}}));
}

TEST_F(RegistryWindow, RecoilEntryNamesTheRecoilAsDetectedAndKeepsTheAngleAsTyped) {
  Click("RadioButton_ERD_NonRutherford");
  Click("SpeedButton_ERDimport");
  EXPECT_EQ(LabelText("Label_target"), "   recoil");
  EXPECT_EQ(LabelText("Label_angle"), "recoil angle");
  PanelType("Edit1_Ztarget", "1");
  PanelType("Edit1_Mtarget", "1");
  PanelType("Edit1_scatt_angl", "30.0");
  PanelType("Edit1_filename", "/xs/h.dat");
  Panel()->findChild<QCheckBox*>("CheckBox1_enabled")->setChecked(false);
  PanelOk();
  // 4He on 1H, the proton detected: target(ion,target)ion; "30.0" as typed; unchecked.
  EXPECT_EQ(Entries("CheckListBox_ERD"),
            (std::vector<std::pair<std::string, bool>>{
                {"Theta=30.0; 1H (4HE,1H )4HE; level=0;    /xs/h.dat", false}}));
}

TEST_F(RegistryWindow, ReactionEntryForCarbonDeuteronProton) {
  Click("RadioButton_NRA_Files");
  Click("SpeedButton_NRAimport");
  EXPECT_EQ(LabelText("Label_angle"), "reaction angle");
  EXPECT_TRUE(PanelShows("Row_product"));
  EXPECT_TRUE(PanelShows("Edit1_Nucllevel"));
  PanelType("Edit1_Z", "1");
  PanelType("Edit1_M", "2");
  PanelType("Edit1_Ztarget", "6");
  PanelType("Edit1_Mtarget", "12");
  PanelType("Edit1_Zreactionproduct", "1");
  PanelType("Edit1_Mreactionproduct", "1");
  PanelType("Edit1_scatt_angl", "150");
  PanelType("Edit1_filename", "/xs/c12dp.dat");
  PanelOk();
  // 12C(d,p)13C: residual Z = 6 + 1 - 1 = 6, M = 12 + 2 - 1 = 13; one-letter symbols
  // carry their blank.
  EXPECT_EQ(Entries("CheckListBox_NRA"),
            (std::vector<std::pair<std::string, bool>>{
                {"Theta=150; 12C (2H ,1H )13C ; level=0;    /xs/c12dp.dat", true}}));
}

TEST_F(RegistryWindow, BadNumberKeepsThePanelOpenWithTheInputsAsTyped) {
  Click("RadioButton_ESS_NonRutherford");
  Click("SpeedButton_ESSimport");
  PanelType("Edit1_Ztarget", "1 4");
  PanelType("Edit1_filename", "/xs/si.dat");
  PanelOk();
  EXPECT_EQ(messages_, std::vector<std::string>({"Z, M or angle are not well defined"}));
  EXPECT_FALSE(Panel()->isHidden());
  EXPECT_EQ(FromQt(Panel()->findChild<QLineEdit*>("Edit1_Ztarget")->text()), "1 4");
  EXPECT_EQ(List("CheckListBox_ESS")->count(), 0);
}

TEST_F(RegistryWindow, MissingFileNameKeepsThePanelOpen) {
  Click("RadioButton_ESS_NonRutherford");
  Click("SpeedButton_ESSimport");
  PanelOk();
  EXPECT_EQ(messages_, std::vector<std::string>({"Name of the file is missing"}));
  EXPECT_FALSE(Panel()->isHidden());
  EXPECT_EQ(List("CheckListBox_ESS")->count(), 0);
}

TEST_F(RegistryWindow, CancelAddsNothing) {
  Click("RadioButton_ZBL2003");
  Click("SpeedButton_import");
  PanelType("Edit1_filename", "/s.dat");
  Panel()->findChild<QPushButton*>("Button_cross_Cancel")->click();
  EXPECT_TRUE(Panel()->isHidden());
  EXPECT_EQ(List("CheckListBox1")->count(), 0);
}

TEST_F(RegistryWindow, RemoveDeletesTheSelectedEntryAndNothingWithoutSelection) {
  session_->params.registry.CheckListBox_NRA = {{"Theta=150; a;    /a.dat", true},
                                                {"Theta=150; b;    /b.dat", false}};
  session_->params.RadioButton_NRAConstans = false;
  session_->params.RadioButton_NRA_Files = true;
  window_->ShowSession();
  Click("SpeedButton_NRAremove");
  EXPECT_EQ(List("CheckListBox_NRA")->count(), 2);
  List("CheckListBox_NRA")->item(0)->setSelected(true);
  Click("SpeedButton_NRAremove");
  EXPECT_EQ(Entries("CheckListBox_NRA"),
            (std::vector<std::pair<std::string, bool>>{{"Theta=150; b;    /b.dat", false}}));
}

TEST_F(RegistryWindow, SelectionSurvivesTheRechecksOfOtherFields) {
  session_->params.registry.CheckListBox_ESS = {{"Theta=165; a;    /a.dat", true},
                                                {"Theta=165; b;    /b.dat", true}};
  session_->params.RadioButton_ESS_Rutherford = false;
  session_->params.RadioButton_ESS_NonRutherford = true;
  window_->ShowSession();
  List("CheckListBox_ESS")->item(1)->setSelected(true);
  Click("Button5");  // "OK" shows the whole session again
  Click("SpeedButton_ESSremove");
  EXPECT_EQ(Entries("CheckListBox_ESS"),
            (std::vector<std::pair<std::string, bool>>{{"Theta=165; a;    /a.dat", true}}));
}

TEST_F(RegistryWindow, SecondChoicesEnableTheirButtonsAndFirstChoicesDisableThem) {
  for (const char* name : {"SpeedButton_import", "SpeedButton_remove", "SpeedButton_ESSimport",
                           "SpeedButton_ERDimport", "Button19", "SpeedButton_NRAimport"})
    EXPECT_FALSE(Find(name)->isEnabled()) << name;
  Click("RadioButton_ERD_NonRutherford");
  EXPECT_TRUE(Find("SpeedButton_ERDimport")->isEnabled());
  EXPECT_TRUE(Find("SpeedButton_ERDremove")->isEnabled());
  EXPECT_TRUE(Find("Button19")->isEnabled());
  EXPECT_FALSE(Find("SpeedButton_ESSimport")->isEnabled());
  Click("RadioButton_ERD_Rutherford");
  EXPECT_FALSE(Find("Button19")->isEnabled());
  EXPECT_FALSE(Find("SpeedButton_ERDimport")->isEnabled());
}

TEST_F(RegistryWindow, SpecialFittingsPanelOffersTheHeliumRecoilFits) {
  Click("RadioButton_ERD_NonRutherford");
  Click("Button19");
  QDialog* panel = window_->registry().specialFittingsPanel();
  ASSERT_FALSE(panel->isHidden());
  EXPECT_EQ(FromQt(panel->windowTitle()), "Special Fittings");
  auto* proton = panel->findChild<QComboBox*>("ComboBox_HEERD_p");
  QStringList items;
  for (int i = 0; i < proton->count(); ++i)
    items << proton->itemText(i);
  EXPECT_EQ(items, QStringList({"Rutherford", "Quillet", "Benenson", "Merovan"}));
  proton->setCurrentIndex(2);
  panel->findChild<QPushButton*>("Button18")->click();
  EXPECT_TRUE(panel->isHidden());
  window_->CollectInputs();
  EXPECT_EQ(session_->params.ComboBox_HEERD_p, "Benenson");
  EXPECT_EQ(session_->params.ComboBox_HEERD_d, "He ERD for deuteron");
}

TEST_F(RegistryWindow, BrowseUsesTheFilterOfTheListAndFillsTheFileName) {
  Click("RadioButton_ZBL2003");
  Click("SpeedButton_import");
  Choose("/data/srim/H_in_C.dat");
  Panel()->findChild<QPushButton*>("Button17")->click();
  EXPECT_EQ(FromQt(Panel()->findChild<QLineEdit*>("Edit1_filename")->text()),
            "/data/srim/H_in_C.dat");
  Panel()->hide();
  Click("RadioButton_NRA_Files");
  Click("SpeedButton_NRAimport");
  Panel()->findChild<QPushButton*>("Button17")->click();  // cancelled: the name stays
  ASSERT_EQ(chooser_->filters.size(), 2u);
  EXPECT_EQ(chooser_->filters[0], "Stopping files (*.dat)|*.dat|All files (*.*)|*.*");
  EXPECT_EQ(chooser_->filters[1], "Cross section files (*.dat)|*.dat|All files (*.*)|*.*");
  EXPECT_EQ(chooser_->extensions[0], "*.dat");
  EXPECT_EQ(FromQt(Panel()->findChild<QLineEdit*>("Edit1_filename")->text()),
            "/data/srim/H_in_C.dat");
}

TEST_F(RegistryWindow, PointerOverACrossSectionEntryShowsItInTheStatusBar) {
  const std::string entry = "Theta=165; 28SI(4HE,4HE)28SI; level=0;    /a/long/path/si.dat";
  session_->params.registry.CheckListBox_ESS = {{entry, true}};
  window_->ShowSession();
  window_->parameters1Click();
  window_->resize(1200, 800);
  window_->show();
  ASSERT_TRUE(WaitUntil([&] { return window_->isVisible(); }, 5000));
  window_->CollectInputs();
  QListWidget* list = List("CheckListBox_ESS");
  Find<QTabWidget>("PageControl1")->setCurrentIndex(7);
  QApplication::processEvents();
  const QPoint inside = list->visualItemRect(list->item(0)).center();
  QMouseEvent over(QEvent::MouseMove, inside, list->viewport()->mapToGlobal(inside), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &over);
  EXPECT_EQ(FromQt(window_->statusBar()->currentMessage()), entry);
  const QPoint below(inside.x(), list->viewport()->height() - 2);
  QMouseEvent away(QEvent::MouseMove, below, list->viewport()->mapToGlobal(below), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &away);
  EXPECT_TRUE(window_->statusBar()->currentMessage().isEmpty());
}

}  // namespace
}  // namespace dodavev::testing
