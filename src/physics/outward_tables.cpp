#include "physics/outward_tables.hpp"

#include <algorithm>
#include <cmath>

namespace dodavev {

std::optional<LogEnergyTable::Position> LogEnergyTable::Locate(double energy) const {
  if (!(energy >= low_ && energy <= high_) || values_.empty()) return std::nullopt;
  const double u = (std::log(energy) - logLow_) / kLogStep;  // from node 1
  const auto i = static_cast<std::size_t>(u);                // interval [i, i + 1] above node 1
  return Position{i, u - static_cast<double>(i)};
}

double LogEnergyTable::At(const Position& position) const {
  const double t = position.fraction;
  // Nodes i .. i + 3 at -1, 0, 1, 2 relative to the interval's lower end.
  const double* y = &values_[position.interval];
  const double tm1 = t + 1.0;
  const double t1 = t - 1.0;
  const double t2 = t - 2.0;
  return (-y[0] * t * t1 * t2 + 3.0 * y[1] * tm1 * t1 * t2 - 3.0 * y[2] * tm1 * t * t2 +
          y[3] * tm1 * t * t1) *
         (1.0 / 6.0);
}

std::optional<double> LogEnergyTable::At(double energy) const {
  const std::optional<Position> p = Locate(energy);
  if (!p) return std::nullopt;
  return At(*p);
}

std::optional<OutwardTables> BuildOutwardTables(const LayerStructure& sample, const Ion& ion,
                                                const StoppingModel& model,
                                                const TransportOptions& options, double low,
                                                double high) {
  // Heavier ions switch between velocity regimes of the effective charge, whose kinks the
  // interpolation would round off.
  // The universal nuclear stopping jumps where its two branches meet.
  if (model.useSrimTables || model.nuclearForLightIons || ion.z < 1 || ion.z > 2) {
    return std::nullopt;
  }
  // The fits change form at 25 keV/amu (protons, the low-velocity factor below) and at
  // 10 MeV (helium): the tables stay on one side of it.
  if (ion.z == 1) low = std::max(low, 25.5 * ion.mass);
  if (ion.z == 2) high = std::min(high, 10000.0);
  OutwardTables tables;
  for (const Layer& layer : sample.layers) {
    tables.stopping.emplace_back(
        low, high, [&](double e) { return LayerStopping(layer, ion.z, ion.mass, e, model); });
    if (options.CheckStraggling) {
      tables.straggling.emplace_back(low, high, [&](double e) {
        return LayerStraggling(layer, 1.0, 1.0, ion.mass, ion.chargeState, ion.z, e, options,
                               model.elements);
      });
    } else {
      tables.straggling.emplace_back();
    }
  }
  return tables;
}

}  // namespace dodavev
