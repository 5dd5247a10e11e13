// The scans of the studies, one thread against two: a theta scan of 1600 geometries
// (alpha 80..149.95 deg at theta 150 deg, then theta 150.05..160 deg, steps of 0.05 deg)
// and the 17-energy excitation curve of the default inputs (4190..4350 keV), both on the
// default sample. Every geometry and every energy is an independent run of the depth walk.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/calculation_setup.hpp"
#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/program.hpp"
#include "app/run_inputs_of.hpp"
#include "app/session.hpp"
#include "model/messages.hpp"
#include "studies/excitation_curve.hpp"
#include "studies/optimisation.hpp"

namespace {

std::unique_ptr<dodavev::Session> StartedSession(dodavev::CollectingSink& sink) {
  auto session = std::make_unique<dodavev::Session>(sink);
  dodavev::FormCreate(*session, DODAVEV_LEV_DIR "/..", DODAVEV_LEV_DIR);
  return session;
}

void BM_ThetaScan1600(benchmark::State& state) {
  dodavev::CollectingSink sink;
  auto session = StartedSession(sink);
  dodavev::ParameterSet& p = session->params;
  p.Edit1_theta_min = "150";
  p.Edit1_theta_max = "160";
  p.Edit1_Alfa_min = "80";
  p.Edit1_step_deg = "0.05";
  dodavev::Button5Click(*session);
  const dodavev::ScanSettings settings{static_cast<int>(state.range(0)), nullptr};
  for (auto _ : state) {
    dodavev::RunOptimisation(*session, settings);
    benchmark::DoNotOptimize(session->studies.bestByDepthRows);
  }
  state.counters["geometries"] = 1600;
  state.counters["depth rows"] = session->studies.bestByDepthRows;
}
BENCHMARK(BM_ThetaScan1600)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExcitationCurve17(benchmark::State& state) {
  dodavev::CollectingSink sink;
  auto session = StartedSession(sink);
  dodavev::Button5Click(*session);
  const dodavev::ScanSettings settings{static_cast<int>(state.range(0)), nullptr};
  for (auto _ : state) {
    dodavev::RunExcitationCurve(*session, settings);
    benchmark::DoNotOptimize(session->studies.resonanceRows);
  }
  state.counters["energies"] = session->studies.resonanceRows;
}
BENCHMARK(BM_ExcitationCurve17)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
