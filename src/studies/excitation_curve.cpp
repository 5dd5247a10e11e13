#include "studies/excitation_curve.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "engine/resolution.hpp"
#include "engine/resolution_report.hpp"
#include "engine/run_inputs.hpp"
#include "engine/setup.hpp"
#include "model/units.hpp"
#include "studies/resonance_yield.hpp"
#include "studies/scan_outcome.hpp"

namespace dodavev {
namespace {

// Energies closer than this are equal.

// Resolution-table values that become columns 3..10: Doppler, beam energy spread, beam
// angular spread, straggling, multiple scattering in, the beam's total spread at the
// reaction depth, that total with the resonance width, depth resolution.
constexpr std::array<Step, 8> kColumnValues{
    Step::kDopplerSpread, Step::kBeamEnergySpread, Step::kBeamAngleSpread, Step::kStragglingSpread,
    Step::kMsInSpread,    Step::kMsOutSpread,      Step::kDetectedSpread,  Step::kResolutionNm};

// " %8.1f", with a number that has no finite value written as such, not as a NaN.
void AppendNumber(std::string& out, double v) {
  char buf[64];
  if (std::isnan(v)) {
    std::snprintf(buf, sizeof buf, " %8s", "n/a");
  } else {
    std::snprintf(buf, sizeof buf, " %*.*f", 8, 1, v);
  }
  out += buf;
}

void TakeRow(ResonanceRow& out, const ResolutionTable& table, int r) {
  out[1] = table.at(r, Step::kDepthNm);
  for (std::size_t c = 0; c < kColumnValues.size(); ++c)
    out[c + 3] = table.at(r, kColumnValues[c]);
}

// What one beam energy leaves: its table row, the geometry of its run and (for the last
// energy) its full results.
struct EnergyRun {
  ResonanceRow row{};
  char geometryKind = 'R';
  std::unique_ptr<RunResults> results;
};

}  // namespace

ExcitationPlan PlanExcitationCurve(double rezmin, double rezmax, double estep) {
  ExcitationPlan plan;
  if (!std::isfinite(rezmin) || !std::isfinite(rezmax) || !std::isfinite(estep)) {
    plan.problem = "excitation curve: the energy range is not well defined";
    return plan;
  }
  if (rezmax - rezmin <= -kZeroTolerance) return plan;  // empty range: no energy
  if (!(estep > kZeroTolerance)) {
    plan.problem = "excitation curve: the energy step (Energy step [keV]) must be above 0";
    return plan;
  }
  const double steps = std::floor((rezmax - rezmin + kZeroTolerance) / estep);
  if (!(steps + 1.0 <= ResonanceTable::kRows)) {
    char buf[200];
    std::snprintf(buf, sizeof buf,
                  "excitation curve: %.0f beam energies from %g to %g keV in steps of %g keV; "
                  "the table holds at most %d (use a larger energy step)",
                  steps + 1.0, rezmin, rezmax, estep, ResonanceTable::kRows);
    plan.problem = buf;
    return plan;
  }
  const auto count = static_cast<int>(steps) + 1;
  for (int k = 0; k < count; ++k) {
    const double e0 = rezmin + k * estep;
    if (!(rezmax - e0 > -kZeroTolerance)) break;
    // A step too small to change energies this large would repeat the same energy.
    if (!plan.energies.empty() && !(e0 > plan.energies.back())) continue;
    plan.energies.push_back(e0);
  }
  return plan;
}

double CountsPerYield(double q1, double solidAngleMsr) {
  return 10000.0 / 1.6 * q1 * solidAngleMsr;
}

ResonanceRow FillResonanceRow(const RunResults& results, double e0, double er,
                              double countsPerYield) {
  ResonanceRow out{};
  const ResolutionTable& t = results.table;
  const int rows = std::clamp(results.RowCount, 0, kResolutionRows);
  out[2] = e0;
  if (e0 - er >= -kZeroTolerance && rows > 0) {
    // The resonance lies at the surface.
    if (std::fabs(e0 - er) < kZeroTolerance) TakeRow(out, t, 0);
    // The first printed row whose beam energy is down to Er, and the one before it.
    int k = 0;
    while (k < rows && t.at(k, Step::kIonEnergy) > er)
      ++k;
    if (k >= 1 && k < rows) {
      const double eBefore = t.at(k - 1, Step::kIonEnergy);
      const double eAfter = t.at(k, Step::kIonEnergy);
      const double f = (er - eBefore) / (eAfter - eBefore);  // eAfter <= Er < eBefore
      ResonanceRow before{};
      ResonanceRow after{};
      TakeRow(before, t, k - 1);
      TakeRow(after, t, k);
      for (int c : {1, 3, 4, 5, 6, 7, 8, 9, 10}) {
        const auto i = static_cast<std::size_t>(c);
        out[i] = before[i] + (after[i] - before[i]) * f;
      }
    }
  }
  double yield = 0.0;
  for (int r = 0; r < rows; ++r)
    yield += t.at(r, Step::kYield);
  // The steps the walk took past its printed rows count too.
  if (std::isfinite(results.yieldBeyondRows)) yield += results.yieldBeyondRows;
  out[11] = yield * countsPerYield;
  return out;
}

std::string ExcitationReport(char geometryKind, double thetaDeg, double alphaDeg, double fwhmKeV,
                             const ResonanceTable& table, int rows) {
  std::string out = geometryKind == 'T' ? "TRANSMISSION GEOMETRY\r\n" : "REFLECTION GEOMETRY\r\n";
  out += "           theta = " + FormatSignificant(thetaDeg, 3, 2) +
         "         alpha = " + FormatSignificant(alphaDeg, 3, 2) +
         "      FWHM [keV] = " + FormatSignificant(fwhmKeV, 3, 2) + "\r\n\r\n";
  out +=
      "|  depth  |  E_in  |               main energy spread contributions              | "
      "depth  |counts \r\n"
      "|         |        |                  at the resonance energy                    |  "
      "res.  | \r\n"
      "|    x    |        |   dopl.   beame     beama     ss       msi     tot  tot+FWHM|    "
      "    |\r\n"
      "|  [nm]   | [keV]  |                            [keV]                            |  "
      "[nm]  | \r\n";
  const int last = std::clamp(rows, 0, ResonanceTable::kRows);
  for (int r = 1; r <= last; ++r) {
    for (int c = 1; c <= ResonanceTable::kValues; ++c)
      AppendNumber(out, table.at(r, c));
    out += "\r\n";
  }
  return out;
}

ExcitationOutcome ScanBeamEnergies(const RunInputs& inputs, const RunRequest& request,
                                   char setupGeometry, const ScanSettings& settings,
                                   MessageSink& messages) {
  const ParameterValues& p = inputs.params;
  ExcitationOutcome result;
  const ExcitationPlan plan = PlanExcitationCurve(p.rezmin, p.rezmax, p.estep);
  if (!plan.problem.empty()) {
    messages.Show(plan.problem);
    return result;
  }
  result.ran = true;

  const double countsPerYield = CountsPerYield(p.q1, p.solid_angle);
  const auto count = static_cast<int>(plan.energies.size());
  result.total = count;
  ScanOutcome<EnergyRun> outcome = RunScan<EnergyRun>(
      count, settings, "excitation curves for resonances", "energies", messages,
      [&](int index, MessageSink& sink) {
        const double e0 = plan.energies[static_cast<std::size_t>(index)];
        ResonanceHooks hooks(inputs, p.er, p.fwhm);
        RunRequest r = request;
        r.CalcMode = CalculationMode::kExcitationCurve;
        r.SpectrumFlag = SpectrumMode::kResonance;
        r.e0 = e0;
        r.hooks = &hooks;
        auto run = std::make_unique<RunState>();
        auto results = std::make_unique<RunResults>();
        if (RunResolution(inputs, r, *run, *results, sink) == RunOutcome::kBelowThreshold) {
          sink.Show("excitation curve: beam energies below the threshold energy give no counts");
        }
        EnergyRun out;
        out.row = FillResonanceRow(*results, e0, p.er, countsPerYield);
        out.geometryKind = run->engine.GeometryKind;
        if (index == count - 1) out.results = std::move(results);
        return out;
      });

  // Rows in scan order, whatever order the runs ended in.
  const int rows = static_cast<int>(outcome.results.size());
  for (int i = 0; i < rows; ++i) {
    const ResonanceRow& row = outcome.results[static_cast<std::size_t>(i)].row;
    for (int c = 1; c <= ResonanceTable::kValues; ++c)
      result.table.at(i + 1, c) = row[static_cast<std::size_t>(c)];
  }
  result.rows = rows;
  const char geometry = rows > 0 ? outcome.results.back().geometryKind : setupGeometry;
  result.report = ExcitationReport(geometry, p.th, p.a, p.fwhm, result.table, rows);
  result.stopped = outcome.stopped;
  if (!outcome.results.empty()) result.last = std::move(outcome.results.back().results);
  return result;
}

}  // namespace dodavev
