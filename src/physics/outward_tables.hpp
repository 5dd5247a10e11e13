// Stopping and straggling of the emitted particle in each sample layer, tabulated for one
// spectrum run: the outward path of every depth step looks them up instead of evaluating
// the stopping and straggling formulas three and one times per outward step.
//
// The tables run over ln E on a grid of 1 % steps between the lowest and the highest energy
// the run's emitted particles can have, with four-point Lagrange interpolation; within that
// range they give the formulas' values to 1e-8 relative (checked by the tests against the
// direct evaluation), outside it the formulas are evaluated directly. They are built only
// for hydrogen and helium ions and the stopping formulas (tables of the SRIM files note the
// energies they do not cover, which a table built beforehand would note wrongly).
#pragma once

#include <cmath>
#include <optional>
#include <vector>

#include "model/layer_structure.hpp"
#include "physics/stopping.hpp"
#include "physics/straggling.hpp"

namespace dodavev {

// Values of a smooth function of the energy on a grid uniform in ln E.
class LogEnergyTable {
 public:
  // Grid spacing in ln E: 1 %.
  static constexpr double kLogStep = 0.01;
  LogEnergyTable() = default;
  // Tabulates f from `low` to `high` keV (0 < low < high); an empty table otherwise.
  template <class F>
  LogEnergyTable(double low, double high, F f) {
    if (!(low > 0.0) || !(high > low) || !std::isfinite(high)) return;
    logLow_ = std::log(low);
    const int n = static_cast<int>(std::ceil((std::log(high) - logLow_) / kLogStep)) + 1;
    values_.resize(static_cast<std::size_t>(n) + 3);
    // One node below `low` and two above `high`, so that every energy of the range has its
    // four-point stencil.
    for (std::size_t i = 0; i < values_.size(); ++i) {
      values_[i] = f(std::exp(logLow_ + (static_cast<double>(i) - 1.0) * kLogStep));
    }
    low_ = low;
    high_ = high;
  }
  // The interpolated value at `energy` keV; nullopt outside the tabulated range.
  std::optional<double> At(double energy) const;
  // Where an energy lies on the grid: the interval above node 1 and the fraction of it.
  struct Position {
    std::size_t interval = 0;
    double fraction = 0.0;
  };
  std::optional<Position> Locate(double energy) const;
  // The value at a position Locate gave for this table or one on the same grid.
  double At(const Position& position) const;
  // True when `other` has this table's grid (positions of one hold for the other).
  bool SameGrid(const LogEnergyTable& other) const {
    return low_ == other.low_ && high_ == other.high_ && values_.size() == other.values_.size();
  }

 private:
  double low_ = 0.0;
  double high_ = 0.0;
  double logLow_ = 0.0;
  std::vector<double> values_;  // node k at ln E = logLow_ + (k - 1) kLogStep
};

// The tables of the emitted particle for every layer of a sample.
struct OutwardTables {
  std::vector<LogEnergyTable> stopping;    // keV/micron
  std::vector<LogEnergyTable> straggling;  // FWHM^2 keV^2 per micron of path
};

// Tables of `ion` in the layers of `sample` for energies from `low` to `high` keV; none
// (nullopt) for ions heavier than helium, with nuclear stopping for light ions and where
// the model reads SRIM tables. The range keeps clear of the fits' changes of form.
std::optional<OutwardTables> BuildOutwardTables(const LayerStructure& sample, const Ion& ion,
                                                const StoppingModel& model,
                                                const TransportOptions& options, double low,
                                                double high);

}  // namespace dodavev
