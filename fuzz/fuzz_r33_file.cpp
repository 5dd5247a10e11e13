// R33 cross-section files come from users and data libraries: any text is refused with a
// reason or read into a table of increasing energies and finite, non-negative cross
// sections, never a crash; the header alone reads without a fault too.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/cross_sections.hpp"
#include "engine/r33_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)dodavev::ParseR33Header(text);
  (void)dodavev::LooksLikeR33(text);
  const dodavev::R33Read read = dodavev::ParseR33Text(text);
  if (read.ok == !read.error.empty()) __builtin_trap();
  if (read.energy.size() != read.sigma.size()) __builtin_trap();
  if (!read.ok && !read.energy.empty()) __builtin_trap();  // nothing half-loaded
  for (std::size_t i = 0; i < read.energy.size(); ++i) {
    if (!std::isfinite(read.energy[i]) || !std::isfinite(read.sigma[i])) __builtin_trap();
    if (read.sigma[i] < 0.0) __builtin_trap();
    if (i > 0 && !(read.energy[i] > read.energy[i - 1])) __builtin_trap();
  }
  // Through the cross-section reader, which recognises the format by its content.
  dodavev::CrossSectionDataSet set;
  std::string problem;
  if (dodavev::ParseCrossSectionText(text, set, problem) == 0) {
    const dodavev::CrossSectionList list{set};
    const double mid = (set.lowestEnergy + set.highestEnergy) / 2.0;
    for (double w : {0.0, 1.0, 1e6}) {
      const double v = dodavev::LookUpCrossSection(list, set.key, mid, w);
      if (std::isnan(v) || v < 0.0) __builtin_trap();
    }
  } else if (problem.empty()) {
    __builtin_trap();
  }
  return 0;
}
