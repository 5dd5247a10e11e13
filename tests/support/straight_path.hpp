// Independent references for the walks: the energy after a straight path through one layer
// by fourth-order Runge-Kutta over the stopping, and the elastic kinematic factor.
#pragma once

#include <algorithm>
#include <cmath>

#include "physics/stopping.hpp"

namespace dodavev::testing {

// Energy (keV) after `length` micron of `layer`, integrated in pieces of `piece` micron,
// independent of the walk's own steps and corrections.
inline double AfterStraightPath(double e, double length, const Layer& layer, int z, double m,
                                const StoppingModel& model, double piece) {
  const int n = std::max(1, static_cast<int>(length / piece));
  const double h = length / n;
  auto s = [&](double x) { return LayerStopping(layer, z, m, x, model); };
  for (int i = 0; i < n; ++i) {
    const double k1 = s(e);
    const double k2 = s(e - h * k1 / 2.0);
    const double k3 = s(e - h * k2 / 2.0);
    const double k4 = s(e - h * k3);
    e -= h * (k1 + 2.0 * k2 + 2.0 * k3 + k4) / 6.0;
  }
  return e;
}

// K = ((m1 cos theta + sqrt(m2^2 - m1^2 sin^2 theta)) / (m1 + m2))^2, theta in radians.
inline double ElasticKinematicFactor(double m1, double m2, double theta) {
  const double s = std::sin(theta);
  const double k = (m1 * std::cos(theta) + std::sqrt(m2 * m2 - m1 * m1 * s * s)) / (m1 + m2);
  return k * k;
}

}  // namespace dodavev::testing
