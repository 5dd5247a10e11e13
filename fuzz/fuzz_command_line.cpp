// Command lines of any words (separated by NUL bytes in the input): the program answers
// with usage, help, a version or a batch run and an exit status of 0, 1 or 2, never a
// crash.
//
// Options and numbers are passed as they are. Every other word would be a BatchFile name;
// it is replaced by one of a few paths into a scratch directory (a small BatchFile, an
// empty one, a missing one, the directory itself), so that no run reads or writes files
// elsewhere.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.hpp"
#include "fuzz_input.hpp"

namespace {

using namespace dodavev;

constexpr std::size_t kMaxWords = 8;
struct Scratch {
  fuzzing::ScratchDir dir;
  std::set<std::filesystem::path> prepared;
  std::array<std::string, 4> fileWords;
};

const Scratch& Prepare() {
  static const std::unique_ptr<Scratch> scratch = [] {
    auto s = std::make_unique<Scratch>();
    fuzzing::CopyExamples(s->dir);
    const std::filesystem::path& d = s->dir.path();
    s->dir.Write("run.bat", (d / "default.par").string() + "\n" + (d / "default.lay").string() +
                                "\n\nenergy loss\n" + (d / "run_results").string() + "\n");
    s->dir.Write("empty.bat", "");
    s->prepared = s->dir.Names();
    s->fileWords = {(d / "run.bat").string(), (d / "empty.bat").string(),
                    (d / "missing.bat").string(), d.string()};
    return s;
  }();
  return *scratch;
}

bool OptionOrNumber(std::string_view word) {
  if (word.size() > 1 && word.front() == '-') return true;
  if (word.empty()) return true;  // an empty word names nothing
  for (char c : word) {
    if ((c < '0' || c > '9') && c != '+' && c != '-' && c != ' ') return false;
  }
  return word != "-";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Scratch& scratch = Prepare();
  std::string_view text = fuzzing::AsText(data, size);
  std::vector<std::string> words{"dodavev"};
  while (!text.empty() && words.size() <= kMaxWords) {
    const std::string_view word = fuzzing::NextPart(text);
    const std::size_t pick = word.empty() ? 0 : static_cast<unsigned char>(word.front()) % 4;
    words.emplace_back(OptionOrNumber(word) ? std::string(word) : scratch.fileWords[pick]);
  }
  std::vector<char*> argv;
  for (std::string& w : words)
    argv.push_back(w.data());
  argv.push_back(nullptr);
  int status = 0;
  {
    const fuzzing::QuietOutput quiet;
    status = RunProgram(static_cast<int>(words.size()), argv.data());
  }
  scratch.dir.RemoveAllBut(scratch.prepared);
  if (status < 0 || status > 2) __builtin_trap();
  if (words.size() > 1 && (words[1] == "--help" || words[1] == "--version") && status != 0)
    __builtin_trap();
  return 0;
}
