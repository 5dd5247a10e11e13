// A stack of layers: the sample (from the surface down, optionally ending in an
// infinitely thick substrate) or the absorber foil in front of the detector.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace dodavev {

// Thickness given to the substrate, micron: "infinitely" thick.
inline constexpr double kSubstrateThickness = 2e22;

struct LayerElement {
  std::array<char, 2> symbol{' ', ' '};  // upper case, one-letter symbols padded with a blank
  std::int32_t Z = 0;                    // 0 when the element table does not know the symbol
  double amount = 0.0;                   // relative number of atoms in the layer
  double screenIn = 0.0;                 // cm, screening radius with the incident ion
  double screenOut = 0.0;                // cm, screening radius with the emitted ion
  std::int32_t massNumber = 0;           // -1: natural isotopic mixture (use the mean mass)
};

struct Layer {
  double thickness = 0.0;  // micron; kSubstrateThickness for the substrate
  double density = 0.0;    // 1e22 atoms/cm3
  double amountSum = 0.0;  // sum of the amounts of the layer's elements
  std::vector<LayerElement> elements;
  // Element cursor of the calculations: index into `elements`, or npos when not set.
  std::size_t currentElement = npos;

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
};

struct LayerStructure {
  std::vector<Layer> layers;  // layers[0] is at the surface
  // Layer cursor of the calculations: index into `layers`; the parser sets it to 0.
  std::size_t currentLayer = 0;

  int layerCount() const { return static_cast<int>(layers.size()); }
  bool empty() const { return layers.empty(); }
};

}  // namespace dodavev
