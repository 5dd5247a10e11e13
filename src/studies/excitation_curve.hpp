// Excitation curve of a narrow nuclear resonance: the beam energy is stepped from
// `rezmin` to `rezmax` above the resonance energy Er; at every beam energy one run of the
// depth and energy resolution calculation in its resonance mode (kExcitationCurve) tells at which
// depth the beam has slowed down to Er, how wide the probed region is there (in energy and in
// depth) and how many counts the resonance yields.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "model/run_results.hpp"
#include "studies/parallel_scan.hpp"
#include "studies/study_tables.hpp"

namespace dodavev {

struct RunInputs;
struct RunRequest;
class MessageSink;

// The beam energies of a scan, or why the inputs are refused (nothing runs then). An
// empty range (`rezmax` below `rezmin`) is no problem: no energy, the report has headers
// only. Refused: an energy step that is not above 0, more than 100 energies (the table's
// rows), inputs that are not finite numbers.
struct ExcitationPlan {
  std::vector<double> energies;  // keV, rezmin, rezmin + estep, ... up to rezmax (+2e-10)
  std::string problem;
};
ExcitationPlan PlanExcitationCurve(double rezmin, double rezmax, double estep);

// Counts per unit of the summed resonance yield: 10000 / 1.6 x dose [microC] x solid
// angle [msr] (1e-6 per ion and sr, 6.25e12 ions per microC, 1e-3 sr per msr).
double CountsPerYield(double q1, double solidAngleMsr);

// One row of the resonance table, columns 1..11 at indices 1..11 (index 0 unused).
using ResonanceRow = std::array<double, ResonanceTable::kValues + 1>;

// The row of one run at beam energy `e0`: column 2 the beam energy; when the beam starts
// at or above Er, columns 1 and 3-10 (depth, Doppler, beam energy spread, beam angular
// spread, straggling, multiple scattering in, total, total with the resonance width, depth
// resolution) taken at Er, interpolated linearly in the beam energy between the two printed
// rows around it (the surface row when the beam starts at Er; zeros when the beam does not
// slow down to Er within the printed rows, or starts below Er); column 11 the summed
// resonance yield of the printed rows times `countsPerYield`.
ResonanceRow FillResonanceRow(const RunResults& results, double e0, double er,
                              double countsPerYield);

// The report: geometry, angles and resonance width, four header lines and one line of the
// 11 columns per row 1..rows.
std::string ExcitationReport(char geometryKind, double thetaDeg, double alphaDeg, double fwhmKeV,
                             const ResonanceTable& table, int rows);

// What an excitation-curve scan gives the session.
struct ExcitationOutcome {
  bool ran = false;  // the plan could run
  ResonanceTable table;
  int rows = 0;
  std::string report;
  int total = 0;                     // beam energies planned
  bool stopped = false;              // stopped before the last energy
  std::unique_ptr<RunResults> last;  // the last energy's results, when it ran
};

// One resonance-mode run per beam energy of the plan for the prepared `request`, on
// `settings.jobs` threads: the table, its rows and the report. `setupGeometry` heads the
// report when no energy ran. A plan that cannot run is shown on `messages` (`ran` false).
ExcitationOutcome ScanBeamEnergies(const RunInputs& inputs, const RunRequest& request,
                                   char setupGeometry, const ScanSettings& settings,
                                   MessageSink& messages);

}  // namespace dodavev
