#include "engine/r33_file.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <optional>

#include "engine/cross_sections.hpp"
#include "io/number_parse.hpp"
#include "io/text_file.hpp"

namespace dodavev {
namespace {

// Keys of the format; "Address1" to "Address9" are matched apart.
constexpr std::string_view kKeys[] = {
    "comment", "version",     "source",  "name",         "serial number", "reaction", "masses",
    "zeds",    "composition", "qvalue",  "distribution", "theta",         "energy",   "sigfactors",
    "units",   "enfactors",   "nvalues", "data",         "enddata"};

// Longest value list read from one header line; longer lists are malformed.
constexpr std::size_t kMaxHeaderNumbers = 8;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsKnownKey(std::string_view lowerKey) {
  if (lowerKey.size() == 8 && lowerKey.starts_with("address") && lowerKey[7] >= '1' &&
      lowerKey[7] <= '9') {
    return true;
  }
  return std::find(std::begin(kKeys), std::end(kKeys), lowerKey) != std::end(kKeys);
}

// Splits a line into its key (lower case, trimmed) and value; false without a colon.
bool SplitKey(std::string_view line, std::string& key, std::string_view& value) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  key = Lower(TrimLine(line.substr(0, colon)));
  value = TrimLine(line.substr(colon + 1));
  return true;
}

// Numbers separated by blanks, tabs, commas or semicolons; nullopt when an item is not
// a finite number or there are more than `maxCount`.
std::optional<std::vector<double>> Numbers(std::string_view text, std::size_t maxCount) {
  std::vector<double> out;
  std::size_t pos = 0;
  const auto separator = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == ';'; };
  while (pos < text.size()) {
    while (pos < text.size() && separator(text[pos]))
      ++pos;
    if (pos >= text.size()) break;
    const std::size_t start = pos;
    while (pos < text.size() && !separator(text[pos]))
      ++pos;
    if (out.size() == maxCount) return std::nullopt;
    const std::optional<double> v = ParseDecimal(text.substr(start, pos - start));
    if (!v || !std::isfinite(*v)) return std::nullopt;
    out.push_back(*v);
  }
  return out;
}

bool MentionsCentreOfMass(std::string_view value) {
  const std::string v = Lower(value);
  return v.find("cm") != std::string::npos || v.find("c.m") != std::string::npos ||
         v.find("centre") != std::string::npos || v.find("center") != std::string::npos;
}

std::string InLine(std::string_view what, int line) {
  return std::string(what) + " in line " + std::to_string(line);
}

// The level of the emitted particle of "Reaction", such as "27Al(p,p1)27Al": the digits
// after its letters (none: the ground state, 0).
int LevelOfReaction(std::string_view reaction) {
  const std::size_t comma = reaction.find(',');
  if (comma == std::string_view::npos) return 0;
  const std::size_t close = reaction.find(')', comma);
  if (close == std::string_view::npos) return 0;
  std::string_view product = TrimLine(reaction.substr(comma + 1, close - comma - 1));
  std::size_t i = 0;
  while (i < product.size() && std::isdigit(static_cast<unsigned char>(product[i])))
    ++i;  // a mass number before the symbol
  const std::size_t letters = i;
  while (i < product.size() && std::isalpha(static_cast<unsigned char>(product[i])))
    ++i;
  if (i == letters) return 0;
  int level = 0;
  std::size_t digits = 0;
  while (i < product.size() && std::isdigit(static_cast<unsigned char>(product[i])) && digits < 3) {
    level = 10 * level + (product[i] - '0');
    ++i;
    ++digits;
  }
  return level;
}

enum class Unit { kMbarnPerSr, kBarnPerSr, kRatioToRutherford };

