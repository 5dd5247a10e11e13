// Start-up loading of the LEV directory into a session.
#include "app/startup_data.hpp"

#include <gtest/gtest.h>

#include <string>

#include "app/session.hpp"
#include "physics/element_io.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using testing::TempDir;

// A copy of the shipped LEV directory with FMT.DAT supplied when it is not shipped, so that
// each test starts from a directory in which every file is present.
class StartupDataTest : public ::testing::Test {
 protected:
  StartupDataTest() {
    session_.levDir = dir_ / "LEV";
    std::filesystem::create_directories(session_.levDir);
    const std::filesystem::path shipped(DODAVEV_LEV_DIR);
    for (const char* name : {"STOP.DAT", "chupar.dat", "FMT.DAT", "TAUFIJ.DAT", "cp165.txt",
                             "sip165.txt", "hep167.txt", "che165.txt"}) {
      if (std::filesystem::exists(shipped / name)) {
        std::filesystem::copy_file(shipped / name, session_.levDir / name);
      }
    }
    if (!std::filesystem::exists(session_.levDir / "FMT.DAT")) {
      std::string fmt;
      for (int r = 0; r < PhysicsTables::kMsFRows; ++r)
        fmt += "1 1 1 1 1\r\n";
      testing::WriteFile(session_.levDir / "FMT.DAT", fmt);
    }
  }

  CollectingSink sink_;
  Session session_{sink_};
  TempDir dir_;
};

TEST_F(StartupDataTest, CompleteDirectoryLoadsSilently) {
  LoadStartupData(session_);
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(session_.elements[14].SymbolView(), "SI");
  EXPECT_TRUE(session_.tables.msFTableComplete);
  EXPECT_TRUE(session_.tables.msTauTableComplete);
  // Hydrogen has no Chu correction; helium has one.
  EXPECT_EQ(session_.elements[1].chuParam[0], 0.0);
  EXPECT_NE(session_.elements[2].chuParam[0], 0.0);
}

TEST_F(StartupDataTest, MissingElementFileIsReportedAndTheRestStillLoads) {
  std::filesystem::remove(session_.levDir / "STOP.DAT");
  LoadStartupData(session_);
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"problem with stopping data !122"});
  EXPECT_FALSE(session_.elements[14].Present());
  EXPECT_TRUE(session_.tables.msTauTableComplete);
}

TEST_F(StartupDataTest, EveryMissingTableIsNamed) {
  std::filesystem::remove(session_.levDir / "FMT.DAT");
  std::filesystem::remove(session_.levDir / "sip165.txt");
  std::filesystem::remove(session_.levDir / "che165.txt");
  LoadStartupData(session_);
  EXPECT_EQ(sink_.messages, (std::vector<std::string>{"problem with chupar !2 (FMT.DAT)",
                                                      "problem with chupar !2 (sip165.txt)",
                                                      "problem with chupar !2 (che165.txt)"}));
  EXPECT_FALSE(session_.tables.msFTableComplete);
  EXPECT_TRUE(session_.tables.msTauTableComplete);
}

TEST_F(StartupDataTest, ShortTableIsReportedWithItsName) {
  testing::WriteFile(session_.levDir / "TAUFIJ.DAT", "1e-3\r\n2e-3\r\n");
  LoadStartupData(session_);
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"problem with chupar !100 (TAUFIJ.DAT)"});
  EXPECT_FALSE(session_.tables.msTauTableComplete);
}

TEST_F(StartupDataTest, ElementFileErrorsKeepTheirStatus) {
  testing::WriteFile(session_.levDir / "STOP.DAT", "XX 99 1 2 3 4 5\r\n");
  LoadStartupData(session_);
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"problem with stopping data !1"});
}

// Values no table of ours can hold are refused with the file, the line and the value;
// the shipped lines before it stay read.
struct BadValue {
  const char* file;
  int line;          // from 1
  const char* text;  // the line written there
  const char* message;
};
class StartupBadValue : public StartupDataTest, public ::testing::WithParamInterface<BadValue> {
 protected:
  // The shipped file with line `line` replaced (CR LF line ends kept).
  void Replace(const BadValue& v) {
    const std::string old = testing::ReadFile(session_.levDir / v.file);
    std::string out;
    std::size_t pos = 0;
    for (int k = 1; pos < old.size(); ++k) {
      std::size_t end = old.find('\n', pos);
      end = end == std::string::npos ? old.size() : end + 1;
      out += k == v.line ? std::string(v.text) + "\r\n" : old.substr(pos, end - pos);
      pos = end;
    }
    testing::WriteFile(session_.levDir / v.file, out);
  }
};

TEST_P(StartupBadValue, IsNamedWithFileAndLine) {
  Replace(GetParam());
  LoadStartupData(session_);
  EXPECT_EQ(sink_.messages, std::vector<std::string>{GetParam().message});
}

INSTANTIATE_TEST_SUITE_P(
    Tables, StartupBadValue,
    ::testing::Values(
        BadValue{"chupar.dat", 3, " 4 1e308 1e308 1e308 1e308",
                 "problem with chupar !106 (chupar.dat, line 3: 1e+308 is outside 0 to 50)"},
        BadValue{"chupar.dat", 1, " 2 0.79 -1 0.23 0.69",
                 "problem with chupar !106 (chupar.dat, line 1: -1 is outside 0 to 50)"},
        BadValue{"cp165.txt", 3, "0 0",
                 "problem with chupar !106 (cp165.txt, line 3: 0 is not positive)"},
        BadValue{"hep167.txt", 2500, "10000.0 0",
                 "problem with chupar !106 (hep167.txt, line 2500: 0 is not positive)"},
        BadValue{"che165.txt", 2, "2020.0 169.9525 -3.767022e+01",
                 "problem with chupar !106 (che165.txt, line 2: -37.6702 is not positive)"},
        BadValue{"che165.txt", 5, "2080.0 190 3.5e+01",
                 "problem with chupar !106 (che165.txt, line 5: 190 is more than 180 degrees)"},
        BadValue{"TAUFIJ.DAT", 4, "0",
                 "problem with chupar !106 (TAUFIJ.DAT, line 4: 0 is not positive)"},
        BadValue{"cp165.txt", 7, "28.0 x", "problem with chupar !106 (cp165.txt, line 7)"}));

// A refused Chu line keeps the parameters of the elements before it.
TEST_F(StartupDataTest, ChuParametersBeforeARefusedLineStay) {
  const std::string shipped = testing::ReadFile(session_.levDir / "chupar.dat");
  testing::WriteFile(session_.levDir / "chupar.dat",
                     shipped.substr(0, shipped.find('\n') + 1) + " 3 1e308 1 1 1\r\n");
  LoadStartupData(session_);
  ASSERT_EQ(sink_.messages.size(), 1U);
  EXPECT_NE(session_.elements[2].chuParam[0], 0.0);  // helium, line 1
  EXPECT_EQ(session_.elements[3].chuParam[0], 0.0);  // lithium, refused
}

}  // namespace
}  // namespace dodavev
