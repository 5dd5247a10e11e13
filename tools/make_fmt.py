#!/usr/bin/env python3
"""Generate FMT.DAT, the table of Pearson VII convolutions used to fold energy spreads.

Usage:  python3 tools/make_fmt.py OUTFILE      (normally data/LEV/FMT.DAT)

The program folds energy distributions that are not Gaussian (the multiple-
scattering distributions, a resonance) with each other and with Gaussian
spreads. Each distribution is a normalised Pearson VII density of full width
at half maximum G and shape parameter m,

    P(x) = (2/G) sqrt(q/pi) Gamma((m+1)/2) / Gamma(m/2) (1 + 4 q (x/G)^2)^(-(m+1)/2),
    q = 2^(2/(m+1)) - 1,

a Lorentzian for m = 1 and practically a Gaussian for m = 100. The convolution
of two of them is again bell-shaped but not exactly Pearson VII; FMT.DAT
tabulates, on a grid, the Pearson VII that stands for it: its FWHM relative to
the first width and its shape parameter. The program interpolates in it
(ConvolveShapes in src/physics/shape_convolution.cpp).

Layout (448 lines, five numbers each; the reader takes natural logarithms):

    line (b-1)*56 + (g-1)*8 + k,  b = 1..8, g = 1..7, k = 1..8:
        m2  m1  rho  w/w1  m

    m2 = SHAPES[b], m1 = SHAPES[k]: shapes of the second and the first
        distribution, SHAPES[j] = 10^((j-2)/3), j = 1..8 (0.4641 .. 100);
        the ends are written as 0.4641 and 100, the clipping bounds the reader
        applies to a shape, so that a clipped shape falls exactly on the grid;
    rho = RATIOS[g] = w2/w1, the width of the second distribution relative to
        the first: 0.01, 0.1, 10^(-1/3), 1, 10^(1/3), 10, 100. On the scale
        r = 3 log10(rho) + 7 these are r = 1, 4, 6, 7, 8, 10, 13, the nodes
        that the reader's ratio classes (r <= 4, <= 6.5, <= 7.5, <= 9, < 13)
        take three at a time; ratios beyond 1:100 are not tabulated (the wider
        side is returned unchanged);
    w/w1 = FWHM of the convolution divided by w1 (w1 = 1 here);
    m    = shape parameter of the Pearson VII with that FWHM and the same full
        width at a tenth of the maximum as the convolution.

Method.

1. Convolution. h(x) = integral of P1(z) P2(x - z) dz is evaluated directly.
   The line is split at the point c between the two peaks (0 and x) that lies
   equally far from both in units of their scales a = G / (2 sqrt(q)):
   c = x a1 / (a1 + a2). Below c, P1 is substituted by z = a1 tan(theta);
   above c, P2 by x - z = a2 tan(theta). The substitution turns the
   substituted density's P dz into the smooth weight N a cos(theta)^(m-1)
   d(theta) and maps its heavy tails onto a finite interval, while the other
   density is monotonic on that part (its peak lies on the other side of c).
   Each part is integrated with 12-point Gauss-Legendre on panels: in
   theta + pi/2 graded geometrically (ratio 1/2) from pi/4 down to 1e-12
   towards the tail, where the integrand vanishes like cos^(m1+m2); between
   -pi/4 and the split point graded geometrically (24 halvings) towards the
   split point, where a much narrower other density varies on a fine scale,
   and no panel wider than 0.05 rad, because for large m the weight
   cos^(m-1) is itself a peak. Checks: two Lorentzians (m = 1, a stable law)
   give a Lorentzian of width w1 + w2 and shape 1 (self_check(): better than
   1e-9 on the grid); the values agree to 1e-13 with a brute-force trapezoid
   rule in z = 0.05 sinh(t) and do not change in the tenth digit with 16 or
   24 points per panel.

2. Width. The FWHM is 2 x, x > 0 being the root of h(x) = h(0)/2; h is
   symmetric and unimodal (a convolution of symmetric unimodal densities), so
   the root is bracketed by doubling and found by the Illinois method.

3. Shape. A Pearson VII of FWHM G and shape m has the full width at a fraction
   f of its maximum  W_f = G sqrt((f^(-2/(m+1)) - 1) / (2^(2/(m+1)) - 1)).
   The ratio W_f / G rises strictly from the Gaussian value sqrt(ln(1/f)/ln 2)
   (m -> infinity) to unbounded values as m -> 0, so one measured ratio fixes
   m. We use f = 1/10: the full width at tenth maximum relative to the FWHM is
   the customary measure of a peak's shape in spectroscopy (1.823 for a
   Gaussian, 3 for a Lorentzian); together with the FWHM it pins the two
   Pearson VII parameters to the part of the distribution that decides a
   depth resolution, without leaning on the far tails where the convolution of
   heavy-tailed densities is no Pearson VII at all. The measured ratio is
   inverted by bisection in e = 2/(m+1). A convolution more Gaussian than the
   Pearson VII with m = 100 (as two m = 100 sides give: the sum of two
   variables is closer to normal than either) is written as m = 100, the shape
   with which this program represents a Gaussian everywhere; the other end is
   bounded at m = 0.1, below every shape that occurs.

Output: 448 lines of five numbers printed with seven significant digits, 8-bit
text with CR LF line ends, written to a temporary file beside OUTFILE and
renamed over it. The output depends on nothing but this file: running it twice
gives byte-identical files. tools/make_lev.py calls fmt_dat_lines() so that one
command regenerates the whole LEV directory.

Standard library only.
"""

