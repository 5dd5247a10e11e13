#include "engine/resolution_report.hpp"
#include "model/units.hpp"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <utility>

namespace dodavev {
namespace {

constexpr const char* kEol = "\r\n";

// Appends `value` as "%*.*f".
void AppendFixed(std::string& out, double value, int width, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, value);
  out += buf;
}

// Numbers of a row, each as (value number, width, decimals), separated by one blank.
std::string RowLine(const ResolutionTable::Row& row,
                    std::initializer_list<std::pair<int, int>> columns, int decimals) {
  std::string line;
  bool first = true;
  for (const auto& [value, width] : columns) {
    if (!first) line += ' ';
    first = false;
    AppendFixed(line, row[static_cast<std::size_t>(value)], width, decimals);
  }
  return line;
}

}  // namespace

std::string FormatSignificant(double value, int significant, int decimals) {
  char buf[64];
  if (!std::isfinite(value) || value == 0.0 || significant < 1) {
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::isfinite(value) ? 0.0 : value);
    return buf;
  }
  int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  double rounded = value;
  if (exponent > -300 && exponent < 300) {
    const double scale = std::pow(10.0, significant - 1 - exponent);
    rounded = std::round(value * scale) / scale;
    if (rounded != 0.0) exponent = static_cast<int>(std::floor(std::log10(std::fabs(rounded))));
  }
  if (exponent + 1 > significant) {
    std::snprintf(buf, sizeof buf, "%.*E", significant - 1, value);
    return buf;
  }
  if (std::fabs(rounded) < 0.5 * std::pow(10.0, -decimals)) rounded = 0.0;  // no "-0.00"
  std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
  return buf;
}

std::string MainReportHeader(char geometryKind, double thetaDeg, double alphaDeg) {
  std::string s = geometryKind == 'T' ? "TRANSMISSION GEOMETRY" : "REFLECTION GEOMETRY";
  s += kEol;
  s += "           theta = " + FormatSignificant(thetaDeg, 3, 2) +
       "         alpha = " + FormatSignificant(alphaDeg, 3, 2);
  s += kEol;
  s += kEol;
  s += " depth| depth & energy |      before the     |                main energy spread "
       "contributions               |error| mean";
  s += kEol;
  s += "      |   resolution   |       reaction      |                        after the "
       "sample                       |from | det.";
  s += kEol;
  s += "   x  |    dx    det   |   E      dE    dfi  | dopll.   beame   beama    geo     ss "
       "     msi    mso     tot  |appr.| energy";
  s += kEol;
  s += " [nm] |   [nm]  [keV]  |     [keV]     [deg] |                          [keV]       "
       "                         |  %  | [keV]";
  s += kEol;
  return s;
}

std::string DetailReportHeader(double alphaDeg, double thetaDeg, double beta1Deg, double beta2Deg,
                               double z1, double m1, double z2, double m2) {
  std::string s = "       alpha_in =  " + FormatSignificant(alphaDeg, 3, 2) +
                  "     theta  = " + FormatSignificant(thetaDeg, 3, 2);
  s += kEol;
  s += "       beta_out_1 = " + FormatSignificant(beta1Deg, 3, 2) +
       "  beta_out_2 = " + FormatSignificant(beta2Deg, 3, 2);
  s += kEol;
  s += "       Z1 = " + FormatSignificant(z1, 3, 0) + "    M1 = " + FormatSignificant(m1, 3, 0) +
       "    Z2 = " + FormatSignificant(z2, 3, 0) + "    M2 = " + FormatSignificant(m2, 3, 0);
  s += kEol;
  s += kEol;
  s += "depth |  straggling  | ms in after the sample   |   ms out after the sample         "
       "|S eff    |m  ";
  s += kEol;
  s += "      |  in   |  out | tau  | fi   |  nu  |  k  |  tau |  fi   | nu   |  k   |  k   "
       "|         |res    ";
  s += kEol;
  // Windows-1252: 0xC1 (capital A with acute) and 0xBA (masculine ordinal) as in the
  // original column heads.
  s += "[nm]  |     [keV]    |  -   |[deg] |  -   | - ";
  s += '\xC1';
  s += " |   -  | [deg] |  -   | - ";
  s += '\xC1';
  s += "  |  -";
  s += '\xBA';
  s += " |[keV/nm] | -  ";
  s += kEol;
  return s;
}

std::string MainReportLine(const ResolutionTable::Row& row) {
  std::string line = RowLine(row, {{1, 6}}, 1);
  line += ' ';
  AppendFixed(line, row[2], 7, 2);
  line += ' ';
  line += RowLine(row,
                  {{3, 7},
                   {4, 7},
                   {5, 6},
                   {6, 6},
                   {26, 7},
                   {7, 7},
                   {8, 7},
                   {9, 7},
                   {10, 7},
                   {11, 7},
                   {12, 7},
                   {13, 7},
                   {14, 6},
                   {39, 7}},
                  1);
  line += kEol;
  return line;
}

std::string DetailReportLine(const ResolutionTable::Row& row) {
  std::string line = RowLine(row,
                             {{1, 6},
                              {16, 6},
                              {17, 6},
                              {18, 6},
                              {19, 6},
                              {20, 6},
                              {23, 6},
                              {27, 6},
                              {28, 6},
                              {29, 6},
                              {32, 6},
                              {35, 6},
                              {36, 8},
                              {41, 8}},
                             1);
  line += kEol;
  return line;
}

std::string ErrorReason(StepProblem problem) {
  switch (problem) {
    case StepProblem::kLinearError:
      return "error > 1000% ";
    case StepProblem::kSecondOrder:
      return "ctg(alpha) ";
    case StepProblem::kEnergyBelowSpread:
      return "E < dE/100 ";
    case StepProblem::kAbsorberUnresolved:
      return "absorber ";
    case StepProblem::kDetectorResolutionZero:
      return "The detector resolution reaches 0 !";
    case StepProblem::kNone:
      break;
  }
  return {};
}

std::string ClosingLines(const WalkEnd& end) {
  std::string s =
      "the max. probing depth = " + FormatSignificant(end.stopDepth * 1000.0, 6, 0) + " nm";
  s += kEol;
  s += "The calculation was finished: ";
  const std::string reason = ErrorReason(end.ErrorCode);
  if (!reason.empty()) {
    s += reason;
  } else if (std::fabs(end.cumulativeThickness - end.stopDepth) < kZeroTolerance) {
    s += "sample thickness!!!";
  } else if (std::fabs(end.depthmax - end.stopDepth) < kZeroTolerance) {
    s += "Max. depth = " + FormatSignificant(end.depthmax, 8, 3);
  } else if (end.detectedEnergy <= end.thr) {
    s += "e < thr  ";
  } else {
    return s;  // no reason known: the line stays open
  }
  s += kEol;
  return s;
}

std::string SublayerLimitLine() {
  return std::string("The calculation was finished: the number of sublayers reaches the limit (") +
         "200" + ")" + kEol;
}

}  // namespace dodavev
