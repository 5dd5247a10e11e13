#include "studies/resonance_yield.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/run_inputs.hpp"
#include "model/element_table.hpp"
#include "model/layer_structure.hpp"
#include "model/units.hpp"
#include "physics/pearson7.hpp"

namespace dodavev {
namespace {

// Spreads, depths and amounts closer to zero than this count as zero.
// The mesh is not extended beyond this energy (keV); above it sigma counts as 0.
constexpr double kHighestEnergy = 1e9;
// The beam's spread is sampled in bins of 1/21 of its FWHM over +- 3 FWHM.
constexpr int kBinsPerWidth = 21;
constexpr int kWindowBins = 3 * kBinsPerWidth;

bool SameSymbol(const std::array<char, 2>& entry, std::string_view target) {
  return target.size() >= 2 && entry[0] == target[0] && entry[1] == target[1];
}

}  // namespace

// ---- Cross-section integral -------------------------------------------------------------

CrossSectionIntegral::CrossSectionIntegral(Sigma sigma, double anchorKeV, double fineKeV,
                                           double coarseKeV)
    : sigma_(std::move(sigma)),
      anchor_(std::isfinite(anchorKeV) ? std::clamp(anchorKeV, 0.0, kHighestEnergy) : 0.0),
      fine_(fineKeV > 1e-6 && std::isfinite(fineKeV) ? fineKeV : 1e-6),
      coarse_(std::max(fine_, std::isfinite(coarseKeV) ? coarseKeV : fine_)) {}

double CrossSectionIntegral::Spacing(double distance) const {
  return std::max(fine_, std::min(distance / 16.0, std::max(coarse_, distance / 1000.0)));
}

void CrossSectionIntegral::Cover(double lo, double hi) {
  auto sigmaAt = [this](double e) {
    if (!(e > 0.0)) return 0.0;
    const double s = sigma_(e);
    return std::isfinite(s) && s > 0.0 ? s : 0.0;
  };
  if (up_.empty()) {
    const Node anchor{anchor_, sigmaAt(anchor_), 0.0, 0.0, 0.0};
    up_.push_back(anchor);
    down_.push_back(anchor);
  }
  // sigma is linear in each cell: sigma(t) = sa + k t over [0, h], so C, D and E grow by
  // polynomials of degree 2, 3 and 4 in t.
  hi = std::min(hi, kHighestEnergy);
  while (up_.back().e < hi) {
    const Node a = up_.back();
    const double h = Spacing(a.e - anchor_);
    Node b;
    b.e = a.e + h;
    b.sigma = sigmaAt(b.e);
    const double k = (b.sigma - a.sigma) / h;
    b.C = a.C + a.sigma * h + k * h * h / 2.0;
    b.D = a.D + a.C * h + a.sigma * h * h / 2.0 + k * h * h * h / 6.0;
    b.E = a.E + a.D * h + a.C * h * h / 2.0 + a.sigma * h * h * h / 6.0 + k * h * h * h * h / 24.0;
    up_.push_back(b);
  }
  while (down_.back().e > lo && down_.back().e > 0.0) {
    const Node b = down_.back();  // the upper end of the new cell
    double e = b.e - Spacing(anchor_ - b.e);
    if (e < 0.0) e = 0.0;
    const double h = b.e - e;
    Node a;
    a.e = e;
    a.sigma = sigmaAt(e);
    const double k = (b.sigma - a.sigma) / h;
    a.C = b.C - (a.sigma * h + k * h * h / 2.0);
    a.D = b.D - (a.C * h + a.sigma * h * h / 2.0 + k * h * h * h / 6.0);
    a.E =
        b.E - (a.D * h + a.C * h * h / 2.0 + a.sigma * h * h * h / 6.0 + k * h * h * h * h / 24.0);
    down_.push_back(a);
  }
}

CrossSectionIntegral::Cumulants CrossSectionIntegral::At(double e) {
  Cover(e, e);
  // Inside the cell [a, b] that holds e: the exact integrals of the linear sigma.
  auto inside = [e](const Node& a, const Node& b) {
    const double h = b.e - a.e;
    const double t = e - a.e;
    const double k = h > 0.0 ? (b.sigma - a.sigma) / h : 0.0;
    Cumulants n;
    n.C = a.C + a.sigma * t + k * t * t / 2.0;
    n.D = a.D + a.C * t + a.sigma * t * t / 2.0 + k * t * t * t / 6.0;
    n.E = a.E + a.D * t + a.C * t * t / 2.0 + a.sigma * t * t * t / 6.0 + k * t * t * t * t / 24.0;
    return n;
  };
  // Beyond the ends of the mesh sigma is 0: C stays, D grows linearly, E quadratically.
  auto beyond = [e](const Node& end) {
    const double t = e - end.e;
    return Cumulants{end.C, end.D + t * end.C, end.E + t * end.D + t * t / 2.0 * end.C};
  };
  if (e >= anchor_) {
    const auto it = std::upper_bound(up_.begin(), up_.end(), e,
                                     [](double v, const Node& n) { return v < n.e; });
    if (it == up_.end()) return beyond(up_.back());
    return inside(*(it - 1), *it);
  }
  // down_ runs downwards: the first node at or below e is the lower end of the cell.
  const auto it =
      std::partition_point(down_.begin(), down_.end(), [e](const Node& n) { return n.e > e; });
  if (it == down_.end()) return beyond(down_.back());
  return inside(*it, *(it - 1));
}

double CrossSectionIntegral::Integral(double a, double b) {
  if (!std::isfinite(a) || !std::isfinite(b)) return 0.0;
  return At(b).C - At(a).C;
}

double CrossSectionIntegral::MeanSlabIntegral(double e, double slab, double bin) {
  if (!std::isfinite(e) || !std::isfinite(slab) || !std::isfinite(bin)) return 0.0;
  if (!(bin > 0.0)) return Integral(e, e + slab);
  // The integral of G over the bin is [D(t + slab) - D(t)] from lo to hi.
  const double lo = e - bin / 2.0;
  const double hi = e + bin / 2.0;
  const double inner = At(hi + slab).D - At(lo + slab).D;
  const double outer = At(hi).D - At(lo).D;
  return (inner - outer) / bin;
}

double CrossSectionIntegral::SlabMoment(double e, double slab, double bin) {
  if (!std::isfinite(e) || !std::isfinite(slab) || !(bin > 0.0) || !std::isfinite(bin)) return 0.0;
  // (t - e) C(t + s) is the derivative of (t - e) D(t + s) - E(t + s), and likewise
  // without s; at the bin's ends t - e is -+ bin / 2.
  const double half = bin / 2.0;
  const Cumulants lo = At(e - half);
  const Cumulants hi = At(e + half);
  const Cumulants loS = At(e - half + slab);
  const Cumulants hiS = At(e + half + slab);
  const double withSlab = (half * hiS.D - hiS.E) - (-half * loS.D - loS.E);
  const double without = (half * hi.D - hi.E) - (-half * lo.D - lo.E);
  return (withSlab - without) / bin;
}

double SpreadSlabIntegral(CrossSectionIntegral& integral, double centre, double spread,
                          double shape, double slab) {
  if (!(slab > 0.0) || !std::isfinite(centre)) return 0.0;
  if (!(spread > kZeroTolerance) || !std::isfinite(spread))
    return integral.Integral(centre, centre + slab);
  const double w = spread / kBinsPerWidth;
  const double half = w / 2.0;
  const PearsonVII density(spread, shape, w);
  // Bin j (offset x_j = j w of the beam energy below the centre) covers the slab starts
  // t from edge i = kWindowBins - j to edge i + 1; neighbouring bins share their edges.
  constexpr int kEdges = 2 * kWindowBins + 2;
  std::array<CrossSectionIntegral::Cumulants, kEdges> at{};
  std::array<CrossSectionIntegral::Cumulants, kEdges> atSlab{};
  const double first = centre - (kWindowBins + 0.5) * w;
  for (int i = 0; i < kEdges; ++i) {
    const double t = first + i * w;
    at[static_cast<std::size_t>(i)] = integral.At(t);
    atSlab[static_cast<std::size_t>(i)] = integral.At(t + slab);
  }
  double sum = 0.0;
  double weights = 0.0;
  for (int j = -kWindowBins; j <= kWindowBins; ++j) {
    const double x = j * w;
    const double p = density.Density(x);
    if (!(p > 0.0)) continue;
    const auto i = static_cast<std::size_t>(kWindowBins - j);
    const auto& lo = at[i];
    const auto& hi = at[i + 1];
    const auto& loS = atSlab[i];
    const auto& hiS = atSlab[i + 1];
    // Integral of G over the bin, and of (t - t_j) G with t_j the bin's middle.
    const double mass = (hiS.D - loS.D) - (hi.D - lo.D);
    const double moment = ((half * hiS.D - hiS.E) - (-half * loS.D - loS.E)) -
                          ((half * hi.D - hi.E) - (-half * lo.D - lo.E));
    // P is linear in the bin: P(x) = p + slope (x - x_j), and x - x_j = -(t - t_j).
    const double slope = (density.Density(x + half) - density.Density(x - half)) / w;
    sum += p * mass - slope * moment;
    weights += p * w;
  }
  return weights > 0.0 ? sum / weights : 0.0;
}

// ---- Isotopes of a layer -----------------------------------------------------------------

std::vector<ResonanceIsotope> ResonanceIsotopes(const Layer& layer, ReactionKind kind,
                                                std::string_view targetSymbol, double mt, int z1,
                                                const ElementTable& elements) {
  std::vector<ResonanceIsotope> out;
  if (!(layer.amountSum > 0.0) || !(layer.density > 0.0) || kind == ReactionKind::kNotUsable)
    return out;
  for (const LayerElement& entry : layer.elements) {
    const bool targetElement = SameSymbol(entry.symbol, targetSymbol);
    if ((kind == ReactionKind::kNra || kind == ReactionKind::kErd) && !targetElement) continue;
    if (kind == ReactionKind::kRbs && entry.Z <= z1) continue;
    const double share = entry.amount / layer.amountSum * layer.density;
    auto add = [&](int massNumber, double abundance) {
      // Forward scattering counts every isotope; the others only the target's mass.
      if (kind != ReactionKind::kForwardScattering && std::fabs(massNumber - mt) > 0.5) return;
      const double c = share * abundance;
      if (c > kZeroTolerance) out.push_back({entry.Z, massNumber, c});
    };
    if (entry.massNumber > 0) {
      add(entry.massNumber, 1.0);
      continue;
    }
    if (!ElementTable::ValidZ(entry.Z)) continue;
    const ElementRecord& rec = elements[entry.Z];
    const int count = std::clamp(rec.isotopeCount, 0, kMaxIsotopes);
    for (int i = 0; i < count; ++i) {
      const auto k = static_cast<std::size_t>(i);
      add(rec.isotopeMassNumber[k], static_cast<double>(rec.isotopeAbundance[k]));
    }
  }
  return out;
}

// ---- Yield of a step ----------------------------------------------------------------------

double IsotopeStepYield(CrossSectionIntegral& integral, const ResonanceStep& step, double c) {
  if (!(step.depth > kZeroTolerance) || !(c > kZeroTolerance) || !(step.stopping > 0.0)) return 0.0;
  const double slab = step.Eprev - step.E;  // energy the beam loses in the step
  if (!(slab > 0.0) || !std::isfinite(slab)) return 0.0;
  return c / step.stopping * SpreadSlabIntegral(integral, step.E, step.spread, step.shape, slab);
}

double StepSpread(const ResolutionTable& table, int row) {
  auto spread = [&table](int r) {
    const double s = table.at(std::max(r, 0), Step::kIonSpread);
    return std::isfinite(s) && s > 0.0 ? s : 0.0;
  };
  const double before = spread(row - 1);
  const double after = spread(row);
  return std::sqrt((before * before + after * after) / 2.0);
}

ResonanceHooks::ResonanceHooks(const RunInputs& inputs, double resonanceKeV, double widthKeV)
    : inputs_(inputs),
      resonance_(resonanceKeV),
      width_(widthKeV > 0.0 && std::isfinite(widthKeV) ? widthKeV : 0.0),
      // A twentieth of the resonance width; without a width, a hundredth of a keV.
      fine_(widthKeV > 0.0 && std::isfinite(widthKeV) ? widthKeV / 20.0 : 0.01),
      choices_(inputs.switches.crossSections),
      notes_(&inputs.elements) {}

CrossSectionIntegral& ResonanceHooks::IntegralFor(const RunState& run,
                                                  const ResonanceIsotope& isotope) {
  const std::pair<int, int> key{isotope.Z, isotope.massNumber};
  auto it = integrals_.find(key);
  if (it != integrals_.end()) return it->second;
  CrossSectionRequest request = CrossSectionRequestOf(inputs_, run.engine.theta);
  request.z2 = run.z2;
  request.m2 = run.m2;
  request.targetZ = isotope.Z;
  request.targetMass = isotope.massNumber;
  request.windowKeV = 0.0;  // the tabulated points themselves, not a channel's mean
  const CrossSectionData* data = &inputs_.crossSections;
  CrossSectionChoices choices = choices_;
  DataRangeNotes* notes = &notes_;
  auto sigma = [request, choices, data, notes](double eKeV) {
    return CrossSectionAt(request, choices, *data, eKeV / 1000.0, notes);
  };
  // Away from the resonance a keV resolves every cross section the program knows.
  constexpr double kCoarseKeV = 1.0;
  return integrals_.try_emplace(key, sigma, resonance_, fine_, std::max(kCoarseKeV, fine_))
      .first->second;
}

double ResonanceHooks::ResonanceYield(const RunState& run, int row, const RunResults& results) {
  if (row < 1) return 0.0;
  if (run.currentLayer >= inputs_.sample.layers.size()) return 0.0;
  ResonanceStep step;
  step.depth = run.depth;
  step.E = results.table.at(row, Step::kIonEnergy);
  step.Eprev = results.table.at(row - 1, Step::kIonEnergy);
  step.spread = StepSpread(results.table, row);
  step.shape = results.table.at(row, Step::kShapeIon);
  step.stopping = run.in.stoppingEnd;
  const std::vector<ResonanceIsotope> isotopes =
      ResonanceIsotopes(inputs_.sample.layers[run.currentLayer], inputs_.reaction.kind,
                        run.targetSymbol, run.mt, inputs_.params.z1, inputs_.elements);
  double sum = 0.0;
  for (const ResonanceIsotope& isotope : isotopes)
    sum += IsotopeStepYield(IntegralFor(run, isotope), step, isotope.density);
  return sum;
}

bool BeamBelowResonance(double energy, double spread, double resonanceKeV, double widthKeV) {
  const double top =
      energy + kYieldWindowSpreads * (std::isfinite(spread) ? std::fabs(spread) : 0.0);
  return top < resonanceKeV - kResonanceTailWidths * widthKeV;
}

bool ResonanceHooks::StepsBeyondCount(const RunState& /*run*/, int row, const RunResults& results) {
  return !BeamBelowResonance(results.table.at(row, Step::kIonEnergy),
                             results.table.at(row, Step::kIonSpread), resonance_, width_);
}

}  // namespace dodavev
