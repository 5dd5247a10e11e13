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
  WriteFile(dir_ / "out.dat", "old results");
  RunBatchRecords(session(), Record("foil.lay", "Optimization", "out.txt"));
  EXPECT_EQ(params().Edit1_e0, "3100");   // from the parameter file
  EXPECT_DOUBLE_EQ(params().e0, 3100.0);  // "OK" ran
  EXPECT_EQ(params().richedit1, "S=\nn=5e22\nsi,1\n");
  EXPECT_EQ(params().RichEdit2, "A=10000\nn=6e22\nal,1\n");
  // No calculation ran: the name is refused with the list of names and nothing is saved,
  // neither the earlier report nor an empty one.
  EXPECT_THAT(messages(),
              ::testing::ElementsAre(
                  "unknown calculation name \"Optimization\" (record 1, line 4); the names are "
                  "\"energy loss\", \"Tschalar effect\", \"depth and energy resolution\", "
                  "\"optimization\", \"spectrum simulation\", \"full spectrum (1)\", "
                  "\"excitation curves for resonances\", \"spectrum fit\"",
                  "nothing written for \"" + (dir_ / "out.txt").string() +
                      "\" (record 1, line 5): no calculation ran"));
  EXPECT_EQ(ReadFile(dir_ / "out.dat"), "old results");
}

// A refused calculation leaves no report: the old result files stay as they were.
TEST_F(BatchRun, RecordWhoseCalculationProducedNothingWritesNothing) {
  ParameterInputs in;
  in.Edit1_e0 = "100";  // below the threshold energy of 150 keV
  WriteParameterFile(dir_ / "zero.par", in);
  WriteFile(dir_ / "out_1.dat", "old report");
  std::string text = Record("", "depth and energy resolution", "out");
  text.replace(0, (dir_ / "run.par").string().size(), (dir_ / "zero.par").string());
  RunBatchRecords(session(), text);
  ASSERT_FALSE(messages().empty());
  EXPECT_EQ(messages().back(), "nothing written for \"" + (dir_ / "out").string() +
                                   "\" (record 1, line 5): the calculation produced no results");
  EXPECT_EQ(ReadFile(dir_ / "out_1.dat"), "old report");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out_2.dat"));
}

// The output's own name after the ending is forced may be an input of the record or the
// BatchFile itself: refused, the input stays.
TEST_F(BatchRun, OutputThatIsAnInputFileIsRefused) {
  WriteParameterFile(dir_ / "out.dat", ParameterInputs{});
  const std::string original = ReadFile(dir_ / "out.dat");
  std::string text = Record("foil.lay", "energy loss", "out");
  text.replace(0, (dir_ / "run.par").string().size(), (dir_ / "out.dat").string());
  RunBatchRecords(session(), text);
  ASSERT_FALSE(messages().empty());
  EXPECT_EQ(messages().back(), "nothing written for \"" + (dir_ / "out").string() +
                                   "\" (record 1, line 5): " + (dir_ / "out.dat").string() +
                                   " is an input file of the batch run");
  EXPECT_EQ(ReadFile(dir_ / "out.dat"), original);

  messages().clear();
  WriteFile(dir_ / "self.dat", Record("foil.lay", "energy loss", "self"));
  const std::string batch = ReadFile(dir_ / "self.dat");
  EXPECT_EQ(RunBatchFile(session(), dir_ / "self.dat"), 0);
  EXPECT_EQ(ReadFile(dir_ / "self.dat"), batch);
  ASSERT_FALSE(messages().empty());
  EXPECT_NE(messages().back().find(" is an input file of the batch run"), std::string::npos);
}

TEST_F(BatchRun, EmptyAbsorberLineEmptiesTheAbsorber) {
  params().RichEdit2 = "A=100\nn=1e22\nc,1\n";
  RunBatchRecords(session(), Record("", "", "out"));
  EXPECT_EQ(params().RichEdit2, "");
  EXPECT_TRUE(session().absorber.empty());
}

TEST_F(BatchRun, SpectrumFlagNChoosesTheSpectrumWriter) {
  session().SpectrumFlag = SpectrumMode::kSpectrum;  // as a spectrum simulation leaves it
  RunBatchRecords(session(), Record("foil.lay", "energy loss", "run1.res"));
  // 600 channels, one line each: channel "%4.0f", five blanks, counts "%12.1f".
  const std::string spectrum = ReadFile(dir_ / "run1.dat");
  EXPECT_EQ(std::count(spectrum.begin(), spectrum.end(), '\n'), 600);
  EXPECT_EQ(spectrum.substr(0, 23), "   1              0.0\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "run1_1.dat"));
}

TEST_F(BatchRun, EnergyLossLeavesTheWriterChoiceOfTheRecordBefore) {
  session().SpectrumFlag =
      SpectrumMode::kSpectrum;  // as a spectrum simulation in an earlier record leaves it
  RunBatchRecords(session(), Record("foil.lay", "energy loss", "loss"));
  EXPECT_EQ(session().SpectrumFlag, SpectrumMode::kSpectrum);
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
  EXPECT_EQ(Calculations().size(), 8U);
}

TEST_F(BatchRun, ShortLastRecordReadsEmptyLines) {
  // Six lines: the second record has only its parameter file.
  std::string text =
      Record("foil.lay", "energy loss", "first") + (dir_ / "run.par").string() + "\r\n";
  RunBatchRecords(session(), text);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "first.dat"));
  // The empty sample name is reported by the layer loader with its place; the record runs
  // no calculation and writes nothing.
  EXPECT_EQ(Count("#2 (record 2, line 2)"), 1);
  ASSERT_FALSE(messages().empty());
  EXPECT_EQ(messages().back(), "nothing written for \"\" (record 2, line 5): no calculation ran");
}

