#include "studies/spectrum_accumulation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace dodavev {
namespace {

double Sum(const ChannelCounts& c) {
  double s = 0.0;
  for (double v : c)
    s += v;
  return s;
}

// Mean channel position of the counts, each channel counted at its centre c + 1/2.
double Centroid(const ChannelCounts& c) {
  double s = 0.0;
  double m = 0.0;
  for (std::size_t i = 0; i < c.size(); ++i) {
    s += c[i];
    m += c[i] * (static_cast<double>(i) + 0.5);
  }
  return m / s;
}

double Variance(const ChannelCounts& c) {
  const double mean = Centroid(c);
  double s = 0.0;
  double v = 0.0;
  for (std::size_t i = 0; i < c.size(); ++i) {
    const double d = static_cast<double>(i) + 0.5 - mean;
    s += c[i];
    v += c[i] * d * d;
  }
  return v / s;
}

// A constant cross section: the nuclear-reaction constant, 100 mbarn/sr = 0.1 barn/sr.
struct ConstantCrossSection {
  CrossSectionRequest request{ReactionKind::kNra, 2, 4.0, 1, 1.0, 6, 12.0, 2.6, 0, 0.0};
  CrossSectionChoices choices{};
  CrossSectionData data{};
  CrossSectionSource source() const { return {&request, &choices, &data}; }
};

// A tabulated cross section rising linearly: sigma(E) = 100 + 0.1 E mbarn/sr from 0 to
// 10000 keV, that is 0.1 + 1e-4 E barn/sr.
struct LinearCrossSection {
  LinearCrossSection() {
    choices.nraFromFiles = true;
    CrossSectionDataSet set;
    set.key = {2, 4.0, 6, 12.0, 1, 1.0, 2.6 * 180.0 / std::numbers::pi, 0};
    set.energy = {0.0, 10000.0};
    set.sigma = {100.0, 1100.0};
    set.integral = {0.0, 6.0e6};
    set.lowestEnergy = 0.0;
    set.highestEnergy = 10000.0;
    data.nra.push_back(set);
  }
  CrossSectionRequest request{ReactionKind::kNra, 2, 4.0, 1, 1.0, 6, 12.0, 2.6, 0, 0.0};
  CrossSectionChoices choices{};
  CrossSectionData data{};
  CrossSectionSource source() const { return {&request, &choices, &data}; }
};

// ---- Folding onto channels ---------------------------------------------------------------

TEST(SpectrumFolding, SharesOutAllCountsAroundTheCentre) {
  for (double fwhm : {0.3, 2.7, 40.0}) {
    for (double shape : {1.0, 3.0, 100.0}) {
      ChannelCounts c{};
      FoldIntoChannels(c, 300.37, 1000.0, fwhm, shape);
      EXPECT_NEAR(Sum(c), 1000.0, 1e-9) << fwhm << " " << shape;
      if (fwhm < 1.0 && shape == 1.0) {
        // A Lorentzian of half width 0.15 centred 0.37 into channel 300 puts
        // (atan(0.63/0.15) + atan(0.37/0.15)) / pi of itself into that channel, and its
        // window of +-5 FWHM holds 2 atan(10) / pi: 857.5 of the 1000 counts.
        const double inChannel = std::atan(0.63 / 0.15) + std::atan(0.37 / 0.15);
        EXPECT_NEAR(c[300], 1000.0 * inChannel / (2.0 * std::atan(10.0)), 1.0);
      } else if (fwhm < 1.0) {
        // Narrower than a channel: nearly all in the channel holding the centre.
        EXPECT_GT(c[300], 950.0) << shape;
      } else {
        // A symmetric density keeps the centre; the samples on the channel grid cut the
        // +-5 FWHM window a little unevenly, which a Lorentzian's tail (1.6e-4 of the counts
        // per channel at 200 channels) turns into a few hundredths of a channel.
        EXPECT_NEAR(Centroid(c), 300.37, shape < 2.0 ? 0.05 : 0.01) << fwhm << " " << shape;
      }
    }
  }
}

TEST(SpectrumFolding, WidthOfTheFoldIsThatOfThePearsonDensity) {
  ChannelCounts c{};
  FoldIntoChannels(c, 250.0, 1.0, 23.5, 100.0);
  // The density (1 + 4 q (x/G)^2)^(-(m+1)/2), q = 2^(2/(m+1)) - 1, is a Student-type
  // curve of variance G^2 / (4 q (m - 2)): for G = 23.5 and m = 100, q = 0.0138208 and the
  // standard deviation is 10.0962 channels; the histogram adds 1/12 channel^2.
  const double q = std::pow(2.0, 2.0 / 101.0) - 1.0;
  const double variance = 23.5 * 23.5 / (4.0 * q * 98.0);
  EXPECT_NEAR(std::sqrt(Variance(c)), std::sqrt(variance + 1.0 / 12.0), 0.01);
}

TEST(SpectrumFolding, WidthBelowTheSamplingStepFillsOneChannel) {
  ChannelCounts c{};
  FoldIntoChannels(c, 42.7, 5.0, 0.001, 2.0);
  EXPECT_DOUBLE_EQ(c[42], 5.0);
  EXPECT_DOUBLE_EQ(Sum(c), 5.0);
  ChannelCounts z{};
  FoldIntoChannels(z, 17.2, 3.0, 0.0, 100.0);
  EXPECT_DOUBLE_EQ(z[17], 3.0);
}

TEST(SpectrumFolding, CountsBeyondTheChannelsAreLostNotWrapped) {
  ChannelCounts c{};
  // Centred on the top edge of channel 600: the upper half lands beyond it.
  FoldIntoChannels(c, 601.0, 100.0, 10.0, 100.0);
  EXPECT_NEAR(Sum(c), 50.0, 0.5);
  ChannelCounts far{};
  FoldIntoChannels(far, -1e9, 100.0, 10.0, 100.0);
  FoldIntoChannels(far, 1e12, 100.0, 1e6, 100.0);
  FoldIntoChannels(far, std::nan(""), 100.0, 1.0, 100.0);
  FoldIntoChannels(far, 100.0, std::nan(""), 1.0, 100.0);
  FoldIntoChannels(far, 100.0, 1.0, std::nan(""), 100.0);  // taken as no width
  EXPECT_DOUBLE_EQ(Sum(far), 1.0);
  for (double v : far)
    EXPECT_TRUE(std::isfinite(v));
}

TEST(SpectrumFolding, SpreadOfHundredsOfChannelsStaysBoundedAndConserves) {
  ChannelCounts c{};
  // FWHM 2000 channels: the coarse path; almost flat over the 601 channels.
  FoldIntoChannels(c, 300.0, 1.0, 2000.0, 100.0);
  // Fraction of a Gaussian of sigma 849.3 within +-300.5 channels of its centre: erf(300.5 /
  // (849.3 sqrt 2)) = 0.2765; the window +-5 FWHM holds all of it.
  EXPECT_NEAR(Sum(c), std::erf(300.5 / (2000.0 / 2.35482 * std::sqrt(2.0))), 2e-3);
}

TEST(SpectrumFolding, BoxOfEvenDensityFillsItsChannelsEqually) {
  ChannelCounts c{};
  ChannelBox box;
  box.bottom = 10.0;
  box.top = 20.0;
  FoldBoxIntoChannels(c, box, 50.0);
  for (int ch = 10; ch < 20; ++ch)
    EXPECT_NEAR(c[static_cast<std::size_t>(ch)], 5.0, 1e-12);
  EXPECT_NEAR(Sum(c), 50.0, 1e-12);
}

TEST(SpectrumFolding, BoxWithRisingDensityPutsItsYieldByTheTrapezoid) {
  ChannelCounts up{};
  ChannelBox box;
  box.bottom = 100.0;  // the step's depth end
  box.top = 104.0;     // the previous depth's end
  box.weightBottom = 1.0;
  box.weightTop = 3.0;
  FoldBoxIntoChannels(up, box, 80.0);
  // Density 1 + 2t over t in [0, 1], mean 2: channel k of 4 holds the integral over
  // [k/4, (k+1)/4] of (1 + 2t) / 2, i.e. (1/4 + (2k + 1)/16) / 2 of the 80 counts.
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(up[static_cast<std::size_t>(100 + k)], 80.0 * (0.25 + (2.0 * k + 1.0) / 16.0) / 2.0,
                1e-9);
  }
  // The same box the other way round (detected energy rising with depth, transmission).
  ChannelCounts down{};
  std::swap(box.bottom, box.top);
  FoldBoxIntoChannels(down, box, 80.0);
  EXPECT_NEAR(down[103], up[100], 1e-9);
  EXPECT_NEAR(Sum(down), 80.0, 1e-9);
}

