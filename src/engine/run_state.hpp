// The state of ONE run of the depth-resolution calculation: the geometry factors set up
// before the walk, the depth cursor, the path states of the incident ion and the emitted
// particle, the multiple-scattering states and the absorber table. Each run owns its own
// RunState, so runs can go on side by side and give the same results as one after another.
#pragma once

#include <cstddef>
#include <string>

#include "physics/absorber.hpp"
#include "physics/multiple_scattering.hpp"

namespace dodavev {

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

  // Raises the threshold counter; at its first rise the walk's stop depth is set.
  void RaiseThreshold(double stopDepthAtFirstRise) {
    if (thresholdCounter == 0) stopDepth = stopDepthAtFirstRise;
    ++thresholdCounter;
  }
};

}  // namespace dodavev
