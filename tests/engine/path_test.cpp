#include "engine/path.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/run_state.hpp"
#include "physics/absorber.hpp"
#include "physics/zbl_test_elements.hpp"

namespace dodavev {
namespace {

using testing::MakeLayer;
using testing::TestElements;

// 4He ions in silicon of N = 5 (1e22 atoms/cm3); the stopping values quoted below are the
// Ziegler helium fit for Si times N, by hand: S(2000 keV) = 239.365, S(1500 keV) = 271.789
// keV/micron.
class PathTest : public ::testing::Test {
 protected:
  PathTest() {
    sample.layers.push_back(MakeLayer(10.0, 5.0, {{14, 1.0}}));
    run.geometry = RunGeometry{'R', 1.0, 1.0, 1.0};
    run.nominalStep = 0.01;
    run.step = 0.01;
  }

  PathContext Context() const {
    PathContext c{sample, absorber, model, tables};
    c.options = TransportOptions{true, false, false, true, false};
    c.incident = Ion{2, 4.0, 2.0};
    c.emitted = Ion{2, 4.0, 2.0};
    c.thr = 10.0;
    return c;
  }

  // Walks the inward step to `depth` (the walk advances the depth before each step).
  void StepTo(const PathContext& context, double depth) {
    run.depth = depth;
    run.depthInLayer = depth;
    InwardStep(run, context, kinematics);
  }

