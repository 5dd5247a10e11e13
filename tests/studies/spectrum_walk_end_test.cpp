// A spectrum walk past its printed rows, and a full-spectrum run whose reports are not
// shown, end below the last layer that holds the run's isotope: deeper steps add no counts.
// A walk stopped from outside ends before its next depth step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/run_inputs_of.hpp"
#include "app/session_fixture.hpp"
#include "engine/resolution.hpp"
#include "studies/parallel_scan.hpp"
#include "studies/spectrum_accumulation.hpp"
#include "studies/spectrum_simulation.hpp"

namespace dodavev {
namespace {

class SpectrumWalkEnd : public testing::StartedSession {
 protected:
  // 30 nm gold on silicon in 5 nm steps: the silicon reaches the detection threshold about
  // 2 microns deep, past the 200 printed rows (1 micron).
  void SetUp() override {
    ParameterSet& p = params();
    p.Edit1_e0 = "2000";
    p.Edit1_a = "90";
    p.Edit1_th = "170";
    p.Edit1_x = "0.005";
    p.Edit1_depthmax = "20";
    p.richedit1 = "A=300\nn=5.9e22\nau#,1\nS=\nn=4.99e22\nsi#,1\n";
    session().scan = ScanSettings{1, nullptr};
  }
  RunResults SubSpectrum(const char* target, const char* mt) {
    params().Edit1_target = target;
    params().Edit1_mt = mt;
    Button5Click(session());
    spectrumsimulation1Click(session());
    return session().results;
  }
};

TEST_F(SpectrumWalkEnd, GoldEndsWithItsPrintedRowsSiliconGoesOn) {
  const RunResults gold = SubSpectrum("au", "197");
  EXPECT_EQ(gold.RowCount, 200);
  EXPECT_LE(gold.stepsWalked, 201);  // the 200 rows and the first step beyond
  const RunResults silicon = SubSpectrum("si", "28");
  EXPECT_GT(silicon.stepsWalked, 300);
}

// A walk whose ways out add up to more outward steps than the run allows stops past its
// printed rows and says so. The silicon run walks its particles out through the six gold
// steps from every depth: some 1200 outward steps by row 200.
TEST_F(SpectrumWalkEnd, TooManyOutwardStepsStopTheWalkAndSaySo) {
  params().Edit1_target = "si";
  params().Edit1_mt = "28";
  Button5Click(session());
  RunRequest request;
  request.CalcMode = CalculationMode::kDepthWalk;
  request.SpectrumFlag = SpectrumMode::kSpectrum;
  auto walk = [&](long long bound, CollectingSink& sink) {
    request.maxOutwardSteps = bound;
    RunState run;
    RunResults results;
    EXPECT_EQ(RunSpectrumWalk(RunInputsOf(session()), request, run, results, sink),
              RunOutcome::kWalked);
    return results;
  };
  CollectingSink freeSink;
  const RunResults free = walk(kMaxOutwardSteps, freeSink);
  CollectingSink boundSink;
  const RunResults bounded = walk(1000, boundSink);
  EXPECT_GT(free.stepsWalked, 300);
  EXPECT_TRUE(freeSink.messages.empty());
  EXPECT_EQ(bounded.stepsWalked, 201);
  ASSERT_EQ(boundSink.messages.size(), 1U);
  EXPECT_EQ(boundSink.messages[0].rfind("the walk stopped after 201 depth steps: the way out", 0),
            0U);
  // The rows walked count as before: the same counts near the surface edge, fewer in all.
  double freeTotal = 0.0;
  double boundedTotal = 0.0;
  for (int c = 1; c <= free.SimulatedSpectrum.channels(); ++c) {
    const auto i = static_cast<std::size_t>(c);
    freeTotal += free.SimulatedSpectrum[i];
    boundedTotal += bounded.SimulatedSpectrum[i];
  }
  EXPECT_GT(boundedTotal, 0.0);
  EXPECT_LT(boundedTotal, freeTotal);
  const ChannelSpan span = NonEmptySpan(free.SimulatedSpectrum);
  ASSERT_FALSE(span.empty());
  const auto top = static_cast<std::size_t>(span.last - 2);
  EXPECT_DOUBLE_EQ(bounded.SimulatedSpectrum[top], free.SimulatedSpectrum[top]);
}

// The full spectrum with a run order that puts gold last: the earlier silicon runs walk
// deep, the gold run shows its 200 rows; the sum is the same whichever run ends early.
TEST_F(SpectrumWalkEnd, RunsWithoutReportsEndWhereTheirIsotopeEnds) {
  params().Edit1_target = "au";
  params().Edit1_mt = "197";
  Button5Click(session());
  const std::vector<FullSpectrumRun> plan = PlanFullSpectrum(RunInputsOf(session()), false);
  ASSERT_EQ(plan.size(), 4U);  // 197Au, 28Si, 29Si, 30Si
  RunRequest base;
  base.CalcMode = CalculationMode::kDepthWalk;
  base.SpectrumFlag = SpectrumMode::kFullSpectrum;
  CollectingSink sink;
  const FullSpectrumResult forward =
      SimulateFullSpectrum(RunInputsOf(session()), base, plan, {1, nullptr}, sink);
  const std::vector<FullSpectrumRun> reversed(plan.rbegin(), plan.rend());
  const FullSpectrumResult backward =
      SimulateFullSpectrum(RunInputsOf(session()), base, reversed, {1, nullptr}, sink);
  ASSERT_TRUE(forward.last && backward.last);
  EXPECT_EQ(backward.last->RowCount, 200);  // gold, shown, keeps its rows
  for (int c = 1; c <= forward.sum.channels(); ++c) {
    const auto i = static_cast<std::size_t>(c);
    // Summed in another order: equal to rounding.
    EXPECT_NEAR(backward.sum[i], forward.sum[i], 1e-12 * std::fabs(forward.sum[i]) + 1e-15);
  }
}

// ---- Stopped from outside ------------------------------------------------------------------
// The window's Stop ends a single walk before its next depth step: the rows done stay as
// they were, the report and a message say that the deeper part is missing, and a full
// spectrum keeps only its whole isotope runs.

// Says "stop" from its (n + 1)-th question on, as a user pressing Stop part-way would.
class StopAfter final : public ScanObserver {
 public:
  explicit StopAfter(int questions) : left_(questions) {}
  void Progress(const ScanProgress& /*progress*/) override {}
  bool StopRequested() const override { return --left_ < 0; }

