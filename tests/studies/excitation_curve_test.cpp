// Excitation curves: the beam energies of a scan, the row filler with its interpolation at
// Er, the report, and whole curves against the thick-target yield of a resonance.
#include "studies/excitation_curve.hpp"
#include "app/calculation_setup.hpp"
#include "app/calculations.hpp"
#include "app/run_inputs_of.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/session_fixture.hpp"
#include "engine/path.hpp"
#include "physics/stopping.hpp"
#include "support/report_lines.hpp"

namespace dodavev {
namespace {

constexpr double kPi = std::numbers::pi;

using testing::CrLfLines;

// ---- Beam energies -----------------------------------------------------------------------

TEST(ExcitationPlan, DefaultsGiveSeventeenEnergies) {
  const ExcitationPlan plan = PlanExcitationCurve(4190, 4350, 10);
  ASSERT_TRUE(plan.problem.empty());
  ASSERT_EQ(plan.energies.size(), 17u);
  EXPECT_EQ(plan.energies.front(), 4190);
  EXPECT_EQ(plan.energies[7], 4260);
  EXPECT_EQ(plan.energies.back(), 4350);
}

TEST(ExcitationPlan, LastEnergyIsTheLargestNotAboveTheMaximum) {
  const ExcitationPlan plan = PlanExcitationCurve(4190, 4355, 10);
  ASSERT_EQ(plan.energies.size(), 17u);
  EXPECT_EQ(plan.energies.back(), 4350);
  // Decimal steps reach the end without losing it to rounding: 0.1 x 30.
  EXPECT_EQ(PlanExcitationCurve(428.5, 431.5, 0.1).energies.size(), 31u);
}

TEST(ExcitationPlan, EmptyRangeRunsNothingWithoutComplaint) {
  const ExcitationPlan plan = PlanExcitationCurve(4350, 4190, 10);
  EXPECT_TRUE(plan.problem.empty());
  EXPECT_TRUE(plan.energies.empty());
  EXPECT_TRUE(PlanExcitationCurve(4350, 4190, 0).problem.empty());
}

TEST(ExcitationPlan, AHundredEnergiesFitMoreAreRefused) {
  EXPECT_EQ(PlanExcitationCurve(1000, 1099, 1).energies.size(), 100u);
  const ExcitationPlan over = PlanExcitationCurve(1000, 1100, 1);
  EXPECT_TRUE(over.energies.empty());
  EXPECT_NE(over.problem.find("at most 100"), std::string::npos) << over.problem;
  EXPECT_FALSE(PlanExcitationCurve(0, 1e300, 1e-300).problem.empty());
  // A step lost in the rounding of enormous energies gives the one energy, not a hundred.
  EXPECT_EQ(PlanExcitationCurve(-1.7e289, -1.7e289, 4.9e14).energies.size(), 1u);
  EXPECT_EQ(PlanExcitationCurve(1e17, 1e17 + 64, 1).energies.size(), 5u);
}

TEST(ExcitationPlan, StepsThatNeverReachTheEndAreRefused) {
  EXPECT_FALSE(PlanExcitationCurve(4190, 4350, 0).problem.empty());
  EXPECT_FALSE(PlanExcitationCurve(4190, 4350, -10).problem.empty());
  EXPECT_FALSE(PlanExcitationCurve(std::nan(""), 4350, 10).problem.empty());
  EXPECT_FALSE(
      PlanExcitationCurve(4190, std::numeric_limits<double>::infinity(), 10).problem.empty());
}

// ---- Row filler ----------------------------------------------------------------------------

// A walk with constant stopping: S = 80 keV/micron at alpha = 60 deg, so the beam loses
// S / sin(alpha) = 92.376 keV/micron along the depth, 0.92376 keV per 10 nm step. Values
// of every row grow by one per step from a start of their own.
RunResults ConstantStoppingWalk(double e0, int rows) {
  RunResults r;
  const double lossPerStep = 80.0 / std::sin(60.0 * kPi / 180.0) * 0.010;
  for (int k = 0; k < rows; ++k) {
    r.table.at(k, 1) = 10.0 * k;
    r.table.at(k, 4) = e0 - lossPerStep * k;
    for (int v : {26, 7, 8, 10, 11, 12, 3, 2})
      r.table.at(k, v) = v + k;
    r.table.at(k, 40) = 0.25 * k;
  }
  r.RowCount = rows;
  return r;
}

TEST(ResonanceRowFiller, DepthOfTheResonanceIsTheEnergyLostOverTheStopping) {
  // Beam 1000 keV, Er 995.5 keV: x = (E_in - Er) / (S / sin alpha) = 4.5 / 92.376 micron
  // = 48.714 nm, i.e. 4.8714 steps; every column is read there.
  const RunResults r = ConstantStoppingWalk(1000.0, 10);
  const ResonanceRow row = FillResonanceRow(r, 1000.0, 995.5, 1.0);
  const double x = 4.5 / (80.0 / std::sin(60.0 * kPi / 180.0)) * 1000.0;
  EXPECT_NEAR(x, 48.714, 1e-3);
  EXPECT_NEAR(row[1], x, 1e-9);
  EXPECT_EQ(row[2], 1000.0);
  const double steps = x / 10.0;
  EXPECT_NEAR(row[3], 26 + steps, 1e-9);  // Doppler, value 26
  EXPECT_NEAR(row[4], 7 + steps, 1e-9);   // beam energy spread, value 7
  EXPECT_NEAR(row[8], 12 + steps, 1e-9);  // total spread of the beam, value 12
  EXPECT_NEAR(row[9], 3 + steps, 1e-9);   // with the resonance width, value 3
  EXPECT_NEAR(row[10], 2 + steps, 1e-9);  // depth resolution, value 2
}

TEST(ResonanceRowFiller, CountsAreTheSummedYieldTimesDoseAndSolidAngle) {
  // Yields 0, 0.25, ..., 2.25 over ten rows: 11.25; 10000 / 1.6 x 8 microC x 2 msr
  // = 100000 counts per unit: 1125000 counts.
  const RunResults r = ConstantStoppingWalk(1000.0, 10);
  EXPECT_NEAR(CountsPerYield(8.0, 2.0), 100000.0, 1e-9);
  EXPECT_NEAR(FillResonanceRow(r, 1000.0, 995.5, CountsPerYield(8.0, 2.0))[11], 1125000.0, 1e-6);
  // Doubling the dose doubles the counts and nothing else.
  const ResonanceRow once = FillResonanceRow(r, 1000.0, 995.5, CountsPerYield(8.0, 2.0));
  const ResonanceRow twice = FillResonanceRow(r, 1000.0, 995.5, CountsPerYield(16.0, 2.0));
  EXPECT_DOUBLE_EQ(twice[11], 2.0 * once[11]);
  for (int c = 1; c <= 10; ++c)
    EXPECT_EQ(twice[static_cast<std::size_t>(c)], once[static_cast<std::size_t>(c)]);
}

TEST(ResonanceRowFiller, BeamAtTheResonanceTakesTheSurfaceRow) {
  const RunResults r = ConstantStoppingWalk(995.5, 10);
  const ResonanceRow row = FillResonanceRow(r, 995.5, 995.5, 1.0);
  EXPECT_EQ(row[1], 0.0);
  EXPECT_EQ(row[3], 26.0);
  EXPECT_EQ(row[10], 2.0);
}

// A beam below the resonance, and one that loses 2.77 keV over three printed rows and
// never reaches Er 10 keV below (the zero rows after the walk, beam energy 0, are not taken
// for a crossing): the columns keep their zeros.
TEST(ResonanceRowFiller, ResonanceNotCrossedInThePrintedRowsLeavesZeros) {
  for (const auto& [e0, er, rows] : {std::tuple{990.0, 995.5, 10}, std::tuple{1000.0, 990.0, 3}}) {
    const ResonanceRow row = FillResonanceRow(ConstantStoppingWalk(e0, rows), e0, er, 1.0);
    EXPECT_EQ(row[2], e0);
    for (int c : {1, 3, 4, 5, 6, 7, 8, 9, 10})
      EXPECT_EQ(row[static_cast<std::size_t>(c)], 0.0) << e0;
  }
  // The yield of the run is still counted.
  EXPECT_NEAR(FillResonanceRow(ConstantStoppingWalk(990.0, 10), 990.0, 995.5, 1.0)[11], 11.25,
              1e-12);
  RunResults none;
  const ResonanceRow empty = FillResonanceRow(none, 1000.0, 990.0, 1.0);
  EXPECT_EQ(empty[2], 1000.0);
  EXPECT_EQ(empty[11], 0.0);
}

// ---- Report --------------------------------------------------------------------------------

TEST(ExcitationReport, FourHeaderLinesAndElevenColumns) {
  ResonanceTable table;
  for (int c = 1; c <= 11; ++c)
    table.at(1, c) = c + 0.04;
  const std::vector<std::string> lines =
      CrLfLines(ExcitationReport('R', 165.0, 80.0, 20.0, table, 1));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "REFLECTION GEOMETRY");
  EXPECT_EQ(lines[1], "           theta = 165.00         alpha = 80.00      FWHM [keV] = 20.00");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3],
            "|  depth  |  E_in  |               main energy spread contributions              "
            "| depth  |counts ");
  EXPECT_EQ(lines[6],
            "|  [nm]   | [keV]  |                            [keV]                            "
            "|  [nm]  | ");
  EXPECT_EQ(lines[7],
            "      1.0      2.0      3.0      4.0      5.0      6.0      7.0      8.0      9.0"
            "     10.0     11.0");
}

