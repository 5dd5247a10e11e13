// Geometry optimisation: the incidence angle alpha and the detection angle theta are
// scanned for the best depth resolution. Every geometry is one run of the depth and energy
// resolution calculation; the scan keeps the depth resolutions the runs report.
//
// Alpha scan (Theta max. equal to Theta min.): theta fixed, one row per alpha with the
// depth resolution at four chosen depths. Theta scan: the first theta at every alpha of its
// range, each later theta at alpha = theta - step; one row per depth with the best depth
// resolution found there and the geometry that gave it.
#pragma once

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "model/run_results.hpp"
#include "studies/parallel_scan.hpp"
#include "studies/study_tables.hpp"

namespace dodavev {

struct RunInputs;
struct RunRequest;
class MessageSink;

// The optimisation inputs, angles in degrees.
struct OptimisationInputs {
  double thetaMin = 10.0;
  double thetaMax = 10.0;
  double alfaMin = 0.0;  // first alpha of the scan for reactions other than ERD
  double step = 2.0;     // of both angles
  bool erd = false;      // recoil detection: alpha starts at one step
};

// One geometry of a scan, degrees.
struct ScanGeometry {
  double alpha = 0.0;
  double theta = 0.0;
};

// Most geometries of a theta scan; a finer scan is refused (it would run for hours).
inline constexpr int kMaxThetaScanGeometries = 50000;

// The geometries of a scan in the order they are evaluated, or why the inputs are refused.
// Inputs with which the angles would never meet the end of their ranges are refused before
// any run: angles beyond one turn (360 degrees) either way, a step that is not above 0, Theta max.
// below the first theta, a theta range or an alpha range that is not a whole number of steps, a
// first alpha not below the first theta (ERD: a first theta below 2 steps), an alpha scan of more
// than 200 geometries, a theta scan of more than kMaxThetaScanGeometries.
struct OptimisationPlan {
  bool alphaScan = true;  // chosen from Theta min. and Theta max. as typed
  std::vector<ScanGeometry> geometries;
  std::string problem;  // empty when the scan can run
};
OptimisationPlan PlanOptimisation(const OptimisationInputs& in);

// What a geometry scan gives the session.
struct OptimisationOutcome {
  bool ran = false;                  // the plan could run
  StudyResults tables;               // the alpha-scan or the theta-scan table with its rows
  std::string report;                // the alpha-scan or theta-scan report
  int rowCount = 0;                  // rows of the table the chart draws
  int total = 0;                     // geometries planned
  std::size_t done = 0;              // geometries run
  bool stopped = false;              // stopped before the last geometry
  std::unique_ptr<RunResults> last;  // the last geometry's results, when it ran
};

// Depth [nm] and depth resolution [nm] of one printed row of a run.
struct DepthResolution {
  double depth = 0.0;
  double resolution = 0.0;
};
// Values 1 and 2 of the rows 0..RowCount-1 of a run's resolution table.
std::vector<DepthResolution> DepthResolutionRows(const RunResults& results);

// Empties both tables: every best resolution 2e6 (no geometry has reached that depth yet).
void ClearOptimisationTables(StudyResults& studies);

// Alpha scan: row `n` of the table gets the geometry and, for each depth x_j (nm) that a
// row of the run other than the last one has, that row's depth resolution (a later row at
// the same depth wins; a depth no row has keeps 0).
void AddAlphaScanRow(AngleScanTable& table, int n, const ScanGeometry& g,
                     const std::array<double, 4>& depthsNm, std::span<const DepthResolution> rows);

// Theta scan: every row k of the run whose depth resolution is strictly better than the
// best kept for row k replaces it (equal values keep the geometry found first).
void KeepBestByDepth(BestByDepthTable& table, const ScanGeometry& g,
                     std::span<const DepthResolution> rows);

// The alpha-scan report of table rows 1..rows.
std::string AlphaScanReport(const AngleScanTable& table, int rows);

// The theta-scan report: rows 1, 2, ... up to the first row no geometry reached (best value
// 1e6 or more), at most 199 rows. `rowCount` becomes the number of rows listed minus one
// (the chart draws one row fewer), never below 0.
std::string ThetaScanReport(const BestByDepthTable& table, int& rowCount);

// The whole scan for the prepared `request` on `settings.jobs` threads: the tables, the
// report, the row count and the results of the last geometry run. A plan that cannot run
// is shown on `messages` and nothing runs (`ran` false).
OptimisationOutcome ScanGeometries(const RunInputs& inputs, const RunRequest& request,
                                   const ScanSettings& settings, MessageSink& messages);

}  // namespace dodavev
