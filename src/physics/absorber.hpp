// The absorber foil in front of the detector: transport of an ion through the whole foil
// with its energy straggling (Tschalar: each element's straggling carried to the exit with
// the square of the stopping ratio, plus the foil's thickness inhomogeneity), and the
// 40-row table of exit energies that the outward path interpolates.
//
// Units: keV, micron, keV/micron; straggling as FWHM^2 (keV^2) or sigma (keV) as named.
#pragma once

#include <array>
#include <vector>

#include "model/layer_structure.hpp"
#include "physics/stopping.hpp"
#include "physics/straggling.hpp"

namespace dodavev {

inline constexpr int kAbsorberRows = 40;
// Highest entry energy of the foil table, keV.
inline constexpr double kAbsorberTopEnergy = 200000.0;

struct AbsorberRow {
  double entryEnergy = 0.0;  // keV
  double exitEnergy = 0.0;   // keV
  double sigma = 0.0;        // keV, straggling standard deviation (FWHM / 2.35)
};

// Rows 1..40 at indices 0..39. All zero when there is no foil. `opaque` marks a foil that
// stops every particle up to the table's top energy (its rows then hold no transport).
struct AbsorberTable {
  std::array<AbsorberRow, kAbsorberRows> rows{};
  bool opaque = false;

  const AbsorberRow& row(int k) const { return rows.at(static_cast<std::size_t>(k - 1)); }
};

// The incident ion slowing down in the foil's first layer, one row per point of the
// "energy loss" report; row i at index i - 1, at most 299 rows.
struct EnergyLossRow {
  double depth = 0.0;       // micron into the foil
  double energy = 0.0;      // keV
  double stopping = 0.0;    // keV/micron
  double straggling = 0.0;  // keV, FWHM
};
inline constexpr int kEnergyLossRowLimit = 300;  // rows are numbered below this
struct EnergyLossTable {
  std::vector<EnergyLossRow> rows;
};

// What the foil transport needs besides the foil and the particle.
struct FoilSettings {
  double x = 0.05;  // micron, the iteration step (at least 0.05 is used)
  double ho = 0.0;  // micron, foil thickness inhomogeneity
  TransportOptions options;
};

// Result of one walk through the foil.
struct FoilTransport {
  double entryEnergy = 0.0;        // keV
  double exitEnergy = 0.0;         // keV; 1e-10 for a particle stopped in the foil
  double exitStopping = 0.0;       // keV/micron in the last layer at the exit energy
  double stragglingWithout = 0.0;  // keV^2, FWHM^2 without inhomogeneity
  double stragglingWith = 0.0;     // keV^2, FWHM^2 including the inhomogeneity
  double endPosition = 0.0;        // micron, end of the last layer walked
  bool complete = true;            // false when the foil needed too many steps to follow
};

// Most steps one foil walk takes; a foil needing more (metres of dilute matter) is not
// followed to its end and the result is marked incomplete.
inline constexpr long kMaxFoilSteps = 2000000;

// Follows `particle` entering the foil with `entryEnergy` keV through all its layers.
FoilTransport AbsorberTransport(double entryEnergy, const LayerStructure& foil, const Ion& particle,
                                const FoilSettings& settings, const StoppingModel& model);

// Fills the foil table for the emitted particle. Returns 1, or 0 when a foil walk could
// not be completed (the table is then still filled from what was walked).
int BuildAbsorberTable(AbsorberTable& table, const LayerStructure& foil, const Ion& particle,
                       const FoilSettings& settings, const StoppingModel& model);

// Exit energy and straggling behind the foil for an entry energy above row 3 of the
// table, interpolated quadratically in ln(entry - E1) (E1 the entry energy of row 1) over
// the three rows around the entry energy.
struct AbsorberPassage {
  bool stopped = false;  // the particle does not get through (entry not above row 3)
  double exitEnergy = 0.0;
  double sigma = 0.0;  // keV
};
AbsorberPassage InterpolateAbsorber(const AbsorberTable& table, double entryEnergy);

// Exit energy for entry energies beyond the table: ten sub-steps through the last foil
// layer. Energies are kept at or above `thr`; `belowThreshold` counts the sub-steps that
// fell below it (the walk raises its threshold counter once for each).
struct FoilExit {
  double energy = 0.0;
  int belowThreshold = 0;
};
FoilExit FoilExitEnergyDirect(double energy, const LayerStructure& foil, const Ion& particle,
                              double thr, const StoppingModel& model);

}  // namespace dodavev
