#include "io/number_parse.hpp"

#include <gtest/gtest.h>

namespace dodavev {
namespace {

TEST(NumberParse, AcceptsTheLocaleFreeGrammar) {
  EXPECT_DOUBLE_EQ(*ParseDecimal("3100"), 3100.0);
  EXPECT_DOUBLE_EQ(*ParseDecimal(" 3100"), 3100.0);  // leading blanks are allowed
  EXPECT_DOUBLE_EQ(*ParseDecimal("-0.5"), -0.5);
  EXPECT_DOUBLE_EQ(*ParseDecimal("+.5"), 0.5);
  EXPECT_DOUBLE_EQ(*ParseDecimal("5."), 5.0);
  EXPECT_DOUBLE_EQ(*ParseDecimal("9.64e22"), 9.64e22);
  EXPECT_DOUBLE_EQ(*ParseDecimal("1E-3"), 1e-3);
  EXPECT_EQ(*ParseInteger(" -12"), -12);
}

TEST(NumberParse, RejectsEverythingElseWithThePositionOfTheFault) {
  // A trailing blank, a decimal comma, an empty text, a bare exponent.
  EXPECT_FALSE(ParseDecimal("3100 "));
  EXPECT_EQ(ReadDecimal("3100 ").badPosition, 5U);
  EXPECT_EQ(ReadDecimal("1,5").badPosition, 2U);
  EXPECT_EQ(ReadDecimal("").badPosition, 1U);
  EXPECT_FALSE(ParseDecimal("1e"));
  EXPECT_FALSE(ParseDecimal("."));
  EXPECT_FALSE(ParseDecimal("-"));
  EXPECT_FALSE(ParseDecimal("inf"));
  EXPECT_FALSE(ParseDecimal("nan"));
  EXPECT_FALSE(ParseDecimal("0x10"));
  EXPECT_FALSE(ParseDecimal("1e999"));  // overflows a double
  // Integers take neither a point nor an exponent, and must fit 32 bits.
  EXPECT_FALSE(ParseInteger("2.0"));
  EXPECT_FALSE(ParseInteger("1e3"));
  EXPECT_FALSE(ParseInteger("2147483648"));
  EXPECT_EQ(*ParseInteger("-2147483648"), INT32_MIN);
}

}  // namespace
}  // namespace dodavev
