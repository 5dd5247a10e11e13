#include "engine/resolution.hpp"

#include <cmath>
#include <numbers>
#include <optional>
#include <string>

#include "engine/absorber_spread.hpp"
#include "engine/contributions.hpp"
#include "engine/depth_steps.hpp"
#include "engine/kinematics.hpp"
#include "engine/outward_columns.hpp"
#include "engine/path.hpp"
#include "engine/resolution_report.hpp"
#include "engine/run_inputs.hpp"
#include "model/messages.hpp"
#include "model/units.hpp"
#include "physics/outward_tables.hpp"

namespace dodavev {
namespace {

// Factors and energies closer to zero than this count as zero.
// The walk runs at most this many depth steps (rows 0..199).
constexpr int kMaxSteps = kResolutionRows;
// Effective stopping [keV/nm] below which a step has no depth scale.
constexpr double kNoStopping = 1e-12;

// The session's stopping model, noting in `notes` what the stopping tables did not cover.
StoppingModel NotingStoppingModel(const RunInputs& inputs, DataRangeNotes& notes) {
  StoppingModel model = StoppingModelOf(inputs);
  model.notes = &notes;
  return model;
}

DetectorResolutionCoefficients DetectorOf(const ParameterValues& p) {
  return DetectorResolutionCoefficients{p.detres0, p.detres1, p.detres2, p.detres3, p.detres4};
}

// Inputs that make the walk meaningless; empty when there is none.
std::string InputProblem(const ParameterValues& p, const RunState& run) {
  if (!(run.e0 > 0.0) || !std::isfinite(run.e0)) {
    return "energy of the incident ion is not well defined";
  }
  if (!(p.x > 0.0) || !std::isfinite(p.x)) return "iteration step is not well defined";
  // A step far below one atomic layer loses less energy than the beam energy's last digits
  // can hold: the effective stopping becomes 0 and the depth resolution infinite.
  if (p.x < kMinIterationStepMicron) return "iteration step is below 1e-6 micron";
  if (!(p.thr >= 0.0) || !std::isfinite(p.thr)) return "threshold energy is not well defined";
  if (!(p.temperature >= 0.0) || !std::isfinite(p.temperature)) {
    return "sample temperature is not well defined";
  }
  // Stopping powers exist for the ions of the element table only; an ion without charge
  // or mass would never slow down.
  if (p.z1 < 1 || p.z1 > kElementCount) {
    return "atomic number of the incident ion is not well defined";
  }
  if (!(p.m1 >= kMinMassNumber) || !(run.mt >= kMinMassNumber) || !std::isfinite(p.m1) ||
      !std::isfinite(run.mt)) {
    return "mass numbers of the reaction are not well defined";
  }
  return GeometryProblem(run.engine);
}

// The kinematics at the energy the incident ion reaches. Elastic processes keep the factor
// of the run; a nuclear reaction is evaluated anew at every energy, and its emitted energy
// and angular derivative are kept for the step.
class ReactionAt {
 public:
  ReactionAt(const ParameterValues& p, const RunState& run, ReactionKind kind)
      : nra_(kind == ReactionKind::kNra),
        excitation_(run.CalcMode == CalculationMode::kExcitationCurve),
        theta_(run.engine.theta),
        q_(p.qm - LevelEnergy(run.levelEnergies, p.level).value_or(0.0)),
        masses_{p.m1, run.m2, run.mt},
        k_(run.kinematicFactor) {}

  KinematicsAt Function() {
    if (!nra_) {
      return [k = k_](double) { return k; };
    }
    return [this](double energy) {
      last_ = QValueKinematics(theta_, q_, energy, masses_);
      return last_.K;
    };
  }

  // After the inward step: the emitted energy and K' at the reached energy.
  void Apply(RunState& run) const {
    if (!nra_) return;
    run.reactionEnergy = last_.emittedEnergy;
    run.kinematicDerivative = excitation_ ? 0.0 : last_.dK;
  }

