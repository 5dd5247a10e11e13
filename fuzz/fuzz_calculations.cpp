// The whole run on any inputs: a parameter file text, a sample layer text, an absorber
// layer text and a measured spectrum's text (separated by NUL bytes; the spectrum is what
// the spectrum fit fits) go through "OK" and then each of the eight
// calculations, with the depth steps, scan geometries and excitation energies held to a
// few. Every calculation must end within a time bound, and no file it would save (report,
// table, spectrum) may hold a NaN or an infinity - but for the depth resolution of layers
// that do not slow the ions, which is infinite, printed as such and announced.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/session.hpp"
#include "fuzz_input.hpp"
#include "io/measured_spectrum.hpp"
#include "io/parameter_file.hpp"
#include "io/result_files.hpp"

namespace {

using namespace dodavev;
using Clock = std::chrono::steady_clock;

// Longest one calculation of such small walks may take (under the sanitizers, on a loaded
// machine) before it counts as a hang.
constexpr std::chrono::seconds kTimeBound{30};

constexpr double kMaxDepthSteps = 16.0;
constexpr double kMaxScanSteps = 2.0;

constexpr std::string_view kNoSlowingDown = "the ions lose no energy in part of the sample";

// Notes whether the calculation announced an infinite depth resolution.
class WatchingSink final : public MessageSink {
 public:
  void Show(std::string_view text) override {
    if (text.substr(0, kNoSlowingDown.size()) == kNoSlowingDown) infiniteResolution = true;
  }
  bool infiniteResolution = false;
};

[[noreturn]] void Fail(std::string_view calculation, const char* what) {
  std::fprintf(stderr, "\"%.*s\": %s\n", static_cast<int>(calculation.size()), calculation.data(),
               what);
  __builtin_trap();
}

// Fewer, longer steps for whatever "OK" read: the walks, the geometry scan of the
// optimisation and the energies of the excitation curve each do only a few steps.
void HoldStepsFew(ParameterValues& p) {
  if (std::isfinite(p.depthmax) && p.depthmax > 0.0 && !(p.depthmax / p.x <= kMaxDepthSteps))
    p.x = p.depthmax / kMaxDepthSteps;
  const double thetaRange = std::fabs(p.theta_max - p.theta_min);
  if (std::isfinite(thetaRange))
    p.step_deg = std::max({p.step_deg, thetaRange / kMaxScanSteps, 45.0});
  const double energyRange = std::fabs(p.rezmax - p.rezmin);
  if (std::isfinite(energyRange) && !(energyRange / p.estep <= kMaxScanSteps))
    p.estep = energyRange / kMaxScanSteps;
}

// The texts the calculation's result files would hold: the reports (saved as they are) and
// both layouts of the spectrum file.
void CheckResults(const Session& s, std::string_view calculation, bool announced) {
  if (fuzzing::HasNonFiniteWord(s.OutputLog, announced))
    Fail(calculation, "NaN or infinity in the report");
  if (fuzzing::HasNonFiniteWord(s.results.detailReport, announced))
    Fail(calculation, "NaN or infinity in the second report");
  const ParameterValues& p = s.params;
  if (fuzzing::HasNonFiniteWord(FormatSpectrumFile(s.results.SimulatedSpectrum, p.detkevch)) ||
      fuzzing::HasNonFiniteWord(FormatDepthFile(s.results.SimulatedSpectrum, s.MeasuredSpectrum,
                                                SpectrumCalibration{p.detkevch, p.dete0}))) {
    Fail(calculation, "NaN or infinity in the spectrum file");
  }
}

// Whether a text the calculation rewrote holds a NaN or an infinity it did not hold before
// (the fuzzed inputs may hold such words themselves).
bool WroteNonFinite(std::string_view before, std::string_view after) {
  return before != after && fuzzing::HasNonFiniteWord(after) && !fuzzing::HasNonFiniteWord(before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = fuzzing::AsText(data, size);
  const std::string_view parameters = fuzzing::NextPart(text);
  const std::string_view sample = fuzzing::NextPart(text);
  const std::string_view absorber = fuzzing::NextPart(text);
  const std::string_view measured = fuzzing::NextPart(text);

  WatchingSink sink;
  auto session = std::make_unique<Session>(sink);
  *session = fuzzing::StartedSession();  // its state; the messages still come here
  ParameterSet& p = session->params;
  ParseParameterText(parameters, p);
  // Data files and measured spectra named by the parameter text are not read: their names
  // would lead anywhere in the file system. Their readers have targets of their own.
  p.registry = {};
  p.MeasuredSpectrumFile.clear();
  p.richedit1 = std::string(sample);
  p.RichEdit2 = std::string(absorber);
  if (MeasuredSpectrumRead read = ParseMeasuredSpectrumText(measured); read.ok)
    session->MeasuredSpectrum = std::move(read.counts);
  Button5Click(*session);
  HoldStepsFew(p);

  for (const CalculationEntry& calculation : Calculations()) {
    session->OutputLog.clear();
    session->results.detailReport.clear();
    sink.infiniteResolution = false;
    const ParameterInputs before = p;
    const Clock::time_point start = Clock::now();
    calculation.run(*session);
    if (Clock::now() - start > kTimeBound) Fail(calculation.caption, "took too long");
    // A fit reports an uncertainty it cannot determine as "+- inf"; it never writes a NaN,
    // into its report or into the inputs it writes back (the parameter file and the sample).
    const bool fit = calculation.run == &spectrumfitClick;
    CheckResults(*session, calculation.caption, sink.infiniteResolution || fit);
    if (fit && (WroteNonFinite(before.Edit1_q1, p.Edit1_q1) ||
                WroteNonFinite(before.Edit1_detkevch, p.Edit1_detkevch) ||
                WroteNonFinite(before.Edit1_dete0, p.Edit1_dete0) ||
                WroteNonFinite(before.Edit1_detres0, p.Edit1_detres0) ||
                WroteNonFinite(before.richedit1, p.richedit1))) {
      Fail(calculation.caption, "NaN or infinity written back into the inputs");
    }
  }
  return 0;
}
