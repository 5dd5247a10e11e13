// The two absorber-foil calculations of the "calculations" menu: "energy loss" (the incident
// ion slowing down in the foil's first layer) and "Tschalar effect" (energy loss and energy
// spread of the emitted particle through the whole foil over a range of entry energies).
#pragma once

#include <string>
#include <string_view>

#include "model/run_results.hpp"
#include "physics/absorber.hpp"

namespace dodavev {

class MessageSink;

inline constexpr std::string_view kNoFoilForEnergyLoss =
    "Please define absorbens to calculate the energy loss of the incident ion in the absorber "
    "foil";
inline constexpr std::string_view kNoFoilForTschalar =
    "Please define absorbens to calculate Tschalar effect of the emitted particles in the "
    "absorber foil";
inline constexpr std::string_view kEnergyLossHeader =
    "ENERGY LOSS OF INCIDENT IONS IN THE ABSORBER\r\n"
    "   i       depth         E      Stopping power Straggling\r\n"
    "          [micron]     [keV]     [keV/micron]    [keV]\r\n";
inline constexpr std::string_view kTschalarHeader =
    "Tschalar-effect for the emitted ion in the absorbens\r\n"
    "                                               E-spread in the absorber foil\r\n"
    "    i      E_in        E_out         r.e.loss      without       with \r\n"
    "                                                  foil inhomogeneity\r\n";

// Smallest depth step of the "energy loss" report, micron.
inline constexpr double kEnergyLossMinStep = 0.0001;
// Shown when a foil needs more steps than a walk through it may take.
inline constexpr std::string_view kFoilTooThick =
    "the absorber foil is too thick to follow the emitted particles through it";
// Entry energy of the first row of the "Tschalar effect" report, keV.
inline constexpr double kTschalarStartEnergy = 60000.0;
// Entry-energy spacing below which the "Tschalar effect" rows are not refined further, keV.
inline constexpr double kTschalarMinSpacing = 1e-3;
// Last row of the "Tschalar effect" report (the rows go to the resolution table).
inline constexpr int kTschalarRowLimit = kResolutionRows - 1;

struct EnergyLossInputs {
  Ion incident;        // z1, m1, chargestate_in
  double e0 = 0.0;     // keV, beam energy
  double x = 0.05;     // micron, iteration step
  double xCorr = 0.0;  // atoms/cm2, "corr.X"
  TransportOptions options;
};

struct EnergyLossOutcome {
  bool ran = false;  // false without a foil (the message has been shown)
  std::string report;
  EnergyLossTable table;
  int RowCount = 0;
};

// The "energy loss" report through the first layer of `foil`; the depth step is capped at
// a hundredth of the foil's total thickness and halved while the stopping changes by more
// than 2 % over a step.
EnergyLossOutcome EnergyLossReport(const LayerStructure& foil, const EnergyLossInputs& inputs,
                                   const StoppingModel& model, MessageSink& messages);

struct TschalarOutcome {
  bool ran = false;  // false without a foil (the message has been shown)
  std::string report;
  // Rows 1..RowCount, values 1..5: entry energy, exit energy, relative energy loss, FWHM
  // spread without and with the foil inhomogeneity.
  ResolutionTable table;
  int RowCount = 0;
};

// The "Tschalar effect" report for the emitted particle: entry energies from 60000 keV
// down in quarters, refined where the relative energy loss rises by more than 0.02 from one
// row to the next, until the particle no longer gets through (or, in a foil too thick to
// follow, the walk through it needs more than kMaxFoilSteps steps).
TschalarOutcome TschalarReport(const LayerStructure& foil, const Ion& emitted,
                               const FoilSettings& settings, const StoppingModel& model,
                               MessageSink& messages);

}  // namespace dodavev
