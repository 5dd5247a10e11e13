#include "physics/absorber.hpp"
#include "model/units.hpp"

#include <algorithm>
#include <cmath>

namespace dodavev {

namespace {

// Smallest step of the foil walk, micron.
constexpr double kMinFoilStep = 0.05;
// Exit energy below which the particle counts as stopped in the foil, keV.
constexpr double kFoilStopEnergy = 1.0;
// Exit energy of the backward walk that finds the lowest useful entry energy, keV.
constexpr double kBackwardStartEnergy = 5.0;
constexpr double kBackwardStep = 0.1;  // micron

// Quadratic through three points, evaluated at x (Lagrange form).
double Quadratic(double x0, double y0, double x1, double y1, double x2, double y2, double x) {
  if (x0 == x1 || x1 == x2 || x0 == x2) return y1;
  return y0 * (x - x1) * (x - x2) / ((x0 - x1) * (x0 - x2)) +
         y1 * (x - x0) * (x - x2) / ((x1 - x0) * (x1 - x2)) +
         y2 * (x - x0) * (x - x1) / ((x2 - x0) * (x2 - x1));
}

double SafeLog(double value) {
  return std::log(std::max(value, 1e-300));
}

}  // namespace

FoilTransport AbsorberTransport(double entryEnergy, const LayerStructure& foil, const Ion& particle,
                                const FoilSettings& settings, const StoppingModel& model) {
  FoilTransport result;
  result.entryEnergy = entryEnergy;
  double energy = entryEnergy;
  double straggling = 0.0;  // sum of dOmega^2 / S^2 over the foil elements
  double h = settings.x;
  long steps = 0;
  for (const Layer& layer : foil.layers) {
    // Walked within the layer, so that thin layers behind a thick one keep their thickness.
    double remaining = layer.thickness;
    result.endPosition += layer.thickness;
    if (h < kMinFoilStep) h = kMinFoilStep;
    double s0 = LayerStopping(layer, particle.z, particle.mass, energy, model);
    if (!(s0 > 0.0)) continue;  // no matter to slow down or spread the particle
    while (remaining > 0.0) {
      if (++steps > kMaxFoilSteps) {
        result.complete = false;
        break;
      }
      bool lastStep = false;
      if (remaining <= h) {
        h = remaining;  // carried into the next layer
        lastStep = true;
      }
      energy -= s0 * h;
      if (energy < kFoilStopEnergy) {
        // Stopped: nothing more is added in this layer or in the following ones.
        energy = kFoilStopEnergy;
        h = 0.0;
        lastStep = true;
      }
      const double s1 = LayerStopping(layer, particle.z, particle.mass, energy, model);
      if (settings.options.CheckStraggling) {
        straggling += LayerStraggling(layer, h, 1.0, particle.mass, particle.chargeState,
                                      particle.z, energy, settings.options, model.elements) /
                      (s0 * s0);
      }
      remaining = lastStep ? 0.0 : remaining - h;
      if (s1 > 0.0) s0 = s1;
    }
    if (!result.complete) break;
  }

  double exitStopping =
      foil.empty() ? 0.0
                   : LayerStopping(foil.layers.back(), particle.z, particle.mass, energy, model);
  if (energy < 1.1) {
    // Stopped in the foil: tiny but non-zero, so later stopping ratios stay finite.
    energy = 1e-10;
    exitStopping = 1e-10;
  }
  result.exitEnergy = energy;
  result.exitStopping = exitStopping;
  // Tschalar: the straggling of every foil element carried to the exit with (S_exit/S)^2.
  result.stragglingWithout = straggling * exitStopping * exitStopping;
  const double inhomogeneity = exitStopping * settings.ho;
  result.stragglingWith = result.stragglingWithout + inhomogeneity * inhomogeneity;
  return result;
}

int BuildAbsorberTable(AbsorberTable& table, const LayerStructure& foil, const Ion& particle,
                       const FoilSettings& settings, const StoppingModel& model) {
  table = AbsorberTable{};
  if (foil.empty()) return 1;

  // Lowest useful entry energy: walk backwards from an exit energy of 5 keV.
  double eMin = kBackwardStartEnergy;
  long steps = 0;
  bool complete = true;
  for (auto layer = foil.layers.rbegin(); layer != foil.layers.rend() && !table.opaque; ++layer) {
    const double thickness = layer->thickness;
    double q = 0.0;
    while (std::fabs(thickness - q) > kZeroTolerance) {
      const double s = LayerStopping(*layer, particle.z, particle.mass, eMin, model);
      if (!(s > 0.0)) break;  // nothing in this layer slows the particle
      if (std::fabs(thickness - q) < kMinFoilStep) {
        eMin += (thickness - q) * s;
        q = thickness;
      } else {
        eMin += kBackwardStep * s;
        q += kBackwardStep;
      }
      if (eMin >= kAbsorberTopEnergy - 1.0) {
        table.opaque = true;  // nothing within the table's range gets through
        break;
      }
      if (++steps > kMaxFoilSteps) {
        complete = false;
        table.opaque = true;
        break;
      }
    }
  }
  if (table.opaque) {
    for (AbsorberRow& row : table.rows)
      row.entryEnergy = eMin;
    return complete ? 1 : 0;
  }

  // Bohr straggling of the whole foil, the high-energy limit of the foil straggling.
  double bohr = 0.0;
  for (const Layer& layer : foil.layers) {
    if (!(layer.amountSum > 0.0)) continue;
    for (const LayerElement& component : layer.elements) {
      if (!ElementTable::ValidZ(component.Z)) continue;
      bohr += BohrStraggling(particle.z, component.Z, component.amount / layer.amountSum,
                             layer.density, layer.thickness);
    }
  }

  table.rows[0] = AbsorberRow{eMin, 0.0, 0.0};
  for (int k = 2; k <= kAbsorberRows; ++k) {
    const double entry =
        eMin + std::pow(kAbsorberTopEnergy - eMin, static_cast<double>(k) / kAbsorberRows);
    const FoilTransport pass = AbsorberTransport(entry, foil, particle, settings, model);
    complete = complete && pass.complete;
    table.rows[static_cast<std::size_t>(k - 1)] =
        AbsorberRow{entry, pass.exitEnergy, std::sqrt(pass.stragglingWithout) / kFwhmPerSigma};
  }
  table.rows[kAbsorberRows - 1].sigma = std::sqrt(bohr) / kFwhmPerSigma;
  return complete ? 1 : 0;
}

AbsorberPassage InterpolateAbsorber(const AbsorberTable& table, double entryEnergy) {
  AbsorberPassage passage;
  if (table.opaque || !(entryEnergy > table.row(3).entryEnergy)) {
    passage.stopped = true;
    return passage;
  }
  int r = 3;
  while (r < kAbsorberRows && table.row(r).entryEnergy < entryEnergy)
    ++r;
  // Three rows r - 1, r, r + 1 inside the table; above its top the last three extrapolate.
  r = std::min(r, kAbsorberRows - 1);
  const double e1 = table.row(1).entryEnergy;
  const AbsorberRow& a = table.row(r - 1);
  const AbsorberRow& b = table.row(r);
  const AbsorberRow& c = table.row(r + 1);
  const double xa = SafeLog(a.entryEnergy - e1);
  const double xb = SafeLog(b.entryEnergy - e1);
  const double xc = SafeLog(c.entryEnergy - e1);
  const double x = SafeLog(entryEnergy - e1);
  passage.exitEnergy = std::exp(Quadratic(xa, SafeLog(a.exitEnergy), xb, SafeLog(b.exitEnergy), xc,
                                          SafeLog(c.exitEnergy), x));
  passage.sigma = std::max(0.0, Quadratic(xa, a.sigma, xb, b.sigma, xc, c.sigma, x));
  return passage;
}

FoilExit FoilExitEnergyDirect(double energy, const LayerStructure& foil, const Ion& particle,
                              double thr, const StoppingModel& model) {
  FoilExit out;
  out.energy = std::max(energy, thr);
  if (foil.empty()) return out;
  const Layer& last = foil.layers.back();
  for (int i = 0; i < 10; ++i) {
    out.energy -=
        LayerStopping(last, particle.z, particle.mass, out.energy, model) * last.thickness / 10.0;
    if (out.energy < thr) {
      out.energy = thr;
      ++out.belowThreshold;
    }
  }
  return out;
}

}  // namespace dodavev
