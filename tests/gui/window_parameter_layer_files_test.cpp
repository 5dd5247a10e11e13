// "save parameters" and "load a new parameter file" with the layer files of the same base
// name: modified texts are offered for saving beside the parameter file, existing layer
// files for loading with it, and the parameter file stays as it was.
#include <QMessageBox>

#include "app/parameter_layer_files.hpp"
#include "io/parameter_file.hpp"
#include "support/temp_dir.hpp"
#include "window_fixture.hpp"

namespace dodavev::testing {
namespace {

class WindowParameterLayerFiles : public WindowTest {
 protected:
  QPlainTextEdit* Sample() { return Find<QPlainTextEdit>("richedit1"); }
  QPlainTextEdit* Absorber() { return Find<QPlainTextEdit>("RichEdit2"); }
  TempDir dir_;
};

TEST_F(WindowParameterLayerFiles, SavingOffersTheModifiedTextsUnderTheSameBaseName) {
  // Nothing modified: the parameters are saved without a question.
  Choose(dir_ / "plain.par");
  window_->savethe1Click();
  EXPECT_TRUE(questions_.empty());
  EXPECT_TRUE(std::filesystem::exists(dir_ / "plain.par"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "plain.lay"));

  Sample()->setPlainText("S=\nn=5e22\nsi,1");
  Absorber()->setPlainText("1000\nal,1");
  // Yes to the sample, no to the absorber.
  answers_ = {QMessageBox::Yes, QMessageBox::No};
  Choose(dir_ / "run.par");
  window_->savethe1Click();
  ASSERT_EQ(questions_.size(), 2U);
  EXPECT_EQ(questions_[0], "The sample text was modified. Save it as the layer file " +
                               (dir_ / "run.lay").string() + "?");
  EXPECT_EQ(questions_[1], "The absorber text was modified. Save it as the layer file " +
                               (dir_ / "run_absorber.lay").string() + "?");
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(ReadFile(dir_ / "run.lay"), "S=\r\nn=5e22\r\nsi,1");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "run_absorber.lay"));
  EXPECT_EQ(LabelText("samplefile"), (dir_ / "run.lay").string());
  EXPECT_EQ(LabelText("Absorbensfile"), "Absorbens : modified");
  // The parameter file is the same as without layer files.
  EXPECT_EQ(ReadFile(dir_ / "run.par"), FormatParameterFile(session_->params));
  EXPECT_EQ(window_->UnsavedWork(), QStringList{"the absorber text"});
}

TEST_F(WindowParameterLayerFiles, LoadingOffersTheLayerFilesThatExist) {
  // A parameter file with its two layer files, written as the program writes them.
  WriteFile(dir_ / "run.par", FormatParameterFile(ParameterInputs{}));
  WriteFile(dir_ / "run.lay", "S=\r\nn=5e22\r\nsi,1\r\n");
  WriteFile(dir_ / "run_absorber.lay", "1000\r\nal,1\r\n");
  Absorber()->setPlainText("typed");  // an edit the absorber file would replace
  answers_ = {QMessageBox::Yes, QMessageBox::Yes};
  Choose(dir_ / "run.par");
  window_->open1Click();
  ASSERT_EQ(questions_.size(), 2U);
  EXPECT_EQ(questions_[0], "Load the sample layer file " + (dir_ / "run.lay").string() + " too?");
  EXPECT_EQ(questions_[1], "Load the absorber layer file " + (dir_ / "run_absorber.lay").string() +
                               " too?\nIt replaces the modified absorber text.");
  EXPECT_EQ(FromQt(Sample()->toPlainText()), "S=\nn=5e22\nsi,1\n");
  EXPECT_EQ(FromQt(Absorber()->toPlainText()), "1000\nal,1\n");
  EXPECT_EQ(LabelText("samplefile"), (dir_ / "run.lay").string());
  EXPECT_EQ(LabelText("Absorbensfile"), "Absorbens : " + (dir_ / "run_absorber.lay").string());
  EXPECT_TRUE(window_->UnsavedWork().isEmpty());
  EXPECT_TRUE(messages_.empty());

  // Declined, the texts stay; without layer files nothing is asked.
  Sample()->setPlainText("S=\nc,1");
  answers_ = {QMessageBox::No, QMessageBox::No};
  Choose(dir_ / "run.par");
  window_->open1Click();
  EXPECT_EQ(questions_.size(), 4U);
  EXPECT_EQ(FromQt(Sample()->toPlainText()), "S=\nc,1");
  WriteFile(dir_ / "alone.par", FormatParameterFile(ParameterInputs{}));
  Choose(dir_ / "alone.par");
  window_->open1Click();
  EXPECT_EQ(questions_.size(), 4U);
}

}  // namespace
}  // namespace dodavev::testing
