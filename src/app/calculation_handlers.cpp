// The seven menu handlers of the "calculations" menu (also the BatchFile calculation
// names): each sets the calculation up on the session, runs it on the session's run
// inputs and makes its outcome the session's results, report and modes.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "app/calculation_setup.hpp"
#include "app/calculations.hpp"
#include "app/run_inputs_of.hpp"
#include "app/session.hpp"
#include "engine/resolution.hpp"
#include "engine/setup.hpp"
#include "physics/data_range_notes.hpp"
#include "studies/absorber_report.hpp"
#include "studies/excitation_curve.hpp"
#include "studies/optimisation.hpp"
#include "studies/scan_outcome.hpp"
#include "studies/spectrum_simulation.hpp"

namespace dodavev {
namespace {

// The session takes the results of the last run done of a scan (the charts and the output
// panel show them), hears that the scan was stopped early (ScanStoppedLine, also the
// closing line of the report, so that a saved report does not read as a complete scan),
// and records the scan's row count and calculation modes.
void AdoptScanEnd(Session& session, std::unique_ptr<RunResults> last, bool stopped,
                  std::size_t done, std::string_view what, std::string_view unit, int total,
                  int rowCount, CalculationMode calcMode, SpectrumMode spectrumFlag) {
  if (last) session.results = std::move(*last);
  if (stopped) {
    const std::string line = ScanStoppedLine(what, done, total, unit);
    session.OutputLog += line + "\r\n";
    session.messages.Show(line);
  }
  session.results.RowCount = rowCount;
  session.results.CalcMode = calcMode;
  session.results.SpectrumFlag = spectrumFlag;
}

// The window's Stop reaches a single walk (and the isotope runs of a full spectrum) through
// the session's scan observer: the walk ends before its next depth step.
std::function<bool()> StopOf(const Session& session) {
  const ScanObserver* observer = session.scan.observer;
  if (observer == nullptr) return {};
  return [observer] { return observer->StopRequested(); };
}

// A walk that was stopped says so, also as the closing line of its report, so that a saved
// report does not read as the whole walk.
void SayIfStopped(Session& session, const RunResults& results, std::string_view what) {
  if (!results.stopped) return;
  const std::string line = std::string(what) + ": stopped after " +
                           std::to_string(results.stepsWalked) +
                           " depth steps; the deeper part of the sample is not counted";
  session.OutputLog += line + "\r\n";
  session.messages.Show(line);
}

// A calculation that starts: the last results and report are gone, the modes are its own.
void StartCalculation(Session& session, CalculationMode calcMode, SpectrumMode spectrumFlag) {
  session.OutputLog.clear();
  session.results = RunResults{};
  session.results.CalcMode = calcMode;
  session.results.SpectrumFlag = spectrumFlag;
  session.CalcMode = calcMode;
  session.SpectrumFlag = spectrumFlag;
}

}  // namespace

void energy_lossClick(Session& session) {
  const ParameterSet& p = session.params;
  EnergyLossInputs inputs;
  inputs.incident = Ion{p.z1, p.m1, static_cast<double>(p.chargestate_in)};
  inputs.e0 = p.e0;
  inputs.x = p.x;
  inputs.xCorr = p.x_corr;
  inputs.options = TransportOptionsOf(session);
  DataRangeNotes notes(&session.elements);
  StoppingModel model = StoppingModelOf(session);
  model.notes = &notes;
  EnergyLossOutcome outcome = EnergyLossReport(session.absorber, inputs, model, session.messages);
  notes.Show(session.messages);
  if (!outcome.ran) return;
  session.energyLossTable = std::move(outcome.table);
  session.results.RowCount = outcome.RowCount;
  session.results.CalcMode = CalculationMode::kEnergyLoss;
  session.CalcMode = CalculationMode::kEnergyLoss;
  session.OutputLog = std::move(outcome.report);
}

void schalareffect1Click(Session& session) {
  const ParameterSet& p = session.params;
  const Ion emitted{p.z2, p.m2, static_cast<double>(p.chargestate_out)};
  const FoilSettings settings{p.x, p.ho, TransportOptionsOf(session)};
  DataRangeNotes notes(&session.elements);
  StoppingModel model = StoppingModelOf(session);
  model.notes = &notes;
  TschalarOutcome outcome =
      TschalarReport(session.absorber, emitted, settings, model, session.messages);
  notes.Show(session.messages);
  if (!outcome.ran) return;
  session.results.table = outcome.table;
  session.results.RowCount = outcome.RowCount;
  session.results.CalcMode = CalculationMode::kTschalar;
  session.CalcMode = CalculationMode::kTschalar;
  session.OutputLog = std::move(outcome.report);
}

void depthandenergyresolution1Click(Session& session) {
  auto run = std::make_unique<RunState>();
  auto results = std::make_unique<RunResults>();
  RunRequest request =
      SetUpRequest(session, CalculationMode::kDepthWalk, SpectrumMode::kResolution, *run);
  request.stopRequested = StopOf(session);
  const RunOutcome outcome =
      RunResolution(RunInputsOf(session), request, *run, *results, session.messages);

  ShowRunOutcome(outcome, session.messages);
  // The report of an earlier calculation must not stand for this one.
  session.results = *results;
  session.OutputLog = results->mainReport;
  SayIfStopped(session, *results, "depth and energy resolution");
  session.CalcMode = results->CalcMode;
  session.SpectrumFlag = results->SpectrumFlag;
}

void RunOptimisation(Session& session, const ScanSettings& settings) {
  auto setupRun = std::make_unique<RunState>();
  RunRequest request =
      SetUpRequest(session, CalculationMode::kDepthWalk, SpectrumMode::kResolution, *setupRun);
  setupRun.reset();

  ClearOptimisationTables(session.studies);
  StartCalculation(session, CalculationMode::kOptimisation, SpectrumMode::kResolution);
  OptimisationOutcome outcome =
      ScanGeometries(RunInputsOf(session), request, settings, session.messages);
  if (!outcome.ran) return;
  StudyResults& st = session.studies;
  st.angleScan = outcome.tables.angleScan;
  st.angleScanRows = outcome.tables.angleScanRows;
  st.bestByDepth = outcome.tables.bestByDepth;
  st.bestByDepthRows = outcome.tables.bestByDepthRows;
  session.OutputLog = std::move(outcome.report);
  AdoptScanEnd(session, std::move(outcome.last), outcome.stopped, outcome.done, "optimization",
               "geometries", outcome.total, outcome.rowCount, CalculationMode::kOptimisation,
               SpectrumMode::kResolution);
}

void optimization1Click(Session& session) {
  RunOptimisation(session, session.scan);
}

void spectrumsimulation1Click(Session& session) {
  auto run = std::make_unique<RunState>();
  auto results = std::make_unique<RunResults>();
  RunRequest request =
      SetUpRequest(session, CalculationMode::kDepthWalk, SpectrumMode::kSpectrum, *run);
  request.stopRequested = StopOf(session);
  WarnOfUncalibratedDetector(session.params, session.messages);
  const RunOutcome outcome =
      RunSpectrumWalk(RunInputsOf(session), request, *run, *results, session.messages);
  ShowRunOutcome(outcome, session.messages);
  session.results = std::move(*results);
  session.OutputLog = session.results.mainReport;
  SayIfStopped(session, session.results, "spectrum simulation");
  session.CalcMode = session.results.CalcMode;
  session.SpectrumFlag = SpectrumMode::kSpectrum;
  session.results.SpectrumFlag = SpectrumMode::kSpectrum;
  session.studies.Button12Caption = kViewSubspectrum;
}

void spektrumsim21Click(Session& session) {
  auto prepared = std::make_unique<RunState>();
  RunRequest request =
      SetUpRequest(session, CalculationMode::kDepthWalk, SpectrumMode::kFullSpectrum, *prepared);
  request.stopRequested = StopOf(session);
  WarnOfUncalibratedDetector(session.params, session.messages);
  const bool given = session.params.CheckBox1_given_target;
  const RunInputs inputs = RunInputsOf(session);
  FullSpectrumResult full = SimulateFullSpectrum(inputs, request, PlanFullSpectrum(inputs, given),
                                                 session.scan, session.messages);

  if (full.last) {
    session.results = std::move(*full.last);
  } else {
    session.results = RunResults{};
    session.results.CalcMode = request.CalcMode;
  }
  session.results.SimulatedSpectrum = full.sum;
  session.results.SpectrumFlag = SpectrumMode::kSpectrum;
  session.OutputLog = session.results.mainReport;
  session.CalcMode = session.results.CalcMode;
  session.SpectrumFlag = SpectrumMode::kSpectrum;
  session.studies.Button12Caption = given ? kViewSubspectrum : kViewSpectrum;
}

void RunExcitationCurve(Session& session, const ScanSettings& settings) {
  auto setupRun = std::make_unique<RunState>();
  RunRequest request =
      SetUpRequest(session, CalculationMode::kExcitationCurve, SpectrumMode::kResonance, *setupRun);
  const char setupGeometry = setupRun->engine.GeometryKind;
  setupRun.reset();

  StudyResults& st = session.studies;
  st.resonance.Clear();
  st.resonanceRows = 0;
  StartCalculation(session, CalculationMode::kExcitationCurve, SpectrumMode::kResonance);
  ExcitationOutcome outcome =
      ScanBeamEnergies(RunInputsOf(session), request, setupGeometry, settings, session.messages);
  if (!outcome.ran) return;
  st.resonance = outcome.table;
  st.resonanceRows = outcome.rows;
  session.OutputLog = std::move(outcome.report);
  AdoptScanEnd(session, std::move(outcome.last), outcome.stopped,
               static_cast<std::size_t>(outcome.rows), "excitation curve", "energies",
               outcome.total, outcome.rows, CalculationMode::kExcitationCurve,
               SpectrumMode::kResonance);
}

void exitationcurvesforresonances1Click(Session& session) {
  RunExcitationCurve(session, session.scan);
}

}  // namespace dodavev
