#include "physics/element_io.hpp"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <system_error>

#include "io/number_parse.hpp"
#include "io/text_file.hpp"
#include "model/messages.hpp"

namespace dodavev {
namespace {

// No start-up data file comes near this size; a larger one is not a data file of ours
// and is refused rather than read into memory.
constexpr std::uintmax_t kMaxDataFileBytes = 64U * 1024U * 1024U;

// Reads a whole data file. Returns 0 or an input/output code (2 for a missing file).
int ReadDataFile(const std::filesystem::path& path, std::string& content) {
  const int code = ReadTextFileCapped(path, kMaxDataFileBytes, content);
  return code == EFBIG ? kIoFileTooLarge : code;
}

bool IsSeparator(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Free-format reading of a data file: each number skips the blanks, tabs and line ends
// before it and runs to the next separator; "skip line" discards the rest of the line.
class FreeFormatReader {
 public:
  explicit FreeFormatReader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }

  bool NextChar(char& c) {
    if (AtEnd()) return false;
    c = text_[pos_++];
    return true;
  }

  // Returns 0, kIoBadNumber or kIoReadPastEnd.
  int ReadDouble(double& value) {
    std::string_view token;
    if (!NextToken(token)) return kIoReadPastEnd;
    const NumberRead r = ReadDecimal(token);
    if (!r.ok) return kIoBadNumber;
    value = r.value;
    return 0;
  }

  int ReadInt(std::int32_t& value) {
    std::string_view token;
    if (!NextToken(token)) return kIoReadPastEnd;
    const IntegerRead r = ReadInteger(token);
    if (!r.ok) return kIoBadNumber;
    value = r.value;
    return 0;
  }

  // A single-precision field: values beyond its range are format errors, not infinities.
  int ReadFloat(float& value) {
    double v = 0.0;
    const int code = ReadDouble(v);
    if (code != 0) return code;
    if (std::fabs(v) > static_cast<double>(FLT_MAX)) return kIoBadNumber;
    value = static_cast<float>(v);
    return 0;
  }

  // The number (from 1) of the line the reading has reached: after a number, its line.
  std::size_t Line() const {
    std::size_t line = 1;
    for (std::size_t i = 0; i < pos_ && i < text_.size(); ++i) {
      if (text_[i] == '\n' || (text_[i] == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n')))
        ++line;
    }
    return line;
  }

  // Discards the rest of the current line and its line end (CR LF, LF or CR).
  void SkipLine() {
    while (!AtEnd()) {
      const char c = text_[pos_++];
      if (c == '\n') return;
      if (c == '\r') {
        if (!AtEnd() && text_[pos_] == '\n') ++pos_;
        return;
      }
    }
  }

 private:
  bool NextToken(std::string_view& token) {
    while (!AtEnd() && IsSeparator(text_[pos_]))
      ++pos_;
    if (AtEnd()) return false;
    const std::size_t start = pos_;
    while (!AtEnd() && !IsSeparator(text_[pos_]))
      ++pos_;
    token = text_.substr(start, pos_ - start);
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// Mass number of an isotope: its mass rounded to the nearest integer, halves to the even
// neighbour. Masses outside any nuclide's range are format errors.
int MassNumberOf(double mass, std::int32_t& massNumber) {
  if (!(std::fabs(mass) < 1e6)) return kIoBadNumber;
  const double lower = std::floor(mass);
  const double fraction = mass - lower;
  double rounded = lower;
  if (fraction > 0.5) {
    rounded = lower + 1.0;
  } else if (fraction == 0.5) {
    rounded = std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
  }
  massNumber = static_cast<std::int32_t>(rounded);
  return 0;
}

// Reads the body of one element record (everything after symbol and atomic number).
// Returns 0, kLoadTooManyIsotopes, or an input/output code.
int ReadElementBody(FreeFormatReader& in, ElementRecord& rec) {
  int code = 0;
  for (int i = 0; i < 5 && code == 0; ++i)
    code = in.ReadDouble(rec.heCoeff[i]);
  if (code != 0) return code;
  in.SkipLine();
  for (int i = 5; i < 9 && code == 0; ++i)
    code = in.ReadDouble(rec.heCoeff[i]);
  if (code != 0) return code;
  in.SkipLine();
  for (int i = 0; i < 8 && code == 0; ++i)
    code = in.ReadDouble(rec.protonCoeff[i]);
  if (code != 0) return code;
  if ((code = in.ReadInt(rec.isotopeCount)) != 0) return code;
  if (rec.isotopeCount < 0 || rec.isotopeCount > kMaxIsotopes) return kLoadTooManyIsotopes;
  for (int i = 0; i < rec.isotopeCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if ((code = in.ReadDouble(rec.isotopeMass[k])) != 0) return code;
    if ((code = in.ReadFloat(rec.isotopeAbundance[k])) != 0) return code;
    if ((code = MassNumberOf(rec.isotopeMass[k], rec.isotopeMassNumber[k])) != 0) return code;
  }
  if ((code = in.ReadFloat(rec.unusedValue3)) != 0) return code;
  if ((code = in.ReadDouble(rec.unusedValue2)) != 0) return code;
  in.SkipLine();
  if ((code = in.ReadInt(rec.defaultMassNumber)) != 0) return code;
  if ((code = in.ReadDouble(rec.atomicMass)) != 0) return code;
  if ((code = in.ReadDouble(rec.unusedValue1)) != 0) return code;
  in.SkipLine();
  if ((code = in.ReadDouble(rec.fermiVelocity)) != 0) return code;
  if ((code = in.ReadDouble(rec.chargeLambdaFactor)) != 0) return code;
  in.SkipLine();
  return 0;
}

bool StartsSymbol(char c) {
  return (c >= 'A' && c <= 'z') || c == '.';
}

int IoStatus(int code) {
  return kElementIoOffset + code;
}

}  // namespace

int LoadElementTable(const std::filesystem::path& path, ElementTable& table) {
  std::filesystem::path file = path;
  if (file.filename().string().find('.') == std::string::npos) file += ".DAT";
  std::string content;
  const int readCode = ReadDataFile(file, content);
  if (readCode != 0) return IoStatus(readCode);
  return ParseElementText(content, table);
}

int ParseElementText(std::string_view content, ElementTable& table) {
  FreeFormatReader in(content);
  while (true) {
    char c = '\0';
    bool found = false;
    while (in.NextChar(c)) {
      if (StartsSymbol(c)) {
        found = true;
        break;
      }
    }
    if (!found) return kLoadOk;  // the file ends between records

    std::array<char, 2> symbol{UpperAscii(c), ' '};
    char second = '\0';
    if (!in.NextChar(second)) return IoStatus(kIoReadPastEnd);
    // A one-letter symbol ends at a blank; a tab or line end there counts as that blank.
    symbol[1] = IsSeparator(second) ? ' ' : UpperAscii(second);

    std::int32_t z = 0;
    if (const int code = in.ReadInt(z); code != 0) return IoStatus(code);
    if (!ElementTable::ValidZ(z)) return kLoadBadAtomicNumber;

    // A record is stored only when it was read completely: a half-read record would
    // give an element with a symbol but without stopping data. The Chu parameters come
    // from another file and are kept.
    ElementRecord rec;
    rec.symbol = symbol;
    rec.chuParam = table[z].chuParam;
    const int code = ReadElementBody(in, rec);
    if (code == kLoadTooManyIsotopes) return code;
    if (code != 0) return IoStatus(code);
    table[z] = rec;
  }
}

namespace {

std::string Number(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", value);
  return buf;
}

// A number of a table that lies outside what the quantity can be: the reading of the file
// stops there as at a malformed number, and `why` tells what was wrong.
int OutOfRange(double value, const char* range, std::string& why) {
  why = Number(value) + " is " + range;
  return kIoBadNumber;
}

// Reads `rows` lines of numbers; `store(row, reader, why)` reads one row's numbers and
// returns 0 or a code (with `why` set for a value that is out of range); the rest of each
// line is skipped. Returns the file's input/output status; `problem` names the line of a
// number that could not be taken, and why.
template <typename RowReader>
int ReadTableFile(const std::filesystem::path& path, int rows, std::string& problem,
                  RowReader store) {
  std::string content;
  if (const int code = ReadDataFile(path, content); code != 0) return code;
  FreeFormatReader in(content);
  for (int row = 0; row < rows; ++row) {
    std::string why;
    if (const int code = store(static_cast<std::size_t>(row), in, why); code != 0) {
      if (code == kIoBadNumber) {
        problem = "line " + std::to_string(in.Line());
        if (!why.empty()) problem += ": " + why;
      }
      return code;
    }
    in.SkipLine();
  }
  return 0;
}

// Natural logarithm of a tabulated positive quantity; anything else is a format error.
int ReadLogarithm(FreeFormatReader& in, double& out, std::string& why) {
  double v = 0.0;
  if (const int code = in.ReadDouble(v); code != 0) return code;
  if (!(v > 0.0)) return OutOfRange(v, "not positive", why);
  out = std::log(v);
  return 0;
}

// A positive number of a fixed table (an energy or a cross section).
int ReadPositive(FreeFormatReader& in, double& out, std::string& why) {
  if (const int code = in.ReadDouble(out); code != 0) return code;
  if (!(out > 0.0)) return OutOfRange(out, "not positive", why);
  return 0;
}

// The Chu parameters of the shipped table lie between 0.03 and 11 (Z = 2..92); a value
// outside 0..50 is no fit of the straggling ratio and would overflow its power of E.
constexpr double kMaxChuParameter = 50.0;

int ReadChupar(const std::filesystem::path& path, ElementTable& table, std::string& problem) {
  table[1].chuParam = {};
  return ReadTableFile(path, kElementCount - 1, problem,
                       [&](std::size_t row, FreeFormatReader& in, std::string& why) {
                         std::int32_t zIgnored = 0;  // the line order decides the element
                         if (const int code = in.ReadInt(zIgnored); code != 0) return code;
                         std::array<double, 4> params{};
                         for (double& p : params) {
                           if (const int code = in.ReadDouble(p); code != 0) return code;
                           if (!(p >= 0.0 && p <= kMaxChuParameter))
                             return OutOfRange(p, "outside 0 to 50", why);
                         }
                         table[static_cast<int>(row) + 2].chuParam = params;
                         return 0;
                       });
}

int ReadMsF(const std::filesystem::path& path, PhysicsTables& tables, std::string& problem) {
  return ReadTableFile(path, PhysicsTables::kMsFRows, problem,
                       [&](std::size_t row, FreeFormatReader& in, std::string& why) {
                         std::array<double, 5> values{};
                         for (double& v : values) {
                           if (const int code = ReadLogarithm(in, v, why); code != 0) return code;
                         }
                         tables.MsFTable[row] = values;
                         return 0;
                       });
}

int ReadMsTau(const std::filesystem::path& path, PhysicsTables& tables, std::string& problem) {
  return ReadTableFile(path, PhysicsTables::kMsTauCount, problem,
                       [&](std::size_t row, FreeFormatReader& in, std::string& why) {
                         return ReadLogarithm(in, tables.MsTauTable[row], why);
                       });
}

// Two positive numbers per line (energy, cross section) into FixedTable3: the first to
// column `first`, the second to column `second`.
int ReadFixed3(const std::filesystem::path& path, PhysicsTables& tables, std::size_t first,
               std::size_t second, std::string& problem) {
  return ReadTableFile(path, static_cast<int>(tables.FixedTable3.size()), problem,
                       [&](std::size_t row, FreeFormatReader& in, std::string& why) {
                         double a = 0.0;
                         double b = 0.0;
                         if (const int code = ReadPositive(in, a, why); code != 0) return code;
                         if (const int code = ReadPositive(in, b, why); code != 0) return code;
                         tables.FixedTable3[row][first] = a;
                         tables.FixedTable3[row][second] = b;
                         return 0;
                       });
}

// Energy, centre-of-mass angle and cross section per line: positive, the angle at most
// 180 degrees.
int ReadFixed2(const std::filesystem::path& path, PhysicsTables& tables, std::string& problem) {
  return ReadTableFile(path, static_cast<int>(tables.FixedTable2.size()), problem,
                       [&](std::size_t row, FreeFormatReader& in, std::string& why) {
                         double values[3] = {0.0, 0.0, 0.0};
                         for (double& v : values) {
                           if (const int code = ReadPositive(in, v, why); code != 0) return code;
                         }
                         if (values[1] > 180.0) {
                           return OutOfRange(values[1], "more than 180 degrees", why);
                         }
                         tables.FixedTable2[row] = {values[0], values[2]};
                         return 0;
                       });
}

}  // namespace

PhysicsTablesStatus LoadPhysicsTables(const std::filesystem::path& levDir, ElementTable& table,
                                      PhysicsTables& tables) {
  PhysicsTablesStatus status;
  auto file = [&](int i) { return levDir / std::string(kPhysicsTableFiles[i]); };
  std::array<std::string, kPhysicsTableFileCount>& why = status.problem;
  status.fileStatus[0] = ReadChupar(file(0), table, why[0]);
  status.fileStatus[1] = ReadMsF(file(1), tables, why[1]);
  status.fileStatus[2] = ReadMsTau(file(2), tables, why[2]);
  status.fileStatus[3] = ReadFixed3(file(3), tables, 0, 1, why[3]);
  status.fileStatus[4] = ReadFixed3(file(4), tables, 0, 2, why[4]);
  status.fileStatus[5] = ReadFixed3(file(5), tables, 0, 0, why[5]);
  status.fileStatus[6] = ReadFixed2(file(6), tables, why[6]);
  tables.msFTableComplete = status.fileStatus[1] == 0;
  tables.msTauTableComplete = status.fileStatus[2] == 0;
  status.lastStatus = status.fileStatus[6];
  return status;
}

}  // namespace dodavev