TEST(ExcitationReport, AnglesAndWidthRoundedToThreeSignificantDigits) {
  ResonanceTable table;
  const std::vector<std::string> lines =
      CrLfLines(ExcitationReport('T', 12.345, 7.891, 0.1234, table, 0));
  ASSERT_EQ(lines.size(), 7u);  // no rows
  EXPECT_EQ(lines[0], "TRANSMISSION GEOMETRY");
  EXPECT_EQ(lines[1], "           theta = 12.30         alpha = 7.89      FWHM [keV] = 0.12");
  EXPECT_EQ(CrLfLines(ExcitationReport('R', 165, 80, 1234.0, table, 0))[1],
            "           theta = 165.00         alpha = 80.00      FWHM [keV] = 1.23E+03");
}

// ---- Whole curves --------------------------------------------------------------------------

class ExcitationCurve : public testing::StartedSession {
 protected:
  void Ok() {
    Button5Click(session());
    messages().clear();
  }
  void Run(int jobs) {
    session().scan.jobs = jobs;
    exitationcurvesforresonances1Click(session());
  }
  double Col(int row, int c) const { return session_->studies.resonance.at(row, c); }
  int Rows() const { return session_->studies.resonanceRows; }
  // Beam energy (column 2) at which the counts first reach `level`, interpolated.
  double EnergyAtCounts(double level) const {
    for (int r = 2; r <= Rows(); ++r) {
      if (Col(r, 11) >= level && Col(r - 1, 11) < level) {
        return Col(r - 1, 2) + (level - Col(r - 1, 11)) / (Col(r, 11) - Col(r - 1, 11)) *
                                   (Col(r, 2) - Col(r - 1, 2));
      }
    }
    return std::nan("");
  }
  // A nuclear reaction of protons read from a tabulated Lorentzian: peak sigmaR mbarn/sr,
  // FWHM gamma keV at er keV, in points fine enough to follow it.
  void UseLorentzianTable(int targetZ, int targetMass, int productZ, int productMass, double er,
                          double gamma, double sigmaMb) {
    std::string text = "test resonance\nE [keV]  sigma [mbarn/sr]\n\n";
    for (double e = er - 300.0; e <= er + 300.0 + 1e-9;
         e += std::fabs(e - er) < 20.0 * gamma ? gamma / 20.0 : 0.5) {
      const double u = 2.0 * (e - er) / gamma;
      char line[64];
      std::snprintf(line, sizeof line, "%.5f %.8g\n", e, sigmaMb / (1.0 + u * u));
      text += line;
    }
    CrossSectionDataSet set;
    std::string problem;
    ASSERT_EQ(ParseCrossSectionText(text, set, problem), 0) << problem;
    set.key = {1,        1.0,
               targetZ,  static_cast<double>(targetMass),
               productZ, static_cast<double>(productMass),
               165.0,    0};
    session().crossSections.nra.push_back(std::move(set));
    // Outside the table the reaction has no cross section.
    params().NRACrossConstant = 0.0;
  }
  // Stopping (keV/micron) of protons at `e` keV in the first sample layer.
  double ProtonStopping(double e) {
    return LayerStopping(session().sample.layers.at(0), 1, 1.0, e, StoppingModelOf(session()));
  }
  // Thick-target yield of a Lorentzian resonance (Amsel & Maurel; Gove 1959) for 8 microC:
  //   counts = (Q/e) Omega N (integral sigma dE) / S(Er),
  //   integral sigma dE = sigmaR gamma / 2 (pi/2 + atan(2 (E0 - Er) / gamma)),
  // for a beam of E0 that slows down far below Er; N atoms/cm3, sigmaR barn/sr, S along
  // the beam path (independent of the angle of incidence: the path per energy lost is 1/S).
  double ThickTargetCounts(double e0, double er, double gamma, double sigmaR, double n) {
    const double integral =
        sigmaR * 1e-24 * gamma / 2.0 * (kPi / 2.0 + std::atan(2.0 * (e0 - er) / gamma));
    return 8e-6 / 1.602176634e-19 * session().params.solid_angle * 1e-3 * n * integral /
           (ProtonStopping(er) * 1e4);
  }
  void Protons(const char* target, const char* mt, const char* qm) {
    params().Edit1_z1 = "1";
    params().Edit1_m1 = "1";
    params().Edit1_chargestate_in = "1";
    params().Edit1_z2 = "2";
    params().Edit1_m2 = "4";
    params().Edit1_th = "165";
    params().Edit1_target = target;
    params().Edit1_mt = mt;
    params().Edit1_qm = qm;
    params().RadioButton_NRAConstans = false;
    params().RadioButton_NRA_Files = true;
  }
};