  ElementTable elements = TestElements();
  StoppingModel model{elements};
  PhysicsTables tables;
  LayerStructure sample;
  LayerStructure absorber;
  RunState run;
  KinematicsAt kinematics = [](double) { return 0.5; };
};

// One 0.01 micron step from 2000 keV at normal incidence. Predictor-corrector by hand:
// S_start = 239.365, S_end = S(2000 - 2.39365) = 239.500, E = 2000 - 0.01 (S_start + S_end)/2
// = 1997.6057 keV; the plain estimate E - S t = 1997.6063 agrees to 1e-3 keV.
TEST_F(PathTest, ThinStepLosesStoppingTimesThickness) {
  const PathContext context = Context();
  run.in.energy = 2000.0;
  StepTo(context, 0.01);
  EXPECT_NEAR(run.in.energy, 1997.6057, 2e-4);
  EXPECT_NEAR(run.in.energy, 2000.0 - 239.365 * 0.01, 1e-3);
  EXPECT_NEAR(run.in.energyLossSum, 2.3943, 2e-4);
  EXPECT_NEAR(run.in.transferFactor, 1.0005618, 1e-7);  // S_end / S_start, unrounded
  EXPECT_EQ(run.thresholdCounter, 0);
}

// At 30 degrees to the surface (sin alpha = 0.5) the path is twice as long:
// S_end = S(2000 - 4.7873), E = 1995.2100 keV by hand; the energy-loss sum has no angle
// factor (mean stopping x depth step).
TEST_F(PathTest, IncidenceAngleLengthensThePath) {
  const PathContext context = Context();
  run.geometry.sinAlpha = 0.5;
  run.in.energy = 2000.0;
  StepTo(context, 0.01);
  EXPECT_NEAR(run.in.energy, 1995.2100, 2e-4);
  EXPECT_NEAR(run.in.energyLossSum, (2000.0 - run.in.energy) * 0.5, 1e-9);
}

TEST_F(PathTest, FirstCallAtTheSurfaceStartsThePath) {
  const PathContext context = Context();
  run.in = PathState{2000.0, 9.0, 9.0, 7.0, 7.0, 7.0, 7.0, 7.0};
  StepTo(context, 0.0);
  EXPECT_EQ(run.in.energy, 2000.0);
  EXPECT_EQ(run.in.transferFactor, 1.0);
  EXPECT_EQ(run.in.stoppingRatio, 1.0);
  EXPECT_EQ(run.in.energyLossSum, 0.0);
  EXPECT_EQ(run.in.correctedEnergyLoss, 0.0);
  EXPECT_EQ(run.in.straggling, 0.0);
  EXPECT_EQ(run.in.stoppingStart, run.in.stoppingEnd);
  // The reaction at 2000 keV with K = 0.5; stopping term K S_end / sin alpha.
  EXPECT_EQ(run.reactionEnergy, 1000.0);
  EXPECT_NEAR(run.stoppingTerm, 0.5 * 239.500, 1e-3);
}

// Straggling with Chu and Yang off is Bohr's, 4.0467 keV^2 per 0.01 micron here. Without the
// stopping correction two steps give the plain sum 2B; with it, the first step's straggling
// is enlarged by the square of the second step's stopping ratio r2 = 1.000562 (the stopping
// of 2 MeV helium rises as it slows): r2^2 B + B = 8.09787 keV^2.
TEST_F(PathTest, StragglingCarryWithAndWithoutStoppingCorrection) {
  for (const bool corrected : {false, true}) {
    PathContext context = Context();
    context.options.Checktschalar = corrected;
    run = RunState{};
    run.geometry = RunGeometry{'R', 1.0, 1.0, 1.0};
    run.step = 0.01;
    run.in.energy = 2000.0;
    StepTo(context, 0.0);
    StepTo(context, 0.01);
    StepTo(context, 0.02);
    EXPECT_NEAR(run.in.straggling, corrected ? 8.09787 : 8.093316, 2e-5) << corrected;
    if (!corrected) {
      EXPECT_EQ(run.in.transferFactor, 1.0);
    }
  }
}

TEST_F(PathTest, StragglingOffKeepsZeroEvenWithChargeStateCorrection) {
  PathContext context = Context();
  context.options.CheckStraggling = false;
  context.incident = Ion{3, 7.0, 1.0};
  context.xCorr = 1e18;
  run.in.energy = 3000.0;
  StepTo(context, 0.0);
  StepTo(context, 0.01);
  EXPECT_EQ(run.in.straggling, 0.0);
  // With straggling on, the same ion starts with the charge-state spread squared.
  context.options.CheckStraggling = true;
  run = RunState{};
  run.geometry = RunGeometry{'R', 1.0, 1.0, 1.0};
  run.step = 0.01;
  run.in.energy = 3000.0;
  StepTo(context, 0.0);
  EXPECT_GT(run.in.straggling, 0.0);
}

TEST_F(PathTest, EnergyBelowThresholdStopsTheWalk) {
  PathContext context = Context();
  context.thr = 1999.0;
  run.in.energy = 2000.0;
  StepTo(context, 0.03);
  EXPECT_EQ(run.in.energy, 1999.0);
  EXPECT_EQ(run.thresholdCounter, 1);
  EXPECT_NEAR(run.stopDepth, 0.02, 1e-15);
}

// Reflection from 0.1 micron with 0.05 micron steps at f = 1, starting at 1500 keV:
// by hand, two predictor-corrector steps give 1472.7184 keV (the first-order estimate
// 1500 - 0.1 S(1500) = 1472.8211). The stopping term gains S(1500) / f.
TEST_F(PathTest, ReflectionWalksBackToTheSurface) {
  const PathContext context = Context();
  run.nominalStep = 0.05;
  run.depth = 0.1;
  run.depthInLayer = 0.1;
  run.reactionEnergy = 1500.0;
  run.stoppingTerm = 100.0;
  OutwardPath(run, context);
  EXPECT_NEAR(run.sampleExitEnergy, 1472.7184, 2e-4);
  EXPECT_EQ(run.detectedEnergy, run.sampleExitEnergy);
  EXPECT_NEAR(run.stoppingTerm, 100.0 + 271.789, 1e-3);
  EXPECT_NEAR(run.out.energyLossSum, 1500.0 - 1472.7184, 2e-4);
  EXPECT_EQ(run.absorberStoppingEntry, 1.0);
  EXPECT_EQ(run.absorberStoppingExit, 1.0);
}

TEST_F(PathTest, ReflectionFromTheSurfaceLosesNothing) {
  const PathContext context = Context();
  run.depth = 0.0;
  run.reactionEnergy = 1500.0;
  run.out.straggling = 5.0;
  OutwardPath(run, context);
  EXPECT_EQ(run.detectedEnergy, 1500.0);
  EXPECT_EQ(run.out.straggling, 0.0);
  EXPECT_EQ(run.out.transferFactor, 1.0);
}

// Two layers: the reaction 0.05 micron deep in the second layer (carbon, N = 10) below
// 0.05 micron of silicon. By hand: one predictor-corrector step in each layer from 1500 keV
// gives 1470.6798 keV.
TEST_F(PathTest, ReflectionCrossesTheLayersAbove) {
  sample.layers.front().thickness = 0.05;
  sample.layers.push_back(MakeLayer(1.0, 10.0, {{6, 1.0}}));
  const PathContext context = Context();
  run.nominalStep = 0.05;
  run.currentLayer = 1;
  run.depth = 0.1;
  run.depthInLayer = 0.05;
  run.reactionEnergy = 1500.0;
  OutwardPath(run, context);
  EXPECT_NEAR(run.detectedEnergy, 1470.6798, 2e-4);
}

// Transmission: on through the remaining 0.1 micron of a 0.2 micron layer in 0.05 micron
// steps, each with the stopping at its start: 1500 - 0.05 S(1500) = 1486.4106, then
// - 0.05 S(1486.4106): 1472.7700 keV by hand.
TEST_F(PathTest, TransmissionWalksToTheBack) {
  sample.layers.front().thickness = 0.2;
  const PathContext context = Context();
  run.geometry.GeometryKind = 'T';
  run.nominalStep = 0.05;
  run.depth = 0.1;
  run.depthInLayer = 0.1;
  run.reactionEnergy = 1500.0;
  run.stoppingTerm = 100.0;
  OutwardPath(run, context);
  EXPECT_NEAR(run.detectedEnergy, 1472.7700, 2e-4);
  EXPECT_NEAR(run.stoppingTerm, 271.789 - 100.0, 1e-3);
  EXPECT_EQ(run.thresholdCounter, 0);
}

TEST_F(PathTest, TransmissionThroughASubstrateStopsInsteadOfHanging) {
  sample.layers.front().thickness = kSubstrateThickness;
  const PathContext context = Context();
  run.geometry.GeometryKind = 'T';
  run.nominalStep = 0.05;
  run.depth = 0.1;
  run.depthInLayer = 0.1;
  run.reactionEnergy = 1500.0;
  OutwardPath(run, context);
  EXPECT_EQ(run.detectedEnergy, 10.0);  // thr
  EXPECT_EQ(run.thresholdCounter, 1);
}

// Behind a foil whose table has exit = (entry - E1) / 2 (so ln exit is linear in
// ln(entry - E1) and the three-point quadratic is exact): a particle leaving the sample
// with 148 keV (E1 = 100) is detected with 24 keV.
TEST_F(PathTest, AbsorberTableGivesTheDetectedEnergy) {
  absorber.layers.push_back(MakeLayer(1.0, 5.0, {{14, 1.0}}));
  run.absorberTable.rows[0] = AbsorberRow{100.0, 0.0, 0.0};
  for (int k = 2; k <= kAbsorberRows; ++k) {
    const double above = std::pow(2.0, k);
    run.absorberTable.rows[static_cast<std::size_t>(k - 1)] =
        AbsorberRow{100.0 + above, above / 2.0, 0.0};
  }
  const PathContext context = Context();
  run.reactionEnergy = 148.0;
  OutwardPath(run, context);
  EXPECT_NEAR(run.detectedEnergy, 24.0, 1e-9);
  EXPECT_NEAR(run.absorberStoppingEntry, LayerStopping(absorber.layers[0], 2, 4.0, 148.0, model),
              1e-12);
  EXPECT_NEAR(run.absorberStoppingExit, LayerStopping(absorber.layers[0], 2, 4.0, 24.0, model),
              1e-12);

  // Not above row 3 (108 keV): stopped in the foil.
  run = RunState{};
  run.geometry = RunGeometry{'R', 1.0, 1.0, 1.0};
  run.absorberTable.rows[0] = AbsorberRow{100.0, 0.0, 0.0};
  for (int k = 2; k <= kAbsorberRows; ++k) {
    const double above = std::pow(2.0, k);
    run.absorberTable.rows[static_cast<std::size_t>(k - 1)] =
        AbsorberRow{100.0 + above, above / 2.0, 0.0};
  }
  run.depth = 0.0;
  run.step = 0.01;
  run.reactionEnergy = 108.0;
  OutwardPath(run, context);
  EXPECT_EQ(run.detectedEnergy, 10.0);
  EXPECT_EQ(run.thresholdCounter, 1);
  EXPECT_EQ(run.absorberStoppingEntry, 1.0);
}

// Multiple scattering runs from both paths when switched on. Without its tables the run
// notes it and the states stay as they were; at the first step of each path only the
// reduced half-width formula is needed, and the way out is rebuilt by every outward path.
TEST_F(PathTest, MultipleScatteringStatesFollowThePaths) {
  sample.layers.front().elements.front().screenIn = 1e-9;
  sample.layers.front().elements.front().screenOut = 1e-9;
  PathContext context = Context();
  context.options.CheckMS = true;
  run.in.energy = 2000.0;
  StepTo(context, 0.01);
  EXPECT_TRUE(run.msTablesMissing);
  EXPECT_EQ(run.msIn.totalReducedThickness, 0.0);

  tables.msTauTableComplete = true;
  run = RunState{};
  run.geometry = RunGeometry{'R', 1.0, 1.0, 1.0};
  run.step = 0.01;
  run.in.energy = 2000.0;
  StepTo(context, 0.01);
  EXPECT_FALSE(run.msTablesMissing);
  EXPECT_GT(run.msIn.totalReducedThickness, 0.0);
  run.msOut.totalReducedThickness = 1e9;
  run.nominalStep = 0.01;
  run.reactionEnergy = 1000.0;
  OutwardPath(run, context);
  EXPECT_GT(run.msOut.totalReducedThickness, 0.0);
  EXPECT_LT(run.msOut.totalReducedThickness, 1e9);
}

}  // namespace
}  // namespace dodavev
