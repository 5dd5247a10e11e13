#include "engine/contributions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/setup.hpp"

namespace dodavev {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

EngineGeometry Geometry(char position, double alphaDeg, double thetaDeg) {
  GeometryInputs in;
  in.alpha = alphaDeg * kDeg;
  in.theta = thetaDeg * kDeg;
  in.position = position;
  in.detShape = 'C';
  in.detWidth = in.detLength = 8.0;
  in.beamShape = 'R';
  in.beamWidth = in.beamLength = 0.5;
  in.distance = 100.0;
  return ComputeEngineGeometry(in);
}

ContributionOptions NoOptions() {
  ContributionOptions o;
  o.CheckBeam = o.CheckGeo = o.CheckDoppler = o.CheckDet = false;
  return o;
}

// A reaction at the surface: no path in, none out, no multiple scattering.
StepInputs SurfaceStep() {
  StepInputs s;
  s.K = 0.5;
  s.dK = -0.1;
  s.E = 2000.0;
  s.Em = 1000.0;
  s.exitEnergy = 1000.0;
  s.bes = 2.0;
  s.asb = 0.001;
  s.m1 = 4.0;
  s.mt = 28.0;
  s.temperature = 300.0;
  return s;
}

// A step 0.1 micron deep with multiple scattering on both paths.
StepInputs ScatteringStep() {
  StepInputs s = SurfaceStep();
  s.depth = 0.1;
  s.tauIn = 5.0;
  s.phiIn = 0.02;
  s.Lin = 100.0;
  s.tauOut = 5.0;
  s.phiOut = 0.02;
  s.Lout = 100.0;
  return s;
}

class EnergySpread : public ::testing::Test {
 protected:
  StepContributions Compute(const StepInputs& s, const EngineGeometry& g,
                            const ContributionOptions& o,
                            DetectorResolutionCoefficients d = DetectorResolutionCoefficients{},
                            bool spectrumOnly = false) {
    errorCode = StepProblem::kNone;
    tableMissing = false;
    const ContributionContext ctx{g, o, d, tables_, nullptr, nullptr, spectrumOnly};
    return ComputeContributions(s, ctx, errorCode, halfWidthIndex, tableMissing);
  }
  PhysicsTables tables_;  // no convolution table: nothing here needs one
  StepProblem errorCode = StepProblem::kNone;
  double halfWidthIndex = 2.0;
  bool tableMissing = false;
};

// --- Single contributions ------------------------------------------------------------------

TEST(DetectorResolutionFormula, ConstantAndPowerTerms) {
  DetectorResolutionCoefficients c;  // defaults a0 = 16, a1 = 0
  EXPECT_DOUBLE_EQ(DetectorResolution(c, 100.0), 16.0);
  EXPECT_DOUBLE_EQ(DetectorResolution(c, 5000.0), 16.0);
  c = {10.0, 0.01, 1.0, 2.0, 0.5};  // 10 + 0.01 E + 2 sqrt(E)
  EXPECT_NEAR(DetectorResolution(c, 400.0), 10.0 + 4.0 + 40.0, 1e-12);
}

TEST(DopplerBroadening, ByHandAndItsScaling) {
  // 2.35 sqrt(8.65e-8 keV/K x (2 x 4 / 12) x 3100 keV x 300 K) = 2.35 x 0.2315815 = 0.5442166.
  EXPECT_NEAR(DopplerWidth(4.0, 12.0, 3100.0, 300.0), 0.5442166, 1e-6);
  EXPECT_DOUBLE_EQ(DopplerWidth(4.0, 12.0, 3100.0, 0.0), 0.0);
  // Square root of energy and of temperature.
  EXPECT_NEAR(DopplerWidth(4.0, 12.0, 4.0 * 3100.0, 300.0), 2.0 * 0.5442166, 2e-6);
  EXPECT_NEAR(DopplerWidth(4.0, 12.0, 3100.0, 1200.0), 2.0 * 0.5442166, 2e-6);
}

TEST_F(EnergySpread, AllOptionsOffGiveNoSpreadAtAll) {
  const StepContributions c = Compute(SurfaceStep(), Geometry('C', 80, 165), NoOptions());
  EXPECT_DOUBLE_EQ(c.beame, 0.0);
  EXPECT_DOUBLE_EQ(c.beama, 0.0);
  EXPECT_DOUBLE_EQ(c.geo, 0.0);
  EXPECT_DOUBLE_EQ(c.dopll, 0.0);
  EXPECT_DOUBLE_EQ(c.ss, 0.0);
  EXPECT_DOUBLE_EQ(c.S0, 0.0);
  EXPECT_DOUBLE_EQ(c.tot, 0.0);
  EXPECT_DOUBLE_EQ(c.det, 0.0);
  EXPECT_EQ(errorCode, StepProblem::kNone);
  EXPECT_FALSE(tableMissing);
}

TEST_F(EnergySpread, DetectorResolutionOfSixteenKeV) {
  ContributionOptions o = NoOptions();
  o.CheckDet = true;
  const StepContributions c = Compute(SurfaceStep(), Geometry('C', 80, 165), o);
  EXPECT_DOUBLE_EQ(c.D, 16.0);
  EXPECT_DOUBLE_EQ(c.det, 16.0);
  EXPECT_DOUBLE_EQ(c.tot, 0.0);  // tot leaves the detector out
}

TEST_F(EnergySpread, BeamEnergySpreadAndStragglingTravelWithKAndTheTransferFactors) {
  StepInputs s = SurfaceStep();
  s.Rin = 1.1;
  s.T = 0.9;
  s.Vin = 100.0;
  s.Vout = 50.0;
  ContributionOptions o = NoOptions();
  o.CheckBeam = true;
  s.asb = 0.0;  // no angular part
  const StepContributions c = Compute(s, Geometry('C', 80, 165), o);
  // beame = bes R_in K T = 2 x 1.1 x 0.5 x 0.9 = 0.99 keV.
  EXPECT_NEAR(c.beame, 0.99, 1e-12);
  // ss = sqrt(K^2 T^2 V_in + V_out) = sqrt(0.2025 x 100 + 50) = sqrt(70.25) = 8.38153 keV.
  EXPECT_NEAR(c.ss, std::sqrt(70.25), 1e-12);
  EXPECT_NEAR(c.S0, std::hypot(0.99, std::sqrt(70.25)), 1e-12);
}

TEST_F(EnergySpread, DopplerEntersAfterTheReaction) {
  ContributionOptions o = NoOptions();
  o.CheckDoppler = true;
  StepInputs s = SurfaceStep();
  s.T = 0.8;
  const StepContributions c = Compute(s, Geometry('C', 80, 165), o);
  // 2.35 sqrt(8.65e-8 x 2 x 4/28 x 2000 x 300) x K x T = 2.35 x 0.1217726 x 0.5 x 0.8
  //   = 0.2861657 x 0.4 = 0.1144663 (hand, 1e-6).
  EXPECT_NEAR(c.dopll, 2.35 * std::sqrt(8.65e-8 * 8.0 / 28.0 * 2000.0 * 300.0) * 0.4, 1e-12);
  EXPECT_NEAR(c.dopll, 0.114466, 1e-6);
}

TEST_F(EnergySpread, IbmGeometryAtTheSurfaceIsTheKinematicTermByHand) {
  ContributionOptions o = NoOptions();
  o.CheckGeo = true;
  const EngineGeometry g = Geometry('I', 80, 165);
  StepInputs s = SurfaceStep();
  const StepContributions c = Compute(s, g, o);
  // No way out yet (L_out = 0): G1 = (tan^2 theta - 1) K E D1^2 / 4 + E K' D1 and
  // G2 = (tan^2 theta - 1) K E D2^2 / 4 (IBM: no kinematic term perpendicular).
  const double second1 = (g.tanTheta * g.tanTheta - 1.0) * 0.5 * 2000.0 * g.delta1 * g.delta1 / 4;
  const double second2 = (g.tanTheta * g.tanTheta - 1.0) * 0.5 * 2000.0 * g.delta2 * g.delta2 / 4;
  const double g1 = second1 + 2000.0 * -0.1 * g.delta1;
  EXPECT_NEAR(c.G1, g1, 1e-12);
  EXPECT_NEAR(c.G2, second2, 1e-12);
  EXPECT_NEAR(c.geo, std::hypot(g1, second2), 1e-12);

  // A magnetic spectrograph removes both from the scattering plane.
  o.CheckKinematic = true;
  const StepContributions k = Compute(s, g, o);
  EXPECT_DOUBLE_EQ(k.G1, 0.0);
  EXPECT_NEAR(k.G2, second2, 1e-12);
}

TEST_F(EnergySpread, CornellGeometryHasItsKinematicTermPerpendicular) {
  ContributionOptions o = NoOptions();
  o.CheckGeo = true;
  const EngineGeometry g = Geometry('C', 80, 165);
  const StepContributions c = Compute(SurfaceStep(), g, o);
  const double second2 = (g.tanTheta * g.tanTheta - 1.0) * 0.5 * 2000.0 * g.delta2 * g.delta2 / 4;
  EXPECT_NEAR(c.G2, second2 + 2000.0 * -0.1 * g.delta2, 1e-12);
  o.CheckKinematic2 = true;
  EXPECT_DOUBLE_EQ(Compute(SurfaceStep(), g, o).G2, 0.0);
}

TEST_F(EnergySpread, BeamAngleTermsFollowTheKinematicSwitches) {
  ContributionOptions o = NoOptions();
  o.CheckBeam = true;
  StepInputs s = SurfaceStep();
  s.bes = 0.0;
  s.asb = 0.002;
  const EngineGeometry g = Geometry('I', 80, 165);
  // At the surface L_in = 0: A1 = second-order + E K' asb, A2 = second-order.
  const double second = (g.tanTheta * g.tanTheta - 1.0) * 0.5 * 2000.0 * 0.002 * 0.002 / 4.0;
  const double a1 = second + 2000.0 * -0.1 * 0.002;
  EXPECT_NEAR(Compute(s, g, o).beama, std::hypot(a1, second), 1e-12);
  o.CheckKinematic = true;
  EXPECT_NEAR(Compute(s, g, o).beama, std::fabs(second), 1e-12);
  o.CheckKinematic2 = true;
  EXPECT_DOUBLE_EQ(Compute(s, g, o).beama, 0.0);
}

// --- Error codes -------------------------------------------------------------------------

TEST_F(EnergySpread, BeamDivergenceTooLargeForTheAngleIsCode3) {
  ContributionOptions o = NoOptions();
  o.CheckBeam = true;
  StepInputs s = SurfaceStep();
  s.asb = 0.2;  // (asb/2 cot 5 deg)^2 = (0.1 x 11.43)^2 > 1
  Compute(s, Geometry('C', 5, 165), o);
  EXPECT_EQ(errorCode, StepProblem::kSecondOrder);
}

TEST_F(EnergySpread, HugeSecondOrderCorrectionIsCode2) {
  ContributionOptions o = NoOptions();
  o.CheckGeo = true;
  StepInputs s = SurfaceStep();
  s.Lout = 500.0;
  // IBM with theta - alpha = 1.35 deg: (D1/2 cot b1)^2 = (0.02356 x 42.4)^2 = 0.998, so the
  // corrected geometry term is some 500 times the linear one.
  Compute(s, Geometry('I', 80, 81.35), o);
  EXPECT_EQ(errorCode, StepProblem::kLinearError);
}

TEST_F(EnergySpread, DetectedEnergyBelowAHundredthOfTheSpreadIsCode4) {
  ContributionOptions o = NoOptions();
  o.CheckBeam = true;
  StepInputs s = SurfaceStep();
  s.Em = 0.005;  // beame = 2 x 0.5 = 1 keV; 1/100 of it is 0.01 keV
  const StepContributions c = Compute(s, Geometry('C', 80, 165), o);
  EXPECT_EQ(errorCode, StepProblem::kEnergyBelowSpread);
  EXPECT_DOUBLE_EQ(c.det, 10000.0);
}

TEST_F(EnergySpread, UnresolvedAbsorberDistributionIsCode5) {
  halfWidthIndex = 1.0;
  const StepContributions c = Compute(SurfaceStep(), Geometry('C', 80, 165), NoOptions());
  EXPECT_EQ(errorCode, StepProblem::kAbsorberUnresolved);
  EXPECT_DOUBLE_EQ(c.det, 10000.0);
}

TEST_F(EnergySpread, DetectorResolutionAtOrBelowZeroIsCode6) {
  ContributionOptions o = NoOptions();
  o.CheckDet = true;
  Compute(SurfaceStep(), Geometry('C', 80, 165), o, {-1.0, 0.0, 1.0, 0.0, 1.0});
  EXPECT_EQ(errorCode, StepProblem::kDetectorResolutionZero);
}

// --- Multiple scattering and the excitation-curve variant ---------------------------------

TEST_F(EnergySpread, IncomingMultipleScatteringVanishesAtTheSurface) {
  ContributionOptions o = NoOptions();
  StepInputs s = SurfaceStep();
  s.tauIn = 5.0;
  s.phiIn = 0.01;
  s.Lin = 100.0;
  const StepContributions c = Compute(s, Geometry('C', 80, 165), o);
  EXPECT_DOUBLE_EQ(c.msi, 0.0);
  EXPECT_DOUBLE_EQ(c.tot, 0.0);
}

TEST_F(EnergySpread, ExcitationCurveFoldsTheBeamWithTheResonance) {
  ContributionOptions o = NoOptions();
  o.CheckBeam = true;
  StepInputs s = SurfaceStep();
  s.excitation = true;
  s.dK = 0.0;
  s.asb = 0.0;
  s.Vin = 9.0;
  s.fwhm = 0.0;  // no resonance width: the total is the beam's own spread
  const StepContributions c = Compute(s, Geometry('C', 80, 165), o);
  // K counts as 1 and T as 1: beame = bes R_in = 2; S0 = sqrt(2^2 + 9) = sqrt(13).
  EXPECT_DOUBLE_EQ(c.beame, 2.0);
  EXPECT_NEAR(c.S0, std::sqrt(13.0), 1e-12);
  EXPECT_NEAR(c.mso, std::sqrt(13.0), 1e-12);  // the beam at the resonance depth
  EXPECT_NEAR(c.tot, std::sqrt(13.0), 1e-12);
  EXPECT_NEAR(c.det, std::sqrt(13.0), 1e-12);
  EXPECT_DOUBLE_EQ(c.D, 0.0);
}

TEST_F(EnergySpread, MissingConvolutionTableFallsBackToQuadratureAndSaysSo) {
  ContributionOptions o = NoOptions();
  o.CheckDet = true;
  const StepContributions c = Compute(ScatteringStep(), Geometry('I', 80, 165), o);
  EXPECT_TRUE(tableMissing);
  EXPECT_GT(c.msi, 0.0);
  EXPECT_NEAR(c.tot, std::hypot(c.msi, c.mso), 1e-9);
  EXPECT_NEAR(c.det, std::sqrt(16.0 * 16.0 + c.msi * c.msi + c.mso * c.mso), 1e-9);
}

// A step that only feeds a spectrum leaves out the two spreads only the rows show; every
// spread the spectrum and the walk's checks use stays the same to the last bit.
TEST_F(EnergySpread, SpectrumOnlyStepsKeepEverySpreadTheSpectrumUses) {
  const ContributionOptions o;  // all on
  StepInputs s = ScatteringStep();
  s.Vin = 9.0;
  s.Vout = 16.0;
  const EngineGeometry g = Geometry('C', 70, 165);
  const StepContributions full = Compute(s, g, o);
  const StepProblem fullProblem = errorCode;
  const StepContributions spectrum = Compute(s, g, o, DetectorResolutionCoefficients{}, true);
  EXPECT_EQ(errorCode, fullProblem);
  EXPECT_GT(full.dfi, 0.0);
  EXPECT_GT(full.det, 0.0);
  EXPECT_EQ(spectrum.dfi, 0.0);
  EXPECT_EQ(spectrum.det, 0.0);
  for (auto field :
       {&StepContributions::dE, &StepContributions::dEminus, &StepContributions::mdE,
        &StepContributions::edgePlus, &StepContributions::edgeMinus, &StepContributions::edgeShape,
        &StepContributions::tot, &StepContributions::totCorrected, &StepContributions::error}) {
    EXPECT_EQ(spectrum.*field, full.*field);
  }
}

}  // namespace
}  // namespace dodavev
