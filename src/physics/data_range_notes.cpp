#include "physics/data_range_notes.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/element_table.hpp"
#include "model/messages.hpp"

namespace dodavev {

void DataRangeNotes::OutsideTable(const void* table, std::string_view lead, std::string_view file,
                                  double lowKeV, double highKeV, TableSide side,
                                  std::string_view substitute) {
  Key key;
  key.source = table;
  key.kind = side == TableSide::kBelow ? kNoteOutsideBelow : kNoteOutsideAbove;
  if (Has(key)) return;
  const std::string low = NoteNumber(lowKeV);
  const std::string high = NoteNumber(highKeV);
  std::string text(lead);
  text += ' ';
  text += file;
  text += " covers " + low + " to " + high + " keV; ";
  text += side == TableSide::kBelow ? "below " + low : "above " + high;
  text += " keV ";
  text += substitute;
  text += " was used";
  Add(key, std::move(text));
}

bool DataRangeNotes::Has(const Key& key) const {
  return std::find(keys_.begin(), keys_.end(), key) != keys_.end();
}

void DataRangeNotes::Add(const Key& key, std::string text) {
  if (Has(key)) return;
  keys_.push_back(key);
  texts_.push_back(std::move(text));
}

void DataRangeNotes::Merge(const DataRangeNotes& other) {
  for (std::size_t i = 0; i < other.keys_.size(); ++i)
    Add(other.keys_[i], other.texts_[i]);
}

void DataRangeNotes::Show(MessageSink& messages) const {
  for (const std::string& text : texts_)
    messages.Show(text);
}

std::string DataRangeNotes::ElementName(int z) const {
  if (names_ != nullptr && ElementTable::ValidZ(z) && (*names_)[z].Present()) {
    std::string name;
    for (char c : (*names_)[z].SymbolView()) {
      if (c == ' ' || c == '\0') break;
      if (!name.empty() && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      name += c;
    }
    if (!name.empty()) return name;
  }
  return "Z" + std::to_string(z);
}

std::string NoteNumber(double value) {
  if (!std::isfinite(value)) return "?";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.6g", value == 0.0 ? 0.0 : value);
  return buffer;
}

}  // namespace dodavev
