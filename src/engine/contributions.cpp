#include "engine/contributions.hpp"

#include <algorithm>
#include <cmath>

#include "engine/setup.hpp"
#include "model/units.hpp"
#include "physics/multiple_scattering.hpp"
#include "physics/shape_convolution.hpp"

namespace dodavev {
namespace {

// Shape parameter of a Gaussian in the Pearson VII family; of a Lorentzian.
constexpr double kGaussianShape = 100.0;
constexpr double kLorentzianShape = 1.0;
// Total put in place of a step that cannot be resolved, keV.
constexpr double kUnresolvedTotal = 10000.0;

double Sq(double x) {
  return x * x;
}

// Folds two Pearson VII distributions by the convolution table; without the table the
// widths add in quadrature (exact for two Gaussians) and the missing table is noted.
class Folder {
 public:
  Folder(const PhysicsTables& tables, PreparedConvolution* prepared, bool& missing)
      : tables_(tables), prepared_(prepared), missing_(missing) {}
  PearsonShape operator()(double w1, double m1, double w2, double m2) const {
    const std::optional<PearsonShape> r = prepared_ != nullptr
                                              ? ConvolveShapes(w1, m1, w2, m2, tables_, *prepared_)
                                              : ConvolveShapes(w1, m1, w2, m2, tables_);
    if (r) return *r;
    missing_ = true;
    return PearsonShape{std::hypot(w1, w2), std::min({m1, m2, kGaussianShape})};
  }

 private:
  const PhysicsTables& tables_;
  PreparedConvolution* prepared_;
  bool& missing_;
};

// 1 / (1 - y) for a second-order correction of a linearised angle term. False when the
// correction is not positive: the angular spread is too large for the angle.
bool SecondOrderFactor(double y, double& factor) {
  const double d = 1.0 - y;
  if (!(d > 0.0)) {
    factor = 1.0;
    return false;
  }
  factor = 1.0 / d;
  return true;
}

// Linear over exact change of the inward path length 1/sin(alpha) when the direction turns
// by `angle`: (-angle cot(alpha) / sin(alpha)) / (1/sin(alpha + angle) - 1/sin(alpha)).
double InwardPathFactor(const EngineGeometry& g, double angle) {
  const double exact = 1.0 / std::sin(g.alpha + angle) - 1.0 / g.sinAlpha;
  const double linear = -angle * g.cotAlpha / g.sinAlpha;
  if (exact == 0.0 || !std::isfinite(exact) || linear == 0.0) return 1.0;
  return linear / exact;
}

// Exponent nu of the angular distribution after a reduced thickness and the factor
// (nu / (nu + 1))^nu that turns its half-width into the mean deflection.
double MeanDeflectionFactor(double nu) {
  return std::pow(nu / (nu + 1.0), nu);
}

}  // namespace

double DetectorResolution(const DetectorResolutionCoefficients& c, double energy) {
  const double r = c.a0 + c.a1 * std::pow(energy, c.a2) + c.a3 * std::pow(energy, c.a4);
  return std::isfinite(r) ? r : std::nan("");
}

double DopplerWidth(double m1, double mt, double energy, double temperature) {
  const double v = kBoltzmannKeV * (2.0 * m1 / mt) * energy * temperature;
  if (!(v > 0.0) || !std::isfinite(v)) return 0.0;
  return kFwhmPerSigma * std::sqrt(v);
}

namespace {

// Quantities of one step that every contribution uses. An excitation curve looks at the
// beam at the resonance depth: no kinematic factor and no outgoing side; the second-order
// angle terms keep the true K.
struct StepTerms {
  explicit StepTerms(const StepInputs& in, const EngineGeometry& g)
      : kTrue(in.K),
        K(in.excitation ? 1.0 : in.K),
        T(in.excitation ? 1.0 : in.T),
        vOut(in.excitation ? 0.0 : in.Vout),
        E(in.E),
        kE(in.E * in.dK),
        KT(K * T),
        invKT(std::fabs(KT) > 1e-12 ? 1.0 / KT : 0.0),
        tan2(g.tanTheta * g.tanTheta - 1.0) {}
  // Second-order change of K E over an angular width, carried out.
  double SecondOrder(double width) const { return tan2 * kTrue * E * width * width / 4.0 * T; }

