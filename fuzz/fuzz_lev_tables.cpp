// The start-up tables of the LEV directory besides the element file: "chupar.dat",
// "FMT.DAT", "TAUFIJ.DAT", the four fixed cross-section tables and the level files. The
// first byte of the input chooses the file, the rest is its content, read from a scratch
// directory as the program reads its LEV directory. Any content is read or refused with a
// status, never a crash, a hang or a huge allocation (a level file may announce any count),
// and the multiple-scattering lookups on a table that was read completely stay defined.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/setup.hpp"
#include "fuzz_input.hpp"
#include "physics/element_io.hpp"
#include "physics/multiple_scattering.hpp"
#include "physics/shape_convolution.hpp"

namespace {

using namespace dodavev;

struct Scratch {
  fuzzing::ScratchDir dir;
  ElementTable elements;
};

const Scratch& Prepare() {
  static const std::unique_ptr<Scratch> scratch = [] {
    auto s = std::make_unique<Scratch>();
    if (LoadElementTable(fuzzing::ShippedLevDir() / "STOP.DAT", s->elements) != 0) __builtin_trap();
    return s;
  }();
  return *scratch;
}

void CheckLevelFile(const Scratch& scratch, std::string_view content) {
  const std::filesystem::path name = "C 13.lev";
  scratch.dir.Write(name, content);
  const LevelFile f = ReadLevelFile(scratch.dir.path() / name);
  if (f.energies.size() > static_cast<std::size_t>(kMaxLevels)) __builtin_trap();
  if (f.energies.size() > content.size()) __builtin_trap();
  for (double e : f.energies) {
    if (!std::isfinite(e)) __builtin_trap();
  }
  if (f.status != 0 && f.problem.empty()) __builtin_trap();
}

// Widths and shape parameters of the sizes the walks pass to the lookups.
void UseMsTables(const PhysicsTables& tables) {
  for (double x : {1e-6, 1e-3, 0.1, 1.0, 30.0, 1e4}) {
    (void)ReducedThickness(x, tables);
    for (double m : {1.0, 1.5, 3.0, 10.0}) {
      (void)ConvolveShapes(x, m, 0.5 * x, 2.0, tables);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Scratch& scratch = Prepare();
  if (size == 0) return 0;
  const std::size_t choice = data[0] % (kPhysicsTableFileCount + 1);
  const std::string_view content = fuzzing::AsText(data + 1, size - 1);
  if (choice == kPhysicsTableFileCount) {
    CheckLevelFile(scratch, content);
    return 0;
  }

  const std::filesystem::path levDir = scratch.dir.path() / "LEV";
  std::filesystem::remove_all(levDir);
  std::filesystem::create_directory(levDir);
  scratch.dir.Write(std::filesystem::path("LEV") / std::string(kPhysicsTableFiles[choice]),
                    content);
  ElementTable elements = scratch.elements;
  auto tables = std::make_unique<PhysicsTables>();
  const PhysicsTablesStatus status = LoadPhysicsTables(levDir, elements, *tables);
  for (std::size_t i = 0; i < status.fileStatus.size(); ++i) {
    // The files that are not there are missing, and only they.
    if ((i == choice) == (status.fileStatus[i] == 2)) __builtin_trap();
  }
  if (tables->msFTableComplete != (status.fmt() == 0)) __builtin_trap();
  if (tables->msTauTableComplete != (status.taufij() == 0)) __builtin_trap();
  for (int z = 1; z <= kElementCount; ++z) {
    for (double c : elements[z].chuParam) {
      if (!std::isfinite(c)) __builtin_trap();
    }
  }
  UseMsTables(*tables);
  return 0;
}
