#include "engine/outward_columns.hpp"

#include <array>
#include <cmath>
#include <string>

#include "model/units.hpp"

namespace dodavev {
namespace {

constexpr int kPoints = 6;
// Lowest node of the stencil relative to the node just below the energy.
constexpr long kBelow = 2;
// Most steps one column keeps (a longer walk in one layer is taken step by step).
constexpr std::size_t kMaxColumnSteps = 200000;

// Lagrange weights of the nodes 0..5 at x.
std::array<double, kPoints> Weights(double x) {
  // Products of (j - k) over k != j.
  constexpr std::array<double, kPoints> kDenominators{-120.0, 24.0, -12.0, 12.0, -24.0, 120.0};
  std::array<double, kPoints> w{};
  for (int j = 0; j < kPoints; ++j) {
    double numerator = 1.0;
    for (int k = 0; k < kPoints; ++k) {
      if (k != j) numerator *= x - k;
    }
    w[static_cast<std::size_t>(j)] = numerator / kDenominators[static_cast<std::size_t>(j)];
  }
  return w;
}

// Sums `weights` times the field `field` of the six states.
template <class Get>
double Mix(const std::array<const OutwardWalker*, kPoints>& s,
           const std::array<double, kPoints>& weights, Get field) {
  double sum = 0.0;
  for (std::size_t j = 0; j < kPoints; ++j)
    sum += weights[j] * field(*s[j]);
  return sum;
}

}  // namespace

OutwardColumns::Column& OutwardColumns::ColumnAt(std::size_t li, long node) {
  const auto key = std::make_pair(li, node);
  auto found = columns_.find(key);
  if (found != columns_.end()) return found->second;
  Column& c = columns_[key];
  // The walk starts as the outward path does at a reaction point.
  const double e = std::exp(static_cast<double>(node) * kLogStep);
  std::string note;
  c.walker.energy = e;
  c.walker.out.stoppingStart = 1.0;
  c.walker.out.energy = e;
  const double s0 = OutwardStopping(li, e, context_, &note);
  c.walker.out.straggling = OutwardStartStraggling(context_.sample.layers[li], e, s0, context_);
  return c;
}

bool OutwardColumns::Extend(Column& c, std::size_t li, std::size_t steps) {
  std::string note;
  while (c.states.size() < steps && !c.stopped && states_ < maxStates_) {
    const OutwardStepEvents events = ReflectionStep(c.walker, li, step_, f_, context_, &note);
    if (events.noStopping || events.belowThreshold || events.msTablesMissing) {
      c.stopped = true;  // the outward path itself notes and handles what happens here
      break;
    }
    c.states.push_back(c.walker);
    ++states_;
  }
  return c.states.size() >= steps;
}

bool OutwardColumns::After(std::size_t li, double depthInLayer, double e0, double stepLength,
                           double f, OutwardWalker& w) {
  if (context_.fullSpectrumSteps || li >= context_.sample.layers.size()) return false;
  if (!(stepLength > kZeroTolerance) || !std::isfinite(stepLength) || !(f > 0.0)) return false;
  if (step_ == 0.0) {
    step_ = stepLength;
    f_ = f;
  }
  if (stepLength != step_ || f != f_) return false;
  // The walk up through the layer must be m whole steps, as the direct walk takes them.
  const double m = std::nearbyint(depthInLayer / stepLength);
  if (!(m >= 1.0) || m > static_cast<double>(kMaxColumnSteps)) return false;
  if (!(std::fabs(depthInLayer - m * stepLength) <= kZeroTolerance)) return false;
  if (!(e0 > context_.thr) || !std::isfinite(e0) || !(e0 > 1.0)) return false;

  const double u = std::log(e0) / kLogStep;
  const double below = std::floor(u);
  const long first = static_cast<long>(below) - kBelow;
  const auto steps = static_cast<std::size_t>(m);
  std::array<const OutwardWalker*, kPoints> s{};
  for (int j = 0; j < kPoints; ++j) {
    Column& c = ColumnAt(li, first + j);
    if (!Extend(c, li, steps)) return false;
    s[static_cast<std::size_t>(j)] = &c.states[steps - 1];
  }
  const std::array<double, kPoints> weights = Weights(u - below + static_cast<double>(kBelow));

  OutwardWalker r = *s[0];
  r.energy = Mix(s, weights, [](const OutwardWalker& x) { return x.energy; });
  PathState& out = r.out;
  out.stoppingStart = Mix(s, weights, [](const OutwardWalker& x) { return x.out.stoppingStart; });
  out.stoppingEnd = Mix(s, weights, [](const OutwardWalker& x) { return x.out.stoppingEnd; });
  out.stoppingRatio = Mix(s, weights, [](const OutwardWalker& x) { return x.out.stoppingRatio; });
  out.transferFactor = Mix(s, weights, [](const OutwardWalker& x) { return x.out.transferFactor; });
  out.correctedEnergyLoss =
      Mix(s, weights, [](const OutwardWalker& x) { return x.out.correctedEnergyLoss; });
  out.energyLossSum = Mix(s, weights, [](const OutwardWalker& x) { return x.out.energyLossSum; });
  out.straggling = Mix(s, weights, [](const OutwardWalker& x) { return x.out.straggling; });
  out.energy = w.out.energy;  // the outward path sets it when the particle leaves
  MsState& ms = r.ms;
  ms.halfWidthAngle = Mix(s, weights, [](const OutwardWalker& x) { return x.ms.halfWidthAngle; });
  ms.reducedEnergy = Mix(s, weights, [](const OutwardWalker& x) { return x.ms.reducedEnergy; });
  ms.reducedThicknessStep =
      Mix(s, weights, [](const OutwardWalker& x) { return x.ms.reducedThicknessStep; });
  ms.totalReducedThickness =
      Mix(s, weights, [](const OutwardWalker& x) { return x.ms.totalReducedThickness; });
  ms.weightSum1 = Mix(s, weights, [](const OutwardWalker& x) { return x.ms.weightSum1; });
  ms.weightSum2 = Mix(s, weights, [](const OutwardWalker& x) { return x.ms.weightSum2; });
  ms.meanReducedEnergy =
      Mix(s, weights, [](const OutwardWalker& x) { return x.ms.meanReducedEnergy; });
  ms.equivalentThickness =
      Mix(s, weights, [](const OutwardWalker& x) { return x.ms.equivalentThickness; });
  // The next layer starts its own stopping look-ups.
  r.haveCarried = false;
  r.carried = 0.0;
  w = r;
  return true;
}

}  // namespace dodavev
