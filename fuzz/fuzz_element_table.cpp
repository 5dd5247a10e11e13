// Element files of any content are read or refused with a status, never crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "physics/element_io.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  dodavev::ElementTable table;
  const int status = dodavev::ParseElementText(text, table);
  const bool known = status == 0 || status == dodavev::kLoadBadAtomicNumber ||
                     status == dodavev::kLoadTooManyIsotopes ||
                     status == dodavev::kElementIoOffset + dodavev::kIoBadNumber ||
                     status == dodavev::kElementIoOffset + dodavev::kIoReadPastEnd;
  if (!known) __builtin_trap();
  for (int z = 1; z <= dodavev::kElementCount; ++z) {
    const dodavev::ElementRecord& r = table[z];
    if (!r.Present()) continue;
    if (r.isotopeCount < 0 || r.isotopeCount > dodavev::kMaxIsotopes) __builtin_trap();
    if (r.symbol[0] >= 'a' && r.symbol[0] <= 'z') __builtin_trap();
  }
  return 0;
}
