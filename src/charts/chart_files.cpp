#include "charts/chart_files.hpp"

#include <array>

namespace dodavev {
namespace {

constexpr std::array<ChartSaveFilter, 5> kFilters{{
    {"SVG files (*.svg)", ".svg"},
    {"PNG files (*.png)", ".png"},
    {"PDF files (*.pdf)", ".pdf"},
    {"Bitmap files (*.bmp)", ".bmp"},
    {"All files (*)", ""},
}};

std::string_view FileNamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::span<const ChartSaveFilter> ChartSaveFilters() {
  return kFilters;
}

std::string ChartNameWithEnding(std::string_view chosen, int filterIndex) {
  std::string name(chosen);
  if (FileNamePart(chosen).find('.') != std::string_view::npos) return name;
  if (filterIndex >= 0 && filterIndex < static_cast<int>(kFilters.size()))
    name += kFilters[static_cast<std::size_t>(filterIndex)].ending;
  return name;
}

ChartFileFormat ChartFormatOfName(std::string_view name) {
  const std::string_view file = FileNamePart(name);
  const std::size_t dot = file.find('.');
  if (dot == std::string_view::npos) return ChartFileFormat::Unknown;
  const std::string_view ending = file.substr(dot);
  struct Known {
    std::string_view lower, upper;
    ChartFileFormat format;
  };
  constexpr std::array<Known, 4> kKnown{{{".svg", ".SVG", ChartFileFormat::Svg},
                                         {".png", ".PNG", ChartFileFormat::Png},
                                         {".pdf", ".PDF", ChartFileFormat::Pdf},
                                         {".bmp", ".BMP", ChartFileFormat::Bmp}}};
  for (const Known& k : kKnown) {
    if (ending == k.lower || ending == k.upper) return k.format;
  }
  return ChartFileFormat::Unknown;
}

std::string PlotBaseName(std::string_view outputLine, int record) {
  std::string_view file = FileNamePart(outputLine);
  file = file.substr(0, file.find('.'));
  if (file.empty()) return "record" + std::to_string(record);
  return std::string(file);
}

std::string PlotFileName(std::string_view base, int setNumber, ChartSetKind kind,
                         std::string_view ending) {
  std::string name(base);
  name += "_" + std::to_string(setNumber) + "_";
  name += ChartSetShortName(kind);
  name += ending;
  return name;
}

}  // namespace dodavev
