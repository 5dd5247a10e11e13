#include "app/import_from_file.hpp"

#include <cmath>
#include <string>

#include "engine/r33_file.hpp"
#include "io/text_file.hpp"
#include "physics/sr_module_table.hpp"

namespace dodavev {
namespace {

// Header lines of a data file lie in its first few kilobytes; a whole SR module table or
// R33 file is read only to find them.
constexpr std::size_t kMaxImportFileBytes = std::size_t{32} << 20;

std::string Rounded(double v) {
  return std::to_string(std::lround(v));
}

}  // namespace

bool FillImportPanelFromText(RegistryList list, std::string_view text, ImportPanel& panel) {
  if (list == RegistryList::kStopping) {
    if (!LooksLikeSrModule(text)) return false;
    const SrModuleRead read = ParseSrModuleText(text);
    if (!read.ok) return false;
    panel.Edit1_Z = std::to_string(read.ionZ);
    panel.Edit1_M = Rounded(read.ionMass);
    return true;
  }
  if (!LooksLikeR33(text)) return false;
  const R33Read read = ParseR33Header(text);
  if (!read.ok) return false;
  const R33Header& h = read.header;
  // Nuclei in the order of the file: incident ion, target, emitted particle, residual.
  // For recoils the target is the recoiling nucleus, as the panel's "recoil" input.
  if (h.hasZeds) {
    panel.Edit1_Z = Rounded(h.zeds[0]);
    panel.Edit1_Ztarget = Rounded(h.zeds[1]);
    if (list == RegistryList::kReaction) panel.Edit1_Zreactionproduct = Rounded(h.zeds[2]);
  }
  if (h.hasMasses) {
    panel.Edit1_M = Rounded(h.masses[0]);
    panel.Edit1_Mtarget = Rounded(h.masses[1]);
    if (list == RegistryList::kReaction) panel.Edit1_Mreactionproduct = Rounded(h.masses[2]);
  }
  if (h.hasTheta) panel.Edit1_scatt_angl = h.thetaText;
  if (list == RegistryList::kReaction) panel.Edit1_Nucllevel = std::to_string(h.level);
  return true;
}

bool FillImportPanelFromFile(RegistryList list, ImportPanel& panel) {
  std::string text;
  if (ReadTextFileCapped(panel.Edit1_filename, kMaxImportFileBytes, text) != 0) return false;
  return FillImportPanelFromText(list, text, panel);
}

}  // namespace dodavev
