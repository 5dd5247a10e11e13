// Convolution of two bell-shaped (Pearson VII) distributions, each given by its full width at
// half maximum and its shape parameter m (m = 1 a Lorentzian, m = 100 practically a Gaussian),
// interpolated in the tabulated convolution results of FMT.DAT.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "model/physics_tables.hpp"

namespace dodavev {

// Width (FWHM) and shape parameter of a Pearson VII distribution.
struct PearsonShape {
  double width = 0.0;
  double shape = 0.0;
};

// Shapes above this are treated as this one (practically a Gaussian); the tabulated grid
// spans kMinGridShape .. kMaxShape.
inline constexpr double kMaxShape = 100.0;
inline constexpr double kMinGridShape = 0.4641;

// FWHM and shape parameter of the convolution of (w1, m1) with (w2, m2). A side of width
// below 1e-10 or shape below 1e-4 returns the other side; width ratios beyond 1:100 return
// the wider side. nullopt when the table is needed but FMT.DAT was not read completely, or
// when the table gives no finite result (a malformed FMT.DAT).
std::optional<PearsonShape> ConvolveShapes(double w1, double m1, double w2, double m2,
                                           const PhysicsTables& tables);

// The first interpolation of ConvolveShapes runs through three table rows at a time whose
// values are fixed: their exponents of the power form, worked out once for a run. Empty
// without a complete FMT.DAT.
struct ThreePointNodes {
  double xa = 0.0, xb = 0.0, xc = 0.0;
  double ya = 0.0, yb = 0.0, yc = 0.0;
  double exponent = 0.0;  // of the power form, where the values are monotonic
  bool equal = false;     // all three values equal
  bool monotonic = false;
};
// The interpolation over the two shapes of one width-ratio group gives the same numbers for
// the same pair of shapes, whatever the widths; a step folds its multiple-scattering shapes
// with the Gaussian several times. The groups of the last few pairs are kept.
struct ShapePairGroups {
  int c1 = 0;  // shape classes of the two sides
  int c2 = 0;
  double x1 = 0.0;  // their clipped ln m
  double x2 = 0.0;
  std::array<double, 7> lnWidth{};  // by width-ratio group
  std::array<double, 7> lnShape{};
  std::array<bool, 7> done{};
};
struct PreparedConvolution {
  // By shape class of the second side (6), width-ratio group (7), row of the first side's
  // shape (8) and column (width, shape).
  std::vector<ThreePointNodes> nodes;
  // ln((xb - xa)/(xc - xa)) of the table's abscissae in the two later interpolations: over
  // the first side's shape, by second-side class, width-ratio group and first-side class;
  // over the width ratio, by second-side class, ratio class and first-side class.
  std::vector<double> lnSpanShape;
  std::vector<double> lnSpanRatio;
  // Belongs to the one run that folds with it.
  std::array<ShapePairGroups, 4> recent{};
  int recentCount = 0;
  int recentNext = 0;
};
PreparedConvolution PrepareConvolution(const PhysicsTables& tables);

// The same values as ConvolveShapes, bit for bit, with the prepared exponents and the
// groups of recent shape pairs (which it keeps in `prepared`).
std::optional<PearsonShape> ConvolveShapes(double w1, double m1, double w2, double m2,
                                           const PhysicsTables& tables,
                                           PreparedConvolution& prepared);

// Three-point interpolation through (xa, ya), (xb, yb), (xc, yc) at x, xa being the lowest
// node: a power form through the three points when the values are monotonic (the first
// value when all three are equal), the quadratic Lagrange polynomial otherwise or where the
// power form is undefined.
double ThreePointInterpolate(double xa, double xb, double xc, double ya, double yb, double yc,
                             double x);

}  // namespace dodavev
