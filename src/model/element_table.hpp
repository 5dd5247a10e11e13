// The 92 natural elements (hydrogen to uranium) with their isotopes and stopping
// coefficients, read once at start-up from "STOP.DAT" and "chupar.dat" and read-only after.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace dodavev {

class MessageSink;

// An element may list up to ten natural isotopes (tin has ten); the record format's
// historical limit of five would drop a fifth of molybdenum's atoms from every yield.
inline constexpr int kMaxIsotopes = 10;
inline constexpr int kElementCount = 92;

struct ElementRecord {
  // Both characters upper case; a one-letter symbol is followed by a blank ("H ").
  // Empty (two NULs) for an element that no file provided; such a record never matches.
  std::array<char, 2> symbol{'\0', '\0'};
  std::int32_t isotopeCount = 0;
  std::int32_t defaultMassNumber = 0;  // used when a layer names no mass number
  double atomicMass = 0.0;             // amu, mean mass of the natural element
  double unusedValue1 = 0.0;
  // Isotope i (0-based here) of the natural element.
  std::array<std::int32_t, kMaxIsotopes> isotopeMassNumber{};  // mass rounded half to even
  std::array<double, kMaxIsotopes> isotopeMass{};              // amu
  std::array<float, kMaxIsotopes> isotopeAbundance{};          // fraction, as in the file
  double unusedValue2 = 0.0;
  float unusedValue3 = 0.0F;
  double fermiVelocity = 0.0;           // Bohr velocities, element as a target
  double chargeLambdaFactor = 0.0;      // screening-length factor, element as an ion
  std::array<double, 9> heCoeff{};      // helium electronic stopping A1..A9 (index 0 = A1)
  std::array<double, 8> protonCoeff{};  // proton electronic stopping A1..A8
  std::array<double, 4> chuParam{};     // Chu straggling correction; zero for hydrogen

  std::string_view SymbolView() const { return {symbol.data(), symbol.size()}; }
  bool Present() const { return symbol[0] != '\0'; }
};

// Indexed by atomic number 1..92; slot 0 is never used.
class ElementTable {
 public:
  ElementRecord& operator[](int z) { return records_.at(static_cast<std::size_t>(z)); }
  const ElementRecord& operator[](int z) const { return records_.at(static_cast<std::size_t>(z)); }
  static bool ValidZ(int z) { return z >= 1 && z <= kElementCount; }

 private:
  std::array<ElementRecord, kElementCount + 1> records_{};
};

// Atomic number of the element whose stored symbol equals the first two characters of
// `key` byte for byte (a one-character key matches nothing); the last match wins. With no
// match, shows "missing stopping power : " followed by the key and returns 0.
int FindElement(std::string_view key, const ElementTable& table, MessageSink& messages);

// The same lookup without a message: 0 when no element has this symbol.
int LookupElement(std::string_view key, const ElementTable& table);

}  // namespace dodavev
