#include "studies/optimisation.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "engine/resolution.hpp"
#include "engine/run_inputs.hpp"
#include "engine/setup.hpp"
#include "model/units.hpp"
#include "studies/scan_outcome.hpp"

namespace dodavev {
namespace {

// Angles and depths closer than this are equal.
// Best resolution of a depth row that no geometry has reached yet.
constexpr double kNotReached = 2e6;
// A best value at or above this ends the theta-scan listing.
constexpr double kListingLimit = 1e6;
// Most rows of the theta-scan listing.
constexpr int kMaxListedRows = 199;
// Angles of a scan lie within one turn either way.
constexpr double kFullTurn = 360.0;

// Whether `span` is a whole number of steps (within the angle tolerance); the number of
// steps in `count`. Spans too large to count are not whole.
bool WholeSteps(double span, double step, double& count) {
  count = std::round(span / step);
  if (!std::isfinite(count) || count > 1e9) return false;
  return std::fabs(span - count * step) < kZeroTolerance;
}

std::string Angle(double deg) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", deg);
  return buf;
}

// " %8.3f", with a number that has no finite value written as such, not as a NaN.
void AppendNumber(std::string& out, double v) {
  char buf[64];
  if (std::isnan(v)) {
    std::snprintf(buf, sizeof buf, " %8s", "n/a");
  } else {
    std::snprintf(buf, sizeof buf, " %*.*f", 8, 3, v);
  }
  out += buf;
}

bool SameDepth(double depthNm, double wantedNm) {
  // The walk's depths are sums of steps; at depths of micrometres their rounding reaches
  // the absolute tolerance, so it grows with the depth.
  return std::fabs(depthNm - wantedNm) < kZeroTolerance * std::max(1.0, std::fabs(wantedNm));
}

// What one geometry leaves for the tables; the last geometry's full results become the
// session's, as after the last run of a scan done one geometry after another.
struct GeometryRun {
  std::vector<DepthResolution> rows;
  std::unique_ptr<RunResults> results;
  bool impossible = false;  // the beam cannot enter or the particles cannot leave
};

// The closing line of a scan that met geometries no experiment can have; each is skipped
// (no row, no best value) and listed here once, not reported as an error of the scan.
std::string SkippedGeometriesLine(const std::vector<ScanGeometry>& skipped) {
  std::string out = "impossible geometries skipped (alfa/theta [deg]):";
  for (const ScanGeometry& g : skipped)
    out += " " + Angle(g.alpha) + "/" + Angle(g.theta);
  return out + "\r\n";
}

}  // namespace

OptimisationPlan PlanOptimisation(const OptimisationInputs& in) {
  OptimisationPlan plan;
  const double step = in.step;
  plan.alphaScan = std::fabs(in.thetaMin - in.thetaMax) < kZeroTolerance;
  auto angle = [](double deg) { return std::isfinite(deg) && std::fabs(deg) <= kFullTurn; };
  if (!angle(in.thetaMin) || !angle(in.thetaMax) || !angle(in.alfaMin) || !angle(step)) {
    plan.problem =
        "optimization: the angles of the scan (Theta min., Theta max., Alfa min., Step) must "
        "lie between -360 and 360 degrees";
    return plan;
  }
  if (!(step > kZeroTolerance)) {
    plan.problem = "optimization: the angle step (Step [deg]) must be above 0";
    return plan;
  }
  if (in.thetaMax < in.thetaMin - kZeroTolerance) {
    plan.problem = "optimization: Theta max. (" + Angle(in.thetaMax) +
                   " deg) must not be below Theta min. (" + Angle(in.thetaMin) + " deg)";
    return plan;
  }
  // Theta min. 0 starts the scan at two steps.
  const double theta0 = in.thetaMin < kZeroTolerance ? 2.0 * step : in.thetaMin;
  if (theta0 > in.thetaMax + kZeroTolerance) {
    plan.problem = "optimization: the scan would start at theta = " + Angle(theta0) +
                   " deg (2 x step when Theta min. is 0), beyond Theta max. (" +
                   Angle(in.thetaMax) + " deg)";
    return plan;
  }
  double thetaSteps = 0.0;
  if (!WholeSteps(in.thetaMax - theta0, step, thetaSteps)) {
    plan.problem = "optimization: Theta max. - Theta min. (" + Angle(in.thetaMax - theta0) +
                   " deg) is not a whole number of steps of " + Angle(step) + " deg";
    return plan;
  }
  const double alpha0 = in.erd ? step : in.alfaMin;
  double alphaSteps = 0.0;
  if (!WholeSteps(theta0 - alpha0, step, alphaSteps) || alphaSteps < 1.0) {
    if (in.erd) {
      plan.problem = "optimization: for ERD alpha runs from one step (" + Angle(step) +
                     " deg) up to theta; the first theta (" + Angle(theta0) +
                     " deg) must be at least 2 steps and a whole number of steps";
    } else {
      plan.problem = "optimization: Alfa min. (" + Angle(in.alfaMin) +
                     " deg) must lie below the first theta (" + Angle(theta0) +
                     " deg) by a whole number of steps of " + Angle(step) + " deg";
    }
    return plan;
  }
  const double total = alphaSteps + thetaSteps;
  if (plan.alphaScan && total > AngleScanTable::kRows) {
    plan.problem = "optimization: the alpha scan would evaluate " + Angle(total) +
                   " geometries; its table holds at most 200 (use a larger step or a larger "
                   "Alfa min.)";
    return plan;
  }
  if (total > kMaxThetaScanGeometries) {
    plan.problem = "optimization: the scan would evaluate " + Angle(total) +
                   " geometries; at most " + std::to_string(kMaxThetaScanGeometries) +
                   " are allowed (use a larger step)";
    return plan;
  }

  const auto nAlpha = static_cast<int>(alphaSteps);
  const auto nTheta = static_cast<int>(thetaSteps);
  plan.geometries.reserve(static_cast<std::size_t>(nAlpha + nTheta));
  // The first theta at every alpha of its range, from the first alpha up to one step
  // below theta; each later theta at one step below itself.
  for (int k = 0; k < nAlpha; ++k)
    plan.geometries.push_back({alpha0 + k * step, theta0});
  for (int t = 1; t <= nTheta; ++t) {
    const double theta = theta0 + t * step;
    plan.geometries.push_back({theta - step, theta});
  }
  return plan;
}