 private:
  bool nra_;
  bool excitation_;
  double theta_;
  double q_;
  ReactionMasses masses_;
  double k_;
  QValueResult last_{};
};

class Walk {
 public:
  Walk(const RunInputs& inputs, const RunRequest& request, RunState& run, RunResults& results)
      : inputs_(inputs),
        p_(inputs.params),
        request_(request),
        run_(run),
        results_(results),
        model_(NotingStoppingModel(inputs, run.dataNotes)),
        context_{inputs.sample,
                 inputs.absorber,
                 model_,
                 inputs.tables,
                 inputs.switches.transport,
                 Ion{p_.z1, p_.m1, static_cast<double>(p_.chargestate_in)},
                 Ion{run.z2, run.m2, static_cast<double>(p_.chargestate_out)},
                 p_.thr,
                 p_.x_corr,
                 p_.itlength,
                 false},
        reaction_(p_, run, run.kind),
        kinematics_(reaction_.Function()),
        stage_(run.absorberTable, inputs.absorber, context_.emitted, model_,
               AbsorberSpreadSettings{p_.detkevch, p_.dete0, p_.ho, p_.thr,
                                      inputs.switches.contributions.CheckDet, DetectorOf(p_),
                                      p_.channels},
               run) {
    // A spectrum walk follows its emitted particles out from every depth: their stopping
    // and straggling come from tables over the energies they can have.
    if (run.SpectrumFlag == SpectrumMode::kSpectrum && run.kind != ReactionKind::kNra) {
      const double high = 1.01 * std::fabs(run.kinematicFactor * run.e0) + 1.0;
      const double low = p_.thr > 2.0 ? 0.5 * p_.thr : 1.0;
      tables_ =
          BuildOutwardTables(inputs.sample, context_.emitted, model_, context_.options, low, high);
      if (tables_) {
        context_.outwardTables = &*tables_;
        columns_.emplace(context_);
        context_.firstLayerColumns = &*columns_;
      }
    }
  }

  const PathContext& context() const { return context_; }
  const StoppingModel& model() const { return model_; }

  // The incident ion in to the current depth, the reaction, the emitted particle out.
  void Paths() {
    InwardStep(run_, context_, kinematics_);
    reaction_.Apply(run_);
    OutwardPath(run_, context_);
  }

  // Walk preparation: E_det for a reaction one step deep, then the paths start again.
  void Prepare() {
    run_.depth = run_.step;
    run_.depthInLayer = run_.step;
    Paths();
    run_.detectedEnergyFirst = run_.detectedEnergy;
    run_.in = PathState{};
    run_.in.energy = run_.e0;
    run_.out = PathState{};
    run_.msIn = MsState{};
    run_.msOut = MsState{};
    run_.depth = 0.0;
    run_.depthInLayer = 0.0;
  }

  // Evaluates step `row` and prints it when it can be reported; true when printed.
  bool Evaluate(int row) {
    Paths();

    // Effective stopping factor: how fast the detected energy falls with depth.
    double seff = 0.0;
    if (run_.CalcMode == CalculationMode::kExcitationCurve) {
      seff = run_.in.stoppingEnd / run_.engine.sinAlpha;
    } else if (run_.depth < kZeroTolerance) {
      seff = (run_.detectedEnergy - run_.detectedEnergyFirst) / run_.step;
    } else {
      seff = (run_.detectedEnergyPrevious - run_.detectedEnergy) / run_.step;
    }
    run_.Seff = seff / 1000.0;
    run_.detectedEnergyPrevious = run_.detectedEnergy;

    // Relative yield of the step: its width in detected energy over the stopping cross
    // section of the step (for the spectrum simulation).
    const Layer& layer = inputs_.sample.layers[run_.currentLayer];
    if (run_.depth < kZeroTolerance) {
      run_.yieldTerm = 0.0;
    } else if (!(run_.out.transferFactor > kZeroTolerance)) {
      run_.yieldTerm = 0.0;
      run_.out.transferFactor = 1.0;
    } else if (run_.stoppingTerm != 0.0 && layer.density > 0.0) {
      run_.yieldTerm = run_.Seff * 1000.0 * run_.step /
                       ((run_.stoppingTerm / layer.density) * run_.out.transferFactor);
    } else {
      run_.yieldTerm = 0.0;
    }

    if (run_.thresholdCounter != 0 || run_.ErrorCode != StepProblem::kNone) return false;
    const StepContributions c = Contributions();
    if (run_.thresholdCounter != 0 || !(run_.absorberHalfWidthIndex > 1.0) ||
        run_.ErrorCode != StepProblem::kNone) {
      return false;
    }
    FillRow(row, c);
    // Steps past the printed rows feed the spectrum and the yield only.
    const bool printedRow = row < kMaxSteps;
    if (printedRow && request_.reports) {
      const ResolutionTable::Row& values = results_.table.row(row);
      results_.mainReport += MainReportLine(values);
      results_.detailReport += DetailReportLine(values);
    }
    RunHooks* hooks = request_.hooks;
    if (run_.SpectrumFlag == SpectrumMode::kSpectrum && hooks != nullptr)
      hooks->AccumulateSpectrum(run_, row, results_);
    if (run_.CalcMode == CalculationMode::kExcitationCurve) {
      results_.table.at(row, Step::kYield) = 0.0;
      if (hooks != nullptr)
        results_.table.at(row, Step::kYield) += hooks->ResonanceYield(run_, row, results_);
      if (!printedRow) results_.yieldBeyondRows += results_.table.at(row, Step::kYield);
    }
    return true;
  }

