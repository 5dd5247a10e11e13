// Independent runs of a scan (the geometries of an optimisation, the beam energies of an
// excitation curve) spread over a pool of worker threads. Every run owns its run state,
// results and message collector; the session is only read. Results come back in scan
// order and the messages are shown afterwards in scan order, so the outcome does not
// depend on the number of threads.
#pragma once

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/messages.hpp"

namespace dodavev {

// How far a scan is, for a progress line or a status bar.
struct ScanProgress {
  std::string_view what;  // calculation name, "optimization"
  std::string_view unit;  // what is counted, "geometries"
  int done = 0;
  int total = 0;
};

// Watches a running scan. Progress is reported from the worker threads, one call at a
// time, with `done` growing; StopRequested is asked before every run is started (a scan
// that is stopped keeps the runs done so far, which are always the first ones in scan
// order).
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  virtual void Progress(const ScanProgress& progress) = 0;
  virtual bool StopRequested() const { return false; }
};

// How the studies run their scans: the number of worker threads (0: one per core) and who
// watches them (none: nobody).
struct ScanSettings {
  int jobs = 0;
  ScanObserver* observer = nullptr;
};

// Threads a scan of `runs` runs uses: `jobs`, or one per core when `jobs` is 0 or less;
// never more than the runs, at least 1.
int WorkerCount(int jobs, int runs);

// Batch mode: "optimization: 120/1600 geometries" on standard error. On a terminal the
// line is rewritten in place; into a file or pipe a line is written at each tenth of the
// scan (and at its end), so logs stay short.
class StderrScanProgress final : public ScanObserver {
 public:
  void Progress(const ScanProgress& progress) override;

 private:
  int lastTenth_ = -1;
};

// The number of a "--jobs N" option: a whole number from 1 to 4096, blanks around it
// allowed; nullopt for anything else.
std::optional<int> ParseJobCount(std::string_view text);

// Runs body(index) for index 0..runs-1 on WorkerCount(jobs, runs) threads, taking the
// indices in increasing order. Returns how many runs were done: all of them, or (after a
// stop request) the first ones in scan order. The first exception a run throws stops the
// scan and is thrown again here after every thread has ended.
int RunIndexed(int runs, const ScanSettings& settings, std::string_view what, std::string_view unit,
               const std::function<void(int index)>& body);

// What a scan leaves: the result of each run done, in scan order, and whether it was
// stopped before its end.
template <class Result>
struct ScanOutcome {
  std::vector<Result> results;
  bool stopped = false;
};

// Runs task(index, sink) -> Result for every index, each with its own collecting sink,
// then shows the collected messages on `messages` in scan order. A text that a run of the
// same scan has already shown is not shown again (a scan over impossible geometries says
// so once, not once per geometry).
template <class Result, class Task>
ScanOutcome<Result> RunScan(int runs, const ScanSettings& settings, std::string_view what,
                            std::string_view unit, MessageSink& messages, Task&& task) {
  const auto count = static_cast<std::size_t>(std::max(runs, 0));
  std::vector<std::optional<Result>> slots(count);
  std::vector<CollectingSink> sinks(count);
  int done = 0;
  std::exception_ptr failure;
  try {
    done = RunIndexed(runs, settings, what, unit, [&](int index) {
      const auto i = static_cast<std::size_t>(index);
      slots[i].emplace(task(index, static_cast<MessageSink&>(sinks[i])));
    });
  } catch (...) {
    failure = std::current_exception();
  }
  ScanOutcome<Result> outcome;
  outcome.stopped = done < runs;
  std::vector<std::string> shown;
  for (std::size_t i = 0; i < count && slots[i].has_value(); ++i) {
    for (const std::string& text : sinks[i].messages) {
      if (std::find(shown.begin(), shown.end(), text) != shown.end()) continue;
      shown.push_back(text);
      messages.Show(text);
    }
    outcome.results.push_back(std::move(*slots[i]));
  }
  if (failure) std::rethrow_exception(failure);
  return outcome;
}

}  // namespace dodavev
