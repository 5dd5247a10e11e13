// Safe writing and simple reading of whole text files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dodavev {

// Input/output error code for a number that cannot be read (the classic runtime code for
// "invalid numeric format"); loaders report it as they report the system's error codes.
inline constexpr int kInvalidNumericFormat = 106;

// A line without its leading blanks and tabs and its trailing blanks, tabs and CR.
inline std::string_view TrimLine(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Writes `content` to a temporary file beside `path` and renames it over `path`, so a
// failed write never destroys the old file. Returns 0 or the system error code (errno).
int WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// The message of an input/output failure: "#" followed directly by the code, then a blank
// and the file's name (when it has one).
std::string IoErrorText(int code, const std::filesystem::path& file);

// Reads a whole file; returns 0 or the system error code (2 for a missing file).
int ReadWholeFile(const std::filesystem::path& path, std::string& content);

// Reads a whole plain file of at most `maxBytes` bytes. Directories give EISDIR; devices
// and pipes, which may never end, give EINVAL; a larger file gives EFBIG (27) and leaves
// `content` empty. Returns 0 or the system error code (2 for a missing file).
int ReadTextFileCapped(const std::filesystem::path& path, std::size_t maxBytes,
                       std::string& content);

}  // namespace dodavev
