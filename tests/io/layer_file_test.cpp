// Loading and saving layer files, and the file ending forced by the writers.
#include "io/layer_file.hpp"
#include "app/layer_file_actions.hpp"

#include <gtest/gtest.h>

#include "app/session.hpp"
#include "io/file_naming.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(ForceExtensionTest, CutsTheFileNameAtItsFirstPoint) {
  EXPECT_EQ(ForceExtension("sample.old.txt", ".lay"), std::filesystem::path("sample.lay"));
  EXPECT_EQ(ForceExtension("dir/sample.old.txt", ".lay"), std::filesystem::path("dir/sample.lay"));
  EXPECT_EQ(ForceExtension("dir/sample", ".lay"), std::filesystem::path("dir/sample.lay"));
  // A point in a directory name does not cut the path there.
  EXPECT_EQ(ForceExtension("/home/a.b/run.1/sample", ".lay"),
            std::filesystem::path("/home/a.b/run.1/sample.lay"));
  EXPECT_EQ(ForceExtension("./x.dat", ".txt"), std::filesystem::path("./x.txt"));
}

class LayerFileTest : public ::testing::Test {
 protected:
  CollectingSink sink_;
  Session session_{sink_};
  TempDir dir_;
};

TEST_F(LayerFileTest, SampleLoaderReadsCrLfAndLfLines) {
  WriteFile(dir_ / "a.lay", "S=\r\nN=5e22\nSI,1");  // mixed ends, last line unterminated
  LoadSampleLayerFile(session_, dir_ / "a.lay");
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(session_.params.richedit1, "S=\nN=5e22\nSI,1\n");
  EXPECT_EQ(session_.params.samplefile, (dir_ / "a.lay").string());
  // Empty lines of the file are kept.
  WriteFile(dir_ / "b.lay", "A=10\r\n\r\nN=1e22\r\n");
  LoadSampleLayerFile(session_, dir_ / "b.lay");
  EXPECT_EQ(session_.params.richedit1, "A=10\n\nN=1e22\n");
}

TEST_F(LayerFileTest, MissingFileShowsTheErrorCodeAndEmptiesTheText) {
  LoadSampleLayerFile(session_, dir_ / "none.lay");
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"#2 " + (dir_ / "none.lay").string()});
  EXPECT_EQ(session_.params.richedit1, "");
  EXPECT_EQ(session_.params.samplefile, (dir_ / "none.lay").string());
}

TEST_F(LayerFileTest, AbsorberLoaderLabelsTheFile) {
  WriteFile(dir_ / "foil.lay", "A=60000\r\nN=6.02e22\r\nAL,1\r\n");
  LoadAbsorberFile(session_, dir_ / "foil.lay");
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(session_.params.RichEdit2, "A=60000\nN=6.02e22\nAL,1\n");
  EXPECT_EQ(session_.params.Absorbensfile, "Absorbens : " + (dir_ / "foil.lay").string());
  LoadAbsorberFile(session_, dir_.path());  // a directory is not a layer file
  ASSERT_EQ(sink_.messages.size(), 1U);
  EXPECT_EQ(sink_.messages[0], "#" + std::to_string(EISDIR) + " " + dir_.path().string());
}

TEST_F(LayerFileTest, DevicesAreNotReadAsLayerFiles) {
  // /dev/zero never ends: reading it would fill the memory.
  LoadSampleLayerFile(session_, "/dev/zero");
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"#" + std::to_string(EINVAL) + " /dev/zero"});
  EXPECT_EQ(session_.params.richedit1, "");
}

TEST_F(LayerFileTest, SavingForcesLayAndWritesCrLf) {
  session_.params.richedit1 = "S=\nn=9.64e22\nc,1\nsi,1\n";
  const auto chosen = dir_ / "sample.old.txt";
  EXPECT_EQ(SaveSampleLayerFile(session_, chosen), 0);
  EXPECT_FALSE(std::filesystem::exists(chosen));
  EXPECT_EQ(ReadFile(dir_ / "sample.lay"), "S=\r\nn=9.64e22\r\nc,1\r\nsi,1\r\n");
  EXPECT_EQ(session_.params.samplefile, chosen.string());  // the name as chosen
  // Read back, the text is the same.
  session_.params.richedit1.clear();
  LoadSampleLayerFile(session_, dir_ / "sample.lay");
  EXPECT_EQ(session_.params.richedit1, "S=\nn=9.64e22\nc,1\nsi,1\n");
}

TEST_F(LayerFileTest, AbsorberSaveLabelsAndKeepsALastLineWithoutBreak) {
  session_.params.RichEdit2 = "A=100\nN=1e22\nC,1";
  EXPECT_EQ(SaveAbsorberFile(session_, dir_ / "foil"), 0);
  EXPECT_EQ(ReadFile(dir_ / "foil.lay"), "A=100\r\nN=1e22\r\nC,1");
  EXPECT_EQ(session_.params.Absorbensfile, "Absorbens : " + (dir_ / "foil").string());
}

TEST_F(LayerFileTest, FailedSaveShowsTheCodeAndKeepsTheLabel) {
  session_.params.samplefile = "before";
  EXPECT_EQ(SaveSampleLayerFile(session_, dir_ / "no" / "such" / "x.lay"), ENOENT);
  EXPECT_EQ(sink_.messages,
            std::vector<std::string>{"#2 " + (dir_ / "no" / "such" / "x.lay").string()});
  EXPECT_EQ(session_.params.samplefile, "before");
}

TEST_F(LayerFileTest, FailedSaveLeavesTheOldFileWhole) {
  // A directory where the temporary file's rename must land: the rename fails and the
  // directory (standing in for an old file) is untouched; no temporary file is left.
  std::filesystem::create_directories(dir_ / "busy.lay" / "inside");
  session_.params.richedit1 = "S=\n";
  EXPECT_NE(SaveSampleLayerFile(session_, dir_ / "busy"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "busy.lay" / "inside"));
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace dodavev
