// The chart sets built from small result tables made by hand: which sets a calculation
// gets, their series, point counts, axis titles, ranges and increments.
#include "charts/chart_sets.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "app/session.hpp"
#include "model/messages.hpp"

namespace dodavev {
namespace {

class ChartSets : public ::testing::Test {
 protected:
  ChartSets() : session_(std::make_unique<Session>(sink_)) {
    session_->parameterFileName = "/data/run.par";
  }
  Session& s() { return *session_; }

  // A depth walk of `rows` rows: depth 50 nm apart, value v of row r = v + r.
  void DepthWalk(int rows) {
    s().CalcMode = CalculationMode::kDepthWalk;
    s().SpectrumFlag = SpectrumMode::kResolution;
    s().results.RowCount = rows;
    for (int r = 0; r < rows; ++r) {
      s().results.table.at(r, 1) = 50.0 * r;
      for (int v = 2; v <= 26; ++v)
        s().results.table.at(r, v) = v + r;
    }
  }

  CollectingSink sink_;
  std::unique_ptr<Session> session_;
};

TEST_F(ChartSets, ChosenByCalcModeAndSpectrumFlag) {
  using K = ChartSetKind;
  s().CalcMode = CalculationMode::kNone;
  EXPECT_TRUE(ChartSetsFor(s()).empty());
  s().CalcMode = CalculationMode::kDepthWalk;
  for (SpectrumMode flag : {SpectrumMode::kResolution, SpectrumMode::kShown,
                            SpectrumMode::kResonance, SpectrumMode::kNone}) {
    s().SpectrumFlag = flag;
    EXPECT_EQ(ChartSetsFor(s()), (std::vector<K>{K::DepthResolution, K::EnergyResolution}));
  }
  for (SpectrumMode flag : {SpectrumMode::kSpectrum, SpectrumMode::kFullSpectrum}) {
    s().SpectrumFlag = flag;
    EXPECT_EQ(ChartSetsFor(s()), std::vector<K>{K::SpectrumChart});
  }
  s().CalcMode = CalculationMode::kOptimisation;
  s().params.theta_min = s().params.theta_max = 165.0;
  EXPECT_EQ(ChartSetsFor(s()), std::vector<K>{K::AlphaScan});
  s().params.theta_max = 165.0 + 1e-10;  // equal within 2e-10
  EXPECT_EQ(ChartSetsFor(s()), std::vector<K>{K::AlphaScan});
  s().params.theta_max = 170.0;
  EXPECT_EQ(ChartSetsFor(s()), std::vector<K>{K::Optimum});
  s().CalcMode = CalculationMode::kEnergyLoss;
  EXPECT_EQ(ChartSetsFor(s()), std::vector<K>{K::EnergyLoss});
  s().CalcMode = CalculationMode::kTschalar;
  EXPECT_EQ(ChartSetsFor(s()), std::vector<K>{K::Tschalar});
  s().CalcMode = CalculationMode::kExcitationCurve;
  EXPECT_EQ(ChartSetsFor(s()), (std::vector<K>{K::ExcitationCurve, K::ResonanceDepthResolution,
                                               K::ResonanceEnergyResolution}));
}

TEST_F(ChartSets, DepthResolutionLeavesTheLastRowOut) {
  DepthWalk(4);                         // depths 0, 50, 100, 150 nm
  s().results.table.at(3, 2) = 1000.0;  // the last row: must not be drawn
  const Chart c = BuildChartSet(s(), ChartSetKind::DepthResolution);
  EXPECT_EQ(c.title, "/data/run.par");
  EXPECT_EQ(c.series[0].title, "depth res.");
  EXPECT_EQ(c.series[0].colour, colours::kBlack);
  EXPECT_TRUE(c.series[0].inLegend);
  ASSERT_EQ(c.series[0].points.size(), 3U);
  EXPECT_EQ(c.series[0].points[2].x, 100.0);
  EXPECT_EQ(c.series[0].points[2].y, 4.0);  // value 2 of row 2 = 2 + 2
  EXPECT_EQ(c.axis(AxisId::Bottom).title, "Depth [nm]");
  EXPECT_EQ(c.axis(AxisId::Left).title, "Depth resolution [nm]");
  // Bottom: 1.1 x 100 = 110; 11 -> d = 1, 1.1 -> 1 -> increment 10.
  EXPECT_NEAR(c.axis(AxisId::Bottom).maximum, 110.0, 1e-9);
  EXPECT_NEAR(c.axis(AxisId::Bottom).increment, 10.0, 1e-9);
  // Left: 1.1 x 4 = 4.4; 0.44 -> d = 0 -> 0: the drawing chooses.
  EXPECT_NEAR(c.axis(AxisId::Left).maximum, 4.4, 1e-12);
  EXPECT_EQ(c.axis(AxisId::Left).increment, 0.0);
  EXPECT_EQ(c.axis(AxisId::Left).minimum, 0.0);
  // The other eight series stay empty and out of the legend.
  for (std::size_t i = 1; i < c.series.size(); ++i) {
    EXPECT_TRUE(c.series[i].points.empty());
    EXPECT_FALSE(c.series[i].inLegend);
  }
}

TEST_F(ChartSets, EnergyResolutionNineContributions) {
  DepthWalk(3);
  const Chart c = BuildChartSet(s(), ChartSetKind::EnergyResolution);
  struct Expected {
    const char* title;
    ChartColour colour;
    int value;
  };
  const Expected expected[] = {{"energy res.", colours::kBlack, 3},
                               {"beam energy", colours::kRed, 7},
                               {"beam ang.", colours::kGreen, 8},
                               {"geometry", colours::kYellow, 9},
                               {"Doppler", colours::kSilver, 26},
                               {"straggling", colours::kAqua, 10},
                               {"MS in", colours::kMaroon, 11},
                               {"MS out", colours::kOlive, 12},
                               {"Sum without detector", colours::kBlue, 13}};
  ASSERT_EQ(c.series.size(), 9U);
  for (std::size_t i = 0; i < 9; ++i) {
    SCOPED_TRACE(expected[i].title);
    EXPECT_EQ(c.series[i].title, expected[i].title);
    EXPECT_EQ(c.series[i].colour, expected[i].colour);
    EXPECT_TRUE(c.series[i].inLegend);
    ASSERT_EQ(c.series[i].points.size(), 2U);  // rows 0 and 1 of 3
    EXPECT_EQ(c.series[i].points[1].y, expected[i].value + 1.0);
  }
  EXPECT_EQ(c.axis(AxisId::Left).title, "Energy resolution [keV]");
  // Largest y drawn: Doppler (value 26) of row 1 = 27 -> 29.7.
  EXPECT_NEAR(c.axis(AxisId::Left).maximum, 29.7, 1e-9);
}

TEST_F(ChartSets, DepthWalkWithTooFewOrTooManyRows) {
  DepthWalk(1);  // a single row is the last row: nothing drawn
  Chart c = BuildChartSet(s(), ChartSetKind::DepthResolution);
  EXPECT_TRUE(c.series[0].points.empty());
  EXPECT_EQ(c.axis(AxisId::Left).maximum, 1.0);
  EXPECT_EQ(c.axis(AxisId::Bottom).maximum, 1.0);
  s().results.RowCount = 0;
  EXPECT_TRUE(BuildChartSet(s(), ChartSetKind::DepthResolution).series[0].points.empty());
  s().results.RowCount = -3;
  EXPECT_TRUE(BuildChartSet(s(), ChartSetKind::EnergyResolution).series[0].points.empty());
  s().results.RowCount = 5000;  // more than the table holds: 200 rows, 199 drawn
  c = BuildChartSet(s(), ChartSetKind::DepthResolution);
  EXPECT_EQ(c.series[0].points.size(), 199U);
}

TEST_F(ChartSets, PointsThatAreNotNumbersAreLeftOut) {
  DepthWalk(4);
  s().results.table.at(1, 2) = std::numeric_limits<double>::quiet_NaN();
  const Chart c = BuildChartSet(s(), ChartSetKind::DepthResolution);
  EXPECT_EQ(c.series[0].points.size(), 2U);
}

TEST_F(ChartSets, SpectrumWithItsEnergyAxis) {
  s().CalcMode = CalculationMode::kDepthWalk;
  s().SpectrumFlag = SpectrumMode::kSpectrum;
  s().params.detkevch = 7.03;
  s().params.dete0 = 185.88;
  s().MeasuredSpectrum[10] = 100.0;
  s().results.SimulatedSpectrum[20] = 50.0;
  const Chart c = BuildChartSet(s(), ChartSetKind::SpectrumChart);
  EXPECT_EQ(c.series[0].title, "measured");
  EXPECT_EQ(c.series[0].colour, colours::kBlack);
  EXPECT_EQ(c.series[1].title, "simulated");
  EXPECT_EQ(c.series[1].colour, colours::kBlue);
  EXPECT_EQ(c.series[2].title, "simulated");
  EXPECT_EQ(c.series[2].colour, colours::kSilver);
  EXPECT_FALSE(c.series[2].inLegend);
  EXPECT_FALSE(c.series[2].pointsVisible);
  EXPECT_TRUE(c.series[0].pointsVisible);
  EXPECT_EQ(c.series[2].horizontal, AxisId::Top);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(c.series[i].points.size(), 600U);
  EXPECT_EQ(c.series[0].points[9].x, 10.0);
  EXPECT_EQ(c.series[0].points[9].y, 100.0);
  EXPECT_NEAR(c.series[1].points[19].y, 351.5, 1e-9);  // 50 counts x 7.03 keV/channel
  // Energy of channel 1 = 185.88 + 7.03 = 192.91 keV, at y = 0.
  EXPECT_NEAR(c.series[2].points[0].x, 192.91, 1e-9);
  EXPECT_EQ(c.series[2].points[0].y, 0.0);
  EXPECT_EQ(c.axis(AxisId::Bottom).title, "Channels");
  EXPECT_EQ(c.axis(AxisId::Left).title, "Yield");
  EXPECT_EQ(c.axis(AxisId::Top).title, "Detected energy [keV]");
  // Bottom: 1.1 x 600 + 1 = 661 (the simulated 1.1 x 600 = 660 is smaller); 70 apart.
  EXPECT_NEAR(c.axis(AxisId::Bottom).maximum, 661.0, 1e-9);
  EXPECT_NEAR(c.axis(AxisId::Bottom).increment, 70.0, 1e-9);
  // Left: measured 1.1 x 100 + 1 = 111, simulated 1.1 x 351.5 = 386.65 is larger.
  EXPECT_NEAR(c.axis(AxisId::Left).maximum, 386.65, 1e-9);
  // Top: 185.88 + 0 x 7.03 .. 185.88 + 661 x 7.03 = 4832.71 keV, increment 500.
  EXPECT_FALSE(c.axis(AxisId::Top).automatic);
  EXPECT_NEAR(c.axis(AxisId::Top).minimum, 185.88, 1e-9);
  EXPECT_NEAR(c.axis(AxisId::Top).maximum, 4832.71, 1e-9);
  EXPECT_NEAR(c.axis(AxisId::Top).increment, 500.0, 1e-9);
}

TEST_F(ChartSets, SpectrumMeasuredLargerThanSimulated) {
  s().CalcMode = CalculationMode::kDepthWalk;
  s().SpectrumFlag = SpectrumMode::kSpectrum;
  s().params.detkevch = 2.0;
  s().MeasuredSpectrum[300] = 1000.0;
  s().results.SimulatedSpectrum[300] = 10.0;  // x 2 = 20
  const Chart c = BuildChartSet(s(), ChartSetKind::SpectrumChart);
  EXPECT_NEAR(c.axis(AxisId::Left).maximum, 1101.0, 1e-9);  // 1.1 x 1000 + 1
  // Nothing measured nor simulated: 1.1 x 0 + 1 = 1.
  s().MeasuredSpectrum.fill(0.0);
  s().results.SimulatedSpectrum.fill(0.0);
  EXPECT_NEAR(BuildChartSet(s(), ChartSetKind::SpectrumChart).axis(AxisId::Left).maximum, 1.0,
              1e-12);
}

TEST_F(ChartSets, AlphaScanOneSeriesPerDepth) {
  s().CalcMode = CalculationMode::kOptimisation;
  s().params.dex = {0.0, 100.0, 1234.567, 123456.0};
  s().studies.angleScanRows = 3;
  for (int r = 1; r <= 3; ++r) {
    s().studies.angleScan.at(r, 1) = 10.0 * r;  // alpha
    for (int v = 3; v <= 6; ++v)
      s().studies.angleScan.at(r, v) = v * r;
  }
  const Chart c = BuildChartSet(s(), ChartSetKind::AlphaScan);
  EXPECT_EQ(c.series[0].title, "0.00 nm");
  EXPECT_EQ(c.series[1].title, "100.00 nm");
  // 1234.567 to 5 significant digits = 1234.6, shown with 2 decimals.
  EXPECT_EQ(c.series[2].title, "1234.60 nm");
  // Six integer digits: exponent notation.
  EXPECT_EQ(c.series[3].title, "1.2346E+05 nm");
  EXPECT_EQ(c.series[3].colour, colours::kYellow);
  EXPECT_EQ(c.series[2].colour, colours::kGreen);
  ASSERT_EQ(c.series[3].points.size(), 3U);  // rows 1..RowCount, all of them
  EXPECT_EQ(c.series[3].points[2].x, 30.0);
  EXPECT_EQ(c.series[3].points[2].y, 18.0);
  EXPECT_TRUE(c.series[4].points.empty());
  EXPECT_EQ(c.axis(AxisId::Bottom).title, "Alpha [deg]");
  EXPECT_NEAR(c.axis(AxisId::Left).maximum, 19.8, 1e-9);  // 1.1 x 18
}

TEST_F(ChartSets, OptimumBestResolutionAgainstDepth) {
  s().CalcMode = CalculationMode::kOptimisation;
  s().studies.bestByDepthRows = 2;
  s().studies.bestByDepth.at(1, 1) = 0.0;
  s().studies.bestByDepth.at(1, 2) = 5.0;
  s().studies.bestByDepth.at(2, 1) = 100.0;
  s().studies.bestByDepth.at(2, 2) = 7.0;
  const Chart c = BuildChartSet(s(), ChartSetKind::Optimum);
  EXPECT_EQ(c.series[0].title, "opt. depth res.");
  ASSERT_EQ(c.series[0].points.size(), 2U);
  EXPECT_EQ(c.series[0].points[1].y, 7.0);
  EXPECT_EQ(c.axis(AxisId::Left).title, "Depth resolution [nm]");
  EXPECT_NEAR(c.axis(AxisId::Bottom).maximum, 110.0, 1e-9);
}

TEST_F(ChartSets, EnergyLossStragglingOnTheRightAxis) {
  s().CalcMode = CalculationMode::kEnergyLoss;
  s().energyLossTable.rows = {
      {0.0, 3000.0, 100.0, 10.0}, {0.5, 2950.0, 102.0, 20.0}, {1.0, 2899.0, 104.0, 30.0}};
  s().results.RowCount = 2;  // the report counts one row less than it holds
  const Chart c = BuildChartSet(s(), ChartSetKind::EnergyLoss);
  EXPECT_EQ(c.series[0].title, "Stopping power");
  EXPECT_EQ(c.series[1].title, "Straggling");
  EXPECT_EQ(c.series[1].colour, colours::kRed);
  EXPECT_EQ(c.series[1].vertical, AxisId::Right);
  ASSERT_EQ(c.series[0].points.size(), 2U);
  EXPECT_EQ(c.series[0].points[1].x, 500.0);  // 0.5 micron in nm
  EXPECT_EQ(c.series[1].points[1].y, 20.0);
  EXPECT_EQ(c.axis(AxisId::Left).title, "Stopping power [keV/micron]");
  EXPECT_EQ(c.axis(AxisId::Right).title, "Straggling [keV]");
  EXPECT_TRUE(c.axis(AxisId::Right).automatic);
  EXPECT_NEAR(c.axis(AxisId::Left).maximum, 112.2, 1e-9);  // 1.1 x 102, not the 20
  EXPECT_NEAR(c.axis(AxisId::Bottom).maximum, 550.0, 1e-9);
  // A row count beyond the table's rows draws what there is.
  s().results.RowCount = 250;
  EXPECT_EQ(BuildChartSet(s(), ChartSetKind::EnergyLoss).series[0].points.size(), 3U);
}

TEST_F(ChartSets, TschalarRowsFromOne) {
  s().CalcMode = CalculationMode::kTschalar;
  s().results.RowCount = 2;
  s().results.table.at(1, 3) = 0.1;
  s().results.table.at(1, 4) = 5.0;
  s().results.table.at(1, 5) = 6.0;
  s().results.table.at(2, 3) = 0.2;
  s().results.table.at(2, 4) = 8.0;
  s().results.table.at(2, 5) = 9.0;
  const Chart c = BuildChartSet(s(), ChartSetKind::Tschalar);
  EXPECT_EQ(c.series[0].title, "without inhomogeneity");
  EXPECT_EQ(c.series[1].title, "with inhomogeneity");
  ASSERT_EQ(c.series[1].points.size(), 2U);
  EXPECT_EQ(c.series[1].points[1].x, 0.2);
  EXPECT_EQ(c.series[1].points[1].y, 9.0);
  EXPECT_EQ(c.axis(AxisId::Bottom).title, "rel. energy loss");
  EXPECT_EQ(c.axis(AxisId::Left).title, "Straggling [keV]");
  EXPECT_NEAR(c.axis(AxisId::Left).maximum, 9.9, 1e-12);
}

TEST_F(ChartSets, ResonanceSets) {
  s().CalcMode = CalculationMode::kExcitationCurve;
  s().studies.resonanceRows = 3;
  for (int r = 1; r <= 3; ++r)
    for (int col = 1; col <= 11; ++col)
      s().studies.resonance.at(r, col) = col * 10.0 + r;
  Chart c = BuildChartSet(s(), ChartSetKind::ExcitationCurve);
  EXPECT_EQ(c.series[0].title, "Excitation curve");
  ASSERT_EQ(c.series[0].points.size(), 3U);
  EXPECT_EQ(c.series[0].points[0].x, 21.0);   // column 2
  EXPECT_EQ(c.series[0].points[0].y, 111.0);  // column 11
  EXPECT_EQ(c.axis(AxisId::Bottom).title, "Incident energy [keV]");
  EXPECT_TRUE(c.axis(AxisId::Bottom).automatic);
  EXPECT_EQ(c.axis(AxisId::Left).title, "Yield");
  EXPECT_NEAR(c.axis(AxisId::Left).maximum, 1.1 * 113.0, 1e-9);

  c = BuildChartSet(s(), ChartSetKind::ResonanceDepthResolution);
  EXPECT_EQ(c.series[0].title, "Depth res.");
  EXPECT_EQ(c.series[0].points[2].x, 13.0);   // column 1
  EXPECT_EQ(c.series[0].points[2].y, 103.0);  // column 10

  c = BuildChartSet(s(), ChartSetKind::ResonanceEnergyResolution);
  const char* titles[] = {"total+FWHM", "total",      "beam energy", "beam angular",
                          "Doppler",    "straggling", "MS in"};
  const int columns[] = {9, 8, 4, 5, 3, 6, 7};
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(c.series[i].title, titles[i]);
    EXPECT_EQ(c.series[i].points[0].y, columns[i] * 10.0 + 1.0);
  }
  EXPECT_EQ(c.series[3].colour, colours::kYellow);
  EXPECT_FALSE(c.series[7].inLegend);
  EXPECT_EQ(c.axis(AxisId::Left).title, "Energy resolution [keV]");
}

TEST_F(ChartSets, BeamEnergiesBelowTheResonanceHaveNoDepthToDraw) {
  s().CalcMode = CalculationMode::kExcitationCurve;
  s().studies.resonanceRows = 3;
  // Row 1: 4250 keV, below a 4260 keV resonance: only the energy and the counts.
  s().studies.resonance.at(1, 2) = 4250.0;
  s().studies.resonance.at(1, 11) = 500.0;
  // Row 2: 4260 keV, resonance at the surface: depth 0 but spreads.
  s().studies.resonance.at(2, 2) = 4260.0;
  for (int col = 3; col <= 10; ++col)
    s().studies.resonance.at(2, col) = 2.0;
  s().studies.resonance.at(2, 11) = 900.0;
  s().studies.resonance.at(3, 1) = 40.0;
  s().studies.resonance.at(3, 2) = 4270.0;
  for (int col = 3; col <= 10; ++col)
    s().studies.resonance.at(3, col) = 3.0;
  EXPECT_EQ(BuildChartSet(s(), ChartSetKind::ExcitationCurve).series[0].points.size(), 3U);
  const Chart depth = BuildChartSet(s(), ChartSetKind::ResonanceDepthResolution);
  ASSERT_EQ(depth.series[0].points.size(), 2U);
  EXPECT_EQ(depth.series[0].points[0].x, 0.0);
  EXPECT_EQ(depth.series[0].points[0].y, 2.0);
  EXPECT_EQ(BuildChartSet(s(), ChartSetKind::ResonanceEnergyResolution).series[6].points.size(),
            2U);
}

TEST_F(ChartSets, ShortNamesAreDistinctFileNameParts) {
  using K = ChartSetKind;
  std::vector<std::string> names;
  for (K k : {K::SpectrumChart, K::DepthResolution, K::EnergyResolution, K::AlphaScan, K::Optimum,
              K::EnergyLoss, K::Tschalar, K::ExcitationCurve, K::ResonanceDepthResolution,
              K::ResonanceEnergyResolution, K::FitResiduals}) {
    const std::string name(ChartSetShortName(k));
    EXPECT_EQ(name.find_first_of(" /.\\"), std::string::npos) << name;
    EXPECT_EQ(std::count(names.begin(), names.end(), name), 0) << name;
    names.push_back(name);
  }
  EXPECT_EQ(ChartSetShortName(K::DepthResolution), "depth-resolution");
}

TEST_F(ChartSets, SpectrumFitAddsItsResidualsInUnitsOfTheFittedSpread) {
  using K = ChartSetKind;
  s().CalcMode = CalculationMode::kDepthWalk;
  s().SpectrumFlag = SpectrumMode::kSpectrum;
  EXPECT_EQ(ChartSetsFor(s()), std::vector<K>{K::SpectrumChart});
  s().studies.fitFirstChannel = 10;
  s().studies.fitLastChannel = 12;
  EXPECT_EQ(ChartSetsFor(s()), (std::vector<K>{K::SpectrumChart, K::FitResiduals}));
  s().params.detkevch = 2.0;
  s().results.SimulatedSpectrum = Spectrum(600);
  s().results.SimulatedSpectrum[10] = 50.0;  // 100 counts fitted
  s().results.SimulatedSpectrum[11] = 0.2;   // 0.4 counts: the spread of one count
  s().MeasuredSpectrum = Spectrum(600);
  s().MeasuredSpectrum[10] = 120.0;
  s().MeasuredSpectrum[11] = 2.0;
  const Chart c = BuildChartSet(s(), K::FitResiduals);
  ASSERT_EQ(c.series[0].points.size(), 3U);
  EXPECT_DOUBLE_EQ(c.series[0].points[0].x, 10.0);
  EXPECT_DOUBLE_EQ(c.series[0].points[0].y, 2.0);  // (120 - 100) / sqrt(100)
  EXPECT_DOUBLE_EQ(c.series[0].points[1].y, 1.6);  // (2 - 0.4) / 1
  EXPECT_DOUBLE_EQ(c.series[0].points[2].y, 0.0);  // nothing measured, nothing fitted
}

}  // namespace
}  // namespace dodavev
