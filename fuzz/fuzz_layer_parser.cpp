// Layer texts of any content parse or report, never crash, hang or break the structure.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "io/layer_parser.hpp"
#include "model/messages.hpp"

namespace {

class CountingSink final : public dodavev::MessageSink {
 public:
  void Show(std::string_view) override { ++count; }
  std::size_t count = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  dodavev::ElementTable table;
  table[1].symbol = {'H', ' '};
  table[1].defaultMassNumber = 1;
  table[6].symbol = {'C', ' '};
  table[6].defaultMassNumber = 12;
  table[14].symbol = {'S', 'I'};
  table[14].defaultMassNumber = 28;
  CountingSink sink;
  dodavev::LayerStructure s;
  dodavev::ParseLayerStructure(text, s, table, 2, 1, sink);
  if (s.layers.size() > size) __builtin_trap();
  for (const dodavev::Layer& layer : s.layers) {
    if (!(layer.thickness >= 0.0) || !(layer.density > 0.0)) __builtin_trap();
    double sum = 0.0;
    for (const dodavev::LayerElement& e : layer.elements) {
      if (e.Z < 0 || e.Z > dodavev::kElementCount || !(e.amount > 0.0)) __builtin_trap();
      if (!std::isfinite(e.screenIn) || !std::isfinite(e.screenOut)) __builtin_trap();
      sum += e.amount;
    }
    if (sum != layer.amountSum) __builtin_trap();
  }
  return 0;
}
