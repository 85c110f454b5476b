#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tables/float_text.h"

using namespace vestok;

TEST(FloatText, WritesFifteenDigitsFixedOrExponentLikeTheFileFormat) {
  EXPECT_EQ(FloatToText(2.5), "2.5");
  EXPECT_EQ(FloatToText(10), "10");
  EXPECT_EQ(FloatToText(-0.75), "-0.75");
  EXPECT_EQ(FloatToText(0.0001), "0.0001");
  EXPECT_EQ(FloatToText(0.00005), "5E-5");
  EXPECT_EQ(FloatToText(1.5e-7), "1.5E-7");
  EXPECT_EQ(FloatToText(1e15), "1E15");
  EXPECT_EQ(FloatToText(1234567890123456.0), "1.23456789012346E15");
  EXPECT_EQ(FloatToText(999999999999999.0), "999999999999999");
  EXPECT_EQ(FloatToText(0), "0");
  EXPECT_EQ(FloatToText(-0.0), "0");
  EXPECT_EQ(FloatToText(0.1 + 0.2), "0.3");
  EXPECT_EQ(FloatToText(12.75), "12.75");
  EXPECT_EQ(FloatToText(-1e-5), "-1E-5");
  EXPECT_EQ(FloatToText(1.7976931348623157e308), "1.79769313486232E308");
  EXPECT_EQ(FloatToText(123456.5, ','), "123456,5");
  // Rounding to 15 digits may carry into a new digit before the point.
  EXPECT_EQ(FloatToText(999999999999999.9), "1E15");
  EXPECT_EQ(FloatToText(0.000099999999999999999), "0.0001");
}

TEST(FloatText, ReadsTheFileGrammarOnly) {
  EXPECT_EQ(ParseFloatText("2.5"), 2.5);
  EXPECT_EQ(ParseFloatText("  -0.75  "), -0.75);
  EXPECT_EQ(ParseFloatText("+3"), 3.0);
  EXPECT_EQ(ParseFloatText("5E-5"), 5e-5);
  EXPECT_EQ(ParseFloatText("1.5e+7"), 1.5e7);
  EXPECT_EQ(ParseFloatText("7."), 7.0);
  EXPECT_EQ(ParseFloatText(".5"), 0.5);
  EXPECT_EQ(ParseFloatText("1e-400"), 0.0);
  EXPECT_EQ(ParseFloatText("0.000e999999999"), 0.0);
  for (const char* bad : {"", " ", "2,5", "1e", "1e+", ".", "-", "1.2.3", "0x10", "inf", "nan", "1 2", "1e999",
                          "--1", "1,"})
    EXPECT_EQ(ParseFloatText(bad), std::nullopt) << bad;
  EXPECT_EQ(ParseFloatText("2,5", ','), 2.5);
  EXPECT_EQ(ParseFloatText("2.5", ','), std::nullopt);
}

TEST(FloatText, RoundTripsAtFifteenDigits) {
  for (double v : {1.0 / 3, 123.456, -98765.4321, 1e-20, 6.02214076e23, 0.1}) {
    const auto back = ParseFloatText(FloatToText(v));
    ASSERT_TRUE(back);
    EXPECT_NEAR(*back, v, std::abs(v) * 1e-14) << FloatToText(v);
  }
}
