// The spectrum of one depth step: how many emitted particles the step's slab of the target
// isotope sends into each detector channel.
//
// Stage A works on the energy of the emitted particle just after the reaction: the step's
// yield per micron at its two ends (the cross section averaged over the energy spread of
// the incident ion), and the step's distribution over the reaction energies K E .. K E_prev
// folded with the incident spread carried by K. Stage B carries the step to the detector:
// its particles fill the detected energies E_det .. E_det + L of the step (L the step's
// width in detected energy), each part folded with the detected-particle spread reported
// for the step, and the counts are scaled by the dose and the solid angle.
//
// Absolute scale: a slab of n (1e22 atoms/cm3) over a depth dx (micron) seen at incidence
// alpha with a cross section sigma (barn/sr) gives n dx sigma / sin(alpha) x 1e-6 reactions
// per incident ion and steradian; times Q/e = q1 [microC] x 1e-6 / 1.602176634e-19 ions (the
// exact elementary charge) and the solid angle Omega [msr] x 1e-3 sr this is
// n dx sigma / sin(alpha) x q1 x Omega x 10000 / 1.602176634 counts. The simulated spectrum holds
// counts per keV (channel counts / detkevch).
//
// Units: keV, micron, 1e22 atoms/cm3, barn/sr; channel positions in channels.
#pragma once

#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "engine/cross_sections.hpp"
#include "engine/rutherford_at_angle.hpp"
#include "model/run_results.hpp"
#include "model/units.hpp"
#include "physics/pearson7.hpp"

namespace dodavev {

// Detector calibration: channel c holds the detected energies from dete0 + c detkevch up to
// dete0 + (c + 1) detkevch, so an energy E lies at the position p(E) = (E - dete0)/detkevch
// and in channel floor(p).
struct ChannelCalibration {
  double dete0 = 185.88;   // keV
  double detkevch = 7.03;  // keV per channel
  double Position(double energy) const { return (energy - dete0) / detkevch; }
};

// Channel contents and yields at or below this count as empty.
inline constexpr double kEmptyChannel = kZeroTolerance;

// Counts of one channel by channel number 0..channels() (index = channel); channel 0 holds
// the energies just above dete0 and is not part of the recorded spectrum.
using ChannelCounts = Spectrum;

// The cross section of the reaction for one target isotope (barn/sr at an incident energy).
// With `rutherford` (the request's plain Rutherford cross section, prepared for the run)
// the values are that one's.
struct CrossSectionSource {
  const CrossSectionRequest* request = nullptr;
  const CrossSectionChoices* choices = nullptr;
  const CrossSectionData* data = nullptr;
  DataRangeNotes* notes = nullptr;  // what the tables did not cover (none: not noted)
  const RutherfordAtAngle* rutherford = nullptr;
  double At(double energyKeV) const {
    const double eMeV = energyKeV / 1000.0;
    if (rutherford != nullptr) return eMeV > 2e-10 ? rutherford->At(eMeV) : 0.0;
    return CrossSectionAt(*request, *choices, *data, eMeV, notes);
  }
};

// Cross section on a fine energy grid with its running integral, for the mean over the
// energies an ion passes through in one step. Fixed size: no allocation per step.
class StepCrossSection {
 public:
  static constexpr int kMaxPoints = 4096;
  // Tabulates the cross section from `low` to `high` keV at a spacing of at most `spacing`
  // (coarser when the range would need more than kMaxPoints points).
  void Tabulate(const CrossSectionSource& xs, double low, double high, double spacing);
  // Mean cross section over [e, e + width] (the value at e when width is 0).
  double Mean(double e, double width) const;

 private:
  double Integral(double e) const;  // from the grid's start to e, barn/sr keV
  double Value(double e) const;     // linear between the grid points
  double low_ = 0.0;
  double spacing_ = 1.0;
  int points_ = 0;
  std::array<double, kMaxPoints + 1> sigma_{};
  std::array<double, kMaxPoints + 1> integral_{};
};

// The cross section of one smooth source (a run's plain Rutherford cross section) on one
// grid for the whole run instead of a table per step: each octave of energy [2^(n-1), 2^n)
// keV holds 8192 nodes (a relative spacing of 1.2e-4 to 2.4e-4, where the straight line
// between nodes stays within 4e-8 of a cross section falling as 1/E^2), filled in chunks of
// 512 as the run's energies reach them, each chunk with its running integral. Linear between
// the nodes, as the step table is.
class RunCrossSection {
 public:
  // The source whose values the grid holds; a new source empties the grid.
  void Use(const CrossSectionSource& xs);
  // Mean cross section over [e, e + width] (the value at e when width is 0), e >= 1 keV.
  double Mean(double e, double width);

