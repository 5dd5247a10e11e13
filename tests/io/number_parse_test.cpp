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
  EXPECT_DOUBLE_EQ(*ParseDecimal("1E17"), 1e17);
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
  EXPECT_FALSE(ParseDecimal("1e999"));   // overflows a double
  EXPECT_FALSE(ParseDecimal("\t3100"));  // only blanks may lead
  EXPECT_FALSE(ParseDecimal("3100\r"));
  // Integers take neither a point nor an exponent, and must fit 32 bits.
  EXPECT_FALSE(ParseInteger("2.0"));
  EXPECT_FALSE(ParseInteger("1e3"));
  EXPECT_FALSE(ParseInteger("2147483648"));
  EXPECT_EQ(*ParseInteger("-2147483648"), INT32_MIN);
}

TEST(NumberParse, ValuesBelowTheSmallestDoubleReadAsZero) {
  // 1e-400 is below the smallest subnormal double (about 4.9e-324).
  EXPECT_EQ(*ParseDecimal("1e-400"), 0.0);
  EXPECT_EQ(*ParseDecimal("-0.000001e-320"), 0.0);
  EXPECT_EQ(*ParseDecimal("0e999999999999"), 0.0);  // zero times any power is zero
  // 1000e-310 = 1e-307 lies within range; 0.001e311 = 1e308 as well.
  EXPECT_NEAR(*ParseDecimal("1000e-310"), 1e-307, 1e-320);
  EXPECT_NEAR(*ParseDecimal("0.001e311"), 1e308, 1e294);
  // Too large stays an error rather than infinity.
  EXPECT_FALSE(ParseDecimal("0.1e310"));
  EXPECT_FALSE(ParseDecimal("1e99999999999999999999"));
}

}  // namespace
}  // namespace dodavev
