// Layer files beside a parameter file: their names, which are offered after saving and
// loading, the questions, and the round trip through the layer file actions.
#include "app/parameter_layer_files.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/session.hpp"
#include "model/messages.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct NameCase {
  const char* parameterFile;
  const char* sample;
  const char* absorber;
};

class LayerFileNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(LayerFileNames, SameFolderAndBaseNameAsTheLayerWritersCutIt) {
  const NameCase& c = GetParam();
  EXPECT_EQ(LayerFileBeside(c.parameterFile, LayerText::kSample).path.string(), c.sample);
  EXPECT_EQ(LayerFileBeside(c.parameterFile, LayerText::kAbsorber).path.string(), c.absorber);
}

INSTANTIATE_TEST_SUITE_P(
    Names, LayerFileNames,
    ::testing::Values(NameCase{"/data/run.par", "/data/run.lay", "/data/run_absorber.lay"},
                      // Cut before the first point of the file name, never of a folder.
                      NameCase{"/data/run.v2.par", "/data/run.lay", "/data/run_absorber.lay"},
                      NameCase{"/data.2024/run", "/data.2024/run.lay",
                               "/data.2024/run_absorber.lay"},
                      NameCase{"run.par", "run.lay", "run_absorber.lay"}));

class ParameterLayerFiles : public ::testing::Test {
 protected:
  ParameterLayerFiles() : session_(std::make_unique<Session>(sink_)) {}
  ParameterInputs& in() { return session_->params; }

  CollectingSink sink_;
  std::unique_ptr<Session> session_;
  TempDir dir_;
};

std::vector<std::string> Paths(const std::vector<ParameterLayerFile>& files) {
  std::vector<std::string> out;
  for (const ParameterLayerFile& f : files)
    out.push_back(f.path.filename().string());
  return out;
}

TEST_F(ParameterLayerFiles, OnlyModifiedTextsAreOfferedOnSaveSampleFirst) {
  const std::filesystem::path par = dir_ / "run.par";
  // At start-up neither text is modified (the sample label reads "Samplefile").
  EXPECT_TRUE(LayerFilesToSave(in(), par).empty());
  in().Absorbensfile = kAbsorberModifiedLabel;
  EXPECT_EQ(Paths(LayerFilesToSave(in(), par)), std::vector<std::string>{"run_absorber.lay"});
  in().samplefile = kSampleModifiedLabel;
  const std::vector<ParameterLayerFile> both = LayerFilesToSave(in(), par);
  ASSERT_EQ(Paths(both), (std::vector<std::string>{"run.lay", "run_absorber.lay"}));
  EXPECT_EQ(both[0].text, LayerText::kSample);
  EXPECT_EQ(both[1].text, LayerText::kAbsorber);
  // A text loaded from a file (its label is the file name) is not offered.
  in().samplefile = (dir_ / "other.lay").string();
  EXPECT_EQ(Paths(LayerFilesToSave(in(), par)), std::vector<std::string>{"run_absorber.lay"});
}

TEST_F(ParameterLayerFiles, AParameterFileNamedLikeItsLayerFileIsNeverOverwrittenNorRead) {
  in().samplefile = kSampleModifiedLabel;
  in().Absorbensfile = kAbsorberModifiedLabel;
  const std::filesystem::path par = dir_ / "run.lay";
  WriteFile(par, "parameters\r\n");
  EXPECT_EQ(Paths(LayerFilesToSave(in(), par)), std::vector<std::string>{"run_absorber.lay"});
  EXPECT_TRUE(LayerFilesToLoad(par).empty());
}

