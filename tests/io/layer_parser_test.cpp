// Parsing the layer-structure texts of the Sample and Detection pages.
#include "io/layer_parser.hpp"

#include <gtest/gtest.h>

#include <string>

#include "model/messages.hpp"

namespace dodavev {
namespace {

class LayerParserTest : public ::testing::Test {
 protected:
  LayerParserTest() {
    Add(1, "H ", 1);
    Add(6, "C ", 12);
    Add(8, "O ", 16);
    Add(14, "SI", 28);
  }
  void Add(int z, const char* symbol, int defaultMass) {
    table_[z].symbol = {symbol[0], symbol[1]};
    table_[z].defaultMassNumber = defaultMass;
  }
  LayerStructure Parse(std::string_view text, int z1 = 2, int z2 = 2) {
    LayerStructure out;
    ParseLayerStructure(text, out, table_, z1, z2, sink_);
    return out;
  }

  ElementTable table_;
  CollectingSink sink_;
};

std::string Symbol(const LayerElement& e) {
  return {e.symbol[0], e.symbol[1]};
}

TEST_F(LayerParserTest, DefaultSampleIsOneSiliconCarbideSubstrate) {
  const LayerStructure s = Parse("S=\nn=9.64e22\nc,1\nsi,1\n");
  EXPECT_TRUE(sink_.messages.empty());
  ASSERT_EQ(s.layerCount(), 1);
  const Layer& sub = s.layers[0];
  EXPECT_EQ(sub.thickness, 2e22);
  EXPECT_NEAR(sub.density, 9.64, 1e-12);  // 9.64e22 at/cm3 in units of 1e22
  EXPECT_DOUBLE_EQ(sub.amountSum, 2.0);
  ASSERT_EQ(sub.elements.size(), 2U);
  EXPECT_EQ(Symbol(sub.elements[0]), "C ");
  EXPECT_EQ(sub.elements[0].Z, 6);
  EXPECT_EQ(sub.elements[0].massNumber, 12);  // defaultMassNumber of carbon
  EXPECT_EQ(Symbol(sub.elements[1]), "SI");
  EXPECT_EQ(sub.elements[1].Z, 14);
  EXPECT_EQ(sub.elements[1].massNumber, 28);
  EXPECT_EQ(s.currentLayer, 0U);
  EXPECT_EQ(sub.currentElement, Layer::npos);
}

TEST_F(LayerParserTest, ScreeningRadiiUseTheIncidentAndTheEmittedIon) {
  const LayerStructure s = Parse("S=\nN=5e22\nSI,1\n", 2, 1);
  ASSERT_EQ(s.layerCount(), 1);
  const LayerElement& si = s.layers[0].elements.at(0);
  // 4.684715451e-9 / sqrt(2^(2/3) + 14^(2/3)) = 4.684715451e-9 / sqrt(1.587401 + 5.808786)
  // = 4.684715451e-9 / 2.719593 = 1.722580e-9 cm (1e-14 absolute).
  EXPECT_NEAR(si.screenIn, 1.722580e-9, 1e-14);
  // With Z2 = 1: 4.684715451e-9 / sqrt(1 + 5.808786) = 4.684715451e-9 / 2.609365
  // = 1.795347e-9 cm.
  EXPECT_NEAR(si.screenOut, 1.795347e-9, 1e-14);
}

TEST_F(LayerParserTest, SevenLineExampleGivesALayerOnASubstrate) {
  const LayerStructure s = Parse("A=1000\nN=5e22\nSi,1\nO,2\nS=\nN=4.99e22\nsi,1");
  EXPECT_TRUE(sink_.messages.empty());
  ASSERT_EQ(s.layerCount(), 2);
  EXPECT_NEAR(s.layers[0].thickness, 0.1, 1e-15);  // 1000 angstrom = 0.1 micron
  EXPECT_NEAR(s.layers[0].density, 5.0, 1e-12);
  EXPECT_DOUBLE_EQ(s.layers[0].amountSum, 3.0);
  ASSERT_EQ(s.layers[0].elements.size(), 2U);
  EXPECT_EQ(s.layers[0].elements[1].Z, 8);
  EXPECT_EQ(s.layers[1].thickness, kSubstrateThickness);
  EXPECT_NEAR(s.layers[1].density, 4.99, 1e-12);
  ASSERT_EQ(s.layers[1].elements.size(), 1U);
  EXPECT_EQ(s.layers[1].elements[0].Z, 14);
}

TEST_F(LayerParserTest, BlanksTabsCaseAndEmptyLinesDoNotCount) {
  const LayerStructure plain = Parse("A=1000\nN=5e22\nSI,1\nS=\nN=5e22\nC,1\n");
  const LayerStructure messy =
      Parse("\n\n a = 1000 \n\n\n\tn = 5e22\r\n s i , 1\r\n\r\n\rs=  whatever\nn=5E22\n\nc,1\n\n");
  EXPECT_TRUE(sink_.messages.empty());
  ASSERT_EQ(messy.layerCount(), plain.layerCount());
  for (std::size_t i = 0; i < plain.layers.size(); ++i) {
    EXPECT_EQ(messy.layers[i].thickness, plain.layers[i].thickness);
    EXPECT_EQ(messy.layers[i].density, plain.layers[i].density);
    ASSERT_EQ(messy.layers[i].elements.size(), plain.layers[i].elements.size());
    EXPECT_EQ(messy.layers[i].elements[0].Z, plain.layers[i].elements[0].Z);
  }
}

TEST_F(LayerParserTest, MassNumbersAndTheNaturalMixture) {
  const LayerStructure s = Parse("S=\nN=1e22\nC13,1\n#Si,1\nO#,1\nSI30,2\n");
  EXPECT_TRUE(sink_.messages.empty());
  const auto& e = s.layers.at(0).elements;
  ASSERT_EQ(e.size(), 4U);
  EXPECT_EQ(Symbol(e[0]), "C ");
  EXPECT_EQ(e[0].massNumber, 13);
  EXPECT_EQ(Symbol(e[1]), "SI");
  EXPECT_EQ(e[1].massNumber, -1);
  EXPECT_EQ(Symbol(e[2]), "O ");
  EXPECT_EQ(e[2].massNumber, -1);
  EXPECT_EQ(e[3].massNumber, 30);
}

TEST_F(LayerParserTest, SymbolErrorsStopTheLayersElementLines) {
  const LayerStructure s = Parse("S=\nN=1e22\nC,1\n13C,1\nO,1\n");
  ASSERT_EQ(sink_.messages.size(), 1U);
  EXPECT_EQ(sink_.messages[0], "no such elem: 13C");
  ASSERT_EQ(s.layerCount(), 1);
  ASSERT_EQ(s.layers[0].elements.size(), 1U);  // C read before the error is kept
  EXPECT_DOUBLE_EQ(s.layers[0].amountSum, 1.0);
}

// The message of each faulty line, as the parser words it.
TEST_F(LayerParserTest, EachFaultyLineGetsItsMessage) {
  const struct {
    const char* text;
    std::vector<std::string> messages;
  } cases[] = {
      {"S=\nN=1e22\nSiX,1\n", {"error in the massnumber of the elem: X"}},
      {"S=\nN=1e22\n#SIX,1\n", {"no such elem: #SIX"}},
      {"S=\nN=1e22\nC0,1\n", {"error in the massnumber of the elem: 0"}},  // no such nucleus
      {"S=\nN=1e22\nC,-2\n", {"elem is not well defined in layer: 1\n-2\n1"}},
      // The density on the wrong line, or not a number.
      {"A=1000\nSi,1\nN=5e22\n", {"density of layers not well defined in layer: 1"}},
      {"A=1000\nN=5,0e22\nSi,1\n", {"density of layers not well defined in layer: 1"}},
      // Between element lines a line without a comma is no element.
      {"S=\nN=1e22\nC,1\nREMARK\nO,1\n", {"no such elem: REMARK"}},
      // Thickness and density both wrong: both are reported for the same layer.
      {"A=x\nN=y\nC,1\n",
       {"thicknes of layers not well defined in layer: 1",
        "density of layers not well defined in layer: 1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    sink_.messages.clear();
    Parse(c.text);
    EXPECT_EQ(sink_.messages, c.messages);
  }
}

TEST_F(LayerParserTest, BadAmountShowsThreeLinesWithThePosition) {
  const LayerStructure s = Parse("A=100\nN=1e22\nC,2\nSi,1x\nO,1\nS=\nN=1e22\nC,1\n");
  ASSERT_EQ(sink_.messages.size(), 1U);
  EXPECT_EQ(sink_.messages[0], "elem is not well defined in layer: 1\n1X\n2");
  ASSERT_EQ(s.layerCount(), 2);
  ASSERT_EQ(s.layers[0].elements.size(), 1U);  // O after the error is skipped
  EXPECT_DOUBLE_EQ(s.layers[0].amountSum, 2.0);
  EXPECT_EQ(s.layers[1].elements.size(), 1U);  // the next section is parsed as usual
}

TEST_F(LayerParserTest, ZeroAmountIsRejected) {
  // An amount is a relative number of atoms; zero everywhere would divide by a zero sum.
  const LayerStructure s = Parse("S=\nN=1e22\nC,0\n");
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"elem is not well defined in layer: 1\n0\n1"});
  EXPECT_TRUE(s.layers.at(0).elements.empty());
}

TEST_F(LayerParserTest, MissingDensityDropsTheLayerButNotTheSubstrate) {
  const LayerStructure s = Parse("A=1000\nSi,1\nS=\nN=5e22\nC,1\n");
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"density of layers not defined in layer: 1"});
  ASSERT_EQ(s.layerCount(), 1);
  EXPECT_EQ(s.layers[0].thickness, kSubstrateThickness);
}

