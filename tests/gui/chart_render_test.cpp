// Charts of real calculations drawn into files on the offscreen platform: every set as PNG
// and SVG, the save-name rules through "Save", printing to PDF, and the charts of a
// BatchFile run with "--plots".
#include "gui/chart_render.hpp"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QSvgRenderer>
#include <filesystem>
#include <memory>
#include <string>

#include "charts/chart_sets.hpp"
#include "default_run.hpp"
#include "gui/chart_plots.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

using dodavev::testing::ReadFile;
using dodavev::testing::TempDir;
using dodavev::testing::WriteFile;

class ChartRender : public testing::DefaultRun {
 protected:
  static std::string Path(const std::filesystem::path& p) { return p.string(); }
  TempDir dir_;
};

TEST_F(ChartRender, EverySetOfTheDefaultRunAsPngAndSvg) {
  RunDefaultResolution();
  const std::vector<ChartSetKind> sets = ChartSetsFor(s());
  ASSERT_EQ(sets.size(), 2U);
  for (ChartSetKind kind : sets) {
    const Chart chart = BuildChartSet(s(), kind);
    const std::filesystem::path png = dir_ / (std::string(ChartSetShortName(kind)) + ".png");
    const std::filesystem::path svg = dir_ / (std::string(ChartSetShortName(kind)) + ".svg");
    QString error;
    ASSERT_TRUE(
        WriteChartFile(chart, QString::fromStdString(Path(png)), ChartFileFormat::Png, &error))
        << error.toStdString();
    ASSERT_TRUE(
        WriteChartFile(chart, QString::fromStdString(Path(svg)), ChartFileFormat::Svg, &error))
        << error.toStdString();
    const QImage image(QString::fromStdString(Path(png)));
    EXPECT_EQ(image.width(), kChartFileWidth);
    EXPECT_EQ(image.height(), kChartFileHeight);
    // A chart with curves, labels and a legend is far from a blank picture.
    EXPECT_GT(std::filesystem::file_size(png), 10000U);
    const std::string text = ReadFile(svg);
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find(">Depth [nm]<"), std::string::npos);
    EXPECT_NE(text.find(">" + chart.axis(AxisId::Left).title + "<"), std::string::npos);
    EXPECT_NE(text.find(">" + chart.series[0].title + "<"), std::string::npos);  // legend
  }
}

TEST_F(ChartRender, SpectrumSetCarriesTheEnergyAxis) {
  Button5Click(s());
  spectrumsimulation1Click(s());
  ASSERT_EQ(ChartSetsFor(s()), std::vector<ChartSetKind>{ChartSetKind::SpectrumChart});
  const Chart chart = BuildChartSet(s(), ChartSetKind::SpectrumChart);
  const std::filesystem::path svg = dir_ / "spectrum.svg";
  ASSERT_TRUE(
      WriteChartFile(chart, QString::fromStdString(Path(svg)), ChartFileFormat::Svg, nullptr));
  const std::string text = ReadFile(svg);
  EXPECT_NE(text.find(">Detected energy [keV]<"), std::string::npos);
  EXPECT_NE(text.find(">Channels<"), std::string::npos);
  EXPECT_NE(text.find(">Yield<"), std::string::npos);
}

TEST_F(ChartRender, SaveAppendsTheFilterEndingAndWritesThatFormat) {
  RunDefaultResolution();
  const Chart chart = BuildChartSet(s(), ChartSetKind::DepthResolution);
  // Bitmap filter (index 3), no dot: ".bmp" appended, a Windows bitmap written.
  ASSERT_TRUE(SaveChartAs(chart, QString::fromStdString(Path(dir_ / "chart")), 3, sink_));
  const std::string bmp = ReadFile(dir_ / "chart.bmp");
  ASSERT_GT(bmp.size(), 2U);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  // PDF and upper-case SVG endings.
  ASSERT_TRUE(SaveChartAs(chart, QString::fromStdString(Path(dir_ / "chart.pdf")), 0, sink_));
  EXPECT_EQ(ReadFile(dir_ / "chart.pdf").substr(0, 4), "%PDF");
  ASSERT_TRUE(SaveChartAs(chart, QString::fromStdString(Path(dir_ / "CHART.SVG")), 1, sink_));
  EXPECT_NE(ReadFile(dir_ / "CHART.SVG").find("<svg"), std::string::npos);
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(ChartRender, WrongFileFormatSavesNothing) {
  RunDefaultResolution();
  const Chart chart = BuildChartSet(s(), ChartSetKind::DepthResolution);
  for (const char* name : {"chart.wmf", "chart.Png", "chart.jpg", "chart.old.png"}) {
    sink_.messages.clear();
    EXPECT_FALSE(SaveChartAs(chart, QString::fromStdString(Path(dir_ / name)), 1, sink_));
    ASSERT_EQ(sink_.messages.size(), 1U) << name;
    EXPECT_EQ(sink_.messages[0], "Wrong file format");
    EXPECT_FALSE(std::filesystem::exists(dir_ / name)) << name;
  }
  // "All files" with no dot: no ending, so no format.
  sink_.messages.clear();
  EXPECT_FALSE(SaveChartAs(chart, QString::fromStdString(Path(dir_ / "plain")), 4, sink_));
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"Wrong file format"});
}