 private:
  mutable int left_;
};

class WalkStop : public SpectrumWalkEnd {
 protected:
  void SetUp() override {
    SpectrumWalkEnd::SetUp();
    params().Edit1_target = "si";
    params().Edit1_mt = "28";
    Button5Click(session());
    messages().clear();
  }

  // The calculation once to its end and once stopped after `questions` questions, with
  // the report the stopped one leaves in the output panel.
  struct Runs {
    RunResults whole;
    RunResults stopped;
    std::string stoppedLog;
  };
  template <class Calculation>
  Runs WholeAndStopped(Calculation calculation, int questions) {
    Runs runs;
    calculation(session());
    runs.whole = session().results;
    StopAfter stopper(questions);
    session().scan.observer = &stopper;
    messages().clear();
    calculation(session());
    session().scan.observer = nullptr;
    runs.stopped = session().results;
    runs.stoppedLog = session().OutputLog;
    return runs;
  }
};

bool RowsEqual(const RunResults& a, const RunResults& b, int rows) {
  for (int r = 0; r < rows; ++r) {
    if (a.table.row(r) != b.table.row(r)) return false;
  }
  return true;
}

TEST_F(WalkStop, AStoppedResolutionWalkKeepsItsRowsAndSaysWhereItStopped) {
  const auto [whole, stopped, stoppedLog] = WholeAndStopped(depthandenergyresolution1Click, 50);
  const std::string& wholeLog = whole.mainReport;
  ASSERT_FALSE(whole.stopped);
  ASSERT_EQ(whole.RowCount, 200);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.RowCount, 50);
  EXPECT_TRUE(RowsEqual(stopped, whole, 50));

