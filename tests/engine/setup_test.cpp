#include "engine/setup.hpp"
#include "app/calculation_setup.hpp"
#include "app/calculations.hpp"
#include "app/run_inputs_of.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "app/ok_action.hpp"
#include "app/session_fixture.hpp"
#include "engine/resolution.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

GeometryInputs DefaultGeometry(double alphaDeg = 80.0, double thetaDeg = 165.0) {
  // The default inputs: circular 8 mm diaphragm at 100 mm, rectangular 0.5 x 0.5 mm slit.
  GeometryInputs in;
  in.alpha = alphaDeg * kDeg;
  in.theta = thetaDeg * kDeg;
  in.position = 'C';
  in.detShape = 'C';
  in.detWidth = 8.0;
  in.detLength = 8.0;
  in.beamShape = 'R';
  in.beamWidth = 0.5;
  in.beamLength = 0.5;
  in.distance = 100.0;
  return in;
}

// --- Shape factors and engine geometry ---------------------------------------------------

TEST(EngineGeometry, ShapeFactorsAreTheFwhmOfUniformCircleAndRectangle) {
  // 2.35^2 / 16 = 5.5225 / 16 = 0.34515625 exactly; 2.35^2 / 12 = 0.4602083...
  EXPECT_DOUBLE_EQ(ShapeFactor('C'), 0.34515625);
  EXPECT_NEAR(ShapeFactor('R'), 5.5225 / 12.0, 1e-8);
  EXPECT_NEAR(ShapeFactor('X'), 5.5225 / 12.0, 1e-8);  // anything else is rectangular
}

TEST(EngineGeometry, DefaultsAreCornellReflectionWithExitAnglesAlphaAndThetaMinus90) {
  const EngineGeometry g = ComputeEngineGeometry(DefaultGeometry());
  EXPECT_EQ(g.GeometryKind, 'R');
  EXPECT_EQ(g.position, 'C');
  EXPECT_NEAR(g.beta1, 80.0 * kDeg, 1e-15);
  EXPECT_NEAR(g.beta2, 75.0 * kDeg, 1e-15);
  EXPECT_DOUBLE_EQ(g.wIn, 0.0);
  EXPECT_DOUBLE_EQ(g.wPerp, 1.0);
  // g_alpha = cos80 / sin^2 80 = 0.173648 / 0.969846 = 0.17904711;
  // g_1 = g_alpha / sin75 = 0.18536321; g_2 = cos75 / (sin^2 75 sin80) = 0.28168078 (1e-8).
  EXPECT_NEAR(g.gAlpha, 0.1790471086, 1e-9);
  EXPECT_NEAR(g.g1, 0.1853632067, 1e-9);
  EXPECT_NEAR(g.g2, 0.2816807805, 1e-9);
  // tan 165 = -0.26794919; cot 80 = 0.17632698.
  EXPECT_NEAR(g.tanTheta, -0.2679491924, 1e-9);
  EXPECT_NEAR(g.cotAlpha, 0.1763269807, 1e-9);
  // Caps of the lateral spread correction: alpha/3 and min(80, 75)/3 degrees.
  EXPECT_NEAR(g.msCapIn, 80.0 / 3.0 * kDeg, 1e-15);
  EXPECT_NEAR(g.msCapOut, 25.0 * kDeg, 1e-15);
}

TEST(EngineGeometry, AcceptancesOfTheDefaultDiaphragmAndSlit) {
  // Delta1 = sqrt(8^2 * 0.34515625 + (0.5 sin80/sin80)^2 * 0.46020833) / 100
  //        = sqrt(22.09 + 0.11505208) / 100 = 0.04712224;
  // Delta2 = sqrt(22.09 + (0.5 sin75)^2 * 0.46020833) / 100 = 0.04711406 (hand, 1e-8).
  const EngineGeometry g = ComputeEngineGeometry(DefaultGeometry());
  EXPECT_NEAR(g.delta1, 0.0471222369, 1e-8);
  EXPECT_NEAR(g.delta2, 0.0471140585, 1e-8);
}

TEST(EngineGeometry, ExactToLinearFactorsOfTheDefaultAcceptance) {
  // f = (-(s D/2) cos b / sin^2 b) / (1/sin(b + s D/2) - 1/sin b) for b1 = 80, b2 = 75 deg and
  // the acceptances above, evaluated by hand (Python, double precision); 1e-7.
  const EngineGeometry g = ComputeEngineGeometry(DefaultGeometry());
  EXPECT_NEAR(g.f1Plus, 1.0758513000, 1e-7);
  EXPECT_NEAR(g.f2Plus, 1.0523902271, 1e-7);
  EXPECT_NEAR(g.f1Minus, 0.9333028302, 1e-7);
  EXPECT_NEAR(g.f2Minus, 0.9516675761, 1e-7);
}

