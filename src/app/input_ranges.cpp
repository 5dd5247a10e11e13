#include "app/input_ranges.hpp"

#include <array>
#include <cstdio>

namespace dodavev {

namespace {

// Bounds far outside any ion beam analysis experiment, chosen so that every calculation
// stays finite inside them.
constexpr std::array kRanges{
    InputRange{"e0", "incident energy", "keV", 1.0, 1.0e6},
    InputRange{"a", "angle between beam and sample surface", "deg", 0.0, 180.0},
    InputRange{"th", "scattering (detection) angle", "deg", 0.0, 180.0},
    InputRange{"channels", "number of channels", "", 1.0, 16384.0},
};

}  // namespace

std::span<const InputRange> InputRanges() { return kRanges; }

const InputRange* FindInputRange(std::string_view field) {
  for (const InputRange& r : kRanges) {
    if (field == r.field) return &r;
  }
  return nullptr;
}

std::string DescribeInputRange(const InputRange& range) {
  char buf[256];
  if (range.unit[0] != '\0') {
    std::snprintf(buf, sizeof buf, "%s (%s), %g to %g", range.meaning, range.unit, range.min,
                  range.max);
  } else {
    std::snprintf(buf, sizeof buf, "%s, %g to %g", range.meaning, range.min, range.max);
  }
  return buf;
}

}  // namespace dodavev
