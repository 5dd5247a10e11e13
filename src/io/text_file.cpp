#include "io/text_file.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>
#include <system_error>

namespace dodavev {
namespace {

int ErrnoOr(int fallback) {
  return errno != 0 ? errno : fallback;
}

}  // namespace

int WriteFileAtomically(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::path tmp = path;
  std::random_device rd;
  tmp += ".tmp" + std::to_string(rd() % 1000000U);
  errno = 0;
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (f == nullptr) return ErrnoOr(EIO);
  std::size_t written = content.empty() ? 0 : std::fwrite(content.data(), 1, content.size(), f);
  int code = 0;
  if (written != content.size()) code = ErrnoOr(EIO);
  if (std::fclose(f) != 0 && code == 0) code = ErrnoOr(EIO);
  if (code == 0) {
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) code = ec.value() != 0 ? ec.value() : EIO;
  }
  if (code != 0) {
    std::error_code ignored;
    std::filesystem::remove(tmp, ignored);
  }
  return code;
}

int ReadWholeFile(const std::filesystem::path& path, std::string& content) {
  content.clear();
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return ErrnoOr(EIO);
  char buf[65536];
  std::size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    content.append(buf, n);
  int code = std::ferror(f) ? ErrnoOr(EIO) : 0;
  std::fclose(f);
  return code;
}

std::string IoErrorText(int code, const std::filesystem::path& file) {
  std::string text = "#" + std::to_string(code);
  if (!file.empty()) text += " " + file.string();
  return text;
}

int ReadTextFileCapped(const std::filesystem::path& path, std::size_t maxBytes,
                       std::string& content) {
  content.clear();
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) return ENOENT;
  if (ec) return ec.value();
  if (std::filesystem::is_directory(status)) return EISDIR;
  if (!std::filesystem::is_regular_file(status)) return EINVAL;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return ec.value();
  if (size > maxBytes) return EFBIG;
  const int code = ReadWholeFile(path, content);
  // The file may have grown since its size was taken.
  if (code == 0 && content.size() > maxBytes) {
    content.clear();
    return EFBIG;
  }
  return code;
}

}  // namespace dodavev
