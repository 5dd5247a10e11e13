// File names of saved charts: the save dialog's filters, the ending a name gets from the
// chosen filter, the format a name asks for, and the names of the charts a batch run
// writes.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "charts/chart_sets.hpp"

namespace dodavev {

enum class ChartFileFormat { Svg, Png, Pdf, Bmp, Unknown };

inline constexpr std::string_view kWrongFileFormat = "Wrong file format";

struct ChartSaveFilter {
  std::string_view label;   // as the dialog lists it, with its pattern
  std::string_view ending;  // appended to a name without "."; empty for "All files"
};

// SVG, PNG, PDF, bitmap and all files, in the dialog's order.
std::span<const ChartSaveFilter> ChartSaveFilters();

// The name as it is saved: a file name without "." gets the ending of the filter chosen
// (index into ChartSaveFilters(); nothing for "All files" or an index outside the list).
// Only the part after the last "/" counts: a folder may have a "." in its name.
std::string ChartNameWithEnding(std::string_view chosen, int filterIndex);

// The format the name's ending asks for: everything from the first "." of the file name
// (after the last "/") to its end, in lower or in upper case (".svg" or ".SVG", ...).
// Anything else, a mixed-case ending and the Windows metafile ".wmf" included, is Unknown:
// "Wrong file format", nothing saved.
ChartFileFormat ChartFormatOfName(std::string_view name);

// The base name of a BatchFile record's charts: the file name of the record's output line
// cut before its first "."; "record" + its number when that leaves nothing.
std::string PlotBaseName(std::string_view outputLine, int record);

// File name of one chart set of a batch record: base, "_", the set's number (from 1), "_",
// the set's short name and `ending` (".svg"), for example "run1_1_depth-resolution.svg".
std::string PlotFileName(std::string_view base, int setNumber, ChartSetKind kind,
                         std::string_view ending);

}  // namespace dodavev
