// The sample and absorber layer texts of the session loaded from and saved to layer files.
#pragma once

#include <filesystem>

namespace dodavev {

struct Session;

// Replaces the sample text (`richedit1`) by the lines of the file and shows the file name in
// `samplefile`. A file that cannot be read shows "#" + the error code; the text then keeps
// the lines read so far.
void LoadSampleLayerFile(Session& session, const std::filesystem::path& path);

// The same for the absorber text (`RichEdit2`); the label `Absorbensfile` shows
// "Absorbens : " followed by the file name.
void LoadAbsorberFile(Session& session, const std::filesystem::path& path);

// Writes the sample text to the chosen path with its ending forced to ".lay" and shows the
// chosen name in `samplefile`. Returns 0, or the error code after showing "#" + code.
int SaveSampleLayerFile(Session& session, const std::filesystem::path& chosen);

// The same for the absorber text; `Absorbensfile` shows "Absorbens : " + the chosen name.
int SaveAbsorberFile(Session& session, const std::filesystem::path& chosen);

}  // namespace dodavev
