#include "studies/spectrum_simulation.hpp"
#include "app/calculation_setup.hpp"
#include "app/calculations.hpp"
#include "app/run_inputs_of.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/parameter_actions.hpp"
#include "app/session_fixture.hpp"
#include "engine/path.hpp"
#include "engine/setup.hpp"
#include "physics/stopping.hpp"
#include "support/straight_path.hpp"

namespace dodavev {
namespace {

// File counts of channel c: the simulated spectrum (per keV) times the channel width.
double ChannelCounts(const Session& s, int c) {
  return s.results.SimulatedSpectrum[static_cast<std::size_t>(c)] * s.params.detkevch;
}

double TotalCounts(const Spectrum& spectrum, double detkevch) {
  double n = 0.0;
  for (int c = 1; c <= spectrum.channels(); ++c)
    n += spectrum[static_cast<std::size_t>(c)];
  return n * detkevch;
}

// Channel position of the centroid: channel c holds the energies from its own position up
// to the next, so its counts sit at c + 1/2.
double CentroidPosition(const Spectrum& spectrum) {
  double n = 0.0;
  double m = 0.0;
  for (int c = 1; c <= spectrum.channels(); ++c) {
    n += spectrum[static_cast<std::size_t>(c)];
    m += spectrum[static_cast<std::size_t>(c)] * (c + 0.5);
  }
  return m / n;
}

bool AllFinite(const Spectrum& s) {
  for (double v : s) {
    if (!std::isfinite(v) || v < 0.0) return false;
  }
  return true;
}

class SpectrumSimulation : public testing::StartedSession {
 protected:
  // 2 MeV helium at normal incidence, detected at 170 degrees (the classic RBS set-up).
  void ClassicRbs(const std::string& target, const std::string& mass, const std::string& sample) {
    params().Edit1_e0 = "2000";
    params().Edit1_a = "90";
    params().Edit1_th = "170";
    params().Edit1_target = target;
    params().Edit1_mt = mass;
    params().richedit1 = sample;
  }
  const Spectrum& SubSpectrum() {
    Button5Click(session());
    spectrumsimulation1Click(session());
    return session().results.SimulatedSpectrum;
  }
  const Spectrum& FullSpectrum() {
    Button5Click(session());
    spektrumsim21Click(session());
    return session().results.SimulatedSpectrum;
  }
  // Q/e x Omega: q1 microC in ions (e = 1.602176634e-19 C, exact) times the solid angle in sr.
  double IonsTimesSolidAngle() const {
    return session_->params.q1 * 1e-6 / 1.602176634e-19 * session_->params.solid_angle * 1e-3;
  }
};

// ---- Absolute scale against the textbook formulas ----------------------------------------

TEST_F(SpectrumSimulation, ThinGoldFilmGivesTheRutherfordYieldAtKE0) {
  // 1e16 gold atoms/cm2: 20 angstrom at 5e22 atoms/cm3, free-standing.
  ClassicRbs("au", "197", "A=20\nn=5e22\nau,1\n");
  const Spectrum& s = SubSpectrum();
  ASSERT_TRUE(messages().empty()) << messages().front();
  // Laboratory Rutherford cross section, e^2 = 1.43996 MeV fm, M1/M2 = 4/197, 170 degrees:
  //   sigma = (Z1 Z2 e^2 / 4E)^2 4/sin^4(theta) (sqrt(1 - x^2) + cos theta)^2 / sqrt(1 - x^2),
  //   x = (M1/M2) sin theta, giving 8.20551 barn/sr at 2 MeV (script: tests' derivation of
  //   the thin-film yield, evaluated in double precision).
  // Yield = (Q/e) Omega sigma Nt / sin(alpha), alpha = 90 degrees; 2 % for the film's energy
  // loss (0.3 keV), the trapezoid of the cross section and the folding window.
  const double expected = IonsTimesSolidAngle() * 8.20551e-24 * 1e16;
  EXPECT_NEAR(TotalCounts(s, params().detkevch), expected, 0.02 * expected);
  // K = ((M1 cos theta + sqrt(M2^2 - M1^2 sin^2 theta)) / (M1 + M2))^2 = 0.922551 for
  // M1 = 4, M2 = 197: K E0 = 1845.10 keV, position (1845.10 - 185.88) / 7.03 = 236.02.
  EXPECT_NEAR(CentroidPosition(s), (1845.10 - 185.88) / 7.03, 1.0);
  EXPECT_TRUE(AllFinite(s));
}

TEST_F(SpectrumSimulation, VeryThinGoldFilmGivesQOverEOmegaSigmaNtWithinFiveHundredthsOfAPercent) {
  // 1e15 gold atoms/cm2 (2 angstrom at 5e22 atoms/cm3) in four steps: the film's energy loss
  // (about 0.1 keV of 2000) moves the cross section by 1e-4, well inside the bound.
  ClassicRbs("au", "197", "A=2\nn=5e22\nau,1\n");
  params().Edit1_x = "0.00005";
  const Spectrum& s = SubSpectrum();
  ASSERT_TRUE(messages().empty()) << messages().front();
  // Omega of the default circular diaphragm, 8 mm across at 100 mm: pi 4^2 / 100^2 sr.
  ASSERT_NEAR(params().solid_angle * 1e-3, 0.005026548245743669, 1e-12);
  // Laboratory Rutherford cross section with e^4 = 0.0207350 MeV^2 b (CODATA 2018, e^2 =
  // 1.43996448 MeV fm), 4He on M2 = 197 at 170 deg and 2 MeV, computed independently
  // through the centre-of-mass frame (theta_cm by bisection, sigma_cm = e^4 (Z1 Z2 /
  // 4 E_cm)^2 / sin^4(theta_cm / 2), times the Jacobian (1 + 2g cos + g^2)^1.5 / |1 + g cos|,
  // g = 4/197): 8.2055668 barn/sr. Q/e = 8e-6 C / 1.602176634e-19 C.
  const double expected = 8e-6 / 1.602176634e-19 * 0.005026548245743669 * 8.2055668e-24 * 1e15;
  EXPECT_NEAR(TotalCounts(s, params().detkevch), expected, 5e-4 * expected);
}

TEST_F(SpectrumSimulation, ThickSiliconHeightFollowsTheStoppingCrossSectionFormula) {
  ClassicRbs("si", "28", "S=\nn=4.98e22\nsi,1\n");
  params().Edit1_x = "0.01";
  ASSERT_TRUE(AllFinite(SubSpectrum()));
  ASSERT_TRUE(messages().empty()) << messages().front();
  // Classic thick-target height H = (Q/e) Omega sigma(E) N detkevch / (sin alpha |dE_det/dx|)
  // at a detected energy 150 keV below the surface edge K E0 = 0.564947 x 2000 = 1129.89 keV.
  // Independent script: helium stopping of silicon from Ziegler's 1977 fit (coefficients of
  // data/sources/stopping/helium_coefficients.csv, e.g. 47.87 eV/(1e15 at/cm2) at 2 MeV)
  // integrated by fourth-order Runge-Kutta in, K E out along x / cos(10 deg): E_det = 979.89
  // keV comes from x = 0.33166 micron, where the beam has E = 1920.18 keV (sigma_R = 0.268655
  // barn/sr) and E_det falls by 463.78 keV/micron. H = 5096.9 counts per channel for
  // Q/e = 5e13 and Omega = pi 4^2 / 100^2 sr; scaled here by the session's solid angle.
  const double omegaSr = params().solid_angle * 1e-3;
  const double h = 5096.9 * omegaSr / (M_PI * 16.0 / 10000.0);
  // 979.89 keV is channel (979.89 - 185.88) / 7.03 = 112.95: the mean of channels 112 and
  // 113 is the height at that energy (the spectrum is straight there).
  const double measured = 0.5 * (ChannelCounts(session(), 112) + ChannelCounts(session(), 113));
  EXPECT_NEAR(measured, h, 0.03 * h);
  // The surface edge lies at K E0: half the height near the edge is reached within one
  // channel of (1129.89 - 185.88) / 7.03 = 134.28.
  const double top = ChannelCounts(session(), 125);
  int edge = 0;
  for (int c = 125; c < 200; ++c) {
    if (ChannelCounts(session(), c) > top / 2.0) edge = c;
  }
  EXPECT_NEAR(edge + 0.5, 134.28, 1.0);
}

// 2 MeV protons on thick silicon at 170 degrees in 50 nm steps: the 200th step lies at
// 10 micron, yet protons reach the detector from twice as deep. At 15 micron the spectrum
// must have the classic thick-target height
//   H = (Q/e) Omega sigma_R(E) N detkevch / (sin alpha |dE_det/dx|)
// with E the beam energy there, E_det(x) = K E(x) less the loss along x / |cos 170 deg|
// (both by Runge-Kutta over the stopping of the stopping tables), dE_det/dx by a central
// difference over +-0.1 micron, and the laboratory Rutherford cross section
//   sigma_R = (Z1 Z2 e^2 / 4E)^2 4/sin^4(theta) (sqrt(1 - y^2) + cos theta)^2 / sqrt(1 - y^2),
// y = (M1/M2) sin theta, e^2 = 1.43996 MeV fm (Chu, Mayer, Nicolet 1978, ch. 2-3).
TEST_F(SpectrumSimulation, ProtonSpectrumKeepsItsThickTargetHeightBeyondThePrintedRows) {
  ClassicRbs("si", "28", "S=\nn=4.98e22\nsi,1\n");
  params().Edit1_z1 = "1";
  params().Edit1_m1 = "1";
  params().Edit1_chargestate_in = "1";
  params().Edit1_z2 = "1";
  params().Edit1_m2 = "1";
  params().Edit1_chargestate_out = "1";
  params().Edit1_x = "0.05";
  params().Edit1_depthmax = "30";
  ASSERT_TRUE(AllFinite(SubSpectrum()));
  ASSERT_TRUE(messages().empty()) << messages().front();
  EXPECT_EQ(session().results.RowCount, 200);  // the report keeps its 200 rows

  const Layer& si = session().sample.layers.at(0);
  const StoppingModel model = StoppingModelOf(session());
  const double theta = 170.0 * M_PI / 180.0;
  const double m1 = params().m1, m2 = 28.0;
  const double y = m1 / m2 * std::sin(theta);
  const double root = std::sqrt(1.0 - y * y);
  const double k = testing::ElasticKinematicFactor(m1, m2, theta);
  const double outFactor = std::fabs(std::cos(theta));
  auto beamAt = [&](double x) {
    return testing::AfterStraightPath(2000.0, x, si, 1, m1, model, 0.01);
  };
  auto detectedAt = [&](double x) {
    return testing::AfterStraightPath(k * beamAt(x), x / outFactor, si, 1, m1, model, 0.01);
  };
  const double depth = 15.0;  // micron, well beyond the 200th step at 10 micron
  const double e = beamAt(depth);
  const double eDet = detectedAt(depth);
  const double slope = (detectedAt(depth - 0.1) - detectedAt(depth + 0.1)) / 0.2;  // keV/um
  const double a = 1.0 * 14.0 * 1.43996 / (4.0 * e / 1000.0);                      // fm
  const double sigma = a * a * 4.0 / std::pow(std::sin(theta), 4.0) *
                       std::pow(root + std::cos(theta), 2.0) / root * 1e-26;  // cm2/sr
  const double h = IonsTimesSolidAngle() * sigma * 4.98e22 * params().detkevch / (slope * 1e4);
  const double position = (eDet - params().dete0) / params().detkevch;
  ASSERT_GT(position, 5.0);
  const int c = static_cast<int>(std::floor(position));
  const double lower = ChannelCounts(session(), c), upper = ChannelCounts(session(), c + 1);
  const double measured = lower + (upper - lower) * (position - c - 0.5);
  // 4 %: the walk's step corrections and the folding against the straight-path integration.
  EXPECT_NEAR(measured / h, 1.0, 0.04) << "E = " << e << " keV, E_det = " << eDet << " keV";
}

TEST_F(SpectrumSimulation, NaturalSiliconFullSpectrumSumsItsIsotopesAtTheirOwnEdges) {
  ClassicRbs("si", "28", "A=20\nn=5e22\nsi#,1\n");
  const Spectrum& s = FullSpectrum();
  ASSERT_TRUE(messages().empty()) << messages().front();
  EXPECT_EQ(session().studies.Button12Caption, "View spectrum");
  // Sum over the isotopes of abundance x sigma_R(2 MeV, 170 deg, M2) x Nt; abundances of the
  // shipped element table (data/sources/isotopes/isotopes.csv: 0.92223, 0.04685, 0.03092),
  // sigma_R by the formula of the gold test: 0.247639, 0.248328, 0.248951 barn/sr (the
  // recoil correction shrinks as the target gets heavier).
  const double sigma = 0.92223 * 0.247639 + 0.04685 * 0.248328 + 0.03092 * 0.248951;
  const double expected = IonsTimesSolidAngle() * sigma * 1e-24 * 1e16;
  EXPECT_NEAR(TotalCounts(s, params().detkevch), expected, 0.02 * expected);

  // Each isotope on its own, at its own K: 28Si 0.564947, 29Si 0.576332, 30Si 0.587149.
  const std::vector<FullSpectrumRun> plan = PlanFullSpectrum(RunInputsOf(session()), false);
  ASSERT_EQ(plan.size(), 3U);
  RunRequest base;
  base.CalcMode = CalculationMode::kDepthWalk;
  base.SpectrumFlag = SpectrumMode::kFullSpectrum;
  CollectingSink sink;
  const double kFactor[] = {0.564947, 0.576332, 0.587149};
  for (std::size_t i = 0; i < plan.size(); ++i) {
    EXPECT_EQ(plan[i].isotope.A, 28 + static_cast<int>(i));
    const FullSpectrumResult one =
        SimulateFullSpectrum(RunInputsOf(session()), base, {plan[i]}, {}, sink);
    EXPECT_NEAR(CentroidPosition(one.sum), (kFactor[i] * 2000.0 - 185.88) / 7.03, 1.0) << i;
  }
}

// Energy where the spectrum's surface edge lies: the last channel with counts holds the
// energies from its own position up to the edge, filled in proportion to the part of the
// channel below the edge, as the next lower (full) channel shows.
double SurfaceEdgeEnergy(const Spectrum& s, double e0, double kevPerChannel) {
  int top = s.channels();
  while (top > 1 && !(s[static_cast<std::size_t>(top)] > 0.0))
    --top;
  const double fraction = s[static_cast<std::size_t>(top)] / s[static_cast<std::size_t>(top - 1)];
  return e0 + (top + fraction) * kevPerChannel;
}

TEST_F(SpectrumSimulation, FullSpectrumEdgesSitAtTheKinematicFactorOfTheRealIsotopeMasses) {
  // One isotope per sample, 2 MeV helium (typed with its real mass) at 170 degrees, every
  // spread switched off so that the edge is a step, channels of 0.25 keV around it.
  struct Case {
    const char* sample;
    double k;  // K(M1 = 4.002602, M2, 170 deg) for the isotope's real mass
  };
  // Masses (u) of NIST's "Atomic Weights and Isotopic Compositions" as in the shipped
  // element table: 12C 12, 28Si 27.97692653, 58Ni 57.93534241. K by the formula of the gold
  // test; with the mass numbers instead the 28Si and 58Ni edges would lie 0.54 and 0.47
  // keV higher (0.1 channel of the tolerance is 0.025 keV).
  const Case cases[] = {{"S=\nn=11.3e22\nc12,1\n", 0.2523024},
                        {"S=\nn=4.99e22\nsi28,1\n", 0.5644648},
                        {"S=\nn=9.13e22\nni58,1\n", 0.7598067}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sample);
    ClassicRbs("si", "28", c.sample);  // the target of the report; the sample decides
    params().Edit1_m1 = "4.002602";
    params().Edit1_m2 = "4.002602";
    params().Edit1_bes = "0";
    CheckNothingClick(params(), true);
    const double edge = 2000.0 * c.k;
    params().Edit1_detkevch = "0.25";
    params().Edit1_dete0 = std::to_string(std::floor(edge) - 100.0);
    const Spectrum& s = FullSpectrum();
    ASSERT_TRUE(messages().empty()) << messages().front();
    EXPECT_NEAR(SurfaceEdgeEnergy(s, params().dete0, 0.25), edge, 0.025);
  }
}

// ---- Proportions ---------------------------------------------------------------------------

TEST_F(SpectrumSimulation, DoubleDoseDoublesEveryChannelAndZeroDoseGivesNothing) {
  const Spectrum once = SubSpectrum();
  params().Edit1_q1 = "16";
  const Spectrum& twice = SubSpectrum();
  for (int c = 1; c <= once.channels(); ++c) {
    const auto i = static_cast<std::size_t>(c);
    EXPECT_NEAR(twice[i], 2.0 * once[i], 1e-12 * (1.0 + once[i])) << c;
  }
  EXPECT_GT(TotalCounts(once, params().detkevch), 0.0);
  // No dose: an empty spectrum without numbers going bad.
  params().Edit1_q1 = "0";
  const Spectrum& none = SubSpectrum();
  EXPECT_DOUBLE_EQ(TotalCounts(none, params().detkevch), 0.0);
  EXPECT_TRUE(AllFinite(none));
  EXPECT_EQ(session().SpectrumFlag, SpectrumMode::kSpectrum);
}

TEST_F(SpectrumSimulation, GivenTargetFullSpectrumEqualsTheSubSpectrum) {
  const Spectrum sub = SubSpectrum();
  EXPECT_EQ(session().studies.Button12Caption, "View subspectrum");
  params().CheckBox1_given_target = true;
  const Spectrum& full = FullSpectrum();
  EXPECT_EQ(session().studies.Button12Caption, "View subspectrum");
  EXPECT_EQ(full, sub);
  EXPECT_GT(TotalCounts(full, params().detkevch), 0.0);
}

TEST_F(SpectrumSimulation, HeavierElementsGiveTallerEdgesInProportionToZSquared) {
  // Thin films of equal areal density: carbon and silicon in one layer, 1:1, 1e16 atoms/cm2
  // each. Their peaks' integrals go as the laboratory cross sections, Z^2 times the recoil
  // correction of each mass.
  ClassicRbs("si", "28", "A=40\nn=5e22\nc,1\nsi,1\n");
  const Spectrum& s = FullSpectrum();
  // Carbon at K = 0.2525 (channel 45), silicon at K = 0.5649 (channel 134).
  double carbon = 0.0;
  double silicon = 0.0;
  for (int c = 1; c <= s.channels(); ++c) {
    const double v = s[static_cast<std::size_t>(c)];
    (c < 90 ? carbon : silicon) += v;
  }
  // sigma_R(2 MeV, 170 deg) by the formula of the gold test: 12C 0.0375547, 28Si 0.247639
  // barn/sr, a ratio of 6.594 (Z^2 ratio 196/36 = 5.444, the rest from the lighter carbon
  // recoiling more).
  EXPECT_NEAR(silicon / carbon, 0.247639 / 0.0375547, 0.02 * 6.594);
}

// ---- Isotope list and plans ----------------------------------------------------------------

TEST_F(SpectrumSimulation, PlanListsEachNaturalIsotopeOnceInTheElementTablesOrder) {
  params().richedit1 = "A=100\nn=5e22\nc#,1\nsi#,1\nA=100\nn=5e22\nsi#,1\nc#,2\n";
  Button5Click(session());
  const std::vector<FullSpectrumRun> plan = PlanFullSpectrum(RunInputsOf(session()), false);
  std::vector<int> masses;
  for (const FullSpectrumRun& r : plan)
    masses.push_back(r.isotope.A);
  EXPECT_EQ(masses, (std::vector<int>{12, 13, 28, 29, 30}));
  for (const FullSpectrumRun& r : plan)
    EXPECT_EQ(r.kind, ReactionKind::kRbs);
}

TEST_F(SpectrumSimulation, ForwardAnglesRunRecoilsAndForwardScatteringInTurn) {
  // Helium on a hydrogen-bearing sample at 30 degrees, protons detected: recoil detection.
  params().Edit1_th = "30";
  params().Edit1_a = "15";
  params().RadioButton5 = true;  // IBM position: the particles leave at theta - alpha
  params().Edit1_z2 = "1";
  params().Edit1_m2 = "1";
  params().Edit1_chargestate_out = "1";
  params().Edit1_target = "h";
  params().Edit1_mt = "1";
  params().richedit1 = "S=\nn=5e22\nh,1\nc,1\n";
  Button5Click(session());
  ASSERT_EQ(session().reaction.kind, ReactionKind::kErd);
  const std::vector<FullSpectrumRun> plan = PlanFullSpectrum(RunInputsOf(session()), false);
  ASSERT_EQ(plan.size(), 4U);
  EXPECT_EQ(plan[0].kind, ReactionKind::kErd);
  EXPECT_EQ(plan[1].kind, ReactionKind::kForwardScattering);
  EXPECT_EQ(plan[2].kind, ReactionKind::kForwardScattering);  // the switch carries over
  EXPECT_EQ(plan[3].kind, ReactionKind::kErd);
  EXPECT_EQ(plan[0].isotope.A, 1);
  EXPECT_EQ(plan[2].isotope.A, 12);
  // The recoils and the forward-scattered ions both reach the spectrum.
  RunRequest base;
  base.CalcMode = CalculationMode::kDepthWalk;
  base.SpectrumFlag = SpectrumMode::kFullSpectrum;
  CollectingSink sink;
  const FullSpectrumResult full =
      SimulateFullSpectrum(RunInputsOf(session()), base, plan, {1, nullptr}, sink);
  EXPECT_GT(TotalCounts(full.sum, params().detkevch), 0.0);
  EXPECT_TRUE(sink.messages.empty()) << sink.messages.front();
}

TEST_F(SpectrumSimulation, ParallelRunsGiveTheSerialSpectrumExactly) {
  params().richedit1 = "A=500\nn=6e22\nc#,1\no#,2\nA=800\nn=5e22\nsi#,1\nn#,1\nS=\nn=5e22\nti#,1\n";
  Button5Click(session());
  const std::vector<FullSpectrumRun> plan = PlanFullSpectrum(RunInputsOf(session()), false);
  ASSERT_GT(plan.size(), 8U);
  RunRequest base;
  base.CalcMode = CalculationMode::kDepthWalk;
  base.SpectrumFlag = SpectrumMode::kFullSpectrum;
  CollectingSink serialSink;
  const FullSpectrumResult serial =
      SimulateFullSpectrum(RunInputsOf(session()), base, plan, {1, nullptr}, serialSink);
  ASSERT_TRUE(serial.last);
  EXPECT_FALSE(serial.last->mainReport.empty());  // the run shown keeps its report
  EXPECT_GT(TotalCounts(serial.sum, params().detkevch), 0.0);
  // Any number of threads, fewer or more than the runs, and one per core (0).
  for (int jobs : {0, 2, 3, 4, 7, 40}) {
    SCOPED_TRACE(jobs);
    CollectingSink parallelSink;
    const FullSpectrumResult parallel =
        SimulateFullSpectrum(RunInputsOf(session()), base, plan, {jobs, nullptr}, parallelSink);
    // Byte for byte, not only equal as numbers.
    ASSERT_EQ(serial.sum.size(), parallel.sum.size());
    EXPECT_EQ(std::memcmp(serial.sum.data(), parallel.sum.data(),
                          serial.sum.size() * sizeof(serial.sum[0])),
              0);
    EXPECT_EQ(serialSink.messages, parallelSink.messages);
    ASSERT_TRUE(parallel.last);
    EXPECT_EQ(serial.last->mainReport, parallel.last->mainReport);
  }
}

TEST_F(SpectrumSimulation, ShownReportIsTheLastWalkingRunsWhenTheLastRunDoesNotWalk) {
  // Helium backscattering: the last isotope of the plan, hydrogen, is not heavier than the
  // ion and does not walk; the report shown is that of the silicon run before it.
  ClassicRbs("au", "197", "A=200\nn=5.9e22\nau#,1\nS=\nn=5e22\nsi#,1\nh,1\n");
  const std::vector<FullSpectrumRun> plan =
      (Button5Click(session()), PlanFullSpectrum(RunInputsOf(session()), false));
  ASSERT_EQ(plan.back().isotope.Z, 1);
  FullSpectrum();
  // The report of the last silicon run, with its rows.
  EXPECT_NE(session().results.mainReport.find("REFLECTION GEOMETRY"), std::string::npos);
  EXPECT_GT(session().results.RowCount, 1);
}

// ---- Bad input ---------------------------------------------------------------------------

TEST_F(SpectrumSimulation, OnlyElementsLighterThanTheIonGiveAnEmptySpectrumForRbs) {
  params().richedit1 = "S=\nn=5e22\nh,1\n";
  const Spectrum& s = FullSpectrum();
  EXPECT_DOUBLE_EQ(TotalCounts(s, params().detkevch), 0.0);
  EXPECT_TRUE(messages().empty()) << messages().front();
  EXPECT_EQ(session().SpectrumFlag, SpectrumMode::kSpectrum);
  // Mixed with carbon, only carbon counts; the report is that of the carbon run, the last
  // one that walked (hydrogen, last in the list, is skipped).
  params().richedit1 = "S=\nn=5e22\nc,1\nh,1\n";
  const Spectrum& mixed = FullSpectrum();
  EXPECT_GT(TotalCounts(mixed, params().detkevch), 0.0);
  EXPECT_EQ(session().OutputLog.rfind("REFLECTION GEOMETRY", 0), 0U);
  EXPECT_GT(session().results.RowCount, 0);
}

TEST_F(SpectrumSimulation, UnknownElementInALayerCountsForNothing) {
  params().richedit1 = "S=\nn=5e22\nqq,1\nsi,1\n";
  params().Edit1_target = "si";
  params().Edit1_mt = "28";
  const Spectrum& s = SubSpectrum();
  EXPECT_TRUE(AllFinite(s));
  EXPECT_GT(TotalCounts(s, params().detkevch), 0.0);
  const Spectrum& full = FullSpectrum();
  EXPECT_TRUE(AllFinite(full));
}

TEST_F(SpectrumSimulation, CalibrationThatMissesTheParticlesGivesZeros) {
  params().Edit1_dete0 = "50000";
  const Spectrum& s = SubSpectrum();
  EXPECT_DOUBLE_EQ(TotalCounts(s, params().detkevch), 0.0);
  params().Edit1_dete0 = "0";
  params().Edit1_detkevch = "0.5";  // 300 keV full scale: only the lowest energies fit
  const Spectrum& narrow = SubSpectrum();
  EXPECT_TRUE(AllFinite(narrow));
}

TEST_F(SpectrumSimulation, ChannelWidthThatIsNotPositiveIsReported) {
  // "OK" refuses a calibration slope that is not positive and takes the default 7.03.
  for (const char* width : {"0", "-7.03"}) {
    params().Edit1_detkevch = width;
    messages().clear();
    const Spectrum& sub = SubSpectrum();
    EXPECT_TRUE(AllFinite(sub));
    EXPECT_EQ(std::count(messages().begin(), messages().end(),
                         "detkevch = " + std::string(width) +
                             " is outside the range of energy calibration slope (keV/ch), 0.001 "
                             "to 10000; 7.03 is used instead"),
              1)
        << width;
    EXPECT_DOUBLE_EQ(params().detkevch, 7.03);
  }
  // The finest calibration accepted ends promptly with finite channels.
  params().Edit1_detkevch = "1e-3";
  messages().clear();
  EXPECT_TRUE(AllFinite(SubSpectrum()));
  EXPECT_TRUE(messages().empty());
}

TEST_F(SpectrumSimulation, MonolayerSampleKeepsTheThinFilmYield) {
  ClassicRbs("au", "197", "A=20\nn=5e22\nau,1\n");
  params().Edit1_monothick = "1e15";  // ten monolayers in the 1e16 atoms/cm2 film
  const Spectrum& s = SubSpectrum();
  const double expected = IonsTimesSolidAngle() * 8.20551e-24 * 1e16;
  EXPECT_NEAR(TotalCounts(s, params().detkevch), expected, 0.02 * expected);
}

// ---- Absorber foil -------------------------------------------------------------------------

TEST_F(SpectrumSimulation, FoilShiftsTheSurfaceEdgeByItsEnergyLoss) {
  ClassicRbs("si", "28", "S=\nn=4.98e22\nsi,1\n");
  params().RichEdit2 = "A=5000\nn=10e22\nc,1\n";  // 0.5 micron of carbon
  const Spectrum& s = SubSpectrum();
  ASSERT_TRUE(AllFinite(s));
  // Helium of 1129.89 keV through 0.5 micron of carbon at 1e23 atoms/cm3: Ziegler's 1977
  // carbon fit integrated by fourth-order Runge-Kutta leaves 951.53 keV (a loss of 178.36
  // keV, 35.7 eV/(1e15 at/cm2) on average). The edge moves to channel
  // (951.53 - 185.88) / 7.03 = 108.91.
  const double top = ChannelCounts(session(), 95);
  int edge = 0;
  for (int c = 95; c < 200; ++c) {
    if (ChannelCounts(session(), c) > top / 2.0) edge = c;
  }
  EXPECT_NEAR(edge + 0.5, 108.91, 1.0);
  EXPECT_LT(ChannelCounts(session(), 120), 0.01 * top);
}

TEST_F(SpectrumSimulation, FoilThatStopsEverythingLeavesZeros) {
  params().RichEdit2 = "A=1000000\nn=6e22\nau,1\n";  // 100 micron of gold
  const Spectrum& s = SubSpectrum();
  EXPECT_TRUE(AllFinite(s));
  EXPECT_DOUBLE_EQ(TotalCounts(s, params().detkevch), 0.0);
}

}  // namespace
}  // namespace dodavev
