// Entries of the data-file lists: the one-line text that says what a stopping or
// cross-section file holds, built from the import panel, and read back by the
// cross-section loader. Texts, with M mass numbers, SYM two-character element symbols
// (a one-letter symbol followed by a blank) and four blanks before the file:
//   stopping  M SYM    file
//   elastic   Theta=angle; Mt SYMt(M SYM,M SYM)Mt SYMt; level=0;    file
//   recoil    Theta=angle; Mt SYMt(M SYM,Mt SYMt)M SYM; level=0;    file
//   reaction  Theta=angle; Mt SYMt(M SYM,Mp SYMp)Mr SYMr; level=n;    file
// with the residual nucleus Mr = Mt + M - Mp, Zr = Zt + Z - Zp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/data_file_registry.hpp"

namespace dodavev {

class ElementTable;
class MessageSink;

// The four lists, numbered as the import panel remembers its target list.
enum class RegistryList { kStopping = 1, kElastic = 2, kRecoil = 3, kReaction = 4 };

// The inputs of the import panel (`Panel8_LoadSrimStopping`) with their defaults.
struct ImportPanel {
  std::string Edit1_Z = "2";  // incident ion
  std::string Edit1_M = "4";
  std::string Edit1_Ztarget = "2";  // target atom (the recoil for ERD)
  std::string Edit1_Mtarget = "4";
  std::string Edit1_scatt_angl = "165";  // degrees, written into the entry as typed
  std::string Edit1_Zreactionproduct = "2";
  std::string Edit1_Mreactionproduct = "4";
  std::string Edit1_Nucllevel = "0";
  std::string Edit1_filename;
  bool CheckBox1_enabled = true;  // the new entry's check mark
};

// The numbers of one import. Fields the list does not use stay 0.
struct ImportNumbers {
  std::int32_t z = 0, m = 0;    // incident ion
  std::int32_t zt = 0, mt = 0;  // target
  std::int32_t zp = 0, mp = 0;  // reaction product
  std::int32_t level = 0;
  double angle = 0.0;  // degrees
};

struct ImportRead {
  ImportNumbers numbers;
  int formatErrors = 0;
};

// Reads the inputs the list needs (stopping: Z, M; elastic and recoil: Z, M, Zt, Mt and
// the angle; reactions: also Zp, Mp and the level). Counts a field that is no number,
// and one that names no element of `elements` or no possible nucleus: atomic numbers
// 1..92 of known elements, mass numbers from 1 (the product of a reaction may be a
// photon or neutron, Z = 0, mass 0 or 1), a level from 0, a residual nucleus that exists.
ImportRead ReadImportPanel(RegistryList list, const ImportPanel& panel,
                           const ElementTable& elements);

// Two-character list symbol of element z: the stored symbol, two blanks for Z = 0.
std::string RegistrySymbol(const ElementTable& elements, int z);

// The entry text of `list` for numbers already checked by ReadImportPanel; `angleText`
// is written as typed. A stopping entry with a target (`zt` above 0, a table for one
// target element) reads "M SYM in SYMt    file".
std::string RegistryEntryText(RegistryList list, const ImportNumbers& n, std::string_view angleText,
                              std::string_view file, const ElementTable& elements);

// "OK" of the import panel: reads and checks the inputs and appends the entry (checked as
// `CheckBox1_enabled`) to its list; a stopping file written by SRIM's SR module gets the
// target element of its table into the entry. On "Z, M or angle are not well defined" or "Name of
// the file is missing" nothing is added and false is returned: the panel stays open.
bool AddImportedEntry(RegistryList list, const ImportPanel& panel, const ElementTable& elements,
                      DataFileRegistry& registry, MessageSink& messages);

// What a cross-section entry says, read back from its text.
struct CrossSectionEntry {
  std::string description;  // everything before the ";" in front of the four blanks
  double angle = 0.0;       // degrees
  std::int32_t targetZ = 0, targetMass = 0;
  std::int32_t incidentZ = 0, incidentMass = 0;
  std::int32_t productZ = 0, productMass = 0;
  std::int32_t level = 0;
  std::string file;
};

struct CrossSectionEntryRead {
  CrossSectionEntry entry;
  int formatErrors = 0;  // parts that could not be read; the entry is unusable if any
};

// Reads an entry of the elastic, recoil or reaction list. The file follows the first
// ";" and four blanks after "level="; an entry written elsewhere with a drive letter
// (":\") and no such separator starts its file at the drive letter. A blank product
// symbol stands for a photon or neutron (Z = 0).
CrossSectionEntryRead ReadCrossSectionEntry(std::string_view text, const ElementTable& elements);

}  // namespace dodavev
