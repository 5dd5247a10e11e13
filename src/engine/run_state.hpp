// The state of ONE run of the depth-resolution calculation: the geometry factors set up
// before the walk, the depth cursor, the path states of the incident ion and the emitted
// particle, the multiple-scattering states and the absorber table. Each run owns its own
// RunState, so runs can go on side by side and give the same results as one after another.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/reaction_identification.hpp"
#include "model/calculation_mode.hpp"
#include "physics/absorber.hpp"
#include "physics/data_range_notes.hpp"
#include "physics/multiple_scattering.hpp"

namespace dodavev {

// Why the steps of a walk can no longer be reported (the closing line names it).
enum class StepProblem : int {
  kNone = 0,
  kLinearError = 2,             // the linearised treatment is off by more than 1000 %
  kSecondOrder = 3,             // an angular spread too large for a second-order correction
  kEnergyBelowSpread = 4,       // the detected energy is below a hundredth of its spread
  kAbsorberUnresolved = 5,      // the distribution behind the absorber is not resolved
  kDetectorResolutionZero = 6,  // the detector resolution reaches 0
};

// Slowing-down bookkeeping of one particle along its path. Energies keV, stopping
// keV/micron, energy losses keV/micron x micron (keV, without the angle factor), straggling
// FWHM^2 keV^2.
struct PathState {
  double energy = 0.0;               // current energy of the particle
  double stoppingStart = 0.0;        // stopping at the start of the last step
  double stoppingEnd = 0.0;          // stopping at the end of the last step
  double stoppingRatio = 1.0;        // end / start of the last step (1 without correction)
  double transferFactor = 1.0;       // product of all stopping ratios so far
  double correctedEnergyLoss = 0.0;  // each step's loss after scaling the sum by its ratio
  double energyLossSum = 0.0;        // plain sum of mean stopping x step
  double straggling = 0.0;           // accumulated FWHM^2
};

// Geometry factors the set-up provides, angles in radians.
struct RunGeometry {
  char GeometryKind = 'R';  // 'R' reflection, 'T' transmission
  double sinAlpha = 1.0;    // sine of the incidence angle to the surface
  double sinBeta1 = 1.0;    // the two sine factors of the exit direction
  double sinBeta2 = 1.0;

  // Outward path length of a depth step dx is dx / OutwardFactor().
  double OutwardFactor() const { return sinBeta1 * sinBeta2; }
};

// The engine geometry of one run, angles in radians: the incidence angle alpha (to the
// surface), the detection angle theta, the two exit angles beta_out_1/2 of the emitted
// particle, the detector's angular acceptances and the derivative factors the energy-spread
// contributions use.
struct EngineGeometry {
  double alpha = 0.0;
  double theta = 0.0;
  char GeometryKind = 'R';  // 'T' transmission (theta <= alpha), 'R' reflection
  char position = 'C';      // detector position: 'I' IBM, 'C' Cornell
  double beta1 = 0.0;       // beta_out_1
  double beta2 = 0.0;       // beta_out_2
  double sinAlpha = 1.0, cosAlpha = 0.0;
  double sinTheta = 0.0, cosTheta = 1.0;
  double sinBeta1 = 1.0, cosBeta1 = 0.0;
  double sinBeta2 = 1.0, cosBeta2 = 0.0;
  double tanTheta = 0.0;
  double cotAlpha = 0.0;
  // Shape factors (FWHM^2 per width^2) of the detector diaphragm and the beam slit.
  double fDet = 0.0;
  double fBeam = 0.0;
  // Angular acceptances (FWHM) in the scattering plane and perpendicular to it.
  double delta1 = 0.0;
  double delta2 = 0.0;
  // Path-length derivative factors and the weights of the kinematic term in the two planes.
  double gAlpha = 0.0;
  double g1 = 0.0;
  double g2 = 0.0;
  double wIn = 0.0;
  double wPerp = 0.0;
  double perpendicularBeamFactor = 0.0;
  // Exact-to-linear factors of the outgoing path length over the two edges (+ and -) of the
  // acceptance in each plane; 1 where the linear form is exact enough.
  double f1Plus = 1.0, f2Plus = 1.0, f1Minus = 1.0, f2Minus = 1.0;
  // Multiple-scattering half-width caps of the lateral spread correction.
  double msCapIn = 0.0;   // alpha / 3
  double msCapOut = 0.0;  // min(beta_out_1, beta_out_2) / 3
};

struct RunState {
  RunGeometry geometry;

