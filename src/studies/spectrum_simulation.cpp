#include "studies/spectrum_simulation.hpp"

#include <algorithm>
#include <cmath>

#include "engine/contributions.hpp"
#include "engine/run_inputs.hpp"
#include "engine/setup.hpp"
#include "model/messages.hpp"
#include "model/units.hpp"

namespace dodavev {
namespace {

DetectorResolutionCoefficients DetectorOf(const ParameterValues& p) {
  return DetectorResolutionCoefficients{p.detres0, p.detres1, p.detres2, p.detres3, p.detres4};
}

// Detector resolution (keV FWHM) at a detected energy; 0 with the detector contribution
// switched off or where the formula gives no positive number.
double DetectorFwhm(const RunInputs& inputs, double energy) {
  if (!inputs.switches.contributions.CheckDet) return 0.0;
  const double d = DetectorResolution(DetectorOf(inputs.params), energy);
  return d > 0.0 && std::isfinite(d) ? d : 0.0;
}

// FWHM left when `part` is taken out of `total` in quadrature (Gaussian parts).
double WithoutPart(double total, double part) {
  return std::sqrt(std::max(0.0, total * total - part * part));
}

// The way out of the sample (and the foil) for the wide case, followed anew from the step's
// depth for an emitted particle of a given energy.
class FollowOutward final : public WayOut {
 public:
  FollowOutward(const RunState& run, const PathContext& context, const RunInputs& inputs,
                double sampleFwhm, double transfer, double shape, bool foil)
      : run_(run),
        context_(context),
        inputs_(inputs),
        sampleFwhm_(sampleFwhm),
        transfer_(transfer),
        shape_(shape),
        foil_(foil) {}

  WayOutPoint Follow(double emittedEnergy) const override {
    RunState path = run_;
    path.thresholdCounter = 0;
    path.stopDepth = 0.0;
    path.reactionEnergy = emittedEnergy;
    OutwardPath(path, context_);
    WayOutPoint w;
    w.reached = path.thresholdCounter == 0;
    // With a foil the spectrum is recorded in front of it and carried through afterwards.
    w.detectedEnergy = foil_ ? path.sampleExitEnergy : path.detectedEnergy;
    // The spread gathered on the way out scales with the way out's transfer factor.
    double fwhm = sampleFwhm_;
    if (transfer_ > kZeroTolerance && path.out.transferFactor > kZeroTolerance) {
      fwhm *= path.out.transferFactor / transfer_;
    }
    if (!foil_) fwhm = std::hypot(fwhm, DetectorFwhm(inputs_, w.detectedEnergy));
    w.fwhm = fwhm;
    w.shape = shape_;
    return w;
  }

