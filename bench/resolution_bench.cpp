// The depth and energy resolution calculation: one full run with the default inputs (22
// depth steps down to where the carbon signal falls below the threshold, each with its inward
// step, its outward path back to the surface and its contributions), and the same with a
// 1 micron Mylar absorber in front of the detector.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/calculation_setup.hpp"
#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/program.hpp"
#include "app/run_inputs_of.hpp"
#include "app/session.hpp"
#include "engine/resolution.hpp"
#include "model/messages.hpp"

namespace {

std::unique_ptr<dodavev::Session> StartedSession(dodavev::CollectingSink& sink,
                                                 const char* absorber) {
  auto session = std::make_unique<dodavev::Session>(sink);
  dodavev::FormCreate(*session, DODAVEV_LEV_DIR "/..", DODAVEV_LEV_DIR);
  session->params.RichEdit2 = absorber;
  dodavev::Button5Click(*session);
  return session;
}

void RunDefault(benchmark::State& state, const char* absorber) {
  dodavev::CollectingSink sink;
  auto session = StartedSession(sink, absorber);
  dodavev::RunRequest request;
  auto run = std::make_unique<dodavev::RunState>();
  auto results = std::make_unique<dodavev::RunResults>();
  dodavev::SetUpCalculation(*session, request, *run, sink);
  for (auto _ : state) {
    dodavev::RunResolution(RunInputsOf(*session), request, *run, *results, sink);
    benchmark::DoNotOptimize(results->RowCount);
  }
  state.counters["rows"] = results->RowCount;
}

void BM_DefaultResolutionRun(benchmark::State& state) {
  RunDefault(state, "");
}
BENCHMARK(BM_DefaultResolutionRun)->Unit(benchmark::kMillisecond);

void BM_ResolutionRunBehindAbsorber(benchmark::State& state) {
  RunDefault(state, "A=10000\nn=9.6e22\nc,10\nh,8\no,4\n");
}
BENCHMARK(BM_ResolutionRunBehindAbsorber)->Unit(benchmark::kMillisecond);

}  // namespace
