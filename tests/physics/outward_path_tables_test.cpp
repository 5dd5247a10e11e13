// The outward path with the run's tables against the same path with every stopping and
// straggling value from the formulas: the tables hold the formulas to 1e-8, so the energy
// lost on the way out may differ by 1e-8 of itself and the spreads by as little. And the
// walks up the first layer interpolated between columns of starting energies against the
// same walks taken step by step.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "engine/outward_columns.hpp"
#include "engine/path.hpp"
#include "engine/run_state.hpp"
#include "physics/element_io.hpp"
#include "physics/outward_tables.hpp"
#include "physics/zbl_test_elements.hpp"

namespace dodavev {
namespace {

using testing::MakeLayer;
using testing::TestElements;

struct Geometry {
  const char* name;
  char kind;  // 'R' reflection, 'T' transmission
  double sinBeta;
};

class OutwardPathWithTables : public ::testing::TestWithParam<Geometry> {
 protected:
  OutwardPathWithTables() {
    LoadPhysicsTables(DODAVEV_LEV_DIR, ignored_, tables_);
    // 100 nm gold, 200 nm calcium carbide with lithium, thick silicon; screening radii of
    // the order of helium's on these targets (both walks use the same ones).
    sample_.layers = {MakeLayer(0.1, 5.9, {{79, 1.0}}),
                      MakeLayer(0.2, 7.0, {{20, 1.0}, {6, 2.0}, {3, 0.5}}),
                      MakeLayer(10.0, 4.99, {{14, 1.0}})};
    for (Layer& layer : sample_.layers) {
      for (LayerElement& e : layer.elements)
        e.screenOut = e.screenIn = 1.2e-9;
    }
  }

  PathContext Context() const {
    PathContext c{sample_, absorber_, model_, tables_};
    c.options = TransportOptions{};  // straggling with Chu and Yang, stopping ratios, MS
    c.incident = Ion{2, 4.0026, 2.0};
    c.emitted = Ion{2, 4.0026, 2.0};
    c.thr = 150.0;
    return c;
  }

  // The emitted particle from `depth` (micron) with `energy` keV.
  RunState From(double depth, double energy, const Geometry& g) const {
    RunState run;
    run.geometry = RunGeometry{g.kind, 1.0, g.sinBeta, 1.0};
    run.nominalStep = 0.005;
    run.step = 0.005;
    run.depth = depth;
    double top = 0.0;
    for (std::size_t i = 0; i < sample_.layers.size(); ++i) {
      const double bottom = top + sample_.layers[i].thickness;
      if (depth <= bottom + 1e-12 || i + 1 == sample_.layers.size()) {
        run.currentLayer = i;
        run.depthInLayer = depth - top;
        break;
      }
      top = bottom;
    }
    run.reactionEnergy = energy;
    return run;
  }

