#include "app/batch_run.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/calculations.hpp"
#include "app/session_fixture.hpp"
#include "io/parameter_file.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using testing::ReadFile;
using testing::WriteFile;

class BatchRun : public testing::StartedSession {
 protected:
  BatchRun() {
    WriteParameterFile(dir_ / "run.par", ParameterInputs{});
    WriteFile(dir_ / "sample.lay", "S=\r\nn=5e22\r\nsi,1\r\n");
    WriteFile(dir_ / "foil.lay", "A=10000\r\nn=6e22\r\nal,1\r\n");
  }

  // One record with absolute names (names on the lines are used as they stand).
  std::string Record(const std::string& absorber, const std::string& calculation,
                     const std::string& output) {
    return (dir_ / "run.par").string() + "\r\n" + (dir_ / "sample.lay").string() + "\r\n" +
           (absorber.empty() ? "" : (dir_ / absorber).string()) + "\r\n" + calculation + "\r\n" +
           (dir_ / output).string() + "\r\n";
  }

  long Count(const std::string& message) {
    return std::count(messages().begin(), messages().end(), message);
  }

  testing::TempDir dir_;
};

TEST_F(BatchRun, RecordLoadsItsFilesRunsOkAndSavesTheReport) {
  params().Edit1_e0 = "1";
  session().OutputLog = "report of an earlier calculation";
  RunBatchRecords(session(), Record("foil.lay", "no such calculation", "out.txt"));
  EXPECT_EQ(params().Edit1_e0, "3100");   // from the parameter file
  EXPECT_DOUBLE_EQ(params().e0, 3100.0);  // "OK" ran
  EXPECT_EQ(params().richedit1, "S=\nn=5e22\nsi,1\n");
  EXPECT_EQ(params().RichEdit2, "A=10000\nn=6e22\nal,1\n");
  // No calculation ran: the results writer saves what the last one left, in base.dat.
  EXPECT_EQ(ReadFile(dir_ / "out.dat"), "report of an earlier calculation");
}

TEST_F(BatchRun, EmptyAbsorberLineEmptiesTheAbsorber) {
  params().RichEdit2 = "A=100\nn=1e22\nc,1\n";
  RunBatchRecords(session(), Record("", "", "out"));
  EXPECT_EQ(params().RichEdit2, "");
  EXPECT_TRUE(session().absorber.empty());
}

TEST_F(BatchRun, SpectrumFlagNChoosesTheSpectrumWriter) {
  session().SpectrumFlag = 'N';  // as a spectrum simulation leaves it
  RunBatchRecords(session(), Record("", "Energy loss", "run1.res"));
  // 600 channels, one line each: channel "%4.0f", five blanks, counts "%12.1f".
  const std::string spectrum = ReadFile(dir_ / "run1.dat");
  EXPECT_EQ(std::count(spectrum.begin(), spectrum.end(), '\n'), 600);
  EXPECT_EQ(spectrum.substr(0, 23), "   1              0.0\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "run1_1.dat"));
}

TEST_F(BatchRun, EnergyLossLeavesTheWriterChoiceOfTheRecordBefore) {
  session().SpectrumFlag = 'N';  // as a spectrum simulation in an earlier record leaves it
  RunBatchRecords(session(), Record("foil.lay", "energy loss", "loss"));
  EXPECT_EQ(session().SpectrumFlag, 'N');
  const std::string spectrum = ReadFile(dir_ / "loss.dat");
  EXPECT_EQ(std::count(spectrum.begin(), spectrum.end(), '\n'), 600);
}

TEST_F(BatchRun, CaptionsAreComparedExactly) {
  ASSERT_NE(FindCalculation("depth and energy resolution"), nullptr);
  EXPECT_EQ(FindCalculation("Depth and energy resolution"), nullptr);
  EXPECT_EQ(FindCalculation("depth and energy resolution "), nullptr);
  EXPECT_EQ(FindCalculation(""), nullptr);
  ASSERT_NE(FindCalculation("full spectrum (1)"), nullptr);
  EXPECT_EQ(FindCalculation("full spectrum (2)"), nullptr);  // not offered to BatchFiles
  EXPECT_EQ(Calculations().size(), 7U);
}

TEST_F(BatchRun, ShortLastRecordReadsEmptyLines) {
  // Six lines: the second record has only its parameter file.
  std::string text = Record("", "", "first") + (dir_ / "run.par").string() + "\r\n";
  RunBatchRecords(session(), text);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "first.dat"));
  // The empty sample name is reported by the layer loader and the empty output name by
  // the writer: "#2" each time, no file called ".dat" or "_1.dat" anywhere.
  EXPECT_GE(Count("#2"), 2);
  ASSERT_FALSE(messages().empty());
  EXPECT_EQ(messages().back(), "#2");
}

TEST_F(BatchRun, TwoRecordsRunInOrder) {
  RunBatchRecords(session(), Record("", "", "a") + Record("foil.lay", "", "b"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "a.dat"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "b.dat"));
  EXPECT_FALSE(params().RichEdit2.empty());  // the second record's absorber
}

TEST_F(BatchRun, LfOnlyBatchFileIsReadToo) {
  std::string text = Record("", "", "lf");
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  RunBatchRecords(session(), text);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "lf.dat"));
}

TEST_F(BatchRun, EmptyBatchFileRunsNoRecord) {
  WriteFile(dir_ / "empty.bat", "");
  EXPECT_EQ(RunBatchFile(session(), dir_ / "empty.bat"), 0);
  EXPECT_TRUE(messages().empty());
}

TEST_F(BatchRun, MissingBatchFileIsReportedAsErrorTwo) {
  EXPECT_EQ(RunBatchFile(session(), dir_ / "absent.bat"), 2);
  EXPECT_THAT(messages(), ::testing::ElementsAre("#2"));
}

TEST_F(BatchRun, MissingParameterFileIsReportedAndTheRecordGoesOn) {
  std::string text = (dir_ / "absent.par").string() + "\r\n" + (dir_ / "sample.lay").string() +
                     "\r\n\r\n\r\n" + (dir_ / "still").string() + "\r\n";
  RunBatchRecords(session(), text);
  ASSERT_FALSE(messages().empty());
  EXPECT_EQ(messages().front(), "#2");
  EXPECT_TRUE(std::filesystem::exists(dir_ / "still.dat"));
}

TEST(BatchPaths, ArgumentFoundInTheCurrentDirectoryElseInTheProgramDirectory) {
  testing::TempDir dir;
  WriteFile(dir / "here.bat", "");
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  EXPECT_EQ(ResolveBatchPath("here.bat", "/opt/dodavev"), std::filesystem::path("here.bat"));
  EXPECT_EQ(ResolveBatchPath("there.bat", "/opt/dodavev"),
            std::filesystem::path("/opt/dodavev/there.bat"));
  std::filesystem::current_path(cwd);
  EXPECT_EQ(ResolveBatchPath("/abs/x.bat", "/opt/dodavev"), std::filesystem::path("/abs/x.bat"));
  EXPECT_EQ(BatchLogPath("dir/default.bat"), std::filesystem::path("dir/default.bat.log"));
}

}  // namespace
}  // namespace dodavev