TEST(SpectrumFolding, BoxUnderAFoldingFarWiderThanTheChannels) {
  // A channel calibration far finer than the spread: an even box over channels 0..601
  // folded with a Gaussian of FWHM 2e4 channels (sigma s = 8493.2) keeps about
  // L / (s sqrt(2 pi)) = 601 / 21289.5 = 0.02823 of its counts in the 601 channels
  // (s >> L; the next term is smaller by L^2 / (12 s^2) = 4e-4).
  ChannelCounts c{};
  ChannelBox box;
  box.bottom = 0.0;
  box.top = 601.0;
  box.fwhmBottom = box.fwhmTop = 2e4;
  FoldBoxIntoChannels(c, box, 1.0);
  const double sigma = 2e4 / 2.35482;
  EXPECT_NEAR(Sum(c), 601.0 / (sigma * std::sqrt(2.0 * std::numbers::pi)), 0.02 * 0.02823);
  // Widths beyond any channel range end too, with next to nothing in the channels.
  ChannelCounts d{};
  box.fwhmBottom = 1.0;
  box.fwhmTop = 1e31;
  FoldBoxIntoChannels(d, box, 1.0);
  EXPECT_TRUE(std::isfinite(Sum(d)));
  EXPECT_LE(Sum(d), 1.0);
}

