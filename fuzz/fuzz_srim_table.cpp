// Fuzzes the SRIM 2003 table reader and the stopping-file list entry parser: any text must
// be read without crashing, within the 601-row limit, and an interpolation in whatever
// table it yields must stay finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/element_table.hpp"
#include "physics/srim_tables.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  if (const auto entry = dodavev::ParseSrimEntry(text)) {
    if (entry->symbol.size() != 2 || entry->path.empty()) __builtin_trap();
  }

  const dodavev::SrimFileRows file = dodavev::ReadSrimRows(text);
  if (file.rows.size() > static_cast<std::size_t>(dodavev::kSrimMaxRows)) __builtin_trap();
  if (!file.beginsWithE && !file.rows.empty()) __builtin_trap();
  if (file.rows.size() < 2) return 0;

  auto energies = std::make_shared<std::vector<double>>();
  for (const auto& row : file.rows)
    energies->push_back(row[0]);
  for (std::size_t i = 1; i < energies->size(); ++i) {
    if (!((*energies)[i] > (*energies)[i - 1])) return 0;  // the loader rejects such tables
  }
  dodavev::ElementTable elements;
  elements[14].symbol = {'S', 'I'};
  elements[14].atomicMass = 28.0855;
  elements[2].symbol = {'H', 'E'};
  elements[2].atomicMass = 4.002602;
  dodavev::SrimTable table;
  table.ionZ = 2;
  table.eMin = energies->front();
  table.eMax = energies->back();
  table.eStep = (*energies)[1] - (*energies)[0];
  table.count = static_cast<std::int32_t>(energies->size());
  for (const auto& row : file.rows)
    table.values.push_back(row[14]);
  table.energies = energies;
  for (const double e : {table.eMin, (table.eMin + table.eMax) / 2, table.eMax}) {
    const double s = dodavev::SrimTableStopping(table, 14, 2, 4.002602, e, elements);
    if (std::isfinite(e) && std::isfinite(table.eMax - table.eMin) && !std::isfinite(s)) {
      bool finiteValues = true;
      for (const double v : table.values)
        finiteValues = finiteValues && std::isfinite(v);
      if (finiteValues) __builtin_trap();
    }
  }
  return 0;
}
