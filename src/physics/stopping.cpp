#include "physics/stopping.hpp"

#include <algorithm>
#include <cmath>

#include "model/units.hpp"
#include "physics/data_range_notes.hpp"
#include "physics/srim_tables.hpp"

namespace dodavev {

namespace {

// Energy per mass below which the proton fits are extrapolated, keV/amu.
constexpr double kProtonFitFloor = 25.0;

bool KnownElement(int z, const ElementTable& elements) {
  return ElementTable::ValidZ(z) && elements[z].Present();
}

// ZBL proton stopping at energy per mass `pe` (keV/amu) with the fit A1..A8 of the target.
double ProtonFit(const ElementRecord& target, double pe) {
  const auto& a = target.protonCoeff;
  const double low = FitPower(pe, a[1]) * a[0] + a[2] * FitPower(pe, a[3]);
  const double logArg = a[6] / pe + a[7] * pe;
  const double high = logArg > 0.0 ? a[4] * FitPower(pe, -a[5]) * std::log(logArg) : 0.0;
  const double sum = low + high;
  return sum != 0.0 ? low * high / sum : 0.0;
}

// Helium stopping fits of Ziegler (1977); e in keV, m1 the ion mass.
double HeliumStopping(const ElementRecord& target, double m1, double e) {
  const auto& a = target.heCoeff;
  if (e <= 10000.0) {
    const double he = e / (250.0 * m1);  // MeV of a 4 amu ion of the same velocity
    const double low = a[0] * FitPower(e, a[1]);
    const double logArg = 1.0 + a[3] / he + a[4] * he;
    const double high = logArg > 0.0 ? (a[2] / he) * std::log(logArg) : 0.0;
    if (low <= 0.0 || high <= 0.0) return 0.0;
    return 1.0 / (1.0 / low + 1.0 / high);
  }
  const double x = std::log(1000.0 / e);  // ln(1/E), E in MeV, not scaled by mass
  return std::exp(a[5] + a[6] * x + a[7] * x * x + a[8] * x * x * x);
}

// What the SRIM tables do not cover, noted for the run: an ion without a table in a target
// element, or an energy beyond the ends of the ion's table (once per file and side).
constexpr std::string_view kZblSubstitute = "the ZBL'92 stopping";

void NoteMissingIon(DataRangeNotes& notes, const SrimTableSet* tables, int z2, int z1) {
  DataRangeNotes::Key key;
  key.source = tables;
  key.kind = kNoteNoTable;
  key.detail = {static_cast<double>(z1), static_cast<double>(z2)};
  if (notes.Has(key)) return;
  notes.Add(key, std::string(kNoteSrimNoIon) + ": no table of " + notes.ElementName(z1) + " in " +
                     notes.ElementName(z2) + "; " + std::string(kZblSubstitute) + " was used");
}

void NoteOutsideTable(DataRangeNotes& notes, const SrimTable& table, double e) {
  const TableSide side = e <= table.eMin ? TableSide::kBelow : TableSide::kAbove;
  notes.OutsideTable(table.energies.get(), std::string(kNoteSrimNoEnergy) + ": table", table.file,
                     table.eMin, table.eMax, side, kZblSubstitute);
}

// Low-energy factor of the proton fit below 25 keV/amu: the fit is evaluated at the floor
// and scaled by a velocity power (0.25 for light targets, 0.45 above carbon).
double LowEnergyExponent(int z2) {
  return z2 <= 6 ? 0.25 : 0.45;
}

}  // namespace

double FitPower(double base, double exponent) {
  if (base <= 1e-10) return 0.0;
  return std::pow(base, exponent);
}

double HeavyIonChargeFactor(int z1, int z2, double ePerAmu, bool& lowVelocity,
                            const ElementTable& elements) {
  lowVelocity = false;
  if (ePerAmu < kZeroTolerance) return 0.0;
  if (!KnownElement(z1, elements) || !KnownElement(z2, elements)) return 0.0;
  const double zi = static_cast<double>(z1);
  const double vF = elements[z2].fermiVelocity;
  const double lambdaFactor = elements[z1].chargeLambdaFactor;
  // A target without a Fermi velocity cannot screen the ion: fully stripped.
  if (!(vF > 0.0)) return zi * zi;

  // Relative velocity of ion and target electrons, Bohr velocities.
  const double v = std::sqrt(ePerAmu / 25.0) / vF;
  double vr = 0.0;
  if (v >= 1.0) {
    vr = v * vF * (1.0 + 1.0 / (5.0 * v * v));
  } else {
    vr = (3.0 * vF / 4.0) * (1.0 + 2.0 * v * v / 3.0 - v * v * v * v / 15.0);
  }
  if (vr <= 1.0) {
    vr = 1.0;
    lowVelocity = true;
  }
  double yr = vr / std::pow(zi, 0.6667);
  if (yr <= 0.13) {
    yr = 0.13;
    lowVelocity = true;
  }

  // Ionisation fraction of the ion.
  const double a =
      -0.803 * std::pow(yr, 0.3) + 1.3167 * std::pow(yr, 0.6) + 0.38157 * yr + 0.008983 * yr * yr;
  double q = a <= 705.0 ? 1.0 - std::exp(-a) : 1.0;
  q = std::clamp(q, 0.0, 1.0);

  // Screening length of the remaining electrons.
  const double cubeRoot = std::pow(zi, 0.3333);
  const double b = std::min(0.43, std::max(0.32, 0.12 + 0.025 * zi)) / cubeRoot;
  const double l0 = lambdaFactor * (0.8 - q * std::min(1.2, 0.6 + zi / 30.0)) / cubeRoot;
  double l1 = 0.0;
  if (q >= 0.2) {
    const double t1 = std::max(0.0, 0.9 - 0.025 * zi);
    const double t2 = std::max(0.0, 1.0 - 0.025 * std::min(16.0, zi));
    if (q < t1) {
      l1 = b * (q - 0.2) / std::fabs(t1 - 0.2000001);
    } else if (q < t2) {
      l1 = b;
    } else {
      l1 = b * (1.0 - q) / (0.025 * std::min(16.0, zi));
    }
  }
  const double lambda = std::max(l1, l0);

  double zeta =
      q + (1.0 - q) * std::log(1.0 + std::pow(4.0 * lambda * vF / 1.919, 2.0)) / (2.0 * vF * vF);
  const double logE = std::max(0.0, std::log(ePerAmu));
  zeta *= 1.0 + (0.18 + 0.0015 * static_cast<double>(z2)) * std::exp(-(7.6 - logE) * (7.6 - logE)) /
                    (zi * zi);
  return (zeta * zi) * (zeta * zi);
}

double ElectronicStoppingZbl(int z2, int z1, double m1, double e, const ElementTable& elements) {
  if (!KnownElement(z2, elements) || !KnownElement(z1, elements)) return 0.0;
  const ElementRecord& target = elements[z2];
  if (e <= 0.0) e = 0.01;

  if (z1 == 2 && m1 > 0.0) return HeliumStopping(target, m1, e);
  if (std::fabs(m1) < 1e-10) return 0.0;  // no energy per mass without a mass

  const double pe0 = e / std::fabs(m1);
  const bool low = pe0 <= kProtonFitFloor;
  double pe = pe0;
  double factor = 1.0;
  if (low) {
    pe = kProtonFitFloor;
    factor = std::pow(pe0 / kProtonFitFloor, LowEnergyExponent(z2));
  }
  if (z1 == 1) return ProtonFit(target, pe) * factor;

  bool lowVelocity = false;
  const double chargeFactor = HeavyIonChargeFactor(z1, z2, pe0, lowVelocity, elements);
  if ((pe0 > 250.0 && z2 != 6) || !lowVelocity) {
    return ProtonFit(target, pe) * factor * chargeFactor;
  }

  // Low-velocity regime: stopping proportional to a power of the velocity below the
  // energy EEE at which the ion's velocity matches the electrons' mean orbital velocity.
  double vel = std::max(1.0, 0.13 * std::pow(static_cast<double>(z1), 0.6667));
  const double vF = target.fermiVelocity;
  vel = (vel + std::sqrt(std::max(0.0, vel * vel - 0.8 * vF * vF))) / 2.0;
  const double eee = 25.0 * vel * vel;  // keV/amu
  const bool softPower = z2 == 6 || ((z2 == 14 || z2 == 32) && z1 <= 19);
  const double power = softPower ? 0.375 : 0.5;
  factor = std::pow(pe0 / eee, power);
  if (eee <= kProtonFitFloor) {
    pe = kProtonFitFloor;
    factor *= std::pow(eee / kProtonFitFloor, LowEnergyExponent(z2));
  } else {
    pe = eee;
  }
  return ProtonFit(target, pe) * factor * chargeFactor;
}

double NuclearStoppingZbl(int z1, int z2, double e, double m2, double m1) {
  if (z1 <= 0 || z2 <= 0 || e <= 0.0 || m1 <= 0.0 || m2 <= 0.0) return 0.0;
  const double za = static_cast<double>(z1);
  const double zb = static_cast<double>(z2);
  const double d = (m1 + m2) * (std::pow(za, 0.23) + std::pow(zb, 0.23));
  const double eps = 32.5347 * m2 * e / (za * zb * d);  // reduced energy
  double sn = 0.0;
  if (eps < 30.0) {
    sn = 0.5 * std::log(1.0 + 1.1383 * eps) /
         (eps + 0.01321 * std::pow(eps, 0.21226) + 0.19593 * std::sqrt(eps));
  } else {
    sn = std::log(eps) / (2.0 * eps);
  }
  return 8.462 * za * zb * m1 * sn / d;
}

double LayerStopping(const Layer* layer, int z1, double m1, double e, const StoppingModel& model,
                     std::string* note) {
  if (layer == nullptr || e < kZeroTolerance) return 0.0;
  if (!(layer->amountSum > 0.0)) return 0.0;
  const ElementTable& elements = model.elements;
  double sum = 0.0;
  for (const LayerElement& component : layer->elements) {
    const int z2 = component.Z;
    if (!KnownElement(z2, elements)) continue;  // reported when the layer was read
    double s = 0.0;
    std::string_view source = kNoteZbl92;
    if (!model.useSrimTables || model.srimTables == nullptr) {
      s = ElectronicStoppingZbl(z2, z1, m1, e, elements);
    } else if (const SrimTable* table = model.srimTables->Find(z2, z1); table == nullptr) {
      s = ElectronicStoppingZbl(z2, z1, m1, e, elements);
      source = kNoteSrimNoIon;
      if (model.notes != nullptr) NoteMissingIon(*model.notes, model.srimTables, z2, z1);
    } else if (table->eMin < e && e < table->eMax) {
      s = SrimTableStopping(*table, z2, z1, m1, e, elements);
      source = kNoteSrim;
      // An isotope is read at the energy of its velocity, which may lie beyond the table.
      if (model.notes != nullptr) {
        const double scaled = SrimTableEnergy(z1, m1, e, elements);
        if (scaled < table->eMin || scaled > table->eMax)
          NoteOutsideTable(*model.notes, *table, scaled);
      }
    } else {
      s = ElectronicStoppingZbl(z2, z1, m1, e, elements);
      source = kNoteSrimNoEnergy;
      if (model.notes != nullptr) NoteOutsideTable(*model.notes, *table, e);
    }
    if (z1 > 2 || model.nuclearForLightIons)
      s += NuclearStoppingZbl(z1, z2, e, elements[z2].atomicMass, m1);
    sum += component.amount * s;
    if (note != nullptr) note->assign(source);
  }
  // eV/(1e15 at/cm2) x 1e22 at/cm3 = 1e7 eV/cm = keV/micron.
  return sum * layer->density / layer->amountSum;
}

}  // namespace dodavev
