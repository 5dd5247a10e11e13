// The spectrum simulations on one core: the sub-spectrum of the default sample (one run of
// the depth walk with every printed step folded into the 600 channels) and the full
// spectrum of a three-layer sample of five natural elements (fifteen isotope runs), and the
// sub-spectrum in channels much narrower than the energy spreads.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/calculation_setup.hpp"
#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/program.hpp"
#include "app/run_inputs_of.hpp"
#include "app/session.hpp"
#include "model/messages.hpp"
#include "studies/spectrum_simulation.hpp"

namespace {

std::unique_ptr<dodavev::Session> StartedSession(dodavev::CollectingSink& sink) {
  auto session = std::make_unique<dodavev::Session>(sink);
  dodavev::FormCreate(*session, DODAVEV_LEV_DIR "/..", DODAVEV_LEV_DIR);
  session->scan = dodavev::ScanSettings{1, nullptr};  // one core
  return session;
}

double Total(const dodavev::Spectrum& s) {
  double n = 0.0;
  for (double v : s)
    n += v;
  return n;
}

void BM_SubSpectrumDefaultSample(benchmark::State& state) {
  dodavev::CollectingSink sink;
  auto session = StartedSession(sink);
  dodavev::Button5Click(*session);
  for (auto _ : state) {
    dodavev::spectrumsimulation1Click(*session);
    benchmark::DoNotOptimize(session->results.SimulatedSpectrum.data());
  }
  state.counters["rows"] = session->results.RowCount;
  state.counters["counts"] = Total(session->results.SimulatedSpectrum) * session->params.detkevch;
}
BENCHMARK(BM_SubSpectrumDefaultSample)->Unit(benchmark::kMillisecond);

// Channels of 10 eV: every step's spread covers thousands of channels.
void BM_SubSpectrumFineCalibration(benchmark::State& state) {
  dodavev::CollectingSink sink;
  auto session = StartedSession(sink);
  session->params.Edit1_detkevch = "0.01";
  dodavev::Button5Click(*session);
  for (auto _ : state) {
    dodavev::spectrumsimulation1Click(*session);
    benchmark::DoNotOptimize(session->results.SimulatedSpectrum.data());
  }
  state.counters["rows"] = session->results.RowCount;
}
BENCHMARK(BM_SubSpectrumFineCalibration)->Unit(benchmark::kMillisecond);

void BM_FullSpectrumFiveNaturalElements(benchmark::State& state) {
  dodavev::CollectingSink sink;
  auto session = StartedSession(sink);
  session->params.richedit1 =
      "A=1000\nn=6e22\nc#,1\no#,2\nA=2000\nn=5e22\nsi#,1\nn#,1\nS=\nn=5.5e22\nti#,1\n";
  dodavev::Button5Click(*session);
  for (auto _ : state) {
    dodavev::spektrumsim21Click(*session);
    benchmark::DoNotOptimize(session->results.SimulatedSpectrum.data());
  }
  state.counters["isotope runs"] =
      static_cast<double>(dodavev::PlanFullSpectrum(RunInputsOf(*session), false).size());
  state.counters["counts"] = Total(session->results.SimulatedSpectrum) * session->params.detkevch;
}
BENCHMARK(BM_FullSpectrumFiveNaturalElements)->Unit(benchmark::kMillisecond);

}  // namespace