TEST_F(ExcitationCurve, DefaultsSeventeenRowsResonanceFromTheSurfaceOn) {
  params().Edit1_depthmax = "1";  // a short walk is enough for the rows' columns
  Ok();
  Run(0);
  EXPECT_EQ(session().CalcMode, CalculationMode::kExcitationCurve);
  EXPECT_EQ(session().SpectrumFlag, SpectrumMode::kResonance);
  ASSERT_EQ(Rows(), 17);
  EXPECT_EQ(session().results.RowCount, 17);
  for (int r = 1; r <= 7; ++r) {  // 4190 .. 4250 keV: below the resonance
    EXPECT_EQ(Col(r, 1), 0.0);
    EXPECT_EQ(Col(r, 10), 0.0);
  }
  EXPECT_EQ(Col(8, 2), 4260.0);
  EXPECT_EQ(Col(8, 1), 0.0);  // at the surface
  EXPECT_GT(Col(8, 3), 0.0);  // Doppler of the surface row
  for (int r = 9; r <= 17; ++r)
    EXPECT_GT(Col(r, 1), Col(r - 1, 1)) << r;  // deeper and deeper
  const std::vector<std::string> lines = CrLfLines(session().OutputLog);
  ASSERT_EQ(lines.size(), 7u + 17u);
  EXPECT_EQ(lines[1], "           theta = 165.00         alpha = 80.00      FWHM [keV] = 20.00");
  EXPECT_EQ(lines[7].substr(0, 18), "      0.0   4190.0");
}

