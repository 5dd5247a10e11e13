#include "engine/kinematics.hpp"

#include <cmath>
#include <cstddef>

namespace dodavev {

KinematicFactor ElasticFactor(double theta, double m1, double mt, int rootSign) {
  if (m1 <= 0.0 || mt <= 0.0) return {};
  const double s = rootSign < 0 ? -1.0 : 1.0;
  const double sinT = std::sin(theta);
  const double discriminant = mt * mt - m1 * m1 * sinT * sinT;
  // Beyond the largest scattering angle of an ion heavier than its target.
  if (discriminant <= 0.0) return {};
  const double root = std::sqrt(discriminant);
  // Proportional to the speed of the scattered ion along the detector direction: a root
  // that makes it negative describes no ion reaching the detector.
  const double speed = m1 * std::cos(theta) + s * root;
  if (speed <= 0.0) return {};
  const double ratio = speed / (m1 + mt);
  KinematicFactor f;
  f.K = ratio * ratio;
  f.dK = -2.0 * s * m1 * sinT / root * f.K;
  return f;
}

KinematicFactor RecoilFactor(double theta, double m1, double m2) {
  if (m1 <= 0.0 || m2 <= 0.0) return {};
  const double cosT = std::cos(theta);
  if (cosT <= 0.0) return {};  // a struck atom never recoils backwards
  const double sum = m1 + m2;
  KinematicFactor f;
  f.K = 4.0 * m1 * m2 * cosT * cosT / (sum * sum);
  f.dK = -2.0 * std::tan(theta) * f.K;
  return f;
}

QValueResult QValueKinematics(double theta, double qMeV, double eKeV, const ReactionMasses& m) {
  const double m1 = m.incident;
  const double m2 = m.emitted;
  const double mt = m.target;
  if (!(eKeV > 0.0) || m1 <= 0.0 || mt <= 0.0 || m2 < 0.0) return {};
  const double e1 = eKeV / 1000.0;  // MeV
  const double sum = m1 + mt;       // equals emitted plus residual mass
  const double massFactor = std::sqrt(m1 * m2) / sum;
  const double sqrtE1 = std::sqrt(e1);
  const double inelastic = 1.0 - (m1 + m2) / sum;
  // sqrt(E3) = a + sqrt(a^2 + b): the usual two-body solution.
  const double a = sqrtE1 * massFactor * std::cos(theta);
  const double b = inelastic * e1 + (1.0 - m2 / sum) * qMeV;
  const double d = a * a + b;
  if (d <= 0.0) return {};  // below the threshold or beyond the largest angle
  const double r = std::sqrt(d);
  const double sqrtE3 = a + r;
  if (sqrtE3 <= 0.0) return {};  // the root would be a negative speed
  const double e3 = sqrtE3 * sqrtE3;
  QValueResult out;
  out.emittedEnergy = 1000.0 * e3;
  out.K = (a / r + 1.0) * inelastic + e3 * (a / r) / e1;
  out.dK = (-2.0 * std::sin(theta) * e3 * massFactor * sqrtE1 / r) / e1;
  return out;
}

std::optional<double> LevelEnergy(std::span<const double> levelEnergies, int level) {
  if (level < 0) return std::nullopt;
  const auto index = static_cast<std::size_t>(level);
  if (index < levelEnergies.size()) return levelEnergies[index];
  if (level == 0) return 0.0;  // the ground state needs no level file
  return std::nullopt;
}

KinematicState Kinematics(const KinematicsInput& in) {
  KinematicState st;
  const ReactionMasses& m = in.masses;
  switch (in.kind) {
    case ReactionKind::kRbs: {
      // Backscattering needs a target heavier than the ion.
      if (m.target <= m.incident) break;
      const KinematicFactor f = ElasticFactor(in.theta, m.incident, m.target, 1);
      st.K = f.K;
      st.dK = f.dK;
      st.surfaceEnergy = st.K * in.e0;
      break;
    }
    case ReactionKind::kForwardScattering: {
      const KinematicFactor f = ElasticFactor(in.theta, m.incident, m.target, in.kinSign);
      st.K = f.K;
      st.dK = f.dK;
      st.surfaceEnergy = st.K * in.e0;
      break;
    }
    case ReactionKind::kErd: {
      const KinematicFactor f = RecoilFactor(in.theta, m.incident, m.emitted);
      st.K = f.K;
      st.dK = f.dK;
      st.surfaceEnergy = st.K * in.e0;
      break;
    }
    case ReactionKind::kNra: {
      const std::optional<double> levelEnergy = LevelEnergy(in.levelEnergies, in.level);
      if (!levelEnergy) {
        st.levelKnown = false;
        break;
      }
      st.effectiveQ = in.qm - *levelEnergy;
      const QValueResult q = QValueKinematics(in.theta, st.effectiveQ, in.e0, m);
      st.K = q.K;
      st.dK = q.dK;
      st.emittedEnergy = q.emittedEnergy;
      st.surfaceEnergy = q.emittedEnergy;
      break;
    }
    case ReactionKind::kNotUsable:
      break;
  }
  if (in.kind != ReactionKind::kNra) st.emittedEnergy = st.surfaceEnergy;
  if (in.excitationCurve) st.dK = 0.0;
  return st;
}

}  // namespace dodavev
