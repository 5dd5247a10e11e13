#include "engine/resolution.hpp"
#include "app/calculation_setup.hpp"
#include "app/calculations.hpp"
#include "app/run_inputs_of.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/output_actions.hpp"
#include "app/session_fixture.hpp"
#include "engine/path.hpp"
#include "physics/stopping.hpp"
#include "support/report_lines.hpp"
#include "support/straight_path.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using testing::CrLfLines;

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class DepthResolution : public testing::StartedSession {
 protected:
  // "OK", the set-up and one run, as the menu entry does them.
  RunOutcome Run(RunRequest request = {}) {
    Button5Click(session());
    CollectingSink sink;
    SetUpCalculation(session(), request, run_, sink);
    const RunOutcome outcome =
        RunResolution(RunInputsOf(session()), request, run_, *results_, sink);
    runMessages_ = sink.messages;
    return outcome;
  }
  const RunResults& results() const { return *results_; }
  double Value(int row, int value) const { return results_->table.at(row, value); }

  RunState run_;
  std::unique_ptr<RunResults> results_ = std::make_unique<RunResults>();
  std::vector<std::string> runMessages_;
};

// --- The default experiment ----------------------------------------------------------------

TEST_F(DepthResolution, DefaultsGiveAReflectionReportWithTheAnglesInDegrees) {
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  EXPECT_EQ(
      results().mainReport.rfind(
          "REFLECTION GEOMETRY\r\n           theta = 165.00         alpha = 80.00\r\n\r\n", 0),
      0U);
  EXPECT_TRUE(runMessages_.empty());
  EXPECT_GT(results().RowCount, 10);
  EXPECT_DOUBLE_EQ(params().a, 80.0);
  EXPECT_DOUBLE_EQ(params().th, 165.0);
}

TEST_F(DepthResolution, SurfaceRowDetectsKTimesTheBeamEnergy) {
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  // He-4 on C-12 at 165 degrees: K = ((4 cos165 + sqrt(144 - 16 sin^2 165)) / 16)^2
  // = ((-3.8637033 + 11.9553119) / 16)^2 = 0.25575494; K E0 = 792.8403 keV (1e-6).
  EXPECT_DOUBLE_EQ(Value(0, 1), 0.0);
  EXPECT_DOUBLE_EQ(Value(0, 4), 3100.0);
  EXPECT_NEAR(Value(0, 39), 792.840303, 1e-5);
  // With the 16 keV detector the total at the detector is at least 16 keV and the depth
  // resolution at least 16 keV / S eff.
  EXPECT_GT(Value(0, 3), 16.0);
  EXPECT_NEAR(Value(0, 2), Value(0, 3) / Value(0, 36), 1e-9);
}

TEST_F(DepthResolution, SurfaceSeffMatchesTheEnergyLossFactorOfTheStoppingFormula) {
  params().Edit1_x = "0.001";  // 1 nm steps: the finite difference is practically exact
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  // [S] = K S_in(E0) / sin(alpha) + S_out(K E0) / (sin b1 sin b2), b1 = 80, b2 = 75 degrees.
  // He stopping in C and Si from Ziegler's 1977 helium fit (coefficients of
  // data/sources/stopping/helium_coefficients.csv, evaluated by hand):
  //   E = 3100 keV:  C 20.9243, Si 38.2795 eV/(1e15 at/cm2) -> SiC (1:1, 9.64e22 at/cm3)
  //                  (20.9243 + 38.2795) / 2 x 9.64 = 285.362 keV/micron;
  //   E = 792.840 keV: C 37.7216, Si 67.6801 -> 508.036 keV/micron.
  // [S] = 0.255755 x 285.362 / 0.984808 + 508.036 / (0.984808 x 0.965926) = 608.18 keV/micron
  // = 0.60818 keV/nm; tolerance 0.2 % for the 1 nm difference quotient.
  EXPECT_NEAR(Value(0, 36), 0.60818, 0.60818 * 0.002);
}