TEST(SpectrumFolding, BoxOfNoLengthIsAPoint) {
  ChannelCounts c{};
  ChannelBox box;
  box.bottom = box.top = 33.5;
  FoldBoxIntoChannels(c, box, 7.0);
  EXPECT_DOUBLE_EQ(c[33], 7.0);
  ChannelBox broken;
  broken.bottom = std::nan("");
  FoldBoxIntoChannels(c, broken, 7.0);
  EXPECT_DOUBLE_EQ(Sum(c), 7.0);
}

// ---- Stretch by g ----------------------------------------------------------------------

TEST(SpectrumStretch, WidensAboutTheCentreAndKeepsTheTotal) {
  ChannelCounts r{};
  for (int ch = 200; ch <= 230; ++ch)
    r[static_cast<std::size_t>(ch)] = 2.0;
  const double before = Sum(r);
  const double width = Variance(r);
  StretchAboutCentre(r, 1.5);
  EXPECT_NEAR(Sum(r), before, 1e-9);
  EXPECT_NEAR(Centroid(r), 215.5, 0.6);
  // Even content from 200 to 230 stretched by 1.5 about 215: the ends go to 192.5 and
  // 237.5, rounded half to even 192 and 238.
  const ChannelSpan span = NonEmptySpan(r);
  EXPECT_EQ(span.first, 192);
  EXPECT_EQ(span.last, 238);
  EXPECT_NEAR(std::sqrt(Variance(r) / width), 1.5, 0.05);
  // No channel inside the stretched span is left empty.
  for (int ch = span.first; ch <= span.last; ++ch)
    EXPECT_GT(r[static_cast<std::size_t>(ch)], 0.0);
}