TEST(EngineGeometry, ExactToLinearFactorsAreOneWithoutAcceptance) {
  GeometryInputs in = DefaultGeometry();
  in.detWidth = in.detLength = 0.0;
  in.beamWidth = in.beamLength = 0.0;
  const EngineGeometry g = ComputeEngineGeometry(in);
  EXPECT_DOUBLE_EQ(g.f1Plus, 1.0);
  EXPECT_DOUBLE_EQ(g.f2Plus, 1.0);
  EXPECT_DOUBLE_EQ(g.f1Minus, 1.0);
  EXPECT_DOUBLE_EQ(g.f2Minus, 1.0);
  // An exit angle of 90 degrees (cosine 0): the path length has no first-order change.
  EXPECT_DOUBLE_EQ(ExactToLinearFactor(std::numbers::pi / 2.0, 0.05, +1), 1.0);
}

TEST(EngineGeometry, IbmPositionInReflectionAndTransmission) {
  GeometryInputs in = DefaultGeometry(80.0, 165.0);
  in.position = 'I';
  EngineGeometry g = ComputeEngineGeometry(in);
  EXPECT_EQ(g.GeometryKind, 'R');
  EXPECT_NEAR(g.beta1, 85.0 * kDeg, 1e-14);  // theta - alpha
  EXPECT_NEAR(g.beta2, 90.0 * kDeg, 1e-15);
  EXPECT_DOUBLE_EQ(g.wIn, 1.0);
  EXPECT_DOUBLE_EQ(g.wPerp, 0.0);
  EXPECT_DOUBLE_EQ(g.g2, 0.0);
  // g_1 = cos85 / sin^2 85 = 0.0871557 / 0.9924039 = 0.08782283.
  EXPECT_NEAR(g.g1, 0.0878228, 1e-7);

  in = DefaultGeometry(80.0, 30.0);
  in.position = 'I';
  g = ComputeEngineGeometry(in);
  EXPECT_EQ(g.GeometryKind, 'T');
  EXPECT_NEAR(g.beta1, 50.0 * kDeg, 1e-14);  // alpha - theta
}

// Cornell transmission: the exit direction's cosine to the back-surface normal is
// sin(alpha) cos(theta), so the outward factor is sin 70 cos 40 = 0.9396926 x 0.7660444
// = 0.7198463 (by hand), and the second exit angle is 90 - theta = 50 degrees.
TEST(EngineGeometry, CornellTransmissionLeavesThroughTheBackSurface) {
  const EngineGeometry g = ComputeEngineGeometry(DefaultGeometry(70.0, 40.0));
  EXPECT_EQ(g.GeometryKind, 'T');
  EXPECT_TRUE(GeometryProblem(g).empty());
  EXPECT_NEAR(g.beta1, 70.0 * kDeg, 1e-15);
  EXPECT_NEAR(g.beta2, 50.0 * kDeg, 1e-14);
  EXPECT_NEAR(g.sinBeta1 * g.sinBeta2, 0.7198463, 1e-7);
  // g_2 = cos50 / (sin^2 50 sin70) = 0.6427876 / (0.5868241 x 0.9396926) = 1.1656650.
  EXPECT_NEAR(g.g2, 1.1656650, 1e-6);
  EXPECT_DOUBLE_EQ(g.wPerp, 1.0);
}

TEST(EngineGeometry, ThetaEqualToAlphaIsTransmissionAndAnyOtherPositionIsCornell) {
  GeometryInputs in = DefaultGeometry(60.0, 60.0);
  in.position = 'X';
  const EngineGeometry g = ComputeEngineGeometry(in);
  EXPECT_EQ(g.GeometryKind, 'T');
  EXPECT_EQ(g.position, 'C');
}

TEST(EngineGeometry, CircularBeamSlitIsAsLongAsItsDiameter) {
  ParameterValues p;
  p.beam_shape = 'C';
  p.beam_width = 1.0;
  p.beam_length = 0.5;  // the hidden length field of the rectangular slit
  const GeometryInputs in = GeometryInputsOf(p, 80.0 * kDeg, 165.0 * kDeg);
  EXPECT_DOUBLE_EQ(in.beamLength, 1.0);
  p.beam_shape = 'R';
  EXPECT_DOUBLE_EQ(GeometryInputsOf(p, 80.0 * kDeg, 165.0 * kDeg).beamLength, 0.5);
}

