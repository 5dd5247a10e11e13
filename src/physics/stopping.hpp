// Stopping powers of layers for ions: the ZBL electronic stopping from the element
// coefficients (helium fits, proton fits scaled by the heavy-ion effective charge, with the
// low-velocity extrapolation), the ZBL universal nuclear stopping for ions heavier than
// helium, or values interpolated in user-supplied SRIM 2003 tables; summed over a layer's
// components by Bragg additivity.
//
// Units: element stopping in eV/(1e15 atoms/cm2), energies in keV, masses in amu, energy
// per mass in keV/amu, layer stopping in keV/micron.
#pragma once

#include <string>
#include <string_view>

#include "model/element_table.hpp"
#include "model/layer_structure.hpp"

namespace dodavev {

struct SrimTableSet;
class DataRangeNotes;

// Which source the last component of a layer took its stopping from.
inline constexpr std::string_view kNoteZbl92 = "ZBL-92 data used ";
inline constexpr std::string_view kNoteSrim = "SRIM 2003 data used";
inline constexpr std::string_view kNoteSrimNoEnergy = "no SRIM 2003 data for all energy";
inline constexpr std::string_view kNoteSrimNoIon = "no SRIM 2003 data for all ions";

// An ion on its path: atomic number, mass (amu) and charge state.
struct Ion {
  int z = 0;
  double mass = 0.0;
  double chargeState = 0.0;
};

// Where element stopping powers come from. `srimTables` is read only when
// `useSrimTables` is set ("ZBL 2003 from files"); otherwise the ZBL formulas are used.
struct StoppingModel {
  const ElementTable& elements;
  const SrimTableSet* srimTables = nullptr;
  bool useSrimTables = false;
  // ZBL nuclear stopping also for hydrogen and helium ions (always added for heavier ions).
  bool nuclearForLightIons = false;
  // Where the run notes that a table did not cover an energy or an ion (none: not noted).
  // A model with notes belongs to one run and one thread.
  DataRangeNotes* notes = nullptr;
};

// x^p for the fitted power laws; a base at or below 1e-10 gives 0 (the fits are only used
// with positive bases, and a vanishing base means a vanishing term).
double FitPower(double base, double exponent);

// Square of the effective charge (zeta z1)^2 of ion z1 moving at `ePerAmu` keV/amu in
// target element z2 (ZBL heavy-ion scaling). `lowVelocity` tells whether the velocity was
// clamped to the low-velocity limit. 0 for a vanishing energy or an unknown element.
double HeavyIonChargeFactor(int z1, int z2, double ePerAmu, bool& lowVelocity,
                            const ElementTable& elements);

// ZBL electronic stopping of ion (z1, m1) at e keV in target element z2, eV/(1e15 at/cm2).
// 0 when either element is unknown or the ion mass vanishes.
double ElectronicStoppingZbl(int z2, int z1, double m1, double e, const ElementTable& elements);

// ZBL universal nuclear stopping, eV/(1e15 atoms/cm2); m2 the target mass, m1 the ion mass.
double NuclearStoppingZbl(int z1, int z2, double e, double m2, double m1);

// Stopping power of one layer, keV/micron, for ion (z1, m1) at e keV. 0 without a layer,
// below 2e-10 keV, or for a layer without atoms. When `note` is given it receives the
// source note of the last component.
double LayerStopping(const Layer* layer, int z1, double m1, double e, const StoppingModel& model,
                     std::string* note = nullptr);
inline double LayerStopping(const Layer& layer, int z1, double m1, double e,
                            const StoppingModel& model, std::string* note = nullptr) {
  return LayerStopping(&layer, z1, m1, e, model, note);
}

}  // namespace dodavev
