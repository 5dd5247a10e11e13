#include "io/layer_text_edit.hpp"

#include <cstdio>
#include <vector>

namespace dodavev {
namespace {

// One line of the text: where it starts and how long it is without its line end.
struct TextLine {
  std::size_t begin = 0;
  std::size_t length = 0;
};

// The lines of the text; CR LF, LF and a lone CR end a line, as the parser reads them.
std::vector<TextLine> SplitLines(std::string_view text) {
  std::vector<TextLine> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
      lines.push_back({start, i - start});
      if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  return lines;
}

// The line as the parser sees it: blanks and tabs removed, letters in upper case.
std::string Normalised(std::string_view line) {
  std::string out;
  for (char c : line) {
    if (c == ' ' || c == '\t') continue;
    out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  }
  return out;
}

bool Starts(const std::string& line, std::string_view prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

// Where each section starts (index into the lines) and whether it is the substrate.
struct Section {
  std::size_t header = 0;
  std::size_t end = 0;  // one past its last line
  bool substrate = false;
};

std::vector<Section> Sections(const std::vector<std::string>& norm) {
  std::size_t substrate = norm.size();
  for (std::size_t k = 0; k < norm.size(); ++k) {
    if (Starts(norm[k], "S=")) {
      substrate = k;
      break;
    }
  }
  std::vector<Section> sections;
  for (std::size_t k = 0; k < substrate; ++k) {
    if (!Starts(norm[k], "A=")) continue;
    if (!sections.empty()) sections.back().end = k;
    sections.push_back({k, substrate, false});
  }
  if (substrate < norm.size()) sections.push_back({substrate, norm.size(), true});
  return sections;
}

std::vector<std::string> NormalisedLines(std::string_view text,
                                         const std::vector<TextLine>& lines) {
  std::vector<std::string> norm;
  norm.reserve(lines.size());
  for (const TextLine& l : lines)
    norm.push_back(Normalised(text.substr(l.begin, l.length)));
  return norm;
}

// Enough digits that the number reads back to the value the fit found.
std::string Number(double value) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.7g", value);
  return buf;
}

// The element symbol of an element line's symbol part: "AU#" -> "AU", "C13" -> "C".
std::string SymbolOf(const std::string& part) {
  std::string letters;
  for (char c : part) {
    if (c == '#') continue;
    if (c >= '0' && c <= '9') break;
    letters.push_back(c);
    if (letters.size() == 2) break;
  }
  return letters;
}

}  // namespace

int LayerTextSections(std::string_view text) {
  const std::vector<TextLine> lines = SplitLines(text);
  return static_cast<int>(Sections(NormalisedLines(text, lines)).size());
}

bool LayerTextIsSubstrate(std::string_view text, int layer) {
  const std::vector<TextLine> lines = SplitLines(text);
  const std::vector<Section> sections = Sections(NormalisedLines(text, lines));
  return layer >= 1 && layer <= static_cast<int>(sections.size()) &&
         sections[static_cast<std::size_t>(layer - 1)].substrate;
}

bool SetLayerTextThickness(std::string& text, int layer, double angstrom) {
  const std::vector<TextLine> lines = SplitLines(text);
  const std::vector<Section> sections = Sections(NormalisedLines(text, lines));
  if (layer < 1 || layer > static_cast<int>(sections.size())) return false;
  const Section& s = sections[static_cast<std::size_t>(layer - 1)];
  if (s.substrate) return false;
  const TextLine& l = lines[s.header];
  text.replace(l.begin, l.length, "A=" + Number(angstrom));
  return true;
}

bool SetLayerTextAmount(std::string& text, int layer, std::string_view symbol, double amount) {
  const std::vector<TextLine> lines = SplitLines(text);
  const std::vector<std::string> norm = NormalisedLines(text, lines);
  const std::vector<Section> sections = Sections(norm);
  if (layer < 1 || layer > static_cast<int>(sections.size())) return false;
  const std::string wanted = Normalised(symbol);
  const Section& s = sections[static_cast<std::size_t>(layer - 1)];
  // Element lines follow the header and the density line.
  for (std::size_t k = s.header + 2; k < s.end; ++k) {
    const std::size_t comma = norm[k].find(',');
    if (comma == std::string::npos || SymbolOf(norm[k].substr(0, comma)) != wanted) continue;
    const TextLine& l = lines[k];
    const std::size_t rawComma = text.find(',', l.begin);
    text.replace(rawComma + 1, l.begin + l.length - rawComma - 1, Number(amount));
    return true;
  }
  return false;
}

}  // namespace dodavev