TEST(EngineGeometry, GeometriesThatCannotBeWalkedAreNamed) {
  EXPECT_TRUE(GeometryProblem(ComputeEngineGeometry(DefaultGeometry())).empty());
  // Beam along the surface.
  EXPECT_FALSE(GeometryProblem(ComputeEngineGeometry(DefaultGeometry(0.0, 165.0))).empty());
  // Cornell position with a forward detector and theta > alpha: the particles go out
  // through the back, which a reflection walk cannot follow (beta_out_2 = theta - 90 < 0).
  EXPECT_FALSE(GeometryProblem(ComputeEngineGeometry(DefaultGeometry(15.0, 30.0))).empty());
  // theta <= alpha but a backward detector (alpha beyond 90 degrees): not transmission.
  EXPECT_FALSE(GeometryProblem(ComputeEngineGeometry(DefaultGeometry(120.0, 100.0))).empty());
  // IBM transmission straight along the exit surface (theta = alpha).
  GeometryInputs in = DefaultGeometry(60.0, 60.0);
  in.position = 'I';
  EXPECT_FALSE(GeometryProblem(ComputeEngineGeometry(in)).empty());
}

// --- Target concentration ----------------------------------------------------------------

class TargetConcentrationTest : public ::testing::Test {
 protected:
  TargetConcentrationTest() {
    // Natural carbon: 98.93 % 12C, 1.07 % 13C (NIST isotopic compositions).
    ElementRecord& c = elements_[6];
    c.symbol = {'C', ' '};
    c.isotopeCount = 2;
    c.isotopeMassNumber[0] = 12;
    c.isotopeMassNumber[1] = 13;
    c.isotopeAbundance[0] = 0.9893F;
    c.isotopeAbundance[1] = 0.0107F;
    ElementRecord& si = elements_[14];
    si.symbol = {'S', 'I'};
  }
  static LayerElement Entry(char a, char b, int z, double amount, int mass) {
    LayerElement e;
    e.symbol = {a, b};
    e.Z = z;
    e.amount = amount;
    e.massNumber = mass;
    return e;
  }
  ElementTable elements_;
};

TEST_F(TargetConcentrationTest, NaturalElementTakesTheAbundanceOfTheIsotope) {
  Layer sic;
  sic.amountSum = 2.0;
  sic.elements = {Entry('C', ' ', 6, 1.0, -1), Entry('S', 'I', 14, 1.0, -1)};
  // Half of the atoms are carbon, 98.93 % of them 12C (abundance stored as float).
  EXPECT_NEAR(TargetConcentration(sic, "C ", 12.0, elements_), 0.5 * 0.9893, 1e-7);
  EXPECT_NEAR(TargetConcentration(sic, "C ", 13.2, elements_), 0.5 * 0.0107, 1e-8);
}

TEST_F(TargetConcentrationTest, NaturalElementWithoutThatIsotopeGivesZero) {
  Layer c;
  c.amountSum = 1.0;
  c.elements = {Entry('C', ' ', 6, 1.0, -1)};
  EXPECT_DOUBLE_EQ(TargetConcentration(c, "C ", 14.0, elements_), 0.0);
}

TEST_F(TargetConcentrationTest, ExplicitIsotopeCountsOnlyForItsMassAndLaterEntriesWin) {
  Layer layer;
  layer.amountSum = 4.0;
  layer.elements = {Entry('C', ' ', 6, 1.0, 13), Entry('S', 'I', 14, 2.0, -1),
                    Entry('C', ' ', 6, 1.0, -1)};
  // The natural entry comes last and replaces the 13C entry: 1/4 * 0.0107.
  EXPECT_NEAR(TargetConcentration(layer, "C ", 13.0, elements_), 0.25 * 0.0107, 1e-8);
  layer.elements.pop_back();
  EXPECT_DOUBLE_EQ(TargetConcentration(layer, "C ", 13.0, elements_), 0.25);
  EXPECT_DOUBLE_EQ(TargetConcentration(layer, "C ", 12.0, elements_), 0.0);
  EXPECT_DOUBLE_EQ(TargetConcentration(layer, "O ", 16.0, elements_), 0.0);
}

// --- Level files ---------------------------------------------------------------------------

