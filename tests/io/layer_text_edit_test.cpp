#include "io/layer_text_edit.hpp"

#include <gtest/gtest.h>

#include <string>

namespace dodavev {
namespace {

constexpr const char* kTwoLayers =
    "A= 300\r\nn=5.9e22\r\nau#,1\r\nA=1000\r\nN=9.14E22\r\nNi,2\r\n si 28 , "
    "0.5\r\nS=\r\nn=4.99e22\r\nsi#,1\r\n";

TEST(LayerTextEdit, SectionsAreCountedAsTheParserCountsThem) {
  EXPECT_EQ(LayerTextSections(kTwoLayers), 3);
  EXPECT_TRUE(LayerTextIsSubstrate(kTwoLayers, 3));
  EXPECT_FALSE(LayerTextIsSubstrate(kTwoLayers, 1));
  EXPECT_EQ(LayerTextSections("A=10\nn=1e22\nc,1\n"), 1);  // no substrate
  EXPECT_EQ(LayerTextSections(""), 0);
}

TEST(LayerTextEdit, ThicknessLineIsReplacedAndEveryOtherLineKept) {
  std::string text = kTwoLayers;
  ASSERT_TRUE(SetLayerTextThickness(text, 2, 987.654321));
  EXPECT_EQ(text,
            "A= 300\r\nn=5.9e22\r\nau#,1\r\nA=987.6543\r\nN=9.14E22\r\nNi,2\r\n si 28 , 0.5\r\n"
            "S=\r\nn=4.99e22\r\nsi#,1\r\n");
  EXPECT_FALSE(SetLayerTextThickness(text, 3, 5.0));  // the substrate has no thickness line
  EXPECT_FALSE(SetLayerTextThickness(text, 4, 5.0));
  EXPECT_FALSE(SetLayerTextThickness(text, 0, 5.0));
}

TEST(LayerTextEdit, AmountOfTheNamedElementIsReplaced) {
  std::string text = kTwoLayers;
  ASSERT_TRUE(SetLayerTextAmount(text, 2, "SI", 0.25));  // "si 28": symbol with a mass number
  ASSERT_TRUE(SetLayerTextAmount(text, 1, "Au", 1.5));   // "au#": the natural mixture
  EXPECT_EQ(text,
            "A= 300\r\nn=5.9e22\r\nau#,1.5\r\nA=1000\r\nN=9.14E22\r\nNi,2\r\n si 28 ,0.25\r\n"
            "S=\r\nn=4.99e22\r\nsi#,1\r\n");
  const std::string before = text;
  EXPECT_FALSE(SetLayerTextAmount(text, 1, "Ni", 1.0));  // Ni is in layer 2
  EXPECT_FALSE(SetLayerTextAmount(text, 2, "N", 1.0));   // "N=" is the density, not nitrogen
  EXPECT_EQ(text, before);
}

}  // namespace
}  // namespace dodavev
