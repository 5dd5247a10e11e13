// Saving the text reports and the simulated spectrum of the last calculation, and loading
// a measured spectrum to compare with the simulation.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "model/calculation_mode.hpp"

#include "model/run_results.hpp"

namespace dodavev {

class MessageSink;

// Writes the report files: base + "_1.dat" (the report text) and base + "_2.dat" (the
// detail report) after a "depth and energy resolution" run (kDepthWalk with kResolution), else
// base + ".dat" with the report text. The two files of a resolution run are written
// independently. Failures show "#" + the error code. Returns 0 or the last error code.
int WriteResults(const std::filesystem::path& name, std::string_view outputLog,
                 std::string_view detailReport, CalculationMode calcMode, SpectrumMode spectrumFlag,
                 MessageSink& messages);

// kind 1: the two-column spectrum file base + ".dat"; any other kind: the depth file
// base + ".txt" with energies and the measured spectrum beside the simulated one. Both
// have one line per channel of the simulated spectrum; measured channels beyond the
// measured spectrum's own read 0.
struct SpectrumCalibration {
  double detkevch = 0.0;  // keV per channel
  double dete0 = 0.0;     // keV at channel 0
};
int WriteSpectrum(const std::filesystem::path& name, int kind, const Spectrum& simulated,
                  const Spectrum& measured, SpectrumCalibration calibration, MessageSink& messages);

// Text of the two spectrum layouts (CR LF lines), for writing and for tests.
std::string FormatSpectrumFile(const Spectrum& simulated, double detkevch);
std::string FormatDepthFile(const Spectrum& simulated, const Spectrum& measured,
                            SpectrumCalibration calibration);

}  // namespace dodavev
