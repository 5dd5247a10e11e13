#include "studies/profile.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "physics/element_io.hpp"

namespace dodavev {
namespace {

// Layer symbols are stored upper case and padded to two characters; the list shows them
// without the padding.
std::string TrimmedSymbol(const std::array<char, 2>& symbol) {
  std::string text;
  for (char c : symbol) {
    if (c != ' ' && c != '\0') text.push_back(c);
  }
  return text;
}

bool Contains(const std::vector<IsotopeNode>& list, int z, int a) {
  return std::any_of(list.begin(), list.end(),
                     [&](const IsotopeNode& n) { return n.Z == z && n.A == a; });
}

// Natural abundance of mass number `a` of element `z`; 0 when it is not a natural isotope.
double NaturalAbundance(const ElementTable& elements, int z, int a) {
  const ElementRecord& record = elements[z];
  const int count = std::clamp(record.isotopeCount, 0, kMaxIsotopes);
  for (int i = 0; i < count; ++i) {
    const auto index = static_cast<std::size_t>(i);
    if (record.isotopeMassNumber[index] == a) return record.isotopeAbundance[index];
  }
  return 0.0;
}

}  // namespace

double IsotopeMass(const IsotopeNode& isotope, const ElementTable& elements) {
  if (ElementTable::ValidZ(isotope.Z)) {
    const ElementRecord& record = elements[isotope.Z];
    const int count = std::clamp(record.isotopeCount, 0, kMaxIsotopes);
    for (int i = 0; i < count; ++i) {
      const auto index = static_cast<std::size_t>(i);
      const double mass = record.isotopeMass[index];
      if (record.isotopeMassNumber[index] == isotope.A && mass > 0.0) return mass;
    }
  }
  return static_cast<double>(isotope.A);
}

std::vector<IsotopeNode> BuildIsotopeList(const LayerStructure& sample,
                                          const ElementTable& elements) {
  std::vector<IsotopeNode> list;
  for (const Layer& layer : sample.layers) {
    for (const LayerElement& entry : layer.elements) {
      if (!ElementTable::ValidZ(entry.Z)) continue;
      const std::string symbol = TrimmedSymbol(entry.symbol);
      if (entry.massNumber == -1) {
        const ElementRecord& record = elements[entry.Z];
        const int count = std::clamp(record.isotopeCount, 0, kMaxIsotopes);
        for (int i = 0; i < count; ++i) {
          const int a = record.isotopeMassNumber[static_cast<std::size_t>(i)];
          if (!Contains(list, entry.Z, a)) list.push_back({entry.Z, a, symbol});
        }
      } else if (!Contains(list, entry.Z, entry.massNumber)) {
        list.push_back({entry.Z, entry.massNumber, symbol});
      }
    }
  }
  return list;
}

std::vector<IsotopeNode> GivenTargetIsotopeList(std::string_view targetSymbol, double mt,
                                                const ElementTable& elements) {
  std::string symbol;
  for (char c : targetSymbol) {
    if (c != ' ') symbol.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  std::string key = symbol;
  key.resize(2, ' ');
  const int z = symbol.size() <= 2 ? LookupElement(key, elements) : 0;
  // Mass numbers are small integers; anything else (not a number, absurdly large) is
  // no isotope at all.
  const double rounded = std::nearbyint(mt);
  const int a = std::isfinite(rounded) && std::abs(rounded) < 1e6 ? static_cast<int>(rounded) : 0;
  return {IsotopeNode{z, a, symbol}};
}

double IsotopeFraction(const Layer& layer, const IsotopeNode& isotope,
                       const ElementTable& elements) {
  if (!(layer.amountSum > 0.0) || !ElementTable::ValidZ(isotope.Z)) return 0.0;
  double fraction = 0.0;
  for (const LayerElement& entry : layer.elements) {
    if (entry.Z != isotope.Z) continue;
    double share = 0.0;
    if (entry.massNumber == -1) {
      share = NaturalAbundance(elements, isotope.Z, isotope.A);
    } else if (entry.massNumber == isotope.A) {
      share = 1.0;
    }
    fraction += entry.amount / layer.amountSum * share;
  }
  return fraction;
}

double LayerArealDensity(const Layer& layer) {
  // micron x 1e22 atoms/cm3 = 1e-4 cm x 1e22 atoms/cm3 = 1e18 atoms/cm2.
  return layer.thickness * layer.density * 1e18;
}

double ArealDepth(const LayerStructure& sample, double depth) {
  double areal = 0.0;
  double top = 0.0;  // micron, start of the current layer
  for (const Layer& layer : sample.layers) {
    if (!(depth > top)) break;
    const double inLayer = std::min(depth - top, layer.thickness);
    areal += inLayer * layer.density * 1e18;
    top += layer.thickness;
  }
  return areal;
}

std::vector<IsotopeProfile> ConcentrationProfiles(const LayerStructure& sample,
                                                  const ElementTable& elements, double maxDepth) {
  std::vector<IsotopeProfile> profiles;
  for (const IsotopeNode& isotope : BuildIsotopeList(sample, elements)) {
    IsotopeProfile profile{isotope, {}};
    double start = 0.0;
    for (const Layer& layer : sample.layers) {
      // Layers below the deepest point of the calculation were not probed.
      if (maxDepth > 0.0 && start >= maxDepth) break;
      const double end = start + LayerArealDensity(layer);
      const double c = IsotopeFraction(layer, isotope, elements);
      profile.points.push_back({start, c});
      if (maxDepth > 0.0 && end > maxDepth) {
        profile.points.push_back({maxDepth, c});
      } else if (end < kInfiniteArealDepth) {
        profile.points.push_back({end, c});
      }
      start = end;
    }
    profiles.push_back(std::move(profile));
  }
  return profiles;
}

}  // namespace dodavev
