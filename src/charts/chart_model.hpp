// What a result chart shows, without any drawing toolkit: line series with their titles,
// colours and axes, four axes with titles, ranges and tick increments, and the chart
// title. The window and the file export draw this model; the builders in chart_sets.hpp
// fill it from the results of the last calculation.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dodavev {

enum class AxisId { Bottom = 0, Left = 1, Right = 2, Top = 3 };
inline constexpr int kAxisCount = 4;

struct ChartColour {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const ChartColour&) const = default;
};

// The named colours of the result charts.
namespace colours {
inline constexpr ChartColour kBlack{0, 0, 0};
inline constexpr ChartColour kRed{255, 0, 0};
inline constexpr ChartColour kBlue{0, 0, 255};
inline constexpr ChartColour kGreen{0, 128, 0};
inline constexpr ChartColour kYellow{255, 255, 0};
inline constexpr ChartColour kSilver{192, 192, 192};
inline constexpr ChartColour kAqua{0, 255, 255};
inline constexpr ChartColour kMaroon{128, 0, 0};
inline constexpr ChartColour kOlive{128, 128, 0};
inline constexpr ChartColour kNavy{0, 0, 128};
inline constexpr ChartColour kPurple{128, 0, 128};
inline constexpr ChartColour kTeal{0, 128, 128};
inline constexpr ChartColour kGray{128, 128, 128};
inline constexpr ChartColour kFuchsia{255, 0, 255};
}  // namespace colours

// Dash patterns keep the curves of a many-series chart apart in grey-scale print.
enum class LineStyle { Solid, Dash, Dot, DashDot, DashDotDot };

struct ChartPoint {
  double x = 0.0;
  double y = 0.0;
};

struct ChartSeries {
  std::string title = " ";
  ChartColour colour;
  LineStyle style = LineStyle::Solid;
  std::vector<ChartPoint> points;
  AxisId horizontal = AxisId::Bottom;
  AxisId vertical = AxisId::Left;
  bool inLegend = false;
  // Points drawn as circles; off for a series that only carries an axis.
  bool pointsVisible = true;
};

struct ChartAxis {
  std::string title = " ";
  bool visible = true;
  bool grid = true;
  // An automatic axis spans the data of its series; otherwise minimum..maximum.
  bool automatic = true;
  double minimum = 0.0;
  double maximum = 1.0;
  // Distance of the labelled ticks; 0 lets the drawing choose.
  double increment = 0.0;
};

// The form's nine series.
inline constexpr int kChartSeriesCount = 9;

struct Chart {
  std::string title;
  bool titleVisible = true;
  std::vector<ChartSeries> series;
  std::array<ChartAxis, kAxisCount> axes;

  ChartAxis& axis(AxisId id) { return axes[static_cast<std::size_t>(id)]; }
  const ChartAxis& axis(AxisId id) const { return axes[static_cast<std::size_t>(id)]; }
};

// Colour and dash pattern series `index` (from 0) gets when no builder chooses one: black,
// red, blue and six further colours, then again with dashes.
ChartColour DefaultSeriesColour(int index);
LineStyle DefaultSeriesStyle(int index);
// Solid, dash, dot, dash-dot, dash-dot-dot, again: for the series of one set.
LineStyle CycledStyle(int index);

// The chart as it stands before a set is drawn: nine empty untitled series outside the
// legend on the bottom and left axes, axis titles " ", bottom, left and top axes from 0 to
// 1, right and top axes scaling automatically without grid lines, the title shown.
Chart ResetChart(std::string_view title);

// Tick increment for an axis ending at `maximum`: maximum/10 rounded to a multiple of
// 10^d, d being the integer part (toward zero) of log10(maximum/10). 0 (the drawing
// chooses) when the rule gives nothing usable: a maximum not above 0, or one so small that
// the rounding leaves 0.
double AxisIncrement(double maximum);

// Gives `axis` the range minimum..maximum with the increment rule and switches its
// automatic scaling off.
void SetAxisRange(ChartAxis& axis, double minimum, double maximum);

// The range the chart sets give an axis from its data: from 0 to 1.1 x the largest value.
// A maximum whose magnitude is below 2e-10 (all values zero) becomes 1; negative values
// extend the range below 0 to 1.1 x the smallest one, so that no point falls outside.
void ScaleAxisToData(Chart& chart, AxisId axis);

// Largest and smallest finite coordinate of the series drawn against `axis` (x for the
// bottom and top axes, y for the left and right ones); `found` false when there is none.
struct DataExtent {
  double smallest = 0.0;
  double largest = 0.0;
  bool found = false;
};
DataExtent AxisDataExtent(const Chart& chart, AxisId axis);

// Whether any series is drawn against `axis`.
bool AxisInUse(const Chart& chart, AxisId axis);

// What the drawing uses for an axis: the range (automatic axes span their data, widened
// to the ticks around it; an empty or zero-width range is widened) and a tick increment
// that gives a readable number of ticks (the axis's own increment when it gives at most
// kMaxAxisTicks ticks, else a 1-2-5 step). `reversed` when the axis was given a maximum
// below its minimum.
struct AxisScale {
  double minimum = 0.0;
  double maximum = 1.0;
  double increment = 0.1;
  bool reversed = false;
};
inline constexpr int kMaxAxisTicks = 50;
AxisScale ResolveAxisScale(const Chart& chart, AxisId axis);

// A 1, 2 or 5 times a power of ten step giving about five to ten ticks over `span`.
double NiceStep(double span);

}  // namespace dodavev
