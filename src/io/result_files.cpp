#include "io/result_files.hpp"

#include <cstdio>
#include <string>

#include "io/file_naming.hpp"
#include "io/text_file.hpp"
#include "model/messages.hpp"

namespace dodavev {
namespace {

void AppendFormatted(std::string& out, const char* format, int width, int decimals, double v) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, width, decimals, v);
  out += buf;
}

// The code first, then the file it concerns.
int Report(int code, const std::filesystem::path& file, MessageSink& messages) {
  if (code != 0) messages.Show(IoErrorText(code, file));
  return code;
}

int WriteReported(const std::filesystem::path& file, std::string_view content,
                  MessageSink& messages) {
  return Report(WriteFileAtomically(file, content), file, messages);
}

}  // namespace

int WriteResults(const std::filesystem::path& name, std::string_view outputLog,
                 std::string_view detailReport, CalculationMode calcMode, SpectrumMode spectrumFlag,
                 MessageSink& messages) {
  if (calcMode == CalculationMode::kDepthWalk && spectrumFlag == SpectrumMode::kResolution) {
    int first = WriteReported(ForceExtension(name, "_1.dat"), outputLog, messages);
    int second = WriteReported(ForceExtension(name, "_2.dat"), detailReport, messages);
    return second != 0 ? second : first;
  }
  return WriteReported(ForceExtension(name, ".dat"), outputLog, messages);
}

std::string FormatSpectrumFile(const Spectrum& simulated, double detkevch) {
  std::string out;
  const int channels = simulated.channels();
  out.reserve(static_cast<std::size_t>(channels) * 24);
  for (int i = 1; i <= channels; ++i) {
    AppendFormatted(out, "%*.*f", 4, 0, i);
    out += "     ";
    AppendFormatted(out, "%*.*f", 12, 1, simulated[static_cast<std::size_t>(i)] * detkevch);
    out += "\r\n";
  }
  return out;
}

std::string FormatDepthFile(const Spectrum& simulated, const Spectrum& measured,
                            SpectrumCalibration calibration) {
  std::string out = "channels     energy_[keV]     measured       simulated\r\n";
  const int channels = simulated.channels();
  out.reserve(static_cast<std::size_t>(channels) * 48);
  for (int i = 1; i <= channels; ++i) {
    const auto c = static_cast<std::size_t>(i);
    AppendFormatted(out, "%*.*f", 4, 0, i);
    out += "     ";
    AppendFormatted(out, "%*.*f", 12, 1, i * calibration.detkevch + calibration.dete0);
    out += "   ";
    AppendFormatted(out, "%*.*f", 10, 0, measured.Channel(i));
    out += "     ";
    AppendFormatted(out, "%*.*f", 12, 1, simulated[c] * calibration.detkevch);
    out += "\r\n";
  }
  return out;
}

int WriteSpectrum(const std::filesystem::path& name, int kind, const Spectrum& simulated,
                  const Spectrum& measured, SpectrumCalibration calibration,
                  MessageSink& messages) {
  if (kind == 1) {
    return WriteReported(ForceExtension(name, ".dat"),
                         FormatSpectrumFile(simulated, calibration.detkevch), messages);
  }
  return WriteReported(ForceExtension(name, ".txt"),
                       FormatDepthFile(simulated, measured, calibration), messages);
}

}  // namespace dodavev
