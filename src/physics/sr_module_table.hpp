// Stopping tables written by SRIM's SR module for one ion in one element target: a header
// with the ion ("Ion = Helium [2] , Mass = 4.003 amu"), the target density ("Target
// Density = 2.3212E+00 g/cm3 = 4.9766E+22 atoms/cm3"), the target composition and the
// stopping unit ("Stopping Units = MeV / (mg/cm2)"), then rows of the ion energy with its
// unit (eV, keV, MeV, GeV), the electronic and the nuclear stopping and the ranges, closed
// by a line of dashes. The electronic column is converted to eV/(1e15 atoms/cm2) with the
// header's densities; the nuclear column is not used.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/data_file_registry.hpp"

namespace dodavev {

class ElementTable;
class MessageSink;
struct SrimEntry;
struct SrimTableSet;

struct SrModuleRead {
  bool ok = false;
  std::string error;  // what is wrong and in which line, when not ok
  int ionZ = 0;
  double ionMass = 0.0;  // amu, as the header states
  int targetZ = 0;
  std::vector<double> energy;      // keV, strictly increasing
  std::vector<double> electronic;  // eV/(1e15 atoms/cm2)
};

// Longest table read from one file; SRIM writes a few hundred rows at most.
inline constexpr int kMaxSrModuleRows = 10000;

// True when the text has the SR module's "Stopping Units" line and its "dE/dx" columns.
bool LooksLikeSrModule(std::string_view text);

// Reads an SR module text. A compound target, an unknown stopping or energy unit, a
// missing density (for units per mass or per length), energies out of order, a row that
// cannot be read or a table without its closing line refuse the whole text.
SrModuleRead ParseSrModuleText(std::string_view text);

// The target element of a readable SR module table in file `path`; 0 for any other file.
int StoppingFileTarget(const std::string& path);

// Adds the table of an SR module file to `out` (under its target element), read from
// `content`, for the ion named by the list entry `entry` (atomic number `entryIonZ`).
// The energies are scaled to the ion of the element's natural mass at the same velocity,
// as the lookups expect. A file for another ion or target than its entry names, or one
// that cannot be read, is reported naming the file and adds nothing.
void AddSrModuleTable(const SrimEntry& entry, int entryIonZ, std::string_view content,
                      const ElementTable& elements, SrimTableSet& out, MessageSink& messages);

}  // namespace dodavev
