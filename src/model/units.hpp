// The units and tolerances every layer shares. Inside the program energies are keV,
// depths micron (nm in reports), angles degrees in the inputs and radians in a run,
// stopping keV/micron, densities 1e22 atoms/cm3.
#pragma once

#include <numbers>

namespace dodavev {

// Below this an energy, a depth, a spread or a count is taken as zero.
inline constexpr double kZeroTolerance = 2e-10;

// FWHM of a Gaussian per standard deviation, as every report uses it (2 sqrt(2 ln 2) =
// 2.3548 rounded).
inline constexpr double kFwhmPerSigma = 2.35;

inline constexpr double kDegToRad = 0.017453292519943295;  // pi / 180
inline constexpr double kRadToDeg = 180.0 / std::numbers::pi;

inline constexpr double kNmPerMicron = 1000.0;
inline constexpr double kKeVPerMeV = 1000.0;
// keV/micron to keV/nm.
inline constexpr double kKeVPerNmPerKeVPerMicron = 1.0 / kNmPerMicron;

}  // namespace dodavev
