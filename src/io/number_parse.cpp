#include "io/number_parse.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace dodavev {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Scans the accepted grammar; returns the length of the longest valid prefix after the
// leading blanks, or sets `bad` to the index of the first offending character.
struct Scan {
  std::size_t start = 0;  // first non-blank
  std::size_t end = 0;    // one past the last character of the number
  bool valid = false;
};

Scan ScanNumber(std::string_view t, bool allowFraction) {
  Scan s;
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ')
    ++i;
  s.start = i;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < t.size() && IsDigit(t[i])) {
    ++i;
    ++digits;
  }
  if (allowFraction && i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) {
      ++i;
      ++digits;
    }
  }
  if (digits == 0) {
    s.end = i;
    return s;
  }
  if (allowFraction && i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < t.size() && IsDigit(t[j])) {
      ++j;
      ++expDigits;
    }
    if (expDigits == 0) {
      s.end = j;
      return s;
    }
    i = j;
  }
  s.end = i;
  s.valid = (i == t.size());
  return s;
}

// For an unsigned decimal that from_chars found out of range: true when its magnitude is
// below 1 (so it underflowed rather than overflowed). The order of magnitude is the
// position of the first non-zero mantissa digit plus the exponent.
bool Underflows(std::string_view number) {
  std::size_t mantissaEnd = number.find_first_of("eE");
  if (mantissaEnd == std::string_view::npos) mantissaEnd = number.size();
  std::string_view mantissa = number.substr(0, mantissaEnd);
  std::size_t point = mantissa.find('.');
  if (point == std::string_view::npos) point = mantissa.size();
  std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return true;  // all zeros cannot overflow
  // Power of ten of the first significant digit: 10^(point-first-1) left of the point,
  // 10^(point-first) right of it.
  long order = static_cast<long>(point) - static_cast<long>(first) - (first < point ? 1 : 0);
  long exponent = 0;
  bool expNegative = false;
  std::size_t i = mantissaEnd + 1;
  if (i < number.size() && (number[i] == '+' || number[i] == '-')) {
    expNegative = number[i] == '-';
    ++i;
  }
  for (; i < number.size(); ++i) {
    if (exponent < 100000000L) exponent = exponent * 10 + (number[i] - '0');
  }
  return order + (expNegative ? -exponent : exponent) < 0;
}

}  // namespace

NumberRead ReadDecimal(std::string_view text) {
  NumberRead r;
  Scan s = ScanNumber(text, true);
  if (!s.valid) {
    r.badPosition = s.end + 1;
    return r;
  }
  // from_chars never looks at the C locale (a window toolkit may switch LC_NUMERIC to a
  // decimal comma); it takes no "+" sign, which the grammar allows.
  std::string_view number = text.substr(s.start);
  bool negative = false;
  if (number.front() == '+' || number.front() == '-') {
    negative = number.front() == '-';
    number.remove_prefix(1);
  }
  double v = 0.0;
  auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), v);
  if (ec == std::errc::result_out_of_range && Underflows(number)) {
    v = 0.0;  // below the smallest double: reads as zero, as a decimal reader rounds it
  } else if (ec != std::errc() || ptr != number.data() + number.size() || !std::isfinite(v)) {
    r.badPosition = s.start + 1;
    return r;
  }
  r.value = negative ? -v : v;
  r.ok = true;
  return r;
}

IntegerRead ReadInteger(std::string_view text) {
  IntegerRead r;
  Scan s = ScanNumber(text, false);
  if (!s.valid) {
    r.badPosition = s.end + 1;
    return r;
  }
  std::string digits(text.substr(s.start));
  errno = 0;
  long long v = std::strtoll(digits.c_str(), nullptr, 10);
  if (errno == ERANGE || v > INT32_MAX || v < INT32_MIN) {
    r.badPosition = s.start + 1;
    return r;
  }
  r.value = static_cast<std::int32_t>(v);
  r.ok = true;
  return r;
}

}  // namespace dodavev
