// The "--plots DIR BATCHFILE" command line and the per-record step of a batch run that
// writes the charts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/batch_run.hpp"
#include "app/program.hpp"
#include "app/session.hpp"
#include "model/messages.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

int RunCommandLine(std::vector<std::string> args, PlotRunner plots) {
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  return RunProgram(static_cast<int>(args.size()), argv.data(), nullptr, plots);
}

// Stands in for the chart-drawing run: succeeds only when it gets the directory and the
// BatchFile of the command line.
int ExpectingPlots(Session& session, const std::filesystem::path& batchFile,
                   const std::filesystem::path& plotDir) {
  const bool started = session.CalcMode == CalculationMode::kNone;
  return started && plotDir == "charts-dir" && batchFile.filename() == "missing-file.bat" ? 0 : 7;
}

TEST(BatchPlotsCommandLine, DirectoryAndBatchFileReachThePlotRun) {
  EXPECT_EQ(
      RunCommandLine({"dodavev", "--plots", "charts-dir", "missing-file.bat"}, &ExpectingPlots), 0);
  EXPECT_EQ(
      RunCommandLine({"dodavev", "--plots", "other-dir", "missing-file.bat"}, &ExpectingPlots), 1);
}

TEST(BatchPlotsCommandLine, MissingArgumentsOrNoWayToDraw) {
  EXPECT_EQ(RunCommandLine({"dodavev", "--plots"}, &ExpectingPlots), 2);
  EXPECT_EQ(RunCommandLine({"dodavev", "--plots", "charts-dir"}, &ExpectingPlots), 2);
  EXPECT_EQ(RunCommandLine({"dodavev", "--plots", "", "b.bat"}, &ExpectingPlots), 2);
  EXPECT_EQ(RunCommandLine({"dodavev", "--plots", "charts-dir", "b.bat"}, nullptr), 2);
}

TEST(BatchPlotsRecords, CalledAfterEveryRecordWithItsOutputLine) {
  dodavev::testing::TempDir dir;
  CollectingSink sink;
  auto session = std::make_unique<Session>(sink);
  const std::string out1 = (dir / "first.res").string();
  const std::string out2 = (dir / "second").string();
  // Files that do not exist and no calculation: each record only reports and saves.
  const std::string text = "none.par\nnone.lay\n\nno such calculation\n" + out1 +
                           "\nnone.par\nnone.lay\n\n\n" + out2 + "\n";
  std::vector<std::pair<int, std::string>> calls;
  BatchRunOptions options;
  std::vector<std::string> parameterFiles;
  options.afterRecord = [&](const Session&, const BatchRecord& record) {
    calls.emplace_back(record.number, std::string(record.outputLine));
    parameterFiles.emplace_back(record.parameterFile);
  };
  RunBatchRecords(*session, text, options);
  ASSERT_EQ(calls.size(), 2U);
  EXPECT_EQ(calls[0], (std::pair<int, std::string>{1, out1}));
  EXPECT_EQ(calls[1], (std::pair<int, std::string>{2, out2}));
  EXPECT_EQ(parameterFiles, (std::vector<std::string>{"none.par", "none.par"}));
  // Without the step a run is what it always was.
  RunBatchRecords(*session, text);
  EXPECT_EQ(calls.size(), 2U);
}

}  // namespace
}  // namespace dodavev
