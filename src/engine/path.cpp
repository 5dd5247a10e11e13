#include "engine/path.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "engine/outward_columns.hpp"
#include "engine/outward_walk.hpp"
#include "engine/run_state.hpp"
#include "model/units.hpp"
#include "physics/absorber.hpp"
#include "physics/multiple_scattering.hpp"
#include "physics/outward_tables.hpp"

namespace dodavev {

namespace {

// Depths and thicknesses closer than this count as equal.

const Layer* CurrentLayer(const RunState& run, const PathContext& context) {
  if (run.currentLayer >= context.sample.layers.size()) return nullptr;
  return &context.sample.layers[run.currentLayer];
}

double Stopping(const Layer& layer, const Ion& ion, double energy, const PathContext& context,
                RunState& run) {
  return LayerStopping(layer, ion.z, ion.mass, energy, context.stopping, &run.StoppingSourceNote);
}

// Stopping and straggling of the emitted particle in sample layer `li`: from the run's
// tables where they cover the energy.
double OutStopping(std::size_t li, const Layer& layer, const Ion& ion, double energy,
                   const PathContext& context, std::string* note) {
  if (context.outwardTables != nullptr && li < context.outwardTables->stopping.size()) {
    if (const std::optional<double> s = context.outwardTables->stopping[li].At(energy)) return *s;
  }
  return LayerStopping(layer, ion.z, ion.mass, energy, context.stopping, note);
}

double OutStraggling(std::size_t li, const Layer& layer, double dx, double f, const Ion& ion,
                     double energy, const PathContext& context) {
  if (context.outwardTables != nullptr && li < context.outwardTables->straggling.size() &&
      std::fabs(f) >= 1e-12) {
    if (const std::optional<double> v = context.outwardTables->straggling[li].At(energy)) {
      return *v * (dx / f);
    }
  }
  return LayerStraggling(layer, dx, f, ion.mass, ion.chargeState, ion.z, energy, context.options,
                         context.stopping.elements);
}

MsStepStatus OutMsStep(MsState& out, int stepIndex, const Layer& layer, double dx, double f,
                       double energy, double ionZ, const PathContext& context) {
  if (context.outwardTables != nullptr) {
    return OutgoingMsAngleStep(out, stepIndex, layer, dx, f, energy, ionZ, context.tables);
  }
  return OutgoingMsStep(out, stepIndex, layer, dx, f, energy, ionZ, context.tables);
}

// Straggling of a path at its start: the spread from a charge state other than the layer's
// mean effective charge over the depth "corr.X", as a FWHM^2.
double StartStraggling(const Layer& layer, const Ion& ion, double energy, double stopping,
                       const PathContext& context) {
  const double spread =
      ChargeStateSpread(layer, ion.z, ion.mass, ion.chargeState, energy, stopping, context.xCorr,
                        context.options, context.stopping.elements);
  return spread * spread;
}

double StoppingRatio(bool enabled, double start, double end) {
  return enabled && start > 0.0 ? end / start : 1.0;
}

void NoteMsStatus(MsStepStatus status, RunState& run) {
  if (status == MsStepStatus::kTablesMissing) run.msTablesMissing = true;
}

// Depth step of the outward walk in the current layer.
double OutwardStepLength(const RunState& run, const PathContext& context, const Layer* layer) {
  if (context.fullSpectrumSteps && layer != nullptr && layer->density > 0.0) {
    // Iteration length (atoms/cm2) along the exit direction, as a depth in micron.
    return context.itlength * run.geometry.OutwardFactor() * 1e-18 / layer->density;
  }
  return run.nominalStep;
}

// Threshold test on the outward path.
void ApplyThreshold(double& energy, RunState& run, const PathContext& context) {
  if (energy < context.thr) {
    energy = context.thr;
    run.RaiseThreshold(run.depth - run.step);
  }
}

// Back towards the surface: the part of the current layer above the reaction point (from
// the run's tables of that part where they hold it), then every layer above it in full;
// predictor-corrector steps.
void ReflectionWalk(double& energy, double stepLength, RunState& run, const PathContext& context) {
  const double f = run.geometry.OutwardFactor();
  OutwardWalker w;
  w.energy = energy;
  w.out = run.out;
  w.ms = run.msOut;
  std::size_t top = run.currentLayer + 1;  // layers below `top` are walked here
  if (context.firstLayerColumns != nullptr &&
      context.firstLayerColumns->After(run.currentLayer, run.depthInLayer, run.reactionEnergy,
                                       stepLength, f, w)) {
    top = run.currentLayer;
  }
  for (std::size_t li = top; li-- > 0 && run.thresholdCounter == 0;) {
    const Layer& layer = context.sample.layers[li];
    double remaining = li == run.currentLayer ? run.depthInLayer : layer.thickness;
    // The stopping at the end of a step is the stopping at the start of the next one in the
    // same layer (same layer, same energy): it is looked up once.
    w.haveCarried = false;
    while (remaining > kZeroTolerance && run.thresholdCounter == 0) {
      const double dx = std::min(stepLength, remaining);
      const OutwardStepEvents events =
          ReflectionStep(w, li, dx, f, context, &run.StoppingSourceNote);
      ++run.outwardSteps;
      if (events.noStopping) break;  // nothing here slows the particle down or spreads it
      if (events.msTablesMissing) run.msTablesMissing = true;
      if (events.belowThreshold) run.RaiseThreshold(run.depth - run.step);
      remaining -= dx;
    }
  }
  energy = w.energy;
  run.out = w.out;
  run.msOut = w.ms;
}

// On through the rest of the current layer and every layer below it to the back of the
// sample; each step uses the stopping at its start.
void TransmissionWalk(double& energy, double stepLength, RunState& run,
                      const PathContext& context) {
  const Ion& ion = context.emitted;
  const double f = run.geometry.OutwardFactor();
  int stepIndex = 0;
  double previousStopping = 0.0;
  for (std::size_t li = run.currentLayer;
       li < context.sample.layers.size() && run.thresholdCounter == 0; ++li) {
    const Layer& layer = context.sample.layers[li];
    double remaining =
        li == run.currentLayer ? layer.thickness - run.depthInLayer : layer.thickness;
    while (remaining > kZeroTolerance && run.thresholdCounter == 0) {
      const double dx = std::min(stepLength, remaining);
      ++run.outwardSteps;
      const double s = OutStopping(li, layer, ion, energy, context, &run.StoppingSourceNote);
      if (!(s > 0.0)) {
        // Nothing here slows the particle down; at rest it never reaches the back.
        if (energy <= kZeroTolerance) run.RaiseThreshold(run.depth - run.step);
        break;
      }
      const double r =
          stepIndex == 0 ? 1.0 : StoppingRatio(context.options.Checktschalar, previousStopping, s);
      const double next = energy - s * dx / f;
      if (context.options.CheckMS) {
        NoteMsStatus(OutMsStep(run.msOut, ++stepIndex, layer, dx, f, (energy + next) / 2.0,
                               static_cast<double>(ion.z), context),
                     run);
      } else {
        ++stepIndex;
      }
      run.out.correctedEnergyLoss = r * run.out.correctedEnergyLoss + s * dx;
      run.out.energyLossSum += s * dx;
      if (context.options.CheckStraggling) {
        run.out.straggling = CarryStraggling(run.out.straggling, r,
                                             OutStraggling(li, layer, dx, f, ion, next, context));
      }
      energy = next;
      ApplyThreshold(energy, run, context);
      run.out.transferFactor *= r;
      run.out.stoppingStart = previousStopping > 0.0 ? previousStopping : s;
      run.out.stoppingEnd = s;
      run.out.stoppingRatio = r;
      previousStopping = s;
      remaining -= dx;
    }
  }
}

}  // namespace

OutwardStepEvents ReflectionStep(OutwardWalker& w, std::size_t li, double dx, double f,
                                 const PathContext& context, std::string* note) {
  OutwardStepEvents events;
  const Ion& ion = context.emitted;
  const Layer& layer = context.sample.layers[li];
  const double energy = w.energy;
  const double sA = w.haveCarried ? w.carried : OutStopping(li, layer, ion, energy, context, note);
  if (!(sA > 0.0)) {
    events.noStopping = true;
    return events;
  }
  const double predicted = energy - sA * dx / f;
  const double sB = OutStopping(li, layer, ion, predicted, context, note);
  const double next = energy - (sA + sB) / 2.0 * dx / f;
  // The stopping and the straggling at `next` from one position on the tables' common grid.
  const OutwardTables* tables = context.outwardTables;
  std::optional<LogEnergyTable::Position> atNext;
  if (tables != nullptr && li < tables->stopping.size() && li < tables->straggling.size() &&
      tables->stopping[li].SameGrid(tables->straggling[li])) {
    atNext = tables->stopping[li].Locate(next);
  }
  const double sC =
      atNext ? tables->stopping[li].At(*atNext) : OutStopping(li, layer, ion, next, context, note);
  const double r = StoppingRatio(context.options.Checktschalar, sA, sC);
  if (context.options.CheckMS) {
    events.msTablesMissing =
        OutMsStep(w.ms, ++w.stepIndex, layer, dx, f, (energy + next) / 2.0,
                  static_cast<double>(ion.z), context) == MsStepStatus::kTablesMissing;
  }
  PathState& out = w.out;
  out.correctedEnergyLoss = r * out.correctedEnergyLoss + (sA + sC) / 2.0 * dx;
  out.energyLossSum += (sA + sC) / 2.0 * dx;
  double reached = next;
  if (context.options.CheckStraggling) {
    const double v = atNext && std::fabs(f) >= 1e-12
                         ? tables->straggling[li].At(*atNext) * (dx / f)
                         : OutStraggling(li, layer, dx, f, ion, reached, context);
    out.straggling = CarryStraggling(out.straggling, r, v);
  }
  if (!context.fullSpectrumSteps && reached < context.thr) {
    reached = context.thr;
    events.belowThreshold = true;
  }
  out.transferFactor *= r;
  out.stoppingStart = sA;
  out.stoppingEnd = sC;
  out.stoppingRatio = r;
  w.energy = reached;
  // sC was looked up at `next`; a threshold raise ends the walk before it is reused.
  w.carried = sC;
  w.haveCarried = reached == next;
  return events;
}

double OutwardStartStraggling(const Layer& layer, double energy, double stopping,
                              const PathContext& context) {
  return StartStraggling(layer, context.emitted, energy, stopping, context);
}

double OutwardStopping(std::size_t li, double energy, const PathContext& context,
                       std::string* note) {
  return OutStopping(li, context.sample.layers[li], context.emitted, energy, context, note);
}

double IncidentStraggling(const RunState& run, const PathContext& context, double energy) {
  const Layer* layer = CurrentLayer(run, context);
  if (layer == nullptr) return 0.0;
  const Ion& ion = context.incident;
  return LayerStraggling(*layer, run.step, run.geometry.sinAlpha, ion.mass, ion.chargeState, ion.z,
                         energy, context.options, context.stopping.elements);
}

void InwardStep(RunState& run, const PathContext& context, const KinematicsAt& kinematics) {
  const Layer* layer = CurrentLayer(run, context);
  const Ion& ion = context.incident;
  const double sinAlpha = run.geometry.sinAlpha;
  const double dx = run.step;
  PathState& in = run.in;
  double energy = in.energy;

  // Predictor: stopping at the start and at the end of the step.
  double sStart = layer != nullptr ? Stopping(*layer, ion, energy, context, run) : 0.0;
  const double predicted = energy - sStart * dx / sinAlpha;
  const double sEnd = layer != nullptr ? Stopping(*layer, ion, predicted, context, run) : 0.0;

  if (energy < context.thr) {
    energy = context.thr;
    if (run.thresholdCounter == 0) run.stopDepth = run.depth - run.step;
  }

  if (run.depth < kZeroTolerance) {
    // First call, at the surface: the path starts here.
    const double surfaceStopping = sStart;
    sStart = sEnd;
    in.stoppingRatio = 1.0;
    in.transferFactor = 1.0;
    in.correctedEnergyLoss = 0.0;
    in.energyLossSum = 0.0;
    in.straggling =
        layer != nullptr ? StartStraggling(*layer, ion, energy, surfaceStopping, context) : 0.0;
  } else {
    const double startEnergy = energy;
    const double meanStopping = (sStart + sEnd) / 2.0;
    energy -= meanStopping * dx / sinAlpha;  // corrector
    const double r = StoppingRatio(context.options.Checktschalar, sStart, sEnd);
    in.stoppingRatio = r;
    in.transferFactor *= r;
    in.correctedEnergyLoss = r * in.correctedEnergyLoss + meanStopping * dx;
    in.energyLossSum += meanStopping * dx;
    if (context.options.CheckStraggling) {
      in.straggling =
          CarryStraggling(in.straggling, r, IncidentStraggling(run, context, startEnergy));
    }
  }
  in.stoppingStart = sStart;
  in.stoppingEnd = sEnd;

  if (context.options.CheckMS && layer != nullptr) {
    NoteMsStatus(IncomingMsStep(run.msIn, *layer, run.depth, dx, sinAlpha, energy,
                                static_cast<double>(ion.z), context.tables),
                 run);
  }

  if (energy < context.thr) {
    energy = context.thr;
    run.RaiseThreshold(run.depth - run.step);
  }
  in.energy = energy;

  // The reaction at the reached energy.
  run.kinematicFactor = kinematics ? kinematics(energy) : 0.0;
  run.reactionEnergy = run.kinematicFactor * energy;
  run.stoppingTerm = run.kinematicFactor * sEnd / sinAlpha;
}

void OutwardPath(RunState& run, const PathContext& context) {
  run.out = PathState{};
  run.out.stoppingStart = 1.0;
  run.msOut = MsState{};
  const Layer* layer = CurrentLayer(run, context);
  const Ion& ion = context.emitted;
  const double f = run.geometry.OutwardFactor();
  const double e0 = run.reactionEnergy;
  double energy = e0;
  run.out.energy = e0;

  double stepLength = OutwardStepLength(run, context, layer);
  // Without a usable step length every layer is crossed in one step.
  if (!(stepLength > kZeroTolerance)) stepLength = std::numeric_limits<double>::infinity();

  if (layer != nullptr) {
    const double s0 =
        OutStopping(run.currentLayer, *layer, ion, e0, context, &run.StoppingSourceNote);
    if (run.geometry.GeometryKind == 'T') {
      run.stoppingTerm = s0 / f - run.stoppingTerm;
      TransmissionWalk(energy, stepLength, run, context);
    } else if (run.depth > kZeroTolerance) {
      run.stoppingTerm += s0 / f;
      run.out.straggling = StartStraggling(*layer, ion, e0, s0, context);
      ReflectionWalk(energy, stepLength, run, context);
    }
  }

  // Leaving the sample.
  if (energy < context.thr) energy = context.thr;
  run.out.energy = energy;
  run.sampleExitEnergy = energy;

  // Through the absorber foil, by its table.
  run.absorberStoppingEntry = 1.0;
  run.absorberStoppingExit = 1.0;
  run.detectedEnergy = energy;
  if (context.absorber.empty() || ion.z < 1) return;
  const AbsorberPassage passage = InterpolateAbsorber(run.absorberTable, energy);
  if (passage.stopped) {
    run.detectedEnergy = context.thr;
    if (run.thresholdCounter == 0) run.RaiseThreshold(run.depth - run.step);
    return;
  }
  double exitEnergy = passage.exitEnergy;
  ApplyThreshold(exitEnergy, run, context);
  const Layer& first = context.absorber.layers.front();
  run.absorberStoppingEntry = Stopping(first, ion, energy, context, run);
  run.absorberStoppingExit = Stopping(first, ion, exitEnergy, context, run);
  run.detectedEnergy = exitEnergy;
}

}  // namespace dodavev
