// Energy-loss straggling of an ion crossing a layer: Bohr straggling with the optional Chu
// correction (electron binding) and the Yang correction (effective charge and charge-state
// correlation). Straggling is carried as the square of the FWHM (keV^2).
#pragma once

#include "model/element_table.hpp"
#include "model/layer_structure.hpp"
#include "model/units.hpp"

namespace dodavev {

struct StoppingModel;

// The switches of the "Options" page that act on transport along a path.
struct TransportOptions {
  bool CheckStraggling = true;  // energy straggling on
  bool CheckChu = true;         // Chu correction
  bool CheckYang = true;        // Yang correction
  bool Checktschalar = true;    // "Stopping correction": carry straggling with stopping ratios
  bool CheckMS = true;          // multiple scattering
};

// Bohr straggling FWHM^2 (keV^2) of an ion of atomic number z over `length` micron in
// target element z2 with atomic fraction `fraction` in a layer of atomic density
// `density` (1e22 atoms/cm3): 8 ln 2 x 4 pi e^4 z^2 Z2 N t.
double BohrStraggling(int z, int z2, double fraction, double density, double length);

// Chu correction factor for target element z2 at `energy` keV of an ion of `mass` amu:
// 1 + c3 u^c4 exp(-|c1| u) - exp(-|c2| u), u in MeV/amu; exactly 1 when the correction is
// off, for a hydrogen target, and for an unknown element.
double ChuFactor(double energy, int z2, double mass, bool chuOn, const ElementTable& elements);

// Yang charge-state correlation term relative to Bohr straggling (proton formula for z < 2,
// the heavy-ion formula from helium on); 0 for z <= 0 or an unknown target.
double YangTerm(int z2, double mass, int z, double energy);

// Straggling FWHM^2 (keV^2) of ion (z, mass, energy keV) over the path length
// length / divisor (micron) in `layer`. chargeState is accepted and not used; 0 when the
// divisor vanishes or the layer holds no atoms.
double LayerStraggling(const Layer& layer, double length, double divisor, double mass,
                       double chargeState, int z, double energy, const TransportOptions& options,
                       const ElementTable& elements);

// Mean effective charge of ion (z, mass) at `energy` keV in `layer`: the stoichiometric mean
// of sqrt(HeavyIonChargeFactor) over its components.
double MeanEffectiveCharge(const Layer& layer, int z, double mass, double energy,
                           const ElementTable& elements);

// FWHM (keV) of the energy spread that a charge state `chargeState` different from the
// layer's mean effective charge produces over the areal density xCorr (atoms/cm2) at the
// stopping power `stopping` (keV/micron): |q - q_mean| S xCorr 1e-18 / N. 0 for ions up to
// helium, with straggling off, or for a layer without density.
double ChargeStateSpread(const Layer& layer, int z, double mass, double chargeState, double energy,
                         double stopping, double xCorr, const TransportOptions& options,
                         const ElementTable& elements);

// One step of the straggling carry: the earlier straggling is scaled by the square of the
// stopping ratio of the step, then the step's own straggling is added.
inline double CarryStraggling(double accumulated, double ratio, double stepStraggling) {
  return ratio * ratio * accumulated + stepStraggling;
}

}  // namespace dodavev
