// BatchFiles of any content: every record is read and acted on, line by line, without a
// crash or a hang, and the run reads the file to its end.
//
// The names on the lines are taken inside a scratch directory that holds the shipped
// examples (with walks of a few steps): each is put behind the directory's path, with a "/"
// of the input read as "_", so that no record reads or writes a file elsewhere. The lines
// and their line ends are otherwise kept as they are.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "app/batch_run.hpp"
#include "app/session.hpp"
#include "fuzz_input.hpp"
#include "io/parameter_file.hpp"

namespace {

using namespace dodavev;

struct Scratch {
  fuzzing::ScratchDir dir;
  std::set<std::filesystem::path> prepared;
  std::unique_ptr<Session> session;
};

const Scratch& Prepare() {
  static const std::unique_ptr<Scratch> scratch = [] {
    auto s = std::make_unique<Scratch>();
    fuzzing::CopyExamples(s->dir);
    s->dir.Write("fuzz.bat", "");
    s->prepared = s->dir.Names();
    s->session = std::make_unique<Session>(fuzzing::StartedSession());
    fuzzing::HoldStepsFew(s->session->params);
    return s;
  }();
  return *scratch;
}

// A file name of a record line inside `dir`.
std::string InDir(std::string_view line, const std::filesystem::path& dir) {
  std::string name(line);
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  if (name.find_first_not_of('.') == std::string::npos) name.insert(0, "_");  // not "." or ".."
  return (dir / name).string();
}

// The BatchFile text with the names of lines 1, 2, 3 and 5 of every record inside `dir`;
// empty lines stay empty, line 4 (the calculation) and every line end stay as they are.
std::string Anchored(std::string_view text, const std::filesystem::path& dir) {
  std::string out;
  LineCursor lines(text);
  std::size_t kept = 0;  // text before this is in `out`
  for (int index = 0; !lines.AtEnd(); ++index) {
    const std::string_view line = lines.Next();
    const auto begin = static_cast<std::size_t>(line.data() - text.data());
    out.append(text.substr(kept, begin - kept));
    out += index % 5 == 3 || line.empty() ? std::string(line) : InDir(line, dir);
    kept = begin + line.size();
  }
  out.append(text.substr(kept));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Scratch& scratch = Prepare();
  scratch.dir.Write("fuzz.bat", Anchored(fuzzing::AsText(data, size), scratch.dir.path()));
  auto session = std::make_unique<Session>(*scratch.session);
  const int code = RunBatchFile(*session, scratch.dir.path() / "fuzz.bat");
  scratch.dir.RemoveAllBut(scratch.prepared);
  if (code != 0) __builtin_trap();  // the file is there and small: it must be read
  return 0;
}