TEST_F(ExcitationCurve, OneThreadAndManyWriteTheSameReport) {
  params().Edit1_depthmax = "1";
  Ok();
  Run(1);
  const std::string serial = session().OutputLog;
  const ResonanceTable table = session().studies.resonance;
  Run(4);
  EXPECT_EQ(session().OutputLog, serial);
  for (int r = 1; r <= 17; ++r)
    for (int c = 1; c <= 11; ++c)
      EXPECT_EQ(Col(r, c), table.at(r, c));
}

// Asks to stop once `runs` energies have been reported done.
class StopAfterEnergies final : public ScanObserver {
 public:
  explicit StopAfterEnergies(int runs) : runs_(runs) {}
  void Progress(const ScanProgress& p) override { done_ = p.done; }
  bool StopRequested() const override { return done_ >= runs_; }

 private:
  int runs_;
  int done_ = 0;
};

TEST_F(ExcitationCurve, StoppedCurveEndsWithHowManyEnergiesItRan) {
  params().Edit1_depthmax = "1";
  Ok();
  Run(1);
  const std::string complete = session().OutputLog;
  EXPECT_EQ(complete.find("stopped"), std::string::npos);
  StopAfterEnergies observer(3);
  session().scan.observer = &observer;
  Run(1);
  session().scan.observer = nullptr;
  const std::vector<std::string> lines = CrLfLines(session().OutputLog);
  ASSERT_EQ(lines.size(), 7u + 3u + 1u);  // header, 3 of the 17 default energies, the end
  EXPECT_EQ(lines.back(), "excitation curve: stopped after 3 of 17 energies");
  EXPECT_EQ(
      complete.rfind(
          session().OutputLog.substr(0, session().OutputLog.size() - lines.back().size() - 2), 0),
      0u);
  EXPECT_EQ(Rows(), 3);
}