TEST_F(ParameterLayerFiles, FilesThatExistAreOfferedOnLoad) {
  const std::filesystem::path par = dir_ / "run.par";
  EXPECT_TRUE(LayerFilesToLoad(par).empty());
  WriteFile(dir_ / "run_absorber.lay", "S=\r\n");
  EXPECT_EQ(Paths(LayerFilesToLoad(par)), std::vector<std::string>{"run_absorber.lay"});
  // A folder of that name is no layer file.
  std::filesystem::create_directory(dir_ / "run.lay");
  EXPECT_EQ(Paths(LayerFilesToLoad(par)), std::vector<std::string>{"run_absorber.lay"});
  std::filesystem::remove(dir_ / "run.lay");
  WriteFile(dir_ / "run.lay", "S=\r\n");
  EXPECT_EQ(Paths(LayerFilesToLoad(par)),
            (std::vector<std::string>{"run.lay", "run_absorber.lay"}));
  // Another base name has none.
  EXPECT_TRUE(LayerFilesToLoad(dir_ / "other.par").empty());
}

TEST_F(ParameterLayerFiles, QuestionsSayWhatIsReplaced) {
  const ParameterLayerFile sample = LayerFileBeside(dir_ / "run.par", LayerText::kSample);
  const std::string name = sample.path.string();
  EXPECT_EQ(SaveLayerFileQuestion(sample),
            "The sample text was modified. Save it as the layer file " + name + "?");
  WriteFile(sample.path, "S=\r\n");
  EXPECT_EQ(SaveLayerFileQuestion(sample),
            "The sample text was modified. Save it as the layer "
            "file " +
                name + "?\nThe file of that name is replaced.");
  EXPECT_EQ(LoadLayerFileQuestion(in(), sample), "Load the sample layer file " + name + " too?");
  in().samplefile = kSampleModifiedLabel;
  EXPECT_EQ(LoadLayerFileQuestion(in(), sample),
            "Load the sample layer file " + name + " too?\nIt replaces the modified sample text.");
  // The absorber's edits do not concern the sample file.
  const ParameterLayerFile foil = LayerFileBeside(dir_ / "run.par", LayerText::kAbsorber);
  EXPECT_EQ(LoadLayerFileQuestion(in(), foil),
            "Load the absorber layer file " + foil.path.string() + " too?");
}

TEST_F(ParameterLayerFiles, SavedTextsLoadBackWithTheirLabels) {
  const std::filesystem::path par = dir_ / "run.par";
  in().richedit1 = "S=\nn=5e22\nsi,1\n";
  in().RichEdit2 = "1000\nal,1\n";
  in().samplefile = kSampleModifiedLabel;
  in().Absorbensfile = kAbsorberModifiedLabel;
  for (const ParameterLayerFile& file : LayerFilesToSave(in(), par))
    EXPECT_EQ(SaveLayerFile(*session_, file), 0);
  EXPECT_TRUE(sink_.messages.empty());
  // Layer files end their lines with CR LF.
  EXPECT_EQ(ReadFile(dir_ / "run.lay"), "S=\r\nn=5e22\r\nsi,1\r\n");
  EXPECT_EQ(ReadFile(dir_ / "run_absorber.lay"), "1000\r\nal,1\r\n");
  EXPECT_EQ(in().samplefile, (dir_ / "run.lay").string());
  EXPECT_EQ(in().Absorbensfile, "Absorbens : " + (dir_ / "run_absorber.lay").string());
  EXPECT_TRUE(LayerFilesToSave(in(), par).empty());

  in().richedit1.clear();
  in().RichEdit2.clear();
  for (const ParameterLayerFile& file : LayerFilesToLoad(par))
    LoadLayerFile(*session_, file);
  EXPECT_EQ(in().richedit1, "S=\nn=5e22\nsi,1\n");
  EXPECT_EQ(in().RichEdit2, "1000\nal,1\n");
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(ParameterLayerFiles, ALayerFileThatCannotBeWrittenSaysSoAndKeepsTheText) {
  in().samplefile = kSampleModifiedLabel;
  // The folder does not exist: the file cannot be created.
  const ParameterLayerFile file = LayerFileBeside(dir_ / "missing" / "run.par", LayerText::kSample);
  EXPECT_NE(SaveLayerFile(*session_, file), 0);
  ASSERT_EQ(sink_.messages.size(), 1U);
  EXPECT_EQ(sink_.messages[0].front(), '#');
  EXPECT_TRUE(LayerTextModified(in(), LayerText::kSample));
}

}  // namespace
}  // namespace dodavev
