// Names of saved charts: the ending the chosen filter adds, the format a name asks for,
// and the names of the charts of a batch run.
#include "charts/chart_files.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace dodavev {
namespace {

constexpr int kSvg = 0;
constexpr int kPng = 1;
constexpr int kPdf = 2;
constexpr int kBmp = 3;
constexpr int kAll = 4;

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
  // A dotted folder does not count as an ending.
  EXPECT_EQ(ChartNameWithEnding("/home/a.b/chart", kBmp), "/home/a.b/chart.bmp");
}

// The format a name asks for: its ending from the first dot of the file name, all in lower
// or all in upper case.
TEST(ChartSaveName, FormatOfTheName) {
  using F = ChartFileFormat;
  const std::pair<ChartFileFormat, std::vector<const char*>> cases[] = {
      {F::Svg, {"c.svg", "c.SVG"}},
      {F::Png, {"c.png", "c.PNG"}},
      {F::Pdf, {"c.pdf", "c.PDF"}},
      {F::Bmp, {"c.bmp", "c.BMP", "/home/a.b/chart.bmp"}},
      // Mixed case, metafiles and JPEG, no ending, a second dot.
      {F::Unknown,
       {"c.Svg", "c.bMp", "c.wmf", "c.WMF", "c.jpg", "c.", "", "/tmp/", "/home/a.b/chart",
        "c.old.png"}}};
  for (const auto& [format, names] : cases)
    for (const char* name : names)
      EXPECT_EQ(ChartFormatOfName(name), format) << name;
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
