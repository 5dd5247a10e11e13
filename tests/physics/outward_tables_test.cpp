// The tabulated stopping and straggling of the emitted particle against the formulas they
// stand for, evaluated directly at energies between the grid's nodes.
#include "physics/outward_tables.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "physics/srim_tables.hpp"
#include "physics/zbl_test_elements.hpp"

namespace dodavev {
namespace {

using testing::MakeLayer;
using testing::TestElements;

// What the tables promise where they cover the energy: 1e-8 of the direct value.
constexpr double kTableBound = 1e-8;

struct IonCase {
  const char* name;
  Ion ion;
  double low, high;  // keV
};

class OutwardTablesMatchFormulas : public ::testing::TestWithParam<IonCase> {
 protected:
  ElementTable elements = TestElements();
};

TEST_P(OutwardTablesMatchFormulas, WithinTheirBoundBetweenTheNodes) {
  const IonCase& c = GetParam();
  LayerStructure sample;
  sample.layers = {MakeLayer(0.1, 5.9, {{79, 1.0}}), MakeLayer(0.3, 4.99, {{14, 1.0}}),
                   MakeLayer(0.2, 7.0, {{20, 1.0}, {6, 1.0}, {3, 2.0}})};
  const StoppingModel model{elements, nullptr, false, false};
  const TransportOptions options;
  const std::optional<OutwardTables> tables =
      BuildOutwardTables(sample, c.ion, model, options, c.low, c.high);
  ASSERT_TRUE(tables.has_value());
  ASSERT_EQ(tables->stopping.size(), 3U);
  double worst = 0.0;
  for (std::size_t li = 0; li < sample.layers.size(); ++li) {
    const Layer& layer = sample.layers[li];
    // 997 energies spread over the range, none on a node.
    for (int k = 0; k <= 996; ++k) {
      const double e = c.low * std::pow(c.high / c.low, k / 996.0);
      const double s = LayerStopping(layer, c.ion.z, c.ion.mass, e, model);
      const double v = LayerStraggling(layer, 0.005, 0.9, c.ion.mass, c.ion.chargeState, c.ion.z, e,
                                       options, elements);
      const std::optional<double> st = tables->stopping[li].At(e);
      const std::optional<double> vt = tables->straggling[li].At(e);
      // Below 25 keV/amu the proton fit changes form: there the formulas are used.
      if (c.ion.z == 1 && e < 25.5 * c.ion.mass) {
        EXPECT_FALSE(st.has_value()) << e;
        continue;
      }
      ASSERT_TRUE(st && vt) << e;
      worst = std::max(worst, std::fabs(*st / s - 1.0));
      worst = std::max(worst, std::fabs(*vt * (0.005 / 0.9) / v - 1.0));
    }
    // Outside the range the caller evaluates the formulas itself.
    EXPECT_FALSE(tables->stopping[li].At(0.99 * c.low).has_value());
    EXPECT_FALSE(tables->stopping[li].At(1.01 * c.high).has_value());
  }
  EXPECT_LT(worst, kTableBound);
}

INSTANTIATE_TEST_SUITE_P(EmittedParticles, OutwardTablesMatchFormulas,
                         ::testing::Values(IonCase{"Helium", Ion{2, 4.0026, 2.0}, 75.0, 2000.0},
                                           IonCase{"Helium3", Ion{2, 3.016, 2.0}, 40.0, 2500.0},
                                           IonCase{"Proton", Ion{1, 1.00783, 1.0}, 50.0, 3000.0},
                                           IonCase{"Deuteron", Ion{1, 2.014, 1.0}, 30.0, 1500.0}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(OutwardTables, NoneWithSrimTablesHeavierIonsOrAnEmptyRange) {
  const ElementTable elements = TestElements();
  LayerStructure sample;
  sample.layers = {MakeLayer(0.1, 4.99, {{14, 1.0}})};
  const SrimTableSet srim;
  EXPECT_FALSE(BuildOutwardTables(sample, Ion{2, 4.0, 2.0},
                                  StoppingModel{elements, &srim, true, false}, TransportOptions{},
                                  75.0, 2000.0)
                   .has_value());
  // Lithium's effective charge switches regimes within the range: its kinks stay exact.
  EXPECT_FALSE(BuildOutwardTables(sample, Ion{3, 7.016, 3.0},
                                  StoppingModel{elements, nullptr, false, false},
                                  TransportOptions{}, 200.0, 6000.0)
                   .has_value());
  // The nuclear stopping's two branches do not meet.
  EXPECT_FALSE(BuildOutwardTables(sample, Ion{2, 4.0, 2.0},
                                  StoppingModel{elements, nullptr, false, true}, TransportOptions{},
                                  75.0, 2000.0)
                   .has_value());
  const LogEnergyTable empty(2000.0, 75.0, [](double) { return 1.0; });
  EXPECT_FALSE(empty.At(100.0).has_value());
}

}  // namespace
}  // namespace dodavev