 private:
  StepContributions Contributions() {
    const bool absorber = !inputs_.absorber.empty();
    StepInputs s;
    s.excitation = run_.CalcMode == CalculationMode::kExcitationCurve;
    s.depth = run_.depth;
    s.K = run_.kinematicFactor;
    s.dK = run_.kinematicDerivative;
    s.E = run_.in.energy;
    s.Em = run_.detectedEnergy;
    s.exitEnergy = run_.sampleExitEnergy;
    s.Rin = run_.in.transferFactor;
    s.T = run_.out.transferFactor;
    s.Lin = run_.in.correctedEnergyLoss;
    s.Lout = run_.out.correctedEnergyLoss;
    s.Vin = run_.in.straggling;
    s.Vout = run_.out.straggling;
    s.tauIn = run_.msIn.totalReducedThickness;
    s.phiIn = run_.msIn.halfWidthAngle;
    s.tauOut = run_.msOut.totalReducedThickness;
    s.phiOut = run_.msOut.halfWidthAngle;
    s.bes = p_.bes;
    s.asb = run_.asb;
    s.m1 = p_.m1;
    s.mt = run_.mt;
    s.temperature = p_.temperature;
    s.fwhm = p_.fwhm;
    s.absorber = absorber;
    s.absorberStoppingEntry = run_.absorberStoppingEntry;
    s.absorberStoppingExit = run_.absorberStoppingExit;
    s.ho = p_.ho;
    if (absorber) {
      const AbsorberPassage pass = InterpolateAbsorber(run_.absorberTable, run_.sampleExitEnergy);
      run_.absorberSigma = pass.stopped ? 0.0 : pass.sigma;
      s.absorberSigma = run_.absorberSigma;
    }
    const bool spectrumOnly = !request_.reports && run_.SpectrumFlag == SpectrumMode::kSpectrum;
    const ContributionContext ctx{run_.engine,    inputs_.switches.contributions, DetectorOf(p_),
                                  inputs_.tables, absorber ? &stage_ : nullptr,   &convolution_,
                                  spectrumOnly};
    return ComputeContributions(s, ctx, run_.ErrorCode, run_.absorberHalfWidthIndex,
                                run_.convolutionTableMissing);
  }

