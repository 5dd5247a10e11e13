// Field texts and file values: any bytes give a number or the position of the fault,
// never a crash, and a number that is read is finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "io/number_parse.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto d = dodavev::ReadDecimal(text);
  if (!d.ok && (d.badPosition == 0 || d.badPosition > size + 1)) __builtin_trap();
  if (d.ok && !std::isfinite(d.value)) __builtin_trap();
  auto i = dodavev::ReadInteger(text);
  if (!i.ok && (i.badPosition == 0 || i.badPosition > size + 1)) __builtin_trap();
  // Every integer is also a decimal of the same value.
  if (i.ok && (!d.ok || d.value != static_cast<double>(i.value))) __builtin_trap();
  return 0;
}
