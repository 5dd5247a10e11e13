// The two paths of one depth step of the resolution calculation: the incident ion slowing
// down from the previous depth to the current one (inward step), and the emitted particle
// from the reaction point out of the sample and through the absorber foil to the detector
// (outward path). Both accumulate energy loss, stopping ratios and straggling (FWHM^2) in
// the run's path states.
#pragma once

#include <functional>

#include "model/layer_structure.hpp"
#include "model/physics_tables.hpp"
#include "physics/stopping.hpp"
#include "physics/straggling.hpp"

namespace dodavev {

struct RunState;
struct OutwardTables;
class OutwardColumns;

// Everything the paths read besides the run state; fixed for one run.
struct PathContext {
  const LayerStructure& sample;
  const LayerStructure& absorber;
  const StoppingModel& stopping;
  const PhysicsTables& tables;  // multiple-scattering tables
  TransportOptions options{};
  Ion incident{};         // z1, m1, chargestate_in
  Ion emitted{};          // z2, m2, chargestate_out
  double thr = 0.0;       // keV, threshold energy
  double xCorr = 0.0;     // atoms/cm2, charge-state correction depth "corr.X"
  double itlength = 0.0;  // atoms/cm2, iteration length of the full-spectrum simulation
  // Full-spectrum stepping: outward steps are the iteration length turned into a depth,
  // and the outward path in reflection does not apply the threshold.
  bool fullSpectrumSteps = false;
  // A spectrum run's tables of the emitted particle's stopping and straggling per sample
  // layer; with them the outward path also keeps only the parts of its multiple-scattering
  // state that its spread is made of. None: every value from the formulas.
  const OutwardTables* outwardTables = nullptr;
  // A spectrum run's walks of the emitted particle up through the layer it starts in, by
  // starting energy and number of steps (owned by the run, filled as the walk needs them).
  // None: the outward path walks that layer from every depth.
  OutwardColumns* firstLayerColumns = nullptr;
};

// Kinematic factor K (emitted energy / incident energy) for a reaction of an incident ion
// of the given energy (keV). Constant for elastic processes; the Q-value kinematics at that
// energy for nuclear reactions.
using KinematicsAt = std::function<double(double incidentEnergy)>;

// Straggling FWHM^2 of the incident ion over one depth step of the current sample layer at
// `energy` keV (path length step / sin(alpha)).
double IncidentStraggling(const RunState& run, const PathContext& context, double energy);

// Advances the incident ion by one depth step (the walk has already advanced the depth by
// run.step) and evaluates the kinematics at the reached energy: sets run.in, the reaction
// energy of the emitted particle, K and the inward part of the stopping term. At depth 0
// only the predictor runs and the path state starts. Energies below the threshold are
// raised to it and raise the threshold counter.
void InwardStep(RunState& run, const PathContext& context, const KinematicsAt& kinematics);

// Follows the emitted particle from the reaction at the current depth to the detector:
// back to the surface (reflection) or on to the back of the sample (transmission), then
// through the absorber foil by its table. Rebuilds run.out and run.msOut and sets the
// sample exit energy, the detected energy and the two absorber stopping values.
void OutwardPath(RunState& run, const PathContext& context);

}  // namespace dodavev
