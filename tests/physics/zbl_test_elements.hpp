// A small element table for the stopping, straggling and absorber tests, with the
// published coefficients of a few elements copied digit for digit from the project's data
// sources (data/sources/stopping: ZBL-85 proton A1..A8, Ziegler 1977 helium A1..A9, ZBL-85
// Fermi velocity and screening-length factor; data/sources/straggling/chu_fit_params.csv;
// atomic masses from data/sources/isotopes/elements.csv).
#pragma once

#include <array>
#include <initializer_list>

#include "model/element_table.hpp"
#include "model/layer_structure.hpp"

namespace dodavev::testing {

struct ElementRow {
  int z;
  char s0, s1;
  double atomicMass;
  std::array<double, 8> proton;
  std::array<double, 9> helium;
  double vFermi;
  double lambda;
  std::array<double, 4> chu;
};

inline const std::array<ElementRow, 7> kElementRows{{
    {1,
     'H',
     ' ',
     1.007941,
     {0.0091827, 0.0053496, 0.69741, 0.48493, 316.07, 1.0143, 9329.3, 0.053989},
     {0.39, 0.63, 4.17, 85.55, 19.55, 2.371, 0.5462, -0.07932, -0.006853},
     1.0309,
     1.0,
     {0.0, 0.0, 0.0, 0.0}},
    {2,
     'H',
     'E',
     4.002602,
     {0.11393, 0.0051984, 1.0822, 0.39252, 1081.0, 1.0645, 4068.5, 0.017699},
     {0.58, 0.59, 6.3, 130.0, 44.07, 2.809, 0.4847, -0.08756, -0.007281},
     0.15976,
     1.0,
     {0.795019, 10.9453, 0.234952, 0.688278}},
    {3,
     'L',
     'I',
     6.940037,
     {0.85837, 0.0050147, 1.6044, 0.38844, 1337.3, 1.047, 2659.2, 0.01898},
     {1.42, 0.49, 12.25, 32.0, 9.161, 3.095, 0.4434, -0.09259, -0.007459},
     0.59782,
     1.1,
     {0.480391, 10.3839, 0.0375277, 1.87855}},
    {6,
     'C',
     ' ',
     12.010736,
     {3.2579, 0.0049148, 2.7156, 0.36473, 2092.2, 1.0291, 2643.6, 0.018237},
     {4.232, 0.3877, 22.99, 35.0, 7.993, 3.588, 0.3921, -0.09935, -0.007804},
     1.0,
     1.03,
     {5.347, 2.93865, 2.76477, 0.584882}},
    {14,
     'S',
     'I',
     28.085499,
     {2.072, 0.0044516, 3.5585, 0.53933, 1515.2, 0.93161, 1790.3, 0.035198},
     {2.1, 0.65, 49.34, 1.788, 4.133, 4.077, 0.3074, -0.1089, -0.008219},
     0.97411,
     0.88,
     {1.32154, 0.74992, 1.09284, 0.480426}},
    {20,
     'C',
     'A',
     40.078,
     {9.1316, 0.0043809, 5.4611, 0.31327, 3891.8, 0.97933, 6267.9, 0.015196},
     {6.297, 0.4622, 65.39, 10.14, 5.036, 4.344, 0.2897, -0.1102, -0.008245},
     0.62712,
     0.97,
     {1.03825, 0.532879, 1.10406, 0.51795}},
    {79,
     'A',
     'U',
     196.966569,
     {2.0035, 0.0040431, 7.4882, 0.3561, 4464.3, 0.88836, 3966.5, 0.012839},
     {3.223, 0.5883, 232.7, 2.954, 1.05, 4.564, -0.027, -0.1471, -0.009852},
     1.2879,
     1.14,
     {0.402961, 0.195684, 0.448026, 0.554968}},
}};

// H, He, Li, C, Si, Ca and Au; every other element is absent.
inline ElementTable TestElements() {
  ElementTable table;
  for (const ElementRow& row : kElementRows) {
    ElementRecord& r = table[row.z];
    r.symbol = {row.s0, row.s1};
    r.atomicMass = row.atomicMass;
    r.protonCoeff = row.proton;
    r.heCoeff = row.helium;
    r.fermiVelocity = row.vFermi;
    r.chargeLambdaFactor = row.lambda;
    r.chuParam = row.chu;
  }
  return table;
}

// A layer of the given thickness (micron) and density (1e22 atoms/cm3) with components
// {Z, amount}.
inline Layer MakeLayer(double thickness, double density,
                       std::initializer_list<std::pair<int, double>> components) {
  Layer layer;
  layer.thickness = thickness;
  layer.density = density;
  for (const auto& [z, amount] : components) {
    LayerElement e;
    e.Z = z;
    e.amount = amount;
    layer.elements.push_back(e);
    layer.amountSum += amount;
  }
  return layer;
}

}  // namespace dodavev::testing
