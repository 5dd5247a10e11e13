// Geometry optimisation: the geometries of a scan by hand, the refused ranges, the tables'
// rules (depth matching, ties), the report texts, and whole scans against single runs.
#include "studies/optimisation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/session_fixture.hpp"
#include "support/report_lines.hpp"

namespace dodavev {
namespace {

using testing::CrLfLines;

void ExpectGeometries(const OptimisationPlan& plan, const std::vector<ScanGeometry>& want) {
  ASSERT_TRUE(plan.problem.empty()) << plan.problem;
  ASSERT_EQ(plan.geometries.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(plan.geometries[i].alpha, want[i].alpha, 1e-12) << "geometry " << i;
    EXPECT_NEAR(plan.geometries[i].theta, want[i].theta, 1e-12) << "geometry " << i;
  }
}

// ---- The geometries of a scan --------------------------------------------------------------

TEST(OptimisationPlan, GeometriesOfEachScanByHand) {
  struct Case {
    const char* what;
    OptimisationInputs in;
    bool alphaScan;
    std::vector<ScanGeometry> geometries;
  };
  const Case cases[] = {
      // ERD, theta 10, step 2: alpha starts at one step and stops one step below theta.
      {"erd alpha scan", {10, 10, 0, 2, true}, true, {{2, 10}, {4, 10}, {6, 10}, {8, 10}}},
      // RBS, theta 150 fixed, Alfa min. 141, step 3: 141, 144, 147.
      {"alpha scan from alfa min",
       {150, 150, 141, 3, false},
       true,
       {{141, 150}, {144, 150}, {147, 150}}},
      // Theta 150..156 in steps of 2 from alpha 144: the first theta at 144, 146, 148; each
      // later theta once, one step below itself.
      {"theta scan",
       {150, 156, 144, 2, false},
       false,
       {{144, 150}, {146, 150}, {148, 150}, {150, 152}, {152, 154}, {154, 156}}},
      {"erd theta scan", {6, 10, 0, 2, true}, false, {{2, 6}, {4, 6}, {6, 8}, {8, 10}}},
      // Theta min. 0 with step 2: the first theta is 4; the mode follows the typed range.
      {"theta min 0", {0, 8, 0, 2, false}, false, {{0, 4}, {2, 4}, {4, 6}, {6, 8}}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const OptimisationPlan plan = PlanOptimisation(c.in);
    EXPECT_EQ(plan.alphaScan, c.alphaScan);
    ExpectGeometries(plan, c.geometries);
  }
}

TEST(OptimisationPlan, DecimalStepsMeetTheirEndsWithoutDrift) {
  // 0.1 is not exact in binary; 150 alphas of 0.1 deg from 150 reach 165 exactly enough.
  const OptimisationPlan plan = PlanOptimisation({165, 165, 150, 0.1, false});
  ASSERT_TRUE(plan.problem.empty()) << plan.problem;
  ASSERT_EQ(plan.geometries.size(), 150u);
  EXPECT_NEAR(plan.geometries.back().alpha, 164.9, 1e-9);
}

TEST(OptimisationPlan, AlphaScanOfExactly200GeometriesIsAllowed) {
  const OptimisationPlan plan = PlanOptimisation({100, 100, 0, 0.5, false});
  ASSERT_TRUE(plan.problem.empty()) << plan.problem;
  EXPECT_EQ(plan.geometries.size(), 200u);
}

// ---- Ranges the loops would never finish -----------------------------------------------------

struct Refused {
  const char* what;
  OptimisationInputs in;
};

class OptimisationRefusal : public ::testing::TestWithParam<Refused> {};

TEST_P(OptimisationRefusal, IsRefusedBeforeAnyRun) {
  const OptimisationPlan plan = PlanOptimisation(GetParam().in);
  EXPECT_FALSE(plan.problem.empty());
  EXPECT_TRUE(plan.geometries.empty());
  EXPECT_EQ(plan.problem.rfind("optimization: ", 0), 0u) << plan.problem;
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Inputs, OptimisationRefusal,
    ::testing::Values(Refused{"zero step", {150, 150, 140, 0, false}},
                      Refused{"negative step", {150, 160, 140, -2, false}},
                      Refused{"theta max below theta min", {160, 150, 140, 2, false}},
                      Refused{"theta max below by less than a step", {160, 159, 140, 2, false}},
                      Refused{"theta range not whole steps", {150, 155, 140, 2, false}},
                      Refused{"alfa min not whole steps below", {150, 150, 141, 2, false}},
                      Refused{"alfa min at theta", {150, 150, 150, 2, false}},
                      Refused{"alfa min above theta", {150, 150, 160, 2, false}},
                      Refused{"erd theta below two steps", {2, 2, 0, 2, true}},
                      Refused{"erd theta not whole steps", {9, 9, 0, 2, true}},
                      Refused{"both thetas 0", {0, 0, 0, 2, false}},
                      Refused{"alpha scan over 200", {170, 170, 0, 0.5, false}},
                      Refused{"theta scan far too fine", {10, 170, 0, 1e-3, false}},
                      Refused{"not a number", {kNaN, 150, 140, 2, false}},
                      Refused{"beyond a turn", {150, 1e17, 140, 16, false}},
                      Refused{"endless step", {150, 160, 140, 1e-300, false}}),
    [](const ::testing::TestParamInfo<Refused>& param) {
      std::string name = param.param.what;
      for (char& c : name)
        if (c == ' ') c = '_';
      return name;
    });

// ---- Tables --------------------------------------------------------------------------------

// Rows of a run: depths 0, 50, 100, 150 nm with resolutions 9, 8, 7, 6 nm.
const std::vector<DepthResolution> kRun{{0, 9}, {50, 8}, {100, 7}, {150, 6}};

TEST(OptimisationTables, AlphaRowTakesTheMatchingDepthsButNotTheLastRow) {
  AngleScanTable table;
  // x1 = 0 and x2 = 100 match; x3 = 150 is only the last row; x4 = 75 lies between steps.
  AddAlphaScanRow(table, 1, {30, 150}, {0, 100, 150, 75}, kRun);
  EXPECT_EQ(table.at(1, 1), 30);
  EXPECT_EQ(table.at(1, 2), 150);
  EXPECT_EQ(table.at(1, 3), 9);
  EXPECT_EQ(table.at(1, 4), 7);
  EXPECT_EQ(table.at(1, 5), 0);
  EXPECT_EQ(table.at(1, 6), 0);
}

TEST(OptimisationTables, AlphaRowOfARunWithoutRowsHoldsTheGeometryOnly) {
  AngleScanTable table;
  AddAlphaScanRow(table, 2, {0, 150}, {0, 100, 150, 75}, {});
  EXPECT_EQ(table.at(2, 2), 150);
  EXPECT_EQ(table.at(2, 3), 0);
  AddAlphaScanRow(table, 201, {0, 150}, {0, 0, 0, 0}, kRun);  // beyond the table: ignored
}

TEST(OptimisationTables, LaterRowAtTheSameDepthWins) {
  AngleScanTable table;
  const std::vector<DepthResolution> rows{{0, 9}, {50, 8}, {50, 5}, {100, 7}};
  AddAlphaScanRow(table, 1, {30, 150}, {50, 0, 0, 0}, rows);
  EXPECT_EQ(table.at(1, 3), 5);
}

TEST(OptimisationTables, TiesKeepTheGeometryFoundFirst) {
  StudyResults st;
  ClearOptimisationTables(st);
  EXPECT_EQ(st.bestByDepth.at(1, 2), 2e6);
  EXPECT_EQ(st.bestByDepth.at(200, 2), 2e6);
  KeepBestByDepth(st.bestByDepth, {140, 150}, kRun);
  // Equal at every depth: the first geometry stays.
  KeepBestByDepth(st.bestByDepth, {142, 150}, kRun);
  EXPECT_EQ(st.bestByDepth.at(2, 3), 140);
  // Strictly better at the second depth only.
  KeepBestByDepth(st.bestByDepth, {144, 150}, std::vector<DepthResolution>{{0, 9.5}, {50, 7.999}});
  EXPECT_EQ(st.bestByDepth.at(1, 3), 140);
  EXPECT_EQ(st.bestByDepth.at(2, 3), 144);
  EXPECT_EQ(st.bestByDepth.at(2, 2), 7.999);
  EXPECT_EQ(st.bestByDepth.at(2, 1), 50);
  EXPECT_EQ(st.bestByDepth.at(5, 2), 2e6);  // no run reached a fifth row
}

TEST(OptimisationTables, ANotANumberResolutionNeverWins) {
  StudyResults st;
  ClearOptimisationTables(st);
  KeepBestByDepth(st.bestByDepth, {140, 150},
                  std::vector<DepthResolution>{{0, std::numeric_limits<double>::quiet_NaN()}});
  EXPECT_EQ(st.bestByDepth.at(1, 2), 2e6);
}

// ---- Reports -------------------------------------------------------------------------------

TEST(OptimisationReport, AlphaScanLinesAreSixNumbersOfWidthEight) {
  AngleScanTable table;
  AddAlphaScanRow(table, 1, {2, 10}, {0, 100, 150, 75}, kRun);
  AddAlphaScanRow(table, 2, {4, 10}, {0, 100, 150, 75}, kRun);
  const std::vector<std::string> lines = CrLfLines(AlphaScanReport(table, 2));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "    alfa     theta          depth res. [nm] at");
  EXPECT_EQ(lines[1], "    [deg]    [deg]      x1      x2       x3       x4");
  EXPECT_EQ(lines[2], "    2.000   10.000    9.000    7.000    0.000    0.000");
  EXPECT_EQ(lines[3], "    4.000   10.000    9.000    7.000    0.000    0.000");
}

TEST(OptimisationReport, ThetaScanEndsAtTheFirstDepthNoGeometryReached) {
  StudyResults st;
  ClearOptimisationTables(st);
  KeepBestByDepth(st.bestByDepth, {148, 150},
                  std::vector<DepthResolution>{{0, 9}, {50, 8}, {100, 7}});
  int rowCount = -5;
  const std::vector<std::string> lines = CrLfLines(ThetaScanReport(st.bestByDepth, rowCount));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "   depth   depthres   alfa    theta");
  EXPECT_EQ(lines[1], "   [nm]      [nm]     [deg]   [deg]");
  EXPECT_EQ(lines[2], "    0.000    9.000  148.000  150.000");
  EXPECT_EQ(lines[4], "  100.000    7.000  148.000  150.000");
  EXPECT_EQ(rowCount, 2);  // three rows listed, the chart draws two
}

TEST(OptimisationReport, ThetaScanListsAtMost199RowsAndNeverCountsBelowZero) {
  StudyResults st;
  ClearOptimisationTables(st);
  int rowCount = -5;
  EXPECT_EQ(CrLfLines(ThetaScanReport(st.bestByDepth, rowCount)).size(), 2u);
  EXPECT_EQ(rowCount, 0);
  std::vector<DepthResolution> many;
  for (int k = 0; k < 200; ++k)
    many.push_back({k * 10.0, 5.0});
  KeepBestByDepth(st.bestByDepth, {148, 150}, many);
  EXPECT_EQ(CrLfLines(ThetaScanReport(st.bestByDepth, rowCount)).size(), 2u + 199u);
  EXPECT_EQ(rowCount, 198);
}

// ---- Whole scans -------------------------------------------------------------------------

class Optimisation : public testing::StartedSession {
 protected:
  Optimisation() {
    // A shallow walk keeps every run short: 8 steps of 50 nm.
    params().Edit1_depthmax = "0.4";
    params().Edit1_dex1 = "0";
    params().Edit1_dex2 = "2";
    params().Edit1_dex3 = "4";
    params().Edit1_dex4 = "8";  // only the last row: never examined
  }
  void Scan(const char* thetaMin, const char* thetaMax, const char* alfaMin, const char* step,
            int jobs) {
    params().Edit1_theta_min = thetaMin;
    params().Edit1_theta_max = thetaMax;
    params().Edit1_Alfa_min = alfaMin;
    params().Edit1_step_deg = step;
    Button5Click(session());
    messages().clear();
    session().scan.jobs = jobs;
    optimization1Click(session());
  }
  // Value 2 (depth resolution) at `depthNm` of a single "depth and energy resolution" run.
  double SingleRun(double alpha, double theta, double depthNm) {
    params().Edit1_a = std::to_string(alpha);
    params().Edit1_th = std::to_string(theta);
    Button5Click(session());
    depthandenergyresolution1Click(session());
    const RunResults& r = session().results;
    for (int row = 0; row < r.RowCount; ++row)
      if (std::fabs(r.table.at(row, 1) - depthNm) < 1e-6) return r.table.at(row, 2);
    return -1.0;
  }
};

TEST_F(Optimisation, AlphaScanMatchesSeparateRunsAtTheSameGeometry) {
  Scan("165", "165", "65", "20", 0);  // RBS at 165 deg: alphas 65, 85, 105, 125, 145
  EXPECT_EQ(session().CalcMode, CalculationMode::kOptimisation);
  const StudyResults& st = session().studies;
  ASSERT_EQ(st.angleScanRows, 5);
  EXPECT_EQ(session().results.RowCount, 5);
  const std::vector<std::string> lines = CrLfLines(session().OutputLog);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[2].substr(0, 18), "   65.000  165.000");
  EXPECT_EQ(lines[6].substr(0, 18), "  145.000  165.000");
  // The depths 0, 100 and 200 nm are reached at every alpha; 400 nm is only the last row.
  for (int n = 1; n <= 5; ++n) {
    EXPECT_GT(st.angleScan.at(n, 3), 0.0) << n;
    EXPECT_GT(st.angleScan.at(n, 5), 0.0) << n;
    EXPECT_EQ(st.angleScan.at(n, 6), 0.0) << n;
  }
  const double at85 = st.angleScan.at(2, 4);
  const double at145 = st.angleScan.at(5, 5);
  EXPECT_DOUBLE_EQ(SingleRun(85, 165, 100), at85);
  EXPECT_DOUBLE_EQ(SingleRun(145, 165, 200), at145);
}

