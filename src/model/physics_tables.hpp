// Numeric start-up tables besides the element table, read once from the LEV directory.
#pragma once

#include <array>
#include <vector>

namespace dodavev {

struct PhysicsTables {
  static constexpr int kMsFRows = 448;
  static constexpr int kMsTauCount = 338;
  // Natural logarithms of "FMT.DAT", row-major: MsFTable[row][column], rows 0..447.
  std::vector<std::array<double, 5>> MsFTable = std::vector<std::array<double, 5>>(kMsFRows);
  // Natural logarithms of the reduced thicknesses of "TAUFIJ.DAT": entry k (0-based)
  // belongs to the reduced half-width angle whose logarithm is -11.9 + 0.05 k.
  std::array<double, kMsTauCount> MsTauTable{};
  // Read from the four fixed cross-section tables; no calculation uses them.
  std::vector<std::array<double, 3>> FixedTable3 = std::vector<std::array<double, 3>>(2500);
  std::vector<std::array<double, 2>> FixedTable2 = std::vector<std::array<double, 2>>(190);
  // Whether the multiple-scattering tables were read completely; without them the
  // multiple-scattering contributions cannot be computed.
  bool msFTableComplete = false;
  bool msTauTableComplete = false;
};

}  // namespace dodavev
