#include "physics/multiple_scattering.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "physics/element_io.hpp"

namespace dodavev {
namespace {

// The shipped start-up tables (TAUFIJ.DAT is generated from the half-width formula).
const PhysicsTables& ShippedTables() {
  static const PhysicsTables tables = [] {
    PhysicsTables t;
    ElementTable elements;
    LoadPhysicsTables(DODAVEV_LEV_DIR, elements, t);
    return t;
  }();
  return tables;
}

// He (z = 2) in silicon (Z = 14): a = 4.684715451e-9 / sqrt(14^(2/3) + 2^(2/3))
// = 4.684715451e-9 / sqrt(5.808786 + 1.587401) = 1.7225795e-9 cm (hand calculation).
constexpr double kScreenHeSi = 1.7225795291e-09;
// At 2000 keV: eps = a E / (2 z Z2 e^2) = 1.7225795e-9 x 2000 / (56 x 1.439968e-10) = 427.23656.
constexpr double kEpsHeSi2000 = 427.2365599;
// Silicon, N = 4.99e22 /cm3, 0.01 micron at normal incidence:
// dtau = pi a^2 N t = pi x 2.967280e-18 cm2 x 4.99e22 cm-3 x 1e-6 cm = 0.46516709.
constexpr double kDtauSi10nm = 0.4651670907;

Layer SiliconLayer() {
  Layer layer;
  layer.thickness = 1.0;
  layer.density = 4.99;
  layer.amountSum = 1.0;
  LayerElement si;
  si.symbol = {'S', 'I'};
  si.Z = 14;
  si.amount = 1.0;
  si.screenIn = kScreenHeSi;
  si.screenOut = kScreenHeSi;
  layer.elements.push_back(si);
  return layer;
}

// ---------------------------------------------------------------------------
// Reduced half-width, its inverse and slope

TEST(MsReducedHalfWidth, MatchesTheFitByHand) {
  // tau = 1: exp(0.03047063) cosh(0.5557522)^-2.2504866 = 1.030940 x 1.1584515^-2.2504866
  // = 0.7404256 (hand calculation, 7 digits).
  EXPECT_NEAR(ReducedHalfWidth(1.0), 0.7404256, 1e-6);
  // tau = 100: 0.03047063 + 1.202286 ln 100 - 2.2504866 ln((e^0.5557522 x 100^0.2795842
  // + e^-0.5557522 x 100^-0.2795842)/2) = ln 18.59951.
  EXPECT_NEAR(ReducedHalfWidth(100.0), 18.59951, 1e-4);
  // Above the switch: exp(0.329) x 2001^0.5731 = 1.389578 x 77.9737 = 108.34967.
  EXPECT_NEAR(ReducedHalfWidth(2001.0), 108.34967, 1e-4);
}

TEST(MsReducedHalfWidth, VanishesForThicknessesAtOrBelowTheZeroTolerance) {
  EXPECT_EQ(ReducedHalfWidth(0.0), 0.0);
  EXPECT_EQ(ReducedHalfWidth(1e-10), 0.0);
  EXPECT_EQ(ReducedHalfWidth(-5.0), 0.0);
  EXPECT_GT(ReducedHalfWidth(2e-10), 0.0);
}

TEST(MsReducedHalfWidth, SlopeIsTheLogarithmicDerivativeOfTheHalfWidth) {
  // Central difference of ln alpha over ln tau, independent of the tanh form.
  for (double tau : {1e-6, 0.01, 0.5, 3.0, 80.0, 1500.0}) {
    const double h = 1e-5;
    const double numeric = (std::log(ReducedHalfWidth(tau * std::exp(h))) -
                            std::log(ReducedHalfWidth(tau * std::exp(-h)))) /
                           (2.0 * h);
    EXPECT_NEAR(HalfWidthSlope(tau), numeric, 1e-7) << "tau = " << tau;
  }
}

TEST(MsReducedHalfWidth, SlopeTendsToItsThinAndThickLimits) {
  EXPECT_EQ(HalfWidthSlope(0.0), 0.5);
  EXPECT_EQ(HalfWidthSlope(1e-10), 0.5);
  // 1.202286 +- 0.6292005: 1.8314865 for thin paths, 0.5730855 for thick ones.
  EXPECT_NEAR(HalfWidthSlope(1e-9), 1.8314865, 2e-4);
  EXPECT_NEAR(HalfWidthSlope(1e12), 0.5730855, 2e-4);
  EXPECT_TRUE(std::isfinite(HalfWidthSlope(1e300)));
}

TEST(MsReducedThickness, InvertsTheHalfWidthThroughTheShippedTable) {
  const PhysicsTables& tables = ShippedTables();
  ASSERT_TRUE(tables.msTauTableComplete) << "data/LEV/TAUFIJ.DAT not read";
  // The table starts at ln alpha = -11.9, i.e. tau = 3.33e-4. Inside it four-point Lagrange
  // on a 0.05 grid in ln alpha is accurate far below 1e-6 relative.
  for (double tau : {4e-4, 3e-3, 0.02, 0.4651, 1.0, 7.5, 123.0, 1500.0, 2500.0, 1e5}) {
    const std::optional<double> back = ReducedThickness(ReducedHalfWidth(tau), tables);
    ASSERT_TRUE(back.has_value());
    EXPECT_NEAR(*back / tau, 1.0, 1e-6) << "tau = " << tau;
  }
  // Just below the switch the four nodes straddle the junction of the two branches of the
  // half-width (slopes 0.579 and 0.573, a step of 3e-5 in ln alpha): a few 1e-4.
  EXPECT_NEAR(*ReducedThickness(ReducedHalfWidth(1999.0), tables) / 1999.0, 1.0, 5e-4);
  // Below the table the nodes are extrapolated; ln tau is nearly linear in ln alpha there
  // (slope 1/1.83), so a small angle still comes back within a few percent.
  EXPECT_NEAR(*ReducedThickness(ReducedHalfWidth(1e-5), tables) / 1e-5, 1.0, 0.03);
}

TEST(MsReducedThickness, UsesThePowerLawAtAndBeyondTheSwitchPoint) {
  PhysicsTables noTables;  // the power law needs no table
  // ln alpha = 4.685077 is the switch: tau = exp((4.685077 - 0.329) / 0.5731) = 1999.99.
  const std::optional<double> atSwitch = ReducedThickness(std::exp(4.685077), noTables);
  ASSERT_TRUE(atSwitch.has_value());
  EXPECT_NEAR(*atSwitch, 2000.0, 0.1);
  EXPECT_NEAR(*ReducedThickness(108.34967, noTables), 2001.0, 1e-3);
}

TEST(MsReducedThickness, RefusesWithoutTheTableAndKeepsTheZeroRule) {
  PhysicsTables noTables;
  EXPECT_FALSE(ReducedThickness(1.0, noTables).has_value());
  EXPECT_EQ(*ReducedThickness(1e-10, noTables), 0.0);
  EXPECT_EQ(*ReducedThickness(-3.0, noTables), 0.0);
  EXPECT_FALSE(ReducedThickness(std::nan(""), ShippedTables()).has_value());
}

TEST(MsReducedThickness, RefusesATableThatHoldsTheLogarithmOfZero) {
  PhysicsTables broken = ShippedTables();
  broken.MsTauTable.fill(-std::numeric_limits<double>::infinity());
  EXPECT_FALSE(ReducedThickness(1.0, broken).has_value());
}

// ---------------------------------------------------------------------------
// Fit value, width combination, capping

TEST(MsFitValue, FollowsTheQuadraticInLnTau) {
  EXPECT_EQ(MsFitValue(0.0), 0.0);
  EXPECT_EQ(MsFitValue(1e-10), 0.0);
  EXPECT_NEAR(MsFitValue(1.0), 2.0887, 1e-12);
  // ln tau = 1: 0.05754 + 0.62037 + 2.0887 = 2.76661.
  EXPECT_NEAR(MsFitValue(std::exp(1.0)), 2.76661, 1e-12);
  // ln tau = -2: 0.23016 - 1.24074 + 2.0887 = 1.07812.
  EXPECT_NEAR(MsFitValue(std::exp(-2.0)), 1.07812, 1e-12);
}

TEST(MsCombineWidths, HandValues) {
  // No energy coefficient: |w1 (nu/(nu+1))^nu|; nu = 1 halves it, nu = 2 gives 4/9.
  EXPECT_NEAR(CombineWidths(3.0, 0.0, 1.0), 1.5, 1e-12);
  EXPECT_NEAR(CombineWidths(-3.0, 1e-10, 2.0), 3.0 * 4.0 / 9.0, 1e-12);
  // No path coefficient: |w2|.
  EXPECT_EQ(CombineWidths(0.0, -2.5, 0.8), 2.5);
  // r = 1, nu = 1 (q = 2): (2^2 - 1) / 2 = 1.5, times w2 = 2 -> 3.
  EXPECT_NEAR(CombineWidths(2.0, 2.0, 1.0), 3.0, 1e-12);
  // r = -3, nu = 1: (|-2|^2 + 1) / |2 x -3| = 5/6.
  EXPECT_NEAR(CombineWidths(-3.0, 1.0, 1.0), 5.0 / 6.0, 1e-12);
  // r = -1 exactly (the distribution folds onto itself): (0 - 1) / (q r) = 1/q = 0.5.
  EXPECT_NEAR(CombineWidths(-1.0, 1.0, 1.0), 0.5, 1e-12);
}

TEST(MsCombineWidths, IsContinuousAsTheEnergyCoefficientVanishes) {
  for (double nu : {0.6, 1.0, 1.8}) {
    EXPECT_NEAR(CombineWidths(1.0, 1e-6, nu), CombineWidths(1.0, 0.0, nu), 1e-5);
  }
}

TEST(MsCombineWidths, RejectsAnExponentThatNoDistributionHas) {
  EXPECT_TRUE(std::isnan(CombineWidths(1.0, 1.0, 0.0)));
  EXPECT_TRUE(std::isnan(CombineWidths(1.0, 1.0, -1.0)));
}

TEST(MsCappedHalfWidth, IsTheSmallerOfTheAngleAndAThirdOfTheLimit) {
  EXPECT_EQ(CappedHalfWidth(0.1, 0.9), 0.1);
  EXPECT_NEAR(CappedHalfWidth(0.5, 0.9), 0.3, 1e-15);
}

TEST(MsTablesMissingMessage, NamesTheMissingFiles) {
  PhysicsTables t;
  EXPECT_EQ(MsTablesMissingMessage(t), "multiple scattering tables missing: FMT.DAT TAUFIJ.DAT");
  t.msTauTableComplete = true;
  EXPECT_EQ(MsTablesMissingMessage(t), "multiple scattering tables missing: FMT.DAT");
  t.msFTableComplete = true;
  EXPECT_EQ(MsTablesMissingMessage(t), "");
}

// ---------------------------------------------------------------------------
// Incoming steps

TEST(MsIncomingStep, DepthZeroDoesNothing) {
  MsState in;
  EXPECT_EQ(IncomingMsStep(in, SiliconLayer(), 0.0, 0.01, 1.0, 2000.0, 2, ShippedTables()),
            MsStepStatus::kSkipped);
  EXPECT_EQ(in.stepMode, 0);
  EXPECT_EQ(in.totalReducedThickness, 0.0);
}

TEST(MsIncomingStep, FirstStepInitialisesFromTheHandValues) {
  MsState in;
  ASSERT_EQ(IncomingMsStep(in, SiliconLayer(), 0.01, 0.01, 1.0, 2000.0, 2, ShippedTables()),
            MsStepStatus::kApplied);
  EXPECT_EQ(in.stepMode, 1);
  EXPECT_NEAR(in.reducedEnergy / kEpsHeSi2000, 1.0, 1e-8);
  EXPECT_NEAR(in.reducedThicknessStep / kDtauSi10nm, 1.0, 1e-8);
  EXPECT_NEAR(in.totalReducedThickness / kDtauSi10nm, 1.0, 1e-8);
  EXPECT_NEAR(in.equivalentThickness / kDtauSi10nm, 1.0, 1e-8);
  EXPECT_NEAR(in.meanReducedEnergy / kEpsHeSi2000, 1.0, 1e-8);
  // alpha = ReducedHalfWidth(0.46517) / 427.237; W1 = dtau eps^-0.65, W2 = dtau eps^-1.65.
  EXPECT_NEAR(in.halfWidthAngle, ReducedHalfWidth(kDtauSi10nm) / kEpsHeSi2000, 1e-12);
  EXPECT_NEAR(in.weightSum1 / (kDtauSi10nm * std::pow(kEpsHeSi2000, -0.65)), 1.0, 1e-8);
  EXPECT_NEAR(in.weightSum2 / (kDtauSi10nm * std::pow(kEpsHeSi2000, -1.65)), 1.0, 1e-8);
}

TEST(MsIncomingStep, ConstantEnergyInOneElementGivesTheHalfWidthOfTheTotalThickness) {
  MsState in;
  const Layer si = SiliconLayer();
  for (int step = 1; step <= 40; ++step) {
    ASSERT_EQ(IncomingMsStep(in, si, 0.01 * step, 0.01, 0.5, 2000.0, 2, ShippedTables()),
              MsStepStatus::kApplied);
  }
  EXPECT_EQ(in.stepMode, 2);
  // Path length per step 0.01 / sin alpha = 0.02 micron: 40 steps make 80 x dtau(10 nm).
  const double total = 80.0 * kDtauSi10nm;
  EXPECT_NEAR(in.totalReducedThickness / total, 1.0, 1e-9);
  EXPECT_NEAR(in.halfWidthAngle / (ReducedHalfWidth(total) / kEpsHeSi2000), 1.0, 1e-5);
  EXPECT_NEAR(in.equivalentThickness / total, 1.0, 1e-5);
}

TEST(MsIncomingStep, SplittingAnElementIntoTwoEntriesChangesNothing) {
  Layer split = SiliconLayer();
  split.elements.push_back(split.elements[0]);
  split.elements[0].amount = 0.25;
  split.elements[1].amount = 0.75;
  MsState whole;
  MsState parts;
  for (int step = 1; step <= 5; ++step) {
    const double depth = 0.01 * step;
    IncomingMsStep(whole, SiliconLayer(), depth, 0.01, 1.0, 2000.0, 2, ShippedTables());
    IncomingMsStep(parts, split, depth, 0.01, 1.0, 2000.0, 2, ShippedTables());
  }
  EXPECT_NEAR(parts.totalReducedThickness / whole.totalReducedThickness, 1.0, 1e-12);
  EXPECT_NEAR(parts.halfWidthAngle / whole.halfWidthAngle, 1.0, 1e-6);
}

TEST(MsIncomingStep, MeanReducedEnergyWeightsTheComponents) {
  // Two components with different reduced energies (same radius, Z2 = 14 and Z2 = 28):
  // eps2 = eps1 / 2 and, amounts 1:1, dtau1 = dtau2 = dtau(10 nm) / 2.
  // Mean = (eps1^-0.65 + eps2^-0.65) / (eps1^-1.65 + eps2^-1.65).
  Layer layer = SiliconLayer();
  LayerElement heavy = layer.elements[0];
  heavy.Z = 28;
  layer.elements.push_back(heavy);
  layer.amountSum = 2.0;
  MsState in;
  ASSERT_EQ(IncomingMsStep(in, layer, 0.01, 0.01, 1.0, 2000.0, 2, ShippedTables()),
            MsStepStatus::kApplied);
  const double e1 = kEpsHeSi2000;
  const double e2 = kEpsHeSi2000 / 2.0;
  const double mean =
      (std::pow(e1, -0.65) + std::pow(e2, -0.65)) / (std::pow(e1, -1.65) + std::pow(e2, -1.65));
  EXPECT_NEAR(in.meanReducedEnergy / mean, 1.0, 1e-9);
  EXPECT_NEAR(in.reducedEnergy / e2, 1.0, 1e-9);  // the last component treated
  EXPECT_NEAR(in.totalReducedThickness / kDtauSi10nm, 1.0, 1e-9);
  // The angle lies between that of the whole thickness at either reduced energy.
  EXPECT_GT(in.halfWidthAngle, ReducedHalfWidth(kDtauSi10nm) / e1);
  EXPECT_LT(in.halfWidthAngle, ReducedHalfWidth(kDtauSi10nm) / e2);
}

TEST(MsIncomingStep, UnknownElementsScatterNothing) {
  Layer layer = SiliconLayer();
  LayerElement unknown;
  unknown.Z = 0;
  unknown.amount = 1.0;
  layer.elements.insert(layer.elements.begin(), unknown);
  layer.amountSum = 2.0;
  MsState in;
  ASSERT_EQ(IncomingMsStep(in, layer, 0.01, 0.01, 1.0, 2000.0, 2, ShippedTables()),
            MsStepStatus::kApplied);
  // Silicon is half of the atoms: half the reduced thickness; it still initialises the state.
  EXPECT_NEAR(in.totalReducedThickness / (kDtauSi10nm / 2.0), 1.0, 1e-9);
  EXPECT_TRUE(std::isfinite(in.meanReducedEnergy));
}

TEST(MsIncomingStep, RefusesWithoutTheTableAndLeavesTheStateAlone) {
  MsState in;
  in.halfWidthAngle = 0.123;
  PhysicsTables noTables;
  EXPECT_EQ(IncomingMsStep(in, SiliconLayer(), 0.02, 0.01, 1.0, 2000.0, 2, noTables),
            MsStepStatus::kTablesMissing);
  EXPECT_EQ(in.halfWidthAngle, 0.123);
  EXPECT_EQ(in.stepMode, 0);
}

TEST(MsIncomingStep, RejectsUnusableInputWithoutTouchingTheState) {
  const PhysicsTables& t = ShippedTables();
  Layer noAtoms = SiliconLayer();
  noAtoms.amountSum = 0.0;
  Layer negative = SiliconLayer();
  negative.elements[0].amount = -1.0;
  struct Case {
    Layer layer;
    double pathFactor, energy;
    int z1;
  };
  const Case cases[] = {{SiliconLayer(), 1.0, 0.0, 2},
                        {SiliconLayer(), 1.0, -5.0, 2},
                        {SiliconLayer(), 0.0, 2000.0, 2},
                        {SiliconLayer(), 1.0, 2000.0, 0},
                        {noAtoms, 1.0, 2000.0, 2},
                        {negative, 1.0, 2000.0, 2},
                        {SiliconLayer(), 1.0, std::nan(""), 2}};
  MsState in;
  for (const Case& c : cases) {
    EXPECT_EQ(IncomingMsStep(in, c.layer, 0.01, 0.01, c.pathFactor, c.energy, c.z1, t),
              MsStepStatus::kInvalidInput)
        << c.pathFactor << " " << c.energy << " " << c.z1;
  }
  EXPECT_EQ(in.totalReducedThickness, 0.0);
  EXPECT_EQ(in.stepMode, 0);
}

TEST(MsIncomingStep, VacuumLayerKeepsTheAngle) {
  MsState in;
  const PhysicsTables& t = ShippedTables();
  IncomingMsStep(in, SiliconLayer(), 0.01, 0.01, 1.0, 2000.0, 2, t);
  const double before = in.halfWidthAngle;
  Layer vacuum = SiliconLayer();
  vacuum.density = 0.0;
  ASSERT_EQ(IncomingMsStep(in, vacuum, 0.02, 0.01, 1.0, 2000.0, 2, t), MsStepStatus::kApplied);
  EXPECT_NEAR(in.halfWidthAngle / before, 1.0, 1e-6);
}

// ---------------------------------------------------------------------------
// Outgoing paths

TEST(MsOutgoingStep, StepIndexZeroDoesNothingAndOneRestartsThePath) {
  const PhysicsTables& t = ShippedTables();
  MsState out;
  EXPECT_EQ(OutgoingMsStep(out, 0, SiliconLayer(), 0.01, 1.0, 2000.0, 2, t),
            MsStepStatus::kSkipped);
  EXPECT_EQ(out.totalReducedThickness, 0.0);
  // A first path of three steps, then a new path of one step: the second path starts afresh.
  for (int i = 1; i <= 3; ++i)
    OutgoingMsStep(out, i, SiliconLayer(), 0.01, 1.0, 2000.0, 2, t);
  EXPECT_NEAR(out.totalReducedThickness / (3.0 * kDtauSi10nm), 1.0, 1e-9);
  ASSERT_EQ(OutgoingMsStep(out, 1, SiliconLayer(), 0.01, 1.0, 2000.0, 2, t),
            MsStepStatus::kApplied);
  EXPECT_NEAR(out.totalReducedThickness / kDtauSi10nm, 1.0, 1e-9);
  EXPECT_NEAR(out.halfWidthAngle, ReducedHalfWidth(kDtauSi10nm) / kEpsHeSi2000, 1e-12);
}

TEST(MsOutgoingStep, PathLengthFollowsTheExitAngleFactor) {
  // sin b1 sin b2 = 0.25: the path is four times the depth step.
  MsState out;
  ASSERT_EQ(OutgoingMsStep(out, 1, SiliconLayer(), 0.01, 0.25, 2000.0, 2, ShippedTables()),
            MsStepStatus::kApplied);
  EXPECT_NEAR(out.totalReducedThickness / (4.0 * kDtauSi10nm), 1.0, 1e-9);
}

TEST(MsOutgoingStep, UsesTheScreeningRadiusOfTheEmittedParticle) {
  Layer layer = SiliconLayer();
  layer.elements[0].screenOut = 2.0 * kScreenHeSi;  // dtau x 4, eps x 2
  MsState out;
  OutgoingMsStep(out, 1, layer, 0.01, 1.0, 2000.0, 2, ShippedTables());
  EXPECT_NEAR(out.totalReducedThickness / (4.0 * kDtauSi10nm), 1.0, 1e-9);
  EXPECT_NEAR(out.reducedEnergy / (2.0 * kEpsHeSi2000), 1.0, 1e-9);
}

// The angle-only step of the spectrum walks takes the half width through logarithms and the
// table inversion with its weights written out; its angle stays the full step's, to the
// rounding that 5000 steps gather (a few 1e-12), along a walk whose energy falls and whose total
// thickness passes the switch to the thick-path power law (tau = 2000: 4300 steps of 10 nm).
TEST(MsOutgoingStep, AngleOnlyStepKeepsTheFullStepsAngle) {
  MsState full;
  MsState angle;
  const Layer si = SiliconLayer();
  double worst = 0.0;
  for (int step = 1; step <= 5000; ++step) {
    const double energy = 2000.0 - 0.3 * step;
    ASSERT_EQ(OutgoingMsStep(full, step, si, 0.01, 0.8, energy, 2, ShippedTables()),
              MsStepStatus::kApplied);
    ASSERT_EQ(OutgoingMsAngleStep(angle, step, si, 0.01, 0.8, energy, 2, ShippedTables()),
              MsStepStatus::kApplied);
    worst = std::max(worst, std::fabs(angle.halfWidthAngle / full.halfWidthAngle - 1.0));
  }
  EXPECT_GT(full.totalReducedThickness, 2000.0);
  EXPECT_EQ(angle.totalReducedThickness, full.totalReducedThickness);
  EXPECT_LT(worst, 1e-10);
}

TEST(MsOutgoingStep, RejectsUnusableInput) {
  const PhysicsTables& t = ShippedTables();
  MsState out;
  EXPECT_EQ(OutgoingMsStep(out, -1, SiliconLayer(), 0.01, 1.0, 2000.0, 2, t),
            MsStepStatus::kInvalidInput);
  EXPECT_EQ(OutgoingMsStep(out, 1, SiliconLayer(), 0.01, 0.0, 2000.0, 2, t),
            MsStepStatus::kInvalidInput);
  EXPECT_EQ(OutgoingMsStep(out, 1, SiliconLayer(), -0.01, 1.0, 2000.0, 2, t),
            MsStepStatus::kInvalidInput);
  EXPECT_EQ(OutgoingMsStep(out, 2, SiliconLayer(), 0.01, 1.0, 2000.0, 2, PhysicsTables{}),
            MsStepStatus::kTablesMissing);
}

}  // namespace
}  // namespace dodavev
