#include "app/calculations.hpp"

#include <array>

namespace dodavev {
namespace {

constexpr std::array<CalculationEntry, 8> kCalculations{{
    {"energy loss", &energy_lossClick},
    {"Tschalar effect", &schalareffect1Click},
    {"depth and energy resolution", &depthandenergyresolution1Click},
    {"optimization", &optimization1Click},
    {"spectrum simulation", &spectrumsimulation1Click},
    {"full spectrum (1)", &spektrumsim21Click},
    {"excitation curves for resonances", &exitationcurvesforresonances1Click},
    {"spectrum fit", &spectrumfitClick},
}};

}  // namespace

std::span<const CalculationEntry> Calculations() {
  return kCalculations;
}

const CalculationEntry* FindCalculation(std::string_view name) {
  for (const CalculationEntry& entry : kCalculations) {
    if (entry.caption == name) return &entry;
  }
  return nullptr;
}

}  // namespace dodavev
