#include "studies/parallel_scan.hpp"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#include "io/number_parse.hpp"

namespace dodavev {
namespace {

// More threads than this are never useful on a desktop and would only cost memory.
constexpr int kMaxJobs = 4096;

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

int WorkerCount(int jobs, int runs) {
  int workers = jobs;
  if (workers <= 0) {
    const unsigned cores = std::thread::hardware_concurrency();
    workers = cores == 0 ? 1 : static_cast<int>(std::min(cores, static_cast<unsigned>(kMaxJobs)));
  }
  workers = std::min(workers, runs);
  return std::max(workers, 1);
}

void StderrScanProgress::Progress(const ScanProgress& p) {
  if (p.total <= 0) return;
  if (isatty(fileno(stderr)) != 0) {
    std::fprintf(stderr, "\r%.*s: %d/%d %.*s", static_cast<int>(p.what.size()), p.what.data(),
                 p.done, p.total, static_cast<int>(p.unit.size()), p.unit.data());
    if (p.done >= p.total) std::fputc('\n', stderr);
    std::fflush(stderr);
    return;
  }
  // One line per tenth of the scan.
  const int tenth = static_cast<int>(10LL * p.done / p.total);
  if (tenth == lastTenth_ && p.done < p.total) return;
  if (p.done >= p.total) {
    lastTenth_ = -1;  // the next scan starts afresh
  } else {
    lastTenth_ = tenth;
  }
  std::fprintf(stderr, "%.*s: %d/%d %.*s\n", static_cast<int>(p.what.size()), p.what.data(), p.done,
               p.total, static_cast<int>(p.unit.size()), p.unit.data());
}

std::optional<int> ParseJobCount(std::string_view text) {
  const std::optional<std::int32_t> n = ParseInteger(TrimBlanks(text));
  if (!n || *n < 1 || *n > kMaxJobs) return std::nullopt;
  return static_cast<int>(*n);
}

int RunIndexed(int runs, const ScanSettings& settings, std::string_view what, std::string_view unit,
               const std::function<void(int index)>& body) {
  if (runs <= 0) return 0;
  const int workers = WorkerCount(settings.jobs, runs);
  std::atomic<int> next{0};
  std::atomic<bool> failed{false};
  std::mutex report;  // one progress call at a time; guards `done` and `failure`
  int done = 0;
  std::exception_ptr failure;

  auto work = [&] {
    for (;;) {
      if (failed.load() || (settings.observer != nullptr && settings.observer->StopRequested()))
        return;
      const int index = next.fetch_add(1);
      if (index >= runs) return;
      try {
        body(index);
      } catch (...) {
        std::lock_guard<std::mutex> lock(report);
        if (!failure) failure = std::current_exception();
        failed.store(true);
        return;
      }
      std::lock_guard<std::mutex> lock(report);
      ++done;
      if (settings.observer != nullptr)
        settings.observer->Progress(ScanProgress{what, unit, done, runs});
    }
  };

  if (workers == 1) {
    work();
  } else {
    std::vector<std::jthread> pool;
    pool.reserve(static_cast<std::size_t>(workers));
    for (int w = 0; w < workers; ++w)
      pool.emplace_back(work);
  }  // the threads are joined here
  if (failure) std::rethrow_exception(failure);
  // Indices are handed out in order and every index handed out is finished, so the runs
  // done are the first `done` ones.
  return done;
}

}  // namespace dodavev