std::optional<Unit> UnitFromText(std::string_view value) {
  std::string v = Lower(value);
  v.erase(std::remove(v.begin(), v.end(), ' '), v.end());
  if (v == "mb/sr" || v == "mb") return Unit::kMbarnPerSr;
  if (v == "b/sr" || v == "b") return Unit::kBarnPerSr;
  if (v == "rr") return Unit::kRatioToRutherford;
  return std::nullopt;
}

bool Same(double a, double b) {
  return std::abs(a - b) < 0.5;
}

class R33Reader {
 public:
  explicit R33Reader(bool headerOnly) : headerOnly_(headerOnly) {}

  R33Read Read(std::string_view text);

 private:
  enum class State { kStart, kComment, kHeader, kData, kAfterData };

  bool HeaderLine(std::string_view line, int number);
  bool DataRow(std::string_view line, int number);
  bool Fail(std::string message) {
    out_.ok = false;
    out_.error = std::move(message);
    return false;
  }
  double RutherfordMbarn(double eKeV) const;

  bool headerOnly_;
  R33Read out_;
  State state_ = State::kStart;
  int dataLine_ = 0;  // line of "Data:" or "Nvalues:"
  long nvalues_ = 0;  // rows announced by "Nvalues:", 0 for none
  long rows_ = 0;
  Unit unit_ = Unit::kMbarnPerSr;
  double energyFactor_ = 1.0;
  double sigmaFactor_ = 1.0;
  ReactionKind rutherfordKind_ = ReactionKind::kNotUsable;
};

bool R33Reader::HeaderLine(std::string_view line, int number) {
  std::string key;
  std::string_view value;
  if (!SplitKey(line, key, value)) return Fail(InLine("no \"Key: value\"", number));
  if (!IsKnownKey(key)) {
    return Fail(InLine(
        "unknown key \"" + std::string(TrimLine(line.substr(0, line.find(':')))) + "\"", number));
  }
  R33Header& h = out_.header;
  if (key == "comment") {
    state_ = State::kComment;
  } else if (key == "reaction") {
    h.reaction = std::string(value);
    h.level = LevelOfReaction(value);
  } else if (key == "masses" || key == "zeds") {
    const std::optional<std::vector<double>> v = Numbers(value, kMaxHeaderNumbers);
    if (!v || v->size() < 4) return Fail(InLine("\"" + key + "\" needs four numbers", number));
    auto& dest = key == "masses" ? h.masses : h.zeds;
    std::copy_n(v->begin(), 4, dest.begin());
    (key == "masses" ? h.hasMasses : h.hasZeds) = true;
  } else if (key == "distribution") {
    const std::string v = Lower(value);
    if (MentionsCentreOfMass(value)) {
      return Fail(InLine("centre-of-mass data; only laboratory data are read", number));
    }
    if (v == "angle") {
      return Fail(
          InLine("an angular distribution; only excitation functions (Distribution: "
                 "Energy) are read",
                 number));
    }
    if (v != "energy")
      return Fail(InLine("unknown distribution \"" + std::string(value) + "\"", number));
  } else if (key == "theta") {
    if (MentionsCentreOfMass(value)) {
      return Fail(InLine("centre-of-mass angle; only laboratory data are read", number));
    }
    std::string_view angle = value;
    const std::size_t blank = angle.find_first_of(" \t");
    std::string_view rest;
    if (blank != std::string_view::npos) {
      rest = TrimLine(angle.substr(blank));
      angle = angle.substr(0, blank);
    }
    const std::optional<double> theta = ParseDecimal(angle);
    if (!theta || !(*theta > 0.0 && *theta <= 180.0) ||
        !(rest.empty() || Lower(rest) == "lab" || Lower(rest) == "deg")) {
      return Fail(InLine("\"Theta\" is no angle of 0 to 180 degrees", number));
    }
    h.hasTheta = true;
    h.theta = *theta;
    h.thetaText = std::string(angle);
  } else if (key == "units") {
    const std::optional<Unit> unit = UnitFromText(value);
    if (!unit) {
      return Fail(
          InLine("unknown units \"" + std::string(value) + "\" (mb/sr, b/sr, mb, b or rr are read)",
                 number));
    }
    unit_ = *unit;
  } else if (key == "enfactors" || key == "sigfactors") {
    const std::optional<std::vector<double>> v = Numbers(value, kMaxHeaderNumbers);
    if (!v || v->empty() || !((*v)[0] > 0.0)) {
      return Fail(InLine("\"" + key + "\" needs a first factor above 0", number));
    }
    // Only the scale factor is applied; a file that also shifts its energies or cross
    // sections is refused rather than read with the shift left out.
    if ((v->size() > 1 && (*v)[1] != 0.0) ||
        (key == "enfactors" && v->size() > 2 && (*v)[2] != 0.0)) {
      return Fail(
          InLine("\"" + key + "\" with an offset is not read (only a first factor)", number));
    }
    (key == "enfactors" ? energyFactor_ : sigmaFactor_) = (*v)[0];
  } else if (key == "data" || key == "nvalues") {
    if (key == "nvalues") {
      const std::optional<std::int32_t> n = ParseInteger(value);
      if (!n || *n < 0 || *n > kMaxCrossSectionPoints) {
        return Fail(InLine("\"Nvalues\" is no number of rows", number));
      }
      nvalues_ = *n;
    }
    state_ = State::kData;
    dataLine_ = number;
  } else if (key == "enddata") {
    return Fail(InLine("\"EndData\" without \"Data\"", number));
  }
  return true;
}

