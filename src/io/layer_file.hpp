// Layer files (".lay"): the layer text of the Sample or Detection page, one text line per
// file line, CR LF line ends.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dodavev {

// Lines of a layer file, each followed by "\n" (the line break of the texts in memory).
// CR LF and LF line ends are both read. Returns 0, or the input/output error code; on an
// error `text` holds the lines read so far.
int ReadLayerText(const std::filesystem::path& path, std::string& text);

// Writes the text with CR LF line ends (a last line without a break gets none), through a
// temporary file beside `path`. Returns 0 or the input/output error code.
int WriteLayerText(const std::filesystem::path& path, std::string_view text);

}  // namespace dodavev
