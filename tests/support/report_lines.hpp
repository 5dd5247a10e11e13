// Reports and tables are written with CR LF line ends: their lines, for line-by-line checks.
#pragma once

#include <string>
#include <vector>

namespace dodavev::testing {

// The lines of `text` split at each CR LF; a last line without a line end counts too.
inline std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

}  // namespace dodavev::testing
