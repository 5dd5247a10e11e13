#include "engine/registry_entries.hpp"

#include <optional>

#include "io/number_parse.hpp"
#include "model/element_table.hpp"
#include "model/messages.hpp"
#include "physics/element_io.hpp"
#include "physics/sr_module_table.hpp"

namespace dodavev {
namespace {

constexpr std::string_view kFileSeparator = ";    ";  // semicolon and four blanks
constexpr std::string_view kLevelTag = "level=";
constexpr std::string_view kAnglePrefix = "Theta=";

bool KnownElement(const ElementTable& elements, std::int64_t z) {
  return z >= 1 && z <= kElementCount && elements[static_cast<int>(z)].Present();
}

// Reads an integer field; counts it when it is no integer or fails `valid`.
template <typename Valid>
std::int32_t ReadChecked(const std::string& text, int& errors, Valid valid) {
  const std::optional<std::int32_t> v = ParseInteger(text);
  if (!v || !valid(*v)) {
    ++errors;
    return 0;
  }
  return *v;
}

std::string Nucleus(const ElementTable& elements, std::int64_t mass, std::int64_t z) {
  return std::to_string(mass) + RegistrySymbol(elements, static_cast<int>(z));
}

// Mass number and atomic number of the nucleus written just before position `mark` of
// `text` (its symbol's two characters, the mass number's digits before them).
bool ReadNucleusBefore(std::string_view text, std::size_t mark, const ElementTable& elements,
                       bool blankAllowed, std::int32_t& z, std::int32_t& mass) {
  if (mark == std::string_view::npos || mark < 3) return false;
  const std::string_view symbol = text.substr(mark - 2, 2);
  std::size_t first = mark - 2;
  while (first > 0 && text[first - 1] >= '0' && text[first - 1] <= '9')
    --first;
  const std::optional<std::int32_t> m = ParseInteger(text.substr(first, mark - 2 - first));
  if (!m) return false;
  if (blankAllowed && symbol == "  ") {
    z = 0;  // a photon or a neutron
  } else {
    z = LookupElement(symbol, elements);
    if (z == 0) return false;
  }
  mass = *m;
  return true;
}

}  // namespace

std::string RegistrySymbol(const ElementTable& elements, int z) {
  if (z == 0) return "  ";
  if (!KnownElement(elements, z)) return "??";
  return std::string(elements[z].SymbolView());
}

ImportRead ReadImportPanel(RegistryList list, const ImportPanel& panel,
                           const ElementTable& elements) {
  ImportRead r;
  int& errors = r.formatErrors;
  ImportNumbers& n = r.numbers;
  const auto element = [&](std::int32_t z) { return KnownElement(elements, z); };
  const auto massNumber = [](std::int32_t m) { return m >= 1; };
  n.z = ReadChecked(panel.Edit1_Z, errors, element);
  n.m = ReadChecked(panel.Edit1_M, errors, massNumber);
  if (list == RegistryList::kStopping) return r;

  n.zt = ReadChecked(panel.Edit1_Ztarget, errors, element);
  n.mt = ReadChecked(panel.Edit1_Mtarget, errors, massNumber);
  if (const std::optional<double> angle = ParseDecimal(panel.Edit1_scatt_angl)) {
    n.angle = *angle;
  } else {
    ++errors;
  }
  if (list != RegistryList::kReaction) return r;

  // A photon or neutron (Z = 0) may come out of a reaction.
  n.zp = ReadChecked(panel.Edit1_Zreactionproduct, errors,
                     [&](std::int32_t z) { return z == 0 || element(z); });
  n.mp = ReadChecked(panel.Edit1_Mreactionproduct, errors,
                     [&](std::int32_t m) { return m >= 0 && (n.zp == 0 || m >= 1); });
  n.level = ReadChecked(panel.Edit1_Nucllevel, errors, [](std::int32_t l) { return l >= 0; });
  if (errors == 0) {
    const std::int64_t zr = std::int64_t{n.zt} + n.z - n.zp;
    const std::int64_t mr = std::int64_t{n.mt} + n.m - n.mp;
    if (!KnownElement(elements, zr) || mr < 1) ++errors;  // no residual nucleus
  }
  return r;
}

std::string RegistryEntryText(RegistryList list, const ImportNumbers& n, std::string_view angleText,
                              std::string_view file, const ElementTable& elements) {
  const std::string ion = Nucleus(elements, n.m, n.z);
  if (list == RegistryList::kStopping) {
    // A table for one target element (the SR module's) names it.
    const std::string target = n.zt > 0 ? " in " + RegistrySymbol(elements, n.zt) : "";
    return ion + target + "    " + std::string(file);
  }

  const std::string target = Nucleus(elements, n.mt, n.zt);
  std::string text = std::string(kAnglePrefix) + std::string(angleText) + "; " + target + "(" + ion;
  switch (list) {
    case RegistryList::kElastic:
      text += "," + ion + ")" + target + "; level=0";
      break;
    case RegistryList::kRecoil:
      text += "," + target + ")" + ion + "; level=0";
      break;
    case RegistryList::kReaction:
    case RegistryList::kStopping: {
      const std::int64_t zr = std::int64_t{n.zt} + n.z - n.zp;
      const std::int64_t mr = std::int64_t{n.mt} + n.m - n.mp;
      text += "," + Nucleus(elements, n.mp, n.zp) + ")" + Nucleus(elements, mr, zr) +
              "; level=" + std::to_string(n.level);
      break;
    }
  }
  return text + std::string(kFileSeparator) + std::string(file);
}

bool AddImportedEntry(RegistryList list, const ImportPanel& panel, const ElementTable& elements,
                      DataFileRegistry& registry, MessageSink& messages) {
  const ImportRead read = ReadImportPanel(list, panel, elements);
  if (read.formatErrors > 0) {
    messages.Show("Z, M or angle are not well defined");
    return false;
  }
  if (panel.Edit1_filename.empty()) {
    messages.Show("Name of the file is missing");
    return false;
  }
  ImportNumbers numbers = read.numbers;
  if (list == RegistryList::kStopping) numbers.zt = StoppingFileTarget(panel.Edit1_filename);
  RegistryEntry entry;
  entry.text =
      RegistryEntryText(list, numbers, panel.Edit1_scatt_angl, panel.Edit1_filename, elements);
  entry.checked = panel.CheckBox1_enabled;
  switch (list) {
    case RegistryList::kStopping:
      registry.CheckListBox1.push_back(std::move(entry));
      break;
    case RegistryList::kElastic:
      registry.CheckListBox_ESS.push_back(std::move(entry));
      break;
    case RegistryList::kRecoil:
      registry.CheckListBox_ERD.push_back(std::move(entry));
      break;
    case RegistryList::kReaction:
      registry.CheckListBox_NRA.push_back(std::move(entry));
      break;
  }
  return true;
}

CrossSectionEntryRead ReadCrossSectionEntry(std::string_view text, const ElementTable& elements) {
  CrossSectionEntryRead r;
  CrossSectionEntry& e = r.entry;
  int& errors = r.formatErrors;

  // The file, and the description before it.
  const std::size_t levelAt = text.find(kLevelTag);
  const std::size_t separator =
      levelAt == std::string_view::npos ? levelAt : text.find(kFileSeparator, levelAt);
  std::string_view description = text;
  if (separator != std::string_view::npos) {
    description = text.substr(0, separator);
    e.file = std::string(text.substr(separator + kFileSeparator.size()));
  } else if (const std::size_t colon = text.find(":\\");
             colon != std::string_view::npos && colon >= 1) {
    description = text.substr(0, colon - 1);
    e.file = std::string(text.substr(colon - 1));
    while (!description.empty() && (description.back() == ' ' || description.back() == ';')) {
      description.remove_suffix(1);
    }
  }
  if (e.file.empty()) ++errors;
  e.description = std::string(description);

  // "Theta=" angle ";".
  const std::size_t firstSemicolon = description.find(';');
  if (!description.starts_with(kAnglePrefix) || firstSemicolon == std::string_view::npos) {
    ++errors;
  } else if (const std::optional<double> angle = ParseDecimal(
                 description.substr(kAnglePrefix.size(), firstSemicolon - kAnglePrefix.size()))) {
    e.angle = *angle;
  } else {
    ++errors;
  }

  // The nuclei before "(", "," and ")".
  const std::string_view reaction = firstSemicolon == std::string_view::npos
                                        ? description
                                        : description.substr(firstSemicolon + 1);
  const std::size_t open = reaction.find('(');
  const std::size_t comma = open == std::string_view::npos ? open : reaction.find(',', open);
  const std::size_t close = comma == std::string_view::npos ? comma : reaction.find(')', comma);
  if (!ReadNucleusBefore(reaction, open, elements, false, e.targetZ, e.targetMass)) ++errors;
  if (!ReadNucleusBefore(reaction, comma, elements, false, e.incidentZ, e.incidentMass)) ++errors;
  if (!ReadNucleusBefore(reaction, close, elements, true, e.productZ, e.productMass)) ++errors;

  // "level=" n.
  const std::size_t levelInDescription = description.find(kLevelTag);
  if (levelInDescription == std::string_view::npos) {
    ++errors;
  } else {
    std::string_view level = description.substr(levelInDescription + kLevelTag.size());
    level = level.substr(0, level.find(';'));
    if (const std::optional<std::int32_t> v = ParseInteger(level)) {
      e.level = *v;
    } else {
      ++errors;
    }
  }
  return r;
}

}  // namespace dodavev
