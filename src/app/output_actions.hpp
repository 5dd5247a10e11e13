// Saving what the last calculation left: the report files ("Save results") and the
// simulated spectrum ("Save spectrum"), with a name chosen in a dialog or given on line 5
// of a BatchFile record.
#pragma once

#include <filesystem>
#include <optional>

namespace dodavev {

struct Session;

// The report text, and after "depth and energy resolution" also the second report, into
// files named after `name` with its ending replaced. An empty name writes nothing and
// shows "#2" (no such file), as opening an unnamed file would.
void SaveResults(Session& session, const std::filesystem::path& name);

// kind 1 (the BatchFile's form): the two-column spectrum file; any other kind: the depth
// file with energies and the measured spectrum. An empty name shows "#2".
void SaveSpectrum(Session& session, const std::filesystem::path& name, int kind = 1);

// "load a new spectrum": reads the measured spectrum from `chosen` (nothing happens
// without a choice) and, when it loads, remembers its path as the parameter set's
// measured spectrum file. A file longer than the number of channels typed on the
// Simulation page says so once. True when a spectrum was loaded.
bool loadaspectrum1Click(Session& session, const std::optional<std::filesystem::path>& chosen);

// The measured spectrum named by the parameter set's "measured spectrum file": loaded when
// the name is not empty (relative names are taken from `baseDir`, the folder of the
// parameter file), emptied to 0 counts when it is empty, so that the spectrum shown is the
// one the parameter file names. A file that does not load leaves the spectrum as it was.
void LoadNamedMeasuredSpectrum(Session& session, const std::filesystem::path& baseDir);

}  // namespace dodavev
