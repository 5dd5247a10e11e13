// Layer texts whose numbers no sample can have: refused with the layer and the value, so
// that no stopping power, areal density or composition of the layer becomes infinite.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "io/layer_parser.hpp"
#include "model/messages.hpp"

namespace dodavev {
namespace {

using ::testing::ElementsAre;

class LayerLimits : public ::testing::Test {
 protected:
  LayerLimits() {
    table_[6].symbol = {'C', ' '};
    table_[6].defaultMassNumber = 12;
    table_[14].symbol = {'S', 'I'};
    table_[14].defaultMassNumber = 28;
  }
  LayerStructure Parse(std::string_view text) {
    LayerStructure out;
    ParseLayerStructure(text, out, table_, 2, 2, sink_);
    return out;
  }

  ElementTable table_;
  CollectingSink sink_;
};

// Two amounts of 1e308 add up beyond the largest double: the layer is dropped, and the
// substrate after it is still built.
TEST_F(LayerLimits, AmountsWhoseSumOverflowsDropTheLayer) {
  const LayerStructure s = Parse("A=1000\nn=5e22\nsi,1e308\nc,1e308\nS=\nn=5e22\nsi,1\n");
  EXPECT_THAT(sink_.messages, ElementsAre("amount of SI in layer 1 is 1e+308; the amounts of a "
                                          "layer may add up to at most 1e+30"));
  ASSERT_EQ(s.layerCount(), 1);
  EXPECT_EQ(s.layers.front().thickness, 2e22);  // the substrate
}

// Each amount alone is below the bound, their sum is not.
TEST_F(LayerLimits, TheBoundHoldsForTheSumOfTheAmounts) {
  const LayerStructure s = Parse("S=\nn=5e22\nsi,6e29\nc,6e29\n");
  EXPECT_THAT(sink_.messages, ElementsAre("amount of C in layer 1 is 6e+29; the amounts of a "
                                          "layer may add up to at most 1e+30"));
  EXPECT_TRUE(s.empty());
  sink_.messages.clear();
  // Amounts written as atoms per cm3 are fine.
  const LayerStructure t = Parse("S=\nn=5e22\nsi,4e22\nc,1e22\n");
  EXPECT_TRUE(sink_.messages.empty());
  ASSERT_EQ(t.layerCount(), 1);
  EXPECT_DOUBLE_EQ(t.layers.front().amountSum, 5e22);
}

struct Refused {
  const char* text;
  const char* message;
};
class LayerRefusal : public LayerLimits, public ::testing::WithParamInterface<Refused> {};

TEST_P(LayerRefusal, NamesTheLayerAndTheValue) {
  const LayerStructure s = Parse(GetParam().text);
  EXPECT_THAT(sink_.messages, ElementsAre(GetParam().message));
  EXPECT_TRUE(s.empty());
}

INSTANTIATE_TEST_SUITE_P(
    DensityAndThickness, LayerRefusal,
    ::testing::Values(
        Refused{"S=\nn=1e308\nsi,1\n", "density of layer 1 is 1e+308 at/cm3, more than 1e+24"},
        // Diamond, the densest solid in atoms, holds 1.76e23 at/cm3; 2e24 is no solid.
        Refused{"A=10\nn=2e24\nc,1\n", "density of layer 1 is 2e+24 at/cm3, more than 1e+24"},
        Refused{"A=1e308\nn=5e22\nsi,1\n",
                "thickness of layer 1 is 1e+308 angstrom, more than 1e+10 (1 m)"},
        Refused{"A=2e10\nn=5e22\nsi,1\n",
                "thickness of layer 1 is 2e+10 angstrom, more than 1e+10 (1 m)"}));

// The bounds themselves are accepted: 1e24 at/cm3 and a layer of 1 m.
TEST_F(LayerLimits, BoundsAreAccepted) {
  const LayerStructure s = Parse("A=1e10\nn=1e24\nsi,1e30\n");
  EXPECT_TRUE(sink_.messages.empty()) << sink_.messages.front();
  ASSERT_EQ(s.layerCount(), 1);
  EXPECT_DOUBLE_EQ(s.layers.front().thickness, 1e6);  // micron
  EXPECT_DOUBLE_EQ(s.layers.front().density, 100.0);  // 1e22 at/cm3
}

// A two-byte letter cut by the two-character symbol belongs whole to the mass-number text:
// "Sé" is S followed by the two bytes C3 A9 of é.
TEST_F(LayerLimits, MassNumberMessageNeverShowsHalfACharacter) {
  Parse(
      "S=\nn=5e22\nS\xC3\xA9"
      "12,1\n");
  EXPECT_THAT(sink_.messages, ElementsAre("error in the massnumber of the elem: \xC3\xA9"
                                          "12"));
  sink_.messages.clear();
  // A plain mass-number error is unchanged.
  Parse("S=\nn=5e22\nsix,1\n");
  EXPECT_THAT(sink_.messages, ElementsAre("error in the massnumber of the elem: X"));
}

}  // namespace
}  // namespace dodavev
