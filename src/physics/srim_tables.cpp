#include "physics/srim_tables.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <utility>

#include "io/number_parse.hpp"
#include "io/text_file.hpp"
#include "model/messages.hpp"
#include "physics/element_io.hpp"
#include "physics/sr_module_table.hpp"
#include "physics/stopping.hpp"

namespace dodavev {

namespace {

// A table file is never read beyond this size: 601 rows of 93 numbers fit many times.
constexpr std::size_t kMaxSrimFileBytes = std::size_t{16} << 20;
// Distinct table files one list may load (each holds up to 0.9 MB): far more than the
// 92 ions a lookup can distinguish.
constexpr std::size_t kMaxSrimFiles = 200;
// Longest item taken as a number; anything longer is a reading error.
constexpr std::size_t kMaxNumberChars = 64;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}
bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Walks through a table text item by item.
class ItemReader {
 public:
  explicit ItemReader(std::string_view text) : text_(text) {}

  enum class Item { kNumber, kEnd, kNotANumber };

  Item Next(double& value) {
    while (pos_ < text_.size() && IsBlank(text_[pos_]))
      ++pos_;
    if (pos_ >= text_.size()) return Item::kEnd;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_]))
      ++pos_;
    const std::string_view item = text_.substr(start, pos_ - start);
    if (item.size() > kMaxNumberChars) return Item::kNotANumber;
    const std::optional<double> parsed = ParseDecimal(item);
    if (!parsed || !std::isfinite(*parsed)) return Item::kNotANumber;
    value = *parsed;
    return Item::kNumber;
  }

  void SkipLine() {
    while (pos_ < text_.size() && text_[pos_] != '\n')
      ++pos_;
    if (pos_ < text_.size()) ++pos_;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Reads at most kMaxSrimFileBytes of a plain file; returns 0 or the system error code.
// Directories give EISDIR; pipes and devices, whose opening or reading may never end,
// give EINVAL unopened.
int ReadFileHead(const std::string& path, std::string& content) {
  content.clear();
  std::error_code ec;
  const auto type = std::filesystem::status(path, ec).type();
  if (type == std::filesystem::file_type::not_found) return ENOENT;
  if (ec) return ec.value();
  if (type == std::filesystem::file_type::directory) return EISDIR;
  if (type != std::filesystem::file_type::regular) return EINVAL;
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return errno != 0 ? errno : 2;
  content.clear();
  std::array<char, 65536> buffer{};
  int status = 0;
  while (content.size() < kMaxSrimFileBytes) {
    const std::size_t want = std::min(buffer.size(), kMaxSrimFileBytes - content.size());
    const std::size_t got = std::fread(buffer.data(), 1, want, file);
    content.append(buffer.data(), got);
    if (got < want) {
      if (std::ferror(file) != 0) status = errno != 0 ? errno : 5;
      break;
    }
  }
  std::fclose(file);
  return status;
}

}  // namespace

const SrimTable* SrimTableSet::Find(int z2, int z1) const {
  if (!ElementTable::ValidZ(z2)) return nullptr;
  for (const SrimTable& table : byTarget[static_cast<std::size_t>(z2)]) {
    if (table.ionZ == z1) return &table;
  }
  return nullptr;
}

void SrimTableSet::Clear() {
  for (auto& list : byTarget)
    list.clear();
}

bool SrimTableSet::empty() const {
  return std::all_of(byTarget.begin(), byTarget.end(), [](const auto& l) { return l.empty(); });
}

double SrimTableEnergy(int z1, double m1, double e, const ElementTable& elements) {
  // Same velocity as the table's ion of natural mass.
  if (ElementTable::ValidZ(z1) && std::fabs(m1) > 1e-10) return e * elements[z1].atomicMass / m1;
  return e;
}

double SrimTableStopping(const SrimTable& table, int z2, int z1, double m1, double e,
                         const ElementTable& elements) {
  const double scaled = SrimTableEnergy(z1, m1, e, elements);
  const std::size_t count = std::min(table.values.size(), static_cast<std::size_t>(table.count));
  if (count < 2 || table.energies == nullptr || table.energies->size() < count ||
      scaled < table.eMin || scaled > table.eMax) {
    return ElectronicStoppingZbl(z2, z1, m1, e, elements);
  }
  if (scaled == table.eMax) return table.values[count - 1];
  if (scaled == table.eMin) return table.values[0];
  // Row k (0-based) with energies[k] <= scaled < energies[k + 1]; linear in energy between
  // the two rows' own energies, so tables need not start at an energy equal to their step.
  const std::vector<double>& energy = *table.energies;
  const auto upper =
      std::upper_bound(energy.begin(), energy.begin() + static_cast<long>(count), scaled);
  std::size_t k = static_cast<std::size_t>(upper - energy.begin());
  k = std::clamp<std::size_t>(k, 1, count - 1) - 1;
  const double width = energy[k + 1] - energy[k];
  const double fraction = width > 0.0 ? (scaled - energy[k]) / width : 0.0;
  return table.values[k] + (table.values[k + 1] - table.values[k]) * fraction;
}