std::vector<DepthResolution> DepthResolutionRows(const RunResults& results) {
  std::vector<DepthResolution> rows;
  const int count = std::clamp(results.RowCount, 0, kResolutionRows);
  rows.reserve(static_cast<std::size_t>(count));
  for (int r = 0; r < count; ++r)
    rows.push_back({results.table.at(r, Step::kDepthNm), results.table.at(r, Step::kResolutionNm)});
  return rows;
}

void ClearOptimisationTables(StudyResults& studies) {
  studies.angleScan.Clear();
  studies.bestByDepth.Clear();
  for (int row = 1; row <= BestByDepthTable::kRows; ++row)
    studies.bestByDepth.at(row, 2) = kNotReached;
  studies.angleScanRows = 0;
  studies.bestByDepthRows = 0;
}

void AddAlphaScanRow(AngleScanTable& table, int n, const ScanGeometry& g,
                     const std::array<double, 4>& depthsNm, std::span<const DepthResolution> rows) {
  if (n < 1 || n > AngleScanTable::kRows) return;
  table.at(n, 1) = g.alpha;
  table.at(n, 2) = g.theta;
  // The last row of a run is not examined.
  const std::size_t examined = rows.empty() ? 0 : rows.size() - 1;
  for (int j = 0; j < 4; ++j) {
    for (std::size_t k = 0; k < examined; ++k) {
      if (SameDepth(rows[k].depth, depthsNm[static_cast<std::size_t>(j)]))
        table.at(n, j + 3) = rows[k].resolution;
    }
  }
}

void KeepBestByDepth(BestByDepthTable& table, const ScanGeometry& g,
                     std::span<const DepthResolution> rows) {
  const std::size_t count =
      std::min(rows.size(), static_cast<std::size_t>(BestByDepthTable::kRows));
  for (std::size_t k = 0; k < count; ++k) {
    const int row = static_cast<int>(k) + 1;
    if (rows[k].resolution < table.at(row, 2)) {
      table.at(row, 1) = rows[k].depth;
      table.at(row, 2) = rows[k].resolution;
      table.at(row, 3) = g.alpha;
      table.at(row, 4) = g.theta;
    }
  }
}

std::string AlphaScanReport(const AngleScanTable& table, int rows) {
  std::string out =
      "    alfa     theta          depth res. [nm] at\r\n"
      "    [deg]    [deg]      x1      x2       x3       x4\r\n";
  const int last = std::clamp(rows, 0, AngleScanTable::kRows);
  for (int n = 1; n <= last; ++n) {
    for (int v = 1; v <= 6; ++v)
      AppendNumber(out, table.at(n, v));
    out += "\r\n";
  }
  return out;
}