TEST_F(DepthResolution, NuclearReactionDetectsTheQValueEnergy) {
  params().Edit1_z1 = "1";
  params().Edit1_m1 = "2";
  params().Edit1_z2 = "1";
  params().Edit1_m2 = "1";
  params().Edit1_qm = "2.722";
  params().Edit1_e0 = "1000";
  params().Edit1_thr = "100";
  params().Edit1_chargestate_in = "1";
  params().Edit1_chargestate_out = "1";
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  // 12C(d,p)13C at E = 1 MeV, 165 deg: a = sqrt(1) sqrt(2) / 14 cos165 = -0.0975748,
  // b = (1 - 3/14) + (1 - 1/14) 2.722 = 3.3132857, E3 = (a + sqrt(a^2 + b))^2 = 2.9766027 MeV.
  EXPECT_NEAR(Value(0, 39), 2976.6027, 1e-3);
  // Deeper, the protons come from a slower deuteron and lose energy on the way out.
  EXPECT_LT(Value(5, 39), Value(0, 39));
}

// --- Steps and stop conditions ------------------------------------------------------------

TEST_F(DepthResolution, StepsEndOnLayerBoundariesAndStepOverEmptyLayers) {
  struct Case {
    const char* sample;
    std::vector<double> depths;  // nm, row by row
  };
  const Case cases[] = {
      // 120 nm, then a 20 nm layer (thinner than the 50 nm step), then the substrate.
      {"A=1200\nn=9.64e22\nc,1\nsi,1\nA=200\nn=9.64e22\nc,1\nsi,1\nS=\nn=5e22\nsi,1\n",
       {0.0, 50.0, 100.0, 120.0, 140.0, 190.0, 240.0}},
      // Layers of no thickness before, between and after.
      {"A=0\nn=9.64e22\nc,1\nsi,1\nA=1000\nn=9.64e22\nc,1\nsi,1\nA=0\nn=5e22\nsi,1\n"
       "S=\nn=5e22\nsi,1\n",
       {0.0, 50.0, 100.0, 150.0, 200.0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sample);
    params().richedit1 = c.sample;
    ASSERT_EQ(Run(), RunOutcome::kWalked);
    for (int r = 0; r < static_cast<int>(c.depths.size()); ++r) {
      EXPECT_NEAR(Value(r, 1), c.depths[static_cast<std::size_t>(r)], 1e-9) << "row " << r;
      EXPECT_TRUE(std::isfinite(Value(r, 36))) << "row " << r;
    }
  }
}

TEST_F(DepthResolution, SampleWithoutThicknessIsRefused) {
  params().richedit1 = "A=0\nn=9.64e22\nc,1\nsi,1\n";
  EXPECT_EQ(Run(), RunOutcome::kInvalidInput);
  ASSERT_EQ(runMessages_.size(), 1U);
  EXPECT_EQ(runMessages_[0], "the sample has no thickness");
}

// Each way a walk ends: its rows and the last lines of the report.
TEST_F(DepthResolution, WalkClosesWithItsRowsAndTheReasonItEnded) {
  struct Case {
    const char* what;
    std::function<void(ParameterSet&)> set;
    int rows;
    double lastDepth;  // nm
    const char* tail;
  };
  const Case cases[] = {
      {"100 nm without substrate",
       [](ParameterSet& p) { p.richedit1 = "A=1000\nn=9.64e22\nc,1\nsi,1\n"; }, 3, 100.0,
       "the max. probing depth = 100 nm\r\nThe calculation was finished: sample thickness!!!\r\n"},
      {"maximum depth 0.3 micron", [](ParameterSet& p) { p.Edit1_depthmax = "0.3"; }, 7, 300.0,
       "the max. probing depth = 300 nm\r\nThe calculation was finished: Max. depth = 0.300\r\n"},
      {"1 nm steps", [](ParameterSet& p) { p.Edit1_x = "0.001"; }, 200, 199.0,
       "The calculation was finished: the number of sublayers reaches the limit (200)\r\n"},
      // K E0 = 792.8 keV at the surface, about 762 keV one step deeper: below 780 keV.
      {"threshold 780 keV", [](ParameterSet& p) { p.Edit1_thr = "780"; }, 0, 0.0,
       "the max. probing depth = 0 nm\r\nThe calculation was finished: e < thr  \r\n"}};
  const ParameterSet start = params();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    params() = start;
    c.set(params());
    ASSERT_EQ(Run(), RunOutcome::kWalked);
    EXPECT_EQ(results().RowCount, c.rows);
    if (c.rows > 0) {
      EXPECT_NEAR(Value(c.rows - 1, 1), c.lastDepth, 1e-9);
    }
    EXPECT_TRUE(EndsWith(results().mainReport, c.tail)) << results().mainReport;
    // Headers (7 lines), one line per row and the closing lines.
    if (c.rows == 200) {
      EXPECT_EQ(CrLfLines(results().mainReport).size(), 7U + 200U + 1U);
    }
  }
}

