#include "app/program.hpp"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "app/batch_run.hpp"
#include "app/session.hpp"
#include "app/startup_data.hpp"
#include "model/messages.hpp"
#include "studies/parallel_scan.hpp"

#ifndef DODAVEV_INSTALL_DATADIR
#define DODAVEV_INSTALL_DATADIR "/usr/local/share/dodavev"
#endif
#ifndef DODAVEV_VERSION
#define DODAVEV_VERSION "unknown"
#endif

namespace dodavev {
namespace {

constexpr const char* kUsage =
    "usage: dodavev [BATCHFILE]\n"
    "       dodavev --jobs N BATCHFILE\n"
    "       dodavev [--jobs N] --plots DIR BATCHFILE\n"
    "       dodavev --help | --version\n"
    "\n"
    "Ion beam analysis of layered samples: depth and energy resolution, geometry\n"
    "optimisation, excitation curves and spectrum simulation.\n"
    "\n"
    "BATCHFILE   records of five lines: parameter file, sample layer file, absorber\n"
    "            layer file (or an empty line), calculation name, output file. Runs\n"
    "            every record without a window and exits. Messages go to standard\n"
    "            error and to BATCHFILE.log. BATCHFILE is looked for in the current\n"
    "            directory, then in the program directory.\n"
    "--plots DIR also writes, after each record, every chart of its calculation into DIR\n"
    "            as SVG and PNG files (no display needed).\n"
    "--jobs N, -j N\n"
    "            threads of the optimisation and excitation-curve scans (1 to 4096;\n"
    "            default: one per core; 1 runs them one after another). The results\n"
    "            are the same whatever N; the scans show their progress on standard\n"
    "            error.\n"
    "Without BATCHFILE the window opens (in builds with a window).\n";

}  // namespace

std::filesystem::path FindProgramDirectory(std::string_view argv0) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) {
    exe = std::filesystem::path(argv0);
    if (!exe.has_parent_path()) return std::filesystem::current_path(ec);
    exe = std::filesystem::absolute(exe, ec);
  }
  return exe.parent_path();
}

std::filesystem::path ChooseLevDirectory(const std::filesystem::path& programDir,
                                         const std::filesystem::path& installDataDir) {
  std::error_code ec;
  std::filesystem::path beside = programDir / "LEV";
  if (std::filesystem::is_directory(beside, ec)) return beside;
  std::filesystem::path installed = installDataDir / "LEV";
  if (!installDataDir.empty() && std::filesystem::is_directory(installed, ec)) return installed;
  return beside;
}

std::filesystem::path LevDirectoryFor(const std::filesystem::path& programDir) {
  return ChooseLevDirectory(programDir, DODAVEV_INSTALL_DATADIR);
}

const char* ProgramVersion() {
  return DODAVEV_VERSION;
}

void FormCreate(Session& session, const std::filesystem::path& programDir,
                const std::filesystem::path& levDir) {
  session.programDir = programDir;
  session.levDir = levDir;
  session.CalcMode = CalculationMode::kNone;
  session.results.SimulatedSpectrum.fill(0.0);
  session.parameterFileName.clear();
  LoadStartupData(session);
  session.activePage = "Beam";
}

int RunProgram(int argc, char** argv, WindowRunner runner, PlotRunner plots) {
  const std::string_view argv0 = argc > 0 && argv[0] != nullptr ? argv[0] : "dodavev";
  auto arg = [argc, argv](int i) -> std::string_view {
    return i < argc && argv[i] != nullptr ? argv[i] : "";
  };
  // "--jobs N" (or "-j N") comes first: the threads of the studies' scans.
  int next = 1;
  int jobs = 0;
  if (arg(1) == "--jobs" || arg(1) == "-j") {
    const std::optional<int> n = ParseJobCount(arg(2));
    if (!n) {
      std::fprintf(stderr, "dodavev: %s needs a whole number of threads from 1 to 4096\n%s",
                   argv[1], kUsage);
      return 2;
    }
    jobs = *n;
    next = 3;
  }
  std::string_view first = arg(next);
  std::filesystem::path plotDir;
  if (first == "--plots") {
    if (arg(next + 1).empty() || arg(next + 2).empty()) {
      std::fprintf(stderr, "dodavev: --plots needs a directory and a BatchFile\n%s", kUsage);
      return 2;
    }
    if (plots == nullptr) {
      std::fputs("dodavev: this build cannot draw charts (it was built without Qt 6)\n", stderr);
      return 2;
    }
    plotDir = argv[next + 1];
    first = arg(next + 2);
  }
  if (first == "--help" || first == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (first == "--version") {
    std::printf("dodavev %s\n", ProgramVersion());
    return 0;
  }
  if (plotDir.empty() && first.size() > 1 && first.front() == '-') {
    std::fprintf(stderr, "dodavev: unknown option %s\n%s", argv[next], kUsage);
    return 2;
  }
  if (first.empty()) {
    if (runner != nullptr) return runner(argc, argv);
    std::fputs("dodavev: this build has no window; name a BatchFile to run.\n", stdout);
    std::fputs(kUsage, stdout);
    return 0;
  }

  const std::filesystem::path programDir = FindProgramDirectory(argv0);
  const std::filesystem::path batchFile =
      ResolveBatchPath(std::filesystem::path(first), programDir);
  StderrLogSink sink;
  std::error_code ec;
  if (std::filesystem::is_regular_file(batchFile, ec))
    sink.OpenLog(BatchLogPath(batchFile).string());
  StderrScanProgress progress;
  auto session = std::make_unique<Session>(sink);
  FormCreate(*session, programDir, LevDirectoryFor(programDir));
  session->scan = ScanSettings{jobs, &progress};
  if (!plotDir.empty()) return plots(*session, batchFile, plotDir) == 0 ? 0 : 1;
  return RunBatchFile(*session, batchFile) == 0 ? 0 : 1;
}

}  // namespace dodavev
