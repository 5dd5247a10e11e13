#include "io/number_parse.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace dodavev {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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
  while (i < t.size() && t[i] == ' ') ++i;
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

}  // namespace

NumberRead ReadDecimal(std::string_view text) {
  NumberRead r;
  Scan s = ScanNumber(text, true);
  if (!s.valid) {
    r.badPosition = s.end + 1;
    return r;
  }
  std::string digits(text.substr(s.start));
  errno = 0;
  char* endp = nullptr;
  double v = std::strtod(digits.c_str(), &endp);
  // strtod follows the C locale, which the program never changes, so "." is the point.
  if (endp != digits.c_str() + digits.size() || !std::isfinite(v)) {
    r.badPosition = s.start + 1;
    return r;
  }
  r.value = v;
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