TEST(SpectrumStretch, FactorThatDoesNotWidenByAChannelChangesNothing) {
  ChannelCounts r{};
  for (int ch = 50; ch <= 56; ++ch)
    r[static_cast<std::size_t>(ch)] = 1.0 + ch;
  const ChannelCounts before = r;
  StretchAboutCentre(r, 1.1);  // (6/3) 1.1 = 2.2 -> 2 is not above (6/3) + 0.5 -> 2
  EXPECT_EQ(r, before);
  StretchAboutCentre(r, 0.5);  // narrowing is not a stretch
  EXPECT_EQ(r, before);
  StretchAboutCentre(r, std::nan(""));
  EXPECT_EQ(r, before);
  ChannelCounts empty{};
  StretchAboutCentre(empty, 3.0);
  EXPECT_DOUBLE_EQ(Sum(empty), 0.0);
}

// ---- Cross section over a step and a spread ----------------------------------------------

TEST(SpectrumYield, MeanOverTheStepIsExactForALinearCrossSection) {
  const LinearCrossSection xs;
  StepCrossSection table;
  table.Tabulate(xs.source(), 1000.0, 1200.0, 0.7);
  // Mean of 0.1 + 1e-4 E over [1050, 1080]: 0.1 + 1e-4 x 1065 = 0.2065 barn/sr.
  EXPECT_NEAR(table.Mean(1050.0, 30.0), 0.2065, 1e-12);
  EXPECT_NEAR(table.Mean(1111.1, 0.0), 0.21111, 1e-12);
}

TEST(SpectrumYield, SpreadMovesYieldBetweenEnergiesButLosesNone) {
  const ConstantCrossSection xs;
  StepCrossSection table;
  for (double fwhm : {0.0, 0.5, 5.0, 40.0}) {
    for (double shape : {1.0, 2.5, 100.0}) {
      const CrossSectionRange range = StepCrossSectionRange(1500.0, 1500.0, fwhm, 12.0);
      table.Tabulate(xs.source(), range.low, range.high, range.spacing);
      // Constant 0.1 barn/sr: every spread, every shape (the Lorentzian's window holds only
      // 90 % of it) gives the constant back.
      EXPECT_NEAR(SpreadAveragedCrossSection(table, 1500.0, fwhm, shape, 12.0), 0.1, 1e-12)
          << fwhm << " " << shape;
    }
  }
}

TEST(SpectrumYield, SymmetricSpreadOfALinearCrossSectionGivesTheStepMean) {
  const LinearCrossSection xs;
  StepCrossSection table;
  const CrossSectionRange range = StepCrossSectionRange(2000.0, 2020.0, 33.0, 20.0);
  table.Tabulate(xs.source(), range.low, range.high, range.spacing);
  // Beam at 2000 keV losing 20 keV in the step: 0.1 + 1e-4 x 2010 = 0.301 barn/sr, whatever
  // the width of a symmetric spread (bins of 3 keV, the weighted bin mean is the centre to
  // far better than 1e-3 keV).
  EXPECT_NEAR(SpreadAveragedCrossSection(table, 2000.0, 33.0, 100.0, 20.0), 0.301, 1e-7);
  EXPECT_NEAR(SpreadAveragedCrossSection(table, 2000.0, 33.0, 1.5, 20.0), 0.301, 1e-7);
  // No spread at all: the mean over [2000, 2020] itself.
  EXPECT_NEAR(SpreadAveragedCrossSection(table, 2000.0, 0.0, 100.0, 20.0), 0.301, 1e-12);
}

TEST(SpectrumYield, WindowReachingBelowZeroEnergyCountsOnlyPositiveBins) {
  const ConstantCrossSection xs;
  StepCrossSection table;
  const CrossSectionRange range = StepCrossSectionRange(3.0, 3.0, 30.0, 0.0);
  EXPECT_GE(range.low, 0.0);
  table.Tabulate(xs.source(), range.low, range.high, range.spacing);
  const double v = SpreadAveragedCrossSection(table, 3.0, 30.0, 100.0, 0.0);
  EXPECT_TRUE(std::isfinite(v));
  EXPECT_NEAR(v, 0.1, 1e-12);
}