std::optional<SrimEntry> ParseSrimEntry(std::string_view text) {
  // Mass number, a symbol starting with a letter, four blanks, the path: the layout the
  // list writes. It comes first, so that a path which itself holds a ":\" keeps all of it.
  std::size_t symbolAt = std::string_view::npos;
  std::size_t pathAt = std::string_view::npos;
  for (std::size_t i = 0; i + 6 < text.size(); ++i) {
    if (IsLetter(text[i]) && text.substr(i + 2, 4) == "    ") {
      symbolAt = i;
      pathAt = i + 6;
      break;
    }
  }
  // Windows layout without those blanks: the path starts at the drive letter before the
  // first ":\", the symbol stands six and seven characters before the colon, the mass
  // number before it.
  const std::size_t colon = text.find(":\\");
  if (symbolAt == std::string_view::npos && colon != std::string_view::npos && colon >= 7) {
    symbolAt = colon - 7;
    pathAt = colon - 1;
  }
  if (symbolAt == std::string_view::npos || pathAt >= text.size()) return std::nullopt;
  SrimEntry entry;
  entry.symbol = std::string(text.substr(symbolAt, 2));
  entry.path = std::string(text.substr(pathAt));
  if (symbolAt >= 6 && text.substr(symbolAt - 4, 4) == " in ") {
    entry.targetSymbol = entry.symbol;
    symbolAt -= 6;
    entry.symbol = std::string(text.substr(symbolAt, 2));
  }
  if (const std::optional<std::int32_t> mass = ParseInteger(text.substr(0, symbolAt))) {
    entry.massNumber = *mass;
  }
  return entry;
}

SrimFileRows ReadSrimRows(std::string_view text) {
  SrimFileRows result;
  result.beginsWithE = !text.empty() && text.front() == 'E';
  if (!result.beginsWithE) return result;
  ItemReader reader(text);
  reader.SkipLine();  // the header line
  while (true) {
    std::array<double, kSrimColumns> row{};
    std::size_t read = 0;
    ItemReader::Item item = ItemReader::Item::kNumber;
    while (read < row.size()) {
      item = reader.Next(row[read]);
      if (item != ItemReader::Item::kNumber) break;
      ++read;
    }
    if (read == row.size()) {
      if (result.rows.size() == static_cast<std::size_t>(kSrimMaxRows)) {
        result.truncated = true;
        break;
      }
      result.rows.push_back(row);
      reader.SkipLine();
      continue;
    }
    // A row cut short: its missing stoppings would read as zero, so it is not used.
    if (read > 0) {
      if (result.rows.size() == static_cast<std::size_t>(kSrimMaxRows)) {
        result.truncated = true;
      } else {
        result.partialRow = true;
      }
    }
    result.badNumber = item == ItemReader::Item::kNotANumber;
    break;
  }
  return result;
}

void LoadSrimTables(const std::vector<RegistryEntry>& list, const ElementTable& elements,
                    SrimTableSet& out, MessageSink& messages) {
  out.Clear();
  bool unreadableEntry = false;
  // A file named again for the same ion adds nothing a lookup could reach (the first table
  // of an ion wins); it is read once.
  std::set<std::pair<std::string, int>> loaded;
  for (const RegistryEntry& entry : list) {
    if (!entry.checked) continue;
    const std::optional<SrimEntry> parsed = ParseSrimEntry(entry.text);
    if (!parsed) {
      unreadableEntry = true;
      continue;
    }
    if (!parsed->massNumber) unreadableEntry = true;
    const int ionZ = FindElement(parsed->symbol, elements, messages);
    if (!loaded.emplace(parsed->path, ionZ).second) continue;
    if (loaded.size() > kMaxSrimFiles) {
      messages.Show("too many SRIM tables; only the first " + std::to_string(kMaxSrimFiles) +
                    " files are loaded");
      break;
    }

    std::string content;
    if (const int status = ReadFileHead(parsed->path, content); status != 0) {
      messages.Show(IoErrorText(status, parsed->path));
      continue;
    }
    if (LooksLikeSrModule(content)) {
      // An unknown ion has been reported by FindElement.
      if (ionZ != 0) AddSrModuleTable(*parsed, ionZ, content, elements, out, messages);
      continue;
    }
    const SrimFileRows file = ReadSrimRows(content);
    if (!file.beginsWithE) {
      messages.Show(
          "SRIM table does not begin with \"E\"; it and the stopping tables after it are not "
          "loaded: " +
          parsed->path);
      break;
    }
    if (file.truncated) {
      messages.Show("SRIM table has more than 601 rows; only the first 601 are used: " +
                    parsed->path);
    }
    if (file.partialRow) {
      messages.Show("SRIM table ends inside a row; that row is not used: " + parsed->path);
    }
    if (file.rows.size() < 2) {
      messages.Show("SRIM table needs at least two rows of 93 numbers: " + parsed->path);
      continue;
    }
    auto energies = std::make_shared<std::vector<double>>();
    energies->reserve(file.rows.size());
    for (const auto& row : file.rows)
      energies->push_back(row[0]);
    if (std::adjacent_find(energies->begin(), energies->end(), std::greater_equal<>()) !=
        energies->end()) {
      messages.Show("SRIM table energies do not increase from row to row: " + parsed->path);
      continue;
    }
    if (ionZ == 0) continue;  // FindElement has reported the unknown ion

    SrimTable common;
    common.ionZ = ionZ;
    common.ionMassNumber = parsed->massNumber.value_or(0);
    common.eMin = energies->front();
    common.eMax = energies->back();
    common.eStep = (*energies)[1] - (*energies)[0];
    common.count = static_cast<std::int32_t>(energies->size());
    common.energies = std::move(energies);
    common.file = parsed->path;
    for (int z = 1; z <= kElementCount; ++z) {
      SrimTable table = common;
      table.values.reserve(file.rows.size());
      for (const auto& row : file.rows)
        table.values.push_back(row[static_cast<std::size_t>(z)]);
      out.byTarget[static_cast<std::size_t>(z)].push_back(std::move(table));
    }
  }
  if (unreadableEntry) messages.Show(kSrimNotReadable);
}

}  // namespace dodavev
