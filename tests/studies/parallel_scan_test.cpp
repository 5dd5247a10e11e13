// The scan helper: results and messages in scan order whatever the number of threads, a
// stop keeps the first runs, failures come back to the caller, the job option.
#include "studies/parallel_scan.hpp"

#include <gtest/gtest.h>

#include "app/program.hpp"

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace dodavev {
namespace {

TEST(ParallelScanWorkers, NeverMoreThreadsThanRunsAndAtLeastOne) {
  EXPECT_EQ(WorkerCount(4, 2), 2);
  EXPECT_EQ(WorkerCount(3, 100), 3);
  EXPECT_EQ(WorkerCount(1, 100), 1);
  EXPECT_EQ(WorkerCount(8, 0), 1);
  // Every core: at least one thread, never more than the runs.
  EXPECT_GE(WorkerCount(0, 1000), 1);
  EXPECT_EQ(WorkerCount(0, 1), 1);
  EXPECT_EQ(WorkerCount(-3, 1), 1);
}

TEST(ParallelScanJobOption, AcceptsWholeNumbersFromOne) {
  EXPECT_EQ(ParseJobCount("4"), 4);
  EXPECT_EQ(ParseJobCount(" 2 "), 2);
  EXPECT_EQ(ParseJobCount("1"), 1);
  EXPECT_EQ(ParseJobCount("4096"), 4096);
  EXPECT_FALSE(ParseJobCount("0"));
  EXPECT_FALSE(ParseJobCount("-1"));
  EXPECT_FALSE(ParseJobCount("4097"));
  EXPECT_FALSE(ParseJobCount("1.5"));
  EXPECT_FALSE(ParseJobCount("two"));
  EXPECT_FALSE(ParseJobCount(""));
  EXPECT_FALSE(ParseJobCount("99999999999"));
}

// The command line with "--jobs": a count that is not a whole number from 1 to 4096 is
// refused before anything starts; a good one lets the rest of the line be read as usual.
int RunWithArguments(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  return RunProgram(static_cast<int>(args.size()), argv.data());
}

TEST(ParallelScanJobOption, TheProgramTakesItBeforeTheBatchFile) {
  EXPECT_EQ(RunWithArguments({"dodavev", "--jobs", "zero", "run.bat"}), 2);
  EXPECT_EQ(RunWithArguments({"dodavev", "-j", "0", "run.bat"}), 2);
  EXPECT_EQ(RunWithArguments({"dodavev", "--jobs"}), 2);
  EXPECT_EQ(RunWithArguments({"dodavev", "--jobs", "2", "--version"}), 0);
  EXPECT_EQ(RunWithArguments({"dodavev", "-j", "1", "--nonsense"}), 2);
}

// Later runs finish first: each run sleeps the longer the earlier it is in the scan.
int SlowEarlyRun(int index, int runs) {
  std::this_thread::sleep_for(std::chrono::milliseconds(2 * (runs - index)));
  return index * index;
}

TEST(ParallelScanOrder, ResultsComeBackInScanOrderOnManyThreads) {
  constexpr int kRuns = 24;
  CollectingSink sink;
  const ScanOutcome<int> outcome =
      RunScan<int>(kRuns, ScanSettings{6, nullptr}, "test", "runs", sink,
                   [](int index, MessageSink&) { return SlowEarlyRun(index, kRuns); });
  ASSERT_EQ(outcome.results.size(), static_cast<std::size_t>(kRuns));
  EXPECT_FALSE(outcome.stopped);
  for (int i = 0; i < kRuns; ++i)
    EXPECT_EQ(outcome.results[static_cast<std::size_t>(i)], i * i);
}

TEST(ParallelScanOrder, MessagesAreShownInScanOrderEachTextOnce) {
  constexpr int kRuns = 8;
  auto task = [](int index, MessageSink& messages) {
    SlowEarlyRun(index, kRuns);
    messages.Show("run " + std::to_string(index));
    messages.Show("the same for every run");
    return index;
  };
  CollectingSink serial;
  CollectingSink parallel;
  RunScan<int>(kRuns, ScanSettings{1, nullptr}, "test", "runs", serial, task);
  RunScan<int>(kRuns, ScanSettings{4, nullptr}, "test", "runs", parallel, task);
  ASSERT_EQ(serial.messages.size(), static_cast<std::size_t>(kRuns + 1));
  EXPECT_EQ(serial.messages[0], "run 0");
  EXPECT_EQ(serial.messages[1], "the same for every run");
  EXPECT_EQ(serial.messages[2], "run 1");
  EXPECT_EQ(serial.messages.back(), "run 7");
  EXPECT_EQ(parallel.messages, serial.messages);
}

TEST(ParallelScanOrder, NoRunsRunNothing) {
  CollectingSink sink;
  int calls = 0;
  const ScanOutcome<int> outcome =
      RunScan<int>(0, ScanSettings{}, "test", "runs", sink, [&](int, MessageSink&) {
        ++calls;
        return 0;
      });
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(outcome.results.empty());
  EXPECT_FALSE(outcome.stopped);
}

// Counts the progress calls and asks to stop once `stopAfter` runs are done.
class CountingObserver final : public ScanObserver {
 public:
  explicit CountingObserver(int stopAfter) : stopAfter_(stopAfter) {}
  void Progress(const ScanProgress& p) override {
    EXPECT_EQ(p.what, "test");
    EXPECT_EQ(p.unit, "runs");
    EXPECT_GT(p.done, lastDone_);  // one call at a time, always further on
    lastDone_ = p.done;
    total_ = p.total;
    ++calls_;
    if (p.done >= stopAfter_) stop_ = true;
  }
  bool StopRequested() const override { return stop_.load(); }
  int calls() const { return calls_; }
  int total() const { return total_; }

 private:
  int stopAfter_;
  int lastDone_ = 0;
  int total_ = 0;
  int calls_ = 0;
  std::atomic<bool> stop_{false};
};

TEST(ParallelScanProgress, EveryRunIsCountedOnce) {
  CountingObserver observer(1000);
  CollectingSink sink;
  RunScan<int>(30, ScanSettings{3, &observer}, "test", "runs", sink,
               [](int index, MessageSink&) { return index; });
  EXPECT_EQ(observer.calls(), 30);
  EXPECT_EQ(observer.total(), 30);
}

TEST(ParallelScanStop, SerialStopKeepsExactlyTheRunsDone) {
  CountingObserver observer(3);
  CollectingSink sink;
  const ScanOutcome<int> outcome = RunScan<int>(10, ScanSettings{1, &observer}, "test", "runs",
                                                sink, [](int index, MessageSink& m) {
                                                  m.Show("run " + std::to_string(index));
                                                  return index;
                                                });
  EXPECT_TRUE(outcome.stopped);
  ASSERT_EQ(outcome.results.size(), 3u);
  EXPECT_EQ(outcome.results[2], 2);
  EXPECT_EQ(sink.messages.size(), 3u);  // the runs not done say nothing
}

TEST(ParallelScanStop, ParallelStopKeepsTheFirstRunsInScanOrder) {
  CountingObserver observer(5);
  CollectingSink sink;
  const ScanOutcome<int> outcome =
      RunScan<int>(200, ScanSettings{4, &observer}, "test", "runs", sink,
                   [](int index, MessageSink&) { return SlowEarlyRun(index % 4, 4); });
  EXPECT_TRUE(outcome.stopped);
  EXPECT_GE(outcome.results.size(), 5u);
  EXPECT_LT(outcome.results.size(), 200u);
  // A prefix of the scan: result i is the run of index i.
  for (std::size_t i = 0; i < outcome.results.size(); ++i)
    EXPECT_EQ(outcome.results[i], static_cast<int>(i % 4) * static_cast<int>(i % 4));
}

TEST(ParallelScanFailure, AFailingRunStopsTheScanAndReachesTheCaller) {
  CollectingSink sink;
  std::atomic<int> started{0};
  auto task = [&](int index, MessageSink&) -> int {
    ++started;
    if (index == 5) throw std::runtime_error("run 5 failed");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return index;
  };
  EXPECT_THROW(RunScan<int>(1000, ScanSettings{3, nullptr}, "test", "runs", sink, task),
               std::runtime_error);
  // The other threads stop taking new runs soon after the failure.
  EXPECT_LT(started.load(), 1000);
  EXPECT_THROW(RunScan<int>(10, ScanSettings{1, nullptr}, "test", "runs", sink, task),
               std::runtime_error);
}

}  // namespace
}  // namespace dodavev
