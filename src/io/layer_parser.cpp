#include "io/layer_parser.hpp"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "io/number_parse.hpp"
#include "model/element_table.hpp"
#include "model/messages.hpp"

namespace dodavev {
namespace {

// Highest mass number accepted in an element line; every known nuclide lies below.
constexpr int kMaxMassNumber = 999;
constexpr double kAngstromPerMicron = 10000.0;
constexpr double kDensityUnit = 1e22;  // atoms/cm3
// Above the atomic density of every solid (diamond holds 1.76e23 at/cm3), with room to
// spare; with it every areal density of a layer stays a finite number.
constexpr double kMaxDensity = 1e24;  // atoms/cm3
// A layer or foil of one metre (1e10 angstrom) is far thicker than any sample or absorber
// an ion could cross.
constexpr double kMaxThicknessAngstrom = 1e10;
// The amounts are relative numbers of atoms; this bound on their sum leaves room for
// amounts written as atoms per cm3 and keeps every weighted sum of a layer finite.
constexpr double kMaxAmountSum = 1e30;

std::string Number(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", value);
  return buf;
}

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool StartsWith(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

// Upper-cases a-z, removes blanks and tabs, and splits the text into its non-empty lines
// (CR LF, LF and a lone CR all end a line). Linear in the length of the text.
std::vector<std::string_view> NormalisedLines(std::string_view text, std::string& storage) {
  storage.clear();
  storage.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == ' ' || c == '\t') continue;
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      c = '\n';
    } else if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
    storage.push_back(c);
  }
  std::vector<std::string_view> lines;
  const std::string_view all(storage);
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t end = all.find('\n', start);
    if (end == std::string_view::npos) end = all.size();
    if (end > start) lines.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

struct ParseContext {
  const ElementTable& elements;
  int z1;
  int z2;
  MessageSink& messages;
};

// The symbol part of an element line: the two-character symbol (one-letter symbols padded
// with a blank) and the mass number (-1 for the natural mixture, 0 for the element's
// default). Returns false after showing the message of a malformed symbol part.
struct SymbolPart {
  std::array<char, 2> symbol{' ', ' '};
  std::int32_t massNumber = 0;
  bool natural = false;
};

bool ReadSymbolPart(std::string_view part, SymbolPart& out, MessageSink& messages) {
  auto noSuchElement = [&] {
    messages.Show("no such elem: " + std::string(part));
    return false;
  };
  if (part.find('#') != std::string_view::npos) {
    std::string left;
    for (char c : part) {
      if (c != '#') left.push_back(c);
    }
    if (left.empty() || left.size() > 2 || IsDigit(left[0])) return noSuchElement();
    out.symbol = {left[0], left.size() > 1 ? left[1] : ' '};
    out.natural = true;
    out.massNumber = -1;
    return true;
  }
  if (part.empty() || IsDigit(part[0])) return noSuchElement();
  std::string_view massText;
  if (part.size() >= 2 && IsDigit(part[1])) {
    out.symbol = {part[0], ' '};
    massText = part.substr(1);
  } else {
    out.symbol = {part[0], part.size() > 1 ? part[1] : ' '};
    // The symbol takes two bytes; a character of several bytes cut there belongs whole to
    // the mass-number text, so that a message never shows half of it.
    std::size_t start = 2;
    while (start < part.size() && start > 0 && IsContinuationByte(part[start]))
      --start;
    massText = part.size() > 2 ? part.substr(start) : std::string_view();
  }
  if (!massText.empty()) {
    const IntegerRead mass = ReadInteger(massText);
    if (!mass.ok || mass.value < 1 || mass.value > kMaxMassNumber) {
      messages.Show("error in the massnumber of the elem: " + std::string(massText));
      return false;
    }
    out.massNumber = mass.value;
  }
  return true;
}

enum class ElementRead {
  kRead,          // the element is in the layer
  kError,         // an element error: the layer keeps the elements read before
  kLayerRefused,  // an amount no layer can hold: the layer is dropped
};

// Reads one element line into `layer`.
ElementRead ReadElementLine(std::string_view line, int layerNumber, Layer& layer,
                            const ParseContext& ctx) {
  const std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) {
    // A line without a comma among the element lines cannot name an element.
    ctx.messages.Show("no such elem: " + std::string(line));
    return ElementRead::kError;
  }
  const std::string_view symbolText = line.substr(0, comma);
  const std::string_view amountText = line.substr(comma + 1);

  bool ok = true;
  NumberRead amount = ReadDecimal(amountText);
  // The amount is a number of atoms: a zero or negative one would make the composition
  // of the layer meaningless (or divide by a zero sum).
  if (amount.ok && !(amount.value > 0.0)) {
    amount.ok = false;
    amount.badPosition = 1;
  }
  if (!amount.ok) {
    ctx.messages.Show("elem is not well defined in layer: " + std::to_string(layerNumber) + "\n" +
                      std::string(amountText) + "\n" + std::to_string(amount.badPosition));
    ok = false;
  }
  SymbolPart symbol;
  if (!ReadSymbolPart(symbolText, symbol, ctx.messages)) ok = false;
  if (!ok) return ElementRead::kError;
  if (amount.value > kMaxAmountSum - layer.amountSum) {
    ctx.messages.Show("amount of " + std::string(symbolText) + " in layer " +
                      std::to_string(layerNumber) + " is " + Number(amount.value) +
                      "; the amounts of a layer may add up to at most " + Number(kMaxAmountSum));
    return ElementRead::kLayerRefused;
  }

