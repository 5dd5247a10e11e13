// The user's lists of external data files: SRIM stopping tables and measured cross-section
// tables for elastic scattering, elastic recoils and nuclear reactions. Each entry is the
// one-line description shown in the list (ion, target, angle, file path) and a check mark;
// only checked entries are read by the stopping and cross-section loaders.
#pragma once

#include <string>
#include <vector>

namespace dodavev {

struct RegistryEntry {
  std::string text;
  bool checked = true;

  bool operator==(const RegistryEntry&) const = default;
};

struct DataFileRegistry {
  std::vector<RegistryEntry> CheckListBox1;     // SRIM 2003 stopping tables
  std::vector<RegistryEntry> CheckListBox_ESS;  // elastic (backscattering) cross sections
  std::vector<RegistryEntry> CheckListBox_ERD;  // elastic recoil cross sections
  std::vector<RegistryEntry> CheckListBox_NRA;  // nuclear reaction cross sections

  bool operator==(const DataFileRegistry&) const = default;
};

}  // namespace dodavev
