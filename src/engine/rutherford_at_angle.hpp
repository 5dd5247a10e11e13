// The Rutherford cross section of one run's reaction at its fixed detection angle: the
// angular factors (sines, cosines, the kinematic root) are worked out once, and each energy
// costs a few multiplications. The values are the same, bit for bit, as those of
// RutherfordCrossSection.
#pragma once

#include <optional>

#include "engine/cross_sections.hpp"

namespace dodavev {

struct RutherfordAtAngle {
  ReactionKind kind = ReactionKind::kNotUsable;
  int z1 = 0;
  int z2 = 0;               // target (scattering) or recoil (ERD)
  double struckMass = 0.0;  // target or recoil mass
  double projectileMass = 0.0;
  Screening screening = Screening::kNone;
  bool zero = true;       // no cross section at this angle and for these masses
  double angular = 0.0;   // scattering: the angular factor (M cos + W)^2 / sin^4
  double massRoot = 0.0;  // scattering: M W
  double cosTheta = 0.0;  // recoils
  // barn/sr at eMeV, as RutherfordCrossSection(kind, z1, z2, struckMass, projectileMass,
  // eMeV, theta, screening).
  double At(double eMeV) const;
};

RutherfordAtAngle PrepareRutherford(ReactionKind kind, int z1, int z2, double struckMass,
                                    double projectileMass, double theta, Screening screening);

// The factors of the cross section CrossSectionAt gives for `request` when that is the plain
// Rutherford cross section (elastic scattering or recoils not taken from files, and no
// helium-recoil fit); nullopt for every other choice.
std::optional<RutherfordAtAngle> PlainRutherford(const CrossSectionRequest& request,
                                                 const CrossSectionChoices& choices);

}  // namespace dodavev