TEST_F(LayerParserTest, ZeroDensityIsNotWellDefined) {
  const LayerStructure s = Parse("S=\nN=0\nSi,1\n");  // vacuum would divide by zero
  EXPECT_EQ(sink_.messages,
            std::vector<std::string>{"density of layers not well defined in layer: 1"});
  EXPECT_TRUE(s.empty());
}

TEST_F(LayerParserTest, BadThicknessDropsTheLayerAndKeepsTheNumbering) {
  const LayerStructure s =
      Parse("A=10o0\nN=1e22\nC,1\nA=-5\nN=1e22\nC,1\nA=200\nN=1e22\nC,1\nA=300\nO,1\n");
  EXPECT_EQ(sink_.messages,
            (std::vector<std::string>{"thicknes of layers not well defined in layer: 1",
                                      "thicknes of layers not well defined in layer: 2",
                                      "density of layers not defined in layer: 4"}));
  ASSERT_EQ(s.layerCount(), 1);
  EXPECT_NEAR(s.layers[0].thickness, 0.02, 1e-15);  // 200 angstrom
}

TEST_F(LayerParserTest, UnknownElementKeepsZeroWithoutTableData) {
  const LayerStructure s = Parse("S=\nN=1e22\nXX,1\nC,1\n", 2, 2);
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"missing stopping power : XX"});
  const auto& e = s.layers.at(0).elements;
  ASSERT_EQ(e.size(), 2U);
  EXPECT_EQ(e[0].Z, 0);
  EXPECT_EQ(e[0].massNumber, 0);
  // Only the ion's term remains: 4.684715451e-9 / sqrt(2^(2/3)) = 4.684715451e-9 / 1.259921
  // = 3.718261e-9 cm.
  EXPECT_NEAR(e[0].screenIn, 3.718261e-9, 1e-14);
  EXPECT_DOUBLE_EQ(s.layers[0].amountSum, 2.0);
}

