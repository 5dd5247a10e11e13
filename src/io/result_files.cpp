#include "io/result_files.hpp"

#include <cstdio>
#include <string>

#include "app/messages.hpp"
#include "io/file_naming.hpp"
#include "io/number_parse.hpp"
#include "io/text_file.hpp"

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

// Splits one line into blank-separated items.
std::string_view NextItem(std::string_view& line) {
  std::size_t b = line.find_first_not_of(" \t");
  if (b == std::string_view::npos) {
    line = {};
    return {};
  }
  std::size_t e = line.find_first_of(" \t", b);
  std::string_view item = line.substr(b, e == std::string_view::npos ? line.size() - b : e - b);
  line = e == std::string_view::npos ? std::string_view{} : line.substr(e);
  return item;
}

}  // namespace

int WriteResults(const std::filesystem::path& name, std::string_view outputLog,
                 std::string_view detailReport, char calcMode, char spectrumFlag,
                 MessageSink& messages) {
  if (calcMode == 'D' && spectrumFlag == 'W') {
    int first = WriteReported(ForceExtension(name, "_1.dat"), outputLog, messages);
    int second = WriteReported(ForceExtension(name, "_2.dat"), detailReport, messages);
    return second != 0 ? second : first;
  }
  return WriteReported(ForceExtension(name, ".dat"), outputLog, messages);
}

std::string FormatSpectrumFile(const Spectrum& simulated, double detkevch) {
  std::string out;
  out.reserve(kSpectrumChannels * 24);
  for (int i = 1; i <= kSpectrumChannels; ++i) {
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
  out.reserve(kSpectrumChannels * 48);
  for (int i = 1; i <= kSpectrumChannels; ++i) {
    const auto c = static_cast<std::size_t>(i);
    AppendFormatted(out, "%*.*f", 4, 0, i);
    out += "     ";
    AppendFormatted(out, "%*.*f", 12, 1, i * calibration.detkevch + calibration.dete0);
    out += "   ";
    AppendFormatted(out, "%*.*f", 10, 0, measured[c]);
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

int LoadMeasuredSpectrum(const std::filesystem::path& name, Spectrum& measured,
                         MessageSink& messages) {
  std::string content;
  if (int code = ReadTextFileCapped(name, kMaxMeasuredSpectrumBytes, content); code != 0)
    return Report(code, name, messages);
  return Report(ParseMeasuredSpectrum(content, measured), name, messages);
}

int ParseMeasuredSpectrum(std::string_view text, Spectrum& measured) {
  std::string_view rest(text);
  for (int k = 1; k <= kSpectrumChannels; ++k) {
    const auto c = static_cast<std::size_t>(k);
    if (rest.empty()) {
      measured[c] = 0.0;  // a shorter file: the missing channels read as 0
      continue;
    }
    std::size_t eol = rest.find('\n');
    std::string_view line = rest.substr(0, eol);
    rest = eol == std::string_view::npos ? std::string_view{} : rest.substr(eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view channel = NextItem(line);
    std::string_view counts = NextItem(line);
    auto value = ParseDecimal(counts);
    if (!ParseDecimal(channel) || !value) return kInvalidNumericFormat;
    measured[c] = *value;
  }
  return 0;
}

}  // namespace dodavev
