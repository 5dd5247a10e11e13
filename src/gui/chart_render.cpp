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
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "app/session.hpp"
#include "charts/chart_sets.hpp"
#include "model/messages.hpp"

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

// A closed range of an axis, its ends in increasing order.
struct Span {
  double lo = 0.0;
  double hi = 0.0;
  bool Holds(double v) const { return v >= lo && v <= hi; }
};

Span SpanOf(const Chart& model, AxisId id) {
  const AxisScale scale = ResolveAxisScale(model, id);
  return {std::min(scale.minimum, scale.maximum), std::max(scale.minimum, scale.maximum)};
}

// Cuts the segment a-b to the rectangle (Liang-Barsky): the parameters t0 <= t1 along it
// that lie inside, or false when no part of it does.
bool ClipSegment(QPointF a, QPointF b, Span x, Span y, double& t0, double& t1) {
  t0 = 0.0;
  t1 = 1.0;
  const double dx = b.x() - a.x();
  const double dy = b.y() - a.y();
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - x.lo, x.hi - a.x(), a.y() - y.lo, y.hi - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;  // parallel to this edge and outside it
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  return true;
}

// The parts of a polyline inside the rectangle, each a polyline of its own. Points that
// are not numbers break the line, as they do on the screen.
std::vector<QList<QPointF>> ClipPolyline(const std::vector<ChartPoint>& points, Span x, Span y) {
  std::vector<QList<QPointF>> pieces;
  QList<QPointF> piece;
  const auto finite = [](const ChartPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
  const auto close = [&] {
    if (!piece.isEmpty()) pieces.push_back(std::move(piece));
    piece = {};
  };
  if (points.size() == 1 && finite(points[0]) && x.Holds(points[0].x) && y.Holds(points[0].y))
    pieces.push_back({QPointF(points[0].x, points[0].y)});
  for (std::size_t i = 1; i < points.size(); ++i) {
    if (!finite(points[i - 1]) || !finite(points[i])) {
      close();
      continue;
    }
    const QPointF a(points[i - 1].x, points[i - 1].y);
    const QPointF b(points[i].x, points[i].y);
    double t0 = 0.0;
    double t1 = 1.0;
    if (!ClipSegment(a, b, x, y, t0, t1)) {
      close();
      continue;
    }
    const QPointF in = a + (b - a) * t0;
    const QPointF out = a + (b - a) * t1;
    if (piece.isEmpty() || piece.constLast() != in) {
      close();
      piece.append(in);
    }
    piece.append(out);
    if (t1 < 1.0) close();
  }
  close();
  return pieces;
}

}  // namespace

void FillQChart(QChart& target, const Chart& model, bool clipToAxes) {
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
    QPen pen(ToQColor(s.colour));
    pen.setWidthF(1.6);
    pen.setStyle(ToPenStyle(s.style));
    const auto addLine = [&](const QList<QPointF>& points, bool markers, bool legend) {
      auto* line = new QLineSeries;
      line->setName(QString::fromStdString(s.title));
      line->replace(points);
      line->setPen(pen);
      line->setPointsVisible(markers);
      line->setMarkerSize(MarkerSize(s.points.size()));
      target.addSeries(line);
      line->attachAxis(axes[static_cast<std::size_t>(s.horizontal)]);
      line->attachAxis(axes[static_cast<std::size_t>(s.vertical)]);
      for (QLegendMarker* marker : target.legend()->markers(line))
        marker->setVisible(legend);
    };
    if (!clipToAxes) {
      QList<QPointF> points;
      points.reserve(static_cast<qsizetype>(s.points.size()));
      for (const ChartPoint& p : s.points)
        points.append(QPointF(p.x, p.y));
      addLine(points, s.pointsVisible, s.inLegend);
    } else {
      // Cut at the axis ranges: the line in pieces without markers, the first piece (or an
      // empty one) in the legend, and the markers of the points inside.
      const Span x = SpanOf(model, s.horizontal);
      const Span y = SpanOf(model, s.vertical);
      std::vector<QList<QPointF>> pieces = ClipPolyline(s.points, x, y);
      if (pieces.empty()) pieces.emplace_back();
      for (std::size_t i = 0; i < pieces.size(); ++i)
        addLine(pieces[i], false, s.inLegend && i == 0);
      if (s.pointsVisible) {
        auto* dots = new QScatterSeries;
        dots->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        dots->setMarkerSize(MarkerSize(s.points.size()));
        dots->setColor(ToQColor(s.colour));
        dots->setBorderColor(ToQColor(s.colour));
        for (const ChartPoint& p : s.points) {
          if (x.Holds(p.x) && y.Holds(p.y)) dots->append(p.x, p.y);
        }
        target.addSeries(dots);
        dots->attachAxis(axes[static_cast<std::size_t>(s.horizontal)]);
        dots->attachAxis(axes[static_cast<std::size_t>(s.vertical)]);
        for (QLegendMarker* marker : target.legend()->markers(dots))
          marker->setVisible(false);
      }
    }
    anyInLegend = anyInLegend || s.inLegend;
  }
  QLegend* legend = target.legend();
  legend->setVisible(anyInLegend);
  legend->setAlignment(Qt::AlignBottom);
  legend->setFont(ChartFont(9.0));
  legend->setLabelColor(Qt::black);
}

namespace {

// The model laid out in a scene of the file size, ready to be painted.
QChart* LayOutForFile(QGraphicsScene& scene, const Chart& model) {
  auto* chart = new QChart;  // owned by the scene
  scene.addItem(chart);
  // Vector devices do not keep the chart's own clipping to its plot area (an SVG would show
  // markers below the frame after a range change): the series are cut at the axes here.
  FillQChart(*chart, model, true);
  const QRectF source(0, 0, kChartFileWidth, kChartFileHeight);
  chart->setGeometry(source);
  scene.setSceneRect(source);
  // Let the chart lay out its axes, legend and series before it is painted.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  return chart;
}

}  // namespace

QRectF ChartFilePlotArea(const Chart& model) {
  QGraphicsScene scene;
  return LayOutForFile(scene, model)->plotArea();
}

void PaintChart(const Chart& model, QPainter& painter, const QRectF& area) {
  QGraphicsScene scene;
  LayOutForFile(scene, model);
  const QRectF source(0, 0, kChartFileWidth, kChartFileHeight);
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
