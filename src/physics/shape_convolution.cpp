#include "physics/shape_convolution.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

namespace dodavev {

namespace {

// FMT.DAT is addressed as row (b-1) x 56 + (g-1) x 8 + k: eight blocks b over the shape of
// the second distribution, seven groups g over the width ratio, eight rows k over the shape
// of the first. Columns (natural logarithms): m2, m1, width ratio, result width / w1, result m.
constexpr int kBlockRows = 56;
constexpr int kGroupRows = 8;
constexpr int kColM2 = 0;
constexpr int kColM1 = 1;
constexpr int kColRatio = 2;
constexpr int kColWidth = 3;
constexpr int kColShape = 4;

// A shape parameter below this, or a width below kNoWidth, marks a side that is not there.
constexpr double kNoShape = 1e-4;
constexpr double kNoWidth = 1e-10;

const std::array<double, 5>& Row(const PhysicsTables& tables, int b, int g, int k) {
  return tables
      .MsFTable[static_cast<std::size_t>((b - 1) * kBlockRows + (g - 1) * kGroupRows + k - 1)];
}

// Class of a shape parameter on the grid m_j = 10^((j-2)/3), j = 1..8: the lowest of the
// three grid points used, chosen so that m lies nearest the middle one.
int ShapeClass(double m) {
  const double k = 3.0 * std::log10(std::fabs(m)) + 2.0;
  if (k < 2.5) return 1;
  if (k < 3.5) return 2;
  if (k < 4.5) return 3;
  if (k < 5.5) return 4;
  if (k < 6.5) return 5;
  return 6;
}

double ClipShape(double m) {
  return std::clamp(m, kMinGridShape, kMaxShape);
}

// Class of the width ratio r = 3 log10(rho) + 7 on the grid of seven ratios 0.01 .. 100.
int RatioClass(double r) {
  if (r <= 4.0) return 1;
  if (r <= 6.5) return 2;
  if (r <= 7.5) return 3;
  if (r <= 9.0) return 4;
  return 5;
}

constexpr int kShapeClasses = 6;
constexpr int kRatioGroups = 7;
constexpr int kShapeRows = 8;

std::size_t NodesIndex(int c2, int g, int k, int column) {
  return static_cast<std::size_t>((((c2 - 1) * kRatioGroups + (g - 1)) * kShapeRows + (k - 1)) * 2 +
                                  column);
}

// ThreePointInterpolate on prepared nodes: the same operations on the same numbers.
double Interpolate(const ThreePointNodes& n, double x) {
  if (n.equal) return n.ya;
  if (n.monotonic) {
    const double base = (x - n.xa) / (n.xb - n.xa);
    const double power = base == 0.0 ? 0.0 : std::pow(base, n.exponent);
    const double y = n.ya + (n.yb - n.ya) * power;
    if (std::isfinite(y)) return y;
  }
  return n.ya * (x - n.xb) * (x - n.xc) / ((n.xa - n.xb) * (n.xa - n.xc)) +
         n.yb * (x - n.xa) * (x - n.xc) / ((n.xb - n.xa) * (n.xb - n.xc)) +
         n.yc * (x - n.xa) * (x - n.xb) / ((n.xc - n.xa) * (n.xc - n.xb));
}

}  // namespace

namespace {

// ThreePointInterpolate with ln((xb - xa)/(xc - xa)) given.
double ThreePointWithSpan(double xa, double xb, double xc, double ya, double yb, double yc,
                          double x, double lnSpan) {
  if (ya == yb && yb == yc) return ya;
  if ((yb - ya) * (yc - yb) >= 0.0) {
    // Monotonic: y = ya + (yb - ya) ((x - xa)/(xb - xa))^p through all three points.
    const double p = std::log((yb - ya) / (yc - ya)) / lnSpan;
    const double base = (x - xa) / (xb - xa);
    const double power = base == 0.0 ? 0.0 : std::pow(base, p);
    const double y = ya + (yb - ya) * power;
    // Undefined where the power form degenerates (ya = yb with x beyond xb, an abscissa
    // below the lowest node, coinciding nodes); the parabola below takes over there.
    if (std::isfinite(y)) return y;
  }
  return ya * (x - xb) * (x - xc) / ((xa - xb) * (xa - xc)) +
         yb * (x - xa) * (x - xc) / ((xb - xa) * (xb - xc)) +
         yc * (x - xa) * (x - xb) / ((xc - xa) * (xc - xb));
}

double LnSpan(double xa, double xb, double xc) {
  return std::log((xb - xa) / (xc - xa));
}

constexpr int kRatioClasses = 5;

std::size_t SpanShapeIndex(int c2, int g, int c1) {
  return static_cast<std::size_t>(((c2 - 1) * kRatioGroups + (g - 1)) * kShapeClasses + (c1 - 1));
}
std::size_t SpanRatioIndex(int c2, int cr, int c1) {
  return static_cast<std::size_t>(((c2 - 1) * kRatioClasses + (cr - 1)) * kShapeClasses + (c1 - 1));
}

}  // namespace

double ThreePointInterpolate(double xa, double xb, double xc, double ya, double yb, double yc,
                             double x) {
  return ThreePointWithSpan(xa, xb, xc, ya, yb, yc, x, LnSpan(xa, xb, xc));
}

namespace {

// The pair's entry among the recent ones, made anew (oldest replaced) when it is not there.
ShapePairGroups& PairGroups(PreparedConvolution& prepared, int c1, int c2, double x1, double x2) {
  for (int i = 0; i < prepared.recentCount; ++i) {
    ShapePairGroups& p = prepared.recent[static_cast<std::size_t>(i)];
    if (p.c1 == c1 && p.c2 == c2 && p.x1 == x1 && p.x2 == x2) return p;
  }
  ShapePairGroups& p = prepared.recent[static_cast<std::size_t>(prepared.recentNext)];
  prepared.recentNext = (prepared.recentNext + 1) % static_cast<int>(prepared.recent.size());
  prepared.recentCount =
      std::min(prepared.recentCount + 1, static_cast<int>(prepared.recent.size()));
  p = ShapePairGroups{c1, c2, x1, x2, {}, {}, {}};
  return p;
}

std::optional<PearsonShape> Convolve(double w1, double m1, double w2, double m2,
                                     const PhysicsTables& tables, PreparedConvolution* prepared) {
  if (std::isnan(w1) || std::isnan(m1) || std::isnan(w2) || std::isnan(m2)) return std::nullopt;
  m1 = std::min(m1, kMaxShape);
  m2 = std::min(m2, kMaxShape);
  if (m1 < m2) {
    std::swap(w1, w2);
    std::swap(m1, m2);
  }
  // A side without width or shape leaves the other unchanged (a negative shape describes no
  // distribution and counts as none).
  if (m2 < kNoShape || std::fabs(w2) < kNoWidth) return PearsonShape{std::fabs(w1), m1};
  if (m1 < kNoShape || std::fabs(w1) < kNoWidth) return PearsonShape{std::fabs(w2), m2};

  const int c1 = ShapeClass(m1);
  const int c2 = ShapeClass(m2);
  const double x1 = std::log(ClipShape(m1));
  const double x2 = std::log(ClipShape(m2));

  // One side narrower than a hundredth of the other does not widen it.
  const double rho = std::fabs(w2 / w1);
  const double r = rho <= 0.001 ? -1.0 : 3.0 * std::log10(rho) + 7.0;
  if (r <= 1.0) return PearsonShape{std::fabs(w1), ClipShape(m1)};
  if (r >= 13.0) return PearsonShape{std::fabs(w2), ClipShape(m2)};
  const int cr = RatioClass(r);

  if (!tables.msFTableComplete) return std::nullopt;

  std::array<double, 3> groupWidth{};
  std::array<double, 3> groupShape{};
  ShapePairGroups* pair = prepared != nullptr ? &PairGroups(*prepared, c1, c2, x1, x2) : nullptr;
  for (std::size_t gi = 0; gi < 3; ++gi) {
    const int g = cr + static_cast<int>(gi);
    const auto gk = static_cast<std::size_t>(g - 1);
    if (pair != nullptr && pair->done[gk]) {
      groupWidth[gi] = pair->lnWidth[gk];
      groupShape[gi] = pair->lnShape[gk];
      continue;
    }
    std::array<double, 3> rowWidth{};
    std::array<double, 3> rowShape{};
    for (std::size_t ki = 0; ki < 3; ++ki) {
      const int k = c1 + static_cast<int>(ki);
      if (prepared != nullptr) {
        rowWidth[ki] = Interpolate(prepared->nodes[NodesIndex(c2, g, k, 0)], x2);
        rowShape[ki] = Interpolate(prepared->nodes[NodesIndex(c2, g, k, 1)], x2);
        continue;
      }
      const auto& ra = Row(tables, c2, g, k);
      const auto& rb = Row(tables, c2 + 1, g, k);
      const auto& rc = Row(tables, c2 + 2, g, k);
      rowWidth[ki] = ThreePointInterpolate(ra[kColM2], rb[kColM2], rc[kColM2], ra[kColWidth],
                                           rb[kColWidth], rc[kColWidth], x2);
      rowShape[ki] = ThreePointInterpolate(ra[kColM2], rb[kColM2], rc[kColM2], ra[kColShape],
                                           rb[kColShape], rc[kColShape], x2);
    }
    const double xa = Row(tables, c2, g, c1)[kColM1];
    const double xb = Row(tables, c2, g, c1 + 1)[kColM1];
    const double xc = Row(tables, c2, g, c1 + 2)[kColM1];
    const double span =
        prepared != nullptr ? prepared->lnSpanShape[SpanShapeIndex(c2, g, c1)] : LnSpan(xa, xb, xc);
    groupWidth[gi] =
        ThreePointWithSpan(xa, xb, xc, rowWidth[0], rowWidth[1], rowWidth[2], x1, span);
    groupShape[gi] =
        ThreePointWithSpan(xa, xb, xc, rowShape[0], rowShape[1], rowShape[2], x1, span);
    if (pair != nullptr) {
      pair->lnWidth[gk] = groupWidth[gi];
      pair->lnShape[gk] = groupShape[gi];
      pair->done[gk] = true;
    }
  }
  const double xa = Row(tables, c2, cr, c1)[kColRatio];
  const double xb = Row(tables, c2, cr + 1, c1)[kColRatio];
  const double xc = Row(tables, c2, cr + 2, c1)[kColRatio];
  const double lnRho = std::log(rho);
  const double span =
      prepared != nullptr ? prepared->lnSpanRatio[SpanRatioIndex(c2, cr, c1)] : LnSpan(xa, xb, xc);
  const double lnWidth =
      ThreePointWithSpan(xa, xb, xc, groupWidth[0], groupWidth[1], groupWidth[2], lnRho, span);
  const double lnShape =
      ThreePointWithSpan(xa, xb, xc, groupShape[0], groupShape[1], groupShape[2], lnRho, span);

  PearsonShape result{std::fabs(w1) * std::exp(lnWidth), std::exp(lnShape)};
  if (!std::isfinite(result.width) || !std::isfinite(result.shape)) return std::nullopt;
  return result;
}

}  // namespace

std::optional<PearsonShape> ConvolveShapes(double w1, double m1, double w2, double m2,
                                           const PhysicsTables& tables) {
  return Convolve(w1, m1, w2, m2, tables, nullptr);
}

std::optional<PearsonShape> ConvolveShapes(double w1, double m1, double w2, double m2,
                                           const PhysicsTables& tables,
                                           PreparedConvolution& prepared) {
  return Convolve(w1, m1, w2, m2, tables, prepared.nodes.empty() ? nullptr : &prepared);
}

PreparedConvolution PrepareConvolution(const PhysicsTables& tables) {
  PreparedConvolution prepared;
  if (!tables.msFTableComplete || tables.MsFTable.size() < PhysicsTables::kMsFRows) return prepared;
  prepared.nodes.resize(NodesIndex(kShapeClasses, kRatioGroups, kShapeRows, 1) + 1);
  for (int c2 = 1; c2 <= kShapeClasses; ++c2) {
    for (int g = 1; g <= kRatioGroups; ++g) {
      for (int k = 1; k <= kShapeRows; ++k) {
        const auto& ra = Row(tables, c2, g, k);
        const auto& rb = Row(tables, c2 + 1, g, k);
        const auto& rc = Row(tables, c2 + 2, g, k);
        for (int column = 0; column < 2; ++column) {
          const int col = column == 0 ? kColWidth : kColShape;
          ThreePointNodes& n = prepared.nodes[NodesIndex(c2, g, k, column)];
          n.xa = ra[kColM2];
          n.xb = rb[kColM2];
          n.xc = rc[kColM2];
          n.ya = ra[static_cast<std::size_t>(col)];
          n.yb = rb[static_cast<std::size_t>(col)];
          n.yc = rc[static_cast<std::size_t>(col)];
          n.equal = n.ya == n.yb && n.yb == n.yc;
          n.monotonic = (n.yb - n.ya) * (n.yc - n.yb) >= 0.0;
          if (n.monotonic) {
            n.exponent =
                std::log((n.yb - n.ya) / (n.yc - n.ya)) / std::log((n.xb - n.xa) / (n.xc - n.xa));
          }
        }
      }
    }
  }
  prepared.lnSpanShape.resize(SpanShapeIndex(kShapeClasses, kRatioGroups, kShapeClasses) + 1);
  prepared.lnSpanRatio.resize(SpanRatioIndex(kShapeClasses, kRatioClasses, kShapeClasses) + 1);
  for (int c2 = 1; c2 <= kShapeClasses; ++c2) {
    for (int c1 = 1; c1 <= kShapeClasses; ++c1) {
      for (int g = 1; g <= kRatioGroups; ++g) {
        prepared.lnSpanShape[SpanShapeIndex(c2, g, c1)] =
            LnSpan(Row(tables, c2, g, c1)[kColM1], Row(tables, c2, g, c1 + 1)[kColM1],
                   Row(tables, c2, g, c1 + 2)[kColM1]);
      }
      for (int cr = 1; cr <= kRatioClasses; ++cr) {
        prepared.lnSpanRatio[SpanRatioIndex(c2, cr, c1)] =
            LnSpan(Row(tables, c2, cr, c1)[kColRatio], Row(tables, c2, cr + 1, c1)[kColRatio],
                   Row(tables, c2, cr + 2, c1)[kColRatio]);
      }
    }
  }
  return prepared;
}

}  // namespace dodavev
