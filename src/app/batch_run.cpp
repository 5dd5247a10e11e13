#include "app/batch_run.hpp"

#include <string>
#include <system_error>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/output_actions.hpp"
#include "app/parameter_actions.hpp"
#include "app/session.hpp"
#include "io/layer_file.hpp"
#include "io/parameter_file.hpp"

namespace dodavev {
namespace {

// Names on the lines are used as they stand, relative to the current directory.
std::filesystem::path AsPath(std::string_view line) {
  return std::filesystem::path(line);
}

void RunRecord(Session& session, LineCursor& lines, const BatchRunOptions& options, int number) {
  const std::string_view parameterLine = lines.Next();
  LoadParameterFile(session, AsPath(parameterLine));
  LoadSampleLayerFile(session, AsPath(lines.Next()));
  std::string_view absorber = lines.Next();
  if (absorber.empty()) {
    session.params.RichEdit2.clear();
  } else {
    LoadAbsorberFile(session, AsPath(absorber));
  }
  Button5Click(session);
  // Captions are compared exactly: any other text runs nothing.
  if (const CalculationEntry* calculation = FindCalculation(lines.Next())) {
    calculation->run(session);
  }
  // A spectrum simulation leaves 'N': its spectrum is the output; otherwise the reports.
  const std::string_view outputLine = lines.Next();
  std::filesystem::path output = AsPath(outputLine);
  if (session.SpectrumFlag == 'N') {
    SaveSpectrum(session, output, 1);
  } else {
    SaveResults(session, output);
  }
  if (options.afterRecord) options.afterRecord(session, {number, parameterLine, outputLine});
}

}  // namespace

void RunBatchRecords(Session& session, std::string_view text, const BatchRunOptions& options) {
  LineCursor lines(text);
  int record = 0;
  while (!lines.AtEnd())
    RunRecord(session, lines, options, ++record);
}

int RunBatchFile(Session& session, const std::filesystem::path& batchFile,
                 const BatchRunOptions& options) {
  std::string text;
  int code = ReadTextFileCapped(batchFile, kMaxBatchFileBytes, text);
  if (code != 0) {
    session.messages.Show("#" + std::to_string(code));
    return code;
  }
  RunBatchRecords(session, text, options);
  return 0;
}

std::filesystem::path ResolveBatchPath(const std::filesystem::path& argument,
                                       const std::filesystem::path& programDir) {
  std::error_code ec;
  if (argument.is_absolute() || std::filesystem::exists(argument, ec)) return argument;
  return programDir / argument;
}

std::filesystem::path BatchLogPath(const std::filesystem::path& batchFile) {
  std::filesystem::path log = batchFile;
  log += ".log";
  return log;
}

}  // namespace dodavev