TEST_F(LayerParserTest, OneLetterSymbolsArePaddedBeforeTheLookup) {
  // "H" alone would not match the stored "H ".
  const LayerStructure s = Parse("S=\nN=1e22\nH,1\nH2,1\n");
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(s.layers.at(0).elements.at(0).Z, 1);
  EXPECT_EQ(s.layers.at(0).elements.at(1).massNumber, 2);
}

TEST_F(LayerParserTest, LinesWithoutCommaAfterTheLastElementAreIgnored) {
  const LayerStructure s = Parse("S=\nN=1e22\nC,1\nREMARK\n");
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(s.layers.at(0).elements.size(), 1U);
}

TEST_F(LayerParserTest, TextBeforeTheFirstSectionIsReported) {
  const LayerStructure s = Parse("N=1e22\nC,1\nS=\nN=1e22\nC,1\n");
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"target not defined"});
  EXPECT_EQ(s.layerCount(), 1);
}

TEST_F(LayerParserTest, EmptyTextGivesNoLayersAndNoMessage) {
  EXPECT_TRUE(Parse("").empty());
  EXPECT_TRUE(Parse(" \n\r\n\t\n").empty());
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(LayerParserTest, ReparsingReplacesTheOldStructure) {
  LayerStructure s;
  ParseLayerStructure("A=1\nN=1e22\nC,1\nA=2\nN=1e22\nC,1\n", s, table_, 2, 2, sink_);
  s.currentLayer = 1;
  s.layers[0].currentElement = 0;
  ParseLayerStructure("S=\nN=2e22\nO,1\n", s, table_, 2, 2, sink_);
  ASSERT_EQ(s.layerCount(), 1);
  EXPECT_EQ(s.currentLayer, 0U);
  EXPECT_EQ(s.layers[0].elements[0].Z, 8);
  ParseLayerStructure("", s, table_, 2, 2, sink_);
  EXPECT_TRUE(s.empty());
}

TEST_F(LayerParserTest, SubstrateSectionRunsToTheEndOfTheText) {
  // A layer written after the substrate belongs to the substrate's element lines.
  const LayerStructure s = Parse("S=\nN=1e22\nC,1\nA=100\nN=1e22\nO,1\n");
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"no such elem: A=100"});
  ASSERT_EQ(s.layerCount(), 1);
  EXPECT_EQ(s.layers[0].elements.size(), 1U);
}

TEST_F(LayerParserTest, HugeTextsParseInLinearTime) {
  // Two million empty lines and a million sections: a quadratic removal of empty lines
  // or splitting would not finish.
  std::string text(2'000'000, '\n');
  for (int i = 0; i < 100'000; ++i)
    text += "A=1\n\n\nN=1e22\nC,1\n";
  text += std::string(1'000'000, '\r') + "S=\nN=1e22\nSI,1";
  const LayerStructure s = Parse(text);
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(s.layerCount(), 100'001);
}

}  // namespace
}  // namespace dodavev
