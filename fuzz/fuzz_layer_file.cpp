// Layer files of any content, read from a file and parsed against the full shipped element
// table: the text read has no line-end bytes left in its lines, writes and reads back to
// itself, and every layer parsed is one a calculation can walk (finite, positive sizes,
// elements of the table, amounts that sum as stored).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz_input.hpp"
#include "io/layer_file.hpp"
#include "io/layer_parser.hpp"
#include "physics/element_io.hpp"

namespace {

using namespace dodavev;

struct Scratch {
  fuzzing::ScratchDir dir;
  ElementTable elements;
};

const Scratch& Prepare() {
  static const std::unique_ptr<Scratch> scratch = [] {
    auto s = std::make_unique<Scratch>();
    if (LoadElementTable(fuzzing::ShippedLevDir() / "STOP.DAT", s->elements) != 0) __builtin_trap();
    return s;
  }();
  return *scratch;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Scratch& scratch = Prepare();
  scratch.dir.Write("in.lay", fuzzing::AsText(data, size));
  std::string text;
  if (ReadLayerText(scratch.dir.path() / "in.lay", text) != 0) __builtin_trap();
  if (text.find('\r') != std::string::npos) __builtin_trap();
  if (!text.empty() && text.back() != '\n') __builtin_trap();
  if (WriteLayerText(scratch.dir.path() / "out.lay", text) != 0) __builtin_trap();
  std::string again;
  if (ReadLayerText(scratch.dir.path() / "out.lay", again) != 0 || again != text) __builtin_trap();

  // Hydrogen, helium or lithium ions, in and out, chosen by the input's length.
  const int z1 = 1 + static_cast<int>(size % 3);
  const int z2 = 1 + static_cast<int>(size / 3 % 3);
  fuzzing::Discard sink;
  LayerStructure s;
  ParseLayerStructure(text, s, scratch.elements, z1, z2, sink);
  for (const Layer& layer : s.layers) {
    if (!(layer.thickness >= 0.0) || !std::isfinite(layer.thickness)) __builtin_trap();
    if (!(layer.density > 0.0) || !std::isfinite(layer.density)) __builtin_trap();
    if (!std::isfinite(layer.amountSum)) __builtin_trap();
    double sum = 0.0;
    for (const LayerElement& e : layer.elements) {
      // An unknown symbol is kept as Z = 0 (after "missing stopping power"); any other
      // element is one of the table's.
      if (e.Z != 0 && !scratch.elements[e.Z].Present()) __builtin_trap();
      if (!(e.amount > 0.0) || !std::isfinite(e.amount)) __builtin_trap();
      if (!std::isfinite(e.screenIn) || !std::isfinite(e.screenOut)) __builtin_trap();
      sum += e.amount;
    }
    if (sum != layer.amountSum) __builtin_trap();
  }
  return 0;
}
