#include "physics/straggling.hpp"

#include <cmath>

#include "physics/stopping.hpp"

namespace dodavev {

namespace {

bool KnownElement(int z, const ElementTable& elements) {
  return ElementTable::ValidZ(z) && elements[z].Present();
}

// Energy per mass in MeV/amu.
double MevPerAmu(double energy, double mass) {
  return energy / 1000.0 / mass;
}

}  // namespace

double BohrStraggling(int z, int z2, double fraction, double density, double length) {
  // 8 ln 2 x 4 pi e^4 with e^2 = 1.439968e-13 MeV cm, for keV^2 per (1e22 at/cm3 micron).
  const double zi = static_cast<double>(z);
  return 69.7 * zi * zi * static_cast<double>(z2) * 1.439968 * 1.439968 * fraction * density /
         100.0 * length;
}

double ChuFactor(double energy, int z2, double mass, bool chuOn, const ElementTable& elements) {
  if (!chuOn || z2 == 1 || !KnownElement(z2, elements) || !(mass > 0.0)) return 1.0;
  const auto& c = elements[z2].chuParam;
  const double u = MevPerAmu(energy, mass);
  return 1.0 + c[2] * FitPower(u, c[3]) * std::exp(-std::fabs(c[0]) * u) -
         std::exp(-std::fabs(c[1]) * u);
}

double YangTerm(int z2, double mass, int z, double energy) {
  if (z <= 0 || z2 <= 0 || !(mass > 0.0)) return 0.0;
  const double u = MevPerAmu(energy, mass);
  if (z < 2) {
    const double g = 2.522 * (1.0 - std::exp(-1.04 * u));
    return 0.1014 * g / (g * g + (u - 0.6941) * (u - 0.6941));
  }
  const double zi = static_cast<double>(z);
  const double zt = static_cast<double>(z2);
  const double v = u / (std::pow(zi, 1.5) * std::sqrt(zt));
  const double g = 0.3931 * (1.0 - std::exp(-3.812 * v));
  return 0.01273 * g * std::pow(zi, 4.0 / 3.0) / std::cbrt(zt) /
         (g * g + (v - 0.03458) * (v - 0.03458));
}

double LayerStraggling(const Layer& layer, double length, double divisor, double mass,
                       double /*chargeState*/, int z, double energy,
                       const TransportOptions& options, const ElementTable& elements) {
  if (std::fabs(divisor) < 1e-12 || !(layer.amountSum > 0.0)) return 0.0;
  const double path = length / divisor;
  double sum = 0.0;
  for (const LayerElement& component : layer.elements) {
    const int z2 = component.Z;
    if (!KnownElement(z2, elements)) continue;
    const double bohr =
        BohrStraggling(z, z2, component.amount / layer.amountSum, layer.density, path);
    const double chu = options.CheckChu ? ChuFactor(energy, z2, mass, true, elements) : 1.0;
    double chargeRatio = 1.0;
    double correlation = 0.0;
    if (options.CheckYang) {
      if (z > 2 && mass > 0.0) {
        bool lowVelocity = false;
        const double zi = static_cast<double>(z);
        chargeRatio = HeavyIonChargeFactor(z, z2, energy / mass, lowVelocity, elements) / (zi * zi);
      }
      correlation = YangTerm(z2, mass, z, energy);
    }
    sum += (chargeRatio * chu + correlation) * bohr;
  }
  return sum;
}

double MeanEffectiveCharge(const Layer& layer, int z, double mass, double energy,
                           const ElementTable& elements) {
  if (!(layer.amountSum > 0.0) || !(mass > 0.0)) return 0.0;
  double sum = 0.0;
  for (const LayerElement& component : layer.elements) {
    if (!KnownElement(component.Z, elements)) continue;
    bool lowVelocity = false;
    sum += component.amount *
           std::sqrt(HeavyIonChargeFactor(z, component.Z, energy / mass, lowVelocity, elements));
  }
  return sum / layer.amountSum;
}

double ChargeStateSpread(const Layer& layer, int z, double mass, double chargeState, double energy,
                         double stopping, double xCorr, const TransportOptions& options,
                         const ElementTable& elements) {
  if (!options.CheckStraggling || z <= 2 || !(layer.density > 0.0)) return 0.0;
  const double meanCharge = MeanEffectiveCharge(layer, z, mass, energy, elements);
  // keV/micron over 1e22 at/cm3 is keV per 1e18 atoms/cm2.
  return std::fabs(chargeState - meanCharge) * stopping * xCorr * 1e-15 * 0.001 / layer.density;
}

}  // namespace dodavev
