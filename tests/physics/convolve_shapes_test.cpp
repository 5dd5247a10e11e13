#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "physics/element_io.hpp"
#include "physics/shape_convolution.hpp"

namespace dodavev {
namespace {

// The shipped start-up tables, FMT.DAT included.
const PhysicsTables& ShippedTables() {
  static const PhysicsTables tables = [] {
    PhysicsTables t;
    ElementTable elements;
    LoadPhysicsTables(DODAVEV_LEV_DIR, elements, t);
    return t;
  }();
  return tables;
}

PearsonShape Convolve(double w1, double m1, double w2, double m2) {
  const std::optional<PearsonShape> r = ConvolveShapes(w1, m1, w2, m2, ShippedTables());
  EXPECT_TRUE(r.has_value());
  return r.value_or(PearsonShape{std::nan(""), std::nan("")});
}

// ---------------------------------------------------------------------------
// The three-point interpolation

TEST(ConvolveShapesInterpolation, EqualValuesReturnThatValue) {
  EXPECT_EQ(ThreePointInterpolate(0.0, 1.0, 2.0, 3.5, 3.5, 3.5, 0.7), 3.5);
  EXPECT_EQ(ThreePointInterpolate(0.0, 1.0, 2.0, -2.0, -2.0, -2.0, 1.9), -2.0);
}

TEST(ConvolveShapesInterpolation, MonotonicValuesFollowThePowerThroughAllThreePoints) {
  // Nodes 0, 1, 2 with values 0, 1, 4: p = ln(1/4) / ln(1/2) = 2, y = x^2.
  EXPECT_NEAR(ThreePointInterpolate(0.0, 1.0, 2.0, 0.0, 1.0, 4.0, 1.5), 2.25, 1e-12);
  EXPECT_EQ(ThreePointInterpolate(0.0, 1.0, 2.0, 0.0, 1.0, 4.0, 0.0), 0.0);  // base 0: power 0
  EXPECT_NEAR(ThreePointInterpolate(0.0, 1.0, 2.0, 0.0, 1.0, 4.0, 2.0), 4.0, 1e-12);
  // Decreasing values 5, 4, 1 on nodes 1, 2, 3: y = 5 - (x - 1)^2.
  EXPECT_NEAR(ThreePointInterpolate(1.0, 2.0, 3.0, 5.0, 4.0, 1.0, 2.5), 5.0 - 2.25, 1e-12);
  // A square root: nodes 0, 1, 4 with values 0, 1, 2 give y = sqrt(x) (p = 1/2).
  EXPECT_NEAR(ThreePointInterpolate(0.0, 1.0, 4.0, 0.0, 1.0, 2.0, 2.25), 1.5, 1e-12);
}

TEST(ConvolveShapesInterpolation, NonMonotonicValuesUseTheParabola) {
  // y = (x - 1)^2 through nodes 0, 1, 3: values 1, 0, 4; at x = 2 the parabola gives 1.
  EXPECT_NEAR(ThreePointInterpolate(0.0, 1.0, 3.0, 1.0, 0.0, 4.0, 2.0), 1.0, 1e-12);
}

TEST(ConvolveShapesInterpolation, DegeneratePowerFormFallsBackToTheParabola) {
  // ya = yb != yc: the exponent is infinite. Below xb the form is flat; beyond it the
  // parabola through (0, 1), (1, 1), (2, 3), i.e. 1 + x (x - 1), takes over: at 1.5, 1.75.
  EXPECT_NEAR(ThreePointInterpolate(0.0, 1.0, 2.0, 1.0, 1.0, 3.0, 0.5), 1.0, 1e-12);
  EXPECT_NEAR(ThreePointInterpolate(0.0, 1.0, 2.0, 1.0, 1.0, 3.0, 1.5), 1.75, 1e-12);
  // An abscissa a hair below the lowest node (a clipped shape rounded differently).
  const double y = ThreePointInterpolate(0.0, 1.0, 2.0, 0.0, 1.0, 4.0, -1e-9);
  EXPECT_TRUE(std::isfinite(y));
  EXPECT_NEAR(y, 0.0, 1e-8);
}

// ---------------------------------------------------------------------------
// Early returns: one side absent or negligible

// None of these needs the table: one side absent or negligible, or the ratio of the
// widths beyond 1:100, returns one side as it is.
TEST(ConvolveShapesEarly, AbsentOrNegligibleSideReturnsTheOtherUnchanged) {
  struct Case {
    double w1, m1, w2, m2;
    double width, shape;
    const char* why;
  };
  const Case cases[] = {
      {3.0, 2.0, 1e-11, 50.0, 3.0, 2.0, "no width on the second side"},
      {3.0, 2.0, 5.0, 5e-5, 3.0, 2.0, "no shape on the second side"},
      {2.0, 1.0, 1e-12, 100.0, 2.0, 1.0, "the first side absent after the exchange"},
      {3.0, 400.0, 0.0, 1.0, 3.0, 100.0, "shapes above 100 count as 100"},
      {1.0, -5.0, 2.0, 100.0, 2.0, 100.0, "a negative shape describes no distribution"},
      {0.5, 0.3, 0.004, 0.2, 0.5, kMinGridShape, "rho = 0.008: the first side, shape clipped"},
      {1.0, 80.0, 150.0, 2.0, 150.0, 2.0, "rho = 150: the second side"},
      {1.0, 3.0, 100.0, 3.0, 100.0, 3.0, "exactly 1:100 is still the wider side alone"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::optional<PearsonShape> r = ConvolveShapes(c.w1, c.m1, c.w2, c.m2, PhysicsTables{});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->width, c.width);
    EXPECT_EQ(r->shape, c.shape);
  }
}

TEST(ConvolveShapesEarly, RefusesWhenTheTableIsNeededButMissing) {
  EXPECT_FALSE(ConvolveShapes(1.0, 100.0, 1.0, 1.0, PhysicsTables{}).has_value());
  EXPECT_FALSE(ConvolveShapes(std::nan(""), 1.0, 1.0, 1.0, ShippedTables()).has_value());
}

// ---------------------------------------------------------------------------
// Table addressing, with a synthetic table whose every row is recognisable

TEST(ConvolveShapesTable, GridPointsReturnTheirOwnRow) {
  // Row (b, g, k): column 3 = 0.1 b + 0.01 g + 0.001 k, column 4 = -(0.1 b + 0.01 g).
  const double shapes[8] = {0.4641, 1.0, 2.154435, 4.641589, 10.0, 21.54435, 46.41589, 100.0};
  const double ratios[7] = {0.01, 0.1, 0.4641589, 1.0, 2.154435, 10.0, 100.0};
  PhysicsTables t;
  for (int b = 1; b <= 8; ++b) {
    for (int g = 1; g <= 7; ++g) {
      for (int k = 1; k <= 8; ++k) {
        t.MsFTable[static_cast<std::size_t>((b - 1) * 56 + (g - 1) * 8 + k - 1)] = {
            std::log(shapes[b - 1]), std::log(shapes[k - 1]), std::log(ratios[g - 1]),
            0.1 * b + 0.01 * g + 0.001 * k, -(0.1 * b + 0.01 * g)};
      }
    }
  }
  t.msFTableComplete = true;
  // m1 = 10 (k = 5), m2 = 1 (b = 2), rho = 1 (g = 4).
  auto r = ConvolveShapes(2.0, 10.0, 2.0, 1.0, t);
  ASSERT_TRUE(r);
  EXPECT_NEAR(r->width, 2.0 * std::exp(0.2 + 0.04 + 0.005), 1e-12);
  EXPECT_NEAR(r->shape, std::exp(-0.24), 1e-12);
  // m1 = 46.41589 (k = 7), m2 = 4.641589 (b = 4), rho = 10 (g = 6), widths given the other way
  // round: the exchange puts the larger shape first.
  r = ConvolveShapes(30.0, 4.641589, 3.0, 46.41589, t);
  ASSERT_TRUE(r);
  EXPECT_NEAR(r->width, 3.0 * std::exp(0.4 + 0.06 + 0.007), 1e-9);
  // Between grid points the linear columns are reproduced (the power form of a linear
  // function is linear): rho = 3 lies between g = 5 and 6 in ln rho.
  r = ConvolveShapes(1.0, 10.0, 3.0, 1.0, t);
  ASSERT_TRUE(r);
  EXPECT_GT(r->width, std::exp(0.2 + 0.05 + 0.005));
  EXPECT_LT(r->width, std::exp(0.2 + 0.06 + 0.005));
}

// ---------------------------------------------------------------------------
// Physics through the shipped FMT.DAT

TEST(ConvolveShapesPhysics, ShippedTableHoldsTheLorentzianSums) {
  // Two Lorentzians convolve exactly to a Lorentzian of the summed width: in the rows
  // m1 = m2 = 1 (b = k = 2) the width is 1 + rho and the shape 1 (seven printed digits).
  const PhysicsTables& t = ShippedTables();
  ASSERT_TRUE(t.msFTableComplete) << "data/LEV/FMT.DAT not read";
  for (int g = 1; g <= 7; ++g) {
    const auto& row = t.MsFTable[static_cast<std::size_t>(56 + (g - 1) * 8 + 1)];
    EXPECT_NEAR(std::exp(row[0]), 1.0, 1e-12);
    EXPECT_NEAR(std::exp(row[1]), 1.0, 1e-12);
    EXPECT_NEAR(std::exp(row[3]), 1.0 + std::exp(row[2]), 1e-6) << "g = " << g;
    EXPECT_NEAR(std::exp(row[4]), 1.0, 1e-6) << "g = " << g;
  }
}

TEST(ConvolveShapesPhysics, TwoLorentziansAddTheirWidths) {
  // On and between the ratio grid. The three-point interpolation over ln rho on the grid of
  // seven ratios (thirds of a decade around 1) misses the knee of ln(1 + rho) by up to 1.2 %;
  // on the grid points the table is exact to its seven digits.
  for (double w2 : {0.02, 0.07, 0.3, 1.0, 1.7, 4.0, 30.0, 90.0}) {
    const PearsonShape r = Convolve(1.0, 1.0, w2, 1.0);
    EXPECT_NEAR(r.width / (1.0 + w2), 1.0, 1.5e-2) << "w2 = " << w2;
    EXPECT_NEAR(r.shape, 1.0, 1e-3) << "w2 = " << w2;
  }
}

TEST(ConvolveShapesPhysics, TwoGaussiansAddInQuadrature) {
  // m = 100 stands for a Gaussian: the Pearson VII with m = 100 has slightly heavier tails
  // (its FWTM/FWHM is 1.837 against 1.823), which widens the convolution by up to 0.6 %
  // (at equal widths) over sqrt(w1^2 + w2^2).
  for (double w2 : {0.02, 0.2, 0.6, 1.0, 2.5, 8.0, 60.0}) {
    const PearsonShape r = Convolve(1.0, 100.0, w2, 100.0);
    EXPECT_NEAR(r.width / std::hypot(1.0, w2), 1.0, 8e-3) << "w2 = " << w2;
    EXPECT_NEAR(r.shape, 100.0, 1e-6) << "w2 = " << w2;
  }
}

TEST(ConvolveShapesPhysics, GaussianWithLorentzianGivesTheVoigtWidth) {
  // Olivero & Longbothum (JQSRT 17 (1977) 233): f_V = 0.5346 f_L + sqrt(0.2166 f_L^2 + f_G^2),
  // good to 0.02 % for a true Gaussian; m = 100 adds its own few tenths of a percent.
  for (double fl : {0.1, 0.5, 1.0, 3.0}) {
    const double voigt = 0.5346 * fl + std::sqrt(0.2166 * fl * fl + 1.0);
    const PearsonShape r = Convolve(1.0, 100.0, fl, 1.0);
    EXPECT_NEAR(r.width / voigt, 1.0, 8e-3) << "f_L = " << fl;
    // The result lies between the two shapes.
    EXPECT_GT(r.shape, 1.0);
    EXPECT_LT(r.shape, 100.0);
  }
}

TEST(ConvolveShapesPhysics, OrderOfTheTwoSidesDoesNotMatter) {
  // Convolution commutes; with equal shapes nothing is exchanged and the table is read at
  // rho and at 1/rho, whose entries were computed independently.
  for (double m : {0.6, 2.0, 15.0}) {
    const PearsonShape a = Convolve(1.0, m, 2.7, m);
    const PearsonShape b = Convolve(2.7, m, 1.0, m);
    EXPECT_NEAR(a.width / b.width, 1.0, 2e-2) << "m = " << m;
    EXPECT_NEAR(a.shape / b.shape, 1.0, 2e-2) << "m = " << m;
  }
  const PearsonShape c = Convolve(1.0, 3.0, 0.4, 40.0);
  const PearsonShape d = Convolve(0.4, 40.0, 1.0, 3.0);
  EXPECT_EQ(c.width, d.width);
  EXPECT_EQ(c.shape, d.shape);
}

TEST(ConvolveShapesPhysics, ResultIsAtLeastAsWideAsTheWiderSide) {
  for (double m1 : {0.5, 1.0, 5.0, 100.0}) {
    for (double m2 : {0.5, 1.0, 5.0, 100.0}) {
      for (double w2 : {0.05, 0.5, 1.0, 3.0, 20.0}) {
        const PearsonShape r = Convolve(1.0, m1, w2, m2);
        // The interpolation error (about 1 %) aside, the result is never narrower.
        EXPECT_GE(r.width, std::max(1.0, w2) * (1.0 - 1.5e-2)) << m1 << " " << m2 << " " << w2;
        EXPECT_GT(r.shape, 0.0);
      }
    }
  }
}

}  // namespace
}  // namespace dodavev
