#include "io/result_files.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "model/messages.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(ResultFiles, ResolutionRunWritesTwoFilesOtherRunsOne) {
  TempDir dir;
  CollectingSink sink;
  EXPECT_EQ(WriteResults(dir / "out.txt", "main\r\n", "detail\r\n", CalculationMode::kDepthWalk,
                         SpectrumMode::kResolution, sink),
            0);
  EXPECT_EQ(ReadFile(dir / "out_1.dat"), "main\r\n");
  EXPECT_EQ(ReadFile(dir / "out_2.dat"), "detail\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.dat"));

  // The optimisation (mode 'O') and "View results" (flag 'S') keep only the report text.
  EXPECT_EQ(WriteResults(dir / "opt.txt", "scan", "detail", CalculationMode::kOptimisation,
                         SpectrumMode::kResolution, sink),
            0);
  EXPECT_EQ(ReadFile(dir / "opt.dat"), "scan");
  EXPECT_EQ(WriteResults(dir / "view.res", "view", "detail", CalculationMode::kDepthWalk,
                         SpectrumMode::kShown, sink),
            0);
  EXPECT_EQ(ReadFile(dir / "view.dat"), "view");
  EXPECT_TRUE(sink.messages.empty());
}

TEST(ResultFiles, FailedWriteReportsTheCodeAndStillTriesTheSecondFile) {
  TempDir dir;
  CollectingSink sink;
  // out_1.dat is a directory: the first write fails, the second goes through.
  std::filesystem::create_directory(dir / "out_1.dat");
  EXPECT_NE(WriteResults(dir / "out", "main", "detail", CalculationMode::kDepthWalk,
                         SpectrumMode::kResolution, sink),
            0);
  ASSERT_EQ(sink.messages.size(), 1U);
  EXPECT_EQ(sink.messages[0].front(), '#');
  EXPECT_EQ(ReadFile(dir / "out_2.dat"), "detail");
  // A missing directory: ENOENT is 2.
  sink.messages.clear();
  EXPECT_EQ(WriteResults(dir / "nodir" / "x", "a", "b", CalculationMode::kOptimisation,
                         SpectrumMode::kResolution, sink),
            2);
  EXPECT_EQ(sink.messages, std::vector<std::string>{"#2 " + (dir / "nodir" / "x.dat").string()});
}

TEST(ResultFiles, SpectrumLayouts) {
  Spectrum sim{};
  Spectrum measured{};
  sim[1] = 2.0;
  sim[600] = 0.5;
  measured[1] = 17.0;
  // Counts are written multiplied by keV per channel: 2 x 7.03 = 14.06 -> "14.1".
  std::string two = FormatSpectrumFile(sim, 7.03);
  EXPECT_EQ(two.substr(0, 23), "   1             14.1\r\n");
  EXPECT_EQ(two.substr(23, 23), "   2              0.0\r\n");  // 0 counts right-aligned
  EXPECT_EQ(two.size(), 600U * 23U);
  // Channel 1 of the depth file: energy 1 x 7.03 + 185.88 = 192.91 -> "192.9".
  std::string depth = FormatDepthFile(sim, measured, {7.03, 185.88});
  EXPECT_EQ(depth.substr(0, 56), "channels     energy_[keV]     measured       simulated\r\n");
  EXPECT_EQ(depth.substr(56, 53), "   1            192.9           17             14.1\r\n");
}

TEST(ResultFiles, BatchSpectrumNameCutsAtTheFirstPointOfTheFileName) {
  TempDir dir;
  CollectingSink sink;
  Spectrum sim{};
  EXPECT_EQ(WriteSpectrum(dir / "run1.res", 1, sim, sim, {1.0, 0.0}, sink), 0);
  EXPECT_TRUE(std::filesystem::exists(dir / "run1.dat"));
  EXPECT_EQ(WriteSpectrum(dir / "run2.res", 2, sim, sim, {1.0, 0.0}, sink), 0);
  EXPECT_TRUE(std::filesystem::exists(dir / "run2.txt"));
}

// One line per channel of the simulated spectrum, whatever its count; a measured spectrum
// shorter than that shows 0 beyond its own channels.
TEST(ResultFiles, FilesFollowTheChannelCount) {
  Spectrum sim(2048);
  sim[2048] = 1.0;
  Spectrum measured(3);
  measured[3] = 5.0;
  const std::string two = FormatSpectrumFile(sim, 1.0);
  EXPECT_EQ(std::count(two.begin(), two.end(), '\n'), 2048);
  // Channel 2048 widens the four-character field: "2048" then five blanks and 12 characters.
  EXPECT_EQ(two.substr(two.size() - 23), "2048              1.0\r\n");
  const std::string depth = FormatDepthFile(sim, measured, {1.0, 0.0});
  EXPECT_EQ(std::count(depth.begin(), depth.end(), '\n'), 2049);  // header + channels
  EXPECT_NE(depth.find("   3              3.0            5              0.0\r\n"),
            std::string::npos);
  EXPECT_NE(depth.find("   4              4.0            0              0.0\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace dodavev
