// Resonance yield of the depth steps: exact integrals of the cross section, the beam's
// spread, the thick-target step of a Lorentzian resonance, a 0.1 keV resonance left sharp,
// and the isotopes a layer contributes.
#include "studies/resonance_yield.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "app/session_fixture.hpp"
#include "model/layer_structure.hpp"

namespace dodavev {
namespace {

constexpr double kPi = std::numbers::pi;

// A Breit-Wigner (Lorentzian) resonance of peak sigmaR (barn/sr), FWHM gamma at er (keV).
CrossSectionIntegral::Sigma Lorentzian(double er, double gamma, double sigmaR) {
  return [=](double e) {
    const double u = 2.0 * (e - er) / gamma;
    return sigmaR / (1.0 + u * u);
  };
}

// Its integral from a to b: sigmaR gamma/2 [atan(2(b-er)/gamma) - atan(2(a-er)/gamma)].
double LorentzianIntegral(double er, double gamma, double sigmaR, double a, double b) {
  return sigmaR * gamma / 2.0 *
         (std::atan(2.0 * (b - er) / gamma) - std::atan(2.0 * (a - er) / gamma));
}

// ---- Integrals of the cross section ----------------------------------------------------------

TEST(CrossSectionIntegral, ConstantCrossSectionIsExactAndZeroBelowZeroEnergy) {
  CrossSectionIntegral I([](double) { return 2.0; }, 500.0, 0.1, 1.0);
  EXPECT_NEAR(I.Integral(100.0, 350.0), 500.0, 1e-9);
  EXPECT_NEAR(I.Integral(350.0, 100.0), -500.0, 1e-9);
  // Nothing below 0 keV; the cross section rises from 0 at 0 keV within one mesh cell.
  EXPECT_EQ(I.Integral(-5.0, 5.0), I.Integral(0.0, 5.0));
  EXPECT_NEAR(I.Integral(0.0, 5.0), 10.0, 2.0);
  EXPECT_NEAR(I.Integral(-50.0, -5.0), 0.0, 1e-12);
}

TEST(CrossSectionIntegral, LinearCrossSectionIsIntegratedExactly) {
  // sigma = E / 1000: the integral from a to b is (b^2 - a^2) / 2000; the slab integral
  // G(t) = (2 t s + s^2) / 2000 is linear in t, so its mean over a bin is its centre value.
  CrossSectionIntegral I([](double e) { return e / 1000.0; }, 700.0, 0.05, 1.0);
  EXPECT_NEAR(I.Integral(650.0, 720.5), (720.5 * 720.5 - 650.0 * 650.0) / 2000.0, 1e-9);
  const double s = 3.5;
  const double e = 690.25;
  EXPECT_NEAR(I.MeanSlabIntegral(e, s, 0.7), (2.0 * e * s + s * s) / 2000.0, 1e-9);
  EXPECT_NEAR(I.MeanSlabIntegral(e, s, 0.0), (2.0 * e * s + s * s) / 2000.0, 1e-9);
}

TEST(CrossSectionIntegral, NarrowLorentzianIsResolvedWithFewNodes) {
  // 15N(p,alpha gamma)12C-like: 0.1 keV wide at 429 keV.
  const double er = 429.0, gamma = 0.1, sigmaR = 0.5;
  CrossSectionIntegral I(Lorentzian(er, gamma, sigmaR), er, gamma / 20.0, 1.0);
  // Within half a width of the peak: sigmaR gamma/2 x 2 atan(1) = pi gamma sigmaR / 4.
  EXPECT_NEAR(I.Integral(er - gamma / 2, er + gamma / 2) / (kPi * gamma * sigmaR / 4.0), 1.0, 1e-3);
  // Everything from 0 to 5 MeV: the classic pi gamma sigmaR / 2, less the far tails.
  const double all = LorentzianIntegral(er, gamma, sigmaR, 0.0, 5000.0);
  EXPECT_NEAR(I.Integral(0.0, 5000.0) / all, 1.0, 1e-3);
  EXPECT_NEAR(all / (kPi * gamma * sigmaR / 2.0), 1.0, 1e-4);
  // The mesh grows with the distance from the resonance: a few thousand nodes at most.
  EXPECT_LT(I.nodeCount(), 6000u);
}

TEST(CrossSectionIntegral, AnswersDoNotDependOnTheOrderOfTheQuestions) {
  CrossSectionIntegral first(Lorentzian(629.0, 2.1, 0.3), 629.0, 0.21, 1.0);
  CrossSectionIntegral second(Lorentzian(629.0, 2.1, 0.3), 629.0, 0.21, 1.0);
  const double a = first.Integral(600.0, 640.0);
  second.Integral(10.0, 3000.0);  // builds the mesh far beyond first
  EXPECT_EQ(second.Integral(600.0, 640.0), a);
}

TEST(CrossSectionIntegral, NoHangOrNotANumberForWildEnergies) {
  CrossSectionIntegral I([](double) { return 1.0; }, 1e12, 0.0, 0.0);
  EXPECT_TRUE(std::isfinite(I.Integral(0.0, 1e20)));
  EXPECT_EQ(I.Integral(std::nan(""), 3.0), 0.0);
  EXPECT_EQ(I.MeanSlabIntegral(std::nan(""), 1.0, 1.0), 0.0);
}

// ---- The beam's spread ----------------------------------------------------------------------

TEST(SpreadSlabIntegral, ASpreadCountsEveryIonOnce) {
  // A constant cross section: sigma x slab whatever the spread and shape.
  CrossSectionIntegral I([](double) { return 0.25; }, 1000.0, 0.1, 1.0);
  EXPECT_NEAR(SpreadSlabIntegral(I, 1000.0, 0.0, 100.0, 4.0), 1.0, 1e-12);
  EXPECT_NEAR(SpreadSlabIntegral(I, 1000.0, 7.0, 100.0, 4.0), 1.0, 1e-9);
  EXPECT_NEAR(SpreadSlabIntegral(I, 1000.0, 7.0, 1.0, 4.0), 1.0, 1e-9);  // Lorentzian spread
  EXPECT_EQ(SpreadSlabIntegral(I, 1000.0, 7.0, 100.0, 0.0), 0.0);        // no energy lost
}

TEST(SpreadSlabIntegral, SymmetricSpreadLeavesALinearCrossSectionAtItsCentre) {
  CrossSectionIntegral I([](double e) { return e / 1000.0; }, 800.0, 0.1, 1.0);
  const double s = 2.0, c = 812.0;
  EXPECT_NEAR(SpreadSlabIntegral(I, c, 9.0, 100.0, s), (2.0 * c * s + s * s) / 2000.0, 1e-9);
}

TEST(SpreadSlabIntegral, NarrowResonanceSeesTheDensityOfTheSpread) {
  // A resonance far narrower than a Gaussian spread of FWHM w and a slab d: G(t) is the
  // whole resonance integral pi gamma sigmaR / 2 for t within [Er - d, Er], so the yield is
  // d x pi gamma sigmaR / 2 x P(centre - Er + d/2), with the Gaussian density
  // P(u) = 2 sqrt(ln 2 / pi) / w x exp(-4 ln 2 u^2 / w^2). Pearson VII of shape 100 stands
  // for the Gaussian (its peak is 0.4 % lower).
  const double er = 429.0, gamma = 0.01, sigmaR = 1.0, w = 2.0, d = 0.05;
  CrossSectionIntegral I(Lorentzian(er, gamma, sigmaR), er, gamma / 20.0, 1.0);
  auto want = [&](double u) {
    const double p =
        2.0 * std::sqrt(std::log(2.0) / kPi) / w * std::exp(-4.0 * std::log(2.0) * u * u / (w * w));
    return d * kPi * gamma * sigmaR / 2.0 * p;
  };
  EXPECT_NEAR(SpreadSlabIntegral(I, er, w, 100.0, d) / want(d / 2.0), 1.0, 0.01);
  // Half a width away, where the density falls fastest; the resonance's place inside a
  // bin counts.
  EXPECT_NEAR(SpreadSlabIntegral(I, er + w / 2.0, w, 100.0, d) / want(w / 2.0 + d / 2.0), 1.0,
              0.01);
  EXPECT_NEAR(SpreadSlabIntegral(I, er + 0.37 * w, w, 100.0, d) / want(0.37 * w + d / 2.0), 1.0,
              0.01);
}

// ---- Thick target ---------------------------------------------------------------------------

// The resonance yield summed over the steps of a walk with constant stopping S (keV/micron)
// and depth step x (micron) from the beam energy e0 down to eEnd, with the spread `spread`.
double WalkYield(CrossSectionIntegral& I, double e0, double eEnd, double S, double x, double c,
                 double spread) {
  const double loss = S * x;
  double sum = 0.0;
  for (int k = 1; e0 - k * loss > eEnd; ++k) {
    ResonanceStep step;
    step.depth = k * x;
    step.E = e0 - k * loss;
    step.Eprev = e0 - (k - 1) * loss;
    step.spread = spread;
    step.stopping = S;
    sum += IsotopeStepYield(I, step, c);
  }
  return sum;
}

// Thick-target step of a Lorentzian resonance. Far above the resonance every ion passes
// through Er; the number of reactions per ion and sr is the integral over the path of
// n sigma dx = n sigma dE / S, and with S constant over the resonance
//   Y = (n / S) integral sigmaR / (1 + (2 (E - Er) / gamma)^2) dE = (n / S) pi gamma sigmaR / 2
// (Lorentzian integral, e.g. Gove, Nucl. Instr. Meth. 1959; Amsel & Maurel's thick-target
// yield of a narrow resonance).
TEST(ThickTargetYield, LorentzianStepHeightIsPiGammaSigmaOverTwoStopping) {
  const double er = 629.0, gamma = 2.1, sigmaR = 0.3, S = 60.0, c = 4.4;
  CrossSectionIntegral I(Lorentzian(er, gamma, sigmaR), er, gamma / 10.0, 1.0);
  const double classic = c / S * kPi * gamma * sigmaR / 2.0;
  // 400 keV of walk in steps of 0.6 keV, the resonance in the middle: the far tails beyond
  // +-200 keV miss 2 gamma / (pi 400 keV) = 0.3 % of the step.
  const double y = WalkYield(I, er + 200.0, er - 200.0, S, 0.01, c, 0.0);
  EXPECT_NEAR(y / classic, 1.0, 0.005);
  const double finite = c / S * LorentzianIntegral(er, gamma, sigmaR, er - 200.0, er + 200.0);
  EXPECT_NEAR(y / finite, 1.0, 0.002);
  // A beam spread of a few widths only moves ions around the resonance: same height.
  EXPECT_NEAR(WalkYield(I, er + 200.0, er - 200.0, S, 0.01, c, 10.0) / y, 1.0, 0.002);
  // Independent of the step length, also for steps longer than the resonance is wide.
  EXPECT_NEAR(WalkYield(I, er + 200.0, er - 200.0, S, 0.1, c, 0.0) / y, 1.0, 0.002);
}

TEST(ThickTargetYield, SurfaceRowAndStepsWithoutEnergyLossYieldNothing) {
  CrossSectionIntegral I([](double) { return 1.0; }, 500.0, 0.1, 1.0);
  ResonanceStep step;
  step.depth = 0.0;
  step.E = 499.0;
  step.Eprev = 500.0;
  step.stopping = 50.0;
  EXPECT_EQ(IsotopeStepYield(I, step, 1.0), 0.0);
  step.depth = 0.02;
  EXPECT_NEAR(IsotopeStepYield(I, step, 1.0), 1.0 / 50.0, 1e-12);  // c / S x sigma x 1 keV
  step.spread = 3.0;  // a constant cross section does not see the spread
  EXPECT_NEAR(IsotopeStepYield(I, step, 1.0), 1.0 / 50.0, 1e-9);
  step.Eprev = step.E;
  EXPECT_EQ(IsotopeStepYield(I, step, 1.0), 0.0);
  step.Eprev = 500.0;
  step.stopping = 0.0;
  EXPECT_EQ(IsotopeStepYield(I, step, 1.0), 0.0);
}

TEST(ThickTargetYield, EachSlabTakesTheSpreadOfTheMiddleOfItsDepth) {
  // The beam's variance grows linearly over a thin step: over the step from row 1 to row 2
  // the spread is sqrt((0.4^2 + 0.5^2) / 2).
  ResolutionTable t;
  t.at(0, 5) = 0.3;
  t.at(1, 5) = 0.4;
  t.at(2, 5) = 0.5;
  EXPECT_NEAR(StepSpread(t, 2), std::sqrt((0.16 + 0.25) / 2.0), 1e-15);
  EXPECT_NEAR(StepSpread(t, 1), std::sqrt((0.09 + 0.16) / 2.0), 1e-15);
  t.at(0, 5) = std::nan("");  // a spread without a value counts as none
  EXPECT_NEAR(StepSpread(t, 1), std::sqrt(0.16 / 2.0), 1e-15);
  EXPECT_NEAR(StepSpread(t, 0), 0.0, 1e-15);
}

// Beam energy at which the excitation curve of `gamma` (no spread) reaches `fraction` of
// its plateau, by bisection.
double EdgeAt(double fraction, double er, double gamma, double loss) {
  const double sigmaR = 1.0, S = 100.0, c = 1.0;
  CrossSectionIntegral I(Lorentzian(er, gamma, sigmaR), er, gamma / 10.0, 1.0);
  const double plateau = c / S * kPi * gamma * sigmaR / 2.0;
  double lo = er - 2.0, hi = er + 2.0;
  for (int i = 0; i < 40; ++i) {
    const double mid = (lo + hi) / 2.0;
    const double y = WalkYield(I, mid, er - 20.0, S, loss / S, c, 0.0);
    (y / plateau < fraction ? lo : hi) = mid;
  }
  return (lo + hi) / 2.0;
}

TEST(ThickTargetYield, ANarrowResonanceKeepsItsSharpEdge) {
  // 0.1 keV resonance, no beam spread, 0.01 keV lost per step. The excitation curve is the
  // arctangent step Y/Yinf = 1/2 + atan(2 (E0 - Er) / gamma) / pi: it passes 12 % and 88 %
  // at E0 - Er = -+ (gamma / 2) tan(0.38 pi) = -+ 1.2628 gamma, a width of 2.5257 gamma,
  // and its half height at Er. Steps ten times longer than the resonance is wide change
  // nothing: every slab is integrated exactly.
  const double er = 429.0, gamma = 0.1;
  for (const double loss : {0.01, 1.0}) {
    const double low = EdgeAt(0.12, er, gamma, loss);
    const double high = EdgeAt(0.88, er, gamma, loss);
    EXPECT_NEAR((high - low) / (2.5257 * gamma), 1.0, 0.01) << loss;
    EXPECT_NEAR(EdgeAt(0.5, er, gamma, loss), er, 0.001) << loss;
  }
}

// ---- Isotopes of a layer --------------------------------------------------------------------

class ResonanceLayer : public testing::StartedSession {
 protected:
  // Si + 2 O at 6.6e22 at/cm3, the oxygen as typed: "O18" or natural "O#".
  Layer SiO2(int oxygenMass) const {
    Layer layer;
    layer.thickness = kSubstrateThickness;
    layer.density = 6.6;
    layer.amountSum = 3.0;
    LayerElement si;
    si.symbol = {'S', 'I'};
    si.Z = 14;
    si.amount = 1.0;
    si.massNumber = 28;
    LayerElement o;
    o.symbol = {'O', ' '};
    o.Z = 8;
    o.amount = 2.0;
    o.massNumber = oxygenMass;
    layer.elements = {si, o};
    return layer;
  }
  const ElementTable& elements() { return session().elements; }
};

TEST_F(ResonanceLayer, NuclearReactionCountsTheTargetIsotopeOnly) {
  const auto iso = ResonanceIsotopes(SiO2(18), ReactionKind::kNra, "O ", 18.0, 1, elements());
  ASSERT_EQ(iso.size(), 1u);
  EXPECT_EQ(iso[0].Z, 8);
  EXPECT_EQ(iso[0].massNumber, 18);
  EXPECT_NEAR(iso[0].density, 6.6 * 2.0 / 3.0, 1e-12);
  EXPECT_TRUE(ResonanceIsotopes(SiO2(16), ReactionKind::kNra, "O ", 18.0, 1, elements()).empty());
}

TEST_F(ResonanceLayer, NaturalOxygenCountsItsEighteenWithItsAbundance) {
  // 18O is 0.205 % of natural oxygen (IUPAC isotopic abundances); the start-up table
  // carries the abundance with single precision.
  const auto iso = ResonanceIsotopes(SiO2(-1), ReactionKind::kNra, "O ", 18.0, 1, elements());
  ASSERT_EQ(iso.size(), 1u);
  EXPECT_NEAR(iso[0].density / (6.6 * 2.0 / 3.0), 0.00205, 0.00002);
}

TEST_F(ResonanceLayer, BackscatteringCountsHeavierElementsOfTheTargetMass) {
  const auto iso = ResonanceIsotopes(SiO2(16), ReactionKind::kRbs, "SI", 28.0, 2, elements());
  ASSERT_EQ(iso.size(), 1u);
  EXPECT_EQ(iso[0].Z, 14);
  EXPECT_NEAR(iso[0].density, 2.2, 1e-12);
  // Nothing is heavier than silicon's own Z for a silicon beam.
  EXPECT_TRUE(ResonanceIsotopes(SiO2(16), ReactionKind::kRbs, "SI", 28.0, 14, elements()).empty());
}

TEST_F(ResonanceLayer, ForwardScatteringCountsEveryAtomOnce) {
  // Every isotope of natural oxygen, weighted by its abundance: the oxygen shares add up to
  // the oxygen's density, not to three times it.
  const auto iso =
      ResonanceIsotopes(SiO2(-1), ReactionKind::kForwardScattering, "SI", 28.0, 1, elements());
  double total = 0.0;
  for (const ResonanceIsotope& i : iso)
    total += i.density;
  EXPECT_NEAR(total, 6.6, 6.6 * 1e-4);
  EXPECT_GE(iso.size(), 3u);
}

TEST_F(ResonanceLayer, RecoilsCountTheTargetElementOnly) {
  const auto iso = ResonanceIsotopes(SiO2(16), ReactionKind::kErd, "O ", 16.0, 2, elements());
  ASSERT_EQ(iso.size(), 1u);
  EXPECT_EQ(iso[0].massNumber, 16);
  Layer empty;
  EXPECT_TRUE(ResonanceIsotopes(empty, ReactionKind::kErd, "O ", 16.0, 2, elements()).empty());
}

}  // namespace
}  // namespace dodavev
