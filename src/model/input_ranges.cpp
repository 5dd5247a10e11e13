#include "model/input_ranges.hpp"

#include <array>
#include <cstdio>

namespace dodavev {

namespace {

// Bounds far outside any ion beam analysis experiment, chosen so that every calculation
// stays finite inside them. Energies reach 1 GeV (beyond every accelerator used for
// IBA), angles span their geometric range, lengths of the set-up stay below 10 m, and
// quantities that are sizes, spreads, doses or widths are never negative.
constexpr std::array kRanges{
    // Beam.
    InputRange{"e0", "incident energy", "keV", 1.0, 1.0e6},
    InputRange{"z1", "atomic number of the incident ion", "", 1.0, 92.0},
    InputRange{"m1", "mass number of the incident ion", "", 0.5, 300.0},
    InputRange{"chargestate_in", "charge state of the incident ions", "", 0.0, 92.0},
    InputRange{"a", "angle between beam and sample surface", "deg", 0.0, 180.0},
    InputRange{"q1", "dose", "microC", 0.0, 1.0e6},
    InputRange{"bes", "beam energy spread", "keV", 0.0, 1.0e4},
    InputRange{"asb", "angular spread of the beam", "deg", 0.0, 10.0},
    InputRange{"diam", "beam slit diameter", "mm", 0.0, 100.0},
    InputRange{"r", "beam slit width", "mm", 0.0, 100.0},
    InputRange{"leng", "beam slit length", "mm", 0.0, 100.0},
    // Sample.
    InputRange{"temperature", "sample temperature", "K", 0.1, 5000.0},
    InputRange{"monothick", "thickness of a monolayer", "at/cm2", 0.0, 1.0e17},
    // Detection.
    InputRange{"z2", "atomic number of the detected ion", "", 0.0, 92.0},
    InputRange{"m2", "mass number of the detected ion", "", 0.0, 300.0},
    InputRange{"chargestate_out", "charge state of the detected ions", "", 0.0, 92.0},
    InputRange{"th", "scattering (detection) angle", "deg", 0.0, 180.0},
    InputRange{"d", "detector - target distance", "mm", 1.0, 1.0e4},
    InputRange{"detdia", "diameter of the detector diaphragm", "mm", 0.0, 1000.0},
    InputRange{"ss", "width of the detector slit", "mm", 0.0, 1000.0},
    InputRange{"hossz", "length of the detector slit", "mm", 0.0, 1000.0},
    InputRange{"ho", "inhomogeneity of the absorber foil", "micron", 0.0, 1.0e4},
    InputRange{"detkevch", "energy calibration slope", "keV/ch", 1.0e-3, 1.0e4},
    InputRange{"dete0", "energy calibration offset", "keV", -1.0e5, 1.0e5},
    InputRange{"detres0", "detector resolution a0", "keV", -1.0e4, 1.0e4},
    InputRange{"detres1", "detector resolution a1", "", -1.0e4, 1.0e4},
    InputRange{"detres2", "detector resolution exponent a2", "", -4.0, 4.0},
    InputRange{"detres3", "detector resolution a3", "", -1.0e4, 1.0e4},
    InputRange{"detres4", "detector resolution exponent a4", "", -4.0, 4.0},
    // Reactions.
    InputRange{"mt", "mass number of the target", "", 0.5, 300.0},
    InputRange{"qm", "Q-value for the ground state", "MeV", -100.0, 100.0},
    InputRange{"level", "excitation level", "", 0.0, 1000.0},
    InputRange{"c3", "isotopic abundance", "", 0.0, 1.0},
    InputRange{"er", "resonance energy", "keV", 1.0, 1.0e6},
    InputRange{"fwhm", "resonance width", "keV", 0.0, 1.0e4},
    InputRange{"rezmin", "excitation curve: minimum energy", "keV", 1.0, 1.0e6},
    InputRange{"rezmax", "excitation curve: maximum energy", "keV", 1.0, 1.0e6},
    InputRange{"estep", "excitation curve: energy step", "keV", 1.0e-3, 1.0e5},
    InputRange{"depthmax", "maximum depth", "micron", 1.0e-3, 1.0e5},
    InputRange{"x", "iteration step", "micron", 1.0e-6, 1.0e3},
    InputRange{"thr", "threshold energy", "keV", 0.0, 1.0e6},
    InputRange{"x_corr", "corr.X", "at/cm2", 0.0, 1.0e20},
    // Optimisation.
    InputRange{"theta_min", "smallest detection angle", "deg", 0.0, 180.0},
    InputRange{"theta_max", "largest detection angle", "deg", 0.0, 180.0},
    InputRange{"Alfa_min", "smallest incident angle", "deg", 0.0, 180.0},
    InputRange{"step_deg", "angle step", "deg", 1.0e-3, 180.0},
    InputRange{"dex1", "depth x1 in iteration steps", "", 0.0, 1.0e6},
    InputRange{"dex2", "depth x2 in iteration steps", "", 0.0, 1.0e6},
    InputRange{"dex3", "depth x3 in iteration steps", "", 0.0, 1.0e6},
    InputRange{"dex4", "depth x4 in iteration steps", "", 0.0, 1.0e6},
    // Cross sections and simulation.
    InputRange{"NRACrossConstant", "constant NRA cross section", "mbarn/sr", 0.0, 1.0e9},
    InputRange{"itlength", "iteration length for simulation", "at/cm2", 1.0e12, 1.0e21},
    InputRange{"channels", "number of channels", "", 1.0, 16384.0},
};

}  // namespace

std::span<const InputRange> InputRanges() {
  return kRanges;
}

const InputRange* FindInputRange(std::string_view field) {
  for (const InputRange& r : kRanges) {
    if (field == r.field) return &r;
  }
  return nullptr;
}

std::string DescribeInputRange(const InputRange& range) {
  char buf[256];
  if (range.unit[0] != '\0') {
    std::snprintf(buf, sizeof buf, "%s (%s), %g to %g", range.meaning, range.unit, range.min,
                  range.max);
  } else {
    std::snprintf(buf, sizeof buf, "%s, %g to %g", range.meaning, range.min, range.max);
  }
  return buf;
}

}  // namespace dodavev
