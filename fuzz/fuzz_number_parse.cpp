#include <cstddef>
#include <cstdint>
#include <string_view>

#include "io/number_parse.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto d = dodavev::ReadDecimal(text);
  if (!d.ok && (d.badPosition == 0 || d.badPosition > size + 1)) __builtin_trap();
  auto i = dodavev::ReadInteger(text);
  if (!i.ok && (i.badPosition == 0 || i.badPosition > size + 1)) __builtin_trap();
  return 0;
}
