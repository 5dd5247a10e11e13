// Measured spectra come from users: any text is read into 600 finite channels or refused
// with the format error, never a crash.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "io/result_files.hpp"
#include "io/text_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  dodavev::Spectrum measured{};
  const int code = dodavev::ParseMeasuredSpectrum(text, measured);
  if (code != 0 && code != dodavev::kInvalidNumericFormat) __builtin_trap();
  for (double v : measured) {
    if (!std::isfinite(v)) __builtin_trap();
  }
  return 0;
}
