// The "files" menu and the file buttons of the pages: a parameter file fills every
// control and is written back unchanged, layer files load and save the two layer texts,
// a measured spectrum loads, and a file that cannot be read says "#" and its code.
#include <QComboBox>
#include <QListWidget>
#include <QStatusBar>

#include "gui/input_bindings.hpp"
#include "io/layer_file.hpp"
#include "io/parameter_file.hpp"
#include "support/temp_dir.hpp"
#include "window_fixture.hpp"

namespace dodavev::testing {
namespace {

class WindowFiles : public WindowTest {
 protected:
  TempDir dir_;
};

// Inputs that differ from the defaults in every line of a parameter file: a beam of
// protons on 28Si seen at 150 degrees, every other number distinct, every switch turned,
// circular beam slit and rectangular diaphragm, entries in all four lists.
ParameterInputs ChangedInputs() {
  ParameterInputs in;
  int n = 100;
  for (std::string* text : {&in.Edit1_e0,          &in.Edit1_a,
                            &in.Edit1_q1,          &in.Edit1_bes,
                            &in.Edit1_asb,         &in.Edit1_diam,
                            &in.Edit1_temperature, &in.Edit1_monothick,
                            &in.Edit1_d,           &in.Edit1_ss,
                            &in.Edit1_hossz,       &in.Edit1_ho,
                            &in.Edit1_detkevch,    &in.Edit1_dete0,
                            &in.Edit1_detres0,     &in.Edit1_detres1,
                            &in.Edit1_detres2,     &in.Edit1_detres3,
                            &in.Edit1_detres4,     &in.Edit1_c3,
                            &in.Edit1_er,          &in.Edit1_fwhm,
                            &in.Edit1_rezmin,      &in.Edit1_rezmax,
                            &in.Edit1_estep,       &in.Edit1_depthmax,
                            &in.Edit1_x,           &in.Edit1_thr,
                            &in.Edit1_x_corr,      &in.Edit1_theta_min,
                            &in.Edit1_theta_max,   &in.Edit1_Alfa_min,
                            &in.Edit1_step_deg,    &in.Edit1_dex1,
                            &in.Edit1_dex2,        &in.Edit1_dex3,
                            &in.Edit1_dex4,        &in.Edit1_NRACrossConstant,
                            &in.Edit1_itlength})
    *text = std::to_string(n++) + ".5";
  in.Edit1_z1 = "1";
  in.Edit1_m1 = "1";
  in.Edit1_chargestate_in = "1";
  in.Edit1_z2 = "1";
  in.Edit1_m2 = "1";
  in.Edit1_chargestate_out = "1";
  in.Edit1_th = "150";
  in.Edit1_target = "si";
  in.Edit1_mt = "28";
  in.Edit1_qm = "0";
  in.Edit1_level = "0";
  in.ComboBox1 = "L'Ecuer screening";
  in.ComboBox_HEERD_p = "Merovan";
  in.ComboBox_HEERD_d = "Quillet";
  for (bool* flag : {&in.RadioButton1,
                     &in.RadioButton2,
                     &in.RadioButton3,
                     &in.RadioButton4,
                     &in.RadioButton5,
                     &in.RadioButton6,
                     &in.CheckAll,
                     &in.CheckGeo,
                     &in.CheckStraggling,
                     &in.CheckChu,
                     &in.CheckYang,
                     &in.CheckMS,
                     &in.CheckDoppler,
                     &in.CheckBeam,
                     &in.CheckDet,
                     &in.CheckNothing,
                     &in.Checktschalar,
                     &in.CheckKinematic,
                     &in.CheckKinematic2,
                     &in.RadioButton_ZBL2003,
                     &in.RadioButton_ZBL92,
                     &in.RadioButton_ESS_Rutherford,
                     &in.RadioButton_ESS_NonRutherford,
                     &in.RadioButton_ERD_Rutherford,
                     &in.RadioButton_ERD_NonRutherford,
                     &in.RadioButton_NRAConstans,
                     &in.RadioButton_NRA_Files,
                     &in.CheckBox1_given_target})
    *flag = !*flag;
  in.registry.CheckListBox1 = {{"1H     /srim/H_in_Si.dat", true},
                               {"4HE    /srim/He_in_Si.dat", false}};
  in.registry.CheckListBox_ESS = {{"Theta=150; 28SI(1H ,1H )28SI; level=0;    /xs/si.dat", true}};
  in.registry.CheckListBox_ERD = {{"Theta=30; 1H (4HE,1H )4HE; level=0;    /xs/h.dat", false}};
  in.registry.CheckListBox_NRA = {{"Theta=150; 12C (2H ,1H )13C ; level=0;    /xs/c.dat", true}};
  return in;
}

TEST_F(WindowFiles, LoadingFillsEveryControlAndSavingWritesTheFileBackUnchanged) {
  const ParameterInputs in = ChangedInputs();
  const auto first = dir_ / "changed.par";
  ASSERT_EQ(WriteParameterFile(first, in), 0);
  Type("Edit1_r", "7.7");  // not in a file written with a circular slit
  Choose(first);
  window_->findChild<QAction*>("open1")->trigger();
  EXPECT_TRUE(messages_.empty()) << messages_.front();

  // Every field the file carries; the sizes of the shapes not chosen are not in it.
  for (const TextBinding& b : TextBindings()) {
    const std::string_view name(b.name);
    if (!name.starts_with("Edit1_") || name == "Edit1_r" || name == "Edit1_leng" ||
        name == "Edit1_detdia")
      continue;
    EXPECT_EQ(Text(b.name), in.*(b.field)) << name;
  }
  EXPECT_EQ(Text("Edit1_r"), "7.7");
  EXPECT_EQ(FromQt(Find<QComboBox>("ComboBox1")->currentText()), "L'Ecuer screening");
  EXPECT_EQ(FromQt(Find<QComboBox>("ComboBox_HEERD_p")->currentText()), "Merovan");
  EXPECT_EQ(FromQt(Find<QComboBox>("ComboBox_HEERD_d")->currentText()), "Quillet");
  for (const SwitchBinding& b : SwitchBindings()) {
    if (std::string_view(b.name) == "CheckMS_max") continue;
    EXPECT_EQ(Checked(b.name), in.*(b.field)) << b.name;
  }
  auto* stopping = Find<QListWidget>("CheckListBox1");
  ASSERT_EQ(stopping->count(), 2);
  EXPECT_EQ(FromQt(stopping->item(1)->text()), "4HE    /srim/He_in_Si.dat");
  EXPECT_EQ(stopping->item(1)->checkState(), Qt::Unchecked);
  EXPECT_EQ(Find<QListWidget>("CheckListBox_NRA")->count(), 1);
  // The slit shown is the one the file names; the reaction label follows the file.
  EXPECT_TRUE(Shown("Edit1_diam"));
  EXPECT_TRUE(Shown("Edit1_ss"));
  EXPECT_EQ(LabelText("Label_reaction"), "28SI(1H ,1H )");
  EXPECT_EQ(session_->parameterFileName, first.string());

  const auto second = dir_ / "saved.par";
  Choose(second);
  window_->findChild<QAction*>("savethe1")->trigger();
  EXPECT_EQ(ReadFile(second), ReadFile(first));
  EXPECT_EQ(chooser_->filters.back(), "parameter files *.par|*.par|All files *.*|*.*");
  EXPECT_EQ(chooser_->extensions.back(), ".par");
}

TEST_F(WindowFiles, DefaultsSavedAndReadBackChangeNoControl) {
  const auto file = dir_ / "defaults.par";
  Choose(file);
  window_->savethe1Click();
  Type("Edit1_e0", "999");
  Choose(file);
  window_->open1Click();
  EXPECT_EQ(Text("Edit1_e0"), "3100");
  window_->CollectInputs();
  ParameterInputs expected;
  // Loading resets three inputs before it reads; the file then sets them again.
  EXPECT_EQ(static_cast<const ParameterInputs&>(session_->params).Edit1_itlength,
            expected.Edit1_itlength);
  EXPECT_EQ(session_->params.ComboBox1, expected.ComboBox1);
}

TEST_F(WindowFiles, CancelledLoadStillResetsScreeningIterationLengthAndGivenTarget) {
  Click("CheckBox1_given_target");
  window_->open1Click();  // no file chosen
  EXPECT_EQ(FromQt(Find<QComboBox>("ComboBox1")->currentText()), "no screening");
  EXPECT_EQ(Text("Edit1_itlength"), "1e17");
  EXPECT_FALSE(Checked("CheckBox1_given_target"));
  EXPECT_EQ(chooser_->filters.back(), "Parameter files (*.par)|*.par|All files (*.*)|*.*");
  EXPECT_EQ(chooser_->extensions.back(), "*.par");
}

TEST_F(WindowFiles, FilesThatCannotBeReadSayHashAndCode) {
  Choose(dir_ / "nowhere.par");
  window_->open1Click();
  Choose(dir_ / "missing.lay");
  Click("Button6");
  EXPECT_EQ(messages_, std::vector<std::string>({"#2 " + (dir_ / "nowhere.par").string(),
                                                 "#2 " + (dir_ / "missing.lay").string()}));
}

TEST_F(WindowFiles, SampleSavedUnderANameWithPointsBecomesDotLayAndLoadsBack) {
  Choose(dir_ / "sample.old.txt");
  Click("Button7");
  ASSERT_TRUE(std::filesystem::exists(dir_ / "sample.lay"));
  EXPECT_EQ(ReadFile(dir_ / "sample.lay"), "S=\r\nn=9.64e22\r\nc,1\r\nsi,1\r\n");
  EXPECT_EQ(LabelText("samplefile"), (dir_ / "sample.old.txt").string());

  Find<QPlainTextEdit>("richedit1")->setPlainText("A=100\nN=5e22\nau,1\n");
  EXPECT_EQ(LabelText("samplefile"), "Sample : modified");
  Choose(dir_ / "sample.lay");
  Click("Button6");
  EXPECT_EQ(FromQt(Find<QPlainTextEdit>("richedit1")->toPlainText()), "S=\nn=9.64e22\nc,1\nsi,1\n");
  EXPECT_EQ(LabelText("samplefile"), (dir_ / "sample.lay").string());
  EXPECT_EQ(chooser_->filters[0], "*.lay|*.lay|*.dat|*.dat|*.*|*.*");
  EXPECT_EQ(chooser_->filters[1], "*.lay|*.lay|*.*|*.*");
}

TEST_F(WindowFiles, AbsorberLoadsFromAFileWithLfLines) {
  WriteFile(dir_ / "foil.lay", "A=60000\nN=6.026e22\nal,1\n");
  Choose(dir_ / "foil.lay");
  Click("Button8");
  EXPECT_EQ(FromQt(Find<QPlainTextEdit>("RichEdit2")->toPlainText()),
            "A=60000\nN=6.026e22\nal,1\n");
  EXPECT_EQ(LabelText("Absorbensfile"), "Absorbens : " + (dir_ / "foil.lay").string());
  Choose(dir_ / "foil_copy");
  Click("Button9");
  EXPECT_EQ(ReadFile(dir_ / "foil_copy.lay"), "A=60000\r\nN=6.026e22\r\nal,1\r\n");
}

TEST_F(WindowFiles, MeasuredSpectrumLoadsChannelByLine) {
  std::string text;
  for (int k = 1; k <= 600; ++k)
    text += std::to_string(k) + " " + std::to_string(3 * k) + "\r\n";
  WriteFile(dir_ / "measured.dat", text);
  Choose(dir_ / "measured.dat");
  window_->findChild<QAction*>("loadaspectrum1")->trigger();
  EXPECT_TRUE(messages_.empty());
  EXPECT_DOUBLE_EQ(session_->MeasuredSpectrum[1], 3.0);
  EXPECT_DOUBLE_EQ(session_->MeasuredSpectrum[600], 1800.0);
  // The status bar says what came in: 3 x (1 + ... + 600) = 3 x 180300 counts.
  EXPECT_EQ(window_->statusBar()->currentMessage(),
            "measured spectrum measured.dat: channels 1-600, 540900 counts");
  EXPECT_EQ(chooser_->filters.back(), "Spectrum files (*.dat)|*.dat|All files (*.*)|*.*");
}

}  // namespace
}  // namespace dodavev::testing