double R33Reader::RutherfordMbarn(double eKeV) const {
  const R33Header& h = out_.header;
  const double theta = h.theta * (std::numbers::pi / 180.0);
  const int z1 = static_cast<int>(std::lround(h.zeds[0]));
  const int z2 = static_cast<int>(std::lround(h.zeds[1]));
  return 1000.0 * RutherfordCrossSection(rutherfordKind_, z1, z2, h.masses[1], h.masses[0],
                                         eKeV / 1000.0, theta, Screening::kNone);
}

bool R33Reader::DataRow(std::string_view line, int number) {
  if (line.empty()) return true;
  if (Lower(line).starts_with("enddata")) {
    state_ = State::kAfterData;
    return true;
  }
  const std::optional<std::vector<double>> v = Numbers(line, 4);
  if (!v || v->size() != 4) return Fail(InLine("no E, dE, sigma, dsigma", number));
  if (static_cast<int>(out_.energy.size()) >= kMaxCrossSectionPoints) {
    return Fail("more than " + std::to_string(kMaxCrossSectionPoints) + " points");
  }
  const double e = (*v)[0] * energyFactor_;
  double s = (*v)[2] * sigmaFactor_;
  if (!(e >= 0.0 && e <= kMaxCrossSectionEnergyKeV)) {
    return Fail(InLine("energy outside 0 to 1e6 keV", number));
  }
  if (!out_.energy.empty()) {
    if (e == out_.energy.back()) return Fail(InLine("energy repeated", number));
    if (e < out_.energy.back()) return Fail(InLine("energy below the one before", number));
  }
  if (s < 0.0) return Fail(InLine("negative cross section", number));
  switch (unit_) {
    case Unit::kMbarnPerSr:
      break;
    case Unit::kBarnPerSr:
      s *= 1000.0;
      break;
    case Unit::kRatioToRutherford:
      s *= RutherfordMbarn(e);
      break;
  }
  if (!(s <= kMaxCrossSectionMbarn))
    return Fail(InLine("cross section above 1e15 mbarn/sr", number));
  out_.energy.push_back(e);
  out_.sigma.push_back(s);
  ++rows_;
  if (nvalues_ > 0 && rows_ == nvalues_) state_ = State::kAfterData;
  return true;
}

