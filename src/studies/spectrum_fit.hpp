// Fit of the simulated spectrum to the measured one: layer thicknesses, amounts of elements,
// the energy calibration, the detector resolution and the dose, found by Poisson-weighted
// least squares over a region of channels.
//
// The model is the full spectrum of the sample (every isotope, recoils and forward-scattered
// projectiles as "full spectrum (1)" sums them), or with "Only the given target isotop: "
// the sub-spectrum of the given target. The residual of channel c, with y_c counts
// simulated and m_c measured, is the Poisson deviance residual
//   sign(y_c - m_c) sqrt(2 (y_c - m_c + m_c ln(m_c / y_c))),
// which near the minimum is (y_c - m_c) / sqrt(y_c): least squares weighted by the Poisson
// variance, whose minimum is the maximum of the Poisson likelihood and whose sum of squares
// is the likelihood-ratio chi2 (Baker and Cousins, Nucl. Instrum. Methods 221 (1984) 437).
//
// The minimiser is GSL's nonlinear least squares (gsl_multifit_nlinear) with the
// Levenberg-Marquardt trust-region step: GSL is a kept Debian library (libgsl-dev) with a
// plain C interface that needs no further dependency, it accepts a Jacobian computed by the
// caller (here finite differences of the simulation, whose columns run side by side on the
// scan threads) and gives the covariance at the minimum (gsl_multifit_nlinear_covar).
//
// Bounds: thicknesses, amounts, the channel width, the resolution and the dose are fitted as
// logarithms, so they stay positive whatever step the minimiser takes; the calibration
// offset, which may have either sign, is fitted as it is.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_inputs.hpp"
#include "model/run_results.hpp"
#include "studies/parallel_scan.hpp"

namespace dodavev {

struct RunRequest;
struct ParameterSet;
class MessageSink;

// What the user asks to fit, as named in the "fit parameters" list: "thickness 1",
// "amount 2 Si", "calibration" (detkevch and dete0), "resolution" (detres0), "dose" (q1).
enum class FitQuantity { kThickness, kAmount, kCalibration, kResolution, kDose };

struct FitChoice {
  FitQuantity quantity = FitQuantity::kDose;
  int layer = 0;        // from 1; thickness and amount only
  std::string element;  // the element's symbol as typed; amount only
  bool operator==(const FitChoice&) const = default;
};

struct FitChoicesRead {
  std::vector<FitChoice> choices;
  std::string error;  // what is wrong with the list; empty when it reads
};

// Reads a comma-separated list; words in any case, blanks between them as the user likes.
// An empty list reads as no choice (and no error).
FitChoicesRead ParseFitParameters(std::string_view text);
// The list text of choices: "thickness 1, amount 2 Si, dose".
std::string FormatFitParameters(const std::vector<FitChoice>& choices);

// The channel region: first and last channel, both included.
struct FitChannels {
  int first = 0;
  int last = 0;
};
// Two integers separated by blanks, a comma or a minus sign with blanks; nullopt otherwise.
std::optional<FitChannels> ParseFitChannels(std::string_view text);

struct FitRequest {
  std::vector<FitChoice> choices;
  FitChannels channels;
  int maxIterations = 50;
};

// One fitted number of the report.
struct FittedValue {
  std::string name;  // "thickness 1", "areal density 1", "calibration dete0"
  std::string unit;  // "A", "1e15 atoms/cm2", "keV", "" for an amount
  double start = 0.0;
  double value = 0.0;
  double sigma = 0.0;  // 1 sigma from the covariance; infinite when not determined
};

struct FitCorrelation {
  std::string first;
  std::string second;
  double value = 0.0;
};

struct SpectrumFitResult {
  bool ran = false;  // false: the inputs could not be fitted (the message says why)
  // The fitted parameters in the order of the choices (calibration gives two, a thickness
  // is followed by its areal density).
  std::vector<FittedValue> values;
  std::vector<FitCorrelation> correlations;  // |correlation| above 0.9
  double chi2 = 0.0;
  int dof = 0;
  int iterations = 0;
  int simulations = 0;
  bool converged = false;
  bool stopped = false;  // stopped by the user before convergence
  std::string status;    // why the minimiser ended, for the report
  Spectrum fitted{};     // the spectrum (counts per keV) of the best inputs found
  // The best inputs found, one per fitted variable (thickness micron, amount, detkevch,
  // dete0, detres0, q1), in the order of the variables.
  std::vector<double> best;
};

// What a fit reads: the inputs of its runs (after "OK" and the set-up) and the measured
// spectrum it fits.
struct FitInputs {
  const RunInputs& run;
  const Spectrum& measured;        // counts per channel
  bool measuredFileNamed = false;  // a "measured spectrum file" is named
  bool givenTarget = false;        // "Only the given target isotop: ": its sub-spectrum only
};

// Why the inputs cannot be fitted as asked; empty when they can. Every problem
// has its own message: no measured spectrum, no counts in it, a region outside the
// spectrum, empty or inverted, nothing to fit, a layer or element the sample does not
// have, a starting value that is not positive, fewer channels than fitted parameters.
std::string FitInputProblem(const FitInputs& inputs, const FitRequest& request);

// Fits the inputs (after "OK" and the set-up of `base`) as asked. The inputs do not
// change; ApplyFit writes the result back. The simulations of one Jacobian run
// on the threads of `settings`, each with its own copy of the inputs, and the result does
// not depend on their number. The observer of `settings` sees one progress step per
// iteration and may stop the fit between iterations.
SpectrumFitResult FitSpectrum(const FitInputs& inputs, const RunRequest& base,
                              const FitRequest& request, const ScanSettings& settings,
                              MessageSink& messages);

// Writes the best inputs of a fit that ran into the parameters and the parsed sample: the
// numeric values, the texts of the input fields and the sample layer text, so that "save
// parameters" and "save sample" keep them. False when fitted thicknesses or amounts could
// not be written into a layer text with sections in error (the sample still takes them).
bool ApplyFit(ParameterSet& params, LayerStructure& sample, const FitRequest& request,
              const SpectrumFitResult& result);

// The report: "NAME = VALUE +- UNCERTAINTY UNIT" per value, then chi2/dof, iterations,
// simulations, converged, the channel region and the strong correlations.
std::string FormatFitReport(const SpectrumFitResult& result, const FitRequest& request);

// "value +- sigma" with two significant digits of sigma and the value to the same decimal.
std::string FormatWithUncertainty(double value, double sigma);

}  // namespace dodavev
