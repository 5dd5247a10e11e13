// BatchFile runs: records of exactly five lines - parameter file, sample layer file,
// absorber layer file (or an empty line), calculation name, output file - each line's
// action performed right after it is read, exactly as the window would.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace dodavev {

struct Session;

// A BatchFile is a short list of names; larger files (or endless ones such as devices)
// are refused unread.
inline constexpr std::size_t kMaxBatchFileBytes = 16U * 1024U * 1024U;

// One record as it was read: its number (from 1) and the lines that name its files.
struct BatchRecord {
  int number = 0;
  std::string_view parameterFile;
  std::string_view outputLine;
};

// What a batch run does besides the records themselves.
struct BatchRunOptions {
  // Called after each record, once its output line has been acted on (`--plots` writes
  // the record's charts here).
  std::function<void(const Session&, const BatchRecord&)> afterRecord;
};

// Runs every record of a BatchFile text. A short last record reads empty lines for what
// is missing; a text without any line runs no record. Errors inside a record are shown
// by the action that finds them and the run goes on.
// Input/output errors end with their place ("(record 2, line 1)"). A record whose line 4
// names no calculation, or whose calculation left no report, writes nothing on line 5 and
// says so; so does a record whose output would overwrite one of its input files or the
// BatchFile or its log.
void RunBatchRecords(Session& session, std::string_view text, const BatchRunOptions& options = {});

// Reads the BatchFile and runs its records. Returns 0 when it was read to its end, else
// the input/output error code after showing "#" + the code.
int RunBatchFile(Session& session, const std::filesystem::path& batchFile,
                 const BatchRunOptions& options = {});

// Where a BatchFile named on the command line lies: the name as given, when such a file
// exists relative to the current directory (or the name is absolute), else in the
// program directory.
std::filesystem::path ResolveBatchPath(const std::filesystem::path& argument,
                                       const std::filesystem::path& programDir);

// The log of a batch run: the BatchFile's name with ".log" appended.
std::filesystem::path BatchLogPath(const std::filesystem::path& batchFile);

}  // namespace dodavev
