// The chart model on its own: the increment rule, the ranges the chart
// sets give their axes and what the drawing makes of them.
#include "charts/chart_model.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace dodavev {
namespace {

// Increment = M/10 rounded to a multiple of 10^d, d = trunc(log10(M/10)). Each expected
// value is worked out by hand in the comment; exact up to floating-point rounding (1e-9
// relative).
TEST(ChartModelIncrement, RuleWorkedByHand) {
  // 661/10 = 66.1, log10 = 1.82 -> d = 1; 66.1 / 10 = 6.61 -> 7 -> 70.
  EXPECT_NEAR(AxisIncrement(661.0), 70.0, 1e-9);
  // 4832.71/10 = 483.271, d = 2; 4.83271 -> 5 -> 500.
  EXPECT_NEAR(AxisIncrement(4832.71), 500.0, 1e-9);
  // 1100/10 = 110, d = 2; 1.1 -> 1 -> 100.
  EXPECT_NEAR(AxisIncrement(1100.0), 100.0, 1e-9);
  // 8/10 = 0.8, log10 = -0.097 -> d = 0 (toward zero); 0.8 -> 1 -> 1.
  EXPECT_NEAR(AxisIncrement(8.0), 1.0, 1e-12);
  // 0.08/10 = 0.008, log10 = -2.097 -> d = -2; 0.8 -> 1 -> 0.01.
  EXPECT_NEAR(AxisIncrement(0.08), 0.01, 1e-14);
  // 1/10 = 0.1, log10 = -1 -> d = -1; 1 -> 0.1.
  EXPECT_NEAR(AxisIncrement(1.0), 0.1, 1e-12);
}

TEST(ChartModelIncrement, NothingUsableLeavesTheTicksToTheDrawing) {
  // 1.1/10 = 0.11, log10 = -0.96 -> d = 0; 0.11 rounds to 0: no increment.
  EXPECT_EQ(AxisIncrement(1.1), 0.0);
  // 0.3/10 = 0.03, d = -1; 0.3 rounds to 0.
  EXPECT_EQ(AxisIncrement(0.3), 0.0);
  EXPECT_EQ(AxisIncrement(0.0), 0.0);
  EXPECT_EQ(AxisIncrement(-50.0), 0.0);
  EXPECT_EQ(AxisIncrement(std::numeric_limits<double>::quiet_NaN()), 0.0);
  EXPECT_EQ(AxisIncrement(std::numeric_limits<double>::infinity()), 0.0);
}

Chart WithLeftValues(const std::vector<double>& ys) {
  Chart chart = ResetChart("");
  chart.series[0].title = "a";
  double x = 0.0;
  for (double y : ys)
    chart.series[0].points.push_back({x++, y});
  return chart;
}

TEST(ChartModelRange, FromZeroToElevenTenthsOfTheLargestValue) {
  Chart chart = WithLeftValues({0.0, 2.0, 5.0});
  ScaleAxisToData(chart, AxisId::Left);
  const ChartAxis& left = chart.axis(AxisId::Left);
  EXPECT_EQ(left.minimum, 0.0);
  EXPECT_NEAR(left.maximum, 5.5, 1e-12);  // 1.1 x 5
  // 5.5/10 = 0.55, d = 0 -> 1.
  EXPECT_NEAR(left.increment, 1.0, 1e-12);
  EXPECT_FALSE(left.automatic);
  // x: 0, 1, 2 -> 1.1 x 2 = 2.2.
  ScaleAxisToData(chart, AxisId::Bottom);
  EXPECT_NEAR(chart.axis(AxisId::Bottom).maximum, 2.2, 1e-12);
}

// The range of the left axis for the values of one series, worked by hand (to 4 ulp).
TEST(ChartModelRange, ZeroNegativeAndNonFiniteValues) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* what;
    std::vector<double> values;
    double minimum;
    double maximum;
  } cases[] = {
      {"all zero: from 0 to 1", {0.0, 0.0, 0.0}, 0.0, 1.0},
      // Magnitude 1.1e-10 is below 2e-10.
      {"tiny but not zero: also 0 to 1", {1e-10}, 0.0, 1.0},
      {"negative values stay inside: 1.1 x -2, 1.1 x 3", {-2.0, 3.0}, -2.2, 3.3},
      // The axis still ends at or above 0 and never turns round.
      {"only negative values", {-4.0, -1.0}, -4.4, 1.0},
      {"infinity and NaN are ignored", {1.0, kInf, kNaN}, 0.0, 1.1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Chart chart = WithLeftValues(c.values);
    ScaleAxisToData(chart, AxisId::Left);
    EXPECT_DOUBLE_EQ(chart.axis(AxisId::Left).minimum, c.minimum);
    EXPECT_DOUBLE_EQ(chart.axis(AxisId::Left).maximum, c.maximum);
  }
}

