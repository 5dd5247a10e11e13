// The isotope list and concentration profile of a sample, and the "Profile" chart, on
// layer stacks and element records written out by hand.
//
// Isotopic compositions: M. Berglund, M. E. Wieser, "Isotopic compositions of the elements
// 2009", Pure Appl. Chem. 83 (2011) 397 (as in data/sources/isotopes): C 12 0.9893,
// 13 0.0107; Si 28 0.92223, 29 0.04685, 30 0.03092; O 16 0.99757, 17 0.00038, 18 0.00205.
#include "studies/profile.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "app/session.hpp"
#include "charts/chart_sets.hpp"
#include "model/messages.hpp"

namespace dodavev {
namespace {

void SetElement(ElementTable& table, int z, char a, char b, std::vector<int> masses,
                std::vector<float> abundances) {
  ElementRecord& r = table[z];
  r.symbol = {a, b};
  r.isotopeCount = static_cast<int>(masses.size());
  for (std::size_t i = 0; i < masses.size(); ++i) {
    r.isotopeMassNumber[i] = masses[i];
    r.isotopeAbundance[i] = abundances[i];
  }
}

ElementTable SomeElements() {
  ElementTable t;
  SetElement(t, 6, 'C', ' ', {12, 13}, {0.9893F, 0.0107F});
  SetElement(t, 8, 'O', ' ', {16, 17, 18}, {0.99757F, 0.00038F, 0.00205F});
  SetElement(t, 14, 'S', 'I', {28, 29, 30}, {0.92223F, 0.04685F, 0.03092F});
  return t;
}

LayerElement Entry(char a, char b, int z, double amount, int massNumber) {
  LayerElement e;
  e.symbol = {a, b};
  e.Z = z;
  e.amount = amount;
  e.massNumber = massNumber;
  return e;
}

Layer MakeLayer(double thickness, double density, std::vector<LayerElement> elements) {
  Layer l;
  l.thickness = thickness;
  l.density = density;
  for (const LayerElement& e : elements)
    l.amountSum += e.amount;
  l.elements = std::move(elements);
  return l;
}

// 1000 A of natural carbon + oxygen-16 (1:1) at 5e22 at/cm3 on a substrate of carbon-12
// and natural silicon (1:1) at 4.99e22 at/cm3.
LayerStructure TwoLayers() {
  LayerStructure s;
  s.layers.push_back(
      MakeLayer(0.1, 5.0, {Entry('C', ' ', 6, 1.0, -1), Entry('O', ' ', 8, 1.0, 16)}));
  s.layers.push_back(MakeLayer(kSubstrateThickness, 4.99,
                               {Entry('C', ' ', 6, 1.0, 12), Entry('S', 'I', 14, 1.0, -1)}));
  return s;
}

TEST(IsotopeList, NaturalElementsGiveEachIsotopeOnceInTableOrder) {
  const std::vector<IsotopeNode> list = BuildIsotopeList(TwoLayers(), SomeElements());
  const std::vector<IsotopeNode> expected{{6, 12, "C"},   {6, 13, "C"},   {8, 16, "O"},
                                          {14, 28, "SI"}, {14, 29, "SI"}, {14, 30, "SI"}};
  EXPECT_EQ(list, expected);  // 12C of the substrate is already in the list
}

TEST(IsotopeList, UnknownElementsAndEmptySamples) {
  LayerStructure s;
  EXPECT_TRUE(BuildIsotopeList(s, SomeElements()).empty());
  s.layers.push_back(
      MakeLayer(1.0, 1.0, {Entry('X', 'X', 0, 1.0, -1), Entry('X', 'X', 0, 1.0, 7)}));
  EXPECT_TRUE(BuildIsotopeList(s, SomeElements()).empty());
}

TEST(IsotopeList, GivenTargetIsTheOneReactionTarget) {
  const ElementTable t = SomeElements();
  EXPECT_EQ(GivenTargetIsotopeList("si", 28.4, t), (std::vector<IsotopeNode>{{14, 28, "SI"}}));
  EXPECT_EQ(GivenTargetIsotopeList("C", 12.6, t), (std::vector<IsotopeNode>{{6, 13, "C"}}));
  EXPECT_EQ(GivenTargetIsotopeList("Zz", 5.0, t).front().Z, 0);
}

TEST(IsotopeProfileFraction, NaturalEntriesWeightedWithTheAbundance) {
  const ElementTable t = SomeElements();
  const LayerStructure s = TwoLayers();
  // Layer 1: C is half the atoms, 98.93 % of it 12C -> 0.5 x 0.9893 = 0.49465.
  EXPECT_NEAR(IsotopeFraction(s.layers[0], {6, 12, "C"}, t), 0.49465, 1e-7);
  EXPECT_NEAR(IsotopeFraction(s.layers[0], {8, 16, "O"}, t), 0.5, 1e-12);
  // Oxygen was given as 16O: no 18O.
  EXPECT_EQ(IsotopeFraction(s.layers[0], {8, 18, "O"}, t), 0.0);
  // Substrate: 12C given explicitly counts fully, 13C not at all.
  EXPECT_NEAR(IsotopeFraction(s.layers[1], {6, 12, "C"}, t), 0.5, 1e-12);
  EXPECT_EQ(IsotopeFraction(s.layers[1], {6, 13, "C"}, t), 0.0);
  EXPECT_NEAR(IsotopeFraction(s.layers[1], {14, 29, "SI"}, t), 0.5 * 0.04685, 1e-7);
}

TEST(IsotopeProfileFraction, LayerWithoutAmountsHasNoConcentration) {
  Layer empty = MakeLayer(1.0, 1.0, {Entry('C', ' ', 6, 0.0, 12)});
  EXPECT_EQ(IsotopeFraction(empty, {6, 12, "C"}, SomeElements()), 0.0);
}

TEST(IsotopeProfileDepth, ArealDensityThroughTheLayers) {
  const LayerStructure s = TwoLayers();
  // 0.1 micron x 5e22 at/cm3 = 1e-5 cm x 5e22 = 5e17 at/cm2.
  EXPECT_NEAR(LayerArealDensity(s.layers[0]), 5e17, 1e5);
  EXPECT_NEAR(ArealDepth(s, 0.05), 2.5e17, 1e5);
  // 0.3 micron: 5e17 + 0.2 micron x 4.99e22 = 5e17 + 9.98e17 = 1.498e18.
  EXPECT_NEAR(ArealDepth(s, 0.3), 1.498e18, 1e6);
  EXPECT_EQ(ArealDepth(s, 0.0), 0.0);
}

TEST(IsotopeProfilePoints, TwoPointsPerLayerEndingAtTheDeepestCalculatedDepth) {
  const std::vector<IsotopeProfile> p = ConcentrationProfiles(TwoLayers(), SomeElements(), 1e18);
  ASSERT_EQ(p.size(), 6U);
  const std::vector<ProfilePoint>& c12 = p[0].points;
  ASSERT_EQ(c12.size(), 4U);
  EXPECT_EQ(c12[0].depth, 0.0);
  EXPECT_NEAR(c12[0].concentration, 0.49465, 1e-7);
  EXPECT_NEAR(c12[1].depth, 5e17, 1e5);
  EXPECT_NEAR(c12[2].depth, 5e17, 1e5);
  EXPECT_NEAR(c12[2].concentration, 0.5, 1e-12);
  EXPECT_EQ(c12[3].depth, 1e18);  // the substrate drawn down to the calculated depth
  // 28Si: absent from layer 1, 0.5 x 0.92223 in the substrate.
  EXPECT_EQ(p[3].points[1].concentration, 0.0);
  EXPECT_NEAR(p[3].points[3].concentration, 0.461115, 1e-7);
}

TEST(IsotopeProfilePoints, LayersBelowTheCalculatedDepthAndTheEndlessSubstrate) {
  // Calculation ended inside layer 1: its end is cut there and the substrate left out.
  std::vector<IsotopeProfile> p = ConcentrationProfiles(TwoLayers(), SomeElements(), 2e17);
  ASSERT_EQ(p[0].points.size(), 2U);
  EXPECT_EQ(p[0].points[1].depth, 2e17);
  // No calculated depth: the substrate has only its start point.
  p = ConcentrationProfiles(TwoLayers(), SomeElements(), 0.0);
  ASSERT_EQ(p[0].points.size(), 3U);
  EXPECT_NEAR(p[0].points[2].depth, 5e17, 1e5);
}

class ProfileChart : public ::testing::Test {
 protected:
  ProfileChart() : session_(std::make_unique<Session>(sink_)) {
    session_->elements = SomeElements();
    session_->sample = TwoLayers();
  }
  Session& s() { return *session_; }
  CollectingSink sink_;
  std::unique_ptr<Session> session_;
};

TEST_F(ProfileChart, TitlesAxesAndRanges) {
  s().CalcMode = CalculationMode::kDepthWalk;
  s().results.RowCount = 3;
  s().results.table.at(2, 1) = 300.0;  // deepest row at 300 nm = 0.3 micron
  EXPECT_NEAR(ProfileMaxDepth(s()), 1.498e18, 1e6);
  const Chart c = BuildProfileChart(s());
  EXPECT_EQ(c.title, "Sample file is not saved");
  EXPECT_EQ(c.series[0].title, "  12 C");
  EXPECT_EQ(c.series[5].title, "  30 SI");
  EXPECT_TRUE(c.series[5].inLegend);
  EXPECT_FALSE(c.series[6].inLegend);
  EXPECT_EQ(c.axis(AxisId::Bottom).title, "Depth [at/cm2]");
  EXPECT_EQ(c.axis(AxisId::Left).title, "Concentration");
  EXPECT_EQ(c.axis(AxisId::Left).minimum, 0.0);
  EXPECT_NEAR(c.axis(AxisId::Left).maximum, 1.1, 1e-12);
  EXPECT_NEAR(c.axis(AxisId::Bottom).maximum, 1.1 * 1.498e18, 1e7);
  s().params.samplefile = "/data/sic.lay";
  EXPECT_EQ(BuildProfileChart(s()).title, "/data/sic.lay");
}

TEST_F(ProfileChart, WithoutADepthWalkTheMaximumDepthInputBounds) {
  s().CalcMode = CalculationMode::kEnergyLoss;  // the rows belong to the absorber report
  s().results.RowCount = 50;
  s().params.depthmax = 0.05;  // micron -> 0.05 x 5e22 x 1e-4 = 2.5e17 at/cm2
  EXPECT_NEAR(ProfileMaxDepth(s()), 2.5e17, 1e5);
}

TEST_F(ProfileChart, MoreIsotopesThanTheFormHasSeries) {
  // Eleven isotopes: every one gets a series of its own.
  ElementTable& t = s().elements;
  SetElement(
      t, 50, 'S', 'N', {112, 114, 115, 116, 117, 118, 119, 120, 122, 124},
      {0.0097F, 0.0066F, 0.0034F, 0.1454F, 0.0768F, 0.2422F, 0.0859F, 0.3258F, 0.0463F, 0.0579F});
  s().sample.layers.push_back(MakeLayer(1.0, 3.7, {Entry('S', 'N', 50, 1.0, -1)}));
  const Chart c = BuildProfileChart(s());
  EXPECT_EQ(c.series.size(), 16U);  // 6 + 10 tin isotopes
  EXPECT_EQ(c.series[15].title, "  124 SN");
}

}  // namespace
}  // namespace dodavev
