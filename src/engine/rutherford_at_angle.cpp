#include "engine/rutherford_at_angle.hpp"

#include <cmath>

namespace dodavev {

RutherfordAtAngle PrepareRutherford(ReactionKind kind, int z1, int z2, double struckMass,
                                    double projectileMass, double theta, Screening screening) {
  RutherfordAtAngle r;
  r.kind = kind;
  r.z1 = z1;
  r.z2 = z2;
  r.struckMass = struckMass;
  r.projectileMass = projectileMass;
  r.screening = screening;
  if (!(struckMass > 0.0) || !(projectileMass > 0.0)) return r;
  const double m = struckMass;
  const double m1 = projectileMass;
  const double cosT = std::cos(theta);
  const double sinT = std::sin(theta);
  switch (kind) {
    case ReactionKind::kRbs:
    case ReactionKind::kForwardScattering: {
      const double discriminant = m * m - m1 * m1 * sinT * sinT;
      if (discriminant <= 0.0) return r;
      const double w = std::sqrt(discriminant);
      // (M cos + W)^2 / sin^4. Backwards the sum cancels and sin^4 vanishes at 180 deg;
      // the same quantity written as (M^2 - M1^2)^2 / (W - M cos)^2 stays exact there. No
      // finite value at zero angle; no ion comes back from a lighter or equal target.
      if (cosT >= 0.0) {
        if (sinT == 0.0) return r;
        const double sum = m * cosT + w;
        r.angular = sum * sum / (sinT * sinT * sinT * sinT);
      } else {
        if (m <= m1) return r;
        const double diff = m * m - m1 * m1;
        const double den = w - m * cosT;
        r.angular = diff * diff / (den * den);
      }
      r.massRoot = m * w;
      r.zero = false;
      return r;
    }
    case ReactionKind::kErd:
      if (cosT <= 0.0) return r;  // recoils go forward only
      r.cosTheta = cosT;
      r.zero = false;
      return r;
    case ReactionKind::kNra:
    case ReactionKind::kNotUsable:
      break;
  }
  return r;
}

double RutherfordAtAngle::At(double eMeV) const {
  if (zero || !(eMeV > 0.0)) return 0.0;
  const double m = struckMass;
  const double m1 = projectileMass;
  const double f = ScreeningFactor(screening, z1, z2, m, m1, eMeV);
  if (kind == ReactionKind::kErd) {
    const double num = z1 * z2 * (m1 + m);
    const double den = 2.0 * m * eMeV * cosTheta;
    return kRutherfordConstant * f * num * num / (den * den * cosTheta);
  }
  const double zz = z1 * z2 / (4.0 * eMeV);
  return kRutherfordConstant * f * 4.0 * zz * zz * angular / massRoot;
}

std::optional<RutherfordAtAngle> PlainRutherford(const CrossSectionRequest& r,
                                                 const CrossSectionChoices& choices) {
  switch (r.kind) {
    case ReactionKind::kRbs:
    case ReactionKind::kForwardScattering:
      if (choices.elasticFromFiles) return std::nullopt;
      return PrepareRutherford(r.kind, r.z1, r.targetZ, r.targetMass, r.m1, r.theta,
                               choices.screening);
    case ReactionKind::kErd:
      if (choices.erdFromFiles) return std::nullopt;
      return PrepareRutherford(r.kind, r.z1, r.z2, r.m2, r.m1, r.theta, choices.screening);
    case ReactionKind::kNra:
    case ReactionKind::kNotUsable:
      break;
  }
  return std::nullopt;
}

}  // namespace dodavev