TEST_F(Optimisation, ThetaScanBestIsNoWorseThanAnyGeometryAndReproducible) {
  Scan("150", "170", "130", "10", 0);  // (130,150) (140,150) (150,160) (160,170)
  const StudyResults& st = session().studies;
  ASSERT_GT(st.bestByDepthRows, 3);
  const std::vector<ScanGeometry> scanned{{130, 150}, {140, 150}, {150, 160}, {160, 170}};
  const BestByDepthTable best = st.bestByDepth;
  const int rows = st.bestByDepthRows;
  for (int k : {1, 2, 3}) {
    const double depth = best.at(k, 1);
    for (const ScanGeometry& g : scanned) {
      const double single = SingleRun(g.alpha, g.theta, depth);
      if (single > 0.0) {
        EXPECT_LE(best.at(k, 2), single) << "depth " << depth;
      }
    }
    EXPECT_DOUBLE_EQ(SingleRun(best.at(k, 3), best.at(k, 4), depth), best.at(k, 2));
  }
  EXPECT_GT(rows, 0);
}

TEST_F(Optimisation, OneThreadAndManyGiveTheSameReportAndTables) {
  Scan("150", "170", "120", "5", 1);
  const std::string serialLog = session().OutputLog;
  const BestByDepthTable serialBest = session().studies.bestByDepth;
  Scan("150", "170", "120", "5", 4);
  EXPECT_EQ(session().OutputLog, serialLog);
  for (int k = 1; k <= 200; ++k)
    for (int v = 1; v <= 4; ++v)
      EXPECT_EQ(session().studies.bestByDepth.at(k, v), serialBest.at(k, v));
}

