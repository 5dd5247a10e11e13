// The drawing window's behaviour without widgets: "Next" through the sets, "Profile",
// "Close" and the axis panel.
#include "charts/drawing_state.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "app/session.hpp"
#include "charts/axis_panel.hpp"
#include "model/messages.hpp"

namespace dodavev {
namespace {

class DrawingWindowState : public ::testing::Test {
 protected:
  DrawingWindowState() : session_(std::make_unique<Session>(sink_)) {
    Session& s = *session_;
    s.results.RowCount = 3;
    for (int r = 0; r < 3; ++r) {
      s.results.table.at(r, 1) = 50.0 * r;
      for (int v = 2; v <= 26; ++v)
        s.results.table.at(r, v) = 1.0 + r;
    }
    s.studies.resonanceRows = 2;
    for (int r = 1; r <= 2; ++r)
      for (int c = 1; c <= 11; ++c)
        s.studies.resonance.at(r, c) = c + r;
    // One layer of carbon-12 for the profile.
    s.elements[6].symbol = {'C', ' '};
    Layer layer;
    layer.thickness = 0.2;
    layer.density = 10.0;
    layer.amountSum = 1.0;
    LayerElement c;
    c.symbol = {'C', ' '};
    c.Z = 6;
    c.amount = 1.0;
    c.massNumber = 12;
    layer.elements.push_back(c);
    s.sample.layers.push_back(layer);
  }
  Session& s() { return *session_; }
  CollectingSink sink_;
  std::unique_ptr<Session> session_;
  DrawingState state_;
};

TEST_F(DrawingWindowState, NextAlternatesBetweenDepthAndEnergyResolution) {
  s().CalcMode = CalculationMode::kDepthWalk;
  s().SpectrumFlag = SpectrumMode::kShown;
  state_.Activate(s());
  EXPECT_EQ(state_.SetCount(), 2);
  EXPECT_TRUE(state_.NextVisible());
  EXPECT_EQ(state_.Index(), 1);
  EXPECT_EQ(state_.chart().series[0].title, "depth res.");
  state_.Next(s());
  EXPECT_EQ(state_.Index(), 2);
  EXPECT_EQ(state_.chart().series[0].title, "energy res.");
  state_.Next(s());
  EXPECT_EQ(state_.Index(), 1);
  EXPECT_EQ(state_.chart().series[0].title, "depth res.");
  EXPECT_EQ(state_.chart().series[1].title, " ");  // the energy set's series are gone
}

TEST_F(DrawingWindowState, NextCyclesTheThreeResonanceSets) {
  s().CalcMode = CalculationMode::kExcitationCurve;
  state_.Activate(s());
  EXPECT_EQ(state_.SetCount(), 3);
  const char* firstTitles[] = {"Excitation curve", "Depth res.", "total+FWHM", "Excitation curve"};
  for (int step = 0; step < 4; ++step) {
    EXPECT_EQ(state_.Index(), step % 3 + 1);
    EXPECT_EQ(state_.chart().series[0].title, firstTitles[step]);
    state_.Next(s());
  }
}

TEST_F(DrawingWindowState, ActivationStartsAtTheFirstSetOfTheLastCalculation) {
  s().CalcMode = CalculationMode::kExcitationCurve;
  state_.Activate(s());
  state_.Next(s());
  s().CalcMode = CalculationMode::kEnergyLoss;
  state_.Activate(s());
  EXPECT_EQ(state_.Index(), 1);
  EXPECT_FALSE(state_.NextVisible());
  EXPECT_EQ(state_.CurrentSet(), ChartSetKind::EnergyLoss);
  // "Next" with one set stays on it.
  state_.Next(s());
  EXPECT_EQ(state_.Index(), 1);
}

TEST_F(DrawingWindowState, NothingCalculatedDrawsNoSet) {
  s().CalcMode = CalculationMode::kNone;
  s().parameterFileName = "a.par";
  state_.Activate(s());
  EXPECT_EQ(state_.SetCount(), 0);
  EXPECT_EQ(state_.Index(), 0);
  EXPECT_FALSE(state_.NextVisible());
  EXPECT_EQ(state_.chart().title, "a.par");
  state_.Next(s());  // harmless
  EXPECT_EQ(state_.Index(), 0);
}

TEST_F(DrawingWindowState, NextAfterProfileLeavesNoIsotopeOnTheSet) {
  s().CalcMode = CalculationMode::kDepthWalk;
  s().SpectrumFlag = SpectrumMode::kResolution;
  state_.Activate(s());
  state_.ShowProfile(s());
  EXPECT_TRUE(state_.ProfileShown());
  EXPECT_EQ(state_.chart().series[0].title, "  12 C");
  state_.Next(s());
  EXPECT_FALSE(state_.ProfileShown());
  EXPECT_EQ(state_.Index(), 2);
  for (const ChartSeries& series : state_.chart().series)
    EXPECT_NE(series.title, "  12 C");
  EXPECT_EQ(state_.chart().axis(AxisId::Bottom).title, "Depth [nm]");
}

TEST_F(DrawingWindowState, CloseEndsTheResultsViewOfADepthRunOnly) {
  s().CalcMode = CalculationMode::kDepthWalk;
  s().SpectrumFlag = SpectrumMode::kShown;
  DrawingState::Close(s());
  EXPECT_EQ(s().SpectrumFlag, SpectrumMode::kSpectrum);
  s().SpectrumFlag = SpectrumMode::kResolution;
  DrawingState::Close(s());
  EXPECT_EQ(s().SpectrumFlag, SpectrumMode::kResolution);
  s().CalcMode = CalculationMode::kExcitationCurve;
  s().SpectrumFlag = SpectrumMode::kShown;
  DrawingState::Close(s());
  EXPECT_EQ(s().SpectrumFlag, SpectrumMode::kShown);
}

TEST_F(DrawingWindowState, AxisPanelOpensWithTheAxisValues) {
  s().CalcMode = CalculationMode::kDepthWalk;
  s().SpectrumFlag = SpectrumMode::kResolution;
  state_.Activate(s());
  const AxisPanelFields f = OpenAxisPanel(state_.chart(), AxisId::Bottom);
  EXPECT_EQ(f.label, "Bottom axis");
  EXPECT_EQ(f.Edit_amin, "         0.0");  // "%12.1f"
  EXPECT_EQ(f.Edit_amax, "        55.0");  // 1.1 x 50 nm
  // 55/10 = 5.5, d = 0; 5.5 rounds half to even -> 6.
  EXPECT_EQ(f.Edit_ainc, "         6.0");
  EXPECT_EQ(f.Edit_Caption, "Depth [nm]");
  EXPECT_TRUE(f.visible);
  EXPECT_TRUE(f.grid);
  EXPECT_EQ(OpenAxisPanel(state_.chart(), AxisId::Right).label, "Right axis");
  EXPECT_EQ(OpenAxisPanel(state_.chart(), AxisId::Left).label, "Left axis");
}

TEST_F(DrawingWindowState, BottomRangeOfTheSpectrumMovesTheEnergyAxis) {
  s().CalcMode = CalculationMode::kDepthWalk;
  s().SpectrumFlag = SpectrumMode::kSpectrum;
  s().params.dete0 = 185.88;
  s().params.detkevch = 7.03;
  state_.Activate(s());
  AxisPanelFields f = OpenAxisPanel(state_.chart(), AxisId::Bottom);
  f.Edit_amin = "100";
  f.Edit_amax = "300";
  f.Edit_Caption = "Channel";
  state_.ApplyAxis(AxisId::Bottom, f, s());
  EXPECT_TRUE(sink_.messages.empty());
  const ChartAxis& bottom = state_.chart().axis(AxisId::Bottom);
  EXPECT_EQ(bottom.minimum, 100.0);
  EXPECT_EQ(bottom.maximum, 300.0);
  EXPECT_EQ(bottom.title, "Channel");
  const ChartAxis& top = state_.chart().axis(AxisId::Top);
  // 185.88 + 100 x 7.03 = 888.88; 185.88 + 300 x 7.03 = 2294.88 keV.
  EXPECT_NEAR(top.minimum, 888.88, 1e-9);
  EXPECT_NEAR(top.maximum, 2294.88, 1e-9);
  // 229.488 -> d = 2, 2.29 -> 2 -> 200.
  EXPECT_NEAR(top.increment, 200.0, 1e-9);
}

TEST_F(DrawingWindowState, BottomRangeWithoutEnergyAxisLeavesTheTopAlone) {
  s().CalcMode = CalculationMode::kDepthWalk;
  s().SpectrumFlag = SpectrumMode::kResolution;
  state_.Activate(s());
  AxisPanelFields f = OpenAxisPanel(state_.chart(), AxisId::Bottom);
  f.Edit_amax = "80";
  state_.ApplyAxis(AxisId::Bottom, f, s());
  EXPECT_TRUE(state_.chart().axis(AxisId::Top).automatic);
  EXPECT_EQ(state_.chart().axis(AxisId::Bottom).maximum, 80.0);
}

TEST_F(DrawingWindowState, AxisPanelNumbersThatAreNotNumbers) {
  s().CalcMode = CalculationMode::kDepthWalk;
  s().SpectrumFlag = SpectrumMode::kResolution;
  state_.Activate(s());
  AxisPanelFields f = OpenAxisPanel(state_.chart(), AxisId::Left);
  const double before = state_.chart().axis(AxisId::Left).maximum;
  f.Edit_amax = "12,5";  // a comma is no decimal point
  f.Edit_Caption = "FWHM [nm]";
  f.grid = false;
  state_.ApplyAxis(AxisId::Left, f, s());
  ASSERT_EQ(sink_.messages.size(), 1U);
  EXPECT_EQ(sink_.messages[0], "The axis Maximum is not a number: 12,5");
  EXPECT_EQ(state_.chart().axis(AxisId::Left).maximum, before);
  EXPECT_EQ(state_.chart().axis(AxisId::Left).title, "FWHM [nm]");  // the rest applies
  EXPECT_FALSE(state_.chart().axis(AxisId::Left).grid);
}

TEST_F(DrawingWindowState, AxisPanelRangeTurnedRoundIsRefused) {
  s().CalcMode = CalculationMode::kDepthWalk;
  s().SpectrumFlag = SpectrumMode::kResolution;
  state_.Activate(s());
  AxisPanelFields f = OpenAxisPanel(state_.chart(), AxisId::Left);
  f.Edit_amin = "10";
  f.Edit_amax = "10";
  state_.ApplyAxis(AxisId::Left, f, s());
  ASSERT_EQ(sink_.messages.size(), 1U);
  EXPECT_EQ(sink_.messages[0], "The axis Minimum must be below its Maximum");
  EXPECT_EQ(state_.chart().axis(AxisId::Left).minimum, 0.0);
  f.Edit_amin = "0";
  f.Edit_ainc = "-1";
  state_.ApplyAxis(AxisId::Left, f, s());
  EXPECT_EQ(sink_.messages.size(), 2U);
  EXPECT_EQ(state_.chart().axis(AxisId::Left).maximum, 10.0);
  // Both ends finite, but their distance is not.
  f.Edit_amin = "-1e308";
  f.Edit_amax = "1e308";
  f.Edit_ainc = "0";
  state_.ApplyAxis(AxisId::Left, f, s());
  ASSERT_EQ(sink_.messages.size(), 3U);
  EXPECT_EQ(sink_.messages[2], "The axis range is too wide to draw");
  EXPECT_EQ(state_.chart().axis(AxisId::Left).maximum, 10.0);
}

TEST_F(DrawingWindowState, RightAxisKeepsScalingItselfUntilMadeVisible) {
  s().CalcMode = CalculationMode::kEnergyLoss;
  s().energyLossTable.rows = {{0.0, 3000.0, 100.0, 10.0}, {0.5, 2950.0, 102.0, 20.0}};
  s().results.RowCount = 2;
  state_.Activate(s());
  AxisPanelFields f = OpenAxisPanel(state_.chart(), AxisId::Right);
  f.Edit_amin = "0";
  f.Edit_amax = "50";
  f.visible = false;
  state_.ApplyAxis(AxisId::Right, f, s());
  EXPECT_TRUE(state_.chart().axis(AxisId::Right).automatic);
  f.visible = true;
  state_.ApplyAxis(AxisId::Right, f, s());
  EXPECT_FALSE(state_.chart().axis(AxisId::Right).automatic);
  EXPECT_EQ(state_.chart().axis(AxisId::Right).maximum, 50.0);
}

}  // namespace
}  // namespace dodavev
