#include "engine/kinematics.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

namespace dodavev {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

// Central difference, for checking the analytic angular and energy derivatives.
template <typename F>
double Derivative(F f, double x, double h) {
  return (f(x + h) - f(x - h)) / (2.0 * h);
}

// --- Elastic backscattering -------------------------------------------------------------

TEST(KinematicsElastic, HeliumOnSiliconAt165Degrees) {
  // Classical kinematic factor with mass numbers 4 and 28:
  // K = ((4 cos165 + sqrt(28^2 - 4^2 sin^2 165)) / 32)^2
  //   = ((-3.8637033 + 27.9808452) / 32)^2 = 0.56800485210.
  // The same value follows from the centre-of-mass construction (lab angle 165 deg ->
  // CM angle by bisection, v_lab^2 / v^2), done independently; tolerance 1e-12.
  KinematicsInput in;
  in.kind = ReactionKind::kRbs;
  in.masses = {4.0, 4.0, 28.0};
  in.theta = 165.0 * kDeg;
  in.e0 = 2000.0;
  const KinematicState st = Kinematics(in);
  EXPECT_NEAR(st.K, 0.5680048521000849, 1e-12);
  EXPECT_NEAR(st.surfaceEnergy, 2000.0 * 0.5680048521000849, 1e-9);
  EXPECT_DOUBLE_EQ(st.emittedEnergy, st.surfaceEnergy);
  // dK/dtheta by central difference of the classical formula: -0.04203173; 1e-8.
  EXPECT_NEAR(st.dK, -0.0420317327054498, 1e-8);
}

TEST(KinematicsElastic, DefaultReactionOnCarbon) {
  // Default inputs: 4He on 12C at 165 deg; K = ((4 cos165 + sqrt(144 - 16 sin^2 165))/16)^2
  // = ((-3.8637033 + 11.9552584) / 16)^2 = 0.50572219^2 = 0.25575494 (by hand, 1e-8).
  const KinematicFactor f = ElasticFactor(165.0 * kDeg, 4.0, 12.0, 1);
  EXPECT_NEAR(f.K, 0.25575494, 1e-8);
}

TEST(KinematicsElastic, AngularDerivativeMatchesTheSlopeOfK) {
  for (double deg : {20.0, 60.0, 120.0, 170.0}) {
    const double slope =
        Derivative([](double t) { return ElasticFactor(t, 4.0, 197.0, 1).K; }, deg * kDeg, 1e-6);
    EXPECT_NEAR(ElasticFactor(deg * kDeg, 4.0, 197.0, 1).dK, slope, 1e-8) << deg;
  }
}

// --- Forward scattering -----------------------------------------------------------------

TEST(KinematicsForward, HeavyIonOnLightTargetHasTwoBranches) {
  // 4He on 1H at 10 deg (largest angle asin(1/4) = 14.48 deg). Solving energy and momentum
  // conservation numerically (bisection on E3 for E1 = 1) gives the two roots
  // E3/E1 = 0.86811490942 (fast) and 0.41469164519 (slow); by hand from
  // ((4 cos10 +- sqrt(1 - 16 sin^2 10)) / 5)^2 = (4.658634/5)^2, (3.219828/5)^2. 1e-9.
  KinematicsInput in;
  in.kind = ReactionKind::kForwardScattering;
  in.masses = {4.0, 4.0, 1.0};
  in.theta = 10.0 * kDeg;
  in.e0 = 1000.0;
  in.kinSign = 1;
  const KinematicState fast = Kinematics(in);
  EXPECT_NEAR(fast.K, 0.8681149094152423, 1e-9);
  EXPECT_NEAR(fast.surfaceEnergy, 868.1149094152423, 1e-6);
  in.kinSign = -1;
  const KinematicState slow = Kinematics(in);
  EXPECT_NEAR(slow.K, 0.41469164519072055, 1e-9);
  // The slow branch moves the other way with the angle: K' has opposite signs.
  EXPECT_LT(fast.dK, 0.0);
  EXPECT_GT(slow.dK, 0.0);
  const double slope =
      Derivative([](double t) { return ElasticFactor(t, 4.0, 1.0, -1).K; }, 10.0 * kDeg, 1e-6);
  EXPECT_NEAR(slow.dK, slope, 1e-7);
}

TEST(KinematicsForward, SlowBranchDoesNotExistForAHeavierTarget) {
  // For Mt > M1 the minus root is a negative speed: no second scattered ion.
  EXPECT_EQ(ElasticFactor(30.0 * kDeg, 4.0, 28.0, -1).K, 0.0);
  EXPECT_GT(ElasticFactor(30.0 * kDeg, 4.0, 28.0, 1).K, 0.9);
}

// --- Recoils ----------------------------------------------------------------------------

TEST(KinematicsRecoil, HeliumRecoilingProtonsAt30Degrees) {
  // K = 4 m1 m2 cos^2(phi) / (m1 + m2)^2 = 4*4*1*0.75/25 = 0.48 exactly (by hand; the
  // numerical energy-momentum solution also lands on 0.48); K' = -2 tan30 * 0.48.
  KinematicsInput in;
  in.kind = ReactionKind::kErd;
  in.masses = {4.0, 1.0, 1.0};
  in.theta = 30.0 * kDeg;
  in.e0 = 2500.0;
  const KinematicState st = Kinematics(in);
  EXPECT_NEAR(st.K, 0.48, 1e-14);
  EXPECT_NEAR(st.dK, -2.0 * std::tan(30.0 * kDeg) * 0.48, 1e-14);
  EXPECT_NEAR(st.surfaceEnergy, 1200.0, 1e-10);
}

TEST(KinematicsRecoil, NoRecoilsBackwards) {
  EXPECT_NEAR(RecoilFactor(90.0 * kDeg, 4.0, 1.0).K, 0.0, 1e-30);  // cos 90 deg rounds to 6e-17
  EXPECT_EQ(RecoilFactor(120.0 * kDeg, 4.0, 1.0).K, 0.0);
}

// --- Reactions with a Q-value -----------------------------------------------------------

// 12C(d,p)13C: Q = Delta(2H) - Delta(1H) - Delta(13C) = 13.13572 - 7.28897 - 3.12501
// = 2.72174 MeV (AME2016 mass excesses; the NIST masses in the isotope table give the
// same 2.72174). Rounded to the usual 2.722 MeV.
constexpr double kQdp = 2.722;

TEST(KinematicsQValue, DeuteronsOnCarbonTwelveAt150Degrees) {
  // E_d = 2000 keV, protons at 150 deg, mass numbers 2, 1, 12. Energy and momentum
  // conservation solved numerically (bisection on E3, residual 13C) gives
  // E3 = 3.62771953404 MeV; dE3/dE1 = 0.6271569 and d(E3/E1)/dtheta = -0.1277490 by
  // central differences of that solution. Tolerances cover the differencing (1e-6).
  const QValueResult r = QValueKinematics(150.0 * kDeg, kQdp, 2000.0, {2.0, 1.0, 12.0});
  EXPECT_NEAR(r.emittedEnergy, 3627.7195340411845, 1e-6);
  EXPECT_NEAR(r.K, 0.6271568972149311, 1e-6);
  EXPECT_NEAR(r.dK, -0.12774895812306397, 1e-6);
}

TEST(KinematicsQValue, TheLevelEnergyIsSubtractedFromQ) {
  // First excited state of 13C at 3.089443 MeV (RIPL-3 levels): Q_eff = -0.367443 MeV.
  // Numerical solution as above: E3 = 0.98469631 MeV.
  const std::array<double, 2> levels{0.0, 3.089443};
  KinematicsInput in;
  in.kind = ReactionKind::kNra;
  in.masses = {2.0, 1.0, 12.0};
  in.theta = 150.0 * kDeg;
  in.e0 = 2000.0;
  in.qm = kQdp;
  in.level = 1;
  in.levelEnergies = levels;
  const KinematicState st = Kinematics(in);
  EXPECT_TRUE(st.levelKnown);
  EXPECT_NEAR(st.effectiveQ, kQdp - 3.089443, 1e-12);
  EXPECT_NEAR(st.surfaceEnergy, 984.6963106240554, 1e-6);
  EXPECT_DOUBLE_EQ(st.emittedEnergy, st.surfaceEnergy);
}

TEST(KinematicsQValue, GroundStateNeedsNoLevelFileButAnExcitedOneDoes) {
  KinematicsInput in;
  in.kind = ReactionKind::kNra;
  in.masses = {2.0, 1.0, 12.0};
  in.theta = 150.0 * kDeg;
  in.e0 = 2000.0;
  in.qm = kQdp;
  EXPECT_NEAR(Kinematics(in).surfaceEnergy, 3627.7195340411845, 1e-6);
  in.level = 2;  // no level list: the energy of level 2 is unknown
  const KinematicState st = Kinematics(in);
  EXPECT_FALSE(st.levelKnown);
  EXPECT_EQ(st.K, 0.0);
  EXPECT_EQ(st.surfaceEnergy, 0.0);
  in.level = -1;
  EXPECT_FALSE(Kinematics(in).levelKnown);
}

TEST(KinematicsQValue, DerivativesMatchTheSlopesOfTheEmittedEnergy) {
  const ReactionMasses m{1.0, 4.0, 15.0};  // 15N(p,alpha)12C, Q = 4.965 MeV
  const double q = 4.965;
  for (double deg : {30.0, 90.0, 150.0}) {
    const double t = deg * kDeg;
    const QValueResult r = QValueKinematics(t, q, 1500.0, m);
    const double dE = Derivative(
        [&](double e) { return QValueKinematics(t, q, e, m).emittedEnergy; }, 1500.0, 1e-3);
    const double dT = Derivative(
        [&](double a) { return QValueKinematics(a, q, 1500.0, m).emittedEnergy / 1500.0; }, t,
        1e-6);
    EXPECT_NEAR(r.K, dE, 1e-6) << deg;
    EXPECT_NEAR(r.dK, dT, 1e-6) << deg;
  }
}

TEST(KinematicsQValue, ElasticLimitReproducesTheScatteringFactor) {
  // With Q = 0 and the ion coming out again the reaction formula is elastic scattering.
  const QValueResult r = QValueKinematics(165.0 * kDeg, 0.0, 1000.0, {4.0, 4.0, 28.0});
  EXPECT_NEAR(r.emittedEnergy / 1000.0, 0.5680048521000849, 1e-12);
}

TEST(KinematicsQValue, ImpossibleReactionsGiveZero) {
  const ReactionMasses dp{2.0, 1.0, 12.0};
  // Endothermic below threshold: Q = -5 MeV with 1 MeV deuterons.
  QValueResult r = QValueKinematics(150.0 * kDeg, -5.0, 1000.0, dp);
  EXPECT_EQ(r.emittedEnergy, 0.0);
  EXPECT_EQ(r.K, 0.0);
  EXPECT_EQ(r.dK, 0.0);
  // No incident energy, or a negative one.
  EXPECT_EQ(QValueKinematics(150.0 * kDeg, kQdp, 0.0, dp).emittedEnergy, 0.0);
  EXPECT_EQ(QValueKinematics(150.0 * kDeg, kQdp, -10.0, dp).K, 0.0);
  // Endothermic with a backward direction that only the negative root would reach:
  // 4He on 1H with Q = -0.1 MeV at 170 deg.
  EXPECT_EQ(QValueKinematics(170.0 * kDeg, -0.1, 1000.0, {4.0, 4.0, 1.0}).emittedEnergy, 0.0);
  // Nonsense masses.
  EXPECT_EQ(QValueKinematics(150.0 * kDeg, kQdp, 1000.0, {0.0, 1.0, 12.0}).K, 0.0);
  EXPECT_EQ(QValueKinematics(150.0 * kDeg, kQdp, 1000.0, {2.0, 1.0, -12.0}).K, 0.0);
}

TEST(KinematicsQValue, PhotonsCarryTheReactionEnergy) {
  // Capture with a massless product: E3 = Q + E1 * Mt / (M1 + Mt) in this
  // non-relativistic form; 27Al(p,gamma) with Q = 11.585 MeV and 992 keV protons gives
  // 11.585 + 0.992*27/28 = 12.541571 MeV (by hand).
  const QValueResult r = QValueKinematics(90.0 * kDeg, 11.585, 992.0, {1.0, 0.0, 27.0});
  EXPECT_NEAR(r.emittedEnergy, 12541.571428571, 1e-6);
  EXPECT_NEAR(r.K, 27.0 / 28.0, 1e-12);
  EXPECT_EQ(r.dK, 0.0);
}

// --- Modes and unusable kinds -----------------------------------------------------------

TEST(KinematicsModes, ExcitationCurvesUseNoAngularDerivative) {
  KinematicsInput in;
  in.kind = ReactionKind::kRbs;
  in.masses = {1.0, 1.0, 12.0};
  in.theta = 165.0 * kDeg;
  in.e0 = 1000.0;
  in.excitationCurve = true;
  const KinematicState st = Kinematics(in);
  EXPECT_GT(st.K, 0.0);
  EXPECT_EQ(st.dK, 0.0);
}

// No particle reaches the detector: nothing is emitted, at no angle and no energy.
TEST(KinematicsModes, ImpossibleScatteringAndUnusableKindsHaveNoKinematics) {
  struct Case {
    ReactionKind kind;
    ReactionMasses masses;
    double thetaDeg;
    int kinSign;
    const char* why;
  };
  const Case cases[] = {
      {ReactionKind::kRbs, {12.0, 12.0, 4.0}, 165.0, 1, "carbon ions backwards from helium"},
      {ReactionKind::kRbs, {4.0, 4.0, 4.0}, 165.0, 1, "equal masses: stopped or sideways"},
      // 4He on 1H cannot be scattered beyond 14.48 deg (no real root at 20 deg).
      {ReactionKind::kForwardScattering, {4.0, 4.0, 1.0}, 20.0, 1, "beyond the largest angle"},
      {ReactionKind::kForwardScattering, {4.0, 4.0, 1.0}, 20.0, -1, "slow branch beyond it"},
      {ReactionKind::kNotUsable, {2.0, 1.0, 12.0}, 150.0, 1, "unusable reaction"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    KinematicsInput in;
    in.kind = c.kind;
    in.masses = c.masses;
    in.theta = c.thetaDeg * kDeg;
    in.e0 = 1000.0;
    in.kinSign = c.kinSign;
    const KinematicState st = Kinematics(in);
    EXPECT_EQ(st.K, 0.0);
    EXPECT_EQ(st.dK, 0.0);
    EXPECT_EQ(st.surfaceEnergy, 0.0);
  }
}

}  // namespace
}  // namespace dodavev
