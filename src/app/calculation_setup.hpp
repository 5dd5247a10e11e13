// The set-up every calculation built on the depth walk runs first on the session: the
// reaction identified again from the inputs, then the engine's preparation of the request
// and of a first run (levels of the residual nucleus, the beam energy of the study).
#pragma once

#include "model/calculation_mode.hpp"

namespace dodavev {

class MessageSink;
struct RunRequest;
struct RunState;
struct Session;

void SetUpCalculation(Session& session, RunRequest& request, RunState& run, MessageSink& messages);

// A request of the given modes, set up on the session as above (messages to the session's
// sink), with the set-up's first run in `run`.
RunRequest SetUpRequest(Session& session, CalculationMode mode, SpectrumMode spectrum,
                        RunState& run);

}  // namespace dodavev
