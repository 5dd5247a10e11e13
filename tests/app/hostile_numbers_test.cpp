// Numbers that no sample, beam or detector can have, fed to every calculation of a batch
// run: whatever is refused, no report, table or spectrum file and no message ever shows a
// "nan" or an "inf".
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "app/batch_run.hpp"
#include "app/calculations.hpp"
#include "app/session_fixture.hpp"
#include "io/parameter_file.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using testing::ReadFile;
using testing::WriteFile;

// "nan", "-nan", "inf", "-inf" and "infinity" as printf writes them, in any case, standing
// as a word of their own.
bool ShowsNotANumber(const std::string& text) {
  auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
  for (std::size_t i = 0; i < text.size();) {
    if (!letter(text[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    std::string word;
    while (end < text.size() && letter(text[end]))
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(text[end++])));
    if (word == "nan" || word == "inf" || word == "infinity") return true;
    i = end;
  }
  return false;
}

TEST(ShowsNotANumber, FindsWhatPrintfWritesAndNothingElse) {
  EXPECT_TRUE(ShowsNotANumber("depth = -nan nm"));
  EXPECT_TRUE(ShowsNotANumber("  1.0  INF\r\n"));
  EXPECT_TRUE(ShowsNotANumber("e=inf"));
  EXPECT_FALSE(ShowsNotANumber("information on the infrared line, finance"));
  EXPECT_FALSE(ShowsNotANumber("1.00E+308"));
}

struct Hostile {
  const char* name;
  const char* sample;    // layer file text of the sample
  const char* absorber;  // of the absorber; empty for none
  const char* e0;        // the beam energy typed
  const char* a = "80";  // the incident angle typed
  const char* th = "165";
};

class HostileNumbers : public testing::StartedSession,
                       public ::testing::WithParamInterface<Hostile> {
 protected:
  testing::TempDir dir_;
};

TEST_P(HostileNumbers, NoOutputOrMessageOfAnyCalculationShowsNan) {
  const Hostile& h = GetParam();
  ParameterInputs in;
  in.Edit1_e0 = h.e0;
  in.Edit1_a = h.a;
  in.Edit1_th = h.th;
  // A short walk and scan: the point is what is printed, not how far.
  in.Edit1_depthmax = "0.5";
  in.Edit1_theta_min = "150";
  in.Edit1_theta_max = "170";
  in.Edit1_step_deg = "10";
  WriteParameterFile(dir_ / "run.par", in);
  WriteFile(dir_ / "sample.lay", h.sample);
  const bool foil = h.absorber[0] != '\0';
  if (foil) WriteFile(dir_ / "foil.lay", h.absorber);
  std::string batch;
  int record = 0;
  for (const CalculationEntry& c : Calculations()) {
    batch += (dir_ / "run.par").string() + "\r\n" + (dir_ / "sample.lay").string() + "\r\n" +
             (foil ? (dir_ / "foil.lay").string() : std::string()) + "\r\n" +
             std::string(c.caption) + "\r\n" +
             (dir_ / ("out" + std::to_string(++record))).string() + "\r\n";
  }
  RunBatchRecords(session(), batch);
  for (const std::string& m : messages())
    EXPECT_FALSE(ShowsNotANumber(m)) << m;
  int scanned = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with("out")) continue;
    ++scanned;
    const std::string text = ReadFile(entry.path());
    EXPECT_FALSE(ShowsNotANumber(text)) << name << ":\n" << text.substr(0, 2000);
  }
  // The records that still had a sample wrote something to look at.
  if (std::string_view(h.name).starts_with("foil")) {
    EXPECT_GT(scanned, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Reproductions, HostileNumbers,
    ::testing::Values(Hostile{"amounts_overflow", "S=\r\nn=5e22\r\nsi,1e308\r\nc,1e308\r\n", "",
                              "3100"},
                      Hostile{"density_1e308", "S=\r\nn=1e308\r\nsi,1\r\n", "", "3100"},
                      Hostile{"thickness_1e308",
                              "A=1e308\r\nn=5e22\r\nsi,1\r\nS=\r\nn=5e22\r\nsi,1\r\n", "", "3100"},
                      Hostile{"foil_amounts_overflow", "S=\r\nn=5e22\r\nsi,1\r\n",
                              "A=10000\r\nn=6e22\r\nal,1e308\r\nal,1e308\r\n", "3100"},
                      Hostile{"foil_grazing_incidence", "S=\r\nn=5e22\r\nsi,1\r\n",
                              "A=10000\r\nn=6e22\r\nal,1\r\n", "3100", "0", "165"},
                      Hostile{"foil_detector_at_180", "S=\r\nn=5e22\r\nsi,1\r\n",
                              "A=10000\r\nn=6e22\r\nal,1\r\n", "3100", "80", "180"},
                      Hostile{"foil_detector_at_0", "S=\r\nn=5e22\r\nsi,1\r\n",
                              "A=10000\r\nn=6e22\r\nal,1\r\n", "3100", "80", "0"},
                      Hostile{"foil_beam_at_1_GeV", "S=\r\nn=5e22\r\nsi,1\r\n",
                              "A=10000\r\nn=6e22\r\nal,1\r\n", "1e6", "80", "165"},
                      Hostile{"foil_beam_at_1_keV", "S=\r\nn=5e22\r\nsi,1\r\n",
                              "A=10000\r\nn=6e22\r\nal,1\r\n", "1", "80", "165"},
                      Hostile{"foil_beam_1e308", "S=\r\nn=5e22\r\nsi,1\r\n",
                              "A=10000\r\nn=6e22\r\nal,1\r\n", "1e308"}),
    [](const ::testing::TestParamInfo<Hostile>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace dodavev
