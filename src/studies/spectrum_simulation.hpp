// The spectrum simulations: "spectrum simulation", the sub-spectrum of the reaction's one
// target isotope, and "full spectrum (1)", the sum of the sub-spectra of every target
// isotope of the sample. Each sub-spectrum is one run of the depth walk in spectrum mode,
// whose printed steps add their counts to the run's simulated spectrum; with an absorber
// foil the spectrum is carried through the foil after the walk.
//
// The runs of a full spectrum are independent: they read the run inputs and write only their
// own state and results, so they go on side by side on all cores and are summed in the
// order of the isotope list, which gives the same spectrum as running them one by one.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/path.hpp"
#include "engine/resolution.hpp"
#include "engine/run_inputs.hpp"
#include "physics/absorber_spectrum.hpp"
#include "studies/parallel_scan.hpp"
#include "studies/profile.hpp"
#include "studies/spectrum_accumulation.hpp"

namespace dodavev {

// Captions of the output panel's spectrum button.
inline constexpr const char* kViewSubspectrum = "View subspectrum";
inline constexpr const char* kViewSpectrum = "View spectrum";

// Without a positive channel width no count has a channel: says so rather than show an
// empty spectrum as a result.
void WarnOfUncalibratedDetector(const ParameterValues& p, MessageSink& messages);

// Atomic density (1e22 atoms/cm3) of the run's target isotope in `layer`: the layer's
// entries of the target element, a natural one with the isotope's natural abundance. For
// backscattering only elements heavier (in Z) than the incident ion count.
double TargetIsotopeDensity(const Layer& layer, const RunState& run, int z1,
                            const ElementTable& elements);

// The spectrum stages of one run: the accumulation after every printed row and, with a
// foil, the way through the foil after the walk. One object per run.
class SpectrumRunHooks final : public RunHooks {
 public:
  explicit SpectrumRunHooks(const RunInputs& inputs);
  ~SpectrumRunHooks() override;
  SpectrumRunHooks(const SpectrumRunHooks&) = delete;  // the model points at its own notes
  SpectrumRunHooks& operator=(const SpectrumRunHooks&) = delete;

  void AccumulateSpectrum(const RunState& run, int row, RunResults& results) override;
  void CorrectAbsorberSpectrum(const RunState& run, RunResults& results) override;
  // Deeper steps add counts only while a layer at or below the current one holds the run's
  // target isotope.
  bool StepsBeyondCount(const RunState& run, int row, const RunResults& results) override;
  const DataRangeNotes* DataNotes() const override { return &notes_; }

 private:
  void Start(const RunState& run);

  const RunInputs& inputs_;
  DataRangeNotes notes_;  // cross sections and stopping of the accumulation and the foil
  StoppingModel model_;
  CrossSectionChoices choices_;
  CrossSectionRequest request_;
  std::optional<RutherfordAtAngle> rutherford_;  // the plain Rutherford case, prepared once
  std::optional<PathContext> context_;
  std::optional<SpectrumAccumulator> accumulator_;
  // Index of the deepest layer that holds the target isotope (-1: none), once looked up.
  std::optional<long> deepestTargetLayer_;
  bool foil_ = false;
  // With a foil the steps are recorded at the energies leaving the sample, on an axis
  // reaching high enough for them, and carried through the foil after the walk.
  SpectrumAxis frontAxis_;
  Spectrum front_{};
};

// One run of the depth walk in spectrum mode for `request` (`SpectrumFlag` kSpectrum, or
// kFullSpectrum with the isotope and kind of a full-spectrum run); the spectrum is in `results`.
RunOutcome RunSpectrumWalk(const RunInputs& inputs, RunRequest request, RunState& run,
                           RunResults& results, MessageSink& messages);

// One run of a full spectrum: the isotope, the mass (amu) the run takes for it, and the
// kind of analysis.
struct FullSpectrumRun {
  IsotopeNode isotope;
  double mass = 0.0;
  ReactionKind kind = ReactionKind::kRbs;
};

// The runs of a full spectrum in the order they are summed: per isotope of the list (only
// the reaction's target with the given-target option, with its mass `mt`), one run of the
// identified kind; below 90 degrees recoils and forward-scattered projectiles both arrive,
// so the kind switches between ERD and FS and each isotope runs a second time, the switched
// kind carrying over to the next isotope.
std::vector<FullSpectrumRun> PlanFullSpectrum(const RunInputs& inputs, bool givenTarget);

struct FullSpectrumResult {
  Spectrum sum{};                    // counts per keV, channels 1..number of channels
  std::unique_ptr<RunResults> last;  // reports and table of the last run that walked
  int runs = 0;                      // runs done
  bool stopped = false;              // stopped before the last run
};

// Runs the planned runs on the threads of `settings` and sums their spectra in plan order.
// `base` carries the modes and levels the set-up prepared. The runs' messages go to
// `messages` in plan order, each text once.
FullSpectrumResult SimulateFullSpectrum(const RunInputs& inputs, const RunRequest& base,
                                        const std::vector<FullSpectrumRun>& plan,
                                        const ScanSettings& settings, MessageSink& messages);

}  // namespace dodavev
