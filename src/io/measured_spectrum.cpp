#include "io/measured_spectrum.hpp"

#include <cmath>
#include <cstdio>
#include <vector>

#include "io/number_parse.hpp"
#include "io/text_file.hpp"
#include "model/messages.hpp"

namespace dodavev {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The values of one line: separated by blanks or tabs, or by one comma with blanks or
// tabs around it. Two commas with nothing between them leave an empty value, which the
// caller refuses. At most `wanted` values are taken; the rest of the line is not looked at.
int SplitValues(std::string_view line, std::string_view* values, int wanted) {
  int n = 0;
  std::size_t i = 0;
  while (n < wanted) {
    while (i < line.size() && IsBlank(line[i]))
      ++i;
    if (i >= line.size()) break;
    if (line[i] == ',') {
      // A comma where a value should start: an empty value (",5" or "3,,5").
      values[n++] = {};
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i]) && line[i] != ',')
      ++i;
    values[n++] = line.substr(start, i - start);
    while (i < line.size() && IsBlank(line[i]))
      ++i;
    if (i < line.size() && line[i] == ',') {
      ++i;
      // A comma at the end of the line separates nothing more: "12,".
      std::size_t j = i;
      while (j < line.size() && IsBlank(line[j]))
        ++j;
      if (j >= line.size()) break;
    }
  }
  return n;
}

std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 24;
  std::string out = "\"";
  out.append(text.substr(0, kShown));
  if (text.size() > kShown) out += "...";
  out += "\"";
  return out;
}

std::string OnLine(long line, const std::string& what) {
  return "line " + std::to_string(line) + ": " + what;
}

}  // namespace

MeasuredSpectrumRead ParseMeasuredSpectrumText(std::string_view text) {
  MeasuredSpectrumRead out;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // UTF-8 byte order mark
  std::vector<double> counts;
  int columns = 0;  // of the first data line: 1 (counts) or 2 (channel, counts)
  long lineNumber = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    std::string_view line = text.substr(pos, eol - pos);
    pos = eol + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first]))
      ++first;
    if (first >= line.size() || line[first] == '#') continue;  // blank line or comment

    std::string_view values[2];
    const int n = SplitValues(line, values, 2);
    if (columns == 0) columns = n >= 2 ? 2 : 1;
    if (n < columns) {
      out.error = OnLine(lineNumber,
                         "one value where the first data line has two (channel "
                         "and counts)");
      return out;
    }
    if (columns == 1 && n > 1) {
      out.error = OnLine(lineNumber, "two values where the first data line has only the counts");
      return out;
    }
    if (columns == 2 && !ParseDecimal(values[0])) {
      out.error = OnLine(lineNumber, values[0].empty()
                                         ? std::string("a value is missing")
                                         : "the channel " + Quoted(values[0]) + " is not a number");
      return out;
    }
    const std::string_view item = values[columns - 1];
    const std::optional<double> value = ParseDecimal(item);
    if (!value || !std::isfinite(*value)) {
      out.error =
          OnLine(lineNumber, item.empty() ? std::string("a value is missing")
                                          : "the counts " + Quoted(item) + " are not a number");
      return out;
    }
    if (*value < 0.0) {
      out.error = OnLine(lineNumber, "negative counts " + Quoted(item));
      return out;
    }
    ++out.channelsInFile;
    if (counts.size() < static_cast<std::size_t>(kMaxSpectrumChannels)) counts.push_back(*value);
  }
  if (counts.empty()) {
    out.error = "no channel counts in the file";
    return out;
  }
  out.counts = Spectrum(static_cast<int>(counts.size()));
  for (std::size_t i = 0; i < counts.size(); ++i)
    out.counts[i + 1] = counts[i];
  out.ok = true;
  return out;
}

std::string MeasuredChannelsNote(int channelsInFile, int channels) {
  if (channelsInFile <= channels) return {};
  const std::string head = "the measured spectrum has " + std::to_string(channelsInFile) +
                           " channels; " + std::to_string(channels) + " are used";
  if (channels >= kMaxSpectrumChannels) {
    return head + " (the most a spectrum of this program holds)";
  }
  return head + ": raise the number of channels on the Simulation page";
}

bool LoadMeasuredSpectrum(const std::filesystem::path& name, int channels, Spectrum& measured,
                          MessageSink& messages) {
  std::string content;
  if (int code = ReadTextFileCapped(name, kMaxMeasuredSpectrumBytes, content); code != 0) {
    messages.Show(IoErrorText(code, name));
    return false;
  }
  MeasuredSpectrumRead read = ParseMeasuredSpectrumText(content);
  if (!read.ok) {
    messages.Show("the measured spectrum " + name.string() + " is not loaded: " + read.error);
    return false;
  }
  measured = std::move(read.counts);
  if (std::string note = MeasuredChannelsNote(read.channelsInFile, channels); !note.empty()) {
    messages.Show(note);
  }
  return true;
}

}  // namespace dodavev