TEST_F(Optimisation, ImpossibleGeometriesAreSkippedListedOnceAndRaiseNoMessage) {
  // Alpha 0: the beam runs along the surface; the other alphas work.
  Scan("165", "165", "0", "55", 2);
  const StudyResults& st = session().studies;
  ASSERT_EQ(st.angleScanRows, 2);  // alphas 55 and 110; 0 has no row
  EXPECT_EQ(st.angleScan.at(1, 1), 55.0);
  EXPECT_GT(st.angleScan.at(1, 3), 0.0);
  EXPECT_EQ(st.angleScan.at(2, 1), 110.0);
  EXPECT_TRUE(messages().empty()) << messages().front();
  const std::vector<std::string> lines = CrLfLines(session().OutputLog);
  ASSERT_EQ(lines.size(), 5u);  // two header lines, two rows, the skipped geometries
  EXPECT_EQ(lines[2].substr(0, 18), "   55.000  165.000");
  EXPECT_EQ(lines[4], "impossible geometries skipped (alfa/theta [deg]): 0/165");
}

TEST_F(Optimisation, DefaultScanEndsWithoutAMessage) {
  // The page's defaults: theta 10, alpha from 0 in steps of 2; alpha 0 is impossible.
  Button5Click(session());
  messages().clear();
  optimization1Click(session());
  EXPECT_TRUE(messages().empty()) << messages().front();
  const std::vector<std::string> lines = CrLfLines(session().OutputLog);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("impossible geometries skipped (alfa/theta [deg]): 0/10", 0), 0u)
      << session().OutputLog;
}