TEST(LevelFile, ReadsCountThenOneEnergyPerLineWithEitherLineEnd) {
  LevelFile f = ParseLevelText("3\r\n0.000000\r\n3.089443\r\n3.684507\r\n");
  EXPECT_EQ(f.status, 0);
  ASSERT_EQ(f.energies.size(), 3U);
  EXPECT_DOUBLE_EQ(f.energies[1], 3.089443);
  f = ParseLevelText("2\n0.0\n  1.5  \n");
  EXPECT_EQ(f.status, 0);
  ASSERT_EQ(f.energies.size(), 2U);
  EXPECT_DOUBLE_EQ(f.energies[1], 1.5);
}

TEST(LevelFile, MalformedFilesKeepWhatWasReadAndSayWhy) {
  LevelFile f = ParseLevelText("4\n0.0\n1.0\n");
  EXPECT_NE(f.status, 0);
  EXPECT_EQ(f.energies.size(), 2U);
  EXPECT_FALSE(f.problem.empty());
  f = ParseLevelText("2\n0.0\n1,5\n");
  EXPECT_NE(f.status, 0);
  EXPECT_EQ(f.energies.size(), 1U);
  EXPECT_NE(ParseLevelText("").status, 0);
  EXPECT_NE(ParseLevelText("-1\n").status, 0);
  // A huge count is refused before anything is reserved.
  EXPECT_NE(ParseLevelText("2000000000\n0.0\n").status, 0);
}

TEST(LevelFile, NameIsStoredSymbolAndRoundedMass) {
  ElementTable t;
  t[6].symbol = {'C', ' '};
  t[14].symbol = {'S', 'I'};
  EXPECT_EQ(LevelFileName(t, 6, 13.0), "C 13.lev");
  EXPECT_EQ(LevelFileName(t, 14, 27.6), "SI28.lev");
  EXPECT_EQ(LevelFileName(t, 0, 13.0), "");
  EXPECT_EQ(LevelFileName(t, 7, 14.0), "");  // no record for nitrogen in this table
  EXPECT_EQ(LevelFileName(t, 6, std::nan("")), "");
}

TEST(LevelFile, MissingFileNamesItsPath) {
  testing::TempDir dir;
  const LevelFile f = ReadLevelFile(dir / "C 13.lev");
  EXPECT_EQ(f.status, 2);
}

// --- The set-up on a started session ------------------------------------------------------

using CalculationSetUp = testing::StartedSession;

void UseDeuteronsOnCarbon(ParameterSet& p) {
  // 12C(d,p)13C, Q = 2.722 MeV.
  p.Edit1_z1 = "1";
  p.Edit1_m1 = "2";
  p.Edit1_z2 = "1";
  p.Edit1_m2 = "1";
  p.Edit1_qm = "2.722";
  p.Edit1_e0 = "1000";
  p.Edit1_thr = "100";
  p.Edit1_chargestate_in = "1";
  p.Edit1_chargestate_out = "1";
}

TEST_F(CalculationSetUp, NuclearReactionReadsTheLevelsOfTheResidualNucleus) {
  UseDeuteronsOnCarbon(params());
  Button5Click(session());
  RunRequest request;
  RunState run;
  CollectingSink sink;
  SetUpCalculation(session(), request, run, sink);
  EXPECT_TRUE(sink.messages.empty());
  // data/LEV/"C 13.lev": 20 levels of 13C, ground state first, then 3.089443 MeV.
  ASSERT_EQ(request.levelEnergies.size(), 20U);
  EXPECT_DOUBLE_EQ(request.levelEnergies[0], 0.0);
  EXPECT_DOUBLE_EQ(request.levelEnergies[1], 3.089443);
  EXPECT_GT(run.kinematicFactor, 0.0);
}

TEST_F(CalculationSetUp, MissingLevelFileIsReportedOnceAndTheCalculationGoesOn) {
  UseDeuteronsOnCarbon(params());
  Button5Click(session());
  testing::TempDir empty;
  session().levDir = empty.path();
  RunRequest request;
  RunState run;
  CollectingSink sink;
  SetUpCalculation(session(), request, run, sink);
  ASSERT_EQ(sink.messages.size(), 1U);
  EXPECT_NE(sink.messages[0].find("C 13.lev"), std::string::npos);
  EXPECT_TRUE(request.levelEnergies.empty());
  // The ground state needs no level file: the walk still runs.
  RunResults results;
  EXPECT_EQ(RunResolution(RunInputsOf(session()), request, run, results, sink),
            RunOutcome::kWalked);
  EXPECT_GT(results.RowCount, 0);
  EXPECT_EQ(sink.messages.size(), 1U);
}