  void FillRow(int row, const StepContributions& c) {
    auto set = [&](Step value, double x) { results_.table.at(row, value) = x; };
    const EngineGeometry& g = run_.engine;
    const bool ibm = g.position == 'I';
    set(Step::kDepthNm, run_.depth * kNmPerMicron);
    // A width in depth: the detected spread over the rate at which the energy falls.
    set(Step::kResolutionNm,
        std::fabs(run_.Seff) > kNoStopping ? c.det / std::fabs(run_.Seff) : HUGE_VAL);
    set(Step::kDetectedSpread, c.det);
    set(Step::kIonEnergy, run_.in.energy);
    set(Step::kIonSpread, c.dE);
    set(Step::kIonAngleSpread, c.dfi * kRadToDeg);
    set(Step::kBeamEnergySpread, c.beame);
    set(Step::kBeamAngleSpread, c.beama);
    set(Step::kGeometricSpread, c.geo);
    set(Step::kStragglingSpread, c.ss);
    set(Step::kMsInSpread, c.msi);
    set(Step::kMsOutSpread, c.mso);
    set(Step::kTotalSpread, c.tot);
    set(Step::kLinearError, c.error);
    set(Step::kBeamEnergyCarried, p_.bes * run_.in.transferFactor);
    set(Step::kStragglingIn, std::sqrt(std::max(0.0, run_.in.straggling)));
    set(Step::kStragglingOut, std::sqrt(std::max(0.0, run_.out.straggling)));
    const bool capped = inputs_.switches.contributions.CheckMS_max;
    const double phiIn = run_.msIn.halfWidthAngle;
    const double phiOut = run_.msOut.halfWidthAngle;
    set(Step::kMsInThickness, run_.msIn.totalReducedThickness);
    set(Step::kMsInHalfAngle, (capped ? CappedHalfWidth(phiIn, g.alpha) : phiIn) * kRadToDeg);
    set(Step::kMsInExponentInverse, 1.0 / c.nuIn);
    set(Step::kMsInQ1, c.qIn1);
    set(Step::kMsInP1, c.pIn1);
    set(Step::kMsInRatio1, ibm && c.qIn1 > kZeroTolerance ? c.pIn1 / c.qIn1 : 0.0);
    set(Step::kMsInQ2, c.qIn2);
    set(Step::kMsInP2, c.pIn2);
    set(Step::kDopplerSpread, c.dopll);
    set(Step::kMsOutThickness, run_.msOut.totalReducedThickness);
    set(Step::kMsOutHalfAngle,
        (capped ? CappedHalfWidth(phiOut, std::min(g.beta1, g.beta2)) : phiOut) * kRadToDeg);
    set(Step::kMsOutExponentInverse, 1.0 / c.nuOut);
    set(Step::kMsOutQ1, c.qOut1);
    set(Step::kMsOutP1, c.pOut1);
    set(Step::kMsOutRatio1, ibm && c.qOut1 > kZeroTolerance ? c.pOut1 / c.qOut1 : 0.0);
    set(Step::kMsOutQ2, c.qOut2);
    set(Step::kMsOutP2, c.pOut2);
    set(Step::kMsOutRatio2, !ibm && c.qOut2 > kZeroTolerance ? c.pOut2 / c.qOut2 : 0.0);
    set(Step::kSeff, run_.Seff);
    set(Step::kTransferIn, run_.in.transferFactor);
    set(Step::kTransferOut, run_.out.transferFactor);
    set(Step::kDetectedEnergy, run_.detectedEnergy);
    set(Step::kYield, run_.yieldTerm);
    set(Step::kShapeTotal, c.mres);
    // Values of the multiple-scattering combination.
    set(Step::kShapeMsIn, c.mMsIn);
    set(Step::kShapeIon, c.mdE);
    set(Step::kEdgePlus, c.edgePlus);
    set(Step::kEdgeShape, c.edgeShape);
    set(Step::kShapeMsOut, c.mMsOut);
    set(Step::kGaussianPart, c.S0);
    set(Step::kTotalCorrected, c.totCorrected);
    set(Step::kEdgeMinus, c.edgeMinus);
  }

