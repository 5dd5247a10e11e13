#include <benchmark/benchmark.h>

#include "io/number_parse.hpp"

static void BM_ParseDecimal(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(dodavev::ParseDecimal("9.64e22"));
}
BENCHMARK(BM_ParseDecimal);
