// Names of saved charts: the ending the chosen filter adds, the format a name asks for,
// and the names of the charts of a batch run.
#include "charts/chart_files.hpp"

#include <gtest/gtest.h>

namespace dodavev {
namespace {

constexpr int kSvg = 0;
constexpr int kPng = 1;
constexpr int kPdf = 2;
constexpr int kBmp = 3;
constexpr int kAll = 4;

TEST(ChartSaveName, FiltersInDialogOrder) {
  const auto filters = ChartSaveFilters();
  ASSERT_EQ(filters.size(), 5U);
  EXPECT_EQ(filters[kSvg].ending, ".svg");
  EXPECT_EQ(filters[kPng].ending, ".png");
  EXPECT_EQ(filters[kPdf].ending, ".pdf");
  EXPECT_EQ(filters[kBmp].ending, ".bmp");
  EXPECT_EQ(filters[kAll].ending, "");
  EXPECT_NE(filters[kAll].label.find("All files"), std::string_view::npos);
}

TEST(ChartSaveName, NameWithoutDotGetsTheFilterEnding) {
  EXPECT_EQ(ChartNameWithEnding("/tmp/chart", kSvg), "/tmp/chart.svg");
  EXPECT_EQ(ChartNameWithEnding("/tmp/chart", kPng), "/tmp/chart.png");
  EXPECT_EQ(ChartNameWithEnding("/tmp/chart", kPdf), "/tmp/chart.pdf");
  EXPECT_EQ(ChartNameWithEnding("/tmp/chart", kBmp), "/tmp/chart.bmp");
  EXPECT_EQ(ChartNameWithEnding("/tmp/chart", kAll), "/tmp/chart");
  EXPECT_EQ(ChartNameWithEnding("/tmp/chart", 17), "/tmp/chart");
  EXPECT_EQ(ChartNameWithEnding("/tmp/chart", -1), "/tmp/chart");
  // A name with a dot keeps its own ending, whatever the filter.
  EXPECT_EQ(ChartNameWithEnding("/tmp/chart.png", kSvg), "/tmp/chart.png");
}

TEST(ChartSaveName, DottedFolderDoesNotCountAsAnEnding) {
  EXPECT_EQ(ChartNameWithEnding("/home/a.b/chart", kBmp), "/home/a.b/chart.bmp");
  EXPECT_EQ(ChartFormatOfName("/home/a.b/chart.bmp"), ChartFileFormat::Bmp);
  EXPECT_EQ(ChartFormatOfName("/home/a.b/chart"), ChartFileFormat::Unknown);
}

TEST(ChartSaveName, EndingsInLowerOrUpperCase) {
  EXPECT_EQ(ChartFormatOfName("c.svg"), ChartFileFormat::Svg);
  EXPECT_EQ(ChartFormatOfName("c.SVG"), ChartFileFormat::Svg);
  EXPECT_EQ(ChartFormatOfName("c.png"), ChartFileFormat::Png);
  EXPECT_EQ(ChartFormatOfName("c.PNG"), ChartFileFormat::Png);
  EXPECT_EQ(ChartFormatOfName("c.pdf"), ChartFileFormat::Pdf);
  EXPECT_EQ(ChartFormatOfName("c.PDF"), ChartFileFormat::Pdf);
  EXPECT_EQ(ChartFormatOfName("c.bmp"), ChartFileFormat::Bmp);
  EXPECT_EQ(ChartFormatOfName("c.BMP"), ChartFileFormat::Bmp);
}

TEST(ChartSaveName, WrongFileFormats) {
  EXPECT_EQ(ChartFormatOfName("c.Svg"), ChartFileFormat::Unknown);  // mixed case
  EXPECT_EQ(ChartFormatOfName("c.bMp"), ChartFileFormat::Unknown);
  EXPECT_EQ(ChartFormatOfName("c.wmf"), ChartFileFormat::Unknown);  // no metafiles here
  EXPECT_EQ(ChartFormatOfName("c.WMF"), ChartFileFormat::Unknown);
  EXPECT_EQ(ChartFormatOfName("c.jpg"), ChartFileFormat::Unknown);
  EXPECT_EQ(ChartFormatOfName("c."), ChartFileFormat::Unknown);
  EXPECT_EQ(ChartFormatOfName(""), ChartFileFormat::Unknown);
  EXPECT_EQ(ChartFormatOfName("/tmp/"), ChartFileFormat::Unknown);
  // The ending runs from the first dot of the file name.
  EXPECT_EQ(ChartFormatOfName("c.old.png"), ChartFileFormat::Unknown);
  EXPECT_EQ(kWrongFileFormat, "Wrong file format");
}

TEST(ChartPlotNames, NamedAfterTheRecordOutput) {
  EXPECT_EQ(PlotBaseName("run1", 1), "run1");
  EXPECT_EQ(PlotBaseName("results/run1.dat", 1), "run1");
  EXPECT_EQ(PlotBaseName("a.b/run2", 2), "run2");
  EXPECT_EQ(PlotBaseName("", 3), "record3");
  EXPECT_EQ(PlotBaseName("out/", 4), "record4");
  EXPECT_EQ(PlotBaseName(".hidden", 5), "record5");
  EXPECT_EQ(PlotFileName("run1", 1, ChartSetKind::DepthResolution, ".svg"),
            "run1_1_depth-resolution.svg");
  EXPECT_EQ(PlotFileName("run1", 2, ChartSetKind::EnergyResolution, ".png"),
            "run1_2_energy-resolution.png");
}

}  // namespace
}  // namespace dodavev