TEST_F(ChartRender, DottedFolderAndAFolderThatIsNotThere) {
  RunDefaultResolution();
  const Chart chart = BuildChartSet(s(), ChartSetKind::EnergyResolution);
  std::filesystem::create_directories(dir_ / "run.v2");
  ASSERT_TRUE(
      SaveChartAs(chart, QString::fromStdString(Path(dir_ / "run.v2" / "chart")), 1, sink_));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "run.v2" / "chart.png"));
  EXPECT_FALSE(
      SaveChartAs(chart, QString::fromStdString(Path(dir_ / "missing" / "c.png")), 1, sink_));
  ASSERT_EQ(sink_.messages.size(), 1U);
  EXPECT_EQ(sink_.messages[0].find("The chart could not be saved to "), 0U);
}

TEST_F(ChartRender, SavingOverAnOldFileReplacesItWhole) {
  RunDefaultResolution();
  WriteFile(dir_ / "c.svg", "old");
  ASSERT_TRUE(SaveChartAs(BuildChartSet(s(), ChartSetKind::DepthResolution),
                          QString::fromStdString(Path(dir_ / "c.svg")), 0, sink_));
  const std::string text = ReadFile(dir_ / "c.svg");
  EXPECT_EQ(text.find("old"), std::string::npos);
  EXPECT_NE(text.find("</svg>"), std::string::npos);
  // No temporary file is left beside it.
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.path()))
    ++files;
  EXPECT_EQ(files, 1);
}

TEST_F(ChartRender, PrintingToAPdfFile) {
  RunDefaultResolution();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(Path(dir_ / "printed.pdf")));
  ASSERT_TRUE(PrintChart(BuildChartSet(s(), ChartSetKind::DepthResolution), printer));
  const std::string pdf = ReadFile(dir_ / "printed.pdf");
  EXPECT_EQ(pdf.substr(0, 4), "%PDF");
  EXPECT_GT(pdf.size(), 5000U);
}

TEST_F(ChartRender, ChartSetsOfARunNamedAfterTheBase) {
  RunDefaultResolution();
  EXPECT_EQ(WriteChartSets(s(), dir_.path(), "run1", "record title", sink_), 6);
  for (const char* name : {"run1_1_depth-resolution.svg", "run1_1_depth-resolution.png",
                           "run1_2_energy-resolution.svg", "run1_2_energy-resolution.png",
                           "run1_profile.svg", "run1_profile.png"})
    EXPECT_TRUE(std::filesystem::exists(dir_ / name)) << name;
  // The given title replaces the parameter-file path on the sets; the profile keeps the
  // sample file's name and draws the sample's isotopes.
  EXPECT_NE(ReadFile(dir_ / "run1_1_depth-resolution.svg").find(">record title<"),
            std::string::npos);
  const std::string profile = ReadFile(dir_ / "run1_profile.svg");
  EXPECT_EQ(profile.find(">record title<"), std::string::npos);
  EXPECT_NE(profile.find(">Concentration<"), std::string::npos);
  EXPECT_NE(profile.find(">28 SI<"), std::string::npos);
  EXPECT_NE(profile.find(">12 C<"), std::string::npos);
  // Nothing calculated: no chart, not even the profile.
  s().CalcMode = CalculationMode::kNone;
  EXPECT_EQ(WriteChartSets(s(), dir_ / "none", "x", "", sink_), 0);
}

