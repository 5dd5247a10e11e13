#include "app/batch_run.hpp"

#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "app/calculations.hpp"
#include "app/layer_file_actions.hpp"
#include "app/ok_action.hpp"
#include "app/output_actions.hpp"
#include "app/parameter_actions.hpp"
#include "app/session.hpp"
#include "io/file_naming.hpp"
#include "io/layer_file.hpp"
#include "io/parameter_file.hpp"
#include "io/text_file.hpp"

namespace dodavev {
namespace {

// Names on the lines are used as they stand, relative to the current directory.
std::filesystem::path AsPath(std::string_view line) {
  return std::filesystem::path(line);
}

// The same file for two names, as far as the file system can tell without the files
// having to exist.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec)) return true;
  const std::filesystem::path ca = std::filesystem::weakly_canonical(a, ec);
  if (ec) return false;
  const std::filesystem::path cb = std::filesystem::weakly_canonical(b, ec);
  return !ec && ca == cb;
}

// A spectrum fit writes its report beside the fitted spectrum.
constexpr std::string_view kFitReportEnding = "_fit.txt";

// The files line 5 would write: the writer's ending replaces the chosen one.
std::vector<std::filesystem::path> OutputFiles(const Session& session,
                                               const std::filesystem::path& output, bool fit) {
  if (session.SpectrumFlag == SpectrumMode::kSpectrum && fit) {
    return {ForceExtension(output, ".dat"), ForceExtension(output, kFitReportEnding)};
  }
  if (session.SpectrumFlag == SpectrumMode::kSpectrum) return {ForceExtension(output, ".dat")};
  if (session.CalcMode == CalculationMode::kDepthWalk &&
      session.SpectrumFlag == SpectrumMode::kResolution) {
    return {ForceExtension(output, "_1.dat"), ForceExtension(output, "_2.dat")};
  }
  return {ForceExtension(output, ".dat")};
}

std::string KnownCalculationNames() {
  std::string names;
  for (const CalculationEntry& entry : Calculations()) {
    if (!names.empty()) names += ", ";
    names += "\"";
    names += entry.caption;
    names += "\"";
  }
  return names;
}

class BatchReader {
 public:
  BatchReader(Session& session, std::string_view text, const BatchRunOptions& options,
              std::vector<std::filesystem::path> runFiles)
      : session_(session), lines_(text), options_(options), runFiles_(std::move(runFiles)) {}
  ~BatchReader() { session_.messages.SetPlace({}); }
  BatchReader(const BatchReader&) = delete;
  BatchReader& operator=(const BatchReader&) = delete;

  void Run() {
    while (!lines_.AtEnd())
      RunRecord();
  }

 private:
  // Reads line `line` (1..5) of the current record; errors shown while acting on it name
  // the record and the line.
  std::string_view Next(int line) {
    session_.messages.SetPlace(Place(line));
    return lines_.Next();
  }
  std::string Place(int line) const {
    return "(record " + std::to_string(number_) + ", line " + std::to_string(line) + ")";
  }

  void RunRecord() {
    ++number_;
    const std::string_view parameterLine = Next(1);
    std::vector<std::filesystem::path> inputs = runFiles_;
    LoadParameterFile(session_, AsPath(parameterLine));
    inputs.push_back(AsPath(parameterLine));
    const std::string_view sampleLine = Next(2);
    LoadSampleLayerFile(session_, AsPath(sampleLine));
    inputs.push_back(AsPath(sampleLine));
    std::string_view absorber = Next(3);
    if (absorber.empty()) {
      session_.params.RichEdit2.clear();
    } else {
      LoadAbsorberFile(session_, AsPath(absorber));
      inputs.push_back(AsPath(absorber));
    }
    Button5Click(session_);
    // Captions are compared exactly: any other text runs nothing. A record never saves
    // what an earlier record's calculation left.
    const std::string_view name = Next(4);
    const CalculationEntry* calculation = FindCalculation(name);
    if (calculation != nullptr) {
      session_.OutputLog.clear();
      session_.results.detailReport.clear();
      calculation->run(session_);
    } else {
      session_.messages.Show("unknown calculation name \"" + std::string(name) + "\" " + Place(4) +
                             "; the names are " + KnownCalculationNames());
    }
    const std::string_view outputLine = Next(5);
    fit_ = calculation != nullptr && calculation->run == &spectrumfitClick;
    SaveOutput(calculation != nullptr, inputs, outputLine);
    session_.messages.SetPlace({});
    if (options_.afterRecord) options_.afterRecord(session_, {number_, parameterLine, outputLine});
  }

  // A spectrum simulation leaves 'N': its spectrum is the output; otherwise the reports.
  void SaveOutput(bool ran, const std::vector<std::filesystem::path>& inputs,
                  std::string_view outputLine) {
    const std::filesystem::path output = AsPath(outputLine);
    const std::string notWritten = "nothing written for \"" + std::string(outputLine) + "\" ";
    if (!ran) {
      session_.messages.Show(notWritten + Place(5) + ": no calculation ran");
      return;
    }
    const bool spectrum = session_.SpectrumFlag == SpectrumMode::kSpectrum;
    if (!spectrum && session_.OutputLog.empty()) {
      session_.messages.Show(notWritten + Place(5) + ": the calculation produced no results");
      return;
    }
    if (!output.empty()) {
      for (const std::filesystem::path& file : OutputFiles(session_, output, fit_)) {
        for (const std::filesystem::path& input : inputs) {
          if (!input.empty() && SameFile(file, input)) {
            session_.messages.Show(notWritten + Place(5) + ": " + file.string() +
                                   " is an input file of the batch run");
            return;
          }
        }
      }
    }
    if (spectrum) {
      SaveSpectrum(session_, output, 1);
      if (fit_ && !output.empty()) {
        const std::filesystem::path report = ForceExtension(output, kFitReportEnding);
        const int code = WriteFileAtomically(report, session_.OutputLog);
        if (code != 0) session_.messages.Show(IoErrorText(code, report));
      }
    } else {
      SaveResults(session_, output);
    }
  }

  Session& session_;
  LineCursor lines_;
  const BatchRunOptions& options_;
  std::vector<std::filesystem::path> runFiles_;  // the BatchFile and its log
  int number_ = 0;
  bool fit_ = false;  // the record's calculation is the spectrum fit
};

}  // namespace

void RunBatchRecords(Session& session, std::string_view text, const BatchRunOptions& options) {
  BatchReader(session, text, options, {}).Run();
}

int RunBatchFile(Session& session, const std::filesystem::path& batchFile,
                 const BatchRunOptions& options) {
  std::string text;
  int code = ReadTextFileCapped(batchFile, kMaxBatchFileBytes, text);
  if (code != 0) {
    session.messages.Show(IoErrorText(code, batchFile));
    return code;
  }
  BatchReader(session, text, options, {batchFile, BatchLogPath(batchFile)}).Run();
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
