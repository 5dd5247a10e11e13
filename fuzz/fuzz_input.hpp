// Reading numbers from a fuzzer's raw bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

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

}  // namespace dodavev::fuzzing
