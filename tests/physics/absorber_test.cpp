#include "physics/absorber.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/run_state.hpp"
#include "model/messages.hpp"
#include "physics/zbl_test_elements.hpp"
#include "studies/absorber_report.hpp"

namespace dodavev {
namespace {

using testing::MakeLayer;
using testing::TestElements;

// 4He in silicon foils of N = 5 (1e22 atoms/cm3). Stopping by hand from the Ziegler helium
// fit times N: S(2000 keV) = 239.365, S(1995.2127 keV) = 239.634, S(5 keV) = 149.433
// keV/micron. Bohr FWHM^2 of 4He per micron: 404.666 keV^2.
class Absorber : public ::testing::Test {
 protected:
  LayerStructure Foil(double thickness) const {
    LayerStructure foil;
    foil.layers.push_back(MakeLayer(thickness, 5.0, {{14, 1.0}}));
    return foil;
  }

  ElementTable elements = TestElements();
  StoppingModel model{elements};
  Ion helium{2, 4.0, 2.0};
  TransportOptions bohrOnly{true, false, false, true, false};
};

// A foil thinner than one step: one step of the foil's thickness with the entry stopping,
// 2000 - 239.365 * 0.02 = 1995.2127 keV. Straggling (Tschalar): Bohr over 0.02 micron,
// 8.09332 keV^2, carried with (S_out / S_in)^2: 8.09332 * (239.634 / 239.365)^2 = 8.11152.
// The inhomogeneity 0.1 micron adds (S_out * 0.1)^2 = 574.246 keV^2.
TEST_F(Absorber, FoilThinnerThanOneStep) {
  const FoilTransport pass =
      AbsorberTransport(2000.0, Foil(0.02), helium, FoilSettings{0.05, 0.1, bohrOnly}, model);
  EXPECT_NEAR(pass.exitEnergy, 1995.2127, 1e-4);
  EXPECT_NEAR(pass.stragglingWithout, 8.11152, 1e-4);
  EXPECT_NEAR(pass.stragglingWith, 8.11152 + 574.246, 2e-3);
  EXPECT_NEAR(pass.endPosition, 0.02, 1e-15);
  EXPECT_TRUE(pass.complete);
  // Straggling off leaves only the inhomogeneity.
  TransportOptions off = bohrOnly;
  off.CheckStraggling = false;
  const FoilTransport plain =
      AbsorberTransport(2000.0, Foil(0.02), helium, FoilSettings{0.05, 0.1, off}, model);
  EXPECT_EQ(plain.stragglingWithout, 0.0);
  EXPECT_NEAR(plain.stragglingWith, 574.246, 2e-3);
  // A layer without matter before the foil is crossed unchanged.
  LayerStructure behindVacuum = Foil(0.02);
  behindVacuum.layers.insert(behindVacuum.layers.begin(),
                             MakeLayer(kSubstrateThickness, 0.0, {{14, 1.0}}));
  EXPECT_NEAR(
      AbsorberTransport(2000.0, behindVacuum, helium, FoilSettings{0.05, 0.0, bohrOnly}, model)
          .exitEnergy,
      1995.2127, 1e-4);
}

// An iteration step of 0.01 micron is raised to 0.05: through 0.1 micron two steps,
// 2000 - 0.05 S(2000) = 1988.0317, then - 0.05 S(1988.0317): 1976.0298 keV by hand.
TEST_F(Absorber, SmallIterationStepUsesTheMinimumFoilStep) {
  const FoilTransport pass =
      AbsorberTransport(2000.0, Foil(0.1), helium, FoilSettings{0.01, 0.0, bohrOnly}, model);
  EXPECT_NEAR(pass.exitEnergy, 1976.0298, 1e-4);
}

TEST_F(Absorber, ParticleStoppedInTheFoilLeavesWithAlmostNothing) {
  const FoilTransport pass =
      AbsorberTransport(2000.0, Foil(100.0), helium, FoilSettings{0.05, 0.1, bohrOnly}, model);
  EXPECT_EQ(pass.exitEnergy, 1e-10);
  EXPECT_EQ(pass.exitStopping, 1e-10);
  EXPECT_NEAR(pass.stragglingWith, pass.stragglingWithout + 1e-22, 1e-20);
  // A substrate as foil stops it as well, without walking its 2e22 micron.
  const FoilTransport thick = AbsorberTransport(2000.0, Foil(kSubstrateThickness), helium,
                                                FoilSettings{0.05, 0.0, bohrOnly}, model);
  EXPECT_EQ(thick.exitEnergy, 1e-10);
}

TEST_F(Absorber, TableWithoutFoilIsZero) {
  AbsorberTable table;
  table.rows[5].exitEnergy = 3.0;
  EXPECT_EQ(BuildAbsorberTable(table, LayerStructure{}, helium, FoilSettings{}, model), 1);
  for (const AbsorberRow& row : table.rows) {
    EXPECT_EQ(row.entryEnergy, 0.0);
    EXPECT_EQ(row.exitEnergy, 0.0);
    EXPECT_EQ(row.sigma, 0.0);
  }
}

// 0.02 micron of Si: walking backwards from 5 keV, E_min = 5 + 0.02 S(5) = 5.59773 keV.
// Row k enters with E_min + (200000 - E_min)^(k/40): row 2 at 7.43872 keV, row 40 at
// 200000 keV. Row 40 carries the Bohr sigma of the whole foil, sqrt(8.09332) / 2.35 = 1.21059.
TEST_F(Absorber, TableRowsByHand) {
  AbsorberTable table;
  ASSERT_EQ(BuildAbsorberTable(table, Foil(0.02), helium, FoilSettings{0.05, 0.0, bohrOnly}, model),
            1);
  EXPECT_FALSE(table.opaque);
  EXPECT_NEAR(table.row(1).entryEnergy, 5.59773, 1e-5);
  EXPECT_EQ(table.row(1).exitEnergy, 0.0);
  EXPECT_NEAR(table.row(2).entryEnergy, 7.43872, 1e-5);
  EXPECT_NEAR(table.row(40).entryEnergy, 200000.0, 1e-6);
  EXPECT_NEAR(table.row(40).sigma, 1.21059, 1e-5);
  for (int k = 2; k < kAbsorberRows; ++k) {
    EXPECT_GT(table.row(k + 1).entryEnergy, table.row(k).entryEnergy);
    EXPECT_LT(table.row(k).exitEnergy, table.row(k).entryEnergy);
  }
}

TEST_F(Absorber, SubstrateFoilIsOpaque) {
  AbsorberTable table;
  BuildAbsorberTable(table, Foil(kSubstrateThickness), helium, FoilSettings{}, model);
  EXPECT_TRUE(table.opaque);
  EXPECT_TRUE(InterpolateAbsorber(table, 150000.0).stopped);
}

// A table with exit = (entry - E1) / 2 and sigma = ln(entry - E1) (E1 = 100 keV, entries
// E1 + 2^k): ln(exit) and sigma are linear in ln(entry - E1), so the three-point quadratic is
// exact: at 148 keV the exit energy is 24 keV and sigma ln 48 = 3.87120.
TEST_F(Absorber, InterpolationByHand) {
  AbsorberTable table;
  table.rows[0] = AbsorberRow{100.0, 0.0, 0.0};
  for (int k = 2; k <= kAbsorberRows; ++k) {
    const double above = std::pow(2.0, k);
    table.rows[static_cast<std::size_t>(k - 1)] =
        AbsorberRow{100.0 + above, above / 2, std::log(above)};
  }
  const AbsorberPassage mid = InterpolateAbsorber(table, 148.0);
  EXPECT_FALSE(mid.stopped);
  EXPECT_NEAR(mid.exitEnergy, 24.0, 1e-9);
  EXPECT_NEAR(mid.sigma, 3.87120, 1e-5);
  EXPECT_TRUE(InterpolateAbsorber(table, 108.0).stopped);  // row 3
  EXPECT_FALSE(InterpolateAbsorber(table, 108.5).stopped);
  EXPECT_NEAR(InterpolateAbsorber(table, 108.5).exitEnergy, 4.25, 1e-9);
  // Beyond row 40 the last three rows extrapolate.
  const double beyond = 100.0 + std::pow(2.0, 41);
  EXPECT_NEAR(InterpolateAbsorber(table, beyond).exitEnergy / std::pow(2.0, 40), 1.0, 1e-9);
}

// Ten sub-steps through the last foil layer (0.1 micron): E -= S(E) * 0.01, ten times from
// 2000 keV: 1976.0027 keV by hand. Every sub-step that falls below the threshold is
// counted and kept at it.
TEST_F(Absorber, DirectExitEnergyWithThreshold) {
  const FoilExit through = FoilExitEnergyDirect(2000.0, Foil(0.1), helium, 10.0, model);
  EXPECT_NEAR(through.energy, 1976.0027, 1e-4);
  EXPECT_EQ(through.belowThreshold, 0);
  const FoilExit stopped = FoilExitEnergyDirect(3.0, Foil(100.0), helium, 10.0, model);
  EXPECT_EQ(stopped.energy, 10.0);
  EXPECT_EQ(stopped.belowThreshold, 10);
}

TEST_F(Absorber, ReportsWithoutFoilShowTheirMessages) {
  CollectingSink sink;
  EXPECT_FALSE(EnergyLossReport(LayerStructure{}, EnergyLossInputs{}, model, sink).ran);
  EXPECT_FALSE(TschalarReport(LayerStructure{}, helium, FoilSettings{}, model, sink).ran);
  ASSERT_EQ(sink.messages.size(), 2U);
  EXPECT_EQ(sink.messages[0],
            "Please define absorbens to calculate the energy loss of the incident ion in the "
            "absorber foil");
  EXPECT_EQ(sink.messages[1],
            "Please define absorbens to calculate Tschalar effect of the emitted particles in "
            "the absorber foil");
}

// "energy loss" through 0.52 micron with 0.05 micron steps (the stopping changes by less than
// 2 % per step): rows at depths 0, 0.05, ..., 0.50, i.e. 11 rows, RowCount = 12 - 2 = 10. The
// first line, by hand: i = 1, depth 0.000, 2000.0 keV, 239.4 keV/micron, straggling 0.0.
TEST_F(Absorber, EnergyLossReportCrossesTheLayer) {
  CollectingSink sink;
  EnergyLossInputs inputs;
  inputs.incident = helium;
  inputs.e0 = 2000.0;
  inputs.x = 0.05;
  inputs.options = bohrOnly;
  const EnergyLossOutcome out = EnergyLossReport(Foil(0.52), inputs, model, sink);
  ASSERT_TRUE(out.ran);
  EXPECT_TRUE(sink.messages.empty());
  const std::string header =
      "ENERGY LOSS OF INCIDENT IONS IN THE ABSORBER\r\n"
      "   i       depth         E      Stopping power Straggling\r\n"
      "          [micron]     [keV]     [keV/micron]    [keV]\r\n";
  ASSERT_EQ(out.report.substr(0, header.size()), header);
  const std::string firstLine = "    1       0.000      2000.0       239.4         0.0\r\n";
  EXPECT_EQ(out.report.substr(header.size(), firstLine.size()), firstLine);
  ASSERT_EQ(out.table.rows.size(), 11U);
  EXPECT_EQ(out.RowCount, 10);
  // Row 2: 2000 - 0.05 * 239.365 = 1988.0317 keV; straggling sqrt(0.05 * 404.666) = 4.4981.
  EXPECT_NEAR(out.table.rows[1].energy, 1988.0317, 1e-4);
  EXPECT_NEAR(out.table.rows[1].straggling, 4.4981, 1e-4);
  EXPECT_NEAR(out.table.rows[10].depth, 0.5, 1e-12);
}

TEST_F(Absorber, EnergyLossReportEndsWhenTheIonStops) {
  CollectingSink sink;
  EnergyLossInputs inputs;
  inputs.incident = helium;
  inputs.e0 = 300.0;
  inputs.x = 0.05;
  inputs.options = bohrOnly;
  const EnergyLossOutcome out = EnergyLossReport(Foil(50.0), inputs, model, sink);
  ASSERT_TRUE(out.ran);
  ASSERT_FALSE(out.table.rows.empty());
  EXPECT_LT(out.table.rows.size(), 300U);
  EXPECT_LT(out.table.rows.back().depth, 50.0);
  EXPECT_GT(out.table.rows.back().energy, 0.0);
  // The step never grows: depths increase by non-increasing amounts.
  for (std::size_t i = 2; i < out.table.rows.size(); ++i) {
    const double now = out.table.rows[i].depth - out.table.rows[i - 1].depth;
    const double before = out.table.rows[i - 1].depth - out.table.rows[i - 2].depth;
    EXPECT_LE(now, before + 1e-12);
    EXPECT_GE(now, 0.0001 - 1e-12);
  }
}

// "Tschalar effect" with a very thin foil: the relative loss stays small, entry energies go
// 60000, 45000, 30000, 15000 and then halve (7500, 3750, ...) until the exit energy drops
// below 0.5 keV (the loop ends at the first such row, also one that a refinement would have
// replaced). With straggling off the "without" column is 0 and "with" is S_out * ho.
TEST_F(Absorber, TschalarReportWithThinFoil) {
  CollectingSink sink;
  TransportOptions off = bohrOnly;
  off.CheckStraggling = false;
  const TschalarOutcome out =
      TschalarReport(Foil(0.001), helium, FoilSettings{0.05, 0.1, off}, model, sink);
  ASSERT_TRUE(out.ran);
  const double expected[] = {60000, 45000, 30000, 15000, 7500, 3750, 1875, 937.5};
  for (int k = 1; k <= 8; ++k)
    EXPECT_DOUBLE_EQ(out.table.at(k, 1), expected[k - 1]) << k;
  for (int k = 1; k <= out.RowCount; ++k) {
    EXPECT_EQ(out.table.at(k, 4), 0.0);
    EXPECT_LT(out.table.at(k, 3), 1.0 + 1e-12);
  }
  // Row 1: S_out = S(60000 - 0.001 S(60000)) = 23.7218 keV/micron, with = 2.37218.
  EXPECT_NEAR(out.table.at(1, 5), 2.37218, 1e-5);
  const std::string header =
      "Tschalar-effect for the emitted ion in the absorbens\r\n"
      "                                               E-spread in the absorber foil\r\n"
      "    i      E_in        E_out         r.e.loss      without       with \r\n"
      "                                                  foil inhomogeneity\r\n";
  ASSERT_EQ(out.report.substr(0, header.size()), header);
  EXPECT_EQ(out.report.substr(header.size(), 4 + 1 + 3 + 9), "    1     60000.0");
  EXPECT_LT(out.RowCount, kTschalarRowLimit);
}

// A substrate of almost no matter (5e-22 of the usual density) as foil: the particle loses
// about 239 keV/micron * 1e-22 per micron, so no walk of kMaxFoilSteps steps crosses its
// 2e22 micron. The report says so once and shows no row instead of rows of unfinished
// passes (and does not walk the bound again for every lower entry energy).
TEST_F(Absorber, TschalarReportStopsAtAFoilTooThickToFollow) {
  LayerStructure foil;
  foil.layers.push_back(MakeLayer(kSubstrateThickness, 5e-22, {{14, 1.0}}));
  const FoilSettings settings{0.05, 0.0, bohrOnly};
  ASSERT_FALSE(AbsorberTransport(60000.0, foil, helium, settings, model).complete);
  CollectingSink sink;
  const TschalarOutcome out = TschalarReport(foil, helium, settings, model, sink);
  ASSERT_TRUE(out.ran);
  EXPECT_EQ(out.RowCount, 0);
  ASSERT_EQ(sink.messages.size(), 1U);
  EXPECT_EQ(sink.messages[0],
            "the absorber foil is too thick to follow the emitted particles through it");
  EXPECT_EQ(out.report, kTschalarHeader);
}

}  // namespace
}  // namespace dodavev
