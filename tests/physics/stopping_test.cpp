#include "physics/stopping.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "physics/srim_tables.hpp"
#include "physics/zbl_test_elements.hpp"

namespace dodavev {
namespace {

using testing::MakeLayer;
using testing::TestElements;

class StoppingZbl : public ::testing::Test {
 protected:
  ElementTable elements = TestElements();
};

// Protons in silicon at 1 MeV (m1 = 1, PE = 1000 keV/amu). By hand from the ZBL-85 proton
// formula with the Si coefficients: S_low = 2.072 PE^0.0044516 + 3.5585 PE^0.53933 = 115.95,
// S_high = 1515.2 PE^-0.93161 ln(1790.3/PE + 0.035198 PE) = 8.9258, S = 8.2889.
// Published: NIST PSTAR electronic stopping of Si at 1 MeV, 8.18 eV/(1e15 atoms/cm2)
// (data/sources/stopping/SOURCES.md); ZBL-85 lies within 3 % of PSTAR here.
TEST_F(StoppingZbl, ProtonInSiliconAt1MeVMatchesHandValueAndPstar) {
  const double s = ElectronicStoppingZbl(14, 1, 1.0, 1000.0, elements);
  EXPECT_NEAR(s, 8.2889, 1e-3);      // hand value, 4 digits
  EXPECT_NEAR(s / 8.18, 1.0, 0.03);  // PSTAR, fit accuracy
}

// 4He in silicon at 2 MeV: HE = 2000/(250*4) = 2 MeV; S_low = 2.1 * 2000^0.65 = 294.7,
// S_high = (49.34/2) ln(1 + 1.788/2 + 4.133*2) = 57.15; S = 1/(1/S_low + 1/S_high) = 47.873.
// Published: NIST ASTAR electronic stopping of Si at 2 MeV, 47.71 eV/(1e15 atoms/cm2).
TEST_F(StoppingZbl, HeliumInSiliconAt2MeVMatchesHandValueAndAstar) {
  const double s = ElectronicStoppingZbl(14, 2, 4.0, 2000.0, elements);
  EXPECT_NEAR(s, 47.873, 2e-3);
  EXPECT_NEAR(s / 47.71, 1.0, 0.02);
}

// The helium fit switches to the polynomial in ln(1/E) above 10 MeV: 10000 keV still uses
// the low-energy form (18.1005 by hand), 10000.001 keV the polynomial
// exp(4.077 + 0.3074 x - 0.1089 x^2 - 0.008219 x^3), x = ln(1000/10000.001): 18.0320.
TEST_F(StoppingZbl, HeliumBranchSwitchesAbove10MeV) {
  EXPECT_NEAR(ElectronicStoppingZbl(14, 2, 4.0, 10000.0, elements), 18.1005, 1e-3);
  EXPECT_NEAR(ElectronicStoppingZbl(14, 2, 4.0, 10000.001, elements), 18.0320, 1e-3);
}

// At 25 keV/amu the proton fit is used as it stands (F = 1): S_p(25) in Si = 20.858 by hand.
// Below, it is evaluated at 25 keV/amu and scaled by (PE/25)^0.45 for Z2 > 6 and by
// (PE/25)^0.25 for Z2 <= 6: Si at 10 keV: 20.858 * 0.4^0.45 = 13.810;
// C at 10 keV: S_p(25) in C * 0.4^0.25 = 9.302.
TEST_F(StoppingZbl, ProtonLowEnergyFactor) {
  EXPECT_NEAR(ElectronicStoppingZbl(14, 1, 1.0, 25.0, elements), 20.858, 2e-3);
  EXPECT_NEAR(ElectronicStoppingZbl(14, 1, 1.0, 10.0, elements), 13.810, 2e-3);
  EXPECT_NEAR(ElectronicStoppingZbl(6, 1, 1.0, 10.0, elements), 9.302, 2e-3);
}

TEST_F(StoppingZbl, ZeroEnergyIsEvaluatedAtTenElectronvoltsButLayerGivesZero) {
  EXPECT_DOUBLE_EQ(ElectronicStoppingZbl(14, 1, 1.0, 0.0, elements),
                   ElectronicStoppingZbl(14, 1, 1.0, 0.01, elements));
  EXPECT_GT(ElectronicStoppingZbl(14, 1, 1.0, 0.0, elements), 0.0);
  const Layer si = MakeLayer(1.0, 5.0, {{14, 1.0}});
  const StoppingModel model{elements};
  EXPECT_EQ(LayerStopping(si, 1, 1.0, 0.0, model), 0.0);
  EXPECT_EQ(LayerStopping(si, 1, 1.0, 1e-10, model), 0.0);
  EXPECT_EQ(LayerStopping(nullptr, 1, 1.0, 1000.0, model), 0.0);
}

// In the low-velocity regime the effective charge is clamped (constant) and the stopping
// goes as PE^POWER, so S(4E)/S(E) = 4^POWER: 4^0.375 = 1.68179 for a silicon ion in silicon
// (Z2 = 14, z1 <= 19), 4^0.5 = 2 for a calcium ion (z1 = 20) in silicon.
TEST_F(StoppingZbl, LowVelocityPowerRule) {
  const double si1 = ElectronicStoppingZbl(14, 14, 28.0, 28.0, elements);   // 1 keV/amu
  const double si4 = ElectronicStoppingZbl(14, 14, 28.0, 112.0, elements);  // 4 keV/amu
  EXPECT_NEAR(si4 / si1, std::pow(4.0, 0.375), 1e-9);
  const double ca1 = ElectronicStoppingZbl(14, 20, 40.0, 40.0, elements);
  const double ca4 = ElectronicStoppingZbl(14, 20, 40.0, 160.0, elements);
  EXPECT_NEAR(ca4 / ca1, 2.0, 1e-9);
}

TEST_F(StoppingZbl, EffectiveChargeTendsToBareChargeAtHighVelocityAndClampsAtLow) {
  bool low = true;
  // Li at 10 MeV/amu in Si: fully stripped within a percent, q -> 1.
  const double q2 = HeavyIonChargeFactor(3, 14, 10000.0, low, elements);
  EXPECT_FALSE(low);
  EXPECT_NEAR(q2 / 9.0, 1.0, 0.01);
  // At 1 keV/amu the relative velocity is clamped.
  HeavyIonChargeFactor(14, 14, 1.0, low, elements);
  EXPECT_TRUE(low);
  EXPECT_EQ(HeavyIonChargeFactor(14, 14, 0.0, low, elements), 0.0);
}

// ZBL universal nuclear stopping of Si in Si at 1000 keV (m1 = 28, m2 = 28.0855):
// D = 56.0855 (2 * 14^0.23) = 206.82, eps = 32.5347 * 28.0855 * 1000 / (196 D) = 22.651,
// Sn(eps) = 0.5 ln(1 + 1.1383 eps) / (eps + 0.01321 eps^0.21226 + 0.19593 sqrt(eps)),
// S = 8.462 * 196 * 28 * Sn / D = 15.711 eV/(1e15 atoms/cm2).
TEST_F(StoppingZbl, NuclearStoppingByHand) {
  EXPECT_NEAR(NuclearStoppingZbl(14, 14, 1000.0, 28.085499, 28.0), 15.711, 2e-3);
  // Above eps = 30 the unscreened form ln(eps)/(2 eps): protons at 100 MeV, eps = 79157,
  // S = 8.462 * 14 * Sn / D with D = 29.0855 (1 + 14^0.23): 1.0236e-4.
  EXPECT_NEAR(NuclearStoppingZbl(1, 14, 1e5, 28.085499, 1.0), 1.0236e-4, 1e-7);
}

// Bragg additivity: a layer "c,1" "si,1" with N = 9.64 gives the mean of the two element
// stopping powers times N: 4He at 2 MeV, (27.0437 + 47.8730) / 2 * 9.64 = 361.10 keV/micron.
TEST_F(StoppingZbl, BraggSumOfTwoElementLayer) {
  const Layer csi = MakeLayer(1.0, 9.64, {{6, 1.0}, {14, 1.0}});
  const StoppingModel model{elements};
  EXPECT_NEAR(LayerStopping(csi, 2, 4.0, 2000.0, model), 361.10, 0.01);
  // Stoichiometry counts, not its scale: "c,2" "si,2" is the same layer.
  const Layer csi2 = MakeLayer(1.0, 9.64, {{6, 2.0}, {14, 2.0}});
  EXPECT_DOUBLE_EQ(LayerStopping(csi2, 2, 4.0, 2000.0, model),
                   LayerStopping(csi, 2, 4.0, 2000.0, model));
}

// The option "nuclear stopping for H and He ions" adds the ZBL nuclear stopping for them
// too. By hand: 4He (m1 = 4) in Si (m2 = 28.085499) at 500 keV, D = 32.0855 (2^0.23 +
// 14^0.23) = 96.504, eps = 32.5347 * 28.0855 * 500 / (28 D) = 169.08 (> 30, so ln(eps) /
// (2 eps)), S_n = 8.462 * 28 * 4 Sn / D = 0.14899 eV/(1e15 atoms/cm2); protons at 100 keV:
// D = 82.454, eps = 79.157, S_n = 0.039673. About 0.1-0.5 % of the electronic stopping.
TEST_F(StoppingZbl, NuclearStoppingForLightIonsOnRequest) {
  const Layer si = MakeLayer(1.0, 5.0, {{14, 1.0}});
  StoppingModel model{elements};
  model.nuclearForLightIons = true;
  EXPECT_NEAR(NuclearStoppingZbl(2, 14, 500.0, 28.085499, 4.0), 0.14899, 1e-5);
  EXPECT_NEAR(NuclearStoppingZbl(1, 14, 100.0, 28.085499, 1.0), 0.039673, 1e-6);
  EXPECT_NEAR(LayerStopping(si, 2, 4.0, 500.0, model),
              (ElectronicStoppingZbl(14, 2, 4.0, 500.0, elements) + 0.14899) * 5.0, 1e-4);
  EXPECT_NEAR(LayerStopping(si, 1, 1.0, 100.0, model),
              (ElectronicStoppingZbl(14, 1, 1.0, 100.0, elements) + 0.039673) * 5.0, 1e-5);
  // Without the option helium has electronic stopping only; heavier ions get the nuclear
  // stopping either way.
  const StoppingModel plain{elements};
  EXPECT_DOUBLE_EQ(LayerStopping(si, 2, 4.0, 500.0, plain),
                   ElectronicStoppingZbl(14, 2, 4.0, 500.0, elements) * 5.0);
  EXPECT_DOUBLE_EQ(LayerStopping(si, 3, 7.0, 500.0, plain),
                   (ElectronicStoppingZbl(14, 3, 7.0, 500.0, elements) +
                    NuclearStoppingZbl(3, 14, 500.0, 28.085499, 7.0)) *
                       5.0);
  EXPECT_DOUBLE_EQ(LayerStopping(si, 3, 7.0, 500.0, model),
                   LayerStopping(si, 3, 7.0, 500.0, plain));
}

TEST_F(StoppingZbl, UnknownElementsAndEmptyLayersGiveNoStopping) {
  const StoppingModel model{elements};
  EXPECT_EQ(ElectronicStoppingZbl(26, 2, 4.0, 2000.0, elements), 0.0);  // Fe not loaded
  EXPECT_EQ(ElectronicStoppingZbl(14, 0, 4.0, 2000.0, elements), 0.0);
  EXPECT_EQ(ElectronicStoppingZbl(14, 1, 0.0, 2000.0, elements), 0.0);  // no mass
  const Layer empty = MakeLayer(1.0, 5.0, {});
  EXPECT_EQ(LayerStopping(empty, 2, 4.0, 2000.0, model), 0.0);
  // A component with an unknown symbol (Z = 0) adds nothing but still counts in the
  // stoichiometry it was given with.
  const Layer withUnknown = MakeLayer(1.0, 5.0, {{14, 1.0}, {0, 1.0}});
  EXPECT_NEAR(LayerStopping(withUnknown, 2, 4.0, 2000.0, model), 47.873 * 5.0 / 2.0, 0.01);
}

// With "ZBL 2003 from files": a table for the ion is used strictly inside its energy range;
// at eMax LayerStopping falls back to ZBL while SrimTableStopping returns the last row.
TEST_F(StoppingZbl, SourceNoteFollowsTheChosenData) {
  SrimTableSet tables;
  SrimTable t;
  t.ionZ = 2;
  t.eMin = 100.0;
  t.eMax = 300.0;
  t.eStep = 100.0;
  t.count = 3;
  t.energies = std::make_shared<const std::vector<double>>(std::vector<double>{100, 200, 300});
  t.values = {10.0, 20.0, 40.0};
  tables.byTarget[14].push_back(t);
  const Layer si = MakeLayer(1.0, 5.0, {{14, 1.0}});

  std::string note;
  const StoppingModel zbl{elements, &tables, false};
  LayerStopping(si, 2, 4.002602, 200.0, zbl, &note);
  EXPECT_EQ(note, "ZBL-92 data used ");

  const StoppingModel srim{elements, &tables, true};
  EXPECT_NEAR(LayerStopping(si, 2, 4.002602, 250.0, srim, &note), 30.0 * 5.0, 1e-9);
  EXPECT_EQ(note, "SRIM 2003 data used");
  EXPECT_DOUBLE_EQ(LayerStopping(si, 2, 4.002602, 300.0, srim, &note),
                   ElectronicStoppingZbl(14, 2, 4.002602, 300.0, elements) * 5.0);
  EXPECT_EQ(note, "no SRIM 2003 data for all energy");
  EXPECT_DOUBLE_EQ(SrimTableStopping(tables.byTarget[14][0], 14, 2, 4.002602, 300.0, elements),
                   40.0);
  LayerStopping(si, 1, 1.0, 250.0, srim, &note);
  EXPECT_EQ(note, "no SRIM 2003 data for all ions");
}

}  // namespace
}  // namespace dodavev
