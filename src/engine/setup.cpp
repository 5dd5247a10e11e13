#include "engine/setup.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/kinematics.hpp"
#include "engine/run_inputs.hpp"
#include "io/number_parse.hpp"
#include "io/parameter_file.hpp"
#include "io/text_file.hpp"
#include "model/messages.hpp"
#include "model/units.hpp"
#include "physics/element_io.hpp"

namespace dodavev {
namespace {

// Factors and angles closer to zero than this count as zero.
// A level file is a short list of numbers; larger files are refused unread.
constexpr std::size_t kMaxLevelFileBytes = 1U << 20U;

// 2.35^2 / 16: FWHM^2 per diameter^2 of a uniformly lit circle seen edge on.
constexpr double kCircularShapeFactor = 0.34515625;
// 2.35^2 / 12: FWHM^2 per width^2 of a uniform rectangle.
constexpr double kRectangularShapeFactor = 0.46020833;

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

double ShapeFactor(char shape) {
  return shape == 'C' ? kCircularShapeFactor : kRectangularShapeFactor;
}

GeometryInputs GeometryInputsOf(const ParameterValues& p, double alpha, double theta) {
  GeometryInputs in;
  in.alpha = alpha;
  in.theta = theta;
  in.position = p.geometry;
  in.detShape = p.det_shape;
  in.detWidth = p.det_width;
  in.detLength = p.det_shape == 'C' ? p.det_width : p.det_length;
  in.beamShape = p.beam_shape;
  in.beamWidth = p.beam_width;
  // The length field belongs to the rectangular slit; a circle's extent is its diameter.
  in.beamLength = p.beam_shape == 'C' ? p.beam_width : p.beam_length;
  in.distance = p.d;
  return in;
}

double ExactToLinearFactor(double beta, double delta, int edgeSign) {
  const double s = std::sin(beta);
  const double c = std::cos(beta);
  if (c <= 1e-4 || s == 0.0) return 1.0;
  const double half = edgeSign * delta / 2.0;
  // d(1/sin b)/db = -cos b / sin^2 b: the linear change over the half acceptance.
  const double linear = -half * c / (s * s);
  const double exact = 1.0 / std::sin(beta + half) - 1.0 / s;
  if (exact == 0.0 || !std::isfinite(exact)) return 1.0;
  return linear / exact;
}

EngineGeometry ComputeEngineGeometry(const GeometryInputs& in) {
  EngineGeometry g;
  g.alpha = in.alpha;
  g.theta = in.theta;
  g.tanTheta = std::tan(in.theta);
  g.sinAlpha = std::sin(in.alpha);
  g.cosAlpha = std::cos(in.alpha);
  g.cotAlpha = g.cosAlpha / g.sinAlpha;
  g.sinTheta = std::sin(in.theta);
  g.cosTheta = std::cos(in.theta);

  // Transmission when the detector looks at the back of the sample.
  g.GeometryKind = in.theta <= in.alpha ? 'T' : 'R';
  g.position = in.position == 'I' ? 'I' : 'C';
  if (g.position == 'I') {
    // IBM: beam, detector and surface normal in one plane.
    g.beta1 = g.GeometryKind == 'T' ? in.alpha - in.theta : in.theta - in.alpha;
    g.beta2 = std::numbers::pi / 2.0;
  } else {
    // Cornell: the detector lies in the vertical plane through the beam; the exit
    // direction makes the angles alpha and theta - 90 degrees with the two planes. The
    // cosine of its angle to the normal of the surface it leaves is sin(alpha) |cos(theta)|:
    // through the front for theta > 90 degrees, through the back (transmission) below, where
    // the second angle is 90 degrees - theta. A detector on the other side of the sample
    // than its geometry kind says gives a negative angle, which the run refuses.
    const double tilt = in.theta - std::numbers::pi / 2.0;
    g.beta1 = in.alpha;
    g.beta2 = g.GeometryKind == 'T' ? -tilt : tilt;
  }
  g.sinBeta1 = std::sin(g.beta1);
  g.cosBeta1 = std::cos(g.beta1);
  g.sinBeta2 = std::sin(g.beta2);
  g.cosBeta2 = std::cos(g.beta2);

  // Angular acceptances (FWHM): the diaphragm and the beam spot seen from the distance d;
  // the spot is stretched in the scattering plane by the ratio of the exit and entrance sines.
  g.fDet = ShapeFactor(in.detShape);
  g.fBeam = ShapeFactor(in.beamShape);
  if (in.distance > 0.0) {
    const double spot1 = in.beamWidth * g.sinBeta1 / g.sinAlpha;
    const double spot2 = in.beamLength * g.sinBeta2;
    g.delta1 =
        std::sqrt(in.detWidth * in.detWidth * g.fDet + spot1 * spot1 * g.fBeam) / in.distance;
    g.delta2 =
        std::sqrt(in.detLength * in.detLength * g.fDet + spot2 * spot2 * g.fBeam) / in.distance;
  }

  // Derivatives of the path lengths 1/sin with respect to the angles.
  g.gAlpha = g.cosAlpha / (g.sinAlpha * g.sinAlpha);
  g.perpendicularBeamFactor = 0.0;
  if (g.position == 'I') {
    g.wIn = 1.0;
    g.wPerp = 0.0;
    g.g1 = g.cosBeta1 / (g.sinBeta1 * g.sinBeta1);
    g.g2 = 0.0;
  } else {
    g.wIn = 0.0;
    g.wPerp = 1.0;
    g.g1 = g.cosBeta1 / (g.sinBeta1 * g.sinBeta1 * g.sinBeta2);
    g.g2 = g.cosBeta2 / (g.sinBeta2 * g.sinBeta2 * g.sinBeta1);
  }

  if (g.delta1 > kZeroTolerance && g.delta2 > kZeroTolerance) {
    g.f1Plus = ExactToLinearFactor(g.beta1, g.delta1, +1);
    g.f2Plus = ExactToLinearFactor(g.beta2, g.delta2, +1);
    g.f1Minus = ExactToLinearFactor(g.beta1, g.delta1, -1);
    g.f2Minus = ExactToLinearFactor(g.beta2, g.delta2, -1);
  }

  g.msCapIn = in.alpha / 3.0;
  g.msCapOut = std::min(g.beta1, g.beta2) / 3.0;
  return g;
}

std::string GeometryProblem(const EngineGeometry& g) {
  if (!(g.sinAlpha > 1e-10) || !std::isfinite(g.cotAlpha)) {
    return "geometry is not well defined: the beam does not enter the sample (alpha)";
  }
  if (!(g.sinBeta1 > 1e-10) || !(g.sinBeta2 > 1e-10)) {
    return "geometry is not well defined: the emitted particles cannot leave the sample "
           "towards the detector (theta, alpha, detector position)";
  }
  return {};
}

double TargetConcentration(const Layer& layer, std::string_view targetSymbol, double mt,
                           const ElementTable& elements) {
  if (targetSymbol.size() < 2 || !(layer.amountSum > 0.0)) return 0.0;
  const long mass = std::lround(mt);
  double concentration = 0.0;
  for (const LayerElement& e : layer.elements) {
    if (e.symbol[0] != targetSymbol[0] || e.symbol[1] != targetSymbol[1]) continue;
    const double fraction = e.amount / layer.amountSum;
    if (e.massNumber > 0) {
      if (e.massNumber == mass) concentration = fraction;
      continue;
    }
    // Natural element: its isotope of that mass number, if it has one.
    double abundance = 0.0;
    if (ElementTable::ValidZ(e.Z)) {
      const ElementRecord& rec = elements[e.Z];
      const int count = std::clamp(rec.isotopeCount, 0, kMaxIsotopes);
      for (int i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (rec.isotopeMassNumber[k] == mass) {
          abundance = static_cast<double>(rec.isotopeAbundance[k]);
          break;
        }
      }
    }
    concentration = fraction * abundance;
  }
  return concentration;
}

LevelFile ParseLevelText(std::string_view text) {
  LevelFile out;
  LineCursor lines(text);
  const std::optional<std::int32_t> count = ParseInteger(TrimBlanks(lines.Next()));
  if (!count || *count < 0 || *count > kMaxLevels) {
    out.status = kInvalidNumericFormat;
    out.problem = "the first line is not a number of levels";
    return out;
  }
  for (std::int32_t i = 0; i < *count; ++i) {
    if (lines.AtEnd()) {
      out.status = kInvalidNumericFormat;
      out.problem =
          "the file ends after " + std::to_string(i) + " of " + std::to_string(*count) + " levels";
      return out;
    }
    const std::optional<double> e = ParseDecimal(TrimBlanks(lines.Next()));
    if (!e || !std::isfinite(*e)) {
      out.status = kInvalidNumericFormat;
      out.problem = "level " + std::to_string(i) + " is not a number";
      return out;
    }
    out.energies.push_back(*e);
  }
  return out;
}

LevelFile ReadLevelFile(const std::filesystem::path& path) {
  std::string text;
  const int code = ReadTextFileCapped(path, kMaxLevelFileBytes, text);
  if (code != 0) {
    LevelFile out;
    out.status = code;
    out.problem = "cannot be read";
    return out;
  }
  return ParseLevelText(text);
}

std::string LevelFileName(const ElementTable& elements, int zResidual, double mResidual) {
  if (!ElementTable::ValidZ(zResidual) || !elements[zResidual].Present()) return {};
  if (!std::isfinite(mResidual) || mResidual < 0.5 || mResidual > 1e6) return {};
  std::string name(elements[zResidual].SymbolView());
  name += std::to_string(std::lround(mResidual));
  name += ".lev";
  return name;
}

bool PrepareRun(const RunInputs& inputs, const RunRequest& request, RunState& run) {
  const ParameterValues& p = inputs.params;
  const ReactionKind kind = request.kind.value_or(inputs.reaction.kind);
  run = RunState{};
  run.kind = kind;
  run.CalcMode = request.CalcMode;
  run.SpectrumFlag = request.SpectrumFlag;
  run.e0 = request.e0.value_or(p.e0);
  run.asb = p.asb * kDegToRad;
  run.levelEnergies = request.levelEnergies;
  const double alpha = request.alphaDeg.value_or(p.a) * kDegToRad;
  const double theta = request.thetaDeg.value_or(p.th) * kDegToRad;

  // The target isotope and the emitted particle of this run.
  run.z2 = p.z2;
  run.m2 = p.m2;
  if (run.SpectrumFlag == SpectrumMode::kFullSpectrum) {
    run.targetSymbol = TargetSymbol(request.fullSpectrumTarget);
    run.mt = request.fullSpectrumMass;
    run.SpectrumFlag = SpectrumMode::kSpectrum;
    if (kind == ReactionKind::kErd) {
      run.m2 = run.mt;
      run.z2 = LookupElement(run.targetSymbol, inputs.elements);
    } else if (kind == ReactionKind::kForwardScattering) {
      run.m2 = p.m1;
      run.z2 = p.z1;
    }
  } else {
    run.targetSymbol = TargetSymbol(p.target);
    run.mt = p.mt;
  }
  run.targetZ = LookupElement(run.targetSymbol, inputs.elements);

  run.engine = ComputeEngineGeometry(GeometryInputsOf(p, alpha, theta));
  run.geometry.GeometryKind = run.engine.GeometryKind;
  run.geometry.sinAlpha = run.engine.sinAlpha;
  run.geometry.sinBeta1 = run.engine.sinBeta1;
  run.geometry.sinBeta2 = run.engine.sinBeta2;

  if (request.SpectrumFlag == SpectrumMode::kFullSpectrum && kind == ReactionKind::kRbs &&
      run.mt < run.m2)
    return false;

  KinematicsInput k;
  k.kind = kind;
  k.masses = ReactionMasses{p.m1, run.m2, run.mt};
  k.theta = theta;
  k.e0 = run.e0;
  k.qm = p.qm;
  k.level = p.level;
  k.levelEnergies = run.levelEnergies;
  k.kinSign = p.kin_sign;
  k.excitationCurve = run.CalcMode == CalculationMode::kExcitationCurve;
  const KinematicState st = Kinematics(k);
  run.kinematicFactor = st.K;
  run.kinematicDerivative = st.dK;
  return true;
}

void PrepareCalculation(const RunInputs& inputs, RunRequest& request, RunState& run,
                        MessageSink& messages) {
  const ParameterValues& p = inputs.params;
  if (request.CalcMode == CalculationMode::kExcitationCurve) request.e0 = p.er;
  const ReactionKind kind = request.kind.value_or(inputs.reaction.kind);

  // Forward scattering beyond the largest angle of an ion heavier than its target.
  if (kind == ReactionKind::kForwardScattering) {
    const double s = std::sin(request.thetaDeg.value_or(p.th) * kDegToRad);
    if (p.mt * p.mt - p.m1 * p.m1 * s * s < 0.0) request.CalcMode = CalculationMode::kNone;
  }

  request.levelEnergies.clear();
  if (kind == ReactionKind::kNra) {
    const int zTarget = LookupElement(TargetSymbol(p.target), inputs.elements);
    const int zResidual = zTarget + p.z1 - p.z2;
    const double mResidual = p.mt + p.m1 - p.m2;
    const std::string name = LevelFileName(inputs.elements, zResidual, mResidual);
    if (name.empty()) {
      messages.Show("no level file for the residual nucleus Z = " + std::to_string(zResidual));
    } else {
      const LevelFile levels = ReadLevelFile(inputs.levDir / name);
      if (levels.status != 0) {
        messages.Show("level file " + (inputs.levDir / name).string() + ": " + levels.problem +
                      " #" + std::to_string(levels.status));
      }
      request.levelEnergies = levels.energies;
    }
    if (!LevelEnergy(request.levelEnergies, p.level)) {
      messages.Show("excitation level " + std::to_string(p.level) +
                    " is not in the level file of the residual nucleus");
    }
  }
  PrepareRun(inputs, request, run);
}

}  // namespace dodavev
