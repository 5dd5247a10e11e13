#include "app/stopping_sources.hpp"

#include <cstdio>
#include <string>
#include <vector>

#include "app/session.hpp"
#include "model/element_table.hpp"
#include "model/layer_structure.hpp"
#include "physics/srim_tables.hpp"

namespace dodavev {
namespace {

std::string Symbol(const ElementTable& elements, int z) {
  if (!ElementTable::ValidZ(z) || !elements[z].Present()) return "??";
  return std::string(elements[z].SymbolView());
}

void AddStructure(std::string& line, const char* name, int ionZ, const LayerStructure& structure,
                  const SrimTableSet* tables) {
  for (std::size_t i = 0; i < structure.layers.size(); ++i) {
    line += line.back() == ':' ? " " : "; ";
    line += std::string(name) + " layer " + std::to_string(i + 1) + ":";
    bool first = true;
    for (const LayerElement& e : structure.layers[i].elements) {
      line += first ? " " : ", ";
      first = false;
      line += std::string(e.symbol.data(), e.symbol.size());
      const SrimTable* table = tables != nullptr ? tables->Find(e.Z, ionZ) : nullptr;
      if (table == nullptr) {
        line += tables != nullptr ? " ZBL-92 (no table)" : " ZBL-92";
      } else {
        char range[96];
        std::snprintf(range, sizeof range, " SRIM table %.6g-%.6g keV", table->eMin, table->eMax);
        line += range;
      }
    }
  }
}

}  // namespace

std::string StoppingSourcesLine(int ionZ, const LayerStructure& sample,
                                const LayerStructure& absorber, const SrimTableSet* tables,
                                const ElementTable& elements) {
  std::string line = "stopping data for " + Symbol(elements, ionZ) + ":";
  AddStructure(line, "sample", ionZ, sample, tables);
  AddStructure(line, "absorber", ionZ, absorber, tables);
  if (line.back() == ':') line += " no layers";
  return line;
}

void ReportStoppingSources(Session& session) {
  const ParameterSet& p = session.params;
  if (!p.RadioButton_ZBL2003) return;  // every element takes ZBL-92
  const SrimTableSet* tables = &session.srimTables;
  std::vector<std::string> lines{
      StoppingSourcesLine(p.z1, session.sample, session.absorber, tables, session.elements)};
  if (p.z2 != p.z1 && ElementTable::ValidZ(p.z2)) {
    lines.push_back(
        StoppingSourcesLine(p.z2, session.sample, session.absorber, tables, session.elements));
  }
  std::string shown;
  for (const std::string& line : lines)
    shown += line + "\n";
  // Said when it changes, not at every "OK" of the same sample and tables.
  if (shown == session.stoppingSourcesShown) return;
  session.stoppingSourcesShown = shown;
  for (const std::string& line : lines)
    session.messages.Show(line);
}

void ApplyStoppingTableChoice(Session& session) {
  if (!session.params.RadioButton_ZBL2003) return;
  LoadSrimTables(session.params.registry.CheckListBox1, session.elements, session.srimTables,
                 session.messages);
}

}  // namespace dodavev
