// Two-body kinematics of the detected particle: the kinematic factor K (emitted energy per
// incident energy) and its angular derivative K' = dK/dtheta, for elastic scattering,
// elastic recoils and nuclear reactions with a Q-value. Non-relativistic; masses are mass
// numbers; energies keV (Q-values and level energies MeV); angles radians.
#pragma once

#include <optional>
#include <span>

#include "engine/reaction_identification.hpp"

namespace dodavev {

struct ReactionMasses {
  double incident = 0.0;  // M1, the beam ion
  double emitted = 0.0;   // M2, the detected particle
  double target = 0.0;    // Mt, the struck nucleus
};

struct KinematicFactor {
  double K = 0.0;
  double dK = 0.0;  // dK/dtheta, per radian
};

// Elastic scattering of the incident ion (mass m1) on a target of mass mt. `rootSign`
// (+1 or -1) chooses the branch of the square root; the -1 branch exists only for a
// target lighter than the ion. K = 0 where no scattered ion reaches the angle.
KinematicFactor ElasticFactor(double theta, double m1, double mt, int rootSign);

// Recoil of the target atom (mass m2) struck by the ion (mass m1), detected at theta.
// Recoils go forward only: K = 0 for theta of 90 degrees or more.
KinematicFactor RecoilFactor(double theta, double m1, double m2);

struct QValueResult {
  double emittedEnergy = 0.0;  // keV
  double K = 0.0;              // dE3/dE1, the change of emitted with incident energy
  double dK = 0.0;             // d(E3/E1)/dtheta, per radian
};

// Emitted energy of a reaction M1 + Mt -> M2 + (M1 + Mt - M2) with Q-value `qMeV` for an
// incident energy `eKeV`, detected at `theta`. All zero where the reaction cannot send a
// particle to that angle (below the threshold, beyond the largest angle, a negative root,
// or no incident energy). Cheap enough for every depth step.
QValueResult QValueKinematics(double theta, double qMeV, double eKeV, const ReactionMasses& m);

struct KinematicsInput {
  ReactionKind kind = ReactionKind::kRbs;
  ReactionMasses masses;
  double theta = 0.0;  // radians
  double e0 = 0.0;     // keV, energy of the incident ion
  double qm = 0.0;     // MeV, ground-state Q-value
  int level = 0;       // excitation level of the residual nucleus, 0 = ground state
  std::span<const double> levelEnergies;  // MeV, level 0 first, from the level file
  int kinSign = 1;                        // root branch of forward scattering
  bool excitationCurve = false;           // kExcitationCurve: K' is not used there and is 0
};

struct KinematicState {
  double K = 0.0;
  double dK = 0.0;             // per radian
  double surfaceEnergy = 0.0;  // keV, emitted energy for a reaction at the surface
  double effectiveQ = 0.0;     // MeV, Q minus the energy of the level (reactions)
  double emittedEnergy = 0.0;  // keV, from the Q-value kinematics (reactions)
  bool levelKnown = true;      // false: the level is not in the level list; all zero
};

// Energy of excitation level `level` (MeV): 0 for the ground state even without a level
// list; nothing for a level the list does not hold.
std::optional<double> LevelEnergy(std::span<const double> levelEnergies, int level);

// K, K' and the surface energy of the emitted particle for the given kind of analysis.
KinematicState Kinematics(const KinematicsInput& in);

}  // namespace dodavev
