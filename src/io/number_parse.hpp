// Locale-free reading of numbers typed into fields and written in files: optional
// leading blanks, optional sign, digits, "." as the decimal point, optional exponent
// "E"/"e" with optional sign. Anything else - an empty text, a comma, a trailing blank -
// is a format error.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace dodavev {

// Result of a field read: the value, or the 1-based position of the first character
// that is not part of a number (the text's length + 1 when the text ends too early).
struct NumberRead {
  double value = 0.0;
  bool ok = false;
  std::size_t badPosition = 0;
};

NumberRead ReadDecimal(std::string_view text);
// Integers: the same without point and exponent; values beyond 32 bits are errors.
struct IntegerRead {
  std::int32_t value = 0;
  bool ok = false;
  std::size_t badPosition = 0;
};
IntegerRead ReadInteger(std::string_view text);

inline std::optional<double> ParseDecimal(std::string_view text) {
  NumberRead r = ReadDecimal(text);
  return r.ok ? std::optional<double>(r.value) : std::nullopt;
}
inline std::optional<std::int32_t> ParseInteger(std::string_view text) {
  IntegerRead r = ReadInteger(text);
  return r.ok ? std::optional<std::int32_t>(r.value) : std::nullopt;
}

}  // namespace dodavev