// The run's grid of a plain Rutherford cross section, without screening: sigma = A / E^2,
// whose mean over [e, e + w] is A / (e (e + w)) exactly.
TEST(SpectrumYield, RunGridOfTheRutherfordCrossSectionHoldsItsMeansToFewE8) {
  const RutherfordAtAngle rutherford = PrepareRutherford(
      ReactionKind::kRbs, 2, 14, 28.0, 4.0, 170.0 * std::numbers::pi / 180.0, Screening::kNone);
  CrossSectionSource xs;
  xs.rutherford = &rutherford;
  const double a = rutherford.At(1.0);  // barn/sr at 1 MeV, i.e. A / (1000 keV)^2
  auto exactMean = [&](double e, double w) { return a * 1e6 / (e * (e + w)); };
  RunCrossSection grid;
  grid.Use(xs);
  // Within a chunk, across chunks, across the octave boundary at 1024 keV, over a wide
  // step, and at single energies.
  for (double e : {1.5, 37.0, 600.0, 1000.0, 1020.0, 1023.99, 1500.0, 1999.0}) {
    for (double w : {0.0, 0.3, 4.0, 40.0, 900.0}) {
      SCOPED_TRACE(::testing::Message() << e << " keV over " << w);
      EXPECT_NEAR(grid.Mean(e, w), exactMean(e, w), 5e-8 * exactMean(e, w));
    }
  }
  // The spread average over the run's grid equals the one over a step's own table.
  StepCrossSection table;
  for (double fwhm : {0.0, 6.0, 30.0}) {
    const CrossSectionRange range = StepCrossSectionRange(1480.0, 1500.0, fwhm, 2.5);
    table.Tabulate(xs, range.low, range.high, range.spacing);
    const double step = SpreadAveragedCrossSection(table, 1500.0, fwhm, 100.0, 2.5);
    EXPECT_NEAR(SpreadAveragedCrossSection(grid, 1500.0, fwhm, 100.0, 2.5), step, 5e-8 * step);
  }
}

// The grid remembers the chunk it looked at last: a mean must not depend on what was asked
// before it. The same questions in three orders, each against a fresh grid, bit for bit;
// among them energies on chunk edges (1024 + 64 n keV) and just below them.
TEST(SpectrumYield, RunGridMeansDoNotDependOnTheOrderOfTheQuestions) {
  const RutherfordAtAngle rutherford = PrepareRutherford(
      ReactionKind::kRbs, 2, 14, 28.0, 4.0, 170.0 * std::numbers::pi / 180.0, Screening::kNone);
  CrossSectionSource xs;
  xs.rutherford = &rutherford;
  std::vector<std::pair<double, double>> questions;
  for (double e : {1024.0, std::nextafter(1088.0, 0.0), 1088.0, 1100.0, 700.0, 1151.9, 2047.99}) {
    for (double w : {0.0, 0.5, std::nextafter(1088.0, 0.0) - 1024.0, 64.0, 200.0})
      questions.emplace_back(e, w);
  }
  auto fresh = [&](double e, double w) {
    RunCrossSection grid;
    grid.Use(xs);
    return grid.Mean(e, w);
  };
  std::vector<std::pair<double, double>> reversed(questions.rbegin(), questions.rend());
  std::vector<std::pair<double, double>> shuffled;
  for (std::size_t i = 0; i < questions.size(); ++i)
    shuffled.push_back(questions[(i * 11) % questions.size()]);  // 11 and 35 share no factor
  for (const auto* order : {&questions, &reversed, &shuffled}) {
    RunCrossSection grid;
    grid.Use(xs);
    for (const auto& [e, w] : *order) {
      SCOPED_TRACE(::testing::Message() << e << " keV over " << w);
      EXPECT_EQ(grid.Mean(e, w), fresh(e, w));
    }
  }
}