TEST_F(BatchRun, TwoRecordsRunInOrder) {
  RunBatchRecords(session(), Record("foil.lay", "energy loss", "a") +
                                 Record("foil.lay", "Tschalar effect", "b"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "a.dat"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "b.dat"));
  EXPECT_FALSE(params().RichEdit2.empty());  // the second record's absorber
}

TEST_F(BatchRun, LfOnlyBatchFileIsReadToo) {
  std::string text = Record("foil.lay", "energy loss", "lf");
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
  EXPECT_THAT(messages(), ::testing::ElementsAre("#2 " + (dir_ / "absent.bat").string()));
}

TEST_F(BatchRun, MissingParameterFileIsReportedAndTheRecordGoesOn) {
  std::string text = (dir_ / "absent.par").string() + "\r\n" + (dir_ / "sample.lay").string() +
                     "\r\n" + (dir_ / "foil.lay").string() + "\r\nenergy loss\r\n" +
                     (dir_ / "still").string() + "\r\n";
  RunBatchRecords(session(), text);
  ASSERT_FALSE(messages().empty());
  EXPECT_EQ(messages().front(), "#2 " + (dir_ / "absent.par").string() + " (record 1, line 1)");
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

namespace dodavev {
namespace {

TEST_F(BatchRun, SpectrumOf2048ChannelsBesideAMeasuredOne) {
  std::string measured;
  for (int c = 1; c <= 2048; ++c)
    measured += std::to_string(c % 7) + "\r\n";
  WriteFile(dir_ / "measured.txt", measured);
  ParameterInputs in;
  in.Edit1_channels = "2048";
  in.MeasuredSpectrumFile = (dir_ / "measured.txt").string();
  WriteParameterFile(dir_ / "run.par", in);
  RunBatchRecords(session(), Record("", "spectrum simulation", "wide.res"));
  EXPECT_EQ(session().MeasuredSpectrum.channels(), 2048);
  EXPECT_DOUBLE_EQ(session().MeasuredSpectrum[2048], 2048 % 7);
  EXPECT_EQ(session().results.SimulatedSpectrum.channels(), 2048);
  const std::string spectrum = ReadFile(dir_ / "wide.dat");
  EXPECT_EQ(std::count(spectrum.begin(), spectrum.end(), '\n'), 2048);
}

}  // namespace
}  // namespace dodavev

namespace dodavev {
namespace {

// A spectrum simulated by one record is the measured spectrum of the next, which fits the
// gold thickness from 30 % too thick and writes the fitted spectrum and its report.
TEST_F(BatchRun, SpectrumFitWritesTheFittedSpectrumAndTheReportBesideIt) {
  ParameterInputs in;
  in.Edit1_x = "0.007";
  in.Edit1_depthmax = "0.3";
  WriteParameterFile(dir_ / "truth.par", in);
  in.MeasuredSpectrumFile = (dir_ / "truth.dat").string();
  in.Edit1_fit_parameters = "thickness 1";
  in.Edit1_fit_channels = "150 260";
  WriteParameterFile(dir_ / "fit.par", in);
  WriteFile(dir_ / "truth.lay", "A=300\r\nn=5.907e22\r\nau#,1\r\nS=\r\nn=4.994e22\r\nsi#,1\r\n");
  WriteFile(dir_ / "start.lay", "A=390\r\nn=5.907e22\r\nau#,1\r\nS=\r\nn=4.994e22\r\nsi#,1\r\n");
  const std::string text = (dir_ / "truth.par").string() + "\r\n" + (dir_ / "truth.lay").string() +
                           "\r\n\r\nfull spectrum (1)\r\n" + (dir_ / "truth").string() + "\r\n" +
                           (dir_ / "fit.par").string() + "\r\n" + (dir_ / "start.lay").string() +
                           "\r\n\r\nspectrum fit\r\n" + (dir_ / "fit").string() + "\r\n";
  RunBatchRecords(session(), text);
  EXPECT_TRUE(messages().empty()) << messages().front();
  const std::string spectrum = ReadFile(dir_ / "fit.dat");
  EXPECT_EQ(std::count(spectrum.begin(), spectrum.end(), '\n'), 600);
  const std::string report = ReadFile(dir_ / "fit_fit.txt");
  EXPECT_EQ(report, session().OutputLog);
  EXPECT_THAT(report, ::testing::StartsWith("thickness 1 = 30"));
  EXPECT_THAT(report, ::testing::HasSubstr(" A\r\nareal density 1 = "));
  EXPECT_THAT(report, ::testing::HasSubstr("\r\nconverged = yes\r\n"));
  // The fitted thickness went back into the layer text: "save sample" keeps it.
  EXPECT_THAT(session().params.richedit1, ::testing::StartsWith("A=30"));
}

TEST_F(BatchRun, SpectrumFitWithoutAMeasuredSpectrumWritesNothing) {
  RunBatchRecords(session(),
                  Record("", "full spectrum (1)", "first") + Record("", "spectrum fit", "second"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "first.dat"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "second.dat"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "second_fit.txt"));
}

}  // namespace
}  // namespace dodavev
