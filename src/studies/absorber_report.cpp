#include "studies/absorber_report.hpp"

#include <cmath>
#include <cstdio>

#include "model/messages.hpp"
#include "physics/data_range_notes.hpp"

namespace dodavev {

namespace {

// "%*.*f": right-aligned fixed-point number of the given width and decimals.
std::string Fixed(double value, int width, int decimals) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, value);
  if (n < 0) return std::string();
  if (static_cast<std::size_t>(n) < sizeof buffer)
    return std::string(buffer, static_cast<std::size_t>(n));
  std::string wide(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(wide.data(), wide.size(), "%*.*f", width, decimals, value);
  wide.resize(static_cast<std::size_t>(n));
  return wide;
}

// Relative change of the stopping over a step, percent.
double StoppingChange(double before, double after) {
  return before > 0.0 ? std::fabs(before - after) / before * 100.0 : 0.0;
}

double TotalThickness(const LayerStructure& foil) {
  double total = 0.0;
  for (const Layer& layer : foil.layers)
    total += layer.thickness;
  return total;
}

}  // namespace

EnergyLossOutcome EnergyLossReport(const LayerStructure& foil, const EnergyLossInputs& inputs,
                                   const StoppingModel& model, MessageSink& messages) {
  EnergyLossOutcome outcome;
  if (foil.empty()) {
    messages.Show(kNoFoilForEnergyLoss);
    return outcome;
  }
  outcome.ran = true;
  outcome.report = kEnergyLossHeader;
  const Layer& layer = foil.layers.front();
  const Ion& ion = inputs.incident;
  auto stoppingAt = [&](double e) { return LayerStopping(layer, ion.z, ion.mass, e, model); };

  // Step: the iteration step, at most a hundredth of the foil.
  double h = inputs.x;
  if (!(h >= kEnergyLossMinStep)) h = kEnergyLossMinStep;
  const double total = TotalThickness(foil);
  if (total / h > 100.0) h = total / 100.0;

  // Initial step control: the stopping may change by at most 2 % over a step.
  const double s0 = stoppingAt(inputs.e0);
  while (h > 0.0 && StoppingChange(s0, stoppingAt(inputs.e0 - s0 * h)) > 2.0)
    h /= 2.0;

  // Spread from a charge state other than the mean effective charge, FWHM.
  const double c0 = ChargeStateSpread(layer, ion.z, ion.mass, ion.chargeState, inputs.e0, s0,
                                      inputs.xCorr, inputs.options, model.elements);

  double energy = inputs.e0;
  double depth = 0.0;
  int i = 1;
  while (energy > 0.0 && depth < layer.thickness && i < kEnergyLossRowLimit) {
    double s = stoppingAt(energy);
    // Straggling of the whole path 0..depth at the current energy.
    const double straggling =
        std::sqrt(LayerStraggling(layer, depth, 1.0, ion.mass, ion.chargeState, ion.z, energy,
                                  inputs.options, model.elements) +
                  c0 * c0);
    outcome.table.rows.push_back(EnergyLossRow{depth, energy, s, straggling});
    outcome.report += " " + Fixed(i, 4, 0) + "    " + Fixed(depth, 8, 3) + "    " +
                      Fixed(energy, 8, 1) + "    " + Fixed(s, 8, 1) + "    " +
                      Fixed(straggling, 8, 1) + "\r\n";

    // Next point; the step is halved while the stopping changes too fast, never grown.
    const double previousEnergy = energy;
    const double previousStopping = s;
    energy = previousEnergy - previousStopping * h;
    s = stoppingAt(energy);
    while (StoppingChange(previousStopping, s) > 2.0) {
      h /= 2.0;
      const bool atFloor = !(h > kEnergyLossMinStep);
      if (atFloor) h = kEnergyLossMinStep;
      energy = previousEnergy - previousStopping * h;
      s = stoppingAt(energy);
      if (atFloor) break;
    }
    depth += h;
    ++i;
  }
  outcome.RowCount = i - 2;
  return outcome;
}

TschalarOutcome TschalarReport(const LayerStructure& foil, const Ion& emitted,
                               const FoilSettings& settings, const StoppingModel& model,
                               MessageSink& messages) {
  TschalarOutcome outcome;
  if (foil.empty()) {
    messages.Show(kNoFoilForTschalar);
    return outcome;
  }
  outcome.ran = true;
  ResolutionTable& table = outcome.table;
  double entry = kTschalarStartEnergy;
  double spacing = entry / 4.0;
  int k = 0;
  bool limitReached = false;
  while (true) {
    if (k == kTschalarRowLimit) {
      limitReached = true;
      break;
    }
    const FoilTransport pass = AbsorberTransport(entry, foil, emitted, settings, model);
    // A foil too thick to follow within the step bound has no exit energy to show, at this
    // entry energy or below it (every further pass would walk to the bound again).
    if (!pass.complete) {
      messages.Show(kFoilTooThick);
      break;
    }
    ++k;
    const double relativeLoss = (entry - pass.exitEnergy) / entry;
    table.at(k, 1) = entry;
    table.at(k, 2) = pass.exitEnergy;
    table.at(k, 3) = relativeLoss;
    table.at(k, 4) = std::sqrt(pass.stragglingWithout);
    table.at(k, 5) = std::sqrt(pass.stragglingWith);
    // Where the relative loss jumps, go back and take this row at half the spacing.
    if (k > 2 && relativeLoss - table.at(k - 1, 3) > 0.02 && spacing > kTschalarMinSpacing) {
      spacing /= 2.0;
      entry = table.at(k - 1, 1) - spacing;
      --k;
    } else {
      entry -= spacing;
    }
    if (entry < spacing) {
      spacing /= 2.0;
      entry = spacing;
    }
    if (pass.exitEnergy < 0.5) break;
  }
  if (limitReached) {
    messages.Show("Tschalar effect: the table is full after " + std::to_string(kTschalarRowLimit) +
                  " rows; lower entry energies are not shown");
  }
  outcome.RowCount = k;
  outcome.report = kTschalarHeader;
  for (int row = 1; row <= k; ++row) {
    outcome.report += " " + Fixed(row, 4, 0) + "   " + Fixed(table.at(row, 1), 9, 1) + "   " +
                      Fixed(table.at(row, 2), 9, 1) + "   " + Fixed(table.at(row, 3), 11, 3) +
                      "   " + Fixed(table.at(row, 4), 10, 2) + "   " +
                      Fixed(table.at(row, 5), 10, 2) + "\r\n";
  }
  return outcome;
}

}  // namespace dodavev
