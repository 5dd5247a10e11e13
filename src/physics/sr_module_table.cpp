#include "physics/sr_module_table.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <optional>

#include "io/number_parse.hpp"
#include "io/text_file.hpp"
#include "model/element_table.hpp"
#include "model/messages.hpp"
#include "physics/element_io.hpp"
#include "physics/srim_tables.hpp"

namespace dodavev {
namespace {

// An SR module table is a few tens of kilobytes.
constexpr std::size_t kMaxSrModuleFileBytes = std::size_t{16} << 20;

// Lower case without blanks, for comparing unit texts.
std::string Squeezed(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c != ' ' && c != '\t')
      out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
      ++pos;
    const std::size_t start = pos;
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
      ++pos;
    if (pos > start) out.push_back(line.substr(start, pos - start));
  }
  return out;
}

// A number as SRIM writes it, with a decimal point or (in some locales) a comma.
std::optional<double> Number(std::string_view word) {
  if (word.size() > 64) return std::nullopt;
  std::string s(word);
  std::replace(s.begin(), s.end(), ',', '.');
  const std::optional<double> v = ParseDecimal(s);
  if (!v || !std::isfinite(*v)) return std::nullopt;
  return v;
}

// The first number after `marker` in `line`.
std::optional<double> NumberAfter(std::string_view line, std::string_view marker) {
  const std::size_t at = line.find(marker);
  if (at == std::string_view::npos) return std::nullopt;
  const std::vector<std::string_view> words = Words(line.substr(at + marker.size()));
  if (words.empty()) return std::nullopt;
  return Number(words[0]);
}

std::string InLine(std::string_view what, int line) {
  return std::string(what) + " in line " + std::to_string(line);
}

// keV per unit of the row energies.
std::optional<double> EnergyUnit(std::string_view unit) {
  if (unit == "eV") return 1e-3;
  if (unit == "keV") return 1.0;
  if (unit == "MeV") return 1e3;
  if (unit == "GeV") return 1e6;
  return std::nullopt;
}

// How a stopping unit is turned into eV/(1e15 atoms/cm2): a factor, divided by the
// atomic density in 1e22 atoms/cm3 (per length), or multiplied by the mass per atom in
// 1e-24 g (per areal mass).
struct StoppingUnit {
  std::string_view text;  // squeezed
  enum class Per { kAtoms, kLength, kMass } per;
  double factor;
};
constexpr StoppingUnit kStoppingUnits[] = {
    {"ev/(1e15atoms/cm2)", StoppingUnit::Per::kAtoms, 1.0},
    // keV/micron = 1e7 eV/cm; per 1e22 atoms/cm3 that is 1e-15 eV cm2 per atom.
    {"kev/micron", StoppingUnit::Per::kLength, 1.0},
    {"mev/mm", StoppingUnit::Per::kLength, 1.0},
    {"ev/angstrom", StoppingUnit::Per::kLength, 10.0},
    // MeV/(mg/cm2) = 1e9 eV cm2/g; times 1e-24 g per atom: 1e-15 eV cm2 per atom.
    {"mev/(mg/cm2)", StoppingUnit::Per::kMass, 1.0},
    {"kev/(ug/cm2)", StoppingUnit::Per::kMass, 1.0},
    {"kev/(mg/cm2)", StoppingUnit::Per::kMass, 1e-3},
};

}  // namespace

bool LooksLikeSrModule(std::string_view text) {
  return text.find("Stopping Units") != std::string_view::npos &&
         text.find("dE/dx") != std::string_view::npos;
}