// ---- Scale -----------------------------------------------------------------------------

TEST(SpectrumScale, DoseAndSolidAngleGiveCountsPerMicroReaction) {
  // q1 = 8 microC is 8e-6 / 1.602176634e-19 = 4.99321e13 ions; 5 msr is 5e-3 sr; per 1e-6
  // reactions per ion and sr: 4.99321e13 x 5e-3 x 1e-6 = 249660.36.
  EXPECT_DOUBLE_EQ(CountsScale(8.0, 5.0), 8e-6 / 1.602176634e-19 * 5e-3 * 1e-6);
  EXPECT_DOUBLE_EQ(CountsScale(0.0, 5.0), 0.0);
  EXPECT_DOUBLE_EQ(CountsScale(-1.0, 5.0), 0.0);
  EXPECT_DOUBLE_EQ(CountsScale(std::nan(""), 5.0), 0.0);
  EXPECT_DOUBLE_EQ(CountsScale(8.0, std::numeric_limits<double>::infinity()), 0.0);
}

// ---- One step --------------------------------------------------------------------------

// Counts of the test steps below: 500 for 5e13 ions, here for the 8e-6 / 1.602176634e-19
// ions of 8 microC.
constexpr double kStepCounts = 500.0 * 1.6 / 1.602176634;

class SpectrumStepTest : public ::testing::Test {
 protected:
  SpectrumStepTest() {
    settings_.calibration = {100.0, 2.0};
    settings_.countsScale = CountsScale(8.0, 2.0);
  }
  // The surface row and one step of 10 nm: the beam 2000 -> 1990 keV, reactions at
  // K = 0.5, detected at 1000 keV from the surface and 990 keV from the step's depth.
  SpectrumStep Surface() const {
    SpectrumStep s;
    s.row = 0;
    s.E = 2000.0;
    s.dE = 1.0;
    s.dEprime = 1.0;
    s.K = 0.5;
    s.reactionEnergy = 1000.0;
    s.detectedEnergy = 1000.0;
    s.detectedFwhm = 0.5;
    s.concentration = 5.0;
    return s;
  }
  SpectrumStep Step() const {
    SpectrumStep s = Surface();
    s.row = 1;
    s.depth = 0.01;
    s.step = 0.01;
    s.E = 1990.0;
    s.reactionEnergy = 995.0;
    s.detectedEnergy = 990.0;
    return s;
  }
  double Counts(const Spectrum& s) const {
    double n = 0.0;
    for (int c = 1; c <= s.channels(); ++c)
      n += s[static_cast<std::size_t>(c)];
    return n * settings_.calibration.detkevch;  // counts per keV x keV per channel
  }

  AccumulationSettings settings_;
  ConstantCrossSection xs_;
  Spectrum spectrum_{};
};

TEST_F(SpectrumStepTest, ThinSlabGivesTheTextbookYieldWithReactionsBetweenKEAndKEprev) {
  SpectrumAccumulator acc(settings_);
  EXPECT_DOUBLE_EQ(acc.AddStep(Surface(), xs_.source(), nullptr, spectrum_), 0.0);
  EXPECT_DOUBLE_EQ(Counts(spectrum_), 0.0);  // the surface row only starts the memory
  const double y = acc.AddStep(Step(), xs_.source(), nullptr, spectrum_);
  // Y = n sigma / sin(alpha) = 5 x 0.1 / 1 = 0.5 (1e22 atoms/cm3 x barn/sr).
  EXPECT_NEAR(y, 0.5, 1e-12);
  // Counts = n dx sigma / sin(alpha) x Q/e x Omega: 5e22 cm^-3 x 1e-6 cm x 1e-25 cm^2/sr
  // x 5e13 ions x 2e-3 sr = 500.
  EXPECT_NEAR(Counts(spectrum_), kStepCounts, 1e-9);
  // They lie between the detected energies 990 and 1000 keV: positions 445 .. 450.
  for (int c = 445; c < 450; ++c) {
    EXPECT_NEAR(spectrum_[static_cast<std::size_t>(c)] * 2.0, 100.0, 1.0) << c;
  }
  // Reactions from 995 to 1000 keV (positions 447.5 .. 450) with the incident spread of 1 keV
  // carried by K = 0.5: the step's 1e-6 x 0.5 x 0.01 = 0.005 per ion and sr, all there.
  const ChannelCounts& r = acc.reactionDistribution();
  EXPECT_NEAR(Sum(r), 0.005, 1e-12);
  EXPECT_NEAR(Centroid(r), 448.75, 0.05);
}

