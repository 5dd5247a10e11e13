// Multiple scattering: the shape convolution (three per depth step and edge in the spread
// combination), the Pearson VII density (every channel of every folding) and the step
// functions (every component of every depth step and outward step).
#include <benchmark/benchmark.h>

#include "io/layer_parser.hpp"
#include "physics/element_io.hpp"
#include "physics/multiple_scattering.hpp"
#include "physics/pearson7.hpp"
#include "physics/shape_convolution.hpp"

namespace {

dodavev::PhysicsTables LoadTables() {
  dodavev::PhysicsTables tables;
  dodavev::ElementTable elements;
  dodavev::LoadPhysicsTables(DODAVEV_LEV_DIR, elements, tables);
  return tables;
}

void BM_ConvolveShapes(benchmark::State& state) {
  const dodavev::PhysicsTables tables = LoadTables();
  double w2 = 0.05;
  for (auto _ : state) {
    benchmark::DoNotOptimize(dodavev::ConvolveShapes(10.0, 100.0, w2, 1.7, tables));
    w2 = w2 < 500.0 ? w2 * 1.01 : 0.05;  // walk through every ratio class
  }
}
BENCHMARK(BM_ConvolveShapes);

void BM_PearsonConstruct(benchmark::State& state) {
  double m = 0.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(dodavev::PearsonVII(12.0, m, 2.0));
    m = m < 100.0 ? m * 1.05 : 0.5;
  }
}
BENCHMARK(BM_PearsonConstruct);

// One folding window of 600 channels.
void BM_PearsonDensity600(benchmark::State& state) {
  const dodavev::PearsonVII p(25.0, 3.2, 2.0);
  for (auto _ : state) {
    double sum = 0.0;
    for (int c = -300; c < 300; ++c)
      sum += p.BinWeight(2.0 * c);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_PearsonDensity600);

void BM_IncomingMsStep(benchmark::State& state) {
  const dodavev::PhysicsTables tables = LoadTables();
  dodavev::Layer layer;
  layer.density = 6.6;
  layer.amountSum = 3.0;
  for (int z : {14, 8}) {
    dodavev::LayerElement e;
    e.Z = z;
    e.amount = z == 14 ? 1.0 : 2.0;
    e.screenIn = dodavev::ScreeningRadius(2, z);
    e.screenOut = e.screenIn;
    layer.elements.push_back(e);
  }
  dodavev::MsState in;
  int step = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        dodavev::IncomingMsStep(in, layer, 0.01 * step, 0.01, 0.5, 2000.0, 2, tables));
    step = step < 200 ? step + 1 : 1;
  }
}
BENCHMARK(BM_IncomingMsStep);

}  // namespace