TEST_F(CalculationSetUp, ExcitedLevelBeyondTheFileIsReported) {
  UseDeuteronsOnCarbon(params());
  params().Edit1_level = "25";  // the 13C file holds 20 levels
  Button5Click(session());
  RunRequest request;
  RunState run;
  CollectingSink sink;
  SetUpCalculation(session(), request, run, sink);
  ASSERT_EQ(sink.messages.size(), 1U);
  EXPECT_NE(sink.messages[0].find("level 25"), std::string::npos);
  EXPECT_DOUBLE_EQ(run.kinematicFactor, 0.0);
}

TEST_F(CalculationSetUp, ExcitationCurveUsesTheResonanceEnergyWithoutTouchingTheInputs) {
  Button5Click(session());
  RunRequest request;
  request.CalcMode = CalculationMode::kExcitationCurve;
  RunState run;
  CollectingSink sink;
  SetUpCalculation(session(), request, run, sink);
  ASSERT_TRUE(request.e0.has_value());
  EXPECT_DOUBLE_EQ(*request.e0, 4260.0);
  EXPECT_DOUBLE_EQ(run.e0, 4260.0);
  EXPECT_DOUBLE_EQ(params().e0, 3100.0);
  EXPECT_DOUBLE_EQ(run.kinematicDerivative, 0.0);  // no angular derivative in this study
}

TEST_F(CalculationSetUp, ForwardScatteringBeyondTheLargestAngleSwitchesToY) {
  // 12C ions scattered by hydrogen (mt = 1) at 30 degrees: 1 - 144 sin^2 30 < 0.
  params().Edit1_z1 = "6";
  params().Edit1_m1 = "12";
  params().Edit1_z2 = "6";
  params().Edit1_m2 = "12";
  params().Edit1_th = "30";
  params().Edit1_target = "h";
  params().Edit1_mt = "1";
  params().Edit1_chargestate_in = "4";
  params().Edit1_chargestate_out = "4";
  Button5Click(session());
  RunRequest request;
  RunState run;
  CollectingSink sink;
  SetUpCalculation(session(), request, run, sink);
  EXPECT_EQ(request.CalcMode, CalculationMode::kNone);
  EXPECT_DOUBLE_EQ(run.kinematicFactor, 0.0);
}

TEST_F(CalculationSetUp, FullSpectrumTargetChangesTheEmittedParticleByKind) {
  Button5Click(session());
  RunRequest request;
  request.SpectrumFlag = SpectrumMode::kFullSpectrum;
  request.fullSpectrumTarget = "si";
  request.fullSpectrumMass = 29.0;
  request.kind = ReactionKind::kErd;
  RunState run;
  ASSERT_TRUE(PrepareRun(RunInputsOf(session()), request, run));
  // The recoil is the target isotope itself; the walk goes on as a sub-spectrum run.
  EXPECT_EQ(run.kind, ReactionKind::kErd);
  EXPECT_EQ(run.targetSymbol, "SI");
  EXPECT_EQ(run.z2, 14);
  EXPECT_DOUBLE_EQ(run.m2, 29.0);
  EXPECT_EQ(run.SpectrumFlag, SpectrumMode::kSpectrum);

  request.kind = ReactionKind::kForwardScattering;
  ASSERT_TRUE(PrepareRun(RunInputsOf(session()), request, run));
  EXPECT_EQ(run.z2, 2);  // the projectile itself
  EXPECT_DOUBLE_EQ(run.m2, 4.0);

  // Backscattering from a target lighter than the detected ion is not possible.
  request.kind = ReactionKind::kRbs;
  request.fullSpectrumTarget = "h";
  request.fullSpectrumMass = 1.0;
  EXPECT_FALSE(PrepareRun(RunInputsOf(session()), request, run));
  RunResults results;
  CollectingSink sink;
  EXPECT_EQ(RunResolution(RunInputsOf(session()), request, run, results, sink),
            RunOutcome::kTargetNotUsable);
  EXPECT_TRUE(results.mainReport.empty());
}

TEST_F(CalculationSetUp, AnglesAreRadiansInTheRunAndDegreesInTheInputs) {
  Button5Click(session());
  RunRequest request;
  RunState run;
  CollectingSink sink;
  SetUpCalculation(session(), request, run, sink);
  EXPECT_DOUBLE_EQ(run.engine.alpha, 80.0 * kDeg);
  EXPECT_DOUBLE_EQ(run.engine.theta, 165.0 * kDeg);
  EXPECT_DOUBLE_EQ(run.asb, 0.0458 * kDeg);
  EXPECT_DOUBLE_EQ(params().a, 80.0);
  EXPECT_DOUBLE_EQ(params().th, 165.0);
  EXPECT_DOUBLE_EQ(params().asb, 0.0458);
}

}  // namespace
}  // namespace dodavev