 private:
  static constexpr int kChunksPerOctave = 16;
  static constexpr int kNodesPerChunk = 512;
  struct Chunk {
    double base = 0.0;     // keV, energy of node 0
    double end = 0.0;      // keV, base of the next chunk (exact, as base is)
    double spacing = 0.0;  // keV
    std::array<double, kNodesPerChunk + 1> sigma{};
    std::array<double, kNodesPerChunk + 1> integral{};  // from `base`, barn/sr keV
  };
  // Key of the chunk holding e (consecutive keys are neighbouring chunks) and the chunk.
  static long KeyOf(double e);
  const Chunk& ChunkAt(long key);
  // The chunk holding e and its key: the last one looked up when it holds e (the energies of
  // one step's mean fall in few chunks), else by KeyOf and ChunkAt.
  const Chunk& ChunkOf(double e, long& key);
  // Integral of the chunk from its base up to e (e within it).
  static double Local(const Chunk& c, double e);

  const RutherfordAtAngle* source_ = nullptr;
  CrossSectionSource xs_{};
  std::vector<std::pair<long, std::unique_ptr<Chunk>>> chunks_;  // sorted by key
  const Chunk* last_ = nullptr;
  long lastKey_ = 0;
};

// Cross section (barn/sr) averaged over the incident energies of an ion beam centred at
// `centre` keV with the FWHM `fwhm` and shape `shape` (Pearson VII), each energy standing
// for the mean over the step's energy loss `stepLoss` from it upwards. The window is
// centre +- 3 fwhm in bins of w = fwhm/11 (1 keV when that is smaller); the window's two
// end bins count with the part of them that lies inside. The weights are normalised over
// the window, so a spread moves yield between energies but never loses any. A spread
// narrower than one bin gives the mean over [centre, centre + stepLoss]. `table` must cover
// the window and the step loss above it.
double SpreadAveragedCrossSection(const StepCrossSection& table, double centre, double fwhm,
                                  double shape, double stepLoss);
// The same over the run's grid.
double SpreadAveragedCrossSection(RunCrossSection& table, double centre, double fwhm, double shape,
                                  double stepLoss);

// Energy range (keV) the table must cover for SpreadAveragedCrossSection at the two ends
// of a step, and the grid spacing it needs.
struct CrossSectionRange {
  double low = 0.0;
  double high = 0.0;
  double spacing = 1.0;
};
CrossSectionRange StepCrossSectionRange(double eLow, double eHigh, double fwhm, double stepLoss);

// Adds `counts` at the channel position `centre`, folded with a Pearson VII of FWHM
// `fwhmChannels` (channels) and shape `shape`, to `target` (counts per channel). The
// density is integrated over each channel by sampling at least four points per FWHM and
// one per channel, and the weights are normalised over +-5 FWHM (at least +-half a
// channel), so the whole of `counts` is shared out; the parts landing outside channels
// 0..channels() of `target` are lost. A width below the sampling step puts everything in the
// channel of `centre`.
void FoldIntoChannels(ChannelCounts& target, double centre, double counts, double fwhmChannels,
                      double shape);

// A step's particles over an interval of channel positions from `bottom` (the end at the
// step's depth) to `top` (the end at the previous depth): the density falls or rises
// linearly from `weightBottom` to `weightTop` (relative values), the FWHM (channels) from
// `fwhmBottom` to `fwhmTop`. The interval is cut at the channel boundaries; each part
// carries its share of `counts` to its centroid and is folded there with its own width.
struct ChannelBox {
  double bottom = 0.0;
  double top = 0.0;
  double weightBottom = 1.0;
  double weightTop = 1.0;
  double fwhmBottom = 0.0;
  double fwhmTop = 0.0;
  double shape = 100.0;
};
void FoldBoxIntoChannels(ChannelCounts& target, const ChannelBox& box, double counts);

// Stretches the distribution `r` about the centre (first + last)/2 of its non-empty
// channels by the factor g (the outward path's energy-spread transfer factor), filling the
// channels the stretch passes over with the content of the nearest filled channel below;
// the result holds the same total. Nothing changes when g does not widen the distribution
// by at least one channel.
void StretchAboutCentre(ChannelCounts& r, double g);

// First and last channel of `r` above kEmptyChannel; first > last when there is none.
struct ChannelSpan {
  int first = 1;
  int last = 0;
  bool empty() const { return first > last; }
};
ChannelSpan NonEmptySpan(const ChannelCounts& r);

// Where a particle emitted at the step's depth with a given energy reaches the detector,
// for the wide case of stage B.
struct WayOutPoint {
  bool reached = false;         // false: it does not get out (stopped, below threshold)
  double detectedEnergy = 0.0;  // keV
  double fwhm = 0.0;            // keV, detected spread of a sharp emitted energy
  double shape = 100.0;
};
class WayOut {
 public:
  virtual ~WayOut() = default;
  virtual WayOutPoint Follow(double emittedEnergy) const = 0;
};

// Stage B's wide case: the outward path followed for the emitted energy of every 20th
// channel of `r` (from its first non-empty channel to 20 beyond its last, at most 30
// points); each channel of `r` goes to the detected position and spread interpolated
// linearly between its two neighbouring points, and `counts` are shared out in proportion
// to the channel contents. Points that do not get out carry nothing.
void CarryWideDistribution(ChannelCounts& target, const ChannelCounts& r, double counts,
                           const ChannelCalibration& calibration, const WayOut& wayOut);

// True when stage B must follow the way out channel by channel: an amorphous sample whose
// step distribution spans (last - first) / ((last + first) / 2) >= 200, i.e. one that
// reaches down to the lowest channels of the calibration.
bool NeedsWideCase(const ChannelSpan& span, bool monolayer);

// What one printed row of the depth walk gives the accumulation.
struct SpectrumStep {
  int row = 0;
  double depth = 0.0;            // micron, of the step's lower end
  double step = 0.0;             // micron
  double E = 0.0;                // keV, incident ion before the reaction at the depth
  double dE = 0.0;               // keV FWHM, incident spread before the reaction (value 5)
  double dEprime = 0.0;          // keV FWHM, the same at the other edge of the angular spread
  double shapeIn = 100.0;        // shape of the incident distribution (value 43)
  double K = 0.0;                // d(emitted energy)/d(incident energy)
  double reactionEnergy = 0.0;   // keV, emitted particle just after the reaction
  double transfer = 1.0;         // g, energy-spread transfer factor of the way out (value 38)
  double detectedEnergy = 0.0;   // keV, where the particles of the depth are recorded
  double detectedFwhm = 0.0;     // keV, their spread there (value 49)
  double detectedShape = 100.0;  // value 45
  double concentration = 0.0;    // 1e22 atoms/cm3 of the target isotope in the step's layer
  double sinAlpha = 1.0;
};

struct AccumulationSettings {
  ChannelCalibration calibration;
  bool monolayer = false;  // `monothick` above 2e-10: one step is one atomic layer
  // Channels of the work distributions (the spectrum's number of channels).
  int channels = kDefaultSpectrumChannels;
  // counts per (1e-6 reactions per ion and sr): q1 x solid angle [msr] x 10000 / 1.602176634.
  double countsScale = 0.0;
};

// Dose and solid angle turned into the scale of AccumulationSettings; 0 for a dose or
// solid angle that is negative or not a number.
double CountsScale(double q1, double solidAngleMsr);

// The accumulation of one run: keeps what the next step needs from the previous one (its
// incident energy, spreads, reaction and detected energies) and the work distributions.
class SpectrumAccumulator {
 public:
  explicit SpectrumAccumulator(const AccumulationSettings& settings)
      : settings_(settings), r_(settings.channels), d_(settings.channels) {}