TEST_F(DepthResolution, AnErrorStopsTheRowsAndClosesWithItsReason) {
  // Detector resolution 0.4 E - 300 keV: positive at the surface (792.8 keV) and one step
  // deeper (762 keV), zero or less from about 750 keV down.
  params().Edit1_detres0 = "-300";
  params().Edit1_detres1 = "0.4";
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  EXPECT_EQ(results().RowCount, 2);
  EXPECT_DOUBLE_EQ(Value(2, 1), 0.0);
  EXPECT_EQ(run_.ErrorCode, StepProblem::kDetectorResolutionZero);
  EXPECT_TRUE(EndsWith(results().mainReport,
                       "The calculation was finished: The detector resolution reaches 0 !\r\n"));
  EXPECT_EQ(CrLfLines(results().mainReport).size(), 7U + 2U + 2U);
}

// --- Contributions seen through whole runs -------------------------------------------------

void AllOptionsOff(ParameterSet& p) {
  p.CheckBeam = p.CheckGeo = p.CheckStraggling = p.CheckMS = p.CheckDoppler = p.CheckDet = false;
  p.CheckChu = p.CheckYang = p.Checktschalar = false;
}

TEST_F(DepthResolution, NoSpreadAtAllOrTheDetectorsAloneAtEveryDepth) {
  AllOptionsOff(params());
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  ASSERT_GT(results().RowCount, 5);
  for (int r = 0; r < results().RowCount; ++r) {
    for (int v : {3, 7, 8, 9, 10, 11, 12, 13, 26}) {
      EXPECT_DOUBLE_EQ(Value(r, v), 0.0) << "row " << r << " value " << v;
    }
  }
  params().CheckDet = true;  // a0 = 16 keV, a1 = 0
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  for (int r = 0; r < results().RowCount; ++r)
    EXPECT_NEAR(Value(r, 3), 16.0, 1e-9);
}

TEST_F(DepthResolution, TransmissionResolutionIsAWidthEvenWhereEnergyRisesWithDepth) {
  params().RadioButton5 = true;  // IBM
  params().RadioButton6 = false;
  params().Edit1_th = "30";
  params().Edit1_target = "si";
  params().Edit1_mt = "28";
  params().richedit1 = "A=5000\nn=5e22\nsi,1\n";
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  EXPECT_EQ(results().mainReport.rfind("TRANSMISSION GEOMETRY\r\n", 0), 0U);
  // A reaction deeper in the foil leaves less foil for the emitted ion: E_det rises.
  EXPECT_LT(Value(1, 36), 0.0);
  EXPECT_NEAR(Value(1, 2), Value(1, 3) / -Value(1, 36), 1e-9);
}

// --- Early returns -----------------------------------------------------------------------

// A beam below the threshold (150 keV) and backscattering from a lighter target write no
// report, and leave the inputs' angles in degrees.
TEST_F(DepthResolution, EarlyReturnsWriteNothingAndKeepTheAnglesInDegrees) {
  params().Edit1_e0 = "100";
  EXPECT_EQ(Run(), RunOutcome::kBelowThreshold);
  EXPECT_TRUE(results().mainReport.empty());
  EXPECT_EQ(results().RowCount, 0);
  EXPECT_DOUBLE_EQ(params().asb, 0.0458);
  params().Edit1_e0 = "3100";
  params().Edit1_target = "h";
  params().Edit1_mt = "1";
  EXPECT_EQ(Run(), RunOutcome::kKinematicGate);
  EXPECT_TRUE(results().mainReport.empty());
  EXPECT_DOUBLE_EQ(params().a, 80.0);
  EXPECT_DOUBLE_EQ(params().th, 165.0);
}

TEST_F(DepthResolution, NonPositiveIterationStepIsRefusedWithAMessage) {
  // "OK" refuses the typed step and walks with the default 0.05 micron.
  params().Edit1_x = "0";
  EXPECT_EQ(Run(), RunOutcome::kWalked);
  EXPECT_EQ(std::count(messages().begin(), messages().end(),
                       "x = 0 is outside the range of iteration step (micron), 1e-06 to 1000; "
                       "0.05 is used instead"),
            1);
  EXPECT_DOUBLE_EQ(params().x, 0.05);
}