// Asks to stop once `runs` geometries have been reported done.
class StopAfter final : public ScanObserver {
 public:
  explicit StopAfter(int runs) : runs_(runs) {}
  void Progress(const ScanProgress& p) override { done_ = p.done; }
  bool StopRequested() const override { return done_ >= runs_; }

 private:
  int runs_;
  int done_ = 0;
};

TEST_F(Optimisation, StoppedScanSaysSoInItsLastLineAndACompleteOneDoesNot) {
  Scan("165", "165", "65", "20", 1);
  const std::string complete = session().OutputLog;
  EXPECT_EQ(complete.find("stopped"), std::string::npos);

  StopAfter observer(2);
  session().scan.observer = &observer;
  Scan("165", "165", "65", "20", 1);
  session().scan.observer = nullptr;
  const std::vector<std::string> lines = CrLfLines(session().OutputLog);
  ASSERT_EQ(lines.size(), 5u);  // two header lines, two of the five geometries, the end
  EXPECT_EQ(lines.back(), "optimization: stopped after 2 of 5 geometries");
  // The rows it has are those of the complete scan.
  EXPECT_EQ(complete.rfind(lines[2] + "\r\n" + lines[3] + "\r\n", complete.size()),
            complete.find(lines[2]));
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], lines.back());
}

TEST_F(Optimisation, RefusedInputsRunNothingAndLeaveNoOldReport) {
  session().OutputLog = "an older report";
  Scan("150", "155", "140", "2", 0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_NE(messages()[0].find("whole number of steps"), std::string::npos);
  EXPECT_TRUE(session().OutputLog.empty());
  EXPECT_EQ(session().studies.angleScanRows, 0);
  EXPECT_EQ(session().results.RowCount, 0);
  EXPECT_EQ(session().CalcMode, CalculationMode::kOptimisation);
}

}  // namespace
}  // namespace dodavev
