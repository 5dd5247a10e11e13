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
//
// A spectrum or resonance walk goes on past the 200 printed rows to its own stop. Its
// further steps r = 200, 201, ... are held in two rolling rows (step r in slot r mod 2), so
// that the studies read a step and the one before it as they read the printed rows, without
// a table growing with the walk; no report, chart or count ever reads them.
class ResolutionTable {
 public:
  using Row = std::array<double, kResolutionValues + 1>;
  double& at(int row, int value) { return Slot(row).at(Index(value)); }
  double at(int row, int value) const { return Slot(row).at(Index(value)); }
  const Row& row(int r) const { return Slot(r); }
  void Clear() {
    rows_ = {};
    rolling_ = {};
  }

 private:
  static std::size_t Index(int i) { return static_cast<std::size_t>(i); }
  Row& Slot(int r) { return r < kResolutionRows ? rows_.at(Index(r)) : rolling_.at(Index(r % 2)); }
  const Row& Slot(int r) const {
    return r < kResolutionRows ? rows_.at(Index(r)) : rolling_.at(Index(r % 2));
  }
  std::array<Row, kResolutionRows> rows_{};
  std::array<Row, 2> rolling_{};
};

// Channel c (1..600) at index c; index 0 unused.
using Spectrum = std::array<double, kSpectrumChannels + 1>;

struct RunResults {
  ResolutionTable table;
  int RowCount = 0;
  std::string mainReport;    // becomes the OutputLog text
  std::string detailReport;  // straggling and multiple-scattering table
  Spectrum SimulatedSpectrum{};
  // Resonance yield (value 40) of the steps an excitation-curve walk took past its printed
  // rows; the counts of the curve include it.
  double yieldBeyondRows = 0.0;
  int stepsWalked = 0;  // depth steps evaluated, printed or not
  char CalcMode = 'D';
  char SpectrumFlag = 'W';
};

}  // namespace dodavev