  double kTrue, K, T, vOut, E;
  double kE;  // kinematic energy change per radian
  double KT, invKT, tan2;
};

// 1. Beam energy spread, carried in, through the reaction and out.
void BeamEnergySpread(const StepInputs& in, const ContributionOptions& o, const StepTerms& t,
                      StepContributions& c) {
  if (o.CheckBeam) c.beame = in.bes * in.Rin * t.K * t.T;
}

// 2. Beam angular spread: the path length in changes with the angle, and so does K.
void BeamAngularSpread(const StepInputs& in, const EngineGeometry& g, const ContributionOptions& o,
                       const StepTerms& t, StepContributions& c, StepProblem& problem) {
  if (!o.CheckBeam) return;
  const double path = g.gAlpha * in.Lin * t.K;
  const double a1 = o.CheckKinematic ? path * t.T * in.asb
                                     : t.SecondOrder(in.asb) + (path + t.kE * g.wIn) * t.T * in.asb;
  const double a2 = o.CheckKinematic2 ? 0.0 : t.SecondOrder(in.asb) + t.kE * g.wPerp * t.T * in.asb;
  c.beama = std::hypot(a1, a2);
  c.beamaCorrected = c.beama;
  if (!o.CheckKinematic) {
    double ca = 1.0;
    if (!SecondOrderFactor(Sq(in.asb / 2.0 * g.cotAlpha), ca)) problem = StepProblem::kSecondOrder;
    const double a1c = (path * ca + t.kE * g.wIn) * t.T * in.asb;
    const double a2c = o.CheckKinematic2 ? 0.0 : t.kE * g.wPerp * t.T * in.asb;
    c.beamaCorrected = std::hypot(a1c, a2c);
  }
}

// 3. Detector acceptance: the path length out and K change over the diaphragm.
void GeometricSpread(const StepInputs& in, const EngineGeometry& g, const ContributionOptions& o,
                     const StepTerms& t, StepContributions& c, StepProblem& problem) {
  if (!o.CheckGeo) return;
  c.G1 = o.CheckKinematic
             ? g.g1 * in.Lout * g.delta1
             : t.SecondOrder(g.delta1) + (g.g1 * in.Lout + t.kE * t.T * g.wIn) * g.delta1;
  c.G2 = o.CheckKinematic2
             ? g.g2 * in.Lout * g.delta2
             : t.SecondOrder(g.delta2) + (g.g2 * in.Lout + t.kE * t.T * g.wPerp) * g.delta2;
  c.geo = std::hypot(c.G1, c.G2);
  c.geoCorrected = c.geo;
  if (!o.CheckKinematic) {
    double c1 = 1.0;
    double c2 = 1.0;
    if (!SecondOrderFactor(Sq(g.delta1 / 2.0 * g.cosBeta1 / g.sinBeta1), c1))
      problem = StepProblem::kSecondOrder;
    if (!SecondOrderFactor(Sq(g.delta2 / 2.0 * g.cosBeta2 / g.sinBeta2), c2))
      problem = StepProblem::kSecondOrder;
    const double g1c = (g.g1 * in.Lout * c1 + t.kE * t.T * g.wIn) * g.delta1;
    const double g2c = (g.g2 * in.Lout * c2 + t.kE * t.T * g.wPerp) * g.delta2;
    c.geoCorrected = std::hypot(g1c, g2c);
  }
}

// 4. Energy straggling of both paths.
void StragglingSpread(const StepInputs& in, const StepTerms& t, StepContributions& c) {
  c.ss = std::sqrt(std::max(0.0, t.K * t.K * t.T * t.T * in.Vin + t.vOut));
}

// 5. Thermal motion of the target atoms.
void DopplerSpread(const StepInputs& in, const ContributionOptions& o, const StepTerms& t,
                   StepContributions& c) {
  if (o.CheckDoppler && t.E > 0.0) c.dopll = DopplerWidth(in.m1, in.mt, t.E, in.temperature) * t.KT;
}

// 6. Detector resolution at the mean detected energy.
void DetectorSpread(const StepInputs& in, const ContributionContext& context, StepContributions& c,
                    StepProblem& problem) {
  if (!context.options.CheckDet) return;
  const double d = DetectorResolution(context.detector, in.Em);
  if (d > 0.0) {
    c.D = d;
  } else {
    problem = StepProblem::kDetectorResolutionZero;
  }
}

// 7. Multiple scattering on the way in.
void MultipleScatteringIn(const StepInputs& in, const EngineGeometry& g,
                          const ContributionOptions& o, const StepTerms& t, StepContributions& c,
                          StepProblem& problem) {
  c.nuIn = HalfWidthSlope(in.tauIn);
  c.mMsIn = MsFitValue(in.tauIn);
  const double sIn = MeanDeflectionFactor(c.nuIn);
  double h = 1.0;
  if (o.CheckMS_max && in.phiIn > 0.0) h = InwardPathFactor(g, in.phiIn * sIn);
  if (h == 0.0) h = 1.0;
  double cIn = 1.0;
  if (!SecondOrderFactor(Sq(in.phiIn * sIn) / 2.0 * g.cotAlpha, cIn))
    problem = StepProblem::kSecondOrder;
  c.pIn1 = t.K * g.gAlpha * in.Lin / h;
  c.qIn1 = t.kE * g.wIn;
  c.pIn2 = g.perpendicularBeamFactor;
  c.qIn2 = t.kE * g.wPerp;
  const double wi1 = CombineWidths(c.pIn1, c.qIn1, c.nuIn) * in.phiIn * t.T;
  const double wi2 = CombineWidths(c.pIn2, c.qIn2, c.nuIn) * in.phiIn * t.T;
  c.msi = std::hypot(wi1, wi2);
  c.msiCorrected = std::hypot(CombineWidths(c.pIn1 * cIn, c.qIn1, c.nuIn) * in.phiIn * t.T,
                              CombineWidths(c.pIn2 * cIn, c.qIn2, c.nuIn) * in.phiIn * t.T);
}

// Angular and energy spread of the incident ion before the reaction, for the two edges of
// the beam's angular spread.
void IncidentSpread(const StepInputs& in, const EngineGeometry& g, const ContributionOptions& o,
                    const StepTerms& t, const Folder& fold, bool spectrumOnly,
                    StepContributions& c) {
  if (!spectrumOnly) c.dfi = fold(in.asb, kGaussianShape, in.phiIn, c.mMsIn).width;
  double shapeSum = 0.0;
  for (int sigma : {-1, +1}) {
    const double qBeam = in.asb > kZeroTolerance && g.cotAlpha > 1e-4
                             ? InwardPathFactor(g, sigma * in.asb / 2.0)
                             : 1.0;
    const double qMs = in.phiIn > kZeroTolerance && g.cotAlpha > 1e-4
                           ? InwardPathFactor(g, sigma * in.phiIn / 2.0)
                           : 1.0;
    const double gaussian = o.CheckBeam
                                ? std::sqrt(Sq(in.bes * in.Rin) + std::max(0.0, in.Vin) +
                                            Sq(c.beama * t.invKT / qBeam) + Sq(c.dopll * t.invKT))
                                : std::sqrt(std::max(0.0, in.Vin) + Sq(c.dopll * t.invKT));
    const PearsonShape s = fold(gaussian, kGaussianShape, c.msi * t.invKT / qMs, c.mMsIn);
    (sigma < 0 ? c.dEminus : c.dE) = s.width;
    shapeSum += s.shape;
  }
  c.mdE = shapeSum / 2.0;
}

// 8. Multiple scattering on the way out.
void MultipleScatteringOut(const StepInputs& in, const EngineGeometry& g,
                           const ContributionOptions& o, const StepTerms& t, StepContributions& c,
                           StepProblem& problem) {
  c.nuOut = HalfWidthSlope(in.tauOut);
  c.mMsOut = MsFitValue(in.tauOut);
  const double sOut = MeanDeflectionFactor(c.nuOut);
  double hOut = 1.0;
  if (o.CheckMS_max && in.phiOut > 0.0) hOut = InwardPathFactor(g, in.phiOut * sOut);
  if (hOut == 0.0) hOut = 1.0;
  double cOut1 = 1.0;
  double cOut2 = 1.0;
  const double halfOut = in.phiOut * sOut / 2.0;
  if (!SecondOrderFactor(Sq(halfOut * g.cosBeta1 / g.sinBeta1), cOut1))
    problem = StepProblem::kSecondOrder;
  if (!SecondOrderFactor(Sq(halfOut * g.cosBeta2 / g.sinBeta2), cOut2))
    problem = StepProblem::kSecondOrder;
  c.pOut1 = -g.g1 * in.Lout / hOut;
  c.qOut1 = -t.kE * g.wIn * t.T;
  c.pOut2 = -g.g2 * in.Lout / hOut;
  c.qOut2 = -t.kE * g.wPerp * t.T;
  c.msoInPlane = CombineWidths(c.pOut1, c.qOut1, c.nuOut) * in.phiOut;
  c.msoPerp = CombineWidths(c.pOut2, c.qOut2, c.nuOut) * in.phiOut;
  c.mso = std::hypot(c.msoInPlane, c.msoPerp);
  c.msoCorrected = std::hypot(CombineWidths(c.pOut1 * cOut1, c.qOut1, c.nuOut) * in.phiOut,
                              CombineWidths(c.pOut2 * cOut2, c.qOut2, c.nuOut) * in.phiOut);
}

// 9. The Gaussian part S0; returns the same with the second-order corrected terms. An
// excitation curve has no outgoing side: no acceptance, no outgoing straggling or
// scattering, no detector.
double GaussianPart(const StepInputs& in, StepContributions& c) {
  if (!in.excitation) {
    c.S0 = std::sqrt(Sq(c.dopll) + Sq(c.beama) + Sq(c.beame) + Sq(c.ss) + Sq(c.geo));
    return std::sqrt(Sq(c.dopll) + Sq(c.beamaCorrected) + Sq(c.beame) + Sq(c.ss) +
                     Sq(c.geoCorrected));
  }
  const double vIn = std::max(0.0, in.Vin);
  c.S0 = std::sqrt(Sq(c.beame) + vIn + Sq(c.beama) + Sq(c.dopll));
  const double s0Corrected = std::sqrt(Sq(c.beame) + vIn + Sq(c.beamaCorrected) + Sq(c.dopll));
  c.geo = c.geoCorrected = c.G1 = c.G2 = 0.0;
  c.ss = std::sqrt(vIn);
  c.mso = c.msoCorrected = 0.0;
  c.D = 0.0;
  return s0Corrected;
}

// A width folded with the two multiple-scattering distributions, the more Gaussian-like
// one first.
PearsonShape FoldMultipleScattering(const Folder& fold, const StepContributions& c, double base,
                                    double wIn, double wOut) {
  if (c.mMsIn >= c.mMsOut) {
    const PearsonShape a = fold(base, kGaussianShape, wIn, c.mMsIn);
    return fold(a.width, a.shape, wOut, c.mMsOut);
  }
  const PearsonShape a = fold(base, kGaussianShape, wOut, c.mMsOut);
  return fold(a.width, a.shape, wIn, c.mMsIn);
}

// 10. The total: the Gaussian part folded with the two multiple-scattering distributions;
// for an excitation curve the beam at the resonance depth, then the resonance itself.
void TotalSpread(const StepInputs& in, const Folder& fold, double s0Corrected,
                 StepContributions& c) {
  const bool atSurface = in.depth <= kZeroTolerance;
  if (atSurface) c.msi = c.msiCorrected = 0.0;
  if (!in.excitation) {
    const PearsonShape t = FoldMultipleScattering(fold, c, c.S0, c.msi, c.mso);
    c.tot = t.width;
    c.mres = t.shape;
    c.totCorrected =
        FoldMultipleScattering(fold, c, s0Corrected, c.msiCorrected, c.msoCorrected).width;
    return;
  }
  const PearsonShape beam = fold(c.S0, kGaussianShape, c.msi, c.mMsIn);
  c.mso = beam.width;
  const PearsonShape t = fold(beam.width, beam.shape, in.fwhm, kLorentzianShape);
  c.tot = c.det = t.width;
  c.mres = t.shape;
  const PearsonShape beamC = fold(s0Corrected, kGaussianShape, c.msiCorrected, c.mMsIn);
  c.totCorrected = fold(beamC.width, beamC.shape, in.fwhm, kLorentzianShape).width;
}

// 11. Error of the linearised treatment, seen at the detector.
void LinearisationError(const StepInputs& in, StepContributions& c, StepProblem& problem) {
  const double rho = in.absorber ? in.absorberStoppingExit : 1.0;
  const double sAbs =
      in.absorber && in.absorberStoppingEntry > 0.0 ? in.absorberStoppingEntry : 1.0;
  const double x = in.absorber ? in.absorberSigma : 0.0;
  const double ho = in.absorber ? in.ho : 0.0;
  const double common = Sq(ho * rho) + Sq(kFwhmPerSigma * x) + Sq(c.D);
  const double b = std::sqrt(common + Sq(c.tot * rho / sAbs));
  const double a = std::sqrt(common + Sq(c.totCorrected * rho / sAbs));
  c.error = b > 1e-10 ? (a / b - 1.0) * 100.0 : 0.0;
  if (!(std::fabs(c.error) <= 1000.0) || !std::isfinite(c.tot)) problem = StepProblem::kLinearError;
}

// 12. End checks and the total at the detector: through the foil by its table, else the
// detector resolution folded in.
void DetectedTotal(const StepInputs& in, const ContributionContext& context, const Folder& fold,
                   StepContributions& c, StepProblem& problem, double& halfWidthIndex) {
  if (in.Em - c.tot / 100.0 <= 0.0 || halfWidthIndex <= 1.0 || problem != StepProblem::kNone) {
    if (problem == StepProblem::kNone && halfWidthIndex > 1.0) {
      problem = StepProblem::kEnergyBelowSpread;
    } else if (problem == StepProblem::kNone && in.Em > c.tot / 100.0) {
      problem = StepProblem::kAbsorberUnresolved;
    }
    c.det = kUnresolvedTotal;
  } else if (in.excitation) {
    // As formed with the resonance in the total.
  } else if (in.absorber && context.absorber != nullptr) {
    const AbsorberSpread s = context.absorber->Spread(in.exitEnergy, c.tot, c.mres);
    c.det = s.total;
    halfWidthIndex = s.halfWidthIndex;
  } else if (!context.spectrumOnly) {
    c.det = FoldMultipleScattering(fold, c, std::hypot(c.D, c.S0), c.msi, c.mso).width;
  }
}

// 13. Detected spreads of the upper and lower edge, for the spectrum simulation.
void EdgeSpreads(const StepInputs& in, const EngineGeometry& g, const StepTerms& t,
                 const Folder& fold, StepContributions& c) {
  double edgeShapes = 0.0;
  for (int edge : {+1, -1}) {
    const double f1 = edge > 0 ? g.f1Plus : g.f1Minus;
    const double f2 = edge > 0 ? g.f2Plus : g.f2Minus;
    const double detectorSide =
        std::sqrt(Sq(c.G1 / f1) + Sq(c.G2 / f2) + std::max(0.0, t.vOut) + Sq(c.D));
    const double q1 =
        in.phiOut > kZeroTolerance ? ExactToLinearFactor(g.beta1, in.phiOut, edge) : 1.0;
    const double q2 =
        in.phiOut > kZeroTolerance ? ExactToLinearFactor(g.beta2, in.phiOut, edge) : 1.0;
    const double msOut = std::hypot(c.msoInPlane / q1, c.msoPerp / q2);
    const PearsonShape out = fold(detectorSide, kGaussianShape, msOut, c.mMsOut);
    const double incident = (edge > 0 ? c.dE : c.dEminus) * t.KT;
    const PearsonShape s = fold(out.width, out.shape, incident, c.mdE);
    (edge > 0 ? c.edgePlus : c.edgeMinus) = s.width;
    edgeShapes += s.shape;
  }
  c.edgeShape = edgeShapes / 2.0;
}

}  // namespace

StepContributions ComputeContributions(const StepInputs& in, const ContributionContext& context,
                                       StepProblem& problem, double& halfWidthIndex,
                                       bool& tableMissing) {
  const EngineGeometry& g = context.geometry;
  const ContributionOptions& o = context.options;
  const Folder fold(context.tables, context.convolution, tableMissing);
  const StepTerms t(in, g);
  StepContributions c;
  BeamEnergySpread(in, o, t, c);
  BeamAngularSpread(in, g, o, t, c, problem);
  GeometricSpread(in, g, o, t, c, problem);
  StragglingSpread(in, t, c);
  DopplerSpread(in, o, t, c);
  DetectorSpread(in, context, c, problem);
  MultipleScatteringIn(in, g, o, t, c, problem);
  IncidentSpread(in, g, o, t, fold, context.spectrumOnly, c);
  MultipleScatteringOut(in, g, o, t, c, problem);
  const double s0Corrected = GaussianPart(in, c);
  TotalSpread(in, fold, s0Corrected, c);
  LinearisationError(in, c, problem);
  DetectedTotal(in, context, fold, c, problem, halfWidthIndex);
  EdgeSpreads(in, g, t, fold, c);
  return c;
}

}  // namespace dodavev
