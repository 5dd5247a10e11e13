// The convolution with the run's prepared exponents and its kept groups of recent shape
// pairs gives the values of the plain one, bit for bit: the depth-resolution report is
// printed from them.
#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <vector>

#include "physics/element_io.hpp"
#include "physics/shape_convolution.hpp"

namespace dodavev {
namespace {

TEST(PreparedConvolution, EqualsThePlainConvolutionBitForBit) {
  PhysicsTables tables;
  ElementTable elements;
  LoadPhysicsTables(DODAVEV_LEV_DIR, elements, tables);
  ASSERT_TRUE(tables.msFTableComplete) << "data/LEV/FMT.DAT not read";
  PreparedConvolution prepared = PrepareConvolution(tables);
  ASSERT_FALSE(prepared.nodes.empty());
  int compared = 0;
  // Shapes from Lorentzian-like to Gaussian, width ratios across the whole table and beyond;
  // twice, the second time with the ratios outermost, so that the kept groups of a pair
  // are met again after other pairs and after being replaced.
  const double shapes1[] = {0.3, 0.5, 0.9, 1.0, 1.7, 3.0, 6.5, 14.0, 35.0, 100.0, 300.0};
  const double shapes2[] = {0.45, 1.0, 2.2, 4.6, 10.0, 21.5, 46.4, 100.0};
  const double ratios[] = {0.002, 0.01, 0.03, 0.1, 0.33, 1.0, 2.9, 10.0, 35.0, 99.0, 500.0};
  for (int pass = 0; pass < 2; ++pass) {
    for (double outer : pass == 0 ? std::vector<double>(std::begin(shapes1), std::end(shapes1))
                                  : std::vector<double>(std::begin(ratios), std::end(ratios))) {
      for (double m2 : shapes2) {
        for (double inner : pass == 0
                                ? std::vector<double>(std::begin(ratios), std::end(ratios))
                                : std::vector<double>(std::begin(shapes1), std::end(shapes1))) {
          const double m1 = pass == 0 ? outer : inner;
          const double ratio = pass == 0 ? inner : outer;
          const std::optional<PearsonShape> plain =
              ConvolveShapes(7.0, m1, 7.0 * ratio, m2, tables);
          const std::optional<PearsonShape> fast =
              ConvolveShapes(7.0, m1, 7.0 * ratio, m2, tables, prepared);
          ASSERT_EQ(plain.has_value(), fast.has_value());
          if (!plain) continue;
          EXPECT_EQ(plain->width, fast->width) << m1 << " " << m2 << " " << ratio;
          EXPECT_EQ(plain->shape, fast->shape) << m1 << " " << m2 << " " << ratio;
          ++compared;
        }
      }
    }
  }
  EXPECT_GT(compared, 1800);
}

TEST(PreparedConvolution, WithoutTheTableNothingIsPreparedAndTheResultIsTheSame) {
  const PhysicsTables incomplete;  // FMT.DAT not read
  PreparedConvolution prepared = PrepareConvolution(incomplete);
  EXPECT_TRUE(prepared.nodes.empty());
  EXPECT_FALSE(ConvolveShapes(5.0, 2.0, 4.0, 3.0, incomplete, prepared).has_value());
  // One side without width needs no table.
  const std::optional<PearsonShape> r = ConvolveShapes(5.0, 2.0, 0.0, 3.0, incomplete, prepared);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->width, 5.0);
  EXPECT_EQ(r->shape, 2.0);
}

}  // namespace
}  // namespace dodavev