import argparse
import math
import os
import sys

# Grid of shape parameters 10^((j-2)/3), j = 1..8; the ends as the reader clips.
SHAPES = ["0.4641", "1", "2.154435", "4.641589", "10", "21.54435", "46.41589", "100"]
# Grid of width ratios w2/w1: r = 3 log10(rho) + 7 = 1, 4, 6, 7, 8, 10, 13.
RATIOS = ["0.01", "0.1", "0.4641589", "1", "2.154435", "10", "100"]

TENTH = 0.1            # fraction of the maximum at which the shape is matched
SHAPE_MAX = 100.0      # the program's Gaussian stand-in
SHAPE_MIN = 0.1        # lower bound of the fitted shape

GL_POINTS = 12         # Gauss-Legendre points per panel
TAIL_RATIO = 0.5       # geometric ratio of the tail panels towards theta = -pi/2
TAIL_MIN = 1e-12       # smallest tail panel boundary above theta = -pi/2
SPLIT_PANELS = 24      # panels graded geometrically (ratio 1/2) towards the split point
MAX_PANEL = 0.05       # widest panel in theta between -pi/4 and the split point


class FmtError(Exception):
    """The computation failed to produce a sound number."""


def gauss_legendre(n):
    """Nodes and weights of n-point Gauss-Legendre quadrature on [-1, 1]
    (Newton iteration on the Legendre polynomial from the Chebyshev guesses)."""
    nodes, weights = [], []
    for i in range(1, n + 1):
        x = math.cos(math.pi * (i - 0.25) / (n + 0.5))
        for _ in range(100):
            p0, p1 = 1.0, x
            for k in range(2, n + 1):
                p0, p1 = p1, ((2 * k - 1) * x * p1 - (k - 1) * p0) / k
            dp = n * (x * p1 - p0) / (x * x - 1.0)
            dx = p1 / dp
            x -= dx
            if abs(dx) < 1e-16:
                break
        p0, p1 = 1.0, x
        for k in range(2, n + 1):
            p0, p1 = p1, ((2 * k - 1) * x * p1 - (k - 1) * p0) / k
        dp = n * (x * p1 - p0) / (x * x - 1.0)
        nodes.append(x)
        weights.append(2.0 / ((1.0 - x * x) * dp * dp))
    return nodes, weights


GL_X, GL_W = gauss_legendre(GL_POINTS)


def panel_nodes(edges):
    """(abscissa, weight) of composite Gauss-Legendre over increasing edges."""
    out = []
    for a, b in zip(edges[:-1], edges[1:]):
        half = 0.5 * (b - a)
        mid = 0.5 * (a + b)
        for x, w in zip(GL_X, GL_W):
            out.append((mid + half * x, w * half))
    return out


