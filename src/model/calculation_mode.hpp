// What a calculation is and what its run does with the walk's result. The report writers,
// the chart sets and the batch mode choose by these; the letters are those the program has
// always shown for them and appear only where a mode is printed (`Letter`).
#pragma once

namespace dodavev {

enum class CalculationMode : char {
  kNone = 'Y',             // nothing calculated yet, or a geometry no particle reaches
  kDepthWalk = 'D',        // depth and energy resolution, and the spectra built on it
  kOptimisation = 'O',     // the scan over the geometries
  kExcitationCurve = 'R',  // the excitation curves of a resonance
  kEnergyLoss = 'E',       // the "energy loss" report
  kTschalar = 'T',         // the "Tschalar effect" report
};

enum class SpectrumMode : char {
  kNone = '\0',         // no spectrum and no resolution table to write
  kResolution = 'W',    // the resolution table only
  kSpectrum = 'N',      // a sub-spectrum (or a summed full spectrum) was simulated
  kFullSpectrum = 'T',  // one isotope run of a full spectrum, the target set by the request
  kShown = 'S',         // the spectrum is shown in the drawing window
  kResonance = 'R',     // the walk of an excitation curve
};

constexpr char Letter(CalculationMode mode) {
  return static_cast<char>(mode);
}
constexpr char Letter(SpectrumMode mode) {
  return static_cast<char>(mode);
}

}  // namespace dodavev
