// Drawing a chart model with Qt Charts: into a chart for the window, onto any painter
// (printer, PDF, images), and into SVG, PNG, PDF and BMP files. Needs a QApplication; the
// batch mode runs one on the offscreen platform.
#pragma once

#include <QRectF>
#include <QSize>
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

#include "charts/chart_files.hpp"
#include "charts/chart_model.hpp"

class QChart;
class QPainter;
class QPrinter;

namespace dodavev {

class MessageSink;
struct Session;

// Size of a chart saved as a picture, pixels (SVG: user units).
inline constexpr int kChartFileWidth = 1000;
inline constexpr int kChartFileHeight = 700;

// Replaces everything `target` shows (series, axes, title, legend) with the model. With
// `clipToAxes` the series are cut at the axis ranges first, so that no device needs to
// clip the plot area itself (files, printers); the window's view is not cut, its zoom may
// widen the ranges.
void FillQChart(QChart& target, const Chart& model, bool clipToAxes = false);

// Paints the model, laid out at kChartFileWidth x kChartFileHeight and scaled with its
// proportions kept, into `area` of the painter's device.
void PaintChart(const Chart& model, QPainter& painter, const QRectF& area);

// The plot area (inside the axes) of the model laid out at kChartFileWidth x
// kChartFileHeight, in those units.
QRectF ChartFilePlotArea(const Chart& model);

// Writes the model to `path` in `format` (not Unknown). The file appears complete or not
// at all: an old file of that name stays until the new one is written. Returns false with
// the reason in `error` when it could not be written.
bool WriteChartFile(const Chart& model, const QString& path, ChartFileFormat format,
                    QString* error);

// "Save": `chosen` as the dialog returned it with the filter chosen (index into
// ChartSaveFilters()). A name the program cannot write shows "Wrong file format" and saves
// nothing; a write failure is shown too. Returns whether a file was written.
bool SaveChartAs(const Chart& model, const QString& chosen, int filterIndex, MessageSink& messages);

// "Print" after the dialog: the chart on one page of `printer`.
bool PrintChart(const Chart& model, QPrinter& printer);

// Every chart set of the session's last calculation as SVG and PNG into `dir`, named
// PlotFileName(base, set number, set, ending), followed by the sample's isotope profile
// (base + "_profile"). `title`, when not empty, replaces the parameter-file path as the
// title of the sets. Failures are shown; returns how many files were written.
int WriteChartSets(const Session& session, const std::filesystem::path& dir, std::string_view base,
                   std::string_view title, MessageSink& messages);

}  // namespace dodavev
