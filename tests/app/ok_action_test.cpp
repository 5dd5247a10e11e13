#include "app/ok_action.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/parameter_actions.hpp"
#include "app/session_fixture.hpp"

namespace dodavev {
namespace {

using ::testing::ElementsAre;

class OkAction : public testing::StartedSession {
 protected:
  // The default sample is one silicon-carbide substrate; without a working layer parser
  // the steps that need it cannot be checked.
  bool SampleParsed() { return !session().sample.empty(); }
};

TEST_F(OkAction, DefaultsReportNothingAndDeriveTheGeometry) {
  Button5Click(session());
  if (!SampleParsed()) GTEST_SKIP() << "the layer parser does not build the sample yet";
  EXPECT_TRUE(messages().empty()) << messages().front();
  EXPECT_FALSE(session().parametersVisible);
  // Circular diaphragm of 8 mm at 100 mm: pi * 8^2 / 4 / 100^2 sr = 5.0265482 msr
  // (pi * 16 / 10000 * 1000); to 1e-9 msr.
  EXPECT_NEAR(params().solid_angle, 5.0265482457, 1e-9);
  // Rounded to three significant digits (5.03), shown with three decimals.
  EXPECT_EQ(params().Label35, "5.030");
  EXPECT_EQ(session().activePage, "Detection");
  // Depth step 0.05 micron; the typed multiples 0, 2, 4, 6 become 0, 100, 200, 300 nm.
  EXPECT_DOUBLE_EQ(params().x, 0.05);
  EXPECT_NEAR(params().dex[0], 0.0, 1e-12);
  EXPECT_NEAR(params().dex[1], 100.0, 1e-9);
  EXPECT_NEAR(params().dex[2], 200.0, 1e-9);
  EXPECT_NEAR(params().dex[3], 300.0, 1e-9);
  EXPECT_EQ(session().sample.layerCount(), 1);
  EXPECT_TRUE(session().absorber.empty());
  EXPECT_EQ(params().geometry, 'C');
  EXPECT_EQ(params().det_shape, 'C');
  EXPECT_EQ(params().beam_shape, 'R');
  EXPECT_DOUBLE_EQ(params().beam_width, 0.5);  // the rectangular slit's width, not the diameter
  EXPECT_DOUBLE_EQ(params().det_length, 8.0);  // a circle is as long as it is wide
  EXPECT_EQ(params().kin_sign, 1);
}

TEST_F(OkAction, RunningTwiceGivesTheSameDepthsNotScaledTwice) {
  Button5Click(session());
  Button5Click(session());
  EXPECT_NEAR(params().dex[3], 300.0, 1e-9);  // 6 * 0.05 micron, in nm
}

TEST_F(OkAction, TrailingBlankIsAFormatErrorLeadingBlankIsNot) {
  params().Edit1_e0 = "3100 ";
  Button5Click(session());
  ASSERT_FALSE(messages().empty());
  EXPECT_EQ(messages().front(), "Problem with the parameters");
  EXPECT_EQ(std::count(messages().begin(), messages().end(), "Problem with the parameters"), 1);
  EXPECT_TRUE(session().parametersVisible);

  messages().clear();
  params().Edit1_e0 = " 3200";
  Button5Click(session());
  EXPECT_EQ(std::count(messages().begin(), messages().end(), "Problem with the parameters"), 0);
  EXPECT_DOUBLE_EQ(params().e0, 3200.0);
}

TEST_F(OkAction, FieldWithAFormatErrorTakesItsDefaultValue) {
  params().Edit1_e0 = "1,5";              // decimal comma
  params().Edit1_chargestate_in = "1.0";  // an integer field takes no point
  Button5Click(session());
  EXPECT_DOUBLE_EQ(params().e0, 3100.0);
  EXPECT_EQ(params().chargestate_in, 2);
}

TEST_F(OkAction, ThreeBadResolutionFieldsAreCountedInOneMessage) {
  params().Edit1_detres0 = "a";
  params().Edit1_detres2 = "";
  params().Edit1_detres4 = "1e";
  session().Panel3Visible = true;
  Button5Click(session());
  ASSERT_GE(messages().size(), 2U);
  EXPECT_EQ(messages()[0], "problem with the parameters of detector resolution3");
  EXPECT_EQ(messages()[1], "Problem with the parameters");
  EXPECT_TRUE(session().Panel3Visible);  // the panel stays open for the correction
}

TEST_F(OkAction, ResolutionThenCalibrationThenTotalInThatOrder) {
  params().Edit1_detres1 = "x";
  params().Edit1_dete0 = "185,88";
  params().Edit1_q1 = "-";
  session().Panel14Visible = true;
  Button5Click(session());
  ASSERT_GE(messages().size(), 3U);
  EXPECT_EQ(messages()[0], "problem with the parameters of detector resolution1");
  EXPECT_EQ(messages()[1], "problem with the parameters of detector calibration");
  EXPECT_EQ(messages()[2], "Problem with the parameters");
  EXPECT_TRUE(session().Panel14Visible);
}

TEST_F(OkAction, PanelButtonsCloseTheirPanelOnlyWhenTheFieldsRead) {
  session().Panel3Visible = true;
  session().Panel14Visible = true;
  Button10Click(session());
  Button11Click(session());
  EXPECT_FALSE(session().Panel3Visible);
  EXPECT_FALSE(session().Panel14Visible);
  EXPECT_TRUE(messages().empty());
  params().Edit1_detkevch = "";
  session().Panel14Visible = true;
  EXPECT_EQ(CheckDetectorCalibration(session()), 1);
  EXPECT_TRUE(session().Panel14Visible);
}

TEST_F(OkAction, BadDistanceAndDiaphragmHaveTheirOwnUncountedMessages) {
  params().Edit1_d = "10O";  // letter O
  params().Edit1_detdia = "eight";
  Button5Click(session());
  ASSERT_GE(messages().size(), 2U);
  EXPECT_EQ(messages()[0], "detector distance is not well defined");
  EXPECT_EQ(messages()[1], "diameter of the diafragma is not well defined");
  // Not format errors of the parameter pages.
  EXPECT_EQ(std::count(messages().begin(), messages().end(), "Problem with the parameters"), 0);
}

TEST_F(OkAction, ZeroDistanceIsNotWellDefinedInsteadOfAnInfiniteSolidAngle) {
  params().Edit1_d = "0";
  CheckDetectionGeometry(session());
  EXPECT_THAT(messages(), ElementsAre("detector distance is not well defined"));
  EXPECT_TRUE(std::isfinite(params().solid_angle));
}

TEST_F(OkAction, RectangularSlitAreaAndOneMessagePerBadSide) {
  SelectRadio(params().RadioButton4, params().RadioButton3);
  CheckDetectionGeometry(session());
  EXPECT_TRUE(messages().empty());
  // 8.4 mm x 6 mm at 100 mm: 50.4 / 10000 sr = 5.04 msr; to 1e-12 msr.
  EXPECT_NEAR(params().solid_angle, 5.04, 1e-12);
  EXPECT_EQ(params().Label35, "5.040");

  params().Edit1_ss = "-1";
  params().Edit1_hossz = "6 mm";
  CheckDetectionGeometry(session());
  EXPECT_THAT(messages(), ElementsAre("detector slit is not well defined",
                                      "detector slit is not well defined"));
  EXPECT_GE(params().solid_angle, 0.0);  // never a negative solid angle
}

TEST_F(OkAction, OneChargeStateMessageEvenWhenBothAreTooLarge) {
  params().Edit1_chargestate_in = "3";  // helium has two electrons to lose, not three
  params().Edit1_chargestate_out = "5";
  Button5Click(session());
  EXPECT_EQ(
      std::count(messages().begin(), messages().end(), "Problem with the charge state parameters"),
      1);
  EXPECT_TRUE(session().parametersVisible);
}

TEST_F(OkAction, EmptySampleIsReportedAndShowsTheSamplePage) {
  params().richedit1.clear();
  params().Edit1_monothick = "1e15";  // nothing to take a density from
  Button5Click(session());
  EXPECT_EQ(std::count(messages().begin(), messages().end(), "Target is not defined"), 1);
  EXPECT_EQ(session().activePage, "Sample");
  EXPECT_TRUE(session().parametersVisible);
  EXPECT_DOUBLE_EQ(params().x, 0.05);  // the typed depth step stays
}

TEST_F(OkAction, MonolayerThicknessBecomesTheDepthStep) {
  params().Edit1_monothick = "1e15";
  Button5Click(session());
  if (!SampleParsed()) GTEST_SKIP() << "the layer parser does not build the sample yet";
  // 1e15 at/cm2 over 9.64e22 at/cm3 = 1.0373444e-8 cm = 1.0373444e-4 micron; to 1e-12.
  EXPECT_NEAR(params().x, 1.0373444e-4, 1e-12);
  // The optimisation depths follow the new step: 2 steps = 0.20746888 nm.
  EXPECT_NEAR(params().dex[1], 0.20746888, 1e-8);
}

TEST_F(OkAction, NraConstantErrorIsNeitherCountedNorReported) {
  params().Edit1_NRACrossConstant = "lots";
  Button5Click(session());
  EXPECT_EQ(std::count(messages().begin(), messages().end(), "Problem with the parameters"), 0);
  EXPECT_DOUBLE_EQ(params().NRACrossConstant, 100.0);
}

TEST_F(OkAction, OkEmptiesTheSecondReportAndTheStoppingNote) {
  session().results.detailReport = "old table";
  session().stoppingDataNote = "old note";
  Button5Click(session());
  EXPECT_TRUE(session().results.detailReport.empty());
  EXPECT_TRUE(session().stoppingDataNote.empty());
}

TEST(SolidAngleLabel, ThreeSignificantDigitsWithThreeDecimals) {
  EXPECT_EQ(FormatSolidAngle(5.0265482), "5.030");
  EXPECT_EQ(FormatSolidAngle(0.0123456), "0.012");
  EXPECT_EQ(FormatSolidAngle(12.345), "12.300");
  EXPECT_EQ(FormatSolidAngle(0.0), "0.000");
}

TEST(MasterSwitches, NothingThenAllLeavesEveryContributionOnButLateralSpread) {
  ParameterInputs in;
  in.CheckKinematic = true;
  CheckNothingClick(in, true);
  EXPECT_FALSE(in.CheckBeam || in.CheckStraggling || in.CheckChu || in.CheckYang || in.CheckMS ||
               in.CheckMS_max || in.CheckDoppler || in.CheckGeo || in.CheckDet || in.CheckAll ||
               in.Checktschalar);
  EXPECT_TRUE(in.CheckKinematic);  // not a spread contribution
  CheckAllClick(in, true);
  EXPECT_TRUE(in.CheckBeam && in.CheckStraggling && in.CheckChu && in.CheckYang && in.CheckMS &&
              in.CheckDoppler && in.CheckGeo && in.CheckDet && in.Checktschalar && in.CheckAll);
  EXPECT_FALSE(in.CheckMS_max);
  EXPECT_FALSE(in.CheckNothing);
  // Unchecking a master switch changes nothing else.
  CheckAllClick(in, false);
  EXPECT_TRUE(in.CheckBeam && in.CheckMS);
}

}  // namespace
}  // namespace dodavev
