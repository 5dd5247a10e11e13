#include "charts/chart_model.hpp"
#include "model/units.hpp"

#include <algorithm>
#include <cmath>

namespace dodavev {
namespace {

// Values this close to zero count as zero, as everywhere in the calculations.

constexpr std::array<ChartColour, kChartSeriesCount> kFormColours{
    colours::kBlack, colours::kRed,    colours::kBlue, colours::kGreen, colours::kMaroon,
    colours::kNavy,  colours::kPurple, colours::kTeal, colours::kGray};

bool IsHorizontal(AxisId axis) {
  return axis == AxisId::Bottom || axis == AxisId::Top;
}

// A range of no width is widened by a tenth of its value (or by 1 around zero).
void Widen(double& minimum, double& maximum) {
  if (maximum > minimum) return;
  const double half = std::abs(minimum) > kZeroTolerance ? std::abs(minimum) * 0.1 : 1.0;
  minimum -= half;
  maximum += half;
}

}  // namespace

ChartColour DefaultSeriesColour(int index) {
  const int n = kChartSeriesCount;
  return kFormColours[static_cast<std::size_t>(((index % n) + n) % n)];
}

LineStyle DefaultSeriesStyle(int index) {
  constexpr std::array<LineStyle, 4> kStyles{LineStyle::Solid, LineStyle::Dash, LineStyle::Dot,
                                             LineStyle::DashDot};
  const int round = index < 0 ? 0 : index / kChartSeriesCount;
  return kStyles[static_cast<std::size_t>(round % 4)];
}

LineStyle CycledStyle(int index) {
  constexpr std::array<LineStyle, 5> kStyles{LineStyle::Solid, LineStyle::Dash, LineStyle::Dot,
                                             LineStyle::DashDot, LineStyle::DashDotDot};
  return kStyles[static_cast<std::size_t>(index < 0 ? 0 : index % 5)];
}

Chart ResetChart(std::string_view title) {
  Chart chart;
  chart.title = std::string(title);
  chart.titleVisible = true;
  chart.series.resize(kChartSeriesCount);
  for (int i = 0; i < kChartSeriesCount; ++i) {
    ChartSeries& s = chart.series[static_cast<std::size_t>(i)];
    s.colour = DefaultSeriesColour(i);
    s.style = LineStyle::Solid;
  }
  for (AxisId id : {AxisId::Bottom, AxisId::Left, AxisId::Top}) {
    ChartAxis& a = chart.axis(id);
    a.minimum = 0.0;
    a.maximum = 1.0;
    a.automatic = false;
  }
  chart.axis(AxisId::Right).automatic = true;
  chart.axis(AxisId::Top).automatic = true;
  // One grid per direction, that of the bottom and left axes, keeps the plot readable.
  chart.axis(AxisId::Right).grid = false;
  chart.axis(AxisId::Top).grid = false;
  return chart;
}

double AxisIncrement(double maximum) {
  const double tenth = maximum / 10.0;
  if (!std::isfinite(tenth) || !(tenth > 0.0)) return 0.0;
  const double d = std::trunc(std::log10(tenth));
  const double unit = std::pow(10.0, d);
  const double increment = std::nearbyint(tenth / unit) * unit;
  return std::isfinite(increment) && increment > 0.0 ? increment : 0.0;
}

void SetAxisRange(ChartAxis& axis, double minimum, double maximum) {
  axis.minimum = minimum;
  axis.maximum = maximum;
  axis.increment = AxisIncrement(maximum);
  axis.automatic = false;
}

DataExtent AxisDataExtent(const Chart& chart, AxisId axis) {
  DataExtent extent;
  for (const ChartSeries& s : chart.series) {
    const bool horizontal = IsHorizontal(axis);
    if ((horizontal ? s.horizontal : s.vertical) != axis) continue;
    for (const ChartPoint& p : s.points) {
      const double v = horizontal ? p.x : p.y;
      if (!std::isfinite(v)) continue;
      if (!extent.found) {
        extent.smallest = extent.largest = v;
        extent.found = true;
      } else {
        extent.smallest = std::min(extent.smallest, v);
        extent.largest = std::max(extent.largest, v);
      }
    }
  }
  return extent;
}

bool AxisInUse(const Chart& chart, AxisId axis) {
  return std::any_of(chart.series.begin(), chart.series.end(), [&](const ChartSeries& s) {
    return s.horizontal == axis || s.vertical == axis;
  });
}

void ScaleAxisToData(Chart& chart, AxisId axis) {
  const DataExtent extent = AxisDataExtent(chart, axis);
  double maximum = 1.1 * std::max(extent.largest, 0.0);
  const double minimum = 1.1 * std::min(extent.smallest, 0.0);
  if (std::abs(maximum) < kZeroTolerance) maximum = 1.0;
  SetAxisRange(chart.axis(axis), minimum, maximum);
}

double NiceStep(double span) {
  if (!std::isfinite(span) || !(span > 0.0)) return 1.0;
  const double raw = span / 8.0;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  // Spans near the smallest doubles: one tick step over the whole span.
  if (!(raw > 0.0) || !(power > 0.0) || !std::isfinite(power)) return span;
  const double m = raw / power;
  const double factor = m < 1.5 ? 1.0 : m < 3.5 ? 2.0 : m < 7.5 ? 5.0 : 10.0;
  return factor * power;
}

AxisScale ResolveAxisScale(const Chart& chart, AxisId id) {
  const ChartAxis& axis = chart.axis(id);
  AxisScale scale;
  if (axis.automatic) {
    const DataExtent extent = AxisDataExtent(chart, id);
    scale.minimum = extent.found ? extent.smallest : 0.0;
    scale.maximum = extent.found ? extent.largest : 1.0;
  } else {
    scale.minimum = axis.minimum;
    scale.maximum = axis.maximum;
  }
  if (!std::isfinite(scale.minimum) || !std::isfinite(scale.maximum)) {
    scale.minimum = 0.0;
    scale.maximum = 1.0;
  }
  if (scale.maximum < scale.minimum) {
    std::swap(scale.minimum, scale.maximum);
    scale.reversed = true;
  }
  Widen(scale.minimum, scale.maximum);
  double span = scale.maximum - scale.minimum;
  if (!std::isfinite(span)) {  // wider than the doubles reach: nothing sensible to draw
    scale.minimum = 0.0;
    scale.maximum = 1.0;
    span = 1.0;
  }
  const double own = axis.increment;
  if (std::isfinite(own) && own > 0.0 && span / own <= kMaxAxisTicks) {
    scale.increment = own;
  } else {
    scale.increment = NiceStep(span);
  }
  if (!(scale.increment > 0.0)) scale.increment = span;
  // An automatic axis ends on ticks, so that no point sits on the frame.
  if (axis.automatic) {
    const double lower = std::floor(scale.minimum / scale.increment) * scale.increment;
    const double upper = std::ceil(scale.maximum / scale.increment) * scale.increment;
    if (std::isfinite(lower) && std::isfinite(upper) && lower < upper) {
      scale.minimum = lower;
      scale.maximum = upper;
    }
  }
  return scale;
}

}  // namespace dodavev