TEST_F(ChartRender, BatchFileWithPlots) {
  const std::string examples = std::string(DODAVEV_SOURCE_DIR) + "/examples/";
  const std::filesystem::path batch = dir_ / "two.bat";
  WriteFile(batch, examples + "default.par\r\n" + examples + "default.lay\r\n\r\n" +
                       "depth and energy resolution\r\n" + Path(dir_ / "res1.out") + "\r\n" +
                       examples + "default.par\r\n" + examples + "default.lay\r\n\r\n" +
                       "spectrum simulation\r\n" + Path(dir_ / "spec2") + "\r\n");
  const std::filesystem::path plots = dir_ / "plots" / "new";
  EXPECT_EQ(RunBatchWithPlots(s(), batch, plots), 0);
  for (const char* name : {"res1_1_depth-resolution.svg", "res1_1_depth-resolution.png",
                           "res1_2_energy-resolution.svg", "res1_2_energy-resolution.png",
                           "spec2_1_spectrum.svg", "spec2_1_spectrum.png", "spec2_profile.svg"})
    EXPECT_TRUE(std::filesystem::exists(plots / name)) << name;
  // Titled with the record's parameter file.
  EXPECT_NE(ReadFile(plots / "spec2_1_spectrum.svg").find("default.par<"), std::string::npos);
}

// Red pixels of `image` outside and inside `area` (the plot area grown by a marker's radius).
std::pair<int, int> RedOutsideAndInside(const QImage& image, const QRectF& area) {
  int outside = 0;
  int inside = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() < 200 || c.green() > 90 || c.blue() > 90) continue;
      ++(area.contains(QPointF(x + 0.5, y + 0.5)) ? inside : outside);
    }
  }
  return {outside, inside};
}

TEST_F(ChartRender, SvgOfANarrowedAxisDrawsNothingOutsideThePlotArea) {
  // A red diagonal from (0, 0) to (100, 100) with circles, the left axis narrowed to
  // 10..50: most of the line and its markers lie below and above the plot frame.
  Chart chart = ResetChart("clipped");
  ChartSeries& s0 = chart.series[0];
  s0.colour = colours::kRed;
  for (int i = 0; i <= 100; i += 2)
    s0.points.push_back({double(i), double(i)});
  SetAxisRange(chart.axis(AxisId::Bottom), 0.0, 100.0);
  SetAxisRange(chart.axis(AxisId::Left), 10.0, 50.0);
  const QRectF plot = ChartFilePlotArea(chart);
  ASSERT_GT(plot.width(), 100.0);
  const QRectF allowed = plot.adjusted(-4, -4, 4, 4);  // a marker's radius and the pen

  const std::filesystem::path svg = dir_ / "clipped.svg";
  QString error;
  ASSERT_TRUE(
      WriteChartFile(chart, QString::fromStdString(Path(svg)), ChartFileFormat::Svg, &error))
      << error.toStdString();
  QSvgRenderer renderer(QString::fromStdString(Path(svg)));
  ASSERT_TRUE(renderer.isValid());
  QImage drawn(kChartFileWidth, kChartFileHeight, QImage::Format_RGB32);
  drawn.fill(Qt::white);
  {
    QPainter painter(&drawn);
    renderer.render(&painter, QRectF(0, 0, kChartFileWidth, kChartFileHeight));
  }
  const auto [outside, inside] = RedOutsideAndInside(drawn, allowed);
  EXPECT_EQ(outside, 0);
  EXPECT_GT(inside, 100);  // the part from y = 10 to 50 is there

  // The PNG of the same chart agrees.
  const std::filesystem::path png = dir_ / "clipped.png";
  ASSERT_TRUE(
      WriteChartFile(chart, QString::fromStdString(Path(png)), ChartFileFormat::Png, &error));
  const auto [pngOutside, pngInside] =
      RedOutsideAndInside(QImage(QString::fromStdString(Path(png))), allowed);
  EXPECT_EQ(pngOutside, 0);
  EXPECT_GT(pngInside, 100);
}

TEST_F(ChartRender, PlotDirectoryThatCannotBeMade) {
  WriteFile(dir_ / "file", "x");
  EXPECT_EQ(RunBatchWithPlots(s(), dir_ / "none.bat", dir_ / "file"), 1);
  ASSERT_EQ(sink_.messages.size(), 1U);
  EXPECT_EQ(sink_.messages[0].find("The chart directory "), 0U);
}

}  // namespace
}  // namespace dodavev