std::string ThetaScanReport(const BestByDepthTable& table, int& rowCount) {
  std::string out =
      "   depth   depthres   alfa    theta\r\n"
      "   [nm]      [nm]     [deg]   [deg]\r\n";
  int listed = 0;
  for (int k = 1; k <= kMaxListedRows; ++k) {
    if (!(table.at(k, 2) < kListingLimit)) break;
    for (int v = 1; v <= 4; ++v)
      AppendNumber(out, table.at(k, v));
    out += "\r\n";
    listed = k;
  }
  rowCount = std::max(listed - 1, 0);
  return out;
}

OptimisationOutcome ScanGeometries(const RunInputs& inputs, const RunRequest& request,
                                   const ScanSettings& settings, MessageSink& messages) {
  const ParameterValues& p = inputs.params;
  OptimisationOutcome result;
  ClearOptimisationTables(result.tables);
  const OptimisationPlan plan =
      PlanOptimisation(OptimisationInputs{p.theta_min, p.theta_max, p.Alfa_min, p.step_deg,
                                          inputs.reaction.kind == ReactionKind::kErd});
  if (!plan.problem.empty()) {
    messages.Show(plan.problem);
    return result;
  }
  result.ran = true;

  const auto count = static_cast<int>(plan.geometries.size());
  result.total = count;
  ScanOutcome<GeometryRun> outcome = RunScan<GeometryRun>(
      count, settings, "optimization", "geometries", messages, [&](int index, MessageSink& sink) {
        const ScanGeometry& g = plan.geometries[static_cast<std::size_t>(index)];
        RunRequest r = request;
        r.CalcMode = CalculationMode::kDepthWalk;
        r.SpectrumFlag = SpectrumMode::kResolution;
        r.alphaDeg = g.alpha;
        r.thetaDeg = g.theta;
        r.hooks = nullptr;
        auto run = std::make_unique<RunState>();
        auto results = std::make_unique<RunResults>();
        CollectingSink said;
        const RunOutcome how = RunResolution(inputs, r, *run, *results, said);
        GeometryRun out;
        const std::string geometryProblem = GeometryProblem(run->engine);
        out.impossible = how == RunOutcome::kInvalidInput && !geometryProblem.empty() &&
                         std::find(said.messages.begin(), said.messages.end(), geometryProblem) !=
                             said.messages.end();
        for (const std::string& text : said.messages) {
          if (!(out.impossible && text == geometryProblem)) sink.Show(text);
        }
        if (how == RunOutcome::kBelowThreshold) {
          sink.Show("the energy of the incident ion is below the threshold energy");
        } else if (how == RunOutcome::kKinematicGate) {
          sink.Show(
              "optimization: no emitted particle reaches the detector at some of the "
              "scanned angles");
        }
        out.rows = DepthResolutionRows(*results);
        if (index == count - 1) out.results = std::move(results);
        return out;
      });

  // The tables are filled in scan order, whatever order the runs ended in.
  StudyResults& st = result.tables;
  std::vector<ScanGeometry> skipped;
  for (std::size_t i = 0; i < outcome.results.size(); ++i) {
    if (outcome.results[i].impossible) skipped.push_back(plan.geometries[i]);
  }
  int rowCount = 0;
  if (plan.alphaScan) {
    int n = 1;
    for (std::size_t i = 0; i < outcome.results.size(); ++i) {
      if (outcome.results[i].impossible) continue;
      AddAlphaScanRow(st.angleScan, n, plan.geometries[i], p.dex, outcome.results[i].rows);
      ++n;
    }
    rowCount = n - 1;
    st.angleScanRows = rowCount;
    result.report = AlphaScanReport(st.angleScan, rowCount);
  } else {
    for (std::size_t i = 0; i < outcome.results.size(); ++i) {
      if (!outcome.results[i].impossible)
        KeepBestByDepth(st.bestByDepth, plan.geometries[i], outcome.results[i].rows);
    }
    result.report = ThetaScanReport(st.bestByDepth, rowCount);
    st.bestByDepthRows = rowCount;
  }
  if (!skipped.empty()) result.report += SkippedGeometriesLine(skipped);
  result.rowCount = rowCount;
  result.done = outcome.results.size();
  result.stopped = outcome.stopped;
  if (!outcome.results.empty()) result.last = std::move(outcome.results.back().results);
  return result;
}

}  // namespace dodavev
