// Parameter files (".par"): the text of every input of the parameter set except the two
// layer texts, one value per line between fixed label lines, with the four data-file
// lists as a count line followed by two lines (check mark, text) per entry. The reader
// counts lines and never looks at the labels; writer and reader walk the same sequence,
// so every file written reads back to the same inputs. Nothing is validated here:
// numbers stay text until "OK".
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "io/text_file.hpp"  // kInvalidNumericFormat
#include "model/parameter_set.hpp"

namespace dodavev {

// Fixed lines of a file; every list entry adds two.
inline constexpr std::size_t kParameterFileFixedLines = 165;
// A parameter file is typed or written by this program; no sensible one comes near
// this size. Larger files (or endless ones such as devices) are refused unread.
inline constexpr std::size_t kMaxParameterFileBytes = 16U * 1024U * 1024U;
// Entries kept per data-file list; further entries of a list are read past and dropped.
inline constexpr std::size_t kMaxRegistryEntries = 10000;

// Lines of a text one at a time; CR LF, LF and CR line ends. After the last line every read
// gives an empty line.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}
  std::string_view Next();
  bool AtEnd() const { return pos_ >= text_.size(); }
  // Lines read so far: the number of the line the last Next() gave.
  std::size_t LinesRead() const { return linesRead_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t linesRead_ = 0;
};

struct ParameterReadResult {
  int code = 0;                    // 0, or the input/output error code of the failure
  std::size_t droppedEntries = 0;  // list entries beyond kMaxRegistryEntries
  std::size_t line = 0;            // the line (from 1) that failed; 0 for the whole file
};

// Sets the inputs line by line from the text of a parameter file, each as soon as its
// line is read. A text that ends early sets the rest from empty lines (empty texts,
// second choices, empty lists). A count line that is not an integer, or a negative one,
// ends the reading with code kInvalidNumericFormat and its line; inputs read before it keep
// their new texts.
ParameterReadResult ParseParameterText(std::string_view text, ParameterInputs& inputs);

// The complete file text, CR LF line ends. Line breaks inside a value (which a
// single-line field cannot hold) are written as blanks so that the line count holds.
std::string FormatParameterFile(const ParameterInputs& inputs);

// Reads the file into the inputs; returns 0 or the error code (see ParseParameterText).
ParameterReadResult ReadParameterFile(const std::filesystem::path& path, ParameterInputs& inputs);

// Writes the file through a temporary file beside it; returns 0 or the system error code.
int WriteParameterFile(const std::filesystem::path& path, const ParameterInputs& inputs);

}  // namespace dodavev
