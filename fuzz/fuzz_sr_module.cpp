// SR module stopping tables come from users: any text is refused with a reason or read
// into rows of increasing energies and finite, non-negative stopping, never a crash.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "physics/sr_module_table.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)dodavev::LooksLikeSrModule(text);
  const dodavev::SrModuleRead read = dodavev::ParseSrModuleText(text);
  if (read.ok == !read.error.empty()) __builtin_trap();
  if (read.energy.size() != read.electronic.size()) __builtin_trap();
  if (!read.ok) {
    if (!read.energy.empty()) __builtin_trap();  // nothing half-loaded
    return 0;
  }
  if (read.energy.size() < 2 || read.ionZ < 1 || read.ionZ > 92 || read.targetZ < 1 ||
      read.targetZ > 92 || !(read.ionMass > 0.0)) {
    __builtin_trap();
  }
  for (std::size_t i = 0; i < read.energy.size(); ++i) {
    if (!std::isfinite(read.energy[i]) || !std::isfinite(read.electronic[i])) __builtin_trap();
    if (read.electronic[i] < 0.0) __builtin_trap();
    if (i > 0 && !(read.energy[i] > read.energy[i - 1])) __builtin_trap();
  }
  return 0;
}
