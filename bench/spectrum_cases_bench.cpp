// Spectra of the four comparison samples on one core: 2 MeV 4He, detection at 170 degrees,
// the detector's 7.03 keV channels; full spectrum (every isotope of the sample) and the
// sub-spectrum of the heaviest element. And the walk of 2 MeV protons through thick silicon
// in 10 nm steps, which would take 2000 steps to reach 20 micron.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/calculation_setup.hpp"
#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/program.hpp"
#include "app/run_inputs_of.hpp"
#include "app/session.hpp"
#include "model/messages.hpp"
#include "studies/spectrum_simulation.hpp"

namespace {

struct Case {
  const char* layers;
  const char* step;    // micron
  const char* alpha;   // deg, beam to surface
  const char* target;  // sub-spectrum target
  const char* mt;
};

// Densities in 1e22 atoms/cm3 from the bulk densities: Au 19.3 g/cm3, C (graphite) 2.26,
// Ni 8.9, Si 2.33.
constexpr Case kAuOnC{"A=300\nn=5.9e22\nau#,1\nS=\nn=11.3e22\nc#,1\n", "0.005", "90", "au", "197"};
constexpr Case kThickSi{"S=\nn=4.99e22\nsi#,1\n", "0.01", "90", "si", "28"};
constexpr Case kAuNiSi{"A=1000\nn=5.9e22\nau#,1\nA=2000\nn=9.13e22\nni#,1\nS=\nn=4.99e22\nsi#,1\n",
                       "0.005", "90", "au", "197"};
constexpr Case kAuNiSiTilted{
    "A=1000\nn=5.9e22\nau#,1\nA=2000\nn=9.13e22\nni#,1\nS=\nn=4.99e22\nsi#,1\n", "0.005", "30",
    "au", "197"};

std::unique_ptr<dodavev::Session> SessionFor(dodavev::CollectingSink& sink, const Case& c) {
  auto session = std::make_unique<dodavev::Session>(sink);
  dodavev::FormCreate(*session, DODAVEV_LEV_DIR "/..", DODAVEV_LEV_DIR);
  session->scan = dodavev::ScanSettings{1, nullptr};  // one core
  auto& p = session->params;
  p.Edit1_e0 = "2000";
  p.Edit1_th = "170";
  p.Edit1_a = c.alpha;
  p.Edit1_x = c.step;
  p.Edit1_depthmax = "20";
  p.Edit1_target = c.target;
  p.Edit1_mt = c.mt;
  p.richedit1 = c.layers;
  dodavev::Button5Click(*session);
  return session;
}

void FullSpectrum(benchmark::State& state, const Case& c) {
  dodavev::CollectingSink sink;
  auto session = SessionFor(sink, c);
  for (auto _ : state) {
    dodavev::spektrumsim21Click(*session);
    benchmark::DoNotOptimize(session->results.SimulatedSpectrum.data());
  }
  state.counters["isotope runs"] =
      static_cast<double>(dodavev::PlanFullSpectrum(RunInputsOf(*session), false).size());
}

void SubSpectrum(benchmark::State& state, const Case& c) {
  dodavev::CollectingSink sink;
  auto session = SessionFor(sink, c);
  for (auto _ : state) {
    dodavev::spectrumsimulation1Click(*session);
    benchmark::DoNotOptimize(session->results.SimulatedSpectrum.data());
  }
  state.counters["rows"] = session->results.RowCount;
  state.counters["steps"] = session->results.stepsWalked;
}

BENCHMARK_CAPTURE(FullSpectrum, AuOnC, kAuOnC)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullSpectrum, ThickSi, kThickSi)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullSpectrum, AuNiSi, kAuNiSi)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullSpectrum, AuNiSiTilted60, kAuNiSiTilted)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SubSpectrum, AuOnC, kAuOnC)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SubSpectrum, ThickSi, kThickSi)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SubSpectrum, AuNiSi, kAuNiSi)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SubSpectrum, AuNiSiTilted60, kAuNiSiTilted)->Unit(benchmark::kMillisecond);

// 2 MeV protons backscattered in silicon, 10 nm steps to 20 micron: 2000 steps where the
// walk goes on past its printed rows.
void BM_ProtonWalkThickSi(benchmark::State& state) {
  dodavev::CollectingSink sink;
  auto session = SessionFor(sink, kThickSi);
  auto& p = session->params;
  p.Edit1_z1 = "1";
  p.Edit1_m1 = "1";
  p.Edit1_z2 = "1";
  p.Edit1_m2 = "1";
  p.Edit1_chargestate_in = "1";
  p.Edit1_chargestate_out = "1";
  dodavev::Button5Click(*session);
  for (auto _ : state) {
    dodavev::spectrumsimulation1Click(*session);
    benchmark::DoNotOptimize(session->results.SimulatedSpectrum.data());
  }
  state.counters["rows"] = session->results.RowCount;
  state.counters["steps"] = session->results.stepsWalked;
}
BENCHMARK(BM_ProtonWalkThickSi)->Unit(benchmark::kMillisecond);

// The same protons in 50 nm steps to 30 micron: the walk goes on past its 200 printed rows
// (10 micron) to where the protons no longer reach the detector above the threshold.
void BM_ProtonWalkThickSi50nm(benchmark::State& state) {
  dodavev::CollectingSink sink;
  auto session = SessionFor(sink, kThickSi);
  auto& p = session->params;
  p.Edit1_z1 = "1";
  p.Edit1_m1 = "1";
  p.Edit1_z2 = "1";
  p.Edit1_m2 = "1";
  p.Edit1_chargestate_in = "1";
  p.Edit1_chargestate_out = "1";
  p.Edit1_x = "0.05";
  p.Edit1_depthmax = "30";
  dodavev::Button5Click(*session);
  for (auto _ : state) {
    dodavev::spectrumsimulation1Click(*session);
    benchmark::DoNotOptimize(session->results.SimulatedSpectrum.data());
  }
  state.counters["rows"] = session->results.RowCount;
  state.counters["steps"] = session->results.stepsWalked;
}
BENCHMARK(BM_ProtonWalkThickSi50nm)->Unit(benchmark::kMillisecond);

}  // namespace
