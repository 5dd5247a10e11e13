// The emitted particle on its way back to the surface, one step at a time: what the
// reflection walk of the outward path keeps between its steps, and the step itself. The
// outward path and the per-run tables of its first layer (outward_columns) go through the
// same step, so that both do the same arithmetic.
#pragma once

#include <cstddef>
#include <string>

#include "engine/path.hpp"
#include "engine/run_state.hpp"
#include "physics/multiple_scattering.hpp"

namespace dodavev {

struct OutwardWalker {
  double energy = 0.0;  // keV
  PathState out;        // energy loss, transfer factor and straggling gathered so far
  MsState ms;           // multiple-scattering state of the way out
  int stepIndex = 0;    // multiple-scattering steps taken (the first one starts the state)
  // Stopping at `energy` in the layer of the last step, for the next step's start.
  double carried = 0.0;
  bool haveCarried = false;
};

// What happened in one step besides the walker's advance.
struct OutwardStepEvents {
  bool noStopping = false;       // nothing slows the particle here: the step was not taken
  bool belowThreshold = false;   // the energy fell below the threshold and was raised to it
  bool msTablesMissing = false;  // a multiple-scattering step found its tables missing
};

// Advances `w` by the depth `dx` (micron) up through sample layer `li`, whose outward path
// length is dx / f: predictor-corrector energy loss, stopping-ratio correction, straggling
// and multiple scattering. `note` receives the stopping source of formula evaluations.
OutwardStepEvents ReflectionStep(OutwardWalker& w, std::size_t li, double dx, double f,
                                 const PathContext& context, std::string* note);

// The straggling an outward path starts with at `energy` in `layer` (stopping `stopping`).
double OutwardStartStraggling(const Layer& layer, double energy, double stopping,
                              const PathContext& context);

// Stopping of the emitted particle in sample layer `li` (from the run's tables where they
// cover the energy).
double OutwardStopping(std::size_t li, double energy, const PathContext& context,
                       std::string* note);

}  // namespace dodavev
