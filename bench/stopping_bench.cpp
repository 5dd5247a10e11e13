// LayerStopping is called several times per depth step on both paths and in every foil
// walk; these benchmarks follow its cost for light and heavy ions in a two-element layer.
#include <benchmark/benchmark.h>

#include "model/element_table.hpp"
#include "model/layer_structure.hpp"
#include "physics/stopping.hpp"

namespace {

using dodavev::ElementTable;

// Carbon and silicon with their published ZBL-85 proton, Ziegler 1977 helium, Fermi
// velocity and screening-length coefficients (data/sources/stopping).
ElementTable CarbonSilicon() {
  ElementTable t;
  auto& c = t[6];
  c.symbol = {'C', ' '};
  c.atomicMass = 12.010736;
  c.protonCoeff = {3.2579, 0.0049148, 2.7156, 0.36473, 2092.2, 1.0291, 2643.6, 0.018237};
  c.heCoeff = {4.232, 0.3877, 22.99, 35.0, 7.993, 3.588, 0.3921, -0.09935, -0.007804};
  c.fermiVelocity = 1.0;
  c.chargeLambdaFactor = 1.03;
  auto& si = t[14];
  si.symbol = {'S', 'I'};
  si.atomicMass = 28.085499;
  si.protonCoeff = {2.072, 0.0044516, 3.5585, 0.53933, 1515.2, 0.93161, 1790.3, 0.035198};
  si.heCoeff = {2.1, 0.65, 49.34, 1.788, 4.133, 4.077, 0.3074, -0.1089, -0.008219};
  si.fermiVelocity = 0.97411;
  si.chargeLambdaFactor = 0.88;
  return t;
}

dodavev::Layer CarbonSiliconLayer() {
  dodavev::Layer layer;
  layer.thickness = 1.0;
  layer.density = 9.64;
  for (const int z : {6, 14}) {
    dodavev::LayerElement e;
    e.Z = z;
    e.amount = 1.0;
    layer.elements.push_back(e);
  }
  layer.amountSum = 2.0;
  return layer;
}

// Energies across the range of a walk, so the branches are exercised as in a run.
void RunLayerStopping(benchmark::State& state, int z1, double m1, double eMax) {
  const ElementTable elements = CarbonSilicon();
  const dodavev::StoppingModel model{elements};
  const dodavev::Layer layer = CarbonSiliconLayer();
  double e = eMax;
  for (auto _ : state) {
    benchmark::DoNotOptimize(dodavev::LayerStopping(layer, z1, m1, e, model));
    e = e > 20.0 ? e * 0.999 : eMax;
  }
}

void BM_LayerStoppingHelium(benchmark::State& state) {
  RunLayerStopping(state, 2, 4.0, 3100.0);
}
BENCHMARK(BM_LayerStoppingHelium);

void BM_LayerStoppingProton(benchmark::State& state) {
  RunLayerStopping(state, 1, 1.0, 2000.0);
}
BENCHMARK(BM_LayerStoppingProton);

// Heavy ions add the effective-charge scaling and the nuclear stopping.
void BM_LayerStoppingCarbonIon(benchmark::State& state) {
  RunLayerStopping(state, 6, 12.0, 10000.0);
}
BENCHMARK(BM_LayerStoppingCarbonIon);

}  // namespace