  // Adds the step's counts (per keV) to `spectrum` (its channels from 1 up to
  // settings.channels). `wayOut` is followed
  // in the wide case; without it the normal case is used. Returns the step yield Y per
  // micron (1e22 atoms/cm3 x barn/sr), 0 for a step that adds nothing.
  double AddStep(const SpectrumStep& step, const CrossSectionSource& xs, const WayOut* wayOut,
                 Spectrum& spectrum);

  // The step's distribution over the reaction energies after the last AddStep (stage A),
  // stretched by g in the normal case; counts per channel.
  const ChannelCounts& reactionDistribution() const { return r_; }
  // Entrance and step yields of the last step (per micron).
  double entranceYield() const { return yieldIn_; }
  double stepYield() const { return yield_; }

 private:
  void Remember(const SpectrumStep& step);

  AccumulationSettings settings_;
  bool havePrevious_ = false;
  int previousRow_ = -1;
  double previousE_ = 0.0;
  double previousReactionEnergy_ = 0.0;
  double previousDetected_ = 0.0;
  double previousFwhm_ = 0.0;    // detected spread of the previous depth
  double previousMeanDE_ = 0.0;  // (dE + dE')/2 of the previous depth
  double yieldIn_ = 0.0;
  double yield_ = 0.0;
  StepCrossSection table_;
  RunCrossSection runTable_;  // with a plain Rutherford cross section
  ChannelCounts r_;
  ChannelCounts d_;
};

}  // namespace dodavev
