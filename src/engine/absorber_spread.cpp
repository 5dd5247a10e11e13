#include "engine/absorber_spread.hpp"

#include <algorithm>
#include <cmath>

#include "engine/run_state.hpp"
#include "physics/pearson7.hpp"
#include "physics/straggling.hpp"

namespace dodavev {
namespace {

// Samples of the distribution in front of the foil per FWHM, and its extent in FWHM.
constexpr int kSamplesPerWidth = 10;
constexpr double kWindowWidths = 3.0;
// A Gaussian is spread over this many standard deviations on each side.
constexpr double kGaussianReach = 6.0;
// Total put in place of a distribution that is not resolved on the grid, keV.
constexpr double kUnresolvedTotal = 10000.0;

double Sq(double x) {
  return x * x;
}

// Probability that a Gaussian of standard deviation sigma around `centre` falls in
// [a, b].
double GaussianShare(double centre, double sigma, double a, double b) {
  const double k = 1.0 / (sigma * std::sqrt(2.0));
  return 0.5 * (std::erf((b - centre) * k) - std::erf((a - centre) * k));
}

}  // namespace

HalfMaximum FindHalfMaximum(const AbsorberGrid& grid) {
  HalfMaximum h;
  if (grid.empty()) return h;
  const auto peak = std::max_element(grid.begin(), grid.end());
  if (!(*peak > 0.0)) return h;
  h.found = true;
  const int p = static_cast<int>(peak - grid.begin());
  h.peakChannel = p + kAbsorberGridLow;
  const double half = *peak / 2.0;
  for (int i = p; i > 0; --i) {
    const double hi = grid[static_cast<std::size_t>(i)];
    const double lo = grid[static_cast<std::size_t>(i - 1)];
    if (lo < half) {
      h.lowerFound = true;
      h.lower = (i - 1) + (half - lo) / (hi - lo) + kAbsorberGridLow;
      break;
    }
  }
  for (int i = p; i + 1 < static_cast<int>(grid.size()); ++i) {
    const double hi = grid[static_cast<std::size_t>(i)];
    const double lo = grid[static_cast<std::size_t>(i + 1)];
    if (lo < half) {
      h.upperFound = true;
      h.upper = i + (hi - half) / (hi - lo) + kAbsorberGridLow;
      break;
    }
  }
  return h;
}

double FoilDetectorStage::AnalyticTotal(double meanEnergy, double width, bool direct) {
  double exitEnergy = 0.0;
  double sigma = 0.0;
  if (direct) {
    const FoilExit foilExit =
        FoilExitEnergyDirect(meanEnergy, foil_, particle_, settings_.thr, model_);
    for (int k = 0; k < foilExit.belowThreshold; ++k)
      run_.RaiseThreshold(run_.depth - run_.step);
    exitEnergy = foilExit.energy;
    sigma = table_.row(kAbsorberRows).sigma;
  } else {
    const AbsorberPassage pass = InterpolateAbsorber(table_, meanEnergy);
    if (pass.stopped) return kUnresolvedTotal;
    exitEnergy = pass.exitEnergy;
    sigma = pass.sigma;
  }
  const double sEntry =
      LayerStopping(foil_.layers.front(), particle_.z, particle_.mass, meanEnergy, model_);
  const double sExit =
      LayerStopping(foil_.layers.back(), particle_.z, particle_.mass, exitEnergy, model_);
  const double ratio = sEntry > 0.0 ? sExit / sEntry : 1.0;
  double d = 0.0;
  if (settings_.detectorOn) {
    d = DetectorResolution(settings_.detector, exitEnergy);
    if (!(d > 0.0)) d = 0.0;
  }
  return std::sqrt(Sq(width * ratio) + Sq(sExit * settings_.ho) + Sq(kFwhmPerSigma * sigma) +
                   Sq(d));
}

AbsorberSpread FoilDetectorStage::Spread(double meanEnergy, double width, double shape) {
  AbsorberSpread out;
  const int lastChannel = std::clamp(settings_.channels, 1, kMaxSpectrumChannels);
  grid_.assign(static_cast<std::size_t>(AbsorberGridSize(lastChannel)), 0.0);
  if (foil_.empty()) return out;
  const double h = settings_.detkevch;
  const double top = table_.row(kAbsorberRows).entryEnergy;
  if (meanEnergy + kWindowWidths * width >= top || !(h > 0.0)) {
    out.total = AnalyticTotal(meanEnergy, width, meanEnergy + kWindowWidths * width >= top);
    return out;
  }

  // The distribution in front of the foil, sampled over mean +- 3 FWHM.
  const int samples = width > 0.0 ? static_cast<int>(2.0 * kWindowWidths * kSamplesPerWidth) : 0;
  const double step = width / kSamplesPerWidth;
  const PearsonVII front(width, shape, step > 0.0 ? step : 1.0);
  for (int i = 0; i <= samples; ++i) {
    const double offset = width > 0.0 ? -kWindowWidths * width + i * step : 0.0;
    const double weight = width > 0.0 ? front.BinWeight(offset) : 1.0;
    if (!(weight > 0.0)) continue;
    const AbsorberPassage pass = InterpolateAbsorber(table_, meanEnergy + offset);
    if (pass.stopped) continue;  // these particles never reach the detector
    const double exitEnergy = pass.exitEnergy;
    const double sExit =
        LayerStopping(foil_.layers.back(), particle_.z, particle_.mass, exitEnergy, model_);
    double d = 0.0;
    if (settings_.detectorOn) {
      d = DetectorResolution(settings_.detector, exitEnergy);
      if (!(d > 0.0)) d = 0.0;
    }
    const double sigma = std::sqrt(Sq(pass.sigma) + Sq(sExit * settings_.ho / kFwhmPerSigma) +
                                   Sq(d / kFwhmPerSigma));
    const double centre = (exitEnergy - settings_.dete0) / h;  // channel position
    if (!(sigma > 1e-10)) {
      const long c = std::lround(centre);
      if (c >= kAbsorberGridLow && c <= lastChannel) {
        grid_[static_cast<std::size_t>(c - kAbsorberGridLow)] += weight;
      }
      continue;
    }
    const double reach = kGaussianReach * sigma / h;
    const long first = std::max<long>(kAbsorberGridLow, std::lround(centre - reach));
    const long last = std::min<long>(lastChannel, std::lround(centre + reach));
    for (long c = first; c <= last; ++c) {
      const double channel = static_cast<double>(c);
      grid_[static_cast<std::size_t>(c - kAbsorberGridLow)] +=
          weight * GaussianShare(centre * h, sigma, (channel - 0.5) * h, (channel + 0.5) * h);
    }
  }

  const HalfMaximum hm = FindHalfMaximum(grid_);
  if (!hm.found) {
    const AbsorberPassage pass = InterpolateAbsorber(table_, meanEnergy);
    if (pass.stopped || (pass.exitEnergy - settings_.dete0) / h < lastChannel) {
      // Nothing got through, or everything lies below the first channels: not resolved.
      out.halfWidthIndex = kAbsorberGridLow;
      out.total = kUnresolvedTotal;
      return out;
    }
  }
  if (!hm.found || !hm.upperFound) {
    // The distribution, or its upper half, lies beyond the last channel.
    std::fill(grid_.begin(), grid_.end(), 0.0);
    out.total = AnalyticTotal(meanEnergy, width, false);
    return out;
  }
  const double lower = hm.lowerFound ? hm.lower : kAbsorberGridLow;
  out.halfWidthIndex = lower;
  if (lower > 1.0) {
    out.total = (hm.upper - lower) * h;
  } else {
    out.total = hm.peakChannel < 2.0 ? kUnresolvedTotal : hm.upper * h;
  }
  return out;
}

}  // namespace dodavev