TEST_F(DepthResolution, IonsWithoutChargeOrMassAreRefused) {
  // An ion that does not slow down has no depth scale: "OK" refuses atomic numbers outside
  // 1..92 and mass numbers below 0.5, and the run walks with the default helium ion.
  const std::pair<const char*, const char*> ions[] = {
      {"0", "4"}, {"-1", "4"}, {"93", "240"}, {"2", "1e-30"}};
  for (const auto& [z, m] : ions) {
    params().Edit1_z1 = z;
    params().Edit1_m1 = m;
    messages().clear();
    EXPECT_EQ(Run(), RunOutcome::kWalked) << z << " " << m;
    const std::string expected =
        std::string(z) == "2"
            ? "m1 = 1e-30 is outside the range of mass number of the incident ion, 0.5 to 300; "
              "4 is used instead"
            : "z1 = " + std::string(z) +
                  " is outside the range of atomic number of the incident ion, 1 to 92; 2 is "
                  "used instead";
    EXPECT_EQ(std::count(messages().begin(), messages().end(), expected), 1) << z << " " << m;
    EXPECT_EQ(params().z1, 2);
    EXPECT_DOUBLE_EQ(params().m1, std::string(z) == "93" ? 240.0 : 4.0);
  }
  // Protons are the lightest ions there are.
  params().Edit1_z1 = "1";
  params().Edit1_m1 = "1.00728";
  runMessages_.clear();
  EXPECT_EQ(Run(), RunOutcome::kWalked);
}

TEST_F(DepthResolution, LayersThatDoNotSlowTheIonsAreReported) {
  // 9.64 atoms/cm3 (the power of ten forgotten): the beam loses nothing, so the depth
  // resolution det / S eff is infinite on every row, and the user is told once.
  params().richedit1 = "S=\nn=9.64\nc,1\nsi,1\n";
  EXPECT_EQ(Run(), RunOutcome::kWalked);
  ASSERT_GT(results().RowCount, 0);
  EXPECT_TRUE(std::isinf(results().table.at(0, 2)));
  EXPECT_EQ(std::count(runMessages_.begin(), runMessages_.end(),
                       "the ions lose no energy in part of the sample (check the atomic densities "
                       "and elements of its layers): the depth resolution there is infinite"),
            1);
  // The default sample slows them: no such message.
  params().richedit1 = ParameterInputs{}.richedit1;
  EXPECT_EQ(Run(), RunOutcome::kWalked);
  EXPECT_TRUE(runMessages_.empty());
}

TEST_F(DepthResolution, StepsTooSmallForTheEnergyLossAreRefused) {
  // A monolayer of 1 at/cm2 over 9.64e22 at/cm3 is a step of 1e-15 / 9.64 * 0.001 =
  // 1.04e-19 micron; it loses ~1e-16 keV of 3100 keV: no difference a double can hold.
  params().Edit1_monothick = "1";
  EXPECT_EQ(Run(), RunOutcome::kInvalidInput);
  ASSERT_EQ(runMessages_.size(), 1U);
  EXPECT_EQ(runMessages_[0], "iteration step is below 1e-6 micron");
  // Steps of a hundredth of a nanometre still give a finite surface resolution.
  runMessages_.clear();
  params().Edit1_monothick = "0";
  params().Edit1_x = "1e-5";
  EXPECT_EQ(Run(), RunOutcome::kWalked);
  ASSERT_GT(results().RowCount, 0);
  const double dx = results().table.at(0, 2);
  EXPECT_TRUE(std::isfinite(dx) && dx > 0.0) << dx;
}

// --- Runs side by side -------------------------------------------------------------------

