#include "physics/multiple_scattering.hpp"
#include "model/units.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dodavev {

namespace {

// Power law of the reduced half-width for thick paths, and where it takes over.
constexpr double kThickSwitchTau = 2000.0;
constexpr double kThickLnAmplitude = 0.329;
constexpr double kThickExponent = 0.5731;
// ln of the power law at tau = 2000 (the thin-path branch ends 3e-5 higher there).
constexpr double kThickSwitchLnAlpha = 4.685077;

// The logarithmic TAUFIJ.DAT grid: entry k (0-based) belongs to ln(alphaRed) = -11.9 + 0.05 k.
constexpr double kTauGridStart = -11.9;
constexpr double kTauGridStep = 0.05;

// Weights of the mean reduced energy: W1 = sum dtau eps^-0.65, W2 = sum dtau eps^-1.65.
constexpr double kWeightExponent = 1.65;

// Reduced energy and reduced thickness of one layer component.
struct ComponentReduced {
  double eps = 0.0;
  double dtau = 0.0;
};

// ReducedHalfWidth through logarithms and exponentials: the bracket of the thin-path branch
// is cosh(0.2795842 ln tau + 0.5557522), and every power is taken as exp(p ln x). Four
// transcendental functions instead of three powers; the same values to rounding (1e-14).
double ReducedHalfWidthByLogs(double tau) {
  if (!(tau > kMsReducedZero)) return 0.0;
  const double lnTau = std::log(tau);
  if (tau > kThickSwitchTau) return std::exp(kThickLnAmplitude + kThickExponent * lnTau);
  const double e = std::exp(0.2795842 * lnTau + 0.5557522);
  const double lnCosh = std::log(0.5 * (e + 1.0 / e));
  return std::exp(0.03047063 + 1.202286 * lnTau - 2.2504866154811323 * lnCosh);
}

// The inversion of the half width around the table: the zero rule, the thick-path power law
// and the table's own ln 0 checks; `lnTauAt(L, i)` interpolates ln tau at L = ln alphaRed
// from the four nodes from i on.
template <class LnTauAt>
std::optional<double> InvertHalfWidth(double alphaRed, const PhysicsTables& tables,
                                      LnTauAt lnTauAt) {
  if (std::isnan(alphaRed)) return std::nullopt;
  if (alphaRed <= kMsReducedZero) return 0.0;
  const double L = std::log(alphaRed);
  if (L >= kThickSwitchLnAlpha) return std::exp((L - kThickLnAmplitude) / kThickExponent);
  if (!tables.msTauTableComplete) return std::nullopt;
  // Lowest of the four nodes, one below the interval that holds L.
  const int i = std::max(0, static_cast<int>((L - kTauGridStart) / kTauGridStep) - 1);
  const double tau = std::exp(lnTauAt(L, i));
  if (!std::isfinite(tau)) return std::nullopt;  // a table holding ln 0
  return tau;
}

// ReducedThickness with the four-point Lagrange weights of the uniform TAUFIJ.DAT grid
// written out (t in grid steps from the lowest node): no divisions; the same value to
// rounding.
std::optional<double> ReducedThicknessOnTheGrid(double alphaRed, const PhysicsTables& tables) {
  return InvertHalfWidth(alphaRed, tables, [&tables](double L, int i) {
    const double t = (L - (kTauGridStart + kTauGridStep * i)) / kTauGridStep;
    const double* y = &tables.MsTauTable[static_cast<std::size_t>(i)];
    const double t1 = t - 1.0;
    const double t2 = t - 2.0;
    const double t3 = t - 3.0;
    return (-y[0] * t1 * t2 * t3 + 3.0 * y[1] * t * t2 * t3 - 3.0 * y[2] * t * t1 * t3 +
            y[3] * t * t1 * t2) *
           (1.0 / 6.0);
  });
}

bool Positive(double v) {
  return std::isfinite(v) && v > 0.0;
}

// Advances `state` over a path of length pathLength (micron) through `layer`, using the
// incoming (screenIn) or the outgoing (screenOut) screening radius of each component.
// `restart` starts the state afresh with the first component treated. Without `meanState`
// the mean reduced energy and the equivalent thickness are not kept up.
MsStepStatus AdvanceState(MsState& state, const Layer& layer, double pathLength, double energy,
                          double ionZ, bool outgoing, bool restart, const PhysicsTables& tables,
                          bool meanState = true) {
  if (!tables.msTauTableComplete) return MsStepStatus::kTablesMissing;
  if (!Positive(energy) || !Positive(ionZ) || !std::isfinite(pathLength) || pathLength < 0.0 ||
      !Positive(layer.amountSum) || !std::isfinite(layer.density) || layer.density < 0.0) {
    return MsStepStatus::kInvalidInput;
  }
  MsState next = state;  // committed only when every component went through
  bool needInit = restart;
  for (const LayerElement& element : layer.elements) {
    const double a = outgoing ? element.screenOut : element.screenIn;
    if (element.Z <= 0 || !Positive(a)) continue;  // unknown element: no scattering centre
    if (!std::isfinite(element.amount) || element.amount < 0.0) {
      return MsStepStatus::kInvalidInput;
    }
    ComponentReduced c;
    c.eps = a * energy / (2.0 * ionZ * element.Z * kElementaryChargeSquared);
    // pi a^2 [cm2] x (c/C) N [1e22 cm^-3] x t [1e-4 cm]
    c.dtau = std::numbers::pi * a * a * (element.amount / layer.amountSum) * layer.density * 1e18 *
             pathLength;
    if (!meanState) {
      if (needInit) {
        needInit = false;
        next.halfWidthAngle = ReducedHalfWidthByLogs(c.dtau) / c.eps;
        next.totalReducedThickness = c.dtau;
      } else {
        const std::optional<double> tauBefore =
            ReducedThicknessOnTheGrid(next.halfWidthAngle * c.eps, tables);
        if (!tauBefore) return MsStepStatus::kTablesMissing;
        next.halfWidthAngle = ReducedHalfWidthByLogs(*tauBefore + c.dtau) / c.eps;
        next.totalReducedThickness += c.dtau;
      }
      next.reducedEnergy = c.eps;
      next.reducedThicknessStep = c.dtau;
      continue;
    }
    const double epsWeight = std::pow(c.eps, -kWeightExponent);
    if (needInit) {
      needInit = false;
      next.halfWidthAngle = ReducedHalfWidth(c.dtau) / c.eps;
      next.equivalentThickness = c.dtau;
      next.meanReducedEnergy = c.eps;
      next.weightSum1 = c.dtau * c.eps * epsWeight;
      next.weightSum2 = c.dtau * epsWeight;
      next.totalReducedThickness = c.dtau;
    } else {
      // Equivalent-thickness addition: the reduced thickness that gives the present angle at
      // this component's reduced energy, plus this component's thickness.
      const std::optional<double> tauBefore = ReducedThickness(next.halfWidthAngle * c.eps, tables);
      if (!tauBefore) return MsStepStatus::kTablesMissing;
      next.halfWidthAngle = ReducedHalfWidth(*tauBefore + c.dtau) / c.eps;
      next.weightSum1 += c.dtau * c.eps * epsWeight;
      next.weightSum2 += c.dtau * epsWeight;
      if (next.weightSum2 > 0.0) next.meanReducedEnergy = next.weightSum1 / next.weightSum2;
      const std::optional<double> tauEq =
          ReducedThickness(next.halfWidthAngle * next.meanReducedEnergy, tables);
      if (!tauEq) return MsStepStatus::kTablesMissing;
      next.equivalentThickness = *tauEq;
      next.totalReducedThickness += c.dtau;
    }
    next.reducedEnergy = c.eps;
    next.reducedThicknessStep = c.dtau;
  }
  state = next;
  return MsStepStatus::kApplied;
}

}  // namespace