SrModuleRead ParseSrModuleText(std::string_view text) {
  SrModuleRead out;
  const auto fail = [&out](std::string message) {
    out = SrModuleRead{};
    out.error = std::move(message);
    return out;
  };
  std::vector<std::string_view> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(TrimLine(text.substr(pos, end - pos)));
    pos = end + 1;
  }
  const int count = static_cast<int>(lines.size());
  double gramsPerCm3 = 0.0;
  double atomsPerCm3 = 0.0;
  const StoppingUnit* unit = nullptr;
  int columnsLine = -1;  // index of the "dE/dx" heading
  for (int i = 0; i < count && columnsLine < 0; ++i) {
    const std::string_view line = lines[static_cast<std::size_t>(i)];
    if (line.starts_with("Ion =") || line.starts_with("Ion=")) {
      const std::size_t open = line.find('[');
      const std::size_t close = line.find(']');
      const std::optional<double> mass = NumberAfter(line, "Mass =");
      std::optional<std::int32_t> z;
      if (open != std::string_view::npos && close != std::string_view::npos && close > open) {
        z = ParseInteger(TrimLine(line.substr(open + 1, close - open - 1)));
      }
      if (!z || !ElementTable::ValidZ(*z) || !mass || !(*mass > 0.0)) {
        return fail(InLine("no ion \"[Z]\" and \"Mass =\"", i + 1));
      }
      out.ionZ = *z;
      out.ionMass = *mass;
    } else if (line.starts_with("Target Density")) {
      const std::size_t g = line.find("g/cm3");
      const std::size_t a = line.find("atoms/cm3");
      const std::optional<double> rho = NumberAfter(line, "=");
      const std::optional<double> n =
          g != std::string_view::npos ? NumberAfter(line.substr(g), "=") : std::nullopt;
      if (!rho || !n || a == std::string_view::npos || !(*rho > 0.0) || !(*n > 0.0)) {
        return fail(InLine("no density in g/cm3 and atoms/cm3", i + 1));
      }
      gramsPerCm3 = *rho;
      atomsPerCm3 = *n;
    } else if (line.find("Composition") != std::string_view::npos) {
      // Column headings, a line of dashes, one row per element, a line of "=".
      int k = i + 1;
      while (k < count && !lines[static_cast<std::size_t>(k)].starts_with("-"))
        ++k;
      std::vector<int> elementsFound;
      for (++k; k < count && !lines[static_cast<std::size_t>(k)].starts_with("="); ++k) {
        const std::vector<std::string_view> w = Words(lines[static_cast<std::size_t>(k)]);
        if (w.empty()) continue;
        const std::optional<std::int32_t> z = w.size() >= 2 ? ParseInteger(w[1]) : std::nullopt;
        if (!z || !ElementTable::ValidZ(*z)) {
          return fail(InLine("no element name and atomic number", k + 1));
        }
        elementsFound.push_back(*z);
      }
      if (elementsFound.size() != 1) {
        return fail(InLine("a target of " + std::to_string(elementsFound.size()) +
                               " elements; a table for one element target is needed",
                           i + 1));
      }
      out.targetZ = elementsFound[0];
      i = k;
    } else if (line.starts_with("Stopping Units")) {
      const std::size_t eq = line.find('=');
      const std::string u = eq == std::string_view::npos ? "" : Squeezed(line.substr(eq + 1));
      for (const StoppingUnit& s : kStoppingUnits) {
        if (u == s.text) unit = &s;
      }
      if (unit == nullptr) {
        return fail(
            InLine("unknown stopping units \"" + std::string(TrimLine(line.substr(eq + 1))) + "\"",
                   i + 1));
      }
    } else if (line.find("dE/dx") != std::string_view::npos) {
      columnsLine = i;
    }
  }
  if (out.ionZ == 0) return fail("no \"Ion =\" line");
  if (out.targetZ == 0) return fail("no target composition");
  if (unit == nullptr) return fail("no \"Stopping Units\" line");
  if (columnsLine < 0) return fail("no stopping table");
  double factor = unit->factor;
  if (unit->per != StoppingUnit::Per::kAtoms) {
    if (!(atomsPerCm3 > 0.0)) return fail("no \"Target Density\" line for the stopping units");
    factor = unit->per == StoppingUnit::Per::kLength
                 ? unit->factor / (atomsPerCm3 / 1e22)
                 : unit->factor * (gramsPerCm3 / atomsPerCm3 / 1e-24);
  }
  // The rows follow the line of dashes under the headings and end at the next one.
  int k = columnsLine + 1;
  while (k < count && !lines[static_cast<std::size_t>(k)].starts_with("-"))
    ++k;
  bool closed = false;
  for (++k; k < count; ++k) {
    const std::string_view line = lines[static_cast<std::size_t>(k)];
    if (line.starts_with("-")) {
      closed = true;
      break;
    }
    if (line.empty()) continue;
    const std::vector<std::string_view> w = Words(line);
    const std::optional<double> e = !w.empty() ? Number(w[0]) : std::nullopt;
    const std::optional<double> keV = w.size() >= 2 ? EnergyUnit(w[1]) : std::nullopt;
    const std::optional<double> s = w.size() >= 3 ? Number(w[2]) : std::nullopt;
    if (!e || !s || w.size() < 4) {
      return fail(InLine("no energy, unit and stopping", k + 1));
    }
    if (!keV) return fail(InLine("unknown energy unit \"" + std::string(w[1]) + "\"", k + 1));
    const double energy = *e * *keV;
    if (!(energy > 0.0) || !(*s >= 0.0)) {
      return fail(InLine("energy or stopping not above 0", k + 1));
    }
    if (!out.energy.empty() && !(energy > out.energy.back())) {
      return fail(InLine("energy not above the one before", k + 1));
    }
    if (static_cast<int>(out.energy.size()) >= kMaxSrModuleRows) {
      return fail("more than " + std::to_string(kMaxSrModuleRows) + " rows");
    }
    const double converted = *s * factor;
    if (!std::isfinite(converted)) return fail(InLine("stopping out of range", k + 1));
    out.energy.push_back(energy);
    out.electronic.push_back(converted);
  }
  if (!closed) return fail("the table has no closing line of dashes (the file may be cut short)");
  if (out.energy.size() < 2) return fail("fewer than two rows");
  out.ok = true;
  return out;
}

