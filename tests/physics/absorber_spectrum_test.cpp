#include "physics/absorber_spectrum.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/element_table.hpp"

namespace dodavev {
namespace {

constexpr std::size_t kChannelsForTest = 601;

// A foil table that takes exactly 300 keV from every particle and spreads it with a
// standard deviation of 5 keV: rows at the usual entry energies E1 + (200000 - E1)^(k/40)
// with E1 = 300 keV, exit = entry - 300. The table is interpolated quadratically in
// ln(entry - E1) of ln(exit) = ln(entry - 300): a straight line, reproduced exactly.
AbsorberTable LosingTable(double loss, double sigma) {
  AbsorberTable t;
  t.rows[0] = {loss, 0.0, 0.0};
  for (int k = 2; k <= kAbsorberRows; ++k) {
    const double entry = loss + std::pow(kAbsorberTopEnergy - loss, k / 40.0);
    t.rows[static_cast<std::size_t>(k - 1)] = {entry, entry - loss, sigma};
  }
  return t;
}

LayerStructure OneLayerFoil() {
  LayerStructure foil;
  Layer layer;
  layer.thickness = 1.0;
  layer.density = 10.0;
  layer.amountSum = 1.0;
  foil.layers.push_back(layer);
  return foil;
}

// A flat-topped triangle of counts per keV around channel 300 of a 601-channel spectrum.
std::vector<double> Bump() {
  std::vector<double> s(kChannelsForTest, 0.0);
  for (int c = 280; c <= 320; ++c)
    s[static_cast<std::size_t>(c)] = 50.0 - std::abs(c - 300);
  return s;
}

double Total(const std::vector<double>& s) {
  double n = 0.0;
  for (double v : s)
    n += v;
  return n;
}

double Mean(const std::vector<double>& s) {
  double n = 0.0;
  double m = 0.0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    n += s[i];
    m += s[i] * static_cast<double>(i);
  }
  return m / n;
}

double Variance(const std::vector<double>& s) {
  const double mean = Mean(s);
  double n = 0.0;
  double v = 0.0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    n += s[i];
    v += s[i] * (static_cast<double>(i) - mean) * (static_cast<double>(i) - mean);
  }
  return v / n;
}

class AbsorberSpectrum : public ::testing::Test {
 protected:
  ElementTable elements_;
  StoppingModel model_{elements_};
  LayerStructure foil_ = OneLayerFoil();
  Ion helium_{2, 4.0, 2.0};
  SpectrumAxis axis_{100.0, 5.0};
};

TEST(BoxGauss, PartitionOfTheLineHoldsEverything) {
  double sum = 0.0;
  for (int k = -40; k < 40; ++k)
    sum += BoxGaussFraction(3.2, 11.7, 2.5, k, k + 1.0);
  EXPECT_NEAR(sum, 1.0, 1e-12);
  // Symmetric about the box centre 7.45.
  EXPECT_NEAR(BoxGaussFraction(3.2, 11.7, 2.5, -100.0, 7.45), 0.5, 1e-12);
}

TEST(BoxGauss, SharpBoxAndPointAreExact) {
  EXPECT_DOUBLE_EQ(BoxGaussFraction(2.0, 6.0, 0.0, 3.0, 4.0), 0.25);
  EXPECT_DOUBLE_EQ(BoxGaussFraction(2.0, 6.0, 0.0, 7.0, 8.0), 0.0);
  EXPECT_DOUBLE_EQ(BoxGaussFraction(5.0, 5.0, 0.0, 4.0, 6.0), 1.0);
  // A point folded with a Gaussian: Phi(1) - Phi(-1) = 0.682689.
  EXPECT_NEAR(BoxGaussFraction(5.0, 5.0, 2.0, 3.0, 7.0), 0.6826894921, 1e-9);
  // The box given the other way round is the same box.
  EXPECT_DOUBLE_EQ(BoxGaussFraction(6.0, 2.0, 1.0, 3.0, 4.0),
                   BoxGaussFraction(2.0, 6.0, 1.0, 3.0, 4.0));
}

