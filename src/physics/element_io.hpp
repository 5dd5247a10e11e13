// Reading the start-up data files of the LEV directory: the element file "STOP.DAT"
// into the ElementTable, and the straggling, multiple-scattering and fixed
// cross-section tables into PhysicsTables; and the lookup of an element by symbol.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "model/element_table.hpp"
#include "model/physics_tables.hpp"

namespace dodavev {

class MessageSink;

// Status codes of the data-file loaders. The element loader adds 120 to the input/output
// code of a failed file operation (122: file not found, 226: malformed number).
inline constexpr int kLoadOk = 0;
inline constexpr int kLoadBadAtomicNumber = 1;  // an atomic number outside 1..92
inline constexpr int kLoadTooManyIsotopes = 2;  // an isotope count outside 0..kMaxIsotopes
inline constexpr int kIoBadNumber = 106;        // a number with a format error
inline constexpr int kIoReadPastEnd = 100;      // the file ended inside a record or table
inline constexpr int kIoFileTooLarge = 27;      // larger than any data file of this kind
inline constexpr int kElementIoOffset = 120;

// Reads one element file into `table`. When the file name has no ".", ".DAT" is
// appended. Records read before an error stay in the table; the record being read when
// the error occurs is not stored. Returns 0, 1, 2 or 120 + an input/output code.
int LoadElementTable(const std::filesystem::path& path, ElementTable& table);

// The reading of LoadElementTable on the text of an element file already in memory.
// Returns 0, 1, 2 or 120 + an input/output code.
int ParseElementText(std::string_view content, ElementTable& table);

// The seven further start-up files, in the order they are read.
inline constexpr int kPhysicsTableFileCount = 7;
inline constexpr std::array<std::string_view, kPhysicsTableFileCount> kPhysicsTableFiles = {
    "chupar.dat", "FMT.DAT", "TAUFIJ.DAT", "cp165.txt", "sip165.txt", "hep167.txt", "che165.txt"};

// Input/output status of each of the seven files (0 = read completely; 2 = not found,
// 106 = malformed number, 100 = the file is shorter than its table).
struct PhysicsTablesStatus {
  std::array<int, kPhysicsTableFileCount> fileStatus{};  // in the order of kPhysicsTableFiles
  // For a number that could not be taken: its line and, for a value out of its range, why
  // ("line 3: 0 is not positive"); empty otherwise.
  std::array<std::string, kPhysicsTableFileCount> problem{};
  int lastStatus = 0;  // the status of the last file read, "che165.txt"

  int chupar() const { return fileStatus[0]; }
  int fmt() const { return fileStatus[1]; }
  int taufij() const { return fileStatus[2]; }
};

// Reads the seven files from `levDir`. A file that fails leaves the entries it did not
// reach at their previous values; the next file is read normally. Chu parameters go to
// `table` (hydrogen's are set to zero first).
PhysicsTablesStatus LoadPhysicsTables(const std::filesystem::path& levDir, ElementTable& table,
                                      PhysicsTables& tables);

}  // namespace dodavev
