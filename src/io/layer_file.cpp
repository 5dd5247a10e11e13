#include "io/layer_file.hpp"

#include <cerrno>
#include <cstdint>
#include <string>
#include <system_error>

#include "io/file_naming.hpp"
#include "io/text_file.hpp"

namespace dodavev {
namespace {

// A layer text is typed by hand; no sensible one comes near this size.
constexpr std::uintmax_t kMaxLayerFileBytes = 16U * 1024U * 1024U;

}  // namespace

int ReadLayerText(const std::filesystem::path& path, std::string& text) {
  text.clear();
  std::string content;
  const int code = ReadTextFileCapped(path, kMaxLayerFileBytes, content);
  // Lines end at CR LF, LF or a lone CR; each line read is followed by "\n".
  std::size_t i = 0;
  while (i < content.size()) {
    const std::size_t end = content.find_first_of("\r\n", i);
    if (end == std::string::npos) {
      text.append(content, i, std::string::npos);
      text.push_back('\n');
      break;
    }
    text.append(content, i, end - i);
    text.push_back('\n');
    i = end + 1;
    if (content[end] == '\r' && i < content.size() && content[i] == '\n') ++i;
  }
  return code;
}

int WriteLayerText(const std::filesystem::path& path, std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8 + 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      // A CR LF already in the text stays one line end.
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out.append("\r\n");
    } else if (c == '\n') {
      out.append("\r\n");
    } else {
      out.push_back(c);
    }
  }
  return WriteFileAtomically(path, out);
}

}  // namespace dodavev