  const std::string line =
      "depth and energy resolution: stopped after 50 depth steps; the deeper part of the "
      "sample is not counted";
  ASSERT_EQ(messages(), std::vector<std::string>{line});
  // The report is the whole walk's header and first 50 rows, closed by that line instead of
  // the walk's own closing lines.
  ASSERT_GT(stoppedLog.size(), line.size() + 2);
  const std::string rows = stoppedLog.substr(0, stoppedLog.size() - line.size() - 2);
  EXPECT_EQ(stoppedLog.substr(rows.size()), line + "\r\n");
  EXPECT_EQ(wholeLog.compare(0, rows.size(), rows), 0);
  EXPECT_GT(wholeLog.size(), rows.size() + 150 * 20);  // the other 150 rows, at least
}

TEST_F(WalkStop, AStoppedSubSpectrumCountsOnlyTheStepsItWalked) {
  const auto [whole, stopped, stoppedLog] = WholeAndStopped(spectrumsimulation1Click, 250);
  ASSERT_GT(whole.stepsWalked, 300);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.stepsWalked, 250);
  EXPECT_TRUE(RowsEqual(stopped, whole, 200));
  ASSERT_EQ(messages().size(), 1U);
  EXPECT_EQ(messages()[0].rfind("spectrum simulation: stopped after 250 depth steps;", 0), 0U);

  // The steps walked count as in the whole walk: the same counts at the surface edge of the
  // silicon, fewer in all.
  const ChannelSpan span = NonEmptySpan(whole.SimulatedSpectrum);
  ASSERT_FALSE(span.empty());
  const auto top = static_cast<std::size_t>(span.last - 2);
  EXPECT_EQ(stopped.SimulatedSpectrum[top], whole.SimulatedSpectrum[top]);
  double wholeTotal = 0.0;
  double stoppedTotal = 0.0;
  for (int c = 1; c <= whole.SimulatedSpectrum.channels(); ++c) {
    wholeTotal += whole.SimulatedSpectrum[static_cast<std::size_t>(c)];
    stoppedTotal += stopped.SimulatedSpectrum[static_cast<std::size_t>(c)];
  }
  EXPECT_GT(stoppedTotal, 0.5 * wholeTotal);
  EXPECT_LT(stoppedTotal, wholeTotal);
}

// Plan 197Au, 28Si, 29Si, 30Si on one thread: the gold run asks some ten times (before it
// starts and before each of its rows), so the 100th question falls inside the 28Si run.
// That run is left out; the gold run is the whole spectrum, and it is the report shown.
TEST_F(WalkStop, AStoppedFullSpectrumKeepsOnlyItsWholeIsotopeRuns) {
  const RunInputs inputs = RunInputsOf(session());
  const std::vector<FullSpectrumRun> plan = PlanFullSpectrum(inputs, false);
  ASSERT_EQ(plan.size(), 4U);
  RunRequest base;
  base.CalcMode = CalculationMode::kDepthWalk;
  base.SpectrumFlag = SpectrumMode::kFullSpectrum;

  CollectingSink goldSink;
  const FullSpectrumResult gold = SimulateFullSpectrum(
      inputs, base, std::vector<FullSpectrumRun>{plan[0]}, {1, nullptr}, goldSink);

  StopAfter stopper(100);
  base.stopRequested = [&stopper] { return stopper.StopRequested(); };
  CollectingSink sink;
  const FullSpectrumResult stopped = SimulateFullSpectrum(inputs, base, plan, {1, &stopper}, sink);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.runs, 1);
  EXPECT_EQ(std::count(sink.messages.begin(), sink.messages.end(),
                       "full spectrum (1) was stopped after 1 of 4 isotope runs"),
            1);
  for (int c = 1; c <= gold.sum.channels(); ++c) {
    const auto i = static_cast<std::size_t>(c);
    EXPECT_EQ(stopped.sum[i], gold.sum[i]) << "channel " << c;
  }
  // The report shown is the gold run's, walked again whole.
  ASSERT_TRUE(stopped.last && gold.last);
  EXPECT_FALSE(stopped.last->stopped);
  EXPECT_EQ(stopped.last->RowCount, gold.last->RowCount);
  EXPECT_EQ(stopped.last->mainReport, gold.last->mainReport);
}

}  // namespace
}  // namespace dodavev
