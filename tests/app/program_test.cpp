#include "app/program.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/session.hpp"
#include "io/parameter_file.hpp"
#include "model/messages.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

int RunWith(std::vector<std::string> args, WindowRunner runner = nullptr) {
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  return RunProgram(static_cast<int>(args.size()), argv.data(), runner);
}

int WindowStandIn(int /*argc*/, char** /*argv*/) {
  return 42;
}

TEST(ProgramEntry, HelpAndVersionSucceed) {
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(RunWith({"dodavev", "--help"}), 0);
  EXPECT_EQ(RunWith({"dodavev", "--version"}), 0);
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("usage: dodavev [BATCHFILE]"), std::string::npos);
  EXPECT_NE(out.find("dodavev " DODAVEV_VERSION), std::string::npos);
}

TEST(ProgramEntry, UnknownOptionIsAUsageError) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunWith({"dodavev", "--frobnicate"}), 2);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("unknown option"), std::string::npos);
}

TEST(ProgramEntry, WithoutBatchFileTheWindowRuns) {
  EXPECT_EQ(RunWith({"dodavev"}, &WindowStandIn), 42);
  EXPECT_EQ(RunWith({"dodavev", ""}, &WindowStandIn), 42);  // an empty first argument: no batch
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(RunWith({"dodavev"}), 0);
  EXPECT_NE(::testing::internal::GetCapturedStdout().find("usage"), std::string::npos);
}

TEST(ProgramEntry, UnreadableBatchFileEndsWithFailureAndTheCode) {
  testing::TempDir dir;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunWith({"dodavev", (dir / "absent.bat").string()}), 1);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("#2 " + (dir / "absent.bat").string() + "\n"), std::string::npos);
}

TEST(ProgramEntry, BatchRunLogsItsMessagesBesideTheBatchFile) {
  testing::TempDir dir;
  ASSERT_EQ(WriteParameterFile(dir / "p.par", ParameterInputs{}), 0);
  // The sample layer file is missing: its loader reports "#2" and the run goes on.
  testing::WriteFile(dir / "job.bat",
                     (dir / "p.par").string() + "\r\n" + (dir / "absent.lay").string() +
                         "\r\n\r\nTschalar effect\r\n" + (dir / "out").string() + "\r\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunWith({"dodavev", (dir / "job.bat").string()}), 0);
  ::testing::internal::GetCapturedStderr();
  const std::string log = testing::ReadFile(dir / "job.bat.log");
  EXPECT_NE(log.find("#2 " + (dir / "absent.lay").string() + " (record 1, line 2)\r\n"),
            std::string::npos);
  // Without a sample the calculation leaves no report: nothing is written, and the log
  // says so.
  EXPECT_NE(log.find("nothing written for"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "out.dat"));
}

TEST(StartUp, LevBesideTheProgramWinsOverTheInstalledOne) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir / "bin");
  std::filesystem::create_directories(dir / "share" / "LEV");
  EXPECT_EQ(ChooseLevDirectory(dir / "bin", dir / "share"), dir / "share" / "LEV");
  std::filesystem::create_directories(dir / "bin" / "LEV");
  EXPECT_EQ(ChooseLevDirectory(dir / "bin", dir / "share"), dir / "bin" / "LEV");
  // Neither: the one beside the program, so the start-up messages name it.
  EXPECT_EQ(ChooseLevDirectory(dir / "none", dir / "nowhere"), dir / "none" / "LEV");
}

TEST(StartUp, ProgramDirectoryHoldsTheRunningExecutable) {
  const std::filesystem::path dir = FindProgramDirectory("ignored");
  EXPECT_TRUE(dir.is_absolute());
  EXPECT_TRUE(std::filesystem::is_directory(dir));
}

TEST(StartUp, MissingDataAreReportedAndStartUpGoesOn) {
  testing::TempDir dir;
  CollectingSink sink;
  auto session = std::make_unique<Session>(sink);
  session->activePage = "Options";
  FormCreate(*session, dir.path(), dir / "LEV");
  ASSERT_FALSE(sink.messages.empty());
  EXPECT_EQ(sink.messages.front().rfind("problem with stopping data !", 0), 0U);
  EXPECT_EQ(session->activePage, "Beam");
  EXPECT_EQ(session->CalcMode, CalculationMode::kNone);
  EXPECT_EQ(session->levDir, dir / "LEV");
}

}  // namespace
}  // namespace dodavev