TEST_F(DepthResolution, RunsOnTwoThreadsEqualRunsOneAfterTheOther) {
  Button5Click(session());
  RunRequest a;
  RunRequest b;
  b.alphaDeg = 60.0;
  b.thetaDeg = 170.0;
  b.e0 = 2000.0;
  {
    RunState scratch;
    CollectingSink sink;
    SetUpCalculation(session(), a, scratch, sink);
    SetUpCalculation(session(), b, scratch, sink);
  }
  const Session& s = session();
  auto runOnce = [&s](const RunRequest& request, RunResults& out) {
    RunState run;
    CollectingSink sink;
    RunResolution(RunInputsOf(s), request, run, out, sink);
  };
  auto serialA = std::make_unique<RunResults>();
  auto serialB = std::make_unique<RunResults>();
  runOnce(a, *serialA);
  runOnce(b, *serialB);
  ASSERT_NE(serialA->mainReport, serialB->mainReport);

  for (int repeat = 0; repeat < 3; ++repeat) {
    auto parallelA = std::make_unique<RunResults>();
    auto parallelB = std::make_unique<RunResults>();
    std::thread ta(runOnce, std::cref(a), std::ref(*parallelA));
    std::thread tb(runOnce, std::cref(b), std::ref(*parallelB));
    ta.join();
    tb.join();
    EXPECT_EQ(parallelA->mainReport, serialA->mainReport);
    EXPECT_EQ(parallelB->mainReport, serialB->mainReport);
    EXPECT_EQ(parallelA->detailReport, serialA->detailReport);
    EXPECT_EQ(parallelB->RowCount, serialB->RowCount);
    for (int r = 0; r < kResolutionRows; ++r) {
      ASSERT_EQ(parallelA->table.row(r), serialA->table.row(r)) << "row " << r;
      ASSERT_EQ(parallelB->table.row(r), serialB->table.row(r)) << "row " << r;
    }
  }
}

// --- The menu entry ------------------------------------------------------------------------

TEST_F(DepthResolution, MenuEntryLeavesItsReportsForSavingAsTwoFiles) {
  Button5Click(session());
  depthandenergyresolution1Click(session());
  EXPECT_EQ(session().CalcMode, CalculationMode::kDepthWalk);
  EXPECT_EQ(session().SpectrumFlag, SpectrumMode::kResolution);
  EXPECT_EQ(session().OutputLog, session().results.mainReport);
  ASSERT_FALSE(session().results.detailReport.empty());
  testing::TempDir dir;
  SaveResults(session(), dir / "out.txt");
  EXPECT_EQ(testing::ReadFile(dir / "out_1.dat"), session().OutputLog);
  EXPECT_EQ(testing::ReadFile(dir / "out_2.dat"), session().results.detailReport);
  EXPECT_TRUE(messages().empty());
}

TEST_F(DepthResolution, MenuEntryBelowThresholdClearsTheOldReportAndSaysWhy) {
  Button5Click(session());
  depthandenergyresolution1Click(session());
  ASSERT_FALSE(session().OutputLog.empty());
  params().Edit1_e0 = "100";
  Button5Click(session());
  depthandenergyresolution1Click(session());
  EXPECT_TRUE(session().OutputLog.empty());
  ASSERT_EQ(messages().size(), 1U);
  EXPECT_NE(messages()[0].find("threshold"), std::string::npos);
}

TEST_F(DepthResolution, AbsorberFoilLowersTheDetectedEnergy) {
  params().RichEdit2 = "A=10000\nn=9.6e22\nc,10\nh,8\no,4\n";  // 1 micron of Mylar
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  ASSERT_GT(results().RowCount, 3);
  // The foil takes energy from the particle leaving the sample and widens its spread.
  EXPECT_LT(Value(0, 39), 792.84);
  EXPECT_GT(Value(0, 3), 16.0);
  EXPECT_TRUE(std::isfinite(Value(3, 2)));
}

// --- Transmission with the Cornell detector position ---------------------------------------

// A self-supporting 0.5 micron Si foil seen through its back surface.
void TransmissionFoil(ParameterSet& p, double alphaDeg, double thetaDeg, bool ibm) {
  p.RadioButton5 = ibm;
  p.RadioButton6 = !ibm;
  p.Edit1_a = std::to_string(alphaDeg);
  p.Edit1_th = std::to_string(thetaDeg);
  p.Edit1_target = "si";
  p.Edit1_mt = "28";
  p.richedit1 = "A=2500\nn=5e22\nsi,1\n";
  // Circular slit and diaphragm: the same extent in and across the scattering plane.
  p.RadioButton1 = true;
  p.RadioButton2 = false;
}

// At normal incidence the IBM and Cornell positions are the same detector turned about the
// beam: with round slit and diaphragm every transmission row must agree.
TEST_F(DepthResolution, CornellAndIbmTransmissionAgreeAtNormalIncidence) {
  TransmissionFoil(params(), 90.0, 30.0, true);
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  const std::string ibm = results().mainReport;
  TransmissionFoil(params(), 90.0, 30.0, false);
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  EXPECT_EQ(results().mainReport.rfind("TRANSMISSION GEOMETRY\r\n", 0), 0U);
  EXPECT_GT(results().RowCount, 5);
  EXPECT_EQ(results().mainReport, ibm);
}

