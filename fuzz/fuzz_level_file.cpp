// Level files of the start-up data directory: a count, then one excitation energy per line.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/setup.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const dodavev::LevelFile f = dodavev::ParseLevelText(text);
  // Never more levels than the file has lines, never a level that is not a finite number,
  // and a failure always says why.
  if (f.energies.size() > size) __builtin_trap();
  for (double e : f.energies) {
    if (!std::isfinite(e)) __builtin_trap();
  }
  if (f.status != 0 && f.problem.empty()) __builtin_trap();
  return 0;
}