TEST_F(SpectrumStepTest, StepWithoutTheIsotopeOrOutOfSequenceAddsNothing) {
  SpectrumAccumulator acc(settings_);
  acc.AddStep(Surface(), xs_.source(), nullptr, spectrum_);
  SpectrumStep none = Step();
  none.concentration = 0.0;
  EXPECT_DOUBLE_EQ(acc.AddStep(none, xs_.source(), nullptr, spectrum_), 0.0);
  SpectrumStep skipped = Step();
  skipped.row = 3;  // row 2 is missing: no previous depth to span from
  EXPECT_DOUBLE_EQ(acc.AddStep(skipped, xs_.source(), nullptr, spectrum_), 0.0);
  EXPECT_DOUBLE_EQ(Counts(spectrum_), 0.0);
  // The next row spans from the one just remembered.
  SpectrumStep next = Step();
  next.row = 4;
  next.E = 1980.0;
  next.detectedEnergy = 980.0;
  acc.AddStep(next, xs_.source(), nullptr, spectrum_);
  EXPECT_NEAR(Counts(spectrum_), kStepCounts, 1e-9);
}

TEST_F(SpectrumStepTest, MonolayerLandsAtTheStepsMeanDetectedEnergy) {
  settings_.monolayer = true;
  SpectrumAccumulator acc(settings_);
  acc.AddStep(Surface(), xs_.source(), nullptr, spectrum_);
  acc.AddStep(Step(), xs_.source(), nullptr, spectrum_);
  // 995 keV is position 447.5, channel 447; the spread of 0.5 keV is a quarter channel, of
  // which the tails beyond half a channel hold a few millionths.
  EXPECT_NEAR(spectrum_[447] * 2.0, kStepCounts, 0.01);
  EXPECT_NEAR(Counts(spectrum_), kStepCounts, 1e-9);
}

TEST_F(SpectrumStepTest, StepOutsideTheCalibrationAddsNothingAndNoNumberGoesBad) {
  SpectrumAccumulator acc(settings_);
  SpectrumStep s = Surface();
  s.detectedEnergy = 1e7;
  acc.AddStep(s, xs_.source(), nullptr, spectrum_);
  SpectrumStep t = Step();
  t.detectedEnergy = 0.99e7;
  t.reactionEnergy = 0.99e7;
  acc.AddStep(t, xs_.source(), nullptr, spectrum_);
  EXPECT_DOUBLE_EQ(Counts(spectrum_), 0.0);
  SpectrumStep u = t;
  u.row = 2;
  u.E = std::nan("");
  u.detectedFwhm = std::numeric_limits<double>::infinity();
  acc.AddStep(u, xs_.source(), nullptr, spectrum_);
  for (double v : spectrum_)
    EXPECT_TRUE(std::isfinite(v));
}

