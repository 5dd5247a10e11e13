// User-supplied SRIM 2003 stopping tables ("ZBL 2003 from files"): one file per ion, each
// row an ion energy followed by the stopping of that ion in the elements Z = 1..92. The
// tables live in the session from one loading ("OK") to the next.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/data_file_registry.hpp"
#include "model/element_table.hpp"

namespace dodavev {

class MessageSink;

inline constexpr int kSrimMaxRows = 601;
inline constexpr int kSrimColumns = 93;  // the energy and Z = 1..92

inline constexpr std::string_view kSrimNotReadable = "SRIM table is not readable";

// The stopping of one ion in one target element, row by row.
struct SrimTable {
  std::int32_t ionZ = 0;
  std::int32_t ionMassNumber = 0;  // as written in the file-list entry; not used in lookups
  double eMin = 0.0;               // keV, energy of the first row
  double eMax = 0.0;               // keV, energy of the last row
  double eStep = 0.0;              // keV, second row's energy minus the first's
  std::int32_t count = 0;          // rows, 2..601
  // Row energies (keV), shared by the 92 tables of one file; strictly increasing.
  std::shared_ptr<const std::vector<double>> energies;
  std::vector<double> values;  // eV/(1e15 atoms/cm2), values[k - 1] belongs to row k
  std::string file;            // the file the table was read from, for the user
};

// All loaded tables, per target element in loading order.
struct SrimTableSet {
  std::array<std::vector<SrimTable>, kElementCount + 1> byTarget;  // index: target Z

  // The first table of target z2 for ion z1, or nullptr.
  const SrimTable* Find(int z2, int z1) const;
  void Clear();
  bool empty() const;
};

// The energy (keV) at which a table of ion z1's natural mass is read for ion (z1, m1) at e
// keV: the energy of the same velocity.
double SrimTableEnergy(int z1, double m1, double e, const ElementTable& elements);

// Stopping of ion (z1, m1) at e keV in element z2 from `table`, eV/(1e15 atoms/cm2). The
// energy is first scaled to the table ion's natural mass (same velocity); outside the
// table the ZBL electronic stopping is returned. Between rows the value is linear in
// energy.
double SrimTableStopping(const SrimTable& table, int z2, int z1, double m1, double e,
                         const ElementTable& elements);

// One entry of the stopping-file list: the ion's mass number, its two-character symbol and
// the file's path. The entry is written as mass number, symbol, four blanks and the path;
// in an entry without those blanks, a path with a drive letter is located by its ":\". An
// entry of an SR module table puts " in " and the target's symbol between the ion's
// symbol and the four blanks.
struct SrimEntry {
  std::optional<std::int32_t> massNumber;  // absent when it does not read as an integer
  std::string symbol;                      // two characters
  std::string path;
  // Entries of SR module tables name the target element too: "4HE in SI    file".
  std::string targetSymbol;  // two characters, or empty
};
// nullopt when no symbol/path layout can be found in the text.
std::optional<SrimEntry> ParseSrimEntry(std::string_view text);

// Rows of one table file before they are split by element.
struct SrimFileRows {
  std::vector<std::array<double, kSrimColumns>> rows;
  bool beginsWithE = false;  // the header line starts with "E"
  bool truncated = false;    // rows beyond 601 were ignored
  bool partialRow = false;   // the data ended inside a row (that row is not used)
  bool badNumber = false;    // reading stopped at something that is not a number
};
// Reads a table file's text: the header line, then rows of 93 numbers separated by blanks
// or line ends; the rest of a row's line after its 93rd number is skipped. Reading stops at
// the end, at the first item that is not a number, or after 601 rows.
SrimFileRows ReadSrimRows(std::string_view text);

// Reads the checked entries of the stopping-file list into `out` (emptied first). Files
// are read in list order; a file whose first character is not "E" ends the loading.
// Entries without a readable mass number or layout lead to kSrimNotReadable once, at the
// end; other problems are reported per file.
void LoadSrimTables(const std::vector<RegistryEntry>& list, const ElementTable& elements,
                    SrimTableSet& out, MessageSink& messages);

}  // namespace dodavev