  LayerElement element;
  element.symbol = symbol.symbol;
  element.Z = FindElement(std::string_view(element.symbol.data(), 2), ctx.elements, ctx.messages);
  element.amount = amount.value;
  element.screenIn = ScreeningRadius(ctx.z1, element.Z);
  element.screenOut = ScreeningRadius(ctx.z2, element.Z);
  if (symbol.natural) {
    element.massNumber = -1;
  } else if (symbol.massNumber > 0) {
    element.massNumber = symbol.massNumber;
  } else if (element.Z != 0) {
    element.massNumber = ctx.elements[element.Z].defaultMassNumber;
  }  // an unknown element has no default mass number: it stays 0
  layer.elements.push_back(element);
  layer.amountSum += element.amount;
  return ElementRead::kRead;
}

// Parses one section (its first line is "A=..." or "S=...") as layer number `number`.
void ParseSection(const std::vector<std::string_view>& lines, std::size_t begin, std::size_t end,
                  bool substrate, int number, LayerStructure& out, const ParseContext& ctx) {
  const std::string numberText = std::to_string(number);
  bool ok = true;

  double thickness = kSubstrateThickness;
  if (!substrate) {
    const NumberRead t = ReadDecimal(lines[begin].substr(2));
    // A negative thickness has no meaning; a zero one is an empty layer.
    if (!t.ok || t.value < 0.0) {
      ctx.messages.Show("thicknes of layers not well defined in layer: " + numberText);
      ok = false;
    } else if (t.value > kMaxThicknessAngstrom) {
      ctx.messages.Show("thickness of layer " + numberText + " is " + Number(t.value) +
                        " angstrom, more than " + Number(kMaxThicknessAngstrom) + " (1 m)");
      ok = false;
    } else {
      thickness = t.value / kAngstromPerMicron;
    }
  }

  double density = 0.0;
  if (begin + 1 < end && StartsWith(lines[begin + 1], "N=")) {
    const NumberRead n = ReadDecimal(lines[begin + 1].substr(2));
    // Every stopping power and areal density scales with the density: it must be positive.
    if (!n.ok || !(n.value > 0.0)) {
      ctx.messages.Show("density of layers not well defined in layer: " + numberText);
      ok = false;
    } else if (n.value > kMaxDensity) {
      ctx.messages.Show("density of layer " + numberText + " is " + Number(n.value) +
                        " at/cm3, more than " + Number(kMaxDensity));
      ok = false;
    } else {
      density = n.value / kDensityUnit;
    }
  } else {
    bool densityElsewhere = false;
    for (std::size_t k = begin + 1; k < end; ++k) {
      if (lines[k].find("N=") != std::string_view::npos) densityElsewhere = true;
    }
    ctx.messages.Show(std::string(densityElsewhere ? "density of layers not well defined in layer: "
                                                   : "density of layers not defined in layer: ") +
                      numberText);
    ok = false;
  }
  if (!ok) return;

  Layer layer;
  layer.thickness = thickness;
  layer.density = density;
  // Element lines run up to the last line holding a comma; lines after it are ignored.
  std::size_t last = begin + 2;
  for (std::size_t k = end; k > begin + 2; --k) {
    if (lines[k - 1].find(',') != std::string_view::npos) {
      last = k;
      break;
    }
  }
  for (std::size_t k = begin + 2; k < last; ++k) {
    const ElementRead read = ReadElementLine(lines[k], number, layer, ctx);
    if (read == ElementRead::kLayerRefused) return;
    if (read == ElementRead::kError) break;
  }
  out.layers.push_back(std::move(layer));
}

}  // namespace

double ScreeningRadius(int za, int zb) {
  const double sum =
      std::cbrt(static_cast<double>(za) * za) + std::cbrt(static_cast<double>(zb) * zb);
  if (!(sum > 0.0)) return 0.0;  // no nucleus on either side: nothing to screen
  return 4.684715451e-9 / std::sqrt(sum);
}

void ParseLayerStructure(std::string_view text, LayerStructure& out, const ElementTable& elements,
                         int z1, int z2, MessageSink& messages) {
  out = LayerStructure{};
  std::string storage;
  const std::vector<std::string_view> lines = NormalisedLines(text, storage);
  const ParseContext ctx{elements, z1, z2, messages};

  // The substrate section runs from the first "S=" line to the end of the text.
  std::size_t substrateBegin = lines.size();
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (StartsWith(lines[k], "S=")) {
      substrateBegin = k;
      break;
    }
  }
  std::size_t first = 0;
  while (first < substrateBegin && !StartsWith(lines[first], "A="))
    ++first;
  if (first > 0) messages.Show("target not defined");

  int number = 0;
  std::size_t begin = first;
  while (begin < substrateBegin) {
    std::size_t end = begin + 1;
    while (end < substrateBegin && !StartsWith(lines[end], "A="))
      ++end;
    ParseSection(lines, begin, end, false, ++number, out, ctx);
    begin = end;
  }
  if (substrateBegin < lines.size()) {
    ParseSection(lines, substrateBegin, lines.size(), true, ++number, out, ctx);
  }
  out.currentLayer = 0;
}

}  // namespace dodavev
