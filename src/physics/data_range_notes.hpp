// What a run took in place of a data file's values where the file has none: a cross-section
// or stopping table asked at an energy outside the range it covers, or a reaction or ion
// for which no file holds a table. The calculation keeps its fallback (Rutherford, the NRA
// constant, the ZBL stopping); the user is told which file, which energies and what was
// used instead, once per file and side in a run, not once per step.
//
// One DataRangeNotes belongs to one run (its RunState, or a study stage of that run); it is
// never shared between threads. The texts come out in the order they were first noted, so
// a run gives the same texts whatever else runs beside it.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace dodavev {

class ElementTable;
class MessageSink;

// Which end of a table an energy lies beyond.
enum class TableSide { kBelow, kAbove };

class DataRangeNotes {
 public:
  // `names` (may be null) gives the element symbols of the texts; without it elements are
  // written by atomic number ("Z14").
  DataRangeNotes() = default;
  explicit DataRangeNotes(const ElementTable* names) : names_(names) {}

  // A table of `file` that covers lowKeV..highKeV was asked at an energy beyond `side`, and
  // `substitute` ("the Rutherford cross section", "the ZBL'92 stopping") was used there.
  // `table` identifies the table within the run (its address). Text:
  //   "<lead> <file> covers <low> to <high> keV; below <low> keV <substitute> was used"
  // with `lead` for example "cross section file".
  void OutsideTable(const void* table, std::string_view lead, std::string_view file, double lowKeV,
                    double highKeV, TableSide side, std::string_view substitute);

  // A note of any other kind: `text` is kept the first time `key` is noted. `source` and
  // `detail` together tell one situation from another (a list's address and the reaction,
  // for example); the text is made only when the key is new.
  struct Key {
    const void* source = nullptr;
    int kind = 0;
    std::array<double, 8> detail{};
    bool operator==(const Key&) const = default;
  };
  bool Has(const Key& key) const;
  void Add(const Key& key, std::string text);

  // Adds the notes of `other` this one does not hold yet, in their order.
  void Merge(const DataRangeNotes& other);

  // Shows every text on `messages`, in the order noted.
  void Show(MessageSink& messages) const;
  const std::vector<std::string>& texts() const { return texts_; }
  bool empty() const { return texts_.empty(); }

  // "Si", "He", "H" from the element table given, else "Z14".
  std::string ElementName(int z) const;

 private:
  const ElementTable* names_ = nullptr;
  std::vector<Key> keys_;
  std::vector<std::string> texts_;
};

// A number as the notes write it: up to six significant digits, no trailing zeros.
std::string NoteNumber(double value);

// Key kinds of the notes the program makes (the values only need to differ).
inline constexpr int kNoteOutsideBelow = 1;
inline constexpr int kNoteOutsideAbove = 2;
inline constexpr int kNoteZeroInTable = 3;
inline constexpr int kNoteNoTable = 4;

}  // namespace dodavev
