// The session's inputs as one run reads them.
#pragma once

#include "engine/run_inputs.hpp"
#include "studies/spectrum_fit.hpp"

namespace dodavev {

struct Session;

// The page switches of the inputs.
RunSwitches RunSwitchesOf(const ParameterSet& p);

// What the runs of a calculation read, taken from the session as the last "OK" and the
// set-up's reaction identification left it. Holds references into the session: it is
// used while the session lives and is not changed.
RunInputs RunInputsOf(const Session& session);

// What the spectrum fit reads: `run` (the session's run inputs) and the session's measured
// spectrum, whether a measured spectrum file is named and "Only the given target isotop: ".
FitInputs FitInputsOf(const Session& session, const RunInputs& run);

// The Options-page transport switches and the stopping source of the session's inputs.
TransportOptions TransportOptionsOf(const Session& session);
StoppingModel StoppingModelOf(const Session& session);

}  // namespace dodavev
