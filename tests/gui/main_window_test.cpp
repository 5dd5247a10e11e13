// The main window over the core: default texts, "OK" and its messages, the pages shown
// again after an error, the detector panels, the master switches, the shape radio
// buttons and the re-checks on leaving a field.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

#include "gui/input_bindings.hpp"
#include "window_fixture.hpp"

namespace dodavev::testing {
namespace {

using MainWindowDefaults = WindowTest;

TEST_F(MainWindowDefaults, EveryInputHasAControlOfItsName) {
  for (const TextBinding& b : TextBindings())
    EXPECT_NE(window_->findChild<QWidget*>(QString::fromLatin1(b.name)), nullptr) << b.name;
  for (const SwitchBinding& b : SwitchBindings()) {
    // "MS max" is set only by the two master switches and has no box of its own.
    if (std::string_view(b.name) == "CheckMS_max") continue;
    EXPECT_NE(window_->findChild<QAbstractButton*>(QString::fromLatin1(b.name)), nullptr) << b.name;
  }
}

TEST_F(MainWindowDefaults, ShowsTheDefaultInputsOfTheSession) {
  // Every field and box holds the start-up value of its input ("MS max" has no box).
  const ParameterInputs defaults;
  for (const TextBinding& b : TextBindings()) {
    if (std::string_view(b.name).starts_with("Edit1_")) {
      EXPECT_EQ(Text(b.name), defaults.*(b.field)) << b.name;
    }
  }
  for (const SwitchBinding& b : SwitchBindings()) {
    if (std::string_view(b.name) != "CheckMS_max") {
      EXPECT_EQ(Checked(b.name), defaults.*(b.field)) << b.name;
    }
  }
  EXPECT_EQ(FromQt(Find<QPlainTextEdit>("richedit1")->toPlainText()), "S=\nn=9.64e22\nc,1\nsi,1\n");
  EXPECT_EQ(FromQt(Find<QPlainTextEdit>("RichEdit2")->toPlainText()), "");
  EXPECT_EQ(LabelText("Label_reaction"), "28Si(4He,4He)");
  EXPECT_EQ(LabelText("Label_iba"), "RBS");
  EXPECT_EQ(LabelText("Label_given_target"), "28Si");
  EXPECT_EQ(FromQt(Find<QComboBox>("ComboBox1")->currentText()), "Screening");
  EXPECT_EQ(FromQt(Find<QComboBox>("ComboBox_HEERD_p")->currentText()), "He ERD for proton");
  EXPECT_EQ(FromQt(Find<QComboBox>("ComboBox_HEERD_d")->currentText()), "He ERD for deuteron");
}

TEST_F(MainWindowDefaults, StartsWithOnlyMenuAndStatusBar) {
  EXPECT_EQ(FromQt(window_->windowTitle()), "DOdavev");
  EXPECT_FALSE(PagesShown());
  EXPECT_FALSE(Shown("Output"));
  EXPECT_FALSE(Shown("Panel_about"));
  EXPECT_FALSE(Shown("Panel3"));
  EXPECT_FALSE(Shown("Panel14"));
  EXPECT_EQ(CurrentPage(), "Beam");
  QStringList menus;
  for (QAction* a : window_->menuBar()->actions())
    menus << a->text().remove(QLatin1Char('&'));  // the accelerators' marks aside
  EXPECT_EQ(menus, QStringList({"files", "parameters", "calculations", "help"}));

  auto* pages = Find<QTabWidget>("PageControl1");
  QStringList tabs;
  for (int i = 0; i < pages->count(); ++i)
    tabs << pages->tabText(i);
  EXPECT_EQ(tabs, QStringList({"Beam", "Sample", "Detection", "Reactions", "Options",
                               "Optimisation", "Stopping powers", "Cross sections", "Simulation"}));
}

TEST_F(MainWindowDefaults, CalculationItemsCarryTheirCaptionsInMenuOrder) {
  auto* menu = window_->findChild<QMenu*>(QStringLiteral("calculations1"));
  ASSERT_NE(menu, nullptr);
  QStringList items;
  for (QAction* a : menu->actions())
    items << a->text();
  EXPECT_EQ(items, QStringList({"energy loss", "Tschalar effect", "depth and energy resolution",
                                "optimization", "spectrum simulation", "full spectrum (1)",
                                "excitation curves for resonances", "spectrum fit"}));

  QStringList files;
  for (QAction* a : window_->findChild<QMenu*>(QStringLiteral("files1"))->actions())
    if (!a->isSeparator()) files << a->text().remove(QLatin1Char('&'));
  EXPECT_EQ(files, QStringList({"load a new parameter file", "save parameters",
                                "load a new spectrum", "quit"}));
}

TEST_F(MainWindowDefaults, ParametersMenuOpensThePages) {
  window_->findChild<QAction*>(QStringLiteral("parameters1"))->trigger();
  EXPECT_TRUE(PagesShown());
  EXPECT_TRUE(Shown("Button5"));
}

using OkButton = WindowTest;

TEST_F(OkButton, DefaultsGiveNoMessageAndCloseThePages) {
  window_->parameters1Click();
  Click("Button5");
  EXPECT_TRUE(messages_.empty()) << messages_.front();
  EXPECT_FALSE(PagesShown());
  // Circular diaphragm of 8 mm at 100 mm: pi * 8^2 / 4 / 100^2 * 1000 = 5.0265 msr,
  // rounded to three significant digits (5.03) and shown with three decimals.
  EXPECT_EQ(LabelText("Label35"), "5.030");
}

TEST_F(OkButton, TrailingBlankIsAFormatErrorThatReopensThePagesOnDetection) {
  Type("Edit1_e0", "3100 ");
  Click("Button5");
  ASSERT_EQ(messages_, std::vector<std::string>({"Problem with the parameters"}));
  EXPECT_TRUE(PagesShown());
  EXPECT_TRUE(Shown("Button5"));
  EXPECT_EQ(CurrentPage(), "Detection");
  // What was typed stays for the user to correct.
  EXPECT_EQ(Text("Edit1_e0"), "3100 ");
}

TEST_F(OkButton, LeadingBlankAndExponentAreNumbers) {
  Type("Edit1_e0", " 3100");
  Type("Edit1_itlength", "1E17");
  Type("Edit1_dete0", "-5");  // a calibration offset may be negative; a spread may not
  Click("Button5");
  EXPECT_TRUE(messages_.empty());
}

TEST_F(OkButton, ChargeStateAboveAtomicNumberIsReportedOnce) {
  Type("Edit1_chargestate_in", "3");
  Type("Edit1_chargestate_out", "3");
  Click("Button5");
  EXPECT_EQ(messages_, std::vector<std::string>({"Problem with the charge state parameters"}));
  EXPECT_TRUE(PagesShown());
}

TEST_F(OkButton, EmptySampleReopensTheSamplePage) {
  Find<QPlainTextEdit>("richedit1")->setPlainText("");
  Click("Button5");
  EXPECT_EQ(messages_, std::vector<std::string>({"Target is not defined"}));
  EXPECT_TRUE(PagesShown());
  EXPECT_EQ(CurrentPage(), "Sample");
}

TEST_F(OkButton, OpeningTheCalculationsMenuRunsOkAndShowsItsMessagesAfterwards) {
  Type("Edit1_a", "eighty");
  window_->calculations1Click();
  // The menu is opening: its messages wait until the event loop has closed it.
  EXPECT_TRUE(messages_.empty());
  ASSERT_TRUE(WaitUntil([&] { return !messages_.empty(); }, 5000));
  EXPECT_EQ(messages_, std::vector<std::string>({"Problem with the parameters"}));
  EXPECT_TRUE(PagesShown());
}

TEST_F(OkButton, CalculationsMenuOpensAgainAfterTheMessagesForTheChoice) {
  window_->show();
  ASSERT_TRUE(WaitUntil([&] { return window_->isVisible(); }, 5000));
  auto* menu = window_->findChild<QMenu*>(QStringLiteral("calculations1"));
  Type("Edit1_a", "eighty");
  window_->menuBar()->setActiveAction(menu->menuAction());
  ASSERT_TRUE(WaitUntil([&] { return !messages_.empty(); }, 5000));
  ASSERT_TRUE(WaitUntil([&] { return menu->isVisible(); }, 5000));
  // "OK" ran once: reopening the menu for the choice does not repeat its messages.
  QApplication::processEvents();
  EXPECT_EQ(messages_, std::vector<std::string>({"Problem with the parameters"}));
  menu->hide();
}

using DetectorPanels = WindowTest;

TEST_F(DetectorPanels, ResolutionPanelExplainsItselfAndClosesWhenItsFieldsAreGood) {
  window_->parameters1Click();
  Click("Button1");
  ASSERT_TRUE(Shown("Panel3"));
  EXPECT_EQ(LabelText("Label_resolution"),
            "energy resolution of the detector can be given as\n"
            " a0 + a1 * E^a2 + a3 * E^a4\n"
            "where E is the energy of the detected ion [keV]");
  Type("Edit1_detres1", "x");
  Click("Button10");
  EXPECT_EQ(messages_,
            std::vector<std::string>({"problem with the parameters of detector resolution1"}));
  EXPECT_TRUE(Shown("Panel3"));
  Type("Edit1_detres1", "0.5");
  Click("Button10");
  EXPECT_FALSE(Shown("Panel3"));
}

TEST_F(DetectorPanels, CalibrationPanelClosesOnlyWhenBothFieldsAreNumbers) {
  Click("Button2");
  ASSERT_TRUE(Shown("Panel14"));
  Type("Edit1_dete0", "");
  Click("Button11");
  EXPECT_EQ(messages_,
            std::vector<std::string>({"problem with the parameters of detector calibration"}));
  EXPECT_TRUE(Shown("Panel14"));
  Type("Edit1_dete0", "190");
  Click("Button11");
  EXPECT_FALSE(Shown("Panel14"));
}

using MasterSwitches = WindowTest;

constexpr const char* kContributions[] = {"CheckBeam", "CheckStraggling", "CheckChu",
                                          "CheckYang", "CheckMS",         "CheckDoppler",
                                          "CheckGeo",  "CheckDet",        "Checktschalar"};

TEST_F(MasterSwitches, NothingThenAllLeavesEveryContributionOnButMsMax) {
  Click("CheckKinematic");  // the master switches never touch the spectrograph corrections
  Click("CheckNothing");
  for (const char* name : kContributions)
    EXPECT_FALSE(Checked(name)) << name;
  EXPECT_FALSE(Checked("CheckAll"));
  EXPECT_TRUE(Checked("CheckNothing"));

  Click("CheckAll");
  for (const char* name : kContributions)
    EXPECT_TRUE(Checked(name)) << name;
  EXPECT_FALSE(Checked("CheckNothing"));
  EXPECT_TRUE(Checked("CheckKinematic"));
  EXPECT_FALSE(Checked("CheckKinematic2"));
  window_->CollectInputs();
  EXPECT_FALSE(session_->params.CheckMS_max);
  // Unchecking "All" changes nothing else; a single box leaves the masters alone.
  Click("CheckAll");
  EXPECT_FALSE(Checked("CheckAll"));
  EXPECT_TRUE(Checked("CheckBeam"));
  Click("CheckMS");
  EXPECT_FALSE(Checked("CheckMS"));
  EXPECT_FALSE(Checked("CheckNothing"));
}

using ShapeRadios = WindowTest;

TEST_F(ShapeRadios, BeamSlitShowsTheInputsOfItsShape) {
  Click("RadioButton1");
  EXPECT_TRUE(Shown("Edit1_diam"));
  EXPECT_TRUE(Shown("Label28"));
  for (const char* name : {"Edit1_r", "Edit1_leng", "Label11", "Label12"})
    EXPECT_FALSE(Shown(name)) << name;
  Click("RadioButton2");
  EXPECT_FALSE(Shown("Edit1_diam"));
  EXPECT_FALSE(Shown("Label28"));
  for (const char* name : {"Edit1_r", "Edit1_leng", "Label11", "Label12"})
    EXPECT_TRUE(Shown(name)) << name;
}

TEST_F(ShapeRadios, RectangularDiaphragmRecomputesTheSolidAngle) {
  window_->parameters1Click();
  Click("RadioButton4");
  for (const char* name : {"Edit1_ss", "Edit1_hossz", "Label14", "Label15"})
    EXPECT_TRUE(Shown(name)) << name;
  EXPECT_FALSE(Shown("Edit1_detdia"));
  EXPECT_FALSE(Shown("Label13"));
  // 8.4 mm x 6 mm at 100 mm: 50.4 / 10000 sr = 5.04 msr.
  EXPECT_EQ(LabelText("Label35"), "5.040");
  EXPECT_EQ(CurrentPage(), "Detection");
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ShapeRadios, BadSlitFieldGetsItsOwnMessageOnLeaving) {
  Click("RadioButton4");
  Type("Edit1_hossz", "six");
  Find<QLineEdit>("Edit1_hossz")->editingFinished();
  ASSERT_TRUE(WaitUntil([&] { return !messages_.empty(); }, 5000));
  EXPECT_EQ(messages_, std::vector<std::string>({"detector slit is not well defined"}));
}

using LeavingAField = WindowTest;

TEST_F(LeavingAField, ReactionIsIdentifiedAgain) {
  Type("Edit1_target", "si");
  Type("Edit1_mt", "28");
  Find<QLineEdit>("Edit1_mt")->editingFinished();
  // Target 28Si hit by 4He with 4He detected at 165 degrees: backscattering. The label
  // writes mass number and the two-character symbol of each nucleus.
  ASSERT_TRUE(WaitUntil([&] { return LabelText("Label_reaction") != "28Si(4He,4He)"; }, 5000));
  EXPECT_EQ(LabelText("Label_reaction"), "28SI(4HE,4HE)");
  EXPECT_EQ(LabelText("Label_iba"), "RBS");
  EXPECT_TRUE(messages_.empty());
}

TEST_F(LeavingAField, DetectingTheTargetAtomIsRecoilDetection) {
  // 4He on 1H, the proton detected at 30 degrees: elastic recoil detection.
  Type("Edit1_target", "h");
  Type("Edit1_mt", "1");
  Type("Edit1_z2", "1");
  Type("Edit1_m2", "1");
  Type("Edit1_th", "30");
  Find<QLineEdit>("Edit1_th")->editingFinished();
  ASSERT_TRUE(WaitUntil([&] { return LabelText("Label_iba") != "RBS"; }, 5000));
  EXPECT_EQ(LabelText("Label_iba"), "ERD");
}

using LayerTexts = WindowTest;

TEST_F(LayerTexts, EditingMarksTheTextAsModified) {
  Find<QPlainTextEdit>("richedit1")->appendPlainText("o,1");
  EXPECT_EQ(LabelText("samplefile"), "Sample : modified");
  Find<QPlainTextEdit>("RichEdit2")->setPlainText("A=1000\nN=6e22\nal,1\n");
  EXPECT_EQ(LabelText("Absorbensfile"), "Absorbens : modified");
}

using AboutPanel = WindowTest;

TEST_F(AboutPanel, ShowsNameVersionAndDataSources) {
  window_->findChild<QAction*>(QStringLiteral("AboutVornex1"))->trigger();
  ASSERT_TRUE(Shown("Panel_about"));
  const QString about = Find<QLabel>("Label_about")->text();
  EXPECT_TRUE(about.contains("NIST"));
  EXPECT_TRUE(about.contains("RIPL-3"));
  EXPECT_TRUE(LabelText("Label_datadir").find("LEV") != std::string::npos);
  Click("Button20");
  EXPECT_FALSE(Shown("Panel_about"));
}

}  // namespace
}  // namespace dodavev::testing
