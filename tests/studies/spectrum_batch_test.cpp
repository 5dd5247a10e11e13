// The spectrum simulations from a BatchFile: line 5 after "spectrum simulation" or
// "full spectrum (1)" writes the two-column spectrum file, and each record's spectrum is
// its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/batch_run.hpp"
#include "app/session_fixture.hpp"
#include "io/parameter_file.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using testing::ReadFile;
using testing::WriteFile;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) {
      lines.push_back(text.substr(pos));
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return lines;
}

// Counts of a spectrum file line, after checking its layout: "%4.0f", five blanks, "%12.1f",
// CR LF.
double CountsOf(const std::string& line, int channel) {
  EXPECT_EQ(line.size(), 22U) << line;
  EXPECT_EQ(line.back(), '\r');
  char channelText[16];
  std::snprintf(channelText, sizeof channelText, "%4d", channel);
  EXPECT_EQ(line.substr(0, 4), channelText);
  EXPECT_EQ(line.substr(4, 5), "     ");
  return std::stod(line.substr(9, 12));
}

std::vector<double> ReadSpectrumFile(const std::filesystem::path& file) {
  const std::vector<std::string> lines = Lines(ReadFile(file));
  EXPECT_EQ(lines.size(), 600U);
  std::vector<double> counts;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    counts.push_back(CountsOf(lines[i], static_cast<int>(i) + 1));
  }
  return counts;
}

double Sum(const std::vector<double>& v, std::size_t from, std::size_t to) {
  double s = 0.0;
  for (std::size_t i = from; i < to && i < v.size(); ++i)
    s += v[i];
  return s;
}

class SpectrumBatch : public testing::StartedSession {
 protected:
  // The shipped example's records with its input names made absolute and its outputs
  // written into the scratch directory.
  std::string ExampleRecords() {
    const std::filesystem::path examples = std::filesystem::path(DODAVEV_SOURCE_DIR) / "examples";
    const std::vector<std::string> lines = Lines(ReadFile(examples / "spectrum.bat"));
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::string line = lines[i];
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::size_t n = i % 5;
      if (!line.empty() && (n == 0 || n == 1 || n == 2)) line = (examples / line).string();
      if (n == 4) line = (dir_ / line).string();
      text += line + "\r\n";
    }
    return text;
  }

  testing::TempDir dir_;
};

TEST_F(SpectrumBatch, ExampleWritesTheSubSpectrumAndTheFullSpectrum) {
  RunBatchRecords(session(), ExampleRecords());
  EXPECT_TRUE(messages().empty()) << messages().front();
  const std::vector<double> sub = ReadSpectrumFile(dir_ / "spectrum_sub.dat");
  const std::vector<double> full = ReadSpectrumFile(dir_ / "spectrum_full.dat");
  // The example: 30 nm of gold on silicon, 2 MeV helium at 170 degrees, target 28Si. The
  // gold peak at K E0 = 1845 keV (channel 236) is only in the full spectrum.
  EXPECT_DOUBLE_EQ(Sum(sub, 200, 600), 0.0);
  EXPECT_GT(Sum(full, 225, 245), 1e5);
  // Below the silicon edge (channel 134, moved lower by the gold film) the full spectrum
  // holds all three silicon isotopes, the sub-spectrum 28Si (92.2 % of them) alone.
  EXPECT_NEAR(Sum(full, 60, 120) / Sum(sub, 60, 120), 1.0 / 0.92223, 0.01);
}

TEST_F(SpectrumBatch, EachRecordWritesItsOwnSpectrum) {
  WriteParameterFile(dir_ / "run.par", ParameterInputs{});
  WriteFile(dir_ / "sic.lay", "S=\r\nn=9.64e22\r\nc,1\r\nsi,1\r\n");
  WriteFile(dir_ / "light.lay", "S=\r\nn=5e22\r\nh,1\r\n");
  auto record = [&](const std::string& lay, const std::string& calculation,
                    const std::string& out) {
    return (dir_ / "run.par").string() + "\r\n" + (dir_ / lay).string() + "\r\n\r\n" + calculation +
           "\r\n" + (dir_ / out).string() + "\r\n";
  };
  RunBatchRecords(session(), record("sic.lay", "full spectrum (1)", "first.res") +
                                 record("light.lay", "full spectrum (1)", "second.res") +
                                 record("sic.lay", "depth and energy resolution", "third.res"));
  EXPECT_GT(Sum(ReadSpectrumFile(dir_ / "first.dat"), 0, 600), 0.0);
  // Helium cannot backscatter from hydrogen: nothing of the first record remains.
  const std::vector<double> second = ReadSpectrumFile(dir_ / "second.dat");
  EXPECT_DOUBLE_EQ(Sum(second, 0, 600), 0.0);
  // After a resolution calculation line 5 saves its two reports, not a spectrum.
  EXPECT_TRUE(std::filesystem::exists(dir_ / "third_1.dat"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "third_2.dat"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "third.dat"));
}

}  // namespace
}  // namespace dodavev
