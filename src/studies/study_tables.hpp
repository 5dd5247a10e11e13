// Result tables of the studies built on the resolution engine, kept after a calculation
// for the report, the charts and saving: the geometry scans of the optimisation and the
// rows of an excitation curve.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace dodavev {

// A fixed table addressed as the reports number it: rows 1..Rows, values 1..Values.
template <int Rows, int Values>
class NumberedTable {
 public:
  static constexpr int kRows = Rows;
  static constexpr int kValues = Values;
  double& at(int row, int value) { return rows_.at(Index(row)).at(Index(value)); }
  double at(int row, int value) const { return rows_.at(Index(row)).at(Index(value)); }
  void Clear() { rows_ = {}; }

 private:
  static std::size_t Index(int i) { return static_cast<std::size_t>(i); }
  std::array<std::array<double, Values + 1>, Rows + 1> rows_{};
};

// Alpha scan: alpha [deg], theta [deg], depth resolution [nm] at the depths x1..x4.
using AngleScanTable = NumberedTable<200, 6>;
// Theta scan: depth [nm], best depth resolution [nm], alpha [deg], theta [deg] (values
// 5 and 6 unused).
using BestByDepthTable = NumberedTable<200, 6>;
// Excitation curve: one row per beam energy, the eleven report columns.
using ResonanceTable = NumberedTable<100, 11>;

struct StudyResults {
  AngleScanTable angleScan;
  int angleScanRows = 0;
  BestByDepthTable bestByDepth;
  int bestByDepthRows = 0;
  ResonanceTable resonance;
  int resonanceRows = 0;
  // Caption of the output panel's spectrum button (`Button12`) after a spectrum simulation:
  // "View subspectrum" or "View spectrum"; empty before any.
  std::string Button12Caption;
  // Channel region of the last spectrum fit, whose residuals are charted; 0 0: none.
  int fitFirstChannel = 0;
  int fitLastChannel = 0;
};

}  // namespace dodavev
