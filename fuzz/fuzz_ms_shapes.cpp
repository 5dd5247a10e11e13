// Multiple scattering and shape folding on arbitrary numbers: no crash, no undefined
// behaviour, and for inputs of sound magnitude with a sound table, finite results.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "fuzz_input.hpp"
#include "physics/multiple_scattering.hpp"
#include "physics/pearson7.hpp"
#include "physics/shape_convolution.hpp"

namespace {

using dodavev::fuzzing::Take;

bool Sound(double v) {
  return std::isfinite(v) && std::fabs(v) > 1e-50 && std::fabs(v) < 1e50;
}

// A table of the FMT.DAT layout with smooth, plausible columns.
dodavev::PhysicsTables SmoothTables() {
  dodavev::PhysicsTables t;
  const double ratios[7] = {0.01, 0.1, 0.4641589, 1.0, 2.154435, 10.0, 100.0};
  for (int b = 0; b < 8; ++b) {
    for (int g = 0; g < 7; ++g) {
      for (int k = 0; k < 8; ++k) {
        const double m2 = std::pow(10.0, (b - 1) / 3.0);
        const double m1 = std::pow(10.0, (k - 1) / 3.0);
        t.MsFTable[static_cast<std::size_t>(b * 56 + g * 8 + k)] = {
            std::log(m2), std::log(m1), std::log(ratios[g]), std::log1p(ratios[g]),
            std::log(std::sqrt(m1 * m2))};
      }
    }
  }
  for (int i = 0; i < dodavev::PhysicsTables::kMsTauCount; ++i) {
    t.MsTauTable[static_cast<std::size_t>(i)] = (-11.9 + 0.05 * i) / 1.2;
  }
  t.msFTableComplete = true;
  t.msTauTableComplete = true;
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const dodavev::PhysicsTables tables = SmoothTables();
  const double w1 = Take(data, size);
  const double m1 = Take(data, size);
  const double w2 = Take(data, size);
  const double m2 = Take(data, size);
  const double x = Take(data, size);
  const double bin = Take(data, size);

  const auto r = dodavev::ConvolveShapes(w1, m1, w2, m2, tables);
  if (r && Sound(w1) && Sound(w2) && Sound(m1) && Sound(m2) && std::fabs(w1) < 1e40 &&
      std::fabs(w2) < 1e40 && (!std::isfinite(r->width) || r->width < 0.0)) {
    __builtin_trap();
  }

  const dodavev::PearsonVII p(w1, m1, bin);
  const double d = p.Density(x);
  if (Sound(w1) && Sound(bin) && bin > 0.0 && std::isfinite(x) && !(d >= 0.0)) __builtin_trap();

  const auto tau = dodavev::ReducedThickness(std::fabs(x), tables);
  if (tau && std::isfinite(x) && std::fabs(x) < 1e50 && !(*tau >= 0.0)) __builtin_trap();

  dodavev::Layer layer;
  layer.density = m2;
  layer.amountSum = 1.0;
  dodavev::LayerElement e;
  e.Z = 14;
  e.amount = 1.0;
  e.screenIn = 1.7e-9;
  e.screenOut = 1.7e-9;
  layer.elements.push_back(e);
  dodavev::MsState in;
  dodavev::IncomingMsStep(in, layer, w2, w2, bin, x, 2.0, tables);
  dodavev::IncomingMsStep(in, layer, 2.0 * w2, w2, bin, x, 2.0, tables);
  (void)dodavev::CombineWidths(w1, w2, m1);
  (void)dodavev::HalfWidthSlope(x);
  (void)dodavev::MsFitValue(x);
  return 0;
}