// 18O(p,alpha)15N at 629 keV, written here as a Lorentzian of 2.1 keV and 200 mbarn/sr,
// in 18O-enriched SiO2. Far above the resonance every proton crosses it once, and the
// number of reactions is the thick-target yield, at either angle of incidence.
TEST_F(ExcitationCurve, ThickTargetYieldOfAnNraResonanceFromAFile) {
  const double er = 629.0, gamma = 2.1, sigmaR = 0.2;  // barn/sr
  Protons("o", "18", "3.98");
  params().richedit1 = "S=\nn=6.6e22\nsi,1\no18,2\n";
  params().Edit1_er = "629";
  params().Edit1_fwhm = "2.1";
  params().Edit1_rezmin = "589";
  params().Edit1_rezmax = "709";
  params().Edit1_estep = "5";
  params().Edit1_depthmax = "2";  // 140 keV of the beam's slowing down: Er is crossed
  Ok();
  UseLorentzianTable(8, 18, 2, 4, er, gamma, 1000.0 * sigmaR);
  const double n18 = 6.6e22 * 2.0 / 3.0;  // 18O atoms per cm3
  for (const char* alpha : {"80", "45"}) {
    params().Edit1_a = alpha;
    Ok();
    UseLorentzianTable(8, 18, 2, 4, er, gamma, 1000.0 * sigmaR);
    Run(0);
    ASSERT_EQ(Rows(), 25);
    const double far = Col(25, 11);  // 80 keV above the resonance
    EXPECT_NEAR(far / ThickTargetCounts(709.0, er, gamma, sigmaR, n18), 1.0, 0.04)
        << "alpha " << alpha;
    // Half height of the rising edge within the larger of the step and 3 keV of Er.
    EXPECT_NEAR(EnergyAtCounts(far / 2.0), er, 5.0) << "alpha " << alpha;
    // 40 keV below the resonance only its tail is left: sigmaR gamma/2 (pi/2 - atan(80/2.1))
    // is 1.7 % of the step.
    EXPECT_LT(Col(1, 11), 0.03 * far);
    EXPECT_GE(Col(1, 11), 0.0);
    EXPECT_EQ(Col(1, 1), 0.0);
    EXPECT_GT(Col(25, 1), 0.0);
  }
}

// A Breit-Wigner resonance of 0.1 keV at 429 keV (15N(p,alpha gamma)12C) at the surface of
// a thick 15N-enriched silicon nitride, with no beam energy or angular spread and no
// multiple scattering. At depth delta (energy lost on the way in) the beam carries a
// Gaussian spread of FWHM^2 = D^2 + 8 ln2 x 4 pi e^4 sum(Z2 N) delta / S (Doppler D and
// Bohr straggling, Bohr 1948; e^2 = 1.439968e-10 keV cm), so the excitation curve is
//   Y(E0) / Yinf = integral over delta of Voigt(E0 - delta - Er; gamma, FWHM(delta)).
// Its 12 %-88 % width and half height are computed below by plain quadrature.
struct NarrowPrediction {
  double S;      // keV/micron, proton stopping at Er
  double D;      // keV, Doppler FWHM
  double bohr;   // keV^2 of FWHM^2 per keV of energy lost
  double gamma;  // keV
  // Y(E0)/Yinf with E0 - Er = u.
  double Fraction(double u) const {
    double sum = 0.0;
    const double dDelta = 0.002;
    for (double delta = dDelta / 2.0; delta < 6.0; delta += dDelta) {
      const double w = std::sqrt(D * D + bohr * delta);
      const double sg = w / std::sqrt(8.0 * std::log(2.0));
      // Lorentzian of the resonance folded with the Gaussian (Simpson over +-5 sigma).
      const int n = 80;
      const double h = 10.0 * sg / n;
      double voigt = 0.0;
      for (int i = 0; i <= n; ++i) {
        const double y = -5.0 * sg + i * h;
        const double g = std::exp(-y * y / (2.0 * sg * sg)) / (sg * std::sqrt(2.0 * kPi));
        const double v = u - delta - y;
        const double l = (2.0 / (kPi * gamma)) / (1.0 + 4.0 * v * v / (gamma * gamma));
        voigt += (i == 0 || i == n ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0)) * g * l;
      }
      sum += voigt * h / 3.0 * dDelta;
    }
    return sum;
  }
  double EnergyAt(double fraction) const {
    double lo = -2.0, hi = 2.0;
    for (int i = 0; i < 40; ++i) {
      const double mid = (lo + hi) / 2.0;
      (Fraction(mid) < fraction ? lo : hi) = mid;
    }
    return (lo + hi) / 2.0;
  }
};