 private:
  const RunState& run_;
  const PathContext& context_;
  const RunInputs& inputs_;
  double sampleFwhm_;
  double transfer_;
  double shape_;
  bool foil_;
};

ReactionKind SwitchedForward(ReactionKind kind) {
  if (kind == ReactionKind::kErd) return ReactionKind::kForwardScattering;
  if (kind == ReactionKind::kForwardScattering) return ReactionKind::kErd;
  return kind;
}

// One run of a full spectrum and what the sum and the session keep of it.
struct IsotopeRun {
  Spectrum spectrum{};
  RunOutcome outcome = RunOutcome::kWalked;
  bool stopped = false;                 // stopped part-way: its counts are not the isotope's
  std::unique_ptr<RunResults> results;  // reports and table, for a run that walked
};

IsotopeRun RunIsotope(const RunInputs& inputs, const RunRequest& base,
                      const FullSpectrumRun& planned, bool reports, MessageSink& messages) {
  RunRequest request = base;
  request.reports = reports;
  request.SpectrumFlag = SpectrumMode::kFullSpectrum;
  request.fullSpectrumTarget = planned.isotope.symbol;
  request.fullSpectrumMass = planned.mass;
  request.kind = planned.kind;
  auto state = std::make_unique<RunState>();
  auto results = std::make_unique<RunResults>();
  IsotopeRun out;
  out.outcome = RunSpectrumWalk(inputs, request, *state, *results, messages);
  out.spectrum = results->SimulatedSpectrum;
  out.stopped = results->stopped;
  if (out.outcome == RunOutcome::kWalked) out.results = std::move(results);
  return out;
}

}  // namespace

void WarnOfUncalibratedDetector(const ParameterValues& p, MessageSink& messages) {
  if (!(p.detkevch > 0.0) || !std::isfinite(p.detkevch)) {
    messages.Show(
        "the detector calibration needs a positive keV/channel: the spectrum stays empty");
  }
}

double TargetIsotopeDensity(const Layer& layer, const RunState& run, int z1,
                            const ElementTable& elements) {
  if (!ElementTable::ValidZ(run.targetZ) || !std::isfinite(run.mt)) return 0.0;
  if (run.kind == ReactionKind::kRbs && run.targetZ <= z1) return 0.0;
  const double a = std::nearbyint(run.mt);
  if (!(a >= 1.0) || a > 1e6) return 0.0;
  const IsotopeNode isotope{run.targetZ, static_cast<int>(a), {}};
  const double density = IsotopeFraction(layer, isotope, elements) * layer.density;
  return std::isfinite(density) && density > 0.0 ? density : 0.0;
}

// ---- Hooks of one run ------------------------------------------------------------------

SpectrumRunHooks::SpectrumRunHooks(const RunInputs& inputs)
    : inputs_(inputs),
      notes_(&inputs.elements),
      model_(StoppingModelOf(inputs)),
      choices_(inputs.switches.crossSections) {
  model_.notes = &notes_;
}

SpectrumRunHooks::~SpectrumRunHooks() = default;

void SpectrumRunHooks::Start(const RunState& run) {
  const ParameterValues& p = inputs_.params;
  // The cross section of this run's target isotope and emitted particle.
  request_.kind = run.kind;
  request_.z1 = p.z1;
  request_.m1 = p.m1;
  request_.z2 = run.z2;
  request_.m2 = run.m2;
  request_.targetZ = run.targetZ;
  request_.targetMass = run.mt;
  request_.theta = run.engine.theta;
  request_.level = p.level;
  request_.windowKeV = 0.0;  // point values: the steps average over energies themselves
  rutherford_ = PlainRutherford(request_, choices_);

  context_.emplace(PathContext{inputs_.sample, inputs_.absorber, model_, inputs_.tables,
                               inputs_.switches.transport,
                               Ion{p.z1, p.m1, static_cast<double>(p.chargestate_in)},
                               Ion{run.z2, run.m2, static_cast<double>(p.chargestate_out)}, p.thr,
                               p.x_corr, p.itlength, false});

  foil_ = !inputs_.absorber.empty();
  AccumulationSettings settings;
  settings.calibration = ChannelCalibration{p.dete0, p.detkevch};
  settings.channels = p.channels;
  settings.monolayer = p.monothick > kZeroTolerance;
  settings.countsScale = CountsScale(p.q1, p.solid_angle);
  if (foil_) {
    // In front of the foil the particles are faster than at the detector: the axis there
    // reaches well above the highest emitted energy (that of the surface), in channels at
    // least as wide as the detector's.
    frontAxis_ = SpectrumAxis{p.dete0, p.detkevch};
    const double top = 1.25 * std::fabs(run.reactionEnergy) + 100.0;
    const double needed = (top - p.dete0) / (p.channels * p.detkevch);
    if (std::isfinite(needed) && needed > 1.0) frontAxis_.detkevch = p.detkevch * needed;
    settings.calibration = ChannelCalibration{frontAxis_.dete0, frontAxis_.detkevch};
    front_ = Spectrum(p.channels);
  }
  accumulator_.emplace(settings);
}

void SpectrumRunHooks::AccumulateSpectrum(const RunState& run, int row, RunResults& results) {
  if (!accumulator_) Start(run);
  const ParameterValues& p = inputs_.params;
  const ResolutionTable& t = results.table;
  if (run.currentLayer >= inputs_.sample.layers.size()) return;
  const Layer& layer = inputs_.sample.layers[run.currentLayer];

  SpectrumStep s;
  s.row = row;
  s.depth = run.depth;
  s.step = run.step;
  s.E = t.at(row, Step::kIonEnergy);
  s.dE = t.at(row, Step::kIonSpread);
  // The spread combination keeps the spread before the reaction of one edge of the
  // angular spread; the other edge is taken equal to it.
  s.dEprime = s.dE;
  s.shapeIn = t.at(row, Step::kShapeIon);
  s.K = run.kinematicFactor;
  s.reactionEnergy = run.reactionEnergy;
  s.transfer = t.at(row, Step::kTransferOut);
  s.detectedShape = t.at(row, Step::kEdgeShape);
  s.concentration = TargetIsotopeDensity(layer, run, p.z1, inputs_.elements);
  s.sinAlpha = run.engine.sinAlpha;
  // Detected spread of the step; with a foil the detector resolution acts behind it.
  const double spread = std::fabs(t.at(row, Step::kEdgeMinus));
  if (foil_) {
    s.detectedEnergy = run.sampleExitEnergy;
    s.detectedFwhm = WithoutPart(spread, DetectorFwhm(inputs_, t.at(row, Step::kDetectedEnergy)));
  } else {
    s.detectedEnergy = t.at(row, Step::kDetectedEnergy);
    s.detectedFwhm = spread;
  }

  // The wide case needs the spread gathered on the way out alone: without the detector
  // (added per point) and without the incident spread (already in the reaction energies).
  const double incident = std::fabs(s.K * s.dE * s.transfer);
  const double sampleSide = WithoutPart(
      foil_ ? s.detectedFwhm
            : WithoutPart(spread, DetectorFwhm(inputs_, t.at(row, Step::kDetectedEnergy))),
      incident);
  const FollowOutward wayOut(run, *context_, inputs_, sampleSide, s.transfer, s.detectedShape,
                             foil_);

  const CrossSectionSource xs{&request_, &choices_, &inputs_.crossSections, &notes_,
                              rutherford_ ? &*rutherford_ : nullptr};
  Spectrum& target = foil_ ? front_ : results.SimulatedSpectrum;
  const double yield = accumulator_->AddStep(s, xs, &wayOut, target);
  results.table.at(row, Step::kYield) = yield;
}

bool SpectrumRunHooks::StepsBeyondCount(const RunState& run, int /*row*/,
                                        const RunResults& /*results*/) {
  if (!deepestTargetLayer_) {
    long deepest = -1;
    const auto& layers = inputs_.sample.layers;
    for (std::size_t i = 0; i < layers.size(); ++i) {
      if (TargetIsotopeDensity(layers[i], run, inputs_.params.z1, inputs_.elements) > 0.0)
        deepest = static_cast<long>(i);
    }
    deepestTargetLayer_ = deepest;
  }
  return static_cast<long>(run.currentLayer) <= *deepestTargetLayer_;
}

void SpectrumRunHooks::CorrectAbsorberSpectrum(const RunState& run, RunResults& results) {
  if (!foil_ || !accumulator_) return;
  const ParameterValues& p = inputs_.params;
  AbsorberSpectrumSettings settings;
  settings.ho = p.ho;
  if (inputs_.switches.contributions.CheckDet)
    settings.detectorFwhm = [this](double e) { return DetectorFwhm(inputs_, e); };
  results.SimulatedSpectrum.fill(0.0);
  CarryThroughFoil(front_, frontAxis_, results.SimulatedSpectrum, SpectrumAxis{p.dete0, p.detkevch},
                   run.absorberTable, inputs_.absorber,
                   Ion{run.z2, run.m2, static_cast<double>(p.chargestate_out)}, model_, settings);
  results.SimulatedSpectrum[0] = 0.0;  // channel 0 is not part of the recorded spectrum
}

RunOutcome RunSpectrumWalk(const RunInputs& inputs, RunRequest request, RunState& run,
                           RunResults& results, MessageSink& messages) {
  SpectrumRunHooks hooks(inputs);
  request.hooks = &hooks;
  return RunResolution(inputs, request, run, results, messages);
}

// ---- Full spectrum -------------------------------------------------------------------------

std::vector<FullSpectrumRun> PlanFullSpectrum(const RunInputs& inputs, bool givenTarget) {
  const ParameterValues& p = inputs.params;
  const std::vector<IsotopeNode> isotopes =
      givenTarget ? GivenTargetIsotopeList(p.target, p.mt, inputs.elements)
                  : BuildIsotopeList(inputs.sample, inputs.elements);
  const bool forward = p.th < 90.0;
  ReactionKind kind = inputs.reaction.kind;
  std::vector<FullSpectrumRun> plan;
  for (const IsotopeNode& isotope : isotopes) {
    // The given target keeps the reaction's own mass as typed, so that it equals the
    // sub-spectrum; the sample's isotopes take their real masses for the kinematics and
    // the cross sections.
    const double mass = givenTarget ? p.mt : IsotopeMass(isotope, inputs.elements);
    plan.push_back({isotope, mass, kind});
    if (forward) {
      kind = SwitchedForward(kind);
      if (kind == ReactionKind::kErd || kind == ReactionKind::kForwardScattering) {
        plan.push_back({isotope, mass, kind});
      }
    }
  }
  return plan;
}

FullSpectrumResult SimulateFullSpectrum(const RunInputs& inputs, const RunRequest& base,
                                        const std::vector<FullSpectrumRun>& plan,
                                        const ScanSettings& settings, MessageSink& messages) {
  const int count = static_cast<int>(plan.size());
  // Only the last run's reports are shown: the others skip their formatting.
  auto task = [&](int index, MessageSink& sink) {
    return RunIsotope(inputs, base, plan[static_cast<std::size_t>(index)], index == count - 1,
                      sink);
  };
  ScanOutcome<IsotopeRun> scan =
      RunScan<IsotopeRun>(count, settings, "full spectrum (1)", "isotope runs", messages, task);

  // A stop ends the runs under way part-way: the sum keeps the whole runs before the first
  // of them.
  std::size_t whole = 0;
  while (whole < scan.results.size() && !scan.results[whole].stopped)
    ++whole;
  FullSpectrumResult result;
  result.sum = Spectrum(inputs.params.channels);
  result.runs = static_cast<int>(whole);
  result.stopped = scan.stopped || whole < scan.results.size();
  // Summed in plan order, whatever order the runs finished in.
  bool allBelowThreshold = whole > 0;
  int lastWalked = -1;
  for (std::size_t k = 0; k < whole; ++k) {
    IsotopeRun& run = scan.results[k];
    const int channels = std::min(result.sum.channels(), run.spectrum.channels());
    for (int c = 1; c <= channels; ++c) {
      const auto i = static_cast<std::size_t>(c);
      result.sum[i] += run.spectrum[i];
    }
    allBelowThreshold = allBelowThreshold && run.outcome == RunOutcome::kBelowThreshold;
    if (run.results) {
      result.last = std::move(run.results);
      lastWalked = static_cast<int>(k);
    }
  }
  if (lastWalked >= 0 && lastWalked != count - 1) {
    // The run shown walked without its reports (a later one did not walk, or the runs were
    // stopped): run it again, whole, with them; its spectrum is the same, and its messages
    // were shown already.
    RunRequest wholeRun = base;
    wholeRun.stopRequested = nullptr;
    CollectingSink again;
    IsotopeRun shown =
        RunIsotope(inputs, wholeRun, plan[static_cast<std::size_t>(lastWalked)], true, again);
    if (shown.results) result.last = std::move(shown.results);
  }
  if (allBelowThreshold) {
    messages.Show("the energy of the incident ion is below the threshold energy");
  }
  if (result.stopped) {
    messages.Show("full spectrum (1) was stopped after " + std::to_string(result.runs) + " of " +
                  std::to_string(count) + " isotope runs");
  }
  return result;
}

}  // namespace dodavev