double ReducedHalfWidth(double tau) {
  if (!(tau > kMsReducedZero)) return 0.0;
  if (tau > kThickSwitchTau) return std::exp(kThickLnAmplitude) * std::pow(tau, kThickExponent);
  const double b = std::pow(tau, 0.2795842);
  const double bracket = (std::exp(0.5557522) * b + std::exp(-0.5557522) / b) / 2.0;
  return std::exp(0.03047063) * std::pow(tau, 1.202286) * std::pow(bracket, -2.2504866154811323);
}

std::optional<double> ReducedThickness(double alphaRed, const PhysicsTables& tables) {
  return InvertHalfWidth(alphaRed, tables, [&tables](double L, int i) {
    double nodes[4];
    for (int j = 0; j < 4; ++j)
      nodes[j] = kTauGridStart + kTauGridStep * (i + j);
    double lnTau = 0.0;
    for (int j = 0; j < 4; ++j) {
      double term = tables.MsTauTable[static_cast<std::size_t>(i + j)];
      for (int l = 0; l < 4; ++l) {
        if (l != j) term *= (L - nodes[l]) / (nodes[j] - nodes[l]);
      }
      lnTau += term;
    }
    return lnTau;
  });
}

double HalfWidthSlope(double tau) {
  if (!(tau > kMsReducedZero)) return 0.5;
  return 1.202286 - 0.6292005 * std::tanh(0.2795842 * std::log(tau) + 0.5557522);
}

