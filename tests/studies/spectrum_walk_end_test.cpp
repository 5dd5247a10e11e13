// A spectrum walk past its printed rows, and a full-spectrum run whose reports are not
// shown, end below the last layer that holds the run's isotope: deeper steps add no counts.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/run_inputs_of.hpp"
#include "app/session_fixture.hpp"
#include "engine/resolution.hpp"
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

}  // namespace
}  // namespace dodavev
