// A spectrum walk past its printed rows, and a full-spectrum run whose reports are not
// shown, end below the last layer that holds the run's isotope: deeper steps add no counts.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/run_inputs_of.hpp"
#include "app/session_fixture.hpp"
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