TEST_F(ExcitationCurve, NarrowResonanceAtTheSurfaceKeepsItsPredictedEdge) {
  const double er = 429.0, gamma = 0.1, sigmaR = 0.5;  // barn/sr
  Protons("n", "15", "4.965");
  params().richedit1 = "S=\nn=9.0e22\nsi,3\nn15,4\n";
  params().Edit1_bes = "0";
  params().Edit1_asb = "0";
  params().CheckMS = false;
  params().CheckChu = false;
  params().CheckYang = false;
  params().Edit1_x = "0.0003";  // 0.3 nm steps: about 0.03 keV each
  params().Edit1_depthmax = "0.06";
  params().Edit1_er = "429";
  params().Edit1_fwhm = "0.1";
  params().Edit1_rezmin = "428.4";
  params().Edit1_rezmax = "430.4";
  params().Edit1_estep = "0.025";
  Ok();
  UseLorentzianTable(7, 15, 2, 4, er, gamma, 1000.0 * sigmaR);
  Run(0);
  ASSERT_EQ(Rows(), 81);

  NarrowPrediction p;
  p.S = ProtonStopping(er);  // keV per micron of path
  // Doppler: 2.35 sqrt(8.65e-8 keV/K x 2 m1/mt x E x T), T = 300 K.
  p.D = 2.35 * std::sqrt(8.65e-8 * 2.0 / 15.0 * er * 300.0);
  EXPECT_NEAR(p.D, 0.09054, 1e-4);
  // sum(Z2 N) = (3/7 x 14 + 4/7 x 7) x 9.0e22 = 9.0e23 electrons/cm3; the path per keV
  // lost is 1/S micron (1e-4/S cm).
  const double fourPiE4 = 4.0 * kPi * std::pow(1.439968e-10, 2.0);  // keV^2 cm^2
  p.bohr = 8.0 * std::log(2.0) * fourPiE4 * 9.0e23 * 1e-4 / p.S;
  p.gamma = gamma;

  const double n15 = 9.0e22 * 4.0 / 7.0;
  const double yinf = 8e-6 / 1.602176634e-19 * session().params.solid_angle * 1e-3 * n15 * kPi *
                      gamma * sigmaR * 1e-24 / 2.0 / (ProtonStopping(er) * 1e4);
  // The plateau 1.4 keV above: the thick-target yield less the tail the beam never reaches.
  EXPECT_NEAR(Col(81, 11) / (yinf * p.Fraction(1.4)), 1.0, 0.02);
  const double low = EnergyAtCounts(0.12 * yinf);
  const double half = EnergyAtCounts(0.5 * yinf);
  const double high = EnergyAtCounts(0.88 * yinf);
  const double predictedWidth = p.EnergyAt(0.88) - p.EnergyAt(0.12);
  EXPECT_NEAR((high - low) / predictedWidth, 1.0, 0.05)
      << "edge " << high - low << " keV, predicted " << predictedWidth;
  EXPECT_NEAR(half, er + p.EnergyAt(0.5), 0.02);
}

