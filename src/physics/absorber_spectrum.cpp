#include "physics/absorber_spectrum.hpp"
#include "model/units.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace dodavev {
namespace {

// Channel contents at or below this count as empty.

double NormalCdf(double z) {
  return 0.5 * std::erfc(-z / std::numbers::sqrt2);
}

double NormalDensity(double z) {
  return std::exp(-0.5 * z * z) / std::sqrt(2.0 * std::numbers::pi);
}

// Antiderivative of the normal distribution function: d/dz G(z) = Phi(z).
double IntegratedCdf(double z) {
  return z * NormalCdf(z) + NormalDensity(z);
}

// Energy with which a particle entering the foil with `entry` keV leaves it; 0 when the
// foil stops it.
double ExitEnergy(const AbsorberTable& table, double entry) {
  const AbsorberPassage passage = InterpolateAbsorber(table, entry);
  if (passage.stopped || !(passage.exitEnergy > 0.0) || !std::isfinite(passage.exitEnergy)) {
    return 0.0;
  }
  return passage.exitEnergy;
}

}  // namespace

double BoxGaussFraction(double a, double b, double sigma, double u, double v) {
  if (b < a) std::swap(a, b);
  if (v < u) std::swap(u, v);
  const double width = b - a;
  sigma = std::fabs(sigma);
  // Sharp box: the overlap of the box with the interval.
  if (!(sigma > 1e-9 * std::max(width, 1e-12))) {
    if (!(width > 0.0)) return (a >= u && a < v) ? 1.0 : 0.0;
    return std::max(0.0, std::min(b, v) - std::max(a, u)) / width;
  }
  // A box much narrower than the Gaussian: a point at its centre.
  if (width < 1e-6 * sigma) {
    const double m = 0.5 * (a + b);
    return NormalCdf((v - m) / sigma) - NormalCdf((u - m) / sigma);
  }
  // (1/width) * integral over y in [a, b] of Phi((v - y)/s) - Phi((u - y)/s).
  const double s = sigma;
  const double f = (IntegratedCdf((v - a) / s) - IntegratedCdf((v - b) / s) -
                    IntegratedCdf((u - a) / s) + IntegratedCdf((u - b) / s)) *
                   s / width;
  return std::clamp(f, 0.0, 1.0);
}

void CarryThroughFoil(std::span<const double> front, const SpectrumAxis& frontAxis,
                      std::span<double> detected, const SpectrumAxis& detectedAxis,
                      const AbsorberTable& table, const LayerStructure& foil, const Ion& particle,
                      const StoppingModel& model, const AbsorberSpectrumSettings& settings) {
  if (foil.empty() || detected.empty()) return;
  const double kIn = frontAxis.detkevch;
  const double kOut = detectedAxis.detkevch;
  const double e0In = frontAxis.dete0;
  const double e0Out = detectedAxis.dete0;
  if (!(kIn > 0.0) || !(kOut > 0.0) || !std::isfinite(kIn) || !std::isfinite(kOut) ||
      !std::isfinite(e0In) || !std::isfinite(e0Out)) {
    return;
  }
  const double outChannels = static_cast<double>(detected.size());
  const Layer& last = foil.layers.back();
  const double ho = std::isfinite(settings.ho) ? std::fabs(settings.ho) : 0.0;

  for (std::size_t j = 0; j < front.size(); ++j) {
    const double y = front[j];
    if (!(y > kZeroTolerance) || !std::isfinite(y)) continue;
    // The channel's particles enter the foil with energies spread evenly over the channel,
    // and leave it between the exit energies of the channel's two edges.
    const double entryLow = e0In + static_cast<double>(j) * kIn;
    const double entryHigh = entryLow + kIn;
    const double exitLow = ExitEnergy(table, entryLow);
    const double exitHigh = ExitEnergy(table, entryHigh);
    if (!(exitHigh > 0.0)) continue;  // the foil stops the whole channel
    const double exitMean = 0.5 * (exitLow + exitHigh);

    // Straggling of the foil (its table), thickness inhomogeneity turned into energy by the
    // stopping at the exit, and the detector resolution at the detected energy.
    const AbsorberPassage passage = InterpolateAbsorber(table, 0.5 * (entryLow + entryHigh));
    const double foilSigma =
        passage.stopped ? InterpolateAbsorber(table, entryHigh).sigma : passage.sigma;
    const double sOut = LayerStopping(last, particle.z, particle.mass, exitMean, model);
    const double hoSigma = sOut * ho / kFwhmPerSigma;
    double detectorSigma = 0.0;
    if (settings.detectorFwhm) {
      const double d = settings.detectorFwhm(exitMean);
      if (d > 0.0 && std::isfinite(d)) detectorSigma = d / kFwhmPerSigma;
    }
    double sigma =
        std::sqrt(foilSigma * foilSigma + hoSigma * hoSigma + detectorSigma * detectorSigma);
    if (!std::isfinite(sigma)) sigma = 0.0;

    // Channels the folded box can reach (six standard deviations beyond its edges).
    const double firstChannel = std::floor((exitLow - 6.0 * sigma - e0Out) / kOut);
    const double lastChannel = std::floor((exitHigh + 6.0 * sigma - e0Out) / kOut);
    if (lastChannel < 0.0 || firstChannel >= outChannels) continue;
    const auto lo = static_cast<std::size_t>(std::max(firstChannel, 0.0));
    const auto hi = static_cast<std::size_t>(std::min(lastChannel, outChannels - 1.0));
    const double counts = y * kIn;
    for (std::size_t c = lo; c <= hi; ++c) {
      const double u = e0Out + static_cast<double>(c) * kOut;
      detected[c] += counts * BoxGaussFraction(exitLow, exitHigh, sigma, u, u + kOut) / kOut;
    }
  }
}

void AbsorberSpectrumCorrection(std::span<double> spectrum, const SpectrumAxis& axis,
                                const AbsorberTable& table, const LayerStructure& foil,
                                const Ion& particle, const StoppingModel& model,
                                const AbsorberSpectrumSettings& settings) {
  if (foil.empty() || spectrum.empty()) return;
  if (!(axis.detkevch > 0.0) || !std::isfinite(axis.detkevch) || !std::isfinite(axis.dete0)) {
    return;  // no energy axis to carry the counts on
  }
  const std::vector<double> front(spectrum.begin(), spectrum.end());
  std::fill(spectrum.begin(), spectrum.end(), 0.0);
  CarryThroughFoil(front, axis, spectrum, axis, table, foil, particle, model, settings);
}

}  // namespace dodavev