TEST(ChartModelRange, OnlySeriesOnTheAxisCount) {
  Chart chart = WithLeftValues({1.0});
  chart.series[1].title = "right";
  chart.series[1].vertical = AxisId::Right;
  chart.series[1].points.push_back({0.0, 100.0});
  ScaleAxisToData(chart, AxisId::Left);
  EXPECT_NEAR(chart.axis(AxisId::Left).maximum, 1.1, 1e-12);
  EXPECT_TRUE(AxisInUse(chart, AxisId::Right));
  EXPECT_FALSE(AxisInUse(chart, AxisId::Top));
}

TEST(ChartModelScale, AutomaticAxisSpansItsData) {
  Chart chart = ResetChart("");
  chart.series[0].points = {{4190.0, 1.0}, {4350.0, 2.0}};
  chart.axis(AxisId::Bottom).automatic = true;
  const AxisScale scale = ResolveAxisScale(chart, AxisId::Bottom);
  // No increment of its own: 160/8 = 20 -> step 20; the data 4190..4350 lie within the
  // ticks 4180 and 4360.
  EXPECT_NEAR(scale.increment, 20.0, 1e-9);
  EXPECT_NEAR(scale.minimum, 4180.0, 1e-9);
  EXPECT_NEAR(scale.maximum, 4360.0, 1e-9);
}

TEST(ChartModelScale, TooManyTicksFallBackToAReadableStep) {
  Chart chart = ResetChart("");
  ChartAxis& left = chart.axis(AxisId::Left);
  left.minimum = 0.0;
  left.maximum = 1e6;
  left.increment = 1e-9;  // typed by the user: 1e15 ticks
  const AxisScale scale = ResolveAxisScale(chart, AxisId::Left);
  // 1e6/8 = 125000 -> 1.25 x 1e5 -> step 1e5: ten ticks.
  EXPECT_NEAR(scale.increment, 1e5, 1e-6);
  left.increment = 2e5;  // five ticks: kept
  EXPECT_EQ(ResolveAxisScale(chart, AxisId::Left).increment, 2e5);
}

TEST(ChartModelScale, TurnedRoundAndEmptyRanges) {
  Chart chart = ResetChart("");
  ChartAxis& top = chart.axis(AxisId::Top);
  top.automatic = false;
  top.minimum = 500.0;
  top.maximum = 100.0;  // energy falling with the channel number
  AxisScale scale = ResolveAxisScale(chart, AxisId::Top);
  EXPECT_TRUE(scale.reversed);
  EXPECT_EQ(scale.minimum, 100.0);
  EXPECT_EQ(scale.maximum, 500.0);
  top.minimum = top.maximum = 50.0;  // no width: widened by a tenth each way
  scale = ResolveAxisScale(chart, AxisId::Top);
  EXPECT_NEAR(scale.minimum, 45.0, 1e-12);
  EXPECT_NEAR(scale.maximum, 55.0, 1e-12);
  // An automatic axis without data still gets a range.
  scale = ResolveAxisScale(chart, AxisId::Right);
  EXPECT_LT(scale.minimum, scale.maximum);
  EXPECT_GT(scale.increment, 0.0);
}

TEST(ChartModelScale, NiceStepsAreOneTwoOrFiveTimesAPowerOfTen) {
  EXPECT_NEAR(NiceStep(1.1), 0.1, 1e-12);   // 0.1375 -> 1.375 x 0.1 -> 0.1
  EXPECT_NEAR(NiceStep(20.0), 2.0, 1e-12);  // 2.5 -> 2
  EXPECT_NEAR(NiceStep(50.0), 5.0, 1e-12);  // 6.25 -> 5
  EXPECT_EQ(NiceStep(0.0), 1.0);
  EXPECT_EQ(NiceStep(-3.0), 1.0);
  // The smallest positive double: a step, never 0 (that would be endless ticks).
  EXPECT_GT(NiceStep(std::numeric_limits<double>::denorm_min()), 0.0);
}

}  // namespace
}  // namespace dodavev
