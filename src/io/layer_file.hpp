// Layer files (".lay"): the layer text of the Sample or Detection page, one text line per
// file line, CR LF line ends.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dodavev {

struct Session;

// Lines of a layer file, each followed by "\n" (the line break of the texts in memory).
// CR LF and LF line ends are both read. Returns 0, or the input/output error code; on an
// error `text` holds the lines read so far.
int ReadLayerText(const std::filesystem::path& path, std::string& text);

// Writes the text with CR LF line ends (a last line without a break gets none), through a
// temporary file beside `path`. Returns 0 or the input/output error code.
int WriteLayerText(const std::filesystem::path& path, std::string_view text);

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
