// Cross-section data files come from users: any text must be refused or read into a
// table whose lookups stay finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/cross_sections.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  dodavev::CrossSectionDataSet set;
  std::string problem;
  if (dodavev::ParseCrossSectionText(text, set, problem) != 0) {
    if (problem.empty()) __builtin_trap();
    return 0;
  }
  const std::size_t n = set.energy.size();
  if (n < 2 || set.sigma.size() != n || set.integral.size() != n) __builtin_trap();
  for (std::size_t i = 1; i < n; ++i) {
    if (!(set.energy[i] > set.energy[i - 1])) __builtin_trap();
    if (set.integral[i] < set.integral[i - 1]) __builtin_trap();  // sigma is never negative
  }
  const dodavev::CrossSectionList list{set};
  const double probes[] = {set.lowestEnergy, set.highestEnergy,
                           (set.lowestEnergy + set.highestEnergy) / 2.0, set.lowestEnergy - 1.0};
  for (double e : probes) {
    for (double w : {0.0, 1.0, 1e6}) {
      const double v = dodavev::LookUpCrossSection(list, set.key, e, w);
      if (std::isnan(v) || v < 0.0) __builtin_trap();
    }
  }
  return 0;
}
