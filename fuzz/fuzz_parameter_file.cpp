// Parameter files come from anywhere: any bytes must read without a crash, a hang or
// unbounded memory, and whatever was read must write and read back to the same file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "io/parameter_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  dodavev::ParameterInputs inputs;
  dodavev::ParameterReadResult r = dodavev::ParseParameterText(text, inputs);
  if (r.code != 0 && r.code != dodavev::kInvalidNumericFormat) __builtin_trap();
  const std::string written = dodavev::FormatParameterFile(inputs);
  dodavev::ParameterInputs again;
  if (dodavev::ParseParameterText(written, again).code != 0) __builtin_trap();
  if (dodavev::FormatParameterFile(again) != written) __builtin_trap();
  return 0;
}