R33Read R33Reader::Read(std::string_view text) {
  out_ = R33Read{};
  int number = 0;
  std::size_t pos = 0;
  bool dataChecked = false;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = TrimLine(text.substr(pos, end - pos));
    pos = end + 1;
    ++number;
    switch (state_) {
      case State::kStart:
        if (line.empty()) break;
        state_ = State::kHeader;
        if (!HeaderLine(line, number)) return out_;
        break;
      case State::kComment:
        if (line.empty()) state_ = State::kHeader;
        break;
      case State::kHeader:
        if (line.empty()) break;
        if (!HeaderLine(line, number)) return out_;
        break;
      case State::kData:
        if (headerOnly_) {
          out_.ok = true;
          return out_;
        }
        if (!dataChecked) {
          dataChecked = true;
          if (unit_ == Unit::kRatioToRutherford) {
            const R33Header& h = out_.header;
            if (!h.hasZeds || !h.hasMasses || !h.hasTheta) {
              out_.error = InLine(
                  "ratios to Rutherford (Units: rr) need \"Zeds\", \"Masses\" "
                  "and \"Theta\" before the data",
                  dataLine_);
              return out_;
            }
            if (Same(h.zeds[2], h.zeds[0]) && Same(h.masses[2], h.masses[0])) {
              rutherfordKind_ = ReactionKind::kRbs;
            } else if (Same(h.zeds[2], h.zeds[1]) && Same(h.masses[2], h.masses[1])) {
              rutherfordKind_ = ReactionKind::kErd;
            } else {
              out_.error = InLine(
                  "ratios to Rutherford (Units: rr) for a reaction that is "
                  "neither scattering nor a recoil",
                  dataLine_);
              return out_;
            }
            if (!(h.masses[0] > 0.0 && h.masses[1] > 0.0) || !(RutherfordMbarn(1000.0) > 0.0)) {
              out_.error = InLine(
                  "no Rutherford cross section for the masses and angle of the file", dataLine_);
              return out_;
            }
          }
        }
        if (!DataRow(line, number)) return out_;
        break;
      case State::kAfterData:
        if (line.empty()) break;
        {
          std::string key;
          std::string_view value;
          if (SplitKey(line, key, value) && (key == "data" || key == "nvalues")) {
            out_.error = InLine("a second data block; one block per file is read", number);
            return out_;
          }
        }
        break;
    }
  }
  if (headerOnly_) {
    out_.ok = state_ == State::kData || state_ == State::kAfterData;
    if (!out_.ok) out_.error = "no \"Data:\" line";
    return out_;
  }
  if (state_ == State::kStart || state_ == State::kComment || state_ == State::kHeader) {
    out_.error = "no \"Data:\" line (a comment ends at the first blank line)";
    return out_;
  }
  if (state_ == State::kData) {
    out_.error =
        nvalues_ > 0
            ? InLine("fewer rows than \"Nvalues\" announces", dataLine_)
            : InLine("the data block has no \"EndData:\" (the file may be cut short)", dataLine_);
    out_.energy.clear();
    out_.sigma.clear();
    return out_;
  }
  if (out_.energy.size() < 2) {
    out_.error = "fewer than two points";
    out_.energy.clear();
    out_.sigma.clear();
    return out_;
  }
  out_.ok = true;
  return out_;
}

}  // namespace

bool LooksLikeR33(std::string_view text) {
  std::size_t pos = 0;
  bool first = true;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = TrimLine(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;
    std::string key;
    std::string_view value;
    const bool keyed = SplitKey(line, key, value);
    if (first) {
      if (!keyed || !IsKnownKey(key)) return false;
      first = false;
    }
    if (keyed && (key == "data" || key == "nvalues")) return true;
  }
  return false;
}

R33Read ParseR33Text(std::string_view text) {
  R33Read read = R33Reader(false).Read(text);
  if (!read.ok) {
    read.energy.clear();
    read.sigma.clear();
  }
  return read;
}

R33Read ParseR33Header(std::string_view text) {
  return R33Reader(true).Read(text);
}

}  // namespace dodavev