TEST_F(SpectrumStepTest, ReactionEnergiesBeyondTheChannelsDoNotLoseTheStep) {
  // Emitted far above the calibrated range (a fast reaction product slowed down by the way
  // out to the detected range): the step still reaches its detected channels in full.
  SpectrumAccumulator acc(settings_);
  SpectrumStep s = Surface();
  s.reactionEnergy = 9000.0;
  acc.AddStep(s, xs_.source(), nullptr, spectrum_);
  SpectrumStep t = Step();
  t.reactionEnergy = 8990.0;
  acc.AddStep(t, xs_.source(), nullptr, spectrum_);
  EXPECT_NEAR(Counts(spectrum_), kStepCounts, 1e-9);
}

TEST_F(SpectrumStepTest, StepAfterOneWithoutTheIsotopeSpansFromThatDepthsSpread) {
  // The surface is sharp (0.5 keV); the first step holds no target atoms but is detected
  // with a spread of 20 keV; the second step's upper end is that depth, so its particles
  // there spread by 20 keV too: some reach 10 keV (5 channels) above the step.
  SpectrumAccumulator acc(settings_);
  acc.AddStep(Surface(), xs_.source(), nullptr, spectrum_);
  SpectrumStep empty = Step();
  empty.concentration = 0.0;
  empty.detectedFwhm = 20.0;
  acc.AddStep(empty, xs_.source(), nullptr, spectrum_);
  SpectrumStep next = Step();
  next.row = 2;
  next.depth = 0.02;
  next.E = 1980.0;
  next.detectedEnergy = 980.0;
  next.detectedFwhm = 20.0;
  acc.AddStep(next, xs_.source(), nullptr, spectrum_);
  EXPECT_NEAR(Counts(spectrum_), kStepCounts, 1e-6);
  // 990 keV + 10 keV is position 450; a 20 keV FWHM (sigma 8.5 keV) puts about 6 % of the
  // upper end's particles beyond 1.2 sigma.
  EXPECT_GT(spectrum_[450] * 2.0, 1.0);
}

// ---- Wide case -------------------------------------------------------------------------

// A way out that loses 100 keV and adds a fixed spread.
class FixedLoss final : public WayOut {
 public:
  WayOutPoint Follow(double emitted) const override {
    return {emitted > 300.0, emitted - 100.0, 6.0, 100.0};
  }
};

TEST(SpectrumWideCase, FiresForDistributionsReachingTheLowestChannel) {
  // (last - first) / ((last + first) / 2) of at least 200 % holds only with first = 0.
  EXPECT_TRUE(NeedsWideCase({0, 40}, false));
  EXPECT_FALSE(NeedsWideCase({1, 40}, false));  // 39 / 20.5 = 190 %
  EXPECT_FALSE(NeedsWideCase({100, 130}, false));
  EXPECT_FALSE(NeedsWideCase({0, 40}, true));  // one atomic layer is never wide
  EXPECT_FALSE(NeedsWideCase({1, 0}, false));  // empty
  EXPECT_FALSE(NeedsWideCase({0, 0}, false));  // a single channel has no width
}

TEST(SpectrumWideCase, CarriesEveryChannelByTheWayOutAndConserves) {
  ChannelCounts r{};
  for (int ch = 20; ch <= 120; ++ch)
    r[static_cast<std::size_t>(ch)] = 1.0;
  ChannelCounts d{};
  const ChannelCalibration cal{0.0, 2.0};
  CarryWideDistribution(d, r, 300.0, cal, FixedLoss{});
  // Channels 20..120 hold 40 .. 242 keV: this way out stops everything below 300 keV.
  EXPECT_DOUBLE_EQ(Sum(d), 0.0);

  ChannelCounts r2{};
  for (int ch = 200; ch <= 300; ++ch)
    r2[static_cast<std::size_t>(ch)] = 1.0;
  ChannelCounts d2{};
  CarryWideDistribution(d2, r2, 300.0, cal, FixedLoss{});
  EXPECT_NEAR(Sum(d2), 300.0, 1e-9);
  // 100 keV lower is 50 channels lower; a 6 keV spread keeps the centre.
  EXPECT_NEAR(Centroid(d2), Centroid(r2) - 50.0, 0.05);
}

}  // namespace
}  // namespace dodavev
