#include "studies/spectrum_fit.hpp"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <memory>

#include "engine/setup.hpp"
#include "io/layer_text_edit.hpp"
#include "io/number_parse.hpp"
#include "studies/spectrum_simulation.hpp"

namespace dodavev {
namespace {

constexpr double kAngstromPerMicron = 1e4;
// Residual given to a channel whose simulated counts are not a finite number: large enough
// that the minimiser refuses the step that led there.
constexpr double kBadResidual = 1e8;
// Correlations above this are named in the report.
constexpr double kStrongCorrelation = 0.9;
// Forward-difference steps of the fit variables: 0.1 % of a logarithmic variable and a
// hundredth of a channel for the calibration offset: larger than the rounding of the
// simulation, small against the curvature of the spectrum in each variable.
constexpr double kLogStep = 1e-3;
constexpr double kOffsetStep = 1e-3;
// The offset is fitted in units of ten channels, so that all variables are of order one.
constexpr double kOffsetUnitChannels = 10.0;
// Convergence: the step of every variable below 1e-5 of its size, or the gradient below
// 1e-6 of chi2.
constexpr double kXtol = 1e-5;
constexpr double kGtol = 1e-6;
// A minimiser that finds no step reducing chi2 any more stands at the minimum as far as the
// simulation can tell when the scaled gradient is below this (relative to chi2): a step of
// one standard deviation (of order 1e-3 in the fit variables) would then lower chi2 by
// less than a hundredth.
constexpr double kGtolStalled = 1e-2;
// Fresh starts of the minimiser after it found no step lowering chi2.
constexpr int kMaxRestarts = 3;

std::string Lower(std::string_view s) {
  std::string out;
  for (char c : s)
    out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  return out;
}

std::vector<std::string> Words(std::string_view s) {
  std::vector<std::string> words;
  std::string word;
  for (char c : s) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

// The element symbol as the layer structure stores it: upper case, padded with a blank.
std::array<char, 2> StoredSymbol(std::string_view symbol) {
  std::array<char, 2> s{' ', ' '};
  for (std::size_t i = 0; i < symbol.size() && i < 2; ++i) {
    const char c = symbol[i];
    s[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return s;
}

std::string ChoiceName(const FitChoice& c) {
  switch (c.quantity) {
    case FitQuantity::kThickness:
      return "thickness " + std::to_string(c.layer);
    case FitQuantity::kAmount:
      return "amount " + std::to_string(c.layer) + " " + c.element;
    case FitQuantity::kCalibration:
      return "calibration";
    case FitQuantity::kResolution:
      return "resolution";
    case FitQuantity::kDose:
      return "dose";
  }
  return {};
}

// ---- Fit variables ---------------------------------------------------------------------

enum class VariableKind { kThickness, kAmount, kSlope, kOffset, kResolution, kDose };

// One number the minimiser moves. The minimiser sees x = 1 + ln(v / v0) (or, for the
// offset, x = 1 + (v - v0) / scale), so that every variable starts at 1.
struct Variable {
  VariableKind kind = VariableKind::kDose;
  std::size_t layer = 0;
  std::size_t element = 0;
  double start = 0.0;
  double scale = 1.0;  // offset only: keV per unit of x
  std::string name;
  std::string unit;

  bool Logarithmic() const { return kind != VariableKind::kOffset; }
  double Value(double x) const {
    return Logarithmic() ? start * std::exp(x - 1.0) : start + (x - 1.0) * scale;
  }
  // d value / d x, for the uncertainty of the value from that of x.
  double Slope(double x) const { return Logarithmic() ? Value(x) : scale; }
  double Step() const { return Logarithmic() ? kLogStep : kOffsetStep; }
  // The dose scales every channel: its column of the Jacobian needs no simulation.
  bool Simulated() const { return kind != VariableKind::kDose; }
};

void SetValue(ParameterValues& params, LayerStructure& sample, const Variable& v, double value) {
  switch (v.kind) {
    case VariableKind::kThickness:
      sample.layers[v.layer].thickness = value;
      break;
    case VariableKind::kAmount: {
      Layer& layer = sample.layers[v.layer];
      layer.elements[v.element].amount = value;
      double sum = 0.0;
      for (const LayerElement& e : layer.elements)
        sum += e.amount;
      layer.amountSum = sum;
      break;
    }
    case VariableKind::kSlope:
      params.detkevch = value;
      break;
    case VariableKind::kOffset:
      params.dete0 = value;
      break;
    case VariableKind::kResolution:
      params.detres0 = value;
      break;
    case VariableKind::kDose:
      params.q1 = value;
      break;
  }
}

bool DetectorResolutionOn(const RunInputs& inputs) {
  return inputs.switches.contributions.CheckDet;
}

// The variables of the choices, or the message of the first choice that cannot be fitted.
// `detectorResolution`: whether the detector resolution contribution is switched on.
std::string MakeVariables(const ParameterValues& p, bool detectorResolution,
                          const LayerStructure& sample, const std::vector<FitChoice>& choices,
                          std::vector<Variable>& out) {
  auto positive = [](double v) { return v > 0.0 && std::isfinite(v); };
  for (const FitChoice& c : choices) {
    const std::string name = ChoiceName(c);
    if (c.quantity == FitQuantity::kThickness || c.quantity == FitQuantity::kAmount) {
      if (c.layer < 1 || c.layer > sample.layerCount()) {
        return "fit parameter \"" + name + "\": the sample has " +
               std::to_string(sample.layerCount()) +
               (sample.layerCount() == 1 ? " layer" : " layers");
      }
    }
    Variable v;
    v.name = name;
    switch (c.quantity) {
      case FitQuantity::kThickness: {
        v.kind = VariableKind::kThickness;
        v.layer = static_cast<std::size_t>(c.layer - 1);
        v.start = sample.layers[v.layer].thickness;
        if (v.start >= kSubstrateThickness) {
          return "fit parameter \"" + name + "\": layer " + std::to_string(c.layer) +
                 " is the substrate, whose thickness is infinite";
        }
        if (!positive(v.start)) {
          return "fit parameter \"" + name + "\": layer " + std::to_string(c.layer) +
                 " has no thickness to start from";
        }
        v.unit = "A";
        out.push_back(v);
        break;
      }
      case FitQuantity::kAmount: {
        v.kind = VariableKind::kAmount;
        v.layer = static_cast<std::size_t>(c.layer - 1);
        const Layer& layer = sample.layers[v.layer];
        const std::array<char, 2> symbol = StoredSymbol(c.element);
        std::size_t k = 0;
        while (k < layer.elements.size() && layer.elements[k].symbol != symbol)
          ++k;
        if (k == layer.elements.size()) {
          return "fit parameter \"" + name + "\": layer " + std::to_string(c.layer) + " holds no " +
                 c.element;
        }
        v.element = k;
        v.start = layer.elements[k].amount;
        if (!positive(v.start)) return "fit parameter \"" + name + "\": the amount is not positive";
        out.push_back(v);
        break;
      }
      case FitQuantity::kCalibration: {
        if (!positive(p.detkevch)) {
          return "fit parameter \"calibration\": the keV/channel to start from is not positive";
        }
        Variable slope = v;
        slope.kind = VariableKind::kSlope;
        slope.start = p.detkevch;
        slope.name = "calibration detkevch";
        slope.unit = "keV/channel";
        out.push_back(slope);
        Variable offset = v;
        offset.kind = VariableKind::kOffset;
        offset.start = std::isfinite(p.dete0) ? p.dete0 : 0.0;
        offset.scale = kOffsetUnitChannels * p.detkevch;
        offset.name = "calibration dete0";
        offset.unit = "keV";
        out.push_back(offset);
        break;
      }
      case FitQuantity::kResolution:
        if (!detectorResolution) {
          return "fit parameter \"resolution\": the detector resolution is switched off on the "
                 "Options page";
        }
        if (!positive(p.detres0)) {
          return "fit parameter \"resolution\": the detector resolution a0 to start from is not "
                 "positive";
        }
        v.kind = VariableKind::kResolution;
        v.start = p.detres0;
        v.unit = "keV";
        out.push_back(v);
        break;
      case FitQuantity::kDose:
        if (!positive(p.q1))
          return "fit parameter \"dose\": the dose to start from is not positive";
        v.kind = VariableKind::kDose;
        v.start = p.q1;
        v.unit = "microC";
        out.push_back(v);
        break;
    }
  }
  return {};
}

// ---- The model the minimiser sees ----------------------------------------------------

// Smallest simulated count a channel is given in the logarithm of its residual.
constexpr double kLeastCounts = 1e-12;

// The Poisson deviance residual of a channel with y counts simulated and m measured:
//   sign(y - m) sqrt(2 (y - m + m ln(m / y))),
// whose square sums to the likelihood-ratio chi2 of Poisson counts. Near the minimum it is
// (y - m) / sqrt(y), the residual weighted by the Poisson variance; away from it, unlike
// the variance estimated by the measured counts, it stays moderate where a simulated peak
// lies on empty channels, so the minimiser can move a peak that starts beside its place.
double PoissonResidual(double y, double m) {
  const double yy = std::max(y, kLeastCounts);
  double d = yy - m;
  if (m > 0.0) d += m * std::log(m / yy);
  const double r = std::sqrt(2.0 * std::max(d, 0.0));
  return y >= m ? r : -r;
}

// Residuals of a parameter vector and the spectrum they came from.
struct Evaluation {
  std::vector<double> x;
  std::vector<double> residuals;
  std::vector<double> counts;  // simulated counts of the fitted channels
  Spectrum spectrum{};
  double chi2 = std::numeric_limits<double>::infinity();
};

class FitModel {
 public:
  FitModel(const FitInputs& inputs, const RunRequest& base, std::vector<Variable> variables,
           FitChannels channels, const ScanSettings& settings)
      : base_(base),
        variables_(std::move(variables)),
        channels_(channels),
        settings_(settings),
        given_(inputs.givenTarget) {
    for (int c = channels_.first; c <= channels_.last; ++c) {
      const double m = inputs.measured.Channel(c);
      measured_.push_back(m);
    }
    // One copy of the inputs for the evaluation at x and one per simulated column; each is
    // used by one simulation at a time.
    std::size_t slots = 1;
    for (const Variable& v : variables_)
      slots += v.Simulated() ? 1 : 0;
    for (std::size_t k = 0; k < slots; ++k)
      slots_.push_back(std::make_unique<Slot>(inputs.run));
  }

  std::size_t Residuals() const { return measured_.size(); }
  double Measured(std::size_t i) const { return measured_[i]; }
  std::size_t Parameters() const { return variables_.size(); }
  const std::vector<Variable>& Variables() const { return variables_; }
  int Simulations() const { return simulations_.load(); }
  const Evaluation& Best() const { return best_; }
  std::vector<std::string>& StartMessages() { return startMessages_; }

  // The residuals at x (cached: the Jacobian at the same x, or at the best point found,
  // reuses them).
  const Evaluation& Evaluate(const std::vector<double>& x) {
    if (last_.x == x) return last_;
    if (best_.x == x) return best_;
    last_ = EvaluateIn(0, x, settings_.jobs, simulations_.load() == 0);
    if (last_.chi2 < best_.chi2) best_ = last_;
    return last_;
  }

  // Forward differences; the simulated columns run side by side.
  void Jacobian(const std::vector<double>& x, gsl_matrix* J) {
    const Evaluation at = Evaluate(x);
    std::vector<std::size_t> simulated;
    for (std::size_t j = 0; j < variables_.size(); ++j) {
      if (variables_[j].Simulated()) simulated.push_back(j);
    }
    std::vector<std::vector<double>> columns(simulated.size());
    const ScanSettings columnThreads{settings_.jobs, nullptr};
    RunIndexed(static_cast<int>(simulated.size()), columnThreads, "spectrum fit", "simulations",
               [&](int index) {
                 const auto k = static_cast<std::size_t>(index);
                 const std::size_t j = simulated[k];
                 std::vector<double> moved = x;
                 const double h = variables_[j].Step();
                 moved[j] += h;
                 const Evaluation e = EvaluateIn(k + 1, moved, 1, false);
                 std::vector<double>& col = columns[k];
                 col.resize(at.residuals.size());
                 for (std::size_t i = 0; i < col.size(); ++i)
                   col[i] = (e.residuals[i] - at.residuals[i]) / h;
               });
    for (std::size_t k = 0; k < simulated.size(); ++k) {
      for (std::size_t i = 0; i < columns[k].size(); ++i)
        gsl_matrix_set(J, i, simulated[k], columns[k][i]);
    }
    // d y / d x of the dose is y itself, every count being proportional to the dose, and
    // d r / d y of the deviance residual is (1 - m / y) / r.
    for (std::size_t j = 0; j < variables_.size(); ++j) {
      if (variables_[j].Simulated()) continue;
      for (std::size_t i = 0; i < at.residuals.size(); ++i) {
        const double y = at.counts[i];
        const double r = at.residuals[i];
        double d = 0.0;
        if (std::fabs(r) > 1e-9) {
          d = y * (1.0 - measured_[i] / std::max(y, kLeastCounts)) / r;
        } else if (measured_[i] > 0.0) {
          d = std::sqrt(measured_[i]);  // the limit at y = m: y / sqrt(m)
        }
        gsl_matrix_set(J, i, j, std::isfinite(d) ? d : 0.0);
      }
    }
  }

 private:
  Evaluation EvaluateIn(std::size_t slot, const std::vector<double>& x, int jobs,
                        bool keepMessages) {
    Slot& s = *slots_[slot];
    for (std::size_t j = 0; j < variables_.size(); ++j)
      SetValue(s.params, s.sample, variables_[j], variables_[j].Value(x[j]));
    CollectingSink sink;
    const FullSpectrumResult full = SimulateFullSpectrum(
        s.inputs, base_, PlanFullSpectrum(s.inputs, given_), ScanSettings{jobs, nullptr}, sink);
    ++simulations_;
    if (keepMessages) startMessages_ = sink.messages;
    Evaluation e;
    e.x = x;
    e.spectrum = full.sum;
    e.residuals.resize(measured_.size());
    e.counts.resize(measured_.size());
    double chi2 = 0.0;
    for (std::size_t i = 0; i < measured_.size(); ++i) {
      const int c = channels_.first + static_cast<int>(i);
      const double y = full.sum.Channel(c) * s.params.detkevch;
      double r = PoissonResidual(y, measured_[i]);
      if (!std::isfinite(r)) r = kBadResidual;
      e.residuals[i] = r;
      e.counts[i] = y;
      chi2 += r * r;
    }
    e.chi2 = chi2;
    return e;
  }

  // The inputs of one simulation: its own numbers and sample, which the fit moves, and
  // the tables, switches and cross sections shared (read only) with every other slot.
  struct Slot {
    explicit Slot(const RunInputs& shared)
        : params(shared.params),
          sample(shared.sample),
          inputs{params, shared.switches, shared.elements, shared.tables,        shared.srimTables,
                 sample, shared.absorber, shared.reaction, shared.crossSections, shared.levDir} {}
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;
    ParameterValues params;
    LayerStructure sample;
    RunInputs inputs;
  };

  const RunRequest& base_;
  std::vector<Variable> variables_;
  FitChannels channels_;
  ScanSettings settings_;
  bool given_;
  std::vector<double> measured_;
  std::vector<std::unique_ptr<Slot>> slots_;
  std::atomic<int> simulations_{0};
  Evaluation last_;
  Evaluation best_;
  std::vector<std::string> startMessages_;
};

// The C callbacks of GSL; an exception never crosses them.
struct CallbackState {
  FitModel* model = nullptr;
  std::exception_ptr failure;
};

std::vector<double> ToVector(const gsl_vector* x) {
  std::vector<double> v(x->size);
  for (std::size_t i = 0; i < x->size; ++i)
    v[i] = gsl_vector_get(x, i);
  return v;
}

int ResidualCallback(const gsl_vector* x, void* data, gsl_vector* f) {
  auto* state = static_cast<CallbackState*>(data);
  try {
    const Evaluation& e = state->model->Evaluate(ToVector(x));
    for (std::size_t i = 0; i < e.residuals.size(); ++i)
      gsl_vector_set(f, i, e.residuals[i]);
    return GSL_SUCCESS;
  } catch (...) {
    state->failure = std::current_exception();
    return GSL_EBADFUNC;
  }
}

int JacobianCallback(const gsl_vector* x, void* data, gsl_matrix* J) {
  auto* state = static_cast<CallbackState*>(data);
  try {
    state->model->Jacobian(ToVector(x), J);
    return GSL_SUCCESS;
  } catch (...) {
    state->failure = std::current_exception();
    return GSL_EBADFUNC;
  }
}

// Owners of GSL's allocations.
struct WorkspaceDeleter {
  void operator()(gsl_multifit_nlinear_workspace* w) const { gsl_multifit_nlinear_free(w); }
};
struct VectorDeleter {
  void operator()(gsl_vector* v) const { gsl_vector_free(v); }
};
struct MatrixDeleter {
  void operator()(gsl_matrix* m) const { gsl_matrix_free(m); }
};

// The largest scaled gradient component relative to chi2, as GSL's gradient test forms it.
double RelativeGradient(gsl_multifit_nlinear_workspace* w, double chi2) {
  gsl_matrix* J = gsl_multifit_nlinear_jac(w);
  gsl_vector* f = gsl_multifit_nlinear_residual(w);
  gsl_vector* x = gsl_multifit_nlinear_position(w);
  double largest = 0.0;
  for (std::size_t j = 0; j < J->size2; ++j) {
    double g = 0.0;
    for (std::size_t i = 0; i < J->size1; ++i)
      g += gsl_matrix_get(J, i, j) * gsl_vector_get(f, i);
    largest = std::max(largest, std::fabs(g) * std::max(std::fabs(gsl_vector_get(x, j)), 1.0));
  }
  return largest / std::max(chi2, 1.0);
}

std::string Formatted(const char* format, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

}  // namespace

// ---- Reading the choices -------------------------------------------------------------

FitChoicesRead ParseFitParameters(std::string_view text) {
  FitChoicesRead read;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    const std::vector<std::string> words = Words(text.substr(start, comma - start));
    start = comma + 1;
    if (words.empty()) continue;  // blanks only, or nothing between two commas
    const std::string what = Lower(words[0]);
    FitChoice c;
    bool ok = false;
    if (what == "thickness" || what == "amount") {
      const std::size_t wanted = what == "thickness" ? 2 : 3;
      const std::optional<std::int32_t> layer =
          words.size() >= 2 ? ParseInteger(words[1]) : std::nullopt;
      if (words.size() == wanted && layer) {
        c.quantity = what == "thickness" ? FitQuantity::kThickness : FitQuantity::kAmount;
        c.layer = *layer;
        if (wanted == 3) c.element = words[2];
        ok = c.layer >= 1 && (wanted == 2 || c.element.size() <= 2);
      }
    } else if (words.size() == 1 && what == "calibration") {
      c.quantity = FitQuantity::kCalibration;
      ok = true;
    } else if (words.size() == 1 && what == "resolution") {
      c.quantity = FitQuantity::kResolution;
      ok = true;
    } else if (words.size() == 1 && what == "dose") {
      c.quantity = FitQuantity::kDose;
      ok = true;
    }
    std::string entry;
    for (const std::string& w : words)
      entry += (entry.empty() ? "" : " ") + w;
    if (!ok) {
      read.error = "fit parameter \"" + entry +
                   "\" is not one of: thickness LAYER, amount LAYER ELEMENT, calibration, "
                   "resolution, dose";
      return read;
    }
    for (const FitChoice& earlier : read.choices) {
      if (earlier.quantity == c.quantity && earlier.layer == c.layer &&
          Lower(earlier.element) == Lower(c.element)) {
        read.error = "fit parameter \"" + entry + "\" is named twice";
        return read;
      }
    }
    read.choices.push_back(c);
  }
  return read;
}

std::string FormatFitParameters(const std::vector<FitChoice>& choices) {
  std::string text;
  for (const FitChoice& c : choices) {
    if (!text.empty()) text += ", ";
    text += ChoiceName(c);
  }
  return text;
}

std::optional<FitChannels> ParseFitChannels(std::string_view text) {
  std::string spaced(text);
  for (char& c : spaced) {
    if (c == ',' || c == ';') c = ' ';
  }
  std::vector<std::string> words = Words(spaced);
  // "100 - 400": a lone minus sign between the two numbers.
  if (words.size() == 3 && words[1] == "-") words.erase(words.begin() + 1);
  if (words.size() != 2) return std::nullopt;
  const std::optional<std::int32_t> first = ParseInteger(words[0]);
  const std::optional<std::int32_t> last = ParseInteger(words[1]);
  if (!first || !last) return std::nullopt;
  return FitChannels{*first, *last};
}

// ---- Checking the inputs -------------------------------------------------------------

std::string FitInputProblem(const FitInputs& inputs, const FitRequest& request) {
  const Spectrum& measured = inputs.measured;
  bool any = false;
  for (int c = 1; c <= measured.channels() && !any; ++c)
    any = measured.Channel(c) > 0.0;
  if (!any) {
    return !inputs.measuredFileNamed
               ? "spectrum fit: there is no measured spectrum to fit; load one (\"load a new "
                 "spectrum\") or name it in the parameter file"
               : "spectrum fit: the measured spectrum holds no counts";
  }
  if (request.choices.empty()) {
    return "spectrum fit: nothing to fit; choose at least one of thickness, amount, "
           "calibration, resolution, dose";
  }
  const FitChannels& r = request.channels;
  const int channels = std::min(inputs.run.params.channels, measured.channels());
  if (r.first > r.last) {
    return "spectrum fit: the fit channels " + std::to_string(r.first) + " to " +
           std::to_string(r.last) +
           " are inverted or empty; the first channel must not lie "
           "after the last";
  }
  if (r.first < 1 || r.last > channels) {
    return "spectrum fit: the fit channels " + std::to_string(r.first) + " to " +
           std::to_string(r.last) + " lie outside channels 1 to " + std::to_string(channels) +
           " of the spectra";
  }
  bool counts = false;
  for (int c = r.first; c <= r.last && !counts; ++c)
    counts = measured.Channel(c) > 0.0;
  if (!counts) {
    return "spectrum fit: the measured spectrum holds no counts in channels " +
           std::to_string(r.first) + " to " + std::to_string(r.last);
  }
  std::vector<Variable> variables;
  const std::string problem = MakeVariables(inputs.run.params, DetectorResolutionOn(inputs.run),
                                            inputs.run.sample, request.choices, variables);
  if (!problem.empty()) return "spectrum fit: " + problem;
  const int n = r.last - r.first + 1;
  if (n <= static_cast<int>(variables.size())) {
    return "spectrum fit: " + std::to_string(variables.size()) + " parameters need more than " +
           std::to_string(n) + " channels";
  }
  return {};
}

// ---- The fit ---------------------------------------------------------------------------

SpectrumFitResult FitSpectrum(const FitInputs& inputs, const RunRequest& base,
                              const FitRequest& request, const ScanSettings& settings,
                              MessageSink& messages) {
  SpectrumFitResult result;
  const std::string problem = FitInputProblem(inputs, request);
  if (!problem.empty()) {
    messages.Show(problem);
    return result;
  }
  std::vector<Variable> variables;
  MakeVariables(inputs.run.params, DetectorResolutionOn(inputs.run), inputs.run.sample,
                request.choices, variables);
  FitModel model(inputs, base, variables, request.channels, settings);
  const std::size_t n = model.Residuals();
  const std::size_t p = model.Parameters();

  // GSL's default handler aborts the program on an error; its errors are return codes here.
  gsl_set_error_handler_off();

  CallbackState state{&model, nullptr};
  gsl_multifit_nlinear_fdf fdf;
  fdf.f = &ResidualCallback;
  fdf.df = &JacobianCallback;
  fdf.fvv = nullptr;
  fdf.n = n;
  fdf.p = p;
  fdf.params = &state;

  gsl_multifit_nlinear_parameters fp = gsl_multifit_nlinear_default_parameters();
  fp.trs = gsl_multifit_nlinear_trs_lm;
  fp.scale = gsl_multifit_nlinear_scale_more;
  fp.solver = gsl_multifit_nlinear_solver_qr;
  std::unique_ptr<gsl_multifit_nlinear_workspace, WorkspaceDeleter> w(
      gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &fp, n, p));
  std::unique_ptr<gsl_vector, VectorDeleter> x0(gsl_vector_alloc(p));
  gsl_vector_set_all(x0.get(), 1.0);

  int status = gsl_multifit_nlinear_init(x0.get(), &fdf, w.get());
  for (const std::string& text : model.StartMessages())
    messages.Show(text);
  if (state.failure) std::rethrow_exception(state.failure);
  if (status != GSL_SUCCESS) {
    messages.Show("spectrum fit: the starting spectrum cannot be simulated");
    return result;
  }

  result.status =
      "the fit did not converge in " + std::to_string(request.maxIterations) + " iterations";
  int iteration = 0;
  int restarts = 0;
  int restartIterations = 0;  // iterations of the minimiser before its last restart
  while (iteration < request.maxIterations) {
    if (settings.observer != nullptr && settings.observer->StopRequested()) {
      result.stopped = true;
      result.status = "stopped after " + std::to_string(iteration) + " iterations";
      break;
    }
    status = gsl_multifit_nlinear_iterate(w.get());
    if (state.failure) std::rethrow_exception(state.failure);
    if (status == GSL_ENOPROG && restarts < kMaxRestarts) {
      // No trial step lowered chi2. The spectrum moves in small jumps where a layer boundary
      // passes a depth step, and a difference quotient taken across one misleads the step:
      // start afresh from the best point, with a new Jacobian and trust region.
      ++restarts;
      std::unique_ptr<gsl_vector, VectorDeleter> from(gsl_vector_alloc(p));
      gsl_vector_memcpy(from.get(), gsl_multifit_nlinear_position(w.get()));
      restartIterations += static_cast<int>(gsl_multifit_nlinear_niter(w.get()));
      status = gsl_multifit_nlinear_init(from.get(), &fdf, w.get());
      if (state.failure) std::rethrow_exception(state.failure);
      if (status == GSL_SUCCESS) continue;
    }
    if (status == GSL_ENOPROG) {
      // No step reduces chi2 any more: at the minimum, to the precision of the simulation,
      // when the gradient there is small.
      const double chi2 = model.Best().chi2;
      result.converged = RelativeGradient(w.get(), chi2) < kGtolStalled;
      result.status = result.converged ? "converged (no smaller chi2 within the precision of the "
                                         "simulation)"
                                       : "the fit stopped: no step reduces chi2";
      break;
    }
    if (status != GSL_SUCCESS) {
      result.status = std::string("the fit stopped: ") + gsl_strerror(status);
      break;
    }
    ++iteration;
    if (settings.observer != nullptr) {
      settings.observer->Progress({"spectrum fit", "iterations", iteration, request.maxIterations});
    }
    int info = 0;
    if (gsl_multifit_nlinear_test(kXtol, kGtol, 0.0, &info, w.get()) == GSL_SUCCESS) {
      result.converged = true;
      result.status =
          info == 1 ? "converged (step below tolerance)" : "converged (gradient below tolerance)";
      break;
    }
  }
  if (settings.observer != nullptr && !result.stopped) {
    settings.observer->Progress(
        {"spectrum fit", "iterations", request.maxIterations, request.maxIterations});
  }

  // The best point found; the trust region only accepts steps that lower chi2, so it is the
  // minimiser's position.
  const Evaluation& best = model.Best();
  gsl_vector* position = gsl_multifit_nlinear_position(w.get());
  std::vector<double> xbest = ToVector(position);
  if (xbest != best.x) xbest = best.x;
  std::unique_ptr<gsl_matrix, MatrixDeleter> covar(gsl_matrix_alloc(p, p));
  // The covariance is that of the best point: the minimiser's Jacobian when it stands
  // there, else (a trial step found a chi2 lower by rounding than the position kept) the
  // Jacobian simulated at the best point itself.
  const gsl_matrix* jacobian = gsl_multifit_nlinear_jac(w.get());
  std::unique_ptr<gsl_matrix, MatrixDeleter> bestJacobian;
  if (xbest != ToVector(position)) {
    bestJacobian.reset(gsl_matrix_alloc(n, p));
    model.Jacobian(xbest, bestJacobian.get());
    jacobian = bestJacobian.get();
  }
  const bool haveCovariance = gsl_multifit_nlinear_covar(jacobian, 0.0, covar.get()) == GSL_SUCCESS;
  auto variance = [&](std::size_t j) {
    const double v = haveCovariance ? gsl_matrix_get(covar.get(), j, j) : 0.0;
    return v > 0.0 && std::isfinite(v) ? v : std::numeric_limits<double>::infinity();
  };

  result.ran = true;
  result.chi2 = best.chi2;
  // Channels empty in the data and the fit add nothing to chi2: the degrees of freedom are
  // the channels with counts measured or at least one count fitted, less the parameters.
  int informative = 0;
  for (std::size_t i = 0; i < best.counts.size(); ++i)
    informative += model.Measured(i) > 0.0 || best.counts[i] >= 1.0 ? 1 : 0;
  result.dof = informative - static_cast<int>(p);
  if (result.dof <= 0) result.dof = static_cast<int>(n) - static_cast<int>(p);
  result.iterations = restartIterations + static_cast<int>(gsl_multifit_nlinear_niter(w.get()));
  result.simulations = model.Simulations();
  result.fitted = best.spectrum;
  for (std::size_t j = 0; j < p; ++j) {
    const Variable& v = variables[j];
    const double value = v.Value(xbest[j]);
    const double sigma = std::fabs(v.Slope(xbest[j])) * std::sqrt(variance(j));
    result.best.push_back(value);
    if (v.kind == VariableKind::kThickness) {
      result.values.push_back({v.name, v.unit, v.start * kAngstromPerMicron,
                               value * kAngstromPerMicron, sigma * kAngstromPerMicron});
      // 1e15 atoms/cm2: micron x 1e-4 cm x 1e22 atoms/cm3 / 1e15.
      const double density = inputs.run.sample.layers[v.layer].density * 1e3;
      result.values.push_back({"areal density " + std::to_string(v.layer + 1), "1e15 atoms/cm2",
                               v.start * density, value * density, sigma * density});
    } else {
      result.values.push_back({v.name, v.unit, v.start, value, sigma});
    }
  }
  for (std::size_t i = 0; i < p && haveCovariance; ++i) {
    for (std::size_t j = i + 1; j < p; ++j) {
      const double c = gsl_matrix_get(covar.get(), i, j) / std::sqrt(variance(i) * variance(j));
      if (std::isfinite(c) && std::fabs(c) > kStrongCorrelation) {
        result.correlations.push_back({variables[i].name, variables[j].name, c});
      }
    }
  }
  if (!result.converged && !result.stopped) messages.Show("spectrum fit: " + result.status);
  return result;
}

// ---- Writing back ----------------------------------------------------------------------

bool ApplyFit(ParameterSet& p, LayerStructure& sample, const FitRequest& request,
              const SpectrumFitResult& result) {
  if (!result.ran) return true;
  std::vector<Variable> variables;
  if (!MakeVariables(p, p.CheckDet, sample, request.choices, variables).empty()) return true;
  if (variables.size() != result.best.size()) return true;
  // The layer text can take the numbers when its sections are the parsed layers.
  const bool textMatches = LayerTextSections(p.richedit1) == sample.layerCount();
  bool textChanged = false;
  for (std::size_t j = 0; j < variables.size(); ++j) {
    const Variable& v = variables[j];
    const double value = result.best[j];
    if (!std::isfinite(value)) continue;
    SetValue(p, sample, v, value);
    const std::string text = Formatted("%.7g", value);
    switch (v.kind) {
      case VariableKind::kThickness:
        if (textMatches) {
          textChanged |= SetLayerTextThickness(p.richedit1, static_cast<int>(v.layer) + 1,
                                               value * kAngstromPerMicron);
        }
        break;
      case VariableKind::kAmount: {
        const LayerElement& e = sample.layers[v.layer].elements[v.element];
        const std::string symbol(e.symbol.data(), e.symbol[1] == ' ' ? 1 : 2);
        if (textMatches) {
          textChanged |=
              SetLayerTextAmount(p.richedit1, static_cast<int>(v.layer) + 1, symbol, value);
        }
        break;
      }
      case VariableKind::kSlope:
        p.Edit1_detkevch = text;
        break;
      case VariableKind::kOffset:
        p.Edit1_dete0 = text;
        break;
      case VariableKind::kResolution:
        p.Edit1_detres0 = text;
        break;
      case VariableKind::kDose:
        p.Edit1_q1 = text;
        break;
    }
  }
  const bool layerVariables =
      std::any_of(variables.begin(), variables.end(), [](const Variable& v) {
        return v.kind == VariableKind::kThickness || v.kind == VariableKind::kAmount;
      });
  return !layerVariables || textChanged;
}

// ---- The report --------------------------------------------------------------------------

std::string FormatWithUncertainty(double value, double sigma) {
  if (!std::isfinite(value)) return "undetermined +- inf";
  if (!std::isfinite(sigma)) return Formatted("%.7g", value) + " +- inf";
  if (!(sigma > 0.0)) return Formatted("%.7g", value) + " +- 0";
  // Two significant digits of sigma; the value to the same decimal.
  int decimals = 1 - static_cast<int>(std::floor(std::log10(sigma)));
  // 9.96 rounds to 10: one digit fewer.
  const double rounded = std::round(sigma * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
  if (rounded >= 100.0 * std::pow(10.0, -decimals)) --decimals;
  char buf[96];
  if (decimals >= 0) {
    decimals = std::min(decimals, 15);
    std::snprintf(buf, sizeof buf, "%.*f +- %.*f", decimals, value, decimals, sigma);
  } else {
    const double unit = std::pow(10.0, -decimals);
    std::snprintf(buf, sizeof buf, "%.0f +- %.0f", std::round(value / unit) * unit,
                  std::round(sigma / unit) * unit);
  }
  return buf;
}

std::string FormatFitReport(const SpectrumFitResult& result, const FitRequest& request) {
  std::string out;
  for (const FittedValue& v : result.values) {
    out += v.name + " = " + FormatWithUncertainty(v.value, v.sigma);
    if (!v.unit.empty()) out += " " + v.unit;
    out += "\r\n";
  }
  const double perDof = result.dof > 0 ? result.chi2 / result.dof : 0.0;
  out += "chi2/dof = " + Formatted("%.4g", std::isfinite(perDof) ? perDof : 0.0) + "\r\n";
  out += "iterations = " + std::to_string(result.iterations) + "\r\n";
  out += "simulations = " + std::to_string(result.simulations) + "\r\n";
  out += std::string("converged = ") + (result.converged ? "yes" : "no") + "\r\n";
  out += "channels = " + std::to_string(request.channels.first) + " to " +
         std::to_string(request.channels.last) + "\r\n";
  out += "status = " + result.status + "\r\n";
  for (const FitCorrelation& c : result.correlations) {
    out +=
        "correlation " + c.first + " / " + c.second + " = " + Formatted("%.3f", c.value) + "\r\n";
  }
  return out;
}

}  // namespace dodavev
