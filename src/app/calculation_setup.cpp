#include "app/calculation_setup.hpp"

#include "app/identify_reaction.hpp"
#include "app/run_inputs_of.hpp"
#include "app/session.hpp"
#include "engine/setup.hpp"

namespace dodavev {

void SetUpCalculation(Session& session, RunRequest& request, RunState& run, MessageSink& messages) {
  IdentifyReaction(session);
  PrepareCalculation(RunInputsOf(session), request, run, messages);
}

RunRequest SetUpRequest(Session& session, CalculationMode mode, SpectrumMode spectrum,
                        RunState& run) {
  RunRequest request;
  request.CalcMode = mode;
  request.SpectrumFlag = spectrum;
  SetUpCalculation(session, request, run, session.messages);
  return request;
}

}  // namespace dodavev