int StoppingFileTarget(const std::string& path) {
  std::string content;
  if (ReadTextFileCapped(path, kMaxSrModuleFileBytes, content) != 0) return 0;
  if (!LooksLikeSrModule(content)) return 0;
  const SrModuleRead read = ParseSrModuleText(content);
  return read.ok ? read.targetZ : 0;
}

void AddSrModuleTable(const SrimEntry& entry, int entryIonZ, std::string_view content,
                      const ElementTable& elements, SrimTableSet& out, MessageSink& messages) {
  const SrModuleRead read = ParseSrModuleText(content);
  if (!read.ok) {
    messages.Show("SR module table is not readable: " + read.error + ": " + entry.path);
    return;
  }
  if (entryIonZ != 0 && read.ionZ != entryIonZ) {
    messages.Show("SR module table is for another ion than its entry names: " + entry.path);
    return;
  }
  if (!entry.targetSymbol.empty()) {
    const int z = LookupElement(entry.targetSymbol, elements);
    if (z != read.targetZ) {
      messages.Show("SR module table is for another target than its entry names: " + entry.path);
      return;
    }
  }
  if (!elements[read.ionZ].Present() || !(elements[read.ionZ].atomicMass > 0.0)) {
    messages.Show("SR module table is for an ion without element data: " + entry.path);
    return;
  }
  // Same velocity as the ion of natural mass, which the lookups scale to.
  const double scale = elements[read.ionZ].atomicMass / read.ionMass;
  auto energies = std::make_shared<std::vector<double>>();
  energies->reserve(read.energy.size());
  for (double e : read.energy)
    energies->push_back(e * scale);
  SrimTable table;
  table.ionZ = read.ionZ;
  table.ionMassNumber = entry.massNumber.value_or(0);
  table.eMin = energies->front();
  table.eMax = energies->back();
  table.eStep = (*energies)[1] - (*energies)[0];
  table.count = static_cast<std::int32_t>(energies->size());
  table.energies = std::move(energies);
  table.values = read.electronic;
  table.file = entry.path;  // named in the notices of energies outside the table
  out.byTarget[static_cast<std::size_t>(read.targetZ)].push_back(std::move(table));
}

}  // namespace dodavev