class Pearson:
    """Pearson VII density of FWHM `fwhm` and shape `m`."""

    def __init__(self, fwhm, m):
        self.m = m
        self.q = 2.0 ** (2.0 / (m + 1.0)) - 1.0
        self.s = (m + 1.0) / 2.0
        self.scale = fwhm / (2.0 * math.sqrt(self.q))      # a: (1 + (x/a)^2)^(-s)
        self.norm = math.exp(math.lgamma(self.s) - math.lgamma(m / 2.0)) / (
            self.scale * math.sqrt(math.pi))

    def density(self, x):
        u = x / self.scale
        return self.norm * (1.0 + u * u) ** (-self.s)


class _Half:
    """One part of the split convolution integral: the integral of own(v) other(x - v)
    over v <= v_split, own substituted by v = a tan(theta), theta in (-pi/2, theta_split].
    own(v) dv = N a cos(theta)^(m-1) d(theta)."""

    def __init__(self, own, other):
        self.own, self.other = own, other
        self.amplitude = own.norm * own.scale
        # Fixed tail theta in (-pi/2, -pi/4], in delta = theta + pi/2 graded towards 0:
        # v = -a cot(delta), weight N a sin(delta)^(m-1).
        edges = [math.pi / 4]
        while edges[-1] * TAIL_RATIO > TAIL_MIN:
            edges.append(edges[-1] * TAIL_RATIO)
        edges.append(0.0)
        edges.reverse()
        self.tail = [(-own.scale / math.tan(d), self.amplitude * math.sin(d) ** (own.m - 1.0) * w)
                     for d, w in panel_nodes(edges)]

    def integral(self, x, v_split):
        own, other = self.own, self.other
        inv, e = 1.0 / other.scale, -other.s
        total = 0.0
        for v, c in self.tail:
            u = (x - v) * inv
            total += c * (1.0 + u * u) ** e
        # theta in [-pi/4, theta_split], graded towards the split point where the other
        # density may vary on a scale much finer than the interval.
        top = math.atan(v_split / own.scale)
        span = top + math.pi / 4
        graded = [-math.pi / 4] + [top - span * 0.5 ** j for j in range(1, SPLIT_PANELS)] + [top]
        # No panel wider than MAX_PANEL: for large m the weight cos^(m-1) is itself a peak
        # (about exp(-m theta^2 / 2)).
        edges = [graded[0]]
        for a, b in zip(graded[:-1], graded[1:]):
            parts = max(1, math.ceil((b - a) / MAX_PANEL))
            edges.extend(a + (b - a) * i / parts for i in range(1, parts + 1))
        a, m1 = own.scale, own.m - 1.0
        for theta, w in panel_nodes(edges):
            u = (x - a * math.tan(theta)) * inv
            total += self.amplitude * math.cos(theta) ** m1 * w * (1.0 + u * u) ** e
        return other.norm * total


class Convolution:
    """h(x) = (P1 * P2)(x), split between the two peaks (see the docstring)."""

    def __init__(self, p1, p2):
        self.p1, self.p2 = p1, p2
        self.first = _Half(p1, p2)
        self.second = _Half(p2, p1)

    def __call__(self, x):
        x = abs(x)
        a1, a2 = self.p1.scale, self.p2.scale
        # z = c splits the line where both peaks are equally far in their own scales.
        c = x * a1 / (a1 + a2)
        # Part 1: z <= c with P1 substituted; part 2: x - z <= x - c with P2 substituted.
        return self.first.integral(x, c) + self.second.integral(x, x - c)


def half_width_at(h, level, start):
    """x > 0 with h(x) = level, h decreasing on x > 0 from h(0) > level."""
    lo, hi = 0.0, start
    f_lo = h(lo) - level
    f_hi = h(hi) - level
    while f_hi > 0.0:
        lo, f_lo = hi, f_hi
        hi *= 2.0
        f_hi = h(hi) - level
        if hi > 1e12:
            raise FmtError("no level crossing")
    side = 0
    for _ in range(200):                       # Illinois variant of regula falsi
        x = (lo * f_hi - hi * f_lo) / (f_hi - f_lo)
        if not lo < x < hi:
            x = 0.5 * (lo + hi)
        f = h(x) - level
        if f == 0.0:
            return x
        if f > 0.0:
            lo, f_lo = x, f
            if side == 1:
                f_hi *= 0.5
            side = 1
        else:
            hi, f_hi = x, f
            if side == -1:
                f_lo *= 0.5
            side = -1
        if hi - lo <= 1e-13 * hi:
            break
    return 0.5 * (lo + hi)


