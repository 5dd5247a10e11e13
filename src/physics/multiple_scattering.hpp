// Small-angle multiple scattering of the incident ion on its way in and of the emitted
// particle on its way out, followed step by step in the reduced units of multiple-scattering
// theory: reduced energy eps = a E / (2 z Z2 e^2), reduced thickness tau = pi a^2 N t and
// reduced angle eps * alpha, with a the screening radius of the ion-target pair (the
// screenIn / screenOut of each layer component, set by the layer parser).
//
// Units: energies keV, path lengths micron, atomic densities 1e22 atoms/cm3, screening radii
// cm, angles radians.
#pragma once

#include <optional>
#include <string>

#include "model/layer_structure.hpp"
#include "model/physics_tables.hpp"

namespace dodavev {

// e^2 in keV cm.
inline constexpr double kElementaryChargeSquared = 1.439968e-10;
// Reduced thicknesses and reduced angles at or below this are taken as zero.
inline constexpr double kMsReducedZero = 1e-10;

// Angular state of one particle along its path (one for the way in, one for the way out).
// Reset to zero (`MsState{}`) at the start of every run; the way-out state is rebuilt by
// every outward path.
struct MsState {
  double halfWidthAngle = 0.0;         // alpha: half width at half maximum, radians
  double reducedEnergy = 0.0;          // eps of the last component treated
  double reducedThicknessStep = 0.0;   // delta tau of the last component treated
  double totalReducedThickness = 0.0;  // sum of all delta tau of the path
  double weightSum1 = 0.0;             // W1 = sum of delta tau eps^-0.65
  double weightSum2 = 0.0;             // W2 = sum of delta tau eps^-1.65
  double meanReducedEnergy = 0.0;      // W1 / W2
  double equivalentThickness = 0.0;    // reduced thickness giving alpha at the mean energy
  int stepMode = 0;                    // way in: 0 at depth 0, 1 at the first step, 2 afterwards
};

// What a step function did.
enum class MsStepStatus {
  kApplied,        // the state was advanced
  kSkipped,        // nothing to do (depth 0 on the way in, step index 0 on the way out)
  kTablesMissing,  // TAUFIJ.DAT was not read completely; the state is unchanged
  kInvalidInput,   // energy, ion charge, angle factor, step or layer unusable; state unchanged
};

// Reduced half-width angle of the angular distribution after a reduced thickness tau
// (0 for tau <= 1e-10; a power law above tau = 2000).
double ReducedHalfWidth(double tau);

// Inverse of ReducedHalfWidth by four-point Lagrange interpolation in the logarithmic table
// of TAUFIJ.DAT (power law above the switch point). nullopt when the table is needed but
// was not read completely.
std::optional<double> ReducedThickness(double alphaRed, const PhysicsTables& tables);

// d ln(ReducedHalfWidth) / d ln(tau): the exponent nu of the angular distribution of a path of
// reduced thickness tau (0.5 for tau <= 1e-10).
double HalfWidthSlope(double tau);

// Shape parameter m of the multiple-scattering energy distribution of a path of reduced
// thickness tau: 0.05754 ln^2 tau + 0.62037 ln tau + 2.0887 (0 for tau <= 1e-10).
double MsFitValue(double tau);

// Width of the energy distribution produced by an angular distribution of exponent nu
// through a path coefficient w1 and an energy coefficient w2 (both per unit angle).
double CombineWidths(double w1, double w2, double nu);

// The reported half-width with the lateral spread correction: the smaller of the half-width
// and a third of the limiting angle (entrance angle, or the smaller exit angle).
double CappedHalfWidth(double halfWidth, double limitAngle);

// Incoming step: the incident ion (atomic number ionZ, energy keV) crosses a depth step of
// length `step` (micron) of `layer` at the incidence factor sinAlpha; `depth` is the depth
// reached (micron). Sets the step mode and adds every component of the layer by the
// equivalent-thickness rule. Components with an unknown element (Z or screening radius not
// positive) are passed over.
MsStepStatus IncomingMsStep(MsState& in, const Layer& layer, double depth, double step,
                            double sinAlpha, double energy, double ionZ,
                            const PhysicsTables& tables);

// Outgoing step `stepIndex` (1 for the first step of an outward path, which restarts the
// state; 0 does nothing) of the emitted particle (atomic number ionZ, mean energy of the
// step in keV) over a depth step dx (micron) of `layer`; the path length is
// dx / angleFactor with angleFactor = sin b1 sin b2 of the exit direction.
MsStepStatus OutgoingMsStep(MsState& out, int stepIndex, const Layer& layer, double dx,
                            double angleFactor, double energy, double ionZ,
                            const PhysicsTables& tables);
// The same step advancing only the half-width angle and the total reduced thickness (what
// the spread of the outward path is made of): the mean reduced energy and the equivalent
// thickness at it stay as they were, which saves two power laws and a table inversion per
// component.
MsStepStatus OutgoingMsAngleStep(MsState& out, int stepIndex, const Layer& layer, double dx,
                                 double angleFactor, double energy, double ionZ,
                                 const PhysicsTables& tables);

// Message for the user when the multiple-scattering tables are missing, naming the files;
// empty when both were read completely.
std::string MsTablesMissingMessage(const PhysicsTables& tables);

}  // namespace dodavev