  const RunInputs& inputs_;
  const ParameterValues& p_;
  const RunRequest& request_;
  RunState& run_;
  RunResults& results_;
  StoppingModel model_;
  PathContext context_;
  ReactionAt reaction_;
  KinematicsAt kinematics_;
  FoilDetectorStage stage_;
  std::optional<OutwardTables> tables_;
  std::optional<OutwardColumns> columns_;  // the emitted particle's walks up its first layer
  PreparedConvolution convolution_ = PrepareConvolution(inputs_.tables);
};

}  // namespace

void ShowRunOutcome(RunOutcome outcome, MessageSink& messages) {
  if (outcome == RunOutcome::kBelowThreshold) {
    messages.Show("the energy of the incident ion is below the threshold energy");
  } else if (outcome == RunOutcome::kKinematicGate) {
    messages.Show("no emitted particle reaches the detector at this angle");
  }
}

RunOutcome RunResolution(const RunInputs& inputs, const RunRequest& request, RunState& run,
                         RunResults& results, MessageSink& messages) {
  const ParameterValues& p = inputs.params;
  results = RunResults{};
  results.SimulatedSpectrum = Spectrum(p.channels);
  results.CalcMode = request.CalcMode;
  results.SpectrumFlag = request.SpectrumFlag;

  // The beam cannot produce anything the threshold lets through.
  if (request.e0.value_or(p.e0) < p.thr) return RunOutcome::kBelowThreshold;

  const bool usable = PrepareRun(inputs, request, run);
  results.SpectrumFlag = run.SpectrumFlag;
  if (!usable) return RunOutcome::kTargetNotUsable;
  if (const std::string problem = InputProblem(p, run); !problem.empty()) {
    messages.Show(problem);
    return RunOutcome::kInvalidInput;
  }
  if (inputs.sample.empty()) return RunOutcome::kInvalidInput;  // "OK" said so already

  // From here on the tables are read: what they did not cover is said at the end.
  run.dataNotes = DataRangeNotes(&inputs.elements);
  auto told = [&](RunOutcome outcome) {
    if (request.hooks != nullptr && request.hooks->DataNotes() != nullptr)
      run.dataNotes.Merge(*request.hooks->DataNotes());
    run.dataNotes.Show(messages);
    return outcome;
  };
  Walk walk(inputs, request, run, results);
  if (!inputs.absorber.empty()) {
    const FoilSettings foil{p.x, p.ho, walk.context().options};
    if (BuildAbsorberTable(run.absorberTable, inputs.absorber, walk.context().emitted, foil,
                           walk.model()) == 0) {
      messages.Show("the absorber foil is too thick to follow the emitted particles through it");
    }
  }
  run.absorberStoppingEntry = 1.0;
  run.absorberStoppingExit = 1.0;

  // No emitted particle reaches the detector at this angle.
  if (run.kinematicFactor < kZeroTolerance) return told(RunOutcome::kKinematicGate);

  run.nominalStep = p.x;
  if (!StartWalk(inputs.sample, inputs.elements, run)) {
    messages.Show("the sample has no thickness");
    return told(RunOutcome::kInvalidInput);
  }
  run.in.energy = run.e0;
  run.thresholdCounter = 0;
  run.stopDepth = 0.0;
  const EngineGeometry& g = run.engine;
  results.mainReport = MainReportHeader(g.GeometryKind, g.theta * kRadToDeg, g.alpha * kRadToDeg);
  results.detailReport = DetailReportHeader(
      g.alpha * kRadToDeg, g.theta * kRadToDeg, g.beta1 * kRadToDeg, g.beta2 * kRadToDeg,
      static_cast<double>(p.z1), p.m1, static_cast<double>(run.z2), run.m2);

  walk.Prepare();

  // A spectrum or an excitation curve counts every step to the walk's own stop; the reports,
  // the table and the charts keep their 200 rows.
  const bool countsBeyondRows = run.SpectrumFlag == SpectrumMode::kSpectrum ||
                                run.CalcMode == CalculationMode::kExcitationCurve;
  int printed = 0;
  bool closed = false;
  for (int r = 0;; ++r) {
    if (request.stopRequested && request.stopRequested()) {
      results.stopped = true;
      break;
    }
    if (run.thresholdCounter == 0) ChooseStep(r, inputs.sample, p.depthmax, inputs.elements, run);
    bool evaluated = false;
    if (run.thresholdCounter == 0) {
      evaluated = walk.Evaluate(r);
      results.stepsWalked = r + 1;
    }
    if (evaluated && r < kMaxSteps) printed = r + 1;
    // A spectrum run whose reports nobody reads needs its rows only for the counts: it ends
    // where deeper steps can add none.
    if (evaluated && r < kMaxSteps && !request.reports &&
        run.SpectrumFlag == SpectrumMode::kSpectrum && request.hooks != nullptr &&
        !request.hooks->StepsBeyondCount(run, r, results)) {
      break;
    }
    if (r >= kMaxSteps) {
      // Past the printed rows: on while the steps are counted and can still add something.
      if (run.thresholdCounter != 0 || !(run.in.energy >= p.thr) || !evaluated) break;
      if (request.hooks != nullptr && !request.hooks->StepsBeyondCount(run, r, results)) break;
      auto sayStopped = [&](int steps, const std::string& why) {
        messages.Show("the walk stopped after " + std::to_string(steps) + " depth steps: " + why +
                      "the deeper part of the sample is not counted (use a larger iteration "
                      "step)");
      };
      if (r + 1 >= kMaxWalkSteps) {
        sayStopped(kMaxWalkSteps, "");
        break;
      }
      if (run.outwardSteps >= request.maxOutwardSteps) {
        sayStopped(r + 1, "the way out from deeper steps is too long to follow, and ");
        break;
      }
      continue;
    }

    // The walk ends at a depth (also when the very first step could not be taken).
    if (!closed && (run.stopDepth != 0.0 || run.thresholdCounter != 0)) {
      results.mainReport +=
          ClosingLines(WalkEnd{run.stopDepth, run.ErrorCode, run.cumulativeThickness, p.depthmax,
                               run.detectedEnergy, p.thr});
      closed = true;
    } else if (!closed && r + 1 >= kMaxSteps) {
      results.mainReport += SublayerLimitLine();
      // Rows that stopped earlier for a reason say why.
      if (run.ErrorCode != StepProblem::kNone) {
        results.mainReport +=
            "The calculation was finished: " + ErrorReason(run.ErrorCode) + "\r\n";
      }
      closed = true;
    }
    if (run.thresholdCounter != 0 || !(run.in.energy >= p.thr)) break;
    if (r + 1 >= kMaxSteps && !(countsBeyondRows && run.ErrorCode == StepProblem::kNone)) break;
  }

  // Printed rows are contiguous from the surface: an error stops them for good.
  results.RowCount = printed;
  // A layer that does not slow the ions (a density given without its power of ten, a layer
  // of unknown elements only) has no depth scale: its rows read "inf", and the user hears why.
  for (int r = 0; r < printed; ++r) {
    if (!(std::fabs(results.table.at(r, Step::kSeff)) > kNoStopping)) {
      messages.Show(
          "the ions lose no energy in part of the sample (check the atomic densities and "
          "elements of its layers): the depth resolution there is infinite");
      break;
    }
  }

  RunHooks* hooks = request.hooks;
  const ReactionKind kind = run.kind;
  const bool spectrumKind = kind == ReactionKind::kErd || kind == ReactionKind::kRbs ||
                            kind == ReactionKind::kForwardScattering || kind == ReactionKind::kNra;
  if (hooks != nullptr) {
    if (run.CalcMode != CalculationMode::kOptimisation && spectrumKind &&
        run.SpectrumFlag == SpectrumMode::kShown) {
      hooks->PostProcessSubSpectrum(run, results);
    }
    if ((run.SpectrumFlag == SpectrumMode::kSpectrum ||
         run.SpectrumFlag == SpectrumMode::kFullSpectrum) &&
        !inputs.absorber.empty()) {
      hooks->CorrectAbsorberSpectrum(run, results);
    }
    if (run.CalcMode == CalculationMode::kExcitationCurve)
      hooks->PostProcessResonance(run, results);
  }
  if (!request.reports) {
    results.mainReport.clear();
    results.detailReport.clear();
  }
  if (run.msTablesMissing || run.convolutionTableMissing) {
    const std::string note = MsTablesMissingMessage(inputs.tables);
    if (!note.empty()) messages.Show(note);
  }
  return told(RunOutcome::kWalked);
}

}  // namespace dodavev
