#include "gui/chart_render.hpp"

#include <QChart>
#include <QCoreApplication>
#include <QFont>
#include <QGraphicsScene>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QValueAxis>
#include <array>
#include <cmath>

#include "app/messages.hpp"
#include "app/session.hpp"
#include "charts/chart_sets.hpp"

namespace dodavev {
namespace {

QColor ToQColor(ChartColour c) {
  return QColor(c.r, c.g, c.b);
}

Qt::PenStyle ToPenStyle(LineStyle style) {
  switch (style) {
    case LineStyle::Solid:
      return Qt::SolidLine;
    case LineStyle::Dash:
      return Qt::DashLine;
    case LineStyle::Dot:
      return Qt::DotLine;
    case LineStyle::DashDot:
      return Qt::DashDotLine;
    case LineStyle::DashDotDot:
      return Qt::DashDotDotLine;
  }
  return Qt::SolidLine;
}

Qt::Alignment ToAlignment(AxisId id) {
  switch (id) {
    case AxisId::Bottom:
      return Qt::AlignBottom;
    case AxisId::Left:
      return Qt::AlignLeft;
    case AxisId::Right:
      return Qt::AlignRight;
    case AxisId::Top:
      return Qt::AlignTop;
  }
  return Qt::AlignBottom;
}

QFont ChartFont(double points, bool bold = false) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

QValueAxis* MakeAxis(const Chart& model, AxisId id) {
  const ChartAxis& a = model.axis(id);
  const AxisScale scale = ResolveAxisScale(model, id);
  auto* axis = new QValueAxis;
  axis->setTitleText(QString::fromStdString(a.title));
  axis->setTitleFont(ChartFont(10.0, true));
  axis->setLabelsFont(ChartFont(9.0));
  axis->setLabelFormat(QStringLiteral("%.6g"));
  axis->setRange(scale.minimum, scale.maximum);
  axis->setReverse(scale.reversed);
  // Labelled ticks at the multiples of the increment.
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0.0);
  axis->setTickInterval(scale.increment);
  axis->setMinorTickCount(0);
  axis->setGridLineVisible(a.grid);
  axis->setGridLineColor(QColor(210, 210, 210));
  axis->setLinePenColor(Qt::black);
  axis->setLabelsColor(Qt::black);
  axis->setTitleBrush(QBrush(Qt::black));
  // The top and right axes appear only for a set that draws against them.
  const bool extra = id == AxisId::Top || id == AxisId::Right;
  axis->setVisible(a.visible && (!extra || AxisInUse(model, id)));
  return axis;
}

// Circles small enough that a dense series (a 600-channel spectrum) stays a readable line.
qreal MarkerSize(std::size_t points) {
  if (points > 300) return 2.5;
  if (points > 100) return 4.0;
  return 6.0;
}

// A series worth drawing: one a set has given a title or points.
bool Drawn(const ChartSeries& s) {
  return !s.points.empty() || s.title != " ";
}

}  // namespace

void FillQChart(QChart& target, const Chart& model) {
  target.removeAllSeries();
  for (QAbstractAxis* axis : target.axes()) {
    target.removeAxis(axis);
    delete axis;
  }
  target.setAnimationOptions(QChart::NoAnimation);
  target.setBackgroundRoundness(0);
  target.setBackgroundBrush(Qt::white);
  target.setTitle(model.titleVisible ? QString::fromStdString(model.title) : QString());
  target.setTitleFont(ChartFont(11.0, true));
  target.setTitleBrush(QBrush(Qt::black));

  std::array<QValueAxis*, kAxisCount> axes{};
  for (AxisId id : {AxisId::Bottom, AxisId::Left, AxisId::Right, AxisId::Top}) {
    QValueAxis* axis = MakeAxis(model, id);
    target.addAxis(axis, ToAlignment(id));
    axes[static_cast<std::size_t>(id)] = axis;
  }

  bool anyInLegend = false;
  for (const ChartSeries& s : model.series) {
    if (!Drawn(s)) continue;
    auto* line = new QLineSeries;
    line->setName(QString::fromStdString(s.title));
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(s.points.size()));
    for (const ChartPoint& p : s.points)
      points.append(QPointF(p.x, p.y));
    line->replace(points);
    QPen pen(ToQColor(s.colour));
    pen.setWidthF(1.6);
    pen.setStyle(ToPenStyle(s.style));
    line->setPen(pen);
    line->setPointsVisible(s.pointsVisible);
    line->setMarkerSize(MarkerSize(s.points.size()));
    target.addSeries(line);
    line->attachAxis(axes[static_cast<std::size_t>(s.horizontal)]);
    line->attachAxis(axes[static_cast<std::size_t>(s.vertical)]);
    for (QLegendMarker* marker : target.legend()->markers(line))
      marker->setVisible(s.inLegend);
    anyInLegend = anyInLegend || s.inLegend;
  }
  QLegend* legend = target.legend();
  legend->setVisible(anyInLegend);
  legend->setAlignment(Qt::AlignBottom);
  legend->setFont(ChartFont(9.0));
  legend->setLabelColor(Qt::black);
}

