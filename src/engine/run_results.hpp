// What one run of the depth-resolution engine leaves behind: the per-step table, the two
// report texts and the simulated spectrum. A run fills its own copy; the session keeps the
// results of the last run for saving, charts and the studies that read them.
#pragma once

#include <array>
#include <string>

namespace dodavev {

inline constexpr int kResolutionRows = 200;
inline constexpr int kResolutionValues = 50;
inline constexpr int kSpectrumChannels = 600;

// Row r (0..199) holds the values of depth step r. Values are addressed by their report
// numbers 1..50; slot 0 of a row is unused.
class ResolutionTable {
 public:
  using Row = std::array<double, kResolutionValues + 1>;
  double& at(int row, int value) { return rows_.at(Index(row)).at(Index(value)); }
  double at(int row, int value) const { return rows_.at(Index(row)).at(Index(value)); }
  const Row& row(int r) const { return rows_.at(Index(r)); }
  void Clear() { rows_ = {}; }

 private:
  static std::size_t Index(int i) { return static_cast<std::size_t>(i); }
  std::array<Row, kResolutionRows> rows_{};
};

// Channel c (1..600) at index c; index 0 unused.
using Spectrum = std::array<double, kSpectrumChannels + 1>;

struct RunResults {
  ResolutionTable table;
  int RowCount = 0;
  std::string mainReport;    // becomes the OutputLog text
  std::string detailReport;  // straggling and multiple-scattering table
  Spectrum SimulatedSpectrum{};
  char CalcMode = 'D';
  char SpectrumFlag = 'W';
};

}  // namespace dodavev
