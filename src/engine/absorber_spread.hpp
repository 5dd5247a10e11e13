// The detector side of a depth step behind an absorber foil: the energy distribution of the
// emitted particles in front of the foil is carried energy by energy through the foil
// table, widened by the foil straggling, the foil inhomogeneity and the detector
// resolution, and collected on the detector's channel grid; its half maximum gives the
// total spread at the detector.
#pragma once

#include <vector>

#include "engine/contributions.hpp"
#include "model/layer_structure.hpp"
#include "model/run_results.hpp"
#include "physics/absorber.hpp"
#include "physics/stopping.hpp"

namespace dodavev {

struct RunState;

// Channels of the work grid: -50 up to the detector's last channel, index = channel + 50.
inline constexpr int kAbsorberGridLow = -50;
inline constexpr int AbsorberGridSize(int channels) {
  return channels - kAbsorberGridLow + 1;
}
using AbsorberGrid = std::vector<double>;

struct AbsorberSpreadSettings {
  double detkevch = 7.03;  // keV per channel
  double dete0 = 185.88;   // keV at channel 0
  double ho = 0.0;         // micron, foil thickness inhomogeneity
  double thr = 0.0;        // keV, threshold energy
  bool detectorOn = true;  // detector resolution included
  DetectorResolutionCoefficients detector;
  int channels = kDefaultSpectrumChannels;  // the detector's channels, 1..16384
};

// Position (channel, fractional) where `grid` crosses half its maximum below and above the
// maximum, by linear interpolation between neighbouring channels; a side that never falls
// to half the maximum inside the grid gives no crossing.
struct HalfMaximum {
  bool found = false;      // a positive maximum exists
  double peakChannel = 0;  // channel of the maximum
  bool lowerFound = false;
  double lower = 0.0;
  bool upperFound = false;
  double upper = 0.0;
};
HalfMaximum FindHalfMaximum(const AbsorberGrid& grid);

class FoilDetectorStage final : public AbsorberStage {
 public:
  FoilDetectorStage(const AbsorberTable& table, const LayerStructure& foil, const Ion& particle,
                    const StoppingModel& model, const AbsorberSpreadSettings& settings,
                    RunState& run)
      : table_(table),
        foil_(foil),
        particle_(particle),
        model_(model),
        settings_(settings),
        run_(run) {}

  AbsorberSpread Spread(double meanEnergy, double width, double shape) override;

  // Distribution of the last spread on channels -50 to the last (index = channel + 50),
  // each channel the probability of detection there; zeros when the last spread was
  // analytic.
  const AbsorberGrid& grid() const { return grid_; }

 private:
  // Total through the foil as independent Gaussian parts, for distributions the grid
  // cannot hold (beyond the foil table, or beyond the last channel).
  double AnalyticTotal(double meanEnergy, double width, bool direct);

  const AbsorberTable& table_;
  const LayerStructure& foil_;
  Ion particle_;
  StoppingModel model_;  // by value: callers may pass a temporary
  AbsorberSpreadSettings settings_;
  RunState& run_;
  AbsorberGrid grid_;
};

}  // namespace dodavev
