// The isotopes of a sample and their concentration against depth: the isotope list walked
// by the full-spectrum simulation and drawn by the "Profile" chart.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/element_table.hpp"
#include "model/layer_structure.hpp"

namespace dodavev {

// One target isotope: atomic number, mass number and the element symbol as the layer text
// gives it (upper case, without the padding blank of one-letter symbols).
struct IsotopeNode {
  int Z = 0;
  int A = 0;
  std::string symbol;
  bool operator==(const IsotopeNode&) const = default;
};

// The sample's isotopes in order of first appearance, layer by layer and element by
// element: an element with a mass number gives that isotope, a natural element ("#") each
// of its natural isotopes in the element table's order. No (Z, A) appears twice. Elements
// the element table does not know (Z outside 1..92) give nothing.
std::vector<IsotopeNode> BuildIsotopeList(const LayerStructure& sample,
                                          const ElementTable& elements);

// The list of the given-target option: the single reaction target, Z from its symbol
// (0 when the element table does not know it), A = `mt` rounded to the nearest integer.
std::vector<IsotopeNode> GivenTargetIsotopeList(std::string_view targetSymbol, double mt,
                                                const ElementTable& elements);

// Mass of `isotope` in amu: the element table's isotope mass, or the mass number for an
// isotope the table does not list (not natural, or Z outside the table).
double IsotopeMass(const IsotopeNode& isotope, const ElementTable& elements);

// Atomic fraction of `isotope` in `layer`: the amounts of the layer's entries of that
// element over the layer's total amount, a natural entry weighted with the isotope's
// natural abundance, an entry with another mass number not counted.
double IsotopeFraction(const Layer& layer, const IsotopeNode& isotope,
                       const ElementTable& elements);

// Areal density of a layer stack down to `depth` micron below the surface, atoms/cm2
// (thickness x density: 1 micron of 1e22 atoms/cm3 holds 1e18 atoms/cm2).
double ArealDepth(const LayerStructure& sample, double depth);
// Areal density of one layer, atoms/cm2.
double LayerArealDensity(const Layer& layer);

// A layer ending this deep (atoms/cm2) is the infinitely thick substrate.
inline constexpr double kInfiniteArealDepth = 1e20;

struct ProfilePoint {
  double depth = 0.0;  // atoms/cm2
  double concentration = 0.0;
};

struct IsotopeProfile {
  IsotopeNode isotope;
  std::vector<ProfilePoint> points;
};

// For every isotope of BuildIsotopeList, two points per layer from the surface: (layer
// start, fraction) and (layer end, fraction). A layer end beyond `maxDepth` (atoms/cm2;
// the deepest point of the last calculation) is drawn at `maxDepth`, and layers starting
// there or deeper are left out; without such a depth (`maxDepth` not above 0) an end at
// kInfiniteArealDepth or deeper is left out.
std::vector<IsotopeProfile> ConcentrationProfiles(const LayerStructure& sample,
                                                  const ElementTable& elements, double maxDepth);

}  // namespace dodavev