void PaintChart(const Chart& model, QPainter& painter, const QRectF& area) {
  QGraphicsScene scene;
  auto* chart = new QChart;  // owned by the scene
  scene.addItem(chart);
  FillQChart(*chart, model);
  const QRectF source(0, 0, kChartFileWidth, kChartFileHeight);
  chart->setGeometry(source);
  scene.setSceneRect(source);
  // Let the chart lay out its axes, legend and series before it is painted.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  scene.render(&painter, area, source, Qt::KeepAspectRatio);
  painter.restore();
}

bool WriteChartFile(const Chart& model, const QString& path, ChartFileFormat format,
                    QString* error) {
  auto fail = [&](const QString& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  if (format == ChartFileFormat::Unknown) return fail(QString::fromUtf8(kWrongFileFormat.data()));
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
  const QRectF area(0, 0, kChartFileWidth, kChartFileHeight);
  bool painted = true;
  switch (format) {
    case ChartFileFormat::Svg: {
      QSvgGenerator svg;
      svg.setOutputDevice(&file);
      svg.setSize(QSize(kChartFileWidth, kChartFileHeight));
      svg.setViewBox(area);
      svg.setResolution(96);
      svg.setTitle(QString::fromStdString(model.title));
      svg.setDescription(QStringLiteral("DOdavev result chart"));
      QPainter painter;
      painted = painter.begin(&svg);
      if (painted) {
        PaintChart(model, painter, area);
        painted = painter.end();
      }
      break;
    }
    case ChartFileFormat::Png:
    case ChartFileFormat::Bmp: {
      QImage image(kChartFileWidth, kChartFileHeight, QImage::Format_RGB32);
      image.fill(Qt::white);
      {
        QPainter painter(&image);
        PaintChart(model, painter, area);
      }
      painted = image.save(&file, format == ChartFileFormat::Png ? "PNG" : "BMP");
      break;
    }
    case ChartFileFormat::Pdf: {
      QPdfWriter pdf(&file);
      pdf.setPageSize(QPageSize(QPageSize::A4));
      pdf.setPageOrientation(QPageLayout::Landscape);
      pdf.setResolution(300);
      pdf.setTitle(QString::fromStdString(model.title));
      pdf.setCreator(QStringLiteral("DOdavev"));
      QPainter painter;
      painted = painter.begin(&pdf);
      if (painted) {
        PaintChart(model, painter, QRectF(0, 0, pdf.width(), pdf.height()));
        painted = painter.end();
      }
      break;
    }
    case ChartFileFormat::Unknown:
      break;
  }
  if (!painted) {
    file.cancelWriting();
    return fail(QStringLiteral("the chart could not be drawn into the file"));
  }
  if (!file.commit()) return fail(file.errorString());
  return true;
}

bool SaveChartAs(const Chart& model, const QString& chosen, int filterIndex,
                 MessageSink& messages) {
  const std::string name = ChartNameWithEnding(chosen.toStdString(), filterIndex);
  const ChartFileFormat format = ChartFormatOfName(name);
  if (format == ChartFileFormat::Unknown) {
    messages.Show(kWrongFileFormat);
    return false;
  }
  QString error;
  if (!WriteChartFile(model, QString::fromStdString(name), format, &error)) {
    messages.Show("The chart could not be saved to " + name + ": " + error.toStdString());
    return false;
  }
  return true;
}

bool PrintChart(const Chart& model, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  PaintChart(model, painter, QRectF(0, 0, page.width(), page.height()));
  return painter.end();
}

int WriteChartSets(const Session& session, const std::filesystem::path& dir, std::string_view base,
                   std::string_view title, MessageSink& messages) {
  int written = 0;
  // One chart as SVG and PNG; `name` without its ending.
  auto write = [&](const Chart& chart, const std::string& name) {
    for (const auto& [ending, format] :
         {std::pair{".svg", ChartFileFormat::Svg}, std::pair{".png", ChartFileFormat::Png}}) {
      const std::filesystem::path path = dir / (name + ending);
      QString error;
      if (WriteChartFile(chart, QString::fromStdString(path.string()), format, &error)) {
        ++written;
      } else {
        messages.Show("The chart could not be saved to " + path.string() + ": " +
                      error.toStdString());
      }
    }
  };
  const std::vector<ChartSetKind> kinds = ChartSetsFor(session);
  int number = 0;
  for (ChartSetKind kind : kinds) {
    Chart chart = BuildChartSet(session, kind);
    if (!title.empty()) chart.title = std::string(title);
    write(chart, PlotFileName(base, ++number, kind, ""));
  }
  // The profile belongs to a calculation's charts, as the "Profile" button of the window.
  if (!kinds.empty()) {
    const Chart profile = BuildProfileChart(session);
    if (!profile.series.empty() && !profile.series.front().points.empty())
      write(profile, std::string(base) + "_profile");
  }
  return written;
}

}  // namespace dodavev
