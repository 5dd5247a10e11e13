// Measured spectra come from users: any text is read into finite, non-negative channels
// (as many as its data lines, at most the largest channel count) or refused with a reason,
// never a crash.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "io/measured_spectrum.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const dodavev::MeasuredSpectrumRead read = dodavev::ParseMeasuredSpectrumText(text);
  if (read.ok == !read.error.empty()) __builtin_trap();
  if (read.ok) {
    if (read.channelsInFile < 1) __builtin_trap();
    const int expected = read.channelsInFile < dodavev::kMaxSpectrumChannels
                             ? read.channelsInFile
                             : dodavev::kMaxSpectrumChannels;
    if (read.counts.channels() != expected) __builtin_trap();
  }
  for (double v : read.counts) {
    if (!std::isfinite(v) || v < 0.0) __builtin_trap();
  }
  return 0;
}
