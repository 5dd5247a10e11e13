// A simulated spectrum carried through the absorber foil in front of the detector: every
// channel's particles, recorded at the energy with which they leave the sample, lose the
// foil's energy (the foil table's exit energy), spread by the foil straggling, the foil's
// thickness inhomogeneity and the detector resolution at the energy they reach the
// detector with, and land on the detector's channels. Particles the foil stops are lost.
//
// Units: keV, micron; spectra as counts per keV in channels by index (index = channel).
#pragma once

#include <functional>
#include <span>

#include "model/layer_structure.hpp"
#include "physics/absorber.hpp"
#include "physics/stopping.hpp"

namespace dodavev {

// Energy axis of a spectrum: channel c holds the energies from dete0 + c detkevch up to the
// next channel.
struct SpectrumAxis {
  double dete0 = 185.88;   // keV
  double detkevch = 7.03;  // keV per channel
};

struct AbsorberSpectrumSettings {
  double ho = 0.0;  // micron, FWHM of the foil's thickness inhomogeneity
  // keV FWHM of the detector at a detected energy; empty when the spectrum in front of the
  // foil already holds the detector resolution. Values that are not positive count as 0.
  std::function<double(double)> detectorFwhm;
};

// Fraction of a uniform distribution over [a, b] folded with a Gaussian of standard
// deviation `sigma` that falls into [u, v]. A point (a = b) or a sharp box (sigma = 0) is
// handled exactly.
double BoxGaussFraction(double a, double b, double sigma, double u, double v);

// Carries the particles of `front` (counts per keV on `frontAxis`, energies in front of the
// foil) through the foil and adds them to `detected` (counts per keV on `detectedAxis`).
// `table` is the foil table built for `particle`. Counts reaching energies outside the
// channels of `detected` are lost, as are the particles the foil stops; everything else
// arrives in full.
void CarryThroughFoil(std::span<const double> front, const SpectrumAxis& frontAxis,
                      std::span<double> detected, const SpectrumAxis& detectedAxis,
                      const AbsorberTable& table, const LayerStructure& foil, const Ion& particle,
                      const StoppingModel& model, const AbsorberSpectrumSettings& settings);

// The same in place on one axis: the spectrum recorded in front of the foil becomes the one
// behind it. Nothing changes without a foil.
void AbsorberSpectrumCorrection(std::span<double> spectrum, const SpectrumAxis& axis,
                                const AbsorberTable& table, const LayerStructure& foil,
                                const Ion& particle, const StoppingModel& model,
                                const AbsorberSpectrumSettings& settings);

}  // namespace dodavev