double MsFitValue(double tau) {
  if (!(tau > kMsReducedZero)) return 0.0;
  const double L = std::log(tau);
  return 0.05754 * L * L + 0.62037 * L + 2.0887;
}

double CombineWidths(double w1, double w2, double nu) {
  if (!Positive(nu)) return std::nan("");  // no angular distribution has such an exponent
  if (std::fabs(w2) <= kZeroTolerance) return std::fabs(w1 * std::pow(1.0 / (1.0 + 1.0 / nu), nu));
  const double r = w1 / w2;
  if (std::fabs(r) <= 1e-10) return std::fabs(w2);
  const double q = 1.0 / nu + 1.0;
  const double shifted = std::pow(std::fabs(1.0 + r), q);
  const double inner = r < -1.0 ? (shifted + 1.0) / (q * r) : (shifted - 1.0) / (q * r);
  return std::fabs(w2 * std::pow(std::fabs(inner), nu));
}

double CappedHalfWidth(double halfWidth, double limitAngle) {
  return std::min(halfWidth, limitAngle / 3.0);
}

MsStepStatus IncomingMsStep(MsState& in, const Layer& layer, double depth, double step,
                            double sinAlpha, double energy, double ionZ,
                            const PhysicsTables& tables) {
  int mode = 0;
  if (std::fabs(depth - step) < kZeroTolerance) {
    mode = 1;
  } else if (depth - step >= kZeroTolerance) {
    mode = 2;
  }
  if (mode == 0) {
    in.stepMode = 0;
    return MsStepStatus::kSkipped;
  }
  if (!Positive(sinAlpha) || !std::isfinite(step) || step < 0.0) {
    return MsStepStatus::kInvalidInput;
  }
  const MsStepStatus status =
      AdvanceState(in, layer, step / sinAlpha, energy, ionZ, false, mode == 1, tables);
  if (status == MsStepStatus::kApplied) in.stepMode = mode;
  return status;
}

MsStepStatus OutgoingMsStep(MsState& out, int stepIndex, const Layer& layer, double dx,
                            double angleFactor, double energy, double ionZ,
                            const PhysicsTables& tables) {
  if (stepIndex == 0) return MsStepStatus::kSkipped;
  if (stepIndex < 0 || !Positive(angleFactor) || !std::isfinite(dx) || dx < 0.0) {
    return MsStepStatus::kInvalidInput;
  }
  return AdvanceState(out, layer, dx / angleFactor, energy, ionZ, true, stepIndex == 1, tables);
}

MsStepStatus OutgoingMsAngleStep(MsState& out, int stepIndex, const Layer& layer, double dx,
                                 double angleFactor, double energy, double ionZ,
                                 const PhysicsTables& tables) {
  if (stepIndex == 0) return MsStepStatus::kSkipped;
  if (stepIndex < 0 || !Positive(angleFactor) || !std::isfinite(dx) || dx < 0.0) {
    return MsStepStatus::kInvalidInput;
  }
  return AdvanceState(out, layer, dx / angleFactor, energy, ionZ, true, stepIndex == 1, tables,
                      false);
}

std::string MsTablesMissingMessage(const PhysicsTables& tables) {
  if (tables.msFTableComplete && tables.msTauTableComplete) return {};
  std::string text = "multiple scattering tables missing:";
  if (!tables.msFTableComplete) text += " FMT.DAT";
  if (!tables.msTauTableComplete) text += " TAUFIJ.DAT";
  return text;
}

}  // namespace dodavev
