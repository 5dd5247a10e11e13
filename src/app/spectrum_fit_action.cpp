// "spectrum fit": the fit of the simulated spectrum to the measured one, with the choices
// and the channel region of the Simulation page's "Fit" group.
#include <memory>
#include <optional>

#include "app/calculation_setup.hpp"
#include "app/calculations.hpp"
#include "app/run_inputs_of.hpp"
#include "app/session.hpp"
#include "engine/setup.hpp"
#include "studies/spectrum_fit.hpp"
#include "studies/spectrum_simulation.hpp"

namespace dodavev {
namespace {

// Nothing was fitted: no output of an earlier calculation may pass for the fit's.
void NoFit(Session& session, std::string_view message) {
  if (!message.empty()) session.messages.Show(message);
  session.OutputLog.clear();
  session.SpectrumFlag = SpectrumMode::kNone;
  session.studies.fitFirstChannel = 0;
  session.studies.fitLastChannel = 0;
}

}  // namespace

void spectrumfitClick(Session& session) {
  const ParameterSet& p = session.params;
  FitRequest request;
  const FitChoicesRead read = ParseFitParameters(p.Edit1_fit_parameters);
  if (!read.error.empty()) return NoFit(session, "spectrum fit: " + read.error);
  request.choices = read.choices;
  const std::optional<FitChannels> channels = ParseFitChannels(p.Edit1_fit_channels);
  if (!channels) {
    return NoFit(session, "spectrum fit: the fit channels \"" + p.Edit1_fit_channels +
                              "\" are not two whole numbers, the first and the last channel");
  }
  request.channels = *channels;

  auto prepared = std::make_unique<RunState>();
  RunRequest base =
      SetUpRequest(session, CalculationMode::kDepthWalk, SpectrumMode::kFullSpectrum, *prepared);
  const RunInputs inputs = RunInputsOf(session);
  const SpectrumFitResult result =
      FitSpectrum(FitInputsOf(session, inputs), base, request, session.scan, session.messages);
  if (!result.ran) return NoFit(session, {});

  if (!ApplyFit(session.params, session.sample, request, result)) {
    session.messages.Show(
        "spectrum fit: the sample layer text has sections with errors; the fitted thicknesses "
        "and amounts are used but not written into it");
  }
  session.results = RunResults{};
  session.results.CalcMode = base.CalcMode;
  session.results.SimulatedSpectrum = result.fitted;
  session.results.SpectrumFlag = SpectrumMode::kSpectrum;
  session.OutputLog = FormatFitReport(result, request);
  session.CalcMode = base.CalcMode;
  session.SpectrumFlag = SpectrumMode::kSpectrum;
  session.studies.Button12Caption = p.CheckBox1_given_target ? kViewSubspectrum : kViewSpectrum;
  session.studies.fitFirstChannel = request.channels.first;
  session.studies.fitLastChannel = request.channels.last;
}

}  // namespace dodavev