// Energy after a straight path through the layer, by Runge-Kutta in 1 nm pieces.
double AfterPath(double e, double length, const Layer& layer, int z, double m,
                 const StoppingModel& model) {
  return testing::AfterStraightPath(e, length, layer, z, m, model, 0.001);
}

// Cornell, alpha 70, theta 40: the ion goes x / sin 70 into the foil, the scattered ion
// (t - x) / (sin 70 cos 40) out of its back. Exit energy = K E(x) less that path's loss,
// K = ((m1 cos theta + sqrt(m2^2 - m1^2 sin^2 theta)) / (m1 + m2))^2 (elastic kinematics).
TEST_F(DepthResolution, CornellFoilExitEnergyIsTheLossAlongTheTwoStraightPaths) {
  constexpr double kAlpha = 70.0 * std::numbers::pi / 180.0;
  constexpr double kTheta = 40.0 * std::numbers::pi / 180.0;
  TransmissionFoil(params(), 70.0, 40.0, false);
  ASSERT_EQ(Run(), RunOutcome::kWalked);
  ASSERT_EQ(results().mainReport.rfind("TRANSMISSION GEOMETRY\r\n", 0), 0U);
  const ParameterSet& p = params();
  const double m1 = p.m1;
  const double m2 = p.mt;
  const double k = testing::ElasticKinematicFactor(m1, m2, kTheta);
  const Layer& foil = session().sample.layers.at(0);
  const double t = foil.thickness;
  const StoppingModel model = StoppingModelOf(session());
  ASSERT_GE(results().RowCount, 5);
  for (int r = 0; r < results().RowCount; ++r) {
    const double x = Value(r, 1) / 1000.0;
    const double e = AfterPath(p.e0, x / std::sin(kAlpha), foil, p.z1, m1, model);
    const double exit =
        AfterPath(k * e, (t - x) / (std::sin(kAlpha) * std::cos(kTheta)), foil, p.z1, m1, model);
    // 0.1 keV: the walk's predictor-corrector steps against the fine integration.
    EXPECT_NEAR(Value(r, 4), e, 0.1) << "row " << r;
    EXPECT_NEAR(Value(r, 39), exit, 0.1) << "row " << r;
  }
}

// Normal incidence, detection at 30 degrees through the back of the foil, in both detector
// positions: a reaction deeper in the foil loses more on the way in (K S_in) and less on the
// way out (S_out / cos 30), so S eff is the fall of the exit energy from row to row, as the
// two straight paths give it independently: finite, not 0, and no row is "inf".
TEST_F(DepthResolution, NormalIncidenceTransmissionHasTheStraightPathsEffectiveStopping) {
  constexpr double kTheta = 30.0 * std::numbers::pi / 180.0;
  for (const bool ibm : {true, false}) {
    TransmissionFoil(params(), 90.0, 30.0, ibm);
    ASSERT_EQ(Run(), RunOutcome::kWalked);
    EXPECT_TRUE(runMessages_.empty()) << runMessages_.front();
    const ParameterSet& p = params();
    const double m1 = p.m1;
    const double m2 = p.mt;
    const double k = testing::ElasticKinematicFactor(m1, m2, kTheta);
    const Layer& foil = session().sample.layers.at(0);
    const double t = foil.thickness;
    const StoppingModel model = StoppingModelOf(session());
    auto exitAt = [&](double x) {
      const double e = AfterPath(p.e0, x, foil, p.z1, m1, model);
      return AfterPath(k * e, (t - x) / std::cos(kTheta), foil, p.z1, m1, model);
    };
    ASSERT_GE(results().RowCount, 5);
    for (int r = 1; r < results().RowCount; ++r) {
      const double x = Value(r, 1) / 1000.0;
      const double xPrevious = Value(r - 1, 1) / 1000.0;
      const double seff = (exitAt(xPrevious) - exitAt(x)) / ((x - xPrevious) * 1000.0);
      // 2 %: the walk's predictor-corrector steps against the fine integration, in a
      // difference of two exit energies.
      EXPECT_NEAR(Value(r, 36) / seff, 1.0, 0.02) << "row " << r << (ibm ? " IBM" : " Cornell");
      EXPECT_TRUE(std::isfinite(Value(r, 2))) << "row " << r;
    }
  }
}

}  // namespace
}  // namespace dodavev
