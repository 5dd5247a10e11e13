// Registry entries come back from parameter files that users edit: reading any text must
// neither crash nor accept an entry whose rebuilt text reads differently.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/registry_entries.hpp"
#include "model/element_table.hpp"

namespace {

dodavev::ElementTable MakeElements() {
  dodavev::ElementTable t;
  const char* symbols[] = {"H ", "HE", "LI", "BE", "B ", "C ", "N ", "O ", "F ", "NE"};
  for (int z = 1; z <= 10; ++z)
    t[z].symbol = {symbols[z - 1][0], symbols[z - 1][1]};
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const dodavev::ElementTable elements = MakeElements();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const dodavev::CrossSectionEntryRead read = dodavev::ReadCrossSectionEntry(text, elements);
  if (read.formatErrors < 0) __builtin_trap();

  // The import panel reads the same text split into its fields.
  dodavev::ImportPanel panel;
  std::string* fields[] = {&panel.Edit1_Z,
                           &panel.Edit1_M,
                           &panel.Edit1_Ztarget,
                           &panel.Edit1_Mtarget,
                           &panel.Edit1_scatt_angl,
                           &panel.Edit1_Zreactionproduct,
                           &panel.Edit1_Mreactionproduct,
                           &panel.Edit1_Nucllevel};
  std::size_t at = 0;
  for (std::string* f : fields) {
    const std::size_t end = std::min(text.find('|', at), text.size());
    *f = std::string(text.substr(std::min(at, text.size()), end - std::min(at, text.size())));
    at = end + 1;
  }
  const dodavev::ImportRead imported =
      dodavev::ReadImportPanel(dodavev::RegistryList::kReaction, panel, elements);
  if (imported.formatErrors == 0) {
    const std::string entry =
        dodavev::RegistryEntryText(dodavev::RegistryList::kReaction, imported.numbers,
                                   panel.Edit1_scatt_angl, "f.dat", elements);
    const dodavev::CrossSectionEntryRead back = dodavev::ReadCrossSectionEntry(entry, elements);
    const dodavev::ImportNumbers& n = imported.numbers;
    if (back.formatErrors != 0 || back.entry.incidentZ != n.z || back.entry.incidentMass != n.m ||
        back.entry.targetZ != n.zt || back.entry.targetMass != n.mt ||
        back.entry.productZ != n.zp || back.entry.productMass != n.mp ||
        back.entry.level != n.level || back.entry.angle != n.angle || back.entry.file != "f.dat") {
      __builtin_trap();
    }
  }
  return 0;
}
