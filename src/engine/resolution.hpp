// The depth and energy resolution calculation: the walk into the sample, depth step by
// depth step. At every step the incident ion is followed in to the depth, the reaction
// happens there, the emitted particle is followed out through the rest of the sample and
// the absorber foil to the detector, and the energy-spread contributions, the effective
// stopping factor S eff and the depth resolution are reported.
//
// One run reads the session (inputs, tables, layer structures) and writes only its own
// RunState and RunResults, so runs of the studies may go on side by side.
#pragma once

#include "engine/run_state.hpp"
#include "engine/setup.hpp"
#include "model/run_results.hpp"

namespace dodavev {

class DataRangeNotes;
class MessageSink;
struct RunInputs;

// Stages of the studies that run inside the walk: the spectrum accumulation per printed
// step, the resonance yield of an excitation curve and the post-processing after the walk.
// The defaults do nothing.
class RunHooks {
 public:
  virtual ~RunHooks() = default;
  // After each printed row while the spectrum mode is kSpectrum: the step's sub-spectrum.
  virtual void AccumulateSpectrum(const RunState& /*run*/, int /*row*/, RunResults& /*results*/) {}
  // After each printed row of an excitation curve ('R'): the resonance yield of the step,
  // which becomes value 40 of the row.
  virtual double ResonanceYield(const RunState& /*run*/, int /*row*/,
                                const RunResults& /*results*/) {
    return 0.0;
  }
  // Past the 200 printed rows a spectrum or resonance walk goes on to its own stop; after
  // each such step `row` this says whether deeper steps can still add anything. A spectrum
  // walk without reports asks it after every step.
  virtual bool StepsBeyondCount(const RunState& /*run*/, int /*row*/,
                                const RunResults& /*results*/) {
    return true;
  }
  // After the walk with the spectrum mode kShown (not in an optimisation).
  virtual void PostProcessSubSpectrum(const RunState& /*run*/, RunResults& /*results*/) {}
  // After a spectrum walk ('N') when there is an absorber foil.
  virtual void CorrectAbsorberSpectrum(const RunState& /*run*/, RunResults& /*results*/) {}
  // After the walk of an excitation curve ('R').
  virtual void PostProcessResonance(const RunState& /*run*/, RunResults& /*results*/) {}
  // What the stages noted of data files that did not cover their energies (none: nothing);
  // the run tells it with its own notes at its end.
  virtual const DataRangeNotes* DataNotes() const { return nullptr; }
};

// Smallest iteration step [micron] a walk accepts (0.01 nm, a small fraction of an atomic
// layer).
inline constexpr double kMinIterationStepMicron = 1e-6;

// Most depth steps a spectrum or resonance walk takes past its printed rows before it stops
// and says so (a walk in 1e-6 micron steps through a thick sample would never end).
inline constexpr int kMaxWalkSteps = 200000;

// Lightest mass [amu] of an ion or target a walk accepts: half the proton's.
inline constexpr double kMinMassNumber = 0.5;

// How a run ended.
enum class RunOutcome {
  kWalked,           // the walk ran; the reports and the table are filled
  kBelowThreshold,   // the beam energy is below the threshold: nothing written
  kTargetNotUsable,  // full spectrum: the target cannot backscatter the ion
  kInvalidInput,     // an input makes the walk meaningless (reported)
  kKinematicGate,    // no emitted particle reaches the detector angle (K = 0)
};

// One run of the depth walk for the request. `results` is cleared first and filled with the
// two reports, the resolution table and its row count; `run` holds the state at the end.
// Messages (bad inputs, missing tables, data files that did not cover an energy, once per
// file and side) go to `messages`.
RunOutcome RunResolution(const RunInputs& inputs, const RunRequest& request, RunState& run,
                         RunResults& results, MessageSink& messages);

// What a single run tells the user when it wrote no report: "the energy of the incident
// ion is below the threshold energy" or "no emitted particle reaches the detector at this
// angle"; nothing for the other outcomes (they report themselves or walked).
void ShowRunOutcome(RunOutcome outcome, MessageSink& messages);

// The menu entry "depth and energy resolution" is depthandenergyresolution1Click
// (app/calculations.hpp).

}  // namespace dodavev
