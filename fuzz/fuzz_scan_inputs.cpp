// The inputs of the studies' scans, as typed or read from a parameter file, and the
// "--jobs" option: any values give a bounded scan or a refusal, never an endless loop or a
// huge allocation; every geometry has alpha below theta, every energy lies in the range.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input.hpp"
#include "studies/excitation_curve.hpp"
#include "studies/optimisation.hpp"
#include "studies/parallel_scan.hpp"

namespace {

using dodavev::fuzzing::Take;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto jobs = dodavev::ParseJobCount(text); jobs && (*jobs < 1 || *jobs > 4096))
    __builtin_trap();

  dodavev::OptimisationInputs in;
  in.thetaMin = Take(data, size);
  in.thetaMax = Take(data, size);
  in.alfaMin = Take(data, size);
  in.step = Take(data, size);
  in.erd = size > 0 && (data[0] & 1U) != 0;
  const dodavev::OptimisationPlan plan = dodavev::PlanOptimisation(in);
  if (plan.problem.empty()) {
    if (plan.geometries.empty()) __builtin_trap();
    if (plan.geometries.size() > static_cast<std::size_t>(dodavev::kMaxThetaScanGeometries))
      __builtin_trap();
    if (plan.alphaScan && plan.geometries.size() > 200) __builtin_trap();
    for (const dodavev::ScanGeometry& g : plan.geometries) {
      if (!std::isfinite(g.alpha) || !std::isfinite(g.theta) || !(g.alpha < g.theta))
        __builtin_trap();
    }
  } else if (!plan.geometries.empty()) {
    __builtin_trap();
  }

  const double rezmin = Take(data, size);
  const double rezmax = Take(data, size);
  const double estep = Take(data, size);
  const dodavev::ExcitationPlan curve = dodavev::PlanExcitationCurve(rezmin, rezmax, estep);
  if (curve.energies.size() > 100) __builtin_trap();
  for (double e : curve.energies) {
    if (!std::isfinite(e) || e < rezmin - 1e-9 || rezmax - e <= -2e-10) __builtin_trap();
  }
  return 0;
}
