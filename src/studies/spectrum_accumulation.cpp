#include "studies/spectrum_accumulation.hpp"
#include "model/units.hpp"

#include <algorithm>
#include <cmath>

namespace dodavev {
namespace {

// Depths, yields and energies closer to zero than this count as zero.
// Most density samples one folding takes over its window.
constexpr long kMaxSamples = 16384;
// Most pieces a box of channels is cut into for folding.
constexpr double kMaxBoxPieces = 4096.0;
// Most channels one folding shares its weights over; a wider window (a spread of more
// than about 200 channels) takes the density at the channel centres instead.
constexpr int kMaxShareChannels = 4096;
// Elementary charge in 1e-19 C (exact in the SI since 2019): ions per microcoulomb over 1e12.
constexpr double kElementaryCharge = 1.602176634;

double Finite(double x) {
  return std::isfinite(x) ? x : 0.0;
}

// Bin width of the yield window: a eleventh of the spread (kept in single precision, as the
// bins have always been laid out), never below 1 keV.
double YieldBinWidth(double spread) {
  const double w = std::fabs(static_cast<double>(static_cast<float>(spread / 11.0)));
  return w < 1.0 ? 1.0 : w;
}

}  // namespace

// ---- Cross section over a step -----------------------------------------------------------

void StepCrossSection::Tabulate(const CrossSectionSource& xs, double low, double high,
                                double spacing) {
  if (!std::isfinite(low)) low = 0.0;
  if (!(spacing > 0.0) || !std::isfinite(spacing)) spacing = 1.0;
  if (!(high > low) || !std::isfinite(high)) high = low + spacing;
  double n = std::ceil((high - low) / spacing);
  if (n > kMaxPoints) {
    n = kMaxPoints;
    spacing = (high - low) / n;
  }
  points_ = static_cast<int>(n) + 1;
  low_ = low;
  spacing_ = spacing;
  for (int i = 0; i < points_; ++i) {
    const auto k = static_cast<std::size_t>(i);
    sigma_[k] = Finite(xs.At(low + i * spacing));
    integral_[k] = i == 0 ? 0.0 : integral_[k - 1] + 0.5 * (sigma_[k - 1] + sigma_[k]) * spacing;
  }
}

double StepCrossSection::Value(double e) const {
  if (points_ < 1) return 0.0;
  const double u = std::clamp((e - low_) / spacing_, 0.0, static_cast<double>(points_ - 1));
  const int i = std::min(static_cast<int>(u), std::max(points_ - 2, 0));
  const double f = u - i;
  const auto k = static_cast<std::size_t>(i);
  if (points_ == 1) return sigma_[0];
  return sigma_[k] + f * (sigma_[k + 1] - sigma_[k]);
}

double StepCrossSection::Integral(double e) const {
  if (points_ < 2) return 0.0;
  const double u = std::clamp((e - low_) / spacing_, 0.0, static_cast<double>(points_ - 1));
  const int i = std::min(static_cast<int>(u), points_ - 2);
  const double f = u - i;
  const auto k = static_cast<std::size_t>(i);
  // Exact integral of the straight line between the grid points i and i + 1 up to f.
  return integral_[k] + spacing_ * (f * sigma_[k] + 0.5 * f * f * (sigma_[k + 1] - sigma_[k]));
}

double StepCrossSection::Mean(double e, double width) const {
  if (!(width > kZeroTolerance)) return Value(e);
  return (Integral(e + width) - Integral(e)) / width;
}

CrossSectionRange StepCrossSectionRange(double eLow, double eHigh, double fwhm, double stepLoss) {
  const double spread = std::fabs(Finite(fwhm));
  const double w = YieldBinWidth(spread);
  const double loss = std::max(0.0, Finite(stepLoss));
  CrossSectionRange range;
  range.low = std::max(0.0, std::min(eLow, eHigh) - 3.0 * spread - w);
  range.high = std::max(eLow, eHigh) + 3.0 * spread + w + loss;
  // Ten points over the step's loss, and at least one per bin of the yield window.
  range.spacing = loss > kZeroTolerance ? std::min(w, loss / 10.0) : w;
  return range;
}

// ---- Cross section over the run ----------------------------------------------------------

void RunCrossSection::Use(const CrossSectionSource& xs) {
  if (xs.rutherford != source_) {
    chunks_.clear();
    last_ = nullptr;
    source_ = xs.rutherford;
  }
  xs_ = xs;
}

long RunCrossSection::KeyOf(double e) {
  int octave = 0;
  const double f = std::frexp(e, &octave);  // e = f 2^octave, f in [0.5, 1)
  const double position = (2.0 * f - 1.0) * kChunksPerOctave;
  return static_cast<long>(octave) * kChunksPerOctave + static_cast<long>(position);
}

const RunCrossSection::Chunk& RunCrossSection::ChunkAt(long key) {
  auto it = std::lower_bound(chunks_.begin(), chunks_.end(), key,
                             [](const auto& entry, long k) { return entry.first < k; });
  if (it != chunks_.end() && it->first == key) return *it->second;
  auto c = std::make_unique<Chunk>();
  const long octave =
      key >= 0 ? key / kChunksPerOctave : -((-key + kChunksPerOctave - 1) / kChunksPerOctave);
  const long index = key - octave * kChunksPerOctave;
  const double bottom = std::ldexp(1.0, static_cast<int>(octave) - 1);  // of the octave
  c->base = bottom * (1.0 + static_cast<double>(index) / kChunksPerOctave);
  c->end = bottom * (1.0 + static_cast<double>(index + 1) / kChunksPerOctave);
  c->spacing = bottom / (kChunksPerOctave * kNodesPerChunk);
  for (int i = 0; i <= kNodesPerChunk; ++i) {
    const auto k = static_cast<std::size_t>(i);
    c->sigma[k] = Finite(xs_.At(c->base + i * c->spacing));
    c->integral[k] =
        i == 0 ? 0.0 : c->integral[k - 1] + 0.5 * (c->sigma[k - 1] + c->sigma[k]) * c->spacing;
  }
  return *chunks_.emplace(it, key, std::move(c))->second;
}

const RunCrossSection::Chunk& RunCrossSection::ChunkOf(double e, long& key) {
  // base and end are exact binary fractions of the octave, so e lies in [base, end) exactly
  // when KeyOf(e) gives the chunk's key.
  if (last_ != nullptr && e >= last_->base && e < last_->end) {
    key = lastKey_;
    return *last_;
  }
  key = KeyOf(e);
  last_ = &ChunkAt(key);
  lastKey_ = key;
  return *last_;
}

double RunCrossSection::Local(const Chunk& c, double e) {
  const double u = std::clamp((e - c.base) / c.spacing, 0.0, static_cast<double>(kNodesPerChunk));
  const int i = std::min(static_cast<int>(u), kNodesPerChunk - 1);
  const double f = u - i;
  const auto k = static_cast<std::size_t>(i);
  return c.integral[k] + c.spacing * (f * c.sigma[k] + 0.5 * f * f * (c.sigma[k + 1] - c.sigma[k]));
}

double RunCrossSection::Mean(double e, double width) {
  long a = 0;
  const Chunk& first = ChunkOf(e, a);
  if (!(width > kZeroTolerance)) {
    const double u =
        std::clamp((e - first.base) / first.spacing, 0.0, static_cast<double>(kNodesPerChunk));
    const int i = std::min(static_cast<int>(u), kNodesPerChunk - 1);
    const auto k = static_cast<std::size_t>(i);
    return first.sigma[k] + (u - i) * (first.sigma[k + 1] - first.sigma[k]);
  }
  const double top = e + width;
  if (top < first.end) return (Local(first, top) - Local(first, e)) / width;
  double integral = first.integral.back() - Local(first, e);
  long b = 0;
  const Chunk& last = ChunkOf(top, b);
  for (long k = a + 1; k < b; ++k)
    integral += ChunkAt(k).integral.back();
  integral += Local(last, top);
  return integral / width;
}

namespace {

template <class Table>
double SpreadAveraged(Table& table, double centre, double fwhm, double shape, double stepLoss) {
  const double spread = std::fabs(Finite(fwhm));
  const double loss = std::max(0.0, Finite(stepLoss));
  const double w = YieldBinWidth(spread);
  if (spread < w) return table.Mean(centre, loss);

  // Bin j covers the incident energies j w +- w/2; only bins above zero energy count.
  const double lower = centre - 3.0 * spread;
  const double upper = centre + 3.0 * spread;
  const double jLow = std::max(std::nearbyint(lower / w), 1.0);
  const double jHigh = std::nearbyint(upper / w);
  if (jHigh < jLow) return 0.0;  // the whole window lies below one bin of energy
  const PearsonVII density(spread, shape, w);
  double weighted = 0.0;
  double weights = 0.0;
  for (double j = jLow; j <= jHigh; j += 1.0) {
    const double binLow = (j - 0.5) * w;
    const double binHigh = (j + 0.5) * w;
    const double inside = (std::min(binHigh, upper) - std::max(binLow, lower)) / w;
    const double fraction = std::clamp(inside, 0.0, 1.0);
    const double weight = fraction * density.Density(j * w - centre) * w;
    weighted += weight * table.Mean(j * w, loss);
    weights += weight;
  }
  return weights > 0.0 ? weighted / weights : table.Mean(centre, loss);
}

}  // namespace

double SpreadAveragedCrossSection(const StepCrossSection& table, double centre, double fwhm,
                                  double shape, double stepLoss) {
  return SpreadAveraged(table, centre, fwhm, shape, stepLoss);
}

double SpreadAveragedCrossSection(RunCrossSection& table, double centre, double fwhm, double shape,
                                  double stepLoss) {
  return SpreadAveraged(table, centre, fwhm, shape, stepLoss);
}

// ---- Folding onto channels ---------------------------------------------------------------

void FoldIntoChannels(ChannelCounts& target, double centre, double counts, double fwhmChannels,
                      double shape) {
  if (!(counts > 0.0) || !std::isfinite(counts) || !std::isfinite(centre)) return;
  const double fw = std::fabs(Finite(fwhmChannels));
  const double half = std::max(5.0 * fw, 0.5);
  const double lo = centre - half;
  const double hi = centre + half;
  const int top = target.channels();
  if (hi < 0.0 || lo >= top + 1.0) return;  // lands wholly outside the channels

  // Samples at (k + 1/2)/n for integer k: n per channel, at least four per FWHM.
  const double n = fw > 0.0 ? std::clamp(std::ceil(4.0 / fw), 1.0, 64.0) : 64.0;
  const double s = 1.0 / n;
  const double kLow = std::floor(lo * n);
  const double kHigh = std::ceil(hi * n);
  // Weights per channel from the lowest channel the window reaches.
  const int cBase = static_cast<int>(std::max(std::floor(lo), 0.0));
  if (kHigh - kLow <= static_cast<double>(kMaxSamples) &&
      std::min(hi, static_cast<double>(top)) - cBase < kMaxShareChannels) {
    const PearsonVII density(fw, shape, s);
    // Weights per channel, set as the samples reach each channel (they go upwards).
    std::array<double, kMaxShareChannels + 1> share;
    int cFirst = top + 1;
    int cLast = -1;
    double total = 0.0;
    for (double k = kLow; k < kHigh; k += 1.0) {
      const double p = (k + 0.5) * s;
      const double x = p - centre;
      if (std::fabs(x) > half) continue;
      const double weight = density.Density(x);
      total += weight;
      if (p < 0.0 || p >= top + 1.0) continue;
      const int c = static_cast<int>(p);
      if (c > cLast) {
        share[static_cast<std::size_t>(c - cBase)] = 0.0;
        if (cFirst > c) cFirst = c;
        cLast = c;
      }
      share[static_cast<std::size_t>(c - cBase)] += weight;
    }
    if (!(total > 0.0)) return;
    for (int c = cFirst; c <= cLast; ++c) {
      target[static_cast<std::size_t>(c)] +=
          counts * share[static_cast<std::size_t>(c - cBase)] / total;
    }
    return;
  }

  // A spread of hundreds of channels: the density at each channel's centre, normalised by
  // a coarse sum over the whole window.
  const PearsonVII density(fw, shape, 1.0);
  const double coarse = (hi - lo) / static_cast<double>(kMaxSamples);
  double total = 0.0;
  for (long i = 0; i < kMaxSamples; ++i) {
    total += density.Density(lo + (static_cast<double>(i) + 0.5) * coarse - centre) * coarse;
  }
  if (!(total > 0.0)) return;
  const int cFirst = cBase;
  const int cLast = static_cast<int>(std::min(std::floor(hi), static_cast<double>(top)));
  for (int c = cFirst; c <= cLast; ++c) {
    target[static_cast<std::size_t>(c)] += counts * density.Density(c + 0.5 - centre) / total;
  }
}

void FoldBoxIntoChannels(ChannelCounts& target, const ChannelBox& box, double counts) {
  if (!(counts > 0.0) || !std::isfinite(counts)) return;
  if (!std::isfinite(box.bottom) || !std::isfinite(box.top)) return;
  double wb = std::max(0.0, Finite(box.weightBottom));
  double wt = std::max(0.0, Finite(box.weightTop));
  if (!(wb + wt > 0.0)) wb = wt = 1.0;
  const double length = box.top - box.bottom;
  if (std::fabs(length) < 1e-9) {
    FoldIntoChannels(target, box.bottom, counts, 0.5 * (box.fwhmBottom + box.fwhmTop), box.shape);
    return;
  }
  const double lo = std::min(box.bottom, box.top);
  const double hi = std::max(box.bottom, box.top);
  // Parts farther from the channels than their folding reaches add nothing.
  const double reach = 5.0 * std::max(std::fabs(box.fwhmBottom), std::fabs(box.fwhmTop)) + 1.0;
  const double from = std::max(lo, -reach);
  const double to = std::min(hi, target.channels() + 1.0 + reach);
  if (!(to > from)) return;

  const double mean = 0.5 * (wb + wt);  // mean relative density over the box
  const double slope = wt - wb;
  // Pieces of one channel, each folded at its centre of mass. Where the folding is wider
  // than four channels, pieces of a quarter of the narrowest FWHM are as good and far
  // fewer; and never more than kMaxBoxPieces, whatever the widths.
  const double narrowest =
      std::min(std::fabs(Finite(box.fwhmBottom)), std::fabs(Finite(box.fwhmTop)));
  const double piece = std::max({1.0, 0.25 * narrowest, (to - from) / kMaxBoxPieces});
  double x0 = from;
  while (x0 < to) {
    const double x1 = std::min(piece > 1.0 ? x0 + piece : std::floor(x0) + 1.0, to);
    // Positions as fractions t of the way from the bottom end to the top end.
    double t0 = (x0 - box.bottom) / length;
    double t1 = (x1 - box.bottom) / length;
    if (t1 < t0) std::swap(t0, t1);
    const double mass = wb * (t1 - t0) + 0.5 * slope * (t1 * t1 - t0 * t0);
    const double moment =
        0.5 * wb * (t1 * t1 - t0 * t0) + slope * (t1 * t1 * t1 - t0 * t0 * t0) / 3.0;
    if (mass > 0.0) {
      const double tc = moment / mass;
      const double position = box.bottom + tc * length;
      const double fwhm = box.fwhmBottom + tc * (box.fwhmTop - box.fwhmBottom);
      FoldIntoChannels(target, position, counts * mass / mean, fwhm, box.shape);
    }
    x0 = x1;
  }
}

// ---- Stage B helpers ---------------------------------------------------------------------

ChannelSpan NonEmptySpan(const ChannelCounts& r) {
  ChannelSpan span;
  span.first = r.channels() + 1;
  span.last = -1;
  for (int c = 0; c <= r.channels(); ++c) {
    if (r[static_cast<std::size_t>(c)] > kEmptyChannel) {
      span.first = std::min(span.first, c);
      span.last = c;
    }
  }
  return span;
}

void StretchAboutCentre(ChannelCounts& r, double g) {
  const ChannelSpan span = NonEmptySpan(r);
  if (span.empty() || !(g > 0.0) || !std::isfinite(g)) return;
  const double third = (span.last - span.first) / 3.0;
  if (!(std::nearbyint(third * g - 0.5) > std::nearbyint(third + 0.5))) return;

  double before = 0.0;
  for (int c = span.first; c <= span.last; ++c)
    before += r[static_cast<std::size_t>(c)];
  const double centre = 0.5 * (span.first + span.last);
  ChannelCounts out(r.channels());
  for (int c = span.first; c <= span.last; ++c) {
    const double target = std::nearbyint((c - centre) * g + centre);
    if (target < 0.0 || target > r.channels()) continue;
    out[static_cast<std::size_t>(target)] = r[static_cast<std::size_t>(c)] / g;
  }
  // The channels the stretch passed over take the content of the nearest filled one below.
  const ChannelSpan stretched = NonEmptySpan(out);
  double below = 0.0;
  for (int c = std::max(stretched.first, 0); c <= stretched.last; ++c) {
    auto& v = out[static_cast<std::size_t>(c)];
    if (v > kEmptyChannel) {
      below = v;
    } else {
      v = below;
    }
  }
  double after = 0.0;
  for (double v : out)
    after += v;
  if (!(after > 0.0)) return;
  // The stretch moves particles; it never makes or loses any.
  for (double& v : out)
    v *= before / after;
  r = out;
}

bool NeedsWideCase(const ChannelSpan& span, bool monolayer) {
  if (monolayer || span.empty()) return false;
  const double mean = 0.5 * (span.first + span.last);
  const double width = span.last - span.first;
  if (!(width > 0.0)) return false;
  // Relative width in per cent; on channels from 0 up the plain ratio never exceeds 2.
  return mean <= 0.0 || 100.0 * width / mean >= 200.0;
}

void CarryWideDistribution(ChannelCounts& target, const ChannelCounts& r, double counts,
                           const ChannelCalibration& calibration, const WayOut& wayOut) {
  const ChannelSpan span = NonEmptySpan(r);
  if (span.empty() || !(counts > 0.0)) return;
  double sum = 0.0;
  for (int c = span.first; c <= span.last; ++c)
    sum += r[static_cast<std::size_t>(c)];
  if (!(sum > 0.0)) return;

  constexpr int kMaxPoints = 30;
  const int reachTop = span.last + 20;
  const int spacing = std::max(20, (reachTop - span.first + kMaxPoints - 2) / (kMaxPoints - 1));
  struct Point {
    bool reached;
    double position;
    double fwhm;
    double shape;
  };
  std::array<Point, kMaxPoints> points{};
  int count = 0;
  for (int ch = span.first; count < kMaxPoints; ch += spacing) {
    const double emitted = calibration.dete0 + (ch + 0.5) * calibration.detkevch;
    const WayOutPoint w = wayOut.Follow(emitted);
    const bool ok = w.reached && std::isfinite(w.detectedEnergy) && std::isfinite(w.fwhm);
    points[static_cast<std::size_t>(count++)] = {
        ok, ok ? calibration.Position(w.detectedEnergy) : 0.0,
        ok ? std::fabs(w.fwhm) / calibration.detkevch : 0.0, ok ? w.shape : 100.0};
    if (ch >= reachTop) break;
  }

  for (int j = span.first; j <= span.last; ++j) {
    const double content = r[static_cast<std::size_t>(j)];
    if (!(content > kEmptyChannel)) continue;
    const int segment = std::min((j - span.first) / spacing, std::max(count - 2, 0));
    const Point& a = points[static_cast<std::size_t>(segment)];
    const Point& b = points[static_cast<std::size_t>(std::min(segment + 1, count - 1))];
    const double t =
        std::clamp((j - (span.first + segment * spacing)) / static_cast<double>(spacing), 0.0, 1.0);
    Point p{};
    if (a.reached && b.reached) {
      p = {true, a.position + t * (b.position - a.position), a.fwhm + t * (b.fwhm - a.fwhm),
           a.shape + t * (b.shape - a.shape)};
    } else if (a.reached || b.reached) {
      p = a.reached ? a : b;
    } else {
      continue;  // the particles of this segment do not get out
    }
    FoldIntoChannels(target, p.position, counts * content / sum, p.fwhm, p.shape);
  }
}

double CountsScale(double q1, double solidAngleMsr) {
  if (!(q1 >= 0.0) || !std::isfinite(q1)) return 0.0;
  if (!(solidAngleMsr >= 0.0) || !std::isfinite(solidAngleMsr)) return 0.0;
  return q1 * solidAngleMsr * 10000.0 / kElementaryCharge;
}

// ---- One step ------------------------------------------------------------------------------

void SpectrumAccumulator::Remember(const SpectrumStep& step) {
  havePrevious_ = true;
  previousRow_ = step.row;
  previousE_ = step.E;
  previousReactionEnergy_ = step.reactionEnergy;
  previousDetected_ = step.detectedEnergy;
  previousFwhm_ = std::fabs(Finite(step.detectedFwhm));
  previousMeanDE_ = 0.5 * (std::fabs(Finite(step.dE)) + std::fabs(Finite(step.dEprime)));
}

double SpectrumAccumulator::AddStep(const SpectrumStep& step, const CrossSectionSource& xs,
                                    const WayOut* wayOut, Spectrum& spectrum) {
  yieldIn_ = 0.0;
  yield_ = 0.0;
  r_.fill(0.0);
  // The first row (the surface) and a row that does not follow the last one only start the
  // step-to-step memory.
  const bool follows = havePrevious_ && step.row == previousRow_ + 1;
  const double c = Finite(step.concentration);
  const double sinAlpha = step.sinAlpha;
  if (!follows || !(step.depth > kZeroTolerance) || !(step.step > 0.0) || !(c > kZeroTolerance) ||
      !(sinAlpha > 0.0) || !std::isfinite(step.E) || !std::isfinite(previousE_)) {
    Remember(step);
    return 0.0;
  }

  // ---- Stage A: the step's yield over the energy of the emitted particle.
  const ChannelCalibration& cal = settings_.calibration;
  const double dE = std::fabs(Finite(step.dE));
  const double dEprime = std::fabs(Finite(step.dEprime));
  const double loss = std::max(0.0, previousE_ - step.E);  // energy the ion loses in the step
  const CrossSectionRange range =
      StepCrossSectionRange(step.E, previousE_, std::max(dE, dEprime), loss);
  // The entrance of the step sees the beam at the previous depth's energy; the step itself
  // the mean over its energy loss from the energy reached. A plain Rutherford cross section
  // is smooth enough for one grid over the whole run; any other is tabulated for the step,
  // at the spacing its energy loss and spread need.
  if (xs.rutherford != nullptr && range.low >= 1.0 && std::isfinite(range.high)) {
    runTable_.Use(xs);
    yieldIn_ =
        c / sinAlpha * SpreadAveragedCrossSection(runTable_, previousE_, dE, step.shapeIn, loss);
    yield_ =
        c / sinAlpha * SpreadAveragedCrossSection(runTable_, step.E, dEprime, step.shapeIn, loss);
  } else {
    table_.Tabulate(xs, range.low, range.high, range.spacing);
    yieldIn_ =
        c / sinAlpha * SpreadAveragedCrossSection(table_, previousE_, dE, step.shapeIn, loss);
    yield_ = c / sinAlpha * SpreadAveragedCrossSection(table_, step.E, dEprime, step.shapeIn, loss);
  }
  // Particles of the step per incident ion and steradian, in 1e-6.
  const double total = yield_ * step.step;
  const bool calibrated =
      cal.detkevch > 0.0 && std::isfinite(cal.detkevch) && std::isfinite(cal.dete0);
  if (!(total > kZeroTolerance) || !std::isfinite(total) || !calibrated) {
    Remember(step);
    return std::isfinite(yield_) ? yield_ : 0.0;
  }

  // Over the reaction energies K E .. K E_prev, folded with the incident spread carried by
  // K: from this depth's spread at the lower end to the previous depth's at the upper end.
  ChannelBox reaction;
  reaction.bottom = cal.Position(step.reactionEnergy);
  reaction.top = cal.Position(previousReactionEnergy_);
  reaction.weightBottom = yield_;
  reaction.weightTop = yieldIn_;
  const double k = std::fabs(Finite(step.K));
  reaction.fwhmBottom = k * dEprime / cal.detkevch;
  reaction.fwhmTop = k * previousMeanDE_ / cal.detkevch;
  reaction.shape = step.shapeIn;
  if (settings_.monolayer) {
    // One atomic layer: all its atoms react at one depth, midway in energy.
    reaction.bottom = reaction.top = 0.5 * (reaction.bottom + reaction.top);
  }
  FoldBoxIntoChannels(r_, reaction, total);

  // ---- Stage B: the way out to the detected energies.
  d_.fill(0.0);
  const ChannelSpan span = NonEmptySpan(r_);
  if (wayOut != nullptr && NeedsWideCase(span, settings_.monolayer)) {
    CarryWideDistribution(d_, r_, total, cal, *wayOut);
  } else {
    StretchAboutCentre(r_, step.transfer);
    // The step's particles fill its detected energies: from the energy detected for this
    // depth (bottom) to the previous depth's (top), the density following the two yields
    // and the detected spread going from this depth's to the previous depth's.
    ChannelBox detected;
    detected.bottom = cal.Position(step.detectedEnergy);
    detected.top = cal.Position(previousDetected_);
    detected.weightBottom = yield_;
    detected.weightTop = yieldIn_;
    detected.fwhmBottom = std::fabs(Finite(step.detectedFwhm)) / cal.detkevch;
    detected.fwhmTop = previousFwhm_ / cal.detkevch;
    detected.shape = step.detectedShape;
    const bool oneChannel = std::floor(detected.bottom) == std::floor(detected.top);
    if (settings_.monolayer || oneChannel) {
      // Narrower than a detected channel (or one atomic layer): the whole step at its mean
      // detected energy with the mean of the two spreads.
      const double mean = 0.5 * (detected.fwhmBottom + detected.fwhmTop);
      detected.fwhmBottom = detected.fwhmTop = mean;
      if (settings_.monolayer)
        detected.bottom = detected.top = 0.5 * (detected.bottom + detected.top);
    }
    FoldBoxIntoChannels(d_, detected, total);
  }

  // Counts per keV for the dose and solid angle.
  const double scale = settings_.countsScale / cal.detkevch;
  const int channels = std::min(spectrum.channels(), d_.channels());
  for (int ch = 1; ch <= channels; ++ch) {
    const auto i = static_cast<std::size_t>(ch);
    spectrum[i] += d_[i] * scale;
  }
  Remember(step);
  return yield_;
}

}  // namespace dodavev