// A 0.1 keV resonance (sigmaR 0.5 barn/sr) walked in steps so fine that the 200 printed
// rows cover only a few keV of the beam's slowing down: a few keV above the resonance the
// beam crosses it beyond the printed rows, and the plateau must still be the thick-target
// yield; 2 % (the straggled beam's steps against the textbook plateau, and the Lorentzian
// tail below Er - 10 keV that the walk leaves, gamma / (2 pi 10 keV) = 0.16 %).
TEST_F(ExcitationCurve, NarrowResonanceBeyondThePrintedRowsKeepsTheThickTargetPlateau) {
  struct Case {
    const char* reaction;
    int z, mass;
    const char* target;
    const char* q;  // MeV
    const char* sample;
    double n;           // atoms/cm3 of the resonant isotope
    double er;          // keV
    const char* step;   // micron
    double from;        // keV, two energies 1 keV apart
    bool noBeamSpread;  // no beam energy or angular spread, no multiple scattering
  };
  const Case cases[] = {
      // 0.3 nm steps: 200 steps are about 6 keV; the walk ends below the resonance.
      {"15N(p,alpha gamma)12C", 7, 15, "n", "4.965", "S=\nn=9.0e22\nsi,3\nn15,4\n",
       9.0e22 * 4.0 / 7.0, 429.0, "0.0003", 436.0, true},
      // 1 nm steps: 200 rows of about 0.04 keV each.
      {"27Al(p,alpha)24Mg", 13, 27, "al", "1.600", "S=\nn=6.02e22\nal27,1\n", 6.02e22, 1683.3,
       "0.001", 1687.3, false}};
  const ParameterSet start = params();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reaction);
    params() = start;
    const double gamma = 0.1, sigmaR = 0.5;
    const std::string mass = std::to_string(c.mass);
    Protons(c.target, mass.c_str(), c.q);
    params().richedit1 = c.sample;
    if (c.noBeamSpread) {
      params().Edit1_bes = "0";
      params().Edit1_asb = "0";
      params().CheckMS = false;
      params().Edit1_depthmax = "1";  // the walk ends below the resonance long before
    }
    params().Edit1_x = c.step;
    params().Edit1_er = std::to_string(c.er);
    params().Edit1_fwhm = "0.1";
    params().Edit1_rezmin = std::to_string(c.from);
    params().Edit1_rezmax = std::to_string(c.from + 1.0);
    params().Edit1_estep = "1";
    Ok();
    UseLorentzianTable(c.z, c.mass, 2, 4, c.er, gamma, 1000.0 * sigmaR);
    Run(0);
    ASSERT_EQ(Rows(), 2);
    EXPECT_TRUE(messages().empty()) << messages().front();
    for (int r = 1; r <= 2; ++r) {
      const double e0 = Col(r, 2);
      EXPECT_NEAR(Col(r, 11) / ThickTargetCounts(e0, c.er, gamma, sigmaR, c.n), 1.0, 0.02)
          << "E0 " << e0;
    }
  }
}

TEST_F(ExcitationCurve, ZeroWidthAndUnreachedResonanceGiveNumbersNotNaNs) {
  params().Edit1_fwhm = "0";
  params().Edit1_depthmax = "0.1";  // the beam never slows down 90 keV within 100 nm
  params().Edit1_rezmin = "4350";
  params().Edit1_rezmax = "4360";
  Ok();
  Run(2);
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Col(1, 1), 0.0);
  for (const char* bad : {" nan", "-nan", " inf", "n/a"})
    EXPECT_EQ(session().OutputLog.find(bad), std::string::npos) << bad;
  EXPECT_NE(CrLfLines(session().OutputLog)[1].find("FWHM [keV] = 0.00"), std::string::npos);
}

TEST_F(ExcitationCurve, TooManyEnergiesAreRefusedBeforeAnyRun) {
  params().Edit1_estep = "1";  // 161 energies
  Ok();
  session().OutputLog = "an older report";
  Run(0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_NE(messages()[0].find("at most 100"), std::string::npos);
  EXPECT_TRUE(session().OutputLog.empty());
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(session().CalcMode, CalculationMode::kExcitationCurve);
}

TEST_F(ExcitationCurve, EmptyRangeReportsTheHeadersOnly) {
  params().Edit1_rezmin = "4350";
  params().Edit1_rezmax = "4190";
  Ok();
  Run(0);
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(CrLfLines(session().OutputLog).size(), 7u);
}

}  // namespace
}  // namespace dodavev