  ElementTable ignored_;
  ElementTable elements_ = TestElements();
  StoppingModel model_{elements_};
  PhysicsTables tables_;
  LayerStructure sample_;
  LayerStructure absorber_;
};

double Relative(double a, double b) {
  return b == 0.0 ? std::fabs(a) : std::fabs(a / b - 1.0);
}

TEST_P(OutwardPathWithTables, StaysWithinTheTablesBoundOfTheDirectWalk) {
  const Geometry& g = GetParam();
  ASSERT_TRUE(tables_.msTauTableComplete) << "data/LEV/TAUFIJ.DAT not read";
  const PathContext direct = Context();
  PathContext tabulated = Context();
  const std::optional<OutwardTables> outward =
      BuildOutwardTables(sample_, tabulated.emitted, model_, tabulated.options, 75.0, 2000.0);
  ASSERT_TRUE(outward.has_value());
  tabulated.outwardTables = &*outward;

  for (double depth : {0.005, 0.05, 0.1, 0.155, 0.3, 0.305, 0.6, 1.2, 2.0}) {
    for (double energy : {1850.0, 1400.0, 900.0}) {
      SCOPED_TRACE(::testing::Message() << "depth " << depth << " energy " << energy);
      RunState a = From(depth, energy, g);
      RunState b = From(depth, energy, g);
      OutwardPath(a, direct);
      OutwardPath(b, tabulated);
      ASSERT_EQ(a.thresholdCounter, b.thresholdCounter);
      if (a.thresholdCounter != 0) continue;  // stopped on the way: nothing detected
      // The spreads are there to compare.
      EXPECT_GT(a.out.straggling, 0.0);
      if (depth > 0.01) {
        EXPECT_GT(a.msOut.halfWidthAngle, 0.0);
      }
      const double loss = energy - a.detectedEnergy;
      EXPECT_NEAR(b.detectedEnergy, a.detectedEnergy, 1e-8 * loss + 1e-9);
      EXPECT_LT(Relative(b.out.straggling, a.out.straggling), 1e-7);
      EXPECT_LT(Relative(b.out.transferFactor, a.out.transferFactor), 1e-7);
      EXPECT_LT(Relative(b.out.correctedEnergyLoss, a.out.correctedEnergyLoss), 1e-7);
      EXPECT_LT(Relative(b.stoppingTerm, a.stoppingTerm), 1e-8);
      // The angle follows the step energies, which move by the 1e-8 above.
      EXPECT_LT(Relative(b.msOut.halfWidthAngle, a.msOut.halfWidthAngle), 1e-7);
      EXPECT_EQ(b.msOut.totalReducedThickness, a.msOut.totalReducedThickness);
    }
  }
}

// A depth walk's outward paths, as a spectrum run takes them: from every whole step down to
// 1.2 micron (through gold, the compound and into silicon), the emitted energy falling with
// depth. With the columns the first layer's part comes from interpolation in ln E; the
// interpolation error stays far below the 1e-4 per channel the spectra may change by.
TEST_P(OutwardPathWithTables, ColumnsOfTheFirstLayerGiveTheStepByStepWalk) {
  const Geometry& g = GetParam();
  ASSERT_TRUE(tables_.msTauTableComplete) << "data/LEV/TAUFIJ.DAT not read";
  PathContext walked = Context();
  const std::optional<OutwardTables> outward =
      BuildOutwardTables(sample_, walked.emitted, model_, walked.options, 75.0, 2000.0);
  ASSERT_TRUE(outward.has_value());
  walked.outwardTables = &*outward;
  PathContext interpolated = walked;
  OutwardColumns columns(interpolated);
  interpolated.firstLayerColumns = &columns;

  int used = 0;
  for (int k = 1; k <= 240; ++k) {
    const double depth = 0.005 * k;
    const double energy = 1850.0 - 400.0 * depth;
    SCOPED_TRACE(::testing::Message() << "depth " << depth);
    RunState a = From(depth, energy, g);
    RunState b = From(depth, energy, g);
    OutwardPath(a, walked);
    OutwardPath(b, interpolated);
    ASSERT_EQ(a.thresholdCounter, b.thresholdCounter);
    if (a.thresholdCounter != 0) continue;
    const double loss = energy - a.detectedEnergy;
    EXPECT_NEAR(b.detectedEnergy, a.detectedEnergy, 1e-8 * loss + 1e-9);
    EXPECT_LT(Relative(b.out.straggling, a.out.straggling), 1e-7);
    EXPECT_LT(Relative(b.out.transferFactor, a.out.transferFactor), 1e-8);
    EXPECT_LT(Relative(b.out.correctedEnergyLoss, a.out.correctedEnergyLoss), 1e-7);
    EXPECT_LT(Relative(b.msOut.halfWidthAngle, a.msOut.halfWidthAngle), 1e-6);
    EXPECT_LT(Relative(b.msOut.totalReducedThickness, a.msOut.totalReducedThickness), 1e-12);
    OutwardWalker w;
    if (g.kind == 'R' && columns.After(a.currentLayer, a.depthInLayer, energy, a.nominalStep,
                                       a.geometry.OutwardFactor(), w)) {
      ++used;
    }
  }
  // Reflection takes every depth but the partial steps at the layers' ends from the columns.
  if (g.kind == 'R') {
    EXPECT_GT(used, 230);
  } else {
    EXPECT_EQ(used, 0);
  }
}

TEST_F(OutwardPathWithTables, ColumnsHoldOnlyWholeStepsAboveTheThreshold) {
  PathContext context = Context();
  const std::optional<OutwardTables> outward =
      BuildOutwardTables(sample_, context.emitted, model_, context.options, 75.0, 2000.0);
  ASSERT_TRUE(outward.has_value());
  context.outwardTables = &*outward;
  OutwardColumns columns(context);
  OutwardWalker w;
  w.energy = -1.0;
  // Between two steps: the layer's last, shortened step is walked as it is.
  EXPECT_FALSE(columns.After(2, 0.0125, 1500.0, 0.005, 1.0, w));
  EXPECT_FALSE(columns.After(2, 0.0, 1500.0, 0.005, 1.0, w));
  // At or below the threshold, and a second step length in the same run.
  EXPECT_FALSE(columns.After(2, 0.01, 150.0, 0.005, 1.0, w));
  EXPECT_TRUE(columns.After(2, 0.01, 1500.0, 0.005, 1.0, w));
  EXPECT_FALSE(columns.After(2, 0.01, 1500.0, 0.01, 1.0, w));
  // Columns that may keep only 100 states in all: six columns of 16 steps fit, of 17 not.
  OutwardColumns small(context, 100);
  EXPECT_TRUE(small.After(2, 0.08, 1500.0, 0.005, 1.0, w));
  EXPECT_FALSE(small.After(2, 0.085, 1500.0, 0.005, 1.0, w));
  // 2 micron of silicon take 4He from 400 keV below the 150 keV threshold: its columns stop.
  EXPECT_FALSE(columns.After(2, 2.0, 400.0, 0.005, 1.0, w));
  EXPECT_LT(w.energy, 1500.0);
  EXPECT_GT(w.energy, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Geometries, OutwardPathWithTables,
                         ::testing::Values(Geometry{"Reflection", 'R', 1.0},
                                           Geometry{"Grazing", 'R', 0.5},
                                           Geometry{"Transmission", 'T', 0.9}),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace dodavev