def width_ratio_of_shape(e):
    """W_f / FWHM squared of a Pearson VII with e = 2/(m+1), at f = TENTH."""
    return math.expm1(-e * math.log(TENTH)) / math.expm1(e * math.log(2.0))


def shape_from_ratio(ratio):
    """Shape m of the Pearson VII whose W_f / FWHM is `ratio`, within the bounds."""
    target = ratio * ratio
    lo, hi = 2.0 / (SHAPE_MAX + 1.0), 2.0 / (SHAPE_MIN + 1.0)
    if target <= width_ratio_of_shape(lo):
        return SHAPE_MAX
    if target >= width_ratio_of_shape(hi):
        return SHAPE_MIN
    while True:
        mid = 0.5 * (lo + hi)
        if mid <= lo or mid >= hi:
            break
        if width_ratio_of_shape(mid) < target:
            lo = mid
        else:
            hi = mid
    return 2.0 / (0.5 * (lo + hi)) - 1.0


def convolve(w1, m1, w2, m2):
    """(FWHM, fitted shape) of the convolution of two Pearson VII densities."""
    h = Convolution(Pearson(w1, m1), Pearson(w2, m2))
    peak = h(0.0)
    half = half_width_at(h, 0.5 * peak, 0.5 * max(w1, w2))
    tenth = half_width_at(h, TENTH * peak, 2.0 * half)
    fwhm = 2.0 * half
    m = shape_from_ratio(tenth / half)
    if not (math.isfinite(fwhm) and fwhm > 0.0 and math.isfinite(m)):
        raise FmtError(f"convolution of ({w1}, {m1}) and ({w2}, {m2}) failed")
    return fwhm, m


def fmt_rows():
    """The 448 rows (m2, m1, rho, w/w1, m) as (texts of the grid, floats)."""
    rows = []
    for m2_text in SHAPES:                    # block b
        for rho_text in RATIOS:               # group g
            for m1_text in SHAPES:            # row k
                m1, m2, rho = float(m1_text), float(m2_text), float(rho_text)
                fwhm, m = convolve(1.0, m1, rho, m2)
                rows.append((m2_text, m1_text, rho_text, fwhm, m))
    return rows


def fmt_dat_lines():
    """The lines of FMT.DAT, without line ends."""
    return [f"{m2} {m1} {rho} {w:.7g} {m:.7g}" for m2, m1, rho, w, m in fmt_rows()]


def self_check():
    """Two Lorentzians convolve to a Lorentzian of the summed width (returns the
    largest relative deviation of FWHM and shape over the ratio grid)."""
    worst = 0.0
    for rho_text in RATIOS:
        rho = float(rho_text)
        fwhm, m = convolve(1.0, 1.0, rho, 1.0)
        worst = max(worst, abs(fwhm / (1.0 + rho) - 1.0), abs(m - 1.0))
    return worst


def write_lines(path, lines):
    """CR LF text, written beside the target first and renamed over it."""
    data = "".join(line + "\r\n" for line in lines).encode("ascii")
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("outfile", help="FMT.DAT to write")
    parser.add_argument("--check", action="store_true",
                        help="only report the Lorentzian self-check")
    args = parser.parse_args(argv)
    try:
        if args.check:
            print(f"make_fmt: Lorentzian check, largest relative deviation {self_check():.2e}")
            return 0
        write_lines(args.outfile, fmt_dat_lines())
    except (FmtError, OSError, ValueError, OverflowError) as exc:
        print(f"make_fmt: {exc}", file=sys.stderr)
        return 1
    print(f"make_fmt: 448 lines written to {args.outfile}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
