// Saving what the last calculation left: the report files ("Save results") and the
// simulated spectrum ("Save spectrum"), with a name chosen in a dialog or given on line 5
// of a BatchFile record.
#pragma once

#include <filesystem>

namespace dodavev {

struct Session;

// The report text, and after "depth and energy resolution" also the second report, into
// files named after `name` with its ending replaced. An empty name writes nothing and
// shows "#2" (no such file), as opening an unnamed file would.
void SaveResults(Session& session, const std::filesystem::path& name);

// kind 1 (the BatchFile's form): the two-column spectrum file; any other kind: the depth
// file with energies and the measured spectrum. An empty name shows "#2".
void SaveSpectrum(Session& session, const std::filesystem::path& name, int kind = 1);

}  // namespace dodavev