  // Depth walk cursor (micron). `currentLayer` indexes the sample's layers.
  double depth = 0.0;
  double step = 0.0;         // thickness of the current step
  double nominalStep = 0.0;  // copy of the iteration step; a step is never longer
  double depthInLayer = 0.0;
  std::size_t currentLayer = 0;
  double cumulativeThickness = 0.0;

  // 0 while the walk goes on; raised when the maximum depth or the sample's end is reached
  // or an energy falls below the threshold.
  int thresholdCounter = 0;
  double stopDepth = 0.0;  // micron, 0 while the walk goes on

  PathState in;   // incident ion; in.energy is E, the energy just before the reaction
  PathState out;  // emitted particle, rebuilt by every outward path
  MsState msIn;
  MsState msOut;

  double kinematicFactor = 0.0;  // K at the current reaction energy
  double reactionEnergy = 0.0;   // keV, emitted particle's energy at the reaction point
  // keV/micron: K S_in / sin(alpha) from the inward step, then the outward stopping over
  // the outward angle factor ("S eff" numerator, the step's energy-loss factor).
  double stoppingTerm = 0.0;
  double sampleExitEnergy = 0.0;       // keV, emitted particle leaving the sample
  double detectedEnergy = 0.0;         // keV, behind the absorber (E_det)
  double absorberStoppingEntry = 1.0;  // keV/micron, first foil layer at entry energy
  double absorberStoppingExit = 1.0;   // keV/micron, first foil layer at exit energy

  AbsorberTable absorberTable;     // for the emitted particle, built by the set-up
  std::string StoppingSourceNote;  // stopping source of the last component evaluated
  bool msTablesMissing = false;    // a multiple-scattering step found its tables missing
  // Steps the outward paths of this run have walked, over all its depths: the cost of a
  // walk grows with the square of its depth steps where each way out is walked in full.
  long long outwardSteps = 0;
  // Data files that did not cover an energy, an ion or the reaction in this run; the run
  // tells the user at its end.
  DataRangeNotes dataNotes;

  // ---- The depth walk's own state -------------------------------------------------------
  EngineGeometry engine;
  CalculationMode CalcMode = CalculationMode::kDepthWalk;  // study that runs this walk
  SpectrumMode SpectrumFlag = SpectrumMode::kResolution;   // what the caller does with the result
  double e0 = 0.0;                                         // keV, incident energy of this run
  double asb = 0.0;                                        // rad, beam angular spread (FWHM)
  // Kind of analysis, target isotope and emitted particle of this run (a full-spectrum run
  // changes them).
  ReactionKind kind = ReactionKind::kRbs;
  std::string targetSymbol;  // two characters, upper case
  double mt = 0.0;
  int targetZ = 0;
  int z2 = 0;
  double m2 = 0.0;
  std::vector<double> levelEnergies;  // MeV, level 0 first, from the level file

  double kinematicDerivative = 0.0;     // K' = dK/dtheta at the current reaction energy
  double detectedEnergyFirst = 0.0;     // keV, E_det for a reaction at depth = one step
  double detectedEnergyPrevious = 0.0;  // keV, E_det of the previous step
  double Seff = 0.0;                    // keV/nm, effective stopping factor of the step
  double yieldTerm = 0.0;               // relative yield of the step (spectrum simulation)
  double targetConcentration = 0.0;     // atomic fraction of the target isotope
  // Why the steps can no longer be reported; kNone while they can.
  StepProblem ErrorCode = StepProblem::kNone;
  // Channel position of the lower half maximum of the detected-energy distribution behind
  // the absorber; 1 or less means the distribution is not resolved on its grid.
  double absorberHalfWidthIndex = 2.0;
  double absorberSigma = 0.0;            // keV, foil straggling sigma at the entry energy
  bool convolutionTableMissing = false;  // a folding found FMT.DAT missing

  // Raises the threshold counter; at its first rise the walk's stop depth is set.
  void RaiseThreshold(double stopDepthAtFirstRise) {
    if (thresholdCounter == 0) stopDepth = stopDepthAtFirstRise;
    ++thresholdCounter;
  }
};

}  // namespace dodavev
