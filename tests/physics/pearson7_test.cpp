#include "physics/pearson7.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace dodavev {
namespace {

// Sum of the bin weights over bins of width b centred at j b, |j| <= n.
double SumOverBins(const PearsonVII& p, double b, int n) {
  double sum = 0.0;
  for (int j = -n; j <= n; ++j)
    sum += p.BinWeight(j * b);
  return sum;
}

TEST(PearsonVII, ShapeOneIsTheLorentzian) {
  // A Lorentzian of FWHM G has the density (G/2) / (pi (x^2 + G^2/4)): 2/(pi G) at the centre,
  // 1/(pi G) at x = G/2 and (2/(pi G)) / 5 at x = G.
  const double g = 8.0;
  const double bin = 0.5;
  const PearsonVII p(g, 1.0, bin);
  EXPECT_NEAR(p.BinWeight(0.0), 2.0 / (std::numbers::pi * g) * bin, 1e-14);
  EXPECT_NEAR(p.Density(g / 2.0), 1.0 / (std::numbers::pi * g), 1e-14);
  EXPECT_NEAR(p.Density(g), 2.0 / (std::numbers::pi * g) / 5.0, 1e-14);
}

TEST(PearsonVII, HalfMaximumLiesAtHalfTheWidthForEveryShape) {
  // (1 + 4q/4)^(-s) = 2^(-(2/(m+1)) (m+1)/2) = 1/2 whatever m is.
  for (double m : {0.3, 0.4641, 1.0, 2.5, 10.0, 57.0, 100.0}) {
    const PearsonVII p(3.0, m, 0.1);
    EXPECT_NEAR(p.Density(1.5) / p.Density(0.0), 0.5, 1e-12) << "m = " << m;
    EXPECT_NEAR(p.Density(-1.5) / p.Density(0.0), 0.5, 1e-12) << "m = " << m;
  }
}

TEST(PearsonVII, LargeShapeApproachesTheGaussianOfTheSameWidth) {
  // Gaussian of FWHM G: (2 sqrt(ln 2 / pi) / G) exp(-4 ln 2 x^2 / G^2). At m = 100 the Pearson
  // VII differs from it by O(1/m): under 1 % out to 0.75 FWHM; the gap shrinks as m grows.
  const double g = 2.0;
  auto gauss = [g](double x) {
    return 2.0 * std::sqrt(std::log(2.0) / std::numbers::pi) / g *
           std::exp(-4.0 * std::log(2.0) * x * x / (g * g));
  };
  const PearsonVII p100(g, 100.0, 0.01);
  const PearsonVII p20(g, 20.0, 0.01);
  for (double x : {0.0, 0.5, 1.0, 1.5}) {
    EXPECT_NEAR(p100.Density(x) / gauss(x), 1.0, 1e-2) << "x = " << x;
    EXPECT_LT(std::fabs(p100.Density(x) / gauss(x) - 1.0),
              std::fabs(p20.Density(x) / gauss(x) - 1.0) + 1e-12)
        << "x = " << x;
  }
}

TEST(PearsonVII, IntegratesToOneOverBins) {
  // Bins a tenth of the width, far into the tails. Missing tail mass beyond |x| = X for the
  // decay x^-(m+1): about (X/G)^-m; m = 2 at X = 500 G leaves ~1e-5, m = 100 nothing.
  const double g = 1.0;
  const double bin = 0.1;
  EXPECT_NEAR(SumOverBins(PearsonVII(g, 100.0, bin), bin, 200), 1.0, 1e-9);
  EXPECT_NEAR(SumOverBins(PearsonVII(g, 7.0, bin), bin, 2000), 1.0, 1e-6);
  EXPECT_NEAR(SumOverBins(PearsonVII(g, 2.0, bin), bin, 5000), 1.0, 2e-5);
  // A Lorentzian loses (2/pi) atan(G / 2X) = 6.4e-4 beyond X = 500 G.
  EXPECT_NEAR(SumOverBins(PearsonVII(g, 1.0, bin), bin, 5000), 1.0 - 6.4e-4, 2e-5);
}

TEST(PearsonVII, WidthNarrowerThanTheBinPutsEverythingIntoTheCentralBin) {
  const PearsonVII p(0.3, 2.0, 1.0);
  EXPECT_TRUE(p.narrow());
  EXPECT_EQ(p.Density(0.0), 1.0);
  EXPECT_EQ(p.Density(0.5), 1.0);  // the edge of the central bin belongs to it
  EXPECT_EQ(p.Density(0.51), 0.0);
  EXPECT_EQ(p.Density(-3.0), 0.0);
  EXPECT_NEAR(SumOverBins(p, 1.0, 5), 1.0, 1e-15);
  // Zero width: the same.
  EXPECT_EQ(PearsonVII(0.0, 2.0, 0.25).BinWeight(0.0), 1.0);
  // A width equal to the bin is spread out.
  EXPECT_FALSE(PearsonVII(1.0, 2.0, 1.0).narrow());
}

TEST(PearsonVII, UnusableShapesBecomeTheGaussianLikeLimit) {
  const PearsonVII limit(2.0, 100.0, 0.1);
  for (double m : {0.0, 1e-11, -0.5, -3.0, -250.0, 101.0, 1e6, std::nan("")}) {
    const PearsonVII p(2.0, m, 0.1);
    EXPECT_EQ(p.shape(), 100.0) << "m = " << m;
    EXPECT_DOUBLE_EQ(p.Density(0.7), limit.Density(0.7)) << "m = " << m;
  }
  // Small but positive shapes are kept.
  EXPECT_EQ(PearsonVII(2.0, 1e-3, 0.1).shape(), 1e-3);
}

TEST(PearsonVII, NegativeWidthsZeroBinsAndExtremeShapesGiveSoundDensities) {
  // A negative width is its magnitude.
  const PearsonVII neg(-4.0, 1.5, 0.1);
  EXPECT_EQ(neg.Density(1.0), PearsonVII(4.0, 1.5, 0.1).Density(1.0));
  EXPECT_GT(neg.Density(0.0), 0.0);
  // No bin width places nothing for a zero width.
  EXPECT_EQ(PearsonVII(0.0, 1.0, 0.0).Density(0.0), 0.0);
  EXPECT_EQ(PearsonVII(0.0, 1.0, -1.0).Density(0.0), 0.0);
  // Gamma(m/2) grows without bound as m -> 0 and Gamma((m+1)/2) reaches 1e64 at m = 100.
  for (double m : {1e-9, 0.01, 99.999}) {
    const PearsonVII p(1.0, m, 0.01);
    EXPECT_TRUE(std::isfinite(p.Density(0.0))) << "m = " << m;
    EXPECT_GT(p.Density(0.0), 0.0) << "m = " << m;
  }
}

}  // namespace
}  // namespace dodavev
