// Simulated spectra with the data physicists bring today: cross sections in the R33 format
// and spectra of more channels than the classic 600.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/calculations.hpp"
#include "app/ok_action.hpp"
#include "app/session_fixture.hpp"
#include "support/temp_dir.hpp"

namespace dodavev {
namespace {

double TotalCounts(const Session& s) {
  double n = 0.0;
  for (double v : s.results.SimulatedSpectrum)
    n += v;
  return n * s.params.detkevch;
}

class RealDataChecks : public testing::StartedSession {
 protected:
  // 2 MeV helium at normal incidence on 1e15 gold atoms/cm2 (2 angstrom at 5e22
  // atoms/cm3), detected at 170 degrees.
  void ThinGold() {
    params().Edit1_e0 = "2000";
    params().Edit1_a = "90";
    params().Edit1_th = "170";
    params().Edit1_target = "au";
    params().Edit1_mt = "197";
    params().Edit1_x = "0.00005";
    params().richedit1 = "A=2\nn=5e22\nau,1\n";
  }
  double Run() {
    Button5Click(session());
    spectrumsimulation1Click(session());
    return TotalCounts(session());
  }
  // Takes the elastic cross section from an R33 file of `rows` (E, dE, sigma, dsigma).
  void UseR33(const std::string& units, const std::string& rows) {
    char masses[96];
    std::snprintf(masses, sizeof masses, "Masses: %.10g, %.10g, %.10g, %.10g\r\n", params().m1,
                  params().mt, params().m1, params().mt);
    const auto path = dir_ / "au.r33";
    std::ofstream(path, std::ios::binary)
        << "COMMENT: test data\r\n\r\nSource: Exp\r\nName: Test\r\nSerial Number: 0\r\n"
           "Reaction: 197Au(4He,4He)197Au\r\nDistribution: Energy\r\n"
        << masses << "Zeds: 2, 79, 2, 79\r\nQvalue: 0, 0, 0, 0, 0\r\nTheta: 170\r\nUnits: " << units
        << "\r\nData:\r\n"
        << rows << "EndData:\r\n";
    params().RadioButton_ESS_NonRutherford = true;
    params().registry.CheckListBox_ESS = {
        {"Theta=170; 197AU(4HE,4HE)197AU; level=0;    " + path.string(), true}};
  }
  testing::TempDir dir_;
};

TEST_F(RealDataChecks, RatioToRutherfordOfTwoAndAHalfGivesTwoAndAHalfTimesThePeak) {
  ThinGold();
  const double rutherford = Run();
  ASSERT_TRUE(messages().empty()) << messages().front();
  ASSERT_GT(rutherford, 0.0);
  std::string rows;
  for (int e = 1500; e <= 2100; ++e)
    rows += std::to_string(e) + " 0 2.5 0\r\n";
  UseR33("rr", rows);
  const double ratio = Run();
  ASSERT_TRUE(messages().empty()) << messages().front();
  // Rutherford times 2.5 in 1 keV steps: the linear interpolation of a 1/E^2 curve errs by
  // (1 keV / 2000 keV)^2 * 3/4 = 2e-7 at most: 1e-6 of the ratio.
  EXPECT_NEAR(ratio / rutherford, 2.5, 2.5e-6);
}

TEST_F(RealDataChecks, ConstantCrossSectionGivesQOverETimesOmegaSigmaNt) {
  ThinGold();
  UseR33("mb/sr", "1500 0 1000 0\r\n2100 0 1000 0\r\n");
  const double counts = Run();
  ASSERT_TRUE(messages().empty()) << messages().front();
  // (Q/e) Omega sigma Nt by hand: 8 microC of singly charged ions (e = 1.602176634e-19 C),
  // the default diaphragm of 8 mm at 100 mm, pi 4^2 / 100^2 sr, sigma = 1 barn/sr, Nt =
  // 1e15 atoms/cm2, normal incidence. A constant cross section leaves only the spectrum's
  // own sums, exact to rounding: 1e-9.
  const double expected = 8e-6 / 1.602176634e-19 * 0.005026548245743669 * 1e-24 * 1e15;
  EXPECT_NEAR(counts, expected, 1e-9 * expected);
}

TEST_F(RealDataChecks, FourTimesTheChannelsAtAQuarterOfTheWidthSumToTheCoarseSpectrum) {
  // 100 nm of gold: a peak over many channels.
  params().Edit1_e0 = "2000";
  params().Edit1_th = "170";
  params().Edit1_target = "au";
  params().Edit1_mt = "197";
  params().richedit1 = "A=1000\nn=5.9e22\nau,1\n";
  params().Edit1_channels = "1024";
  params().Edit1_detkevch = "2";
  params().Edit1_dete0 = "100";
  Run();
  ASSERT_TRUE(messages().empty()) << messages().front();
  const Spectrum coarse = session().results.SimulatedSpectrum;
  ASSERT_EQ(coarse.channels(), 1024);
  params().Edit1_channels = "4096";
  params().Edit1_detkevch = "0.5";
  Run();
  ASSERT_TRUE(messages().empty()) << messages().front();
  const Spectrum fine = session().results.SimulatedSpectrum;
  ASSERT_EQ(fine.channels(), 4096);
  // Coarse channel c holds the energies of fine channels 4c to 4c + 3; counts are the
  // spectrum (per keV) times the channel width. Each channel takes the detector-folded
  // spectrum at its own energies, so on the slopes of the 16 keV wide edges a 2 keV channel
  // and its four 0.5 keV parts differ by the curvature over the channel, (2 keV)^2 / 24
  // against a variance of (16 keV / 2.355)^2: below 1e-3 of the peak.
  double peak = 0.0;
  for (int c = 0; c < 1024; ++c)
    peak = std::max(peak, coarse[static_cast<std::size_t>(c)] * 2.0);
  ASSERT_GT(peak, 100.0);
  for (int c = 1; c < 1024; ++c) {
    double sum = 0.0;
    for (int k = 4 * c; k < 4 * c + 4; ++k)
      sum += fine[static_cast<std::size_t>(k)] * 0.5;
    EXPECT_NEAR(sum, coarse[static_cast<std::size_t>(c)] * 2.0, 0.5 + 1e-3 * peak) << c;
  }
}

}  // namespace
}  // namespace dodavev
