// The energy-spread contributions of one depth step: what the beam energy spread, the beam
// angular spread, the detector acceptance, Doppler broadening, energy straggling and
// multiple scattering on the way in and out add to the spread of the detected energy, their
// total with and without the detector resolution, the spread of the incident ion before the
// reaction, and the error of the linearised treatment. All widths are FWHM in keV at the
// detector; independent Gaussian parts add in quadrature, the multiple-scattering
// distributions are folded as Pearson VII shapes.
#pragma once

#include "engine/run_state.hpp"
#include "model/physics_tables.hpp"
#include "physics/shape_convolution.hpp"

namespace dodavev {

// The Options-page switches read here.
struct ContributionOptions {
  bool CheckBeam = true;         // beam energy and angular spread
  bool CheckGeo = true;          // detector acceptance
  bool CheckDoppler = true;      // thermal motion of the target atoms
  bool CheckDet = true;          // detector resolution
  bool CheckKinematic = false;   // magnetic spectrograph: no kinematic term in the plane
  bool CheckKinematic2 = false;  // ... nor perpendicular to it
  bool CheckMS_max = false;      // lateral spread correction of the multiple scattering
};

// Detector resolution a0 + a1 E^a2 + a3 E^a4 (keV FWHM at the energy E in keV).
struct DetectorResolutionCoefficients {
  double a0 = 16.0;
  double a1 = 0.0;
  double a2 = 1.0;
  double a3 = 0.0;
  double a4 = 1.0;
};
// The resolution at `energy`; NaN when the formula has no finite value there.
double DetectorResolution(const DetectorResolutionCoefficients& c, double energy);

// Energy of a Boltzmann factor per kelvin used for the thermal motion, keV/K.
inline constexpr double kBoltzmannKeV = 8.65e-8;

// Doppler broadening (FWHM, keV) of a reaction of an ion of mass m1 at energy E (keV) on
// target atoms of mass mt at `temperature` K, before the kinematic and outward transfer:
// 2.35 sqrt(8.65e-8 (2 m1 / mt) E T). 0 for a vanishing energy or temperature.
double DopplerWidth(double m1, double mt, double energy, double temperature);

// What the step's contributions are computed from.
struct StepInputs {
  bool excitation = false;  // excitation curve ('R'): K taken as 1, no outgoing side
  double depth = 0.0;       // micron
  double K = 0.0;           // kinematic factor at E
  double dK = 0.0;          // dK/dtheta at E, per radian
  double E = 0.0;           // keV, incident ion just before the reaction
  double Em = 0.0;          // keV, mean detected energy behind the absorber
  double exitEnergy = 0.0;  // keV, mean energy leaving the sample (in front of the absorber)
  double Rin = 1.0;         // beam-energy transfer factor of the inward path
  double T = 1.0;           // energy-spread transfer factor of the outward path
  double Lin = 0.0;         // keV, energy-loss term of the inward path
  double Lout = 0.0;        // keV, energy-loss term of the outward path
  double Vin = 0.0;         // keV^2, straggling FWHM^2 of the inward path
  double Vout = 0.0;        // keV^2, straggling FWHM^2 of the outward path
  double tauIn = 0.0;       // total reduced thickness of the inward path
  double phiIn = 0.0;       // rad, multiple-scattering half-width angle of the inward path
  double tauOut = 0.0;
  double phiOut = 0.0;
  double bes = 0.0;          // keV, beam energy spread (FWHM)
  double asb = 0.0;          // rad, beam angular spread (FWHM)
  double m1 = 0.0;           // projectile mass
  double mt = 0.0;           // target mass
  double temperature = 0.0;  // K
  double fwhm = 0.0;         // keV, resonance width (excitation curves)
  // Absorber foil: stopping powers at entry and exit (keV/micron), foil straggling sigma
  // (keV) and thickness inhomogeneity (micron). Without a foil the stoppings are 1.
  bool absorber = false;
  double absorberStoppingEntry = 1.0;
  double absorberStoppingExit = 1.0;
  double absorberSigma = 0.0;
  double ho = 0.0;
};

// The detector-side total through an absorber foil, given the distribution in front of it.
struct AbsorberSpread {
  double total = 0.0;           // keV, FWHM at the detector including the detector resolution
  double halfWidthIndex = 2.0;  // channel position of the lower half maximum
};
class AbsorberStage {
 public:
  virtual ~AbsorberStage() = default;
  // Carries a distribution of FWHM `width` and shape `shape` around `meanEnergy` (keV, in
  // front of the foil) through the foil to the detector.
  virtual AbsorberSpread Spread(double meanEnergy, double width, double shape) = 0;
};

struct StepContributions {
  // Reported columns (keV).
  double dopll = 0.0, beame = 0.0, beama = 0.0, geo = 0.0, ss = 0.0, msi = 0.0, mso = 0.0;
  double tot = 0.0;     // all contributions but the detector
  double det = 0.0;     // total at the detector
  double D = 0.0;       // detector resolution
  double S0 = 0.0;      // Gaussian part of the total, without the detector
  double error = 0.0;   // %, error of the linearised treatment
  double mres = 100.0;  // shape parameter of the total ("m res")
  // Corrected (second-order) counterparts feeding the error.
  double beamaCorrected = 0.0, geoCorrected = 0.0, msiCorrected = 0.0, msoCorrected = 0.0;
  double totCorrected = 0.0;
  // Geometry terms in the two planes (uncorrected).
  double G1 = 0.0, G2 = 0.0;
  // Energy and path coefficients of the multiple scattering, scattering plane (1) and
  // perpendicular plane (2), way in and way out.
  double qIn1 = 0.0, pIn1 = 0.0, qIn2 = 0.0, pIn2 = 0.0;
  double qOut1 = 0.0, pOut1 = 0.0, qOut2 = 0.0, pOut2 = 0.0;
  double nuIn = 0.5, nuOut = 0.5;    // exponents of the angular distributions
  double mMsIn = 0.0, mMsOut = 0.0;  // shape parameters of the two energy distributions
  double msoInPlane = 0.0, msoPerp = 0.0;
  // Spread of the incident ion before the reaction: at the upper (dE) and lower (dEminus)
  // edge of the angular spread, their mean shape, and the angular spread dfi (rad).
  double dE = 0.0, dEminus = 0.0, mdE = 0.0, dfi = 0.0;
  // Detected spreads of the two edges and their mean shape, for the spectrum simulation.
  double edgePlus = 0.0, edgeMinus = 0.0, edgeShape = 0.0;
};

// What the contributions read besides the step's inputs.
struct ContributionContext {
  const EngineGeometry& geometry;
  ContributionOptions options;
  DetectorResolutionCoefficients detector;
  const PhysicsTables& tables;        // convolution table
  AbsorberStage* absorber = nullptr;  // the foil, when there is one
  // The convolution table's fixed exponents, prepared for the run, and the groups of its
  // recent shape pairs (none: worked out anew).
  PreparedConvolution* convolution = nullptr;
  // The step feeds a spectrum whose rows nobody reads: the spreads that only the rows show
  // (the ion's angular spread, the total at the detector without a foil) are left at 0.
  bool spectrumOnly = false;
};

// The contributions of one step: beam energy spread, beam angular spread, detector
// acceptance, straggling, Doppler broadening, detector resolution, multiple scattering in,
// the incident ion's spread, multiple scattering out, the Gaussian part, the total, the
// error of the linearised treatment, the total at the detector and the two edges, each by
// its own function in this order. `problem` is set (never cleared) when the step cannot be
// reported; `halfWidthIndex` is the absorber's, tested and replaced here. A folding that
// finds the convolution table missing falls back to a quadrature sum and sets
// `tableMissing`.
StepContributions ComputeContributions(const StepInputs& in, const ContributionContext& context,
                                       StepProblem& problem, double& halfWidthIndex,
                                       bool& tableMissing);

}  // namespace dodavev
