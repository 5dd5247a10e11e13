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

}  // namespace
}  // namespace dodavev
