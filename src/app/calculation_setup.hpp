// The set-up every calculation built on the depth walk runs first on the session: the
// reaction identified again from the inputs, then the engine's preparation of the request
// and of a first run (levels of the residual nucleus, the beam energy of the study).
#pragma once

namespace dodavev {

class MessageSink;
struct RunRequest;
struct RunState;
struct Session;

void SetUpCalculation(Session& session, RunRequest& request, RunState& run, MessageSink& messages);

}  // namespace dodavev
