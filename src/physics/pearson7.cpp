#include "physics/pearson7.hpp"

#include <cmath>
#include <numbers>

namespace dodavev {

namespace {
constexpr double kGaussianLikeShape = 100.0;
}

PearsonVII::PearsonVII(double fwhm, double shape, double binWidth)
    : binWidth_(binWidth), narrow_(!(std::fabs(fwhm) >= binWidth) || fwhm == 0.0) {
  // Unusable shapes (none, negative, beyond the Gaussian-like limit) become that limit.
  shape_ = (std::fabs(shape) <= 1e-10 || !(shape > 0.0) || shape > kGaussianLikeShape)
               ? kGaussianLikeShape
               : shape;
  if (narrow_) return;
  const double width = std::fabs(fwhm);
  const double q = std::pow(2.0, 2.0 / (shape_ + 1.0)) - 1.0;
  const double s = (shape_ + 1.0) / 2.0;
  peak_ =
      (2.0 / width) * std::sqrt(q / std::numbers::pi) * std::tgamma(s) / std::tgamma(shape_ / 2.0);
  reducedScale_ = 2.0 * std::sqrt(q) / width;
  exponent_ = -s;
}

double PearsonVII::Density(double x) const {
  if (narrow_) {
    return (binWidth_ > 0.0 && std::fabs(x) <= binWidth_ / 2.0) ? 1.0 / binWidth_ : 0.0;
  }
  const double u = x * reducedScale_;  // x / a, a = G / (2 sqrt(q)) the scale of the shape
  return peak_ * std::pow(1.0 + u * u, exponent_);
}

}  // namespace dodavev
