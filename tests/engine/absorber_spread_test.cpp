#include "engine/absorber_spread.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "app/session_fixture.hpp"
#include "engine/run_state.hpp"
#include "io/layer_parser.hpp"

namespace dodavev {
namespace {

TEST(AbsorberHalfMaximum, CrossingsOfATriangleByLinearInterpolation) {
  AbsorberGrid grid(AbsorberGridSize(600), 0.0);
  // Channels 100..104 (indices 150..154) hold 0, 2, 4, 2, 0: maximum 4 at channel 102, half
  // maximum 2 reached exactly at channels 101 and 103.
  grid[151] = 2.0;
  grid[152] = 4.0;
  grid[153] = 2.0;
  const HalfMaximum h = FindHalfMaximum(grid);
  ASSERT_TRUE(h.found);
  EXPECT_DOUBLE_EQ(h.peakChannel, 102.0);
  ASSERT_TRUE(h.lowerFound);
  ASSERT_TRUE(h.upperFound);
  EXPECT_NEAR(h.lower, 101.0, 1e-12);
  EXPECT_NEAR(h.upper, 103.0, 1e-12);
}

TEST(AbsorberHalfMaximum, DistributionRunningOffTheGridHasNoUpperCrossing) {
  AbsorberGrid grid(AbsorberGridSize(600), 0.0);
  grid[grid.size() - 1] = 5.0;
  grid[grid.size() - 2] = 4.0;
  const HalfMaximum h = FindHalfMaximum(grid);
  EXPECT_TRUE(h.found);
  EXPECT_TRUE(h.lowerFound);
  EXPECT_FALSE(h.upperFound);
  EXPECT_FALSE(FindHalfMaximum(AbsorberGrid(AbsorberGridSize(600), 0.0)).found);
  EXPECT_FALSE(FindHalfMaximum(AbsorberGrid{}).found);
}

class FoilDetectorSide : public testing::StartedSession {
 protected:
  void SetUp() override {
    CollectingSink sink;
    // 6 micron of Mylar (C10H8O4, 9.6e22 atoms/cm3) in front of the detector.
    ParseLayerStructure("A=60000\nn=9.6e22\nc,10\nh,8\no,4\n", foil_, session().elements, 2, 1,
                        sink);
    ASSERT_EQ(foil_.layers.size(), 1U);
    settings_.detkevch = 1.0;
    settings_.dete0 = 0.0;
    settings_.thr = 10.0;
    ASSERT_EQ(BuildAbsorberTable(table_, foil_, proton_, FoilSettings{0.05, 0.0, {}}, model()), 1);
  }
  StoppingModel model() const { return StoppingModel{session_->elements, nullptr, false}; }
  // Independent expectation: a Gaussian front distribution of FWHM `width` carried through a
  // foil whose exit energy changes by S_exit / S_entry per keV of entry energy (Tschalar),
  // widened by the foil straggling (sigma of the foil table) and the 16 keV detector, in
  // quadrature.
  double IndependentGaussianSum(double mean, double width) const {
    const AbsorberPassage pass = InterpolateAbsorber(table_, mean);
    const StoppingModel m = model();
    const double sEntry = LayerStopping(foil_.layers.front(), 1, 1.0, mean, m);
    const double sExit = LayerStopping(foil_.layers.front(), 1, 1.0, pass.exitEnergy, m);
    return std::sqrt(std::pow(width * sExit / sEntry, 2) + std::pow(2.35 * pass.sigma, 2) + 256.0);
  }

  LayerStructure foil_;
  AbsorberTable table_;
  Ion proton_{1, 1.0, 1.0};
  AbsorberSpreadSettings settings_;
  RunState run_;
};

// The detected distribution (about 800 keV) near channel 400, and near channel 2700 on a
// detector of 4096 channels, whose grid reaches its last channel.
TEST_F(FoilDetectorSide, GaussianThroughTheFoilAddsLikeIndependentGaussians) {
  const double mean = 1000.0;
  const double width = 20.0;
  const double expected = IndependentGaussianSum(mean, width);
  const AbsorberPassage pass = InterpolateAbsorber(table_, mean);
  ASSERT_FALSE(pass.stopped);
  for (const auto& [dete0, channels] : {std::pair{400.0, 0}, std::pair{-2000.0, 4096}}) {
    SCOPED_TRACE(dete0);
    settings_.dete0 = dete0;
    if (channels > 0) settings_.channels = channels;
    FoilDetectorStage stage(table_, foil_, proton_, model(), settings_, run_);
    const AbsorberSpread s = stage.Spread(mean, width, 100.0);
    if (channels > 0) {
      EXPECT_EQ(stage.grid().size(), static_cast<std::size_t>(channels + 51));
    }
    // Half maximum of a 1 keV channel grid located by linear interpolation: 2 %.
    EXPECT_NEAR(s.total, expected, 0.02 * expected);
    // The lower half maximum lies half the total below the exit energy (1 keV channels).
    EXPECT_NEAR(s.halfWidthIndex, pass.exitEnergy - dete0 - s.total / 2.0, 0.02 * expected);
    EXPECT_EQ(run_.thresholdCounter, 0);
  }
}

TEST_F(FoilDetectorSide, DistributionAtOrBelowTheFirstChannelsIsUnresolved) {
  // Centred on channel 0 (its lower half maximum below channel 1 and its maximum below
  // channel 2), and about 730 keV behind the foil, channel -170.
  for (double dete0 : {InterpolateAbsorber(table_, 1000.0).exitEnergy, 900.0}) {
    SCOPED_TRACE(dete0);
    settings_.dete0 = dete0;
    FoilDetectorStage stage(table_, foil_, proton_, model(), settings_, run_);
    const AbsorberSpread s = stage.Spread(1000.0, 20.0, 100.0);
    EXPECT_LE(s.halfWidthIndex, 1.0);
    EXPECT_DOUBLE_EQ(s.total, 10000.0);
  }
}

TEST_F(FoilDetectorSide, DistributionBeyondTheLastChannelIsTakenAnalytically) {
  settings_.dete0 = -2000.0;  // exit energies near channel 2700
  FoilDetectorStage stage(table_, foil_, proton_, model(), settings_, run_);
  const AbsorberSpread s = stage.Spread(1000.0, 20.0, 100.0);
  EXPECT_GT(s.halfWidthIndex, 1.0);
  EXPECT_GT(s.total, 16.0);
  EXPECT_LT(s.total, 100.0);
}

TEST_F(FoilDetectorSide, ParticlesStoppedInTheFoilNeverReachTheDetector) {
  FoilDetectorStage stage(table_, foil_, proton_, model(), settings_, run_);
  // Far below the lowest energy that gets through 6 micron of Mylar.
  const AbsorberSpread s = stage.Spread(50.0, 5.0, 100.0);
  EXPECT_DOUBLE_EQ(s.total, 10000.0);
}

}  // namespace
}  // namespace dodavev
