// What the fuzz targets share: reading numbers and parts from a fuzzer's raw bytes, a
// scratch directory for the readers that take file names, a session started on the shipped
// start-up data, and the checks of what a run leaves.
#pragma once

#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

#include "app/program.hpp"
#include "app/session.hpp"
#include "io/parameter_file.hpp"
#include "model/messages.hpp"

namespace dodavev::fuzzing {

// The next eight bytes as a double (any bit pattern: NaN, infinities, denormals); 0 once
// the input is used up.
inline double Take(const std::uint8_t*& data, std::size_t& size) {
  double v = 0.0;
  if (size >= sizeof v) {
    std::memcpy(&v, data, sizeof v);
    data += sizeof v;
    size -= sizeof v;
  }
  return v;
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The text up to the next NUL byte (the rest when there is none): inputs made of several
// texts, such as a parameter file and a layer file, separate them with a NUL.
inline std::string_view NextPart(std::string_view& text) {
  const std::size_t end = text.find('\0');
  const std::string_view part = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  return part;
}

// The next line of the input (the rest when there is no line break).
inline std::string_view NextLine(std::string_view& text) {
  const std::size_t end = text.find('\n');
  const std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  return line;
}

class Discard final : public MessageSink {
 public:
  void Show(std::string_view) override {}
};

// Whether a number printed as "nan", "-nan", "inf", "-inf", "infinity" (any case) stands
// anywhere in the text as a word of its own; with `allowInfinity`, a positive infinity
// ("inf", "infinity") does not count.
inline bool HasNonFiniteWord(std::string_view text, bool allowInfinity = false) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  auto letter = [&](char c) { return lower(c) >= 'a' && lower(c) <= 'z'; };
  for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
    if (i > 0 && (letter(text[i - 1]) || (text[i - 1] >= '0' && text[i - 1] <= '9'))) continue;
    std::string word;
    for (std::size_t k = i; k < text.size() && k < i + 9 && letter(text[k]); ++k)
      word += lower(text[k]);
    if (word == "nan") return true;
    if (word == "inf" || word == "infinity") {
      if (!allowInfinity || (i > 0 && text[i - 1] == '-')) return true;
    }
  }
  return false;
}

// A directory of its own under the system's temporary directory, removed at exit. Targets
// whose readers take file names write their inputs here and nowhere else.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dodavev-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  void Write(const std::filesystem::path& name, std::string_view content) const {
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) std::abort();
  }

  // The names in the directory now: the files a target prepared once.
  std::set<std::filesystem::path> Names() const {
    std::set<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.insert(entry.path().filename());
    return names;
  }

  // Removes whatever a run added beside the prepared names (its outputs and logs).
  void RemoveAllBut(const std::set<std::filesystem::path>& keep) const {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ec)) {
      if (keep.count(entry.path().filename()) == 0) std::filesystem::remove_all(entry.path(), ec);
    }
  }

 private:
  std::filesystem::path path_;
};

// The shipped start-up data directory of the source tree.
inline std::filesystem::path ShippedLevDir() {
  return DODAVEV_LEV_DIR;
}

inline std::string ReadFileOrAbort(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) std::abort();
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A session started as the program starts it, on the shipped start-up data, its messages
// discarded and its scans run on one thread; targets run on copies of it.
inline const Session& StartedSession() {
  static Discard sink;
  static const std::unique_ptr<Session> session = [] {
    auto s = std::make_unique<Session>(sink);
    FormCreate(*s, ShippedLevDir().parent_path(), ShippedLevDir());
    s->scan.jobs = 1;
    return s;
  }();
  return *session;
}

// Inputs of a few depth steps, one or two scan geometries and energies and a hundred
// channels, so that a calculation on them runs quickly.
inline void HoldStepsFew(ParameterInputs& in) {
  in.Edit1_depthmax = "0.4";
  in.Edit1_x = "0.05";
  in.Edit1_theta_min = "150";
  in.Edit1_theta_max = "170";
  in.Edit1_step_deg = "45";
  in.Edit1_rezmin = "4200";
  in.Edit1_rezmax = "4300";
  in.Edit1_estep = "50";
  in.Edit1_channels = "100";
}

// Copies the shipped example files into `dir` (not the folders of the Python examples),
// their parameter files with HoldStepsFew.
inline void CopyExamples(const ScratchDir& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(DODAVEV_EXAMPLES_DIR)) {
    if (!entry.is_regular_file()) continue;
    const std::filesystem::path name = entry.path().filename();
    std::string text = ReadFileOrAbort(entry.path());
    if (name.extension() == ".par") {
      ParameterInputs in;
      ParseParameterText(text, in);
      HoldStepsFew(in);
      text = FormatParameterFile(in);
    }
    dir.Write(name, text);
  }
}

// Standard output and standard error go nowhere while it lives (the batch mode and the
// command line write their messages there); sanitizer reports still reach the real
// standard error.
class QuietOutput {
 public:
  QuietOutput() {
    static const int reportFd = [] {
      const int fd = dup(2);
      if (fd >= 0) __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(fd)));
      return fd;
    }();
    (void)reportFd;
    std::fflush(stdout);
    std::fflush(stderr);
    savedOut_ = dup(1);
    savedErr_ = dup(2);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, 1);
      dup2(null, 2);
      close(null);
    }
  }
  ~QuietOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    Restore(savedOut_, 1);
    Restore(savedErr_, 2);
  }
  QuietOutput(const QuietOutput&) = delete;
  QuietOutput& operator=(const QuietOutput&) = delete;

 private:
  static void Restore(int saved, int fd) {
    if (saved < 0) return;
    dup2(saved, fd);
    close(saved);
  }

  int savedOut_ = -1;
  int savedErr_ = -1;
};

}  // namespace dodavev::fuzzing
