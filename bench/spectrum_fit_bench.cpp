// The spectrum fit of a two-layer sample, 100 nm Ni over 50 nm Au on Si, 2 MeV helium at
// 170 degrees in 1024 channels of 2 keV: the thicknesses of both layers and the dose, from
// 30 % off, on two threads. The measured spectrum is the simulation of the true sample.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/program.hpp"
#include "app/session.hpp"
#include "model/messages.hpp"
#include "studies/spectrum_fit.hpp"

namespace {

constexpr const char* kTruth =
    "A=1000\nn=9.140e22\nni#,1\nA=500\nn=5.907e22\nau#,1\nS=\nn=4.994e22\nsi#,1\n";
constexpr const char* kStart =
    "A=700\nn=9.140e22\nni#,1\nA=650\nn=5.907e22\nau#,1\nS=\nn=4.994e22\nsi#,1\n";

void BM_SpectrumFitTwoLayers(benchmark::State& state) {
  dodavev::CollectingSink sink;
  auto session = std::make_unique<dodavev::Session>(sink);
  dodavev::FormCreate(*session, DODAVEV_LEV_DIR "/..", DODAVEV_LEV_DIR);
  session->scan = dodavev::ScanSettings{2, nullptr};  // two cores
  dodavev::ParameterSet& p = session->params;
  p.Edit1_e0 = "2000";
  p.Edit1_a = "90";
  p.Edit1_th = "170";
  p.Edit1_channels = "1024";
  p.Edit1_detkevch = "2";
  p.Edit1_dete0 = "50";
  p.Edit1_depthmax = "0.5";
  p.richedit1 = kTruth;
  dodavev::Button5Click(*session);
  dodavev::spektrumsim21Click(*session);
  dodavev::Spectrum measured = session->results.SimulatedSpectrum;
  for (double& v : measured)
    v *= p.detkevch;
  session->MeasuredSpectrum = measured;
  p.MeasuredSpectrumFile = "truth.dat";
  p.Edit1_fit_parameters = "thickness 1, thickness 2, dose";
  p.Edit1_fit_channels = "450 1000";
  const dodavev::ParameterSet start = [&] {
    dodavev::ParameterSet s = p;
    s.richedit1 = kStart;
    s.Edit1_q1 = "10.4";
    return s;
  }();
  for (auto _ : state) {
    state.PauseTiming();
    p = start;
    dodavev::Button5Click(*session);
    state.ResumeTiming();
    dodavev::spectrumfitClick(*session);
    benchmark::DoNotOptimize(session->results.SimulatedSpectrum.data());
  }
  // The report's counts of the last fit.
  const std::string& report = session->OutputLog;
  auto number = [&](const char* key) {
    const std::size_t at = report.find(key);
    return at == std::string::npos ? -1.0 : std::stod(report.substr(at + std::string(key).size()));
  };
  state.counters["simulations"] = number("simulations = ");
  state.counters["iterations"] = number("iterations = ");
  state.counters["converged"] = report.find("converged = yes") != std::string::npos ? 1 : 0;
}
BENCHMARK(BM_SpectrumFitTwoLayers)->Unit(benchmark::kMillisecond);

}  // namespace