TEST_F(AbsorberSpectrum, ConservesCountsAndShiftsByTheFoilLoss) {
  std::vector<double> s = Bump();
  const double before = Total(s);
  const double mean = Mean(s);
  const double variance = Variance(s);
  AbsorberSpectrumCorrection(s, axis_, LosingTable(300.0, 5.0), foil_, helium_, model_, {});
  EXPECT_NEAR(Total(s), before, 1e-9 * before);
  // 300 keV at 5 keV per channel: 60 channels lower.
  EXPECT_NEAR(Mean(s), mean - 60.0, 1e-6);
  // A straggling sigma of 5 keV is one channel: the variance grows by 1 channel^2, and by
  // 1/12 channel^2 for each of the two binnings (the counts spread evenly over a channel in
  // front of the foil, collected in channels behind it).
  EXPECT_NEAR(Variance(s), variance + 1.0 + 1.0 / 6.0, 1e-3);
}

TEST_F(AbsorberSpectrum, DetectorResolutionAddsInQuadrature) {
  std::vector<double> s = Bump();
  const double variance = Variance(s);
  AbsorberSpectrumSettings settings;
  settings.detectorFwhm = [](double) { return 2.35 * 12.0; };  // sigma 12 keV
  AbsorberSpectrumCorrection(s, axis_, LosingTable(300.0, 5.0), foil_, helium_, model_, settings);
  // sigma^2 = 5^2 + 12^2 = 169 keV^2 = 6.76 channel^2, plus the two binnings.
  EXPECT_NEAR(Variance(s), variance + 6.76 + 1.0 / 6.0, 1e-3);
  // A formula giving nonsense adds nothing.
  std::vector<double> t = Bump();
  settings.detectorFwhm = [](double) { return std::nan(""); };
  AbsorberSpectrumCorrection(t, axis_, LosingTable(300.0, 5.0), foil_, helium_, model_, settings);
  EXPECT_NEAR(Variance(t), variance + 1.0 + 1.0 / 6.0, 1e-3);
}

TEST_F(AbsorberSpectrum, ParticlesTheFoilStopsAreLost) {
  std::vector<double> s(kChannelsForTest, 0.0);
  s[10] = 7.0;   // 150 .. 155 keV: below the 300 keV the foil takes
  s[200] = 3.0;  // 1100 keV: gets through
  AbsorberSpectrumCorrection(s, axis_, LosingTable(300.0, 0.0), foil_, helium_, model_, {});
  EXPECT_NEAR(Total(s), 3.0, 1e-12);
  EXPECT_NEAR(s[140], 3.0, 1e-12);  // 1100 - 300 keV, channel 140, without straggling
  std::vector<double> all = Bump();
  AbsorberTable opaque = LosingTable(300.0, 5.0);
  opaque.opaque = true;
  AbsorberSpectrumCorrection(all, axis_, opaque, foil_, helium_, model_, {});
  EXPECT_DOUBLE_EQ(Total(all), 0.0);
}

TEST_F(AbsorberSpectrum, WithoutFoilOrAxisNothingChanges) {
  std::vector<double> s = Bump();
  const std::vector<double> before = s;
  AbsorberSpectrumCorrection(s, axis_, LosingTable(300.0, 5.0), LayerStructure{}, helium_, model_,
                             {});
  EXPECT_EQ(s, before);
  AbsorberSpectrumCorrection(s, SpectrumAxis{100.0, 0.0}, LosingTable(300.0, 5.0), foil_, helium_,
                             model_, {});
  EXPECT_EQ(s, before);
}

TEST_F(AbsorberSpectrum, CarriesACoarserFrontAxisOntoTheDetectorChannels) {
  // In front of the foil 10 keV channels from 0 keV; behind it the detector's 5 keV ones.
  std::vector<double> front(kChannelsForTest, 0.0);
  front[150] = 2.0;  // 1500 .. 1510 keV, 20 counts
  std::vector<double> detected(kChannelsForTest, 0.0);
  CarryThroughFoil(front, SpectrumAxis{0.0, 10.0}, detected, axis_, LosingTable(300.0, 0.0), foil_,
                   helium_, model_, {});
  // 1200 .. 1210 keV behind the foil: channels 220 and 221 of the detector, 10 counts each,
  // i.e. 2 counts per keV.
  EXPECT_NEAR(detected[220], 2.0, 1e-12);
  EXPECT_NEAR(detected[221], 2.0, 1e-12);
  EXPECT_NEAR(Total(detected) * 5.0, 20.0, 1e-9);
}

}  // namespace
}  // namespace dodavev
