#include <gtest/gtest.h>

#include <limits>

#include "number_format.hpp"

using Orvanta::formatNumber;

TEST(NumberFormat, WholeNumbersKeepTheDecimalPoint) {
  EXPECT_EQ(formatNumber(255), "255.");
  EXPECT_EQ(formatNumber(0), "0.");
  EXPECT_EQ(formatNumber(41), "41.");
  EXPECT_EQ(formatNumber(-3), "-3.");
  EXPECT_EQ(formatNumber(999999), "999999.");
}

TEST(NumberFormat, FractionsDropTrailingZeros) {
  EXPECT_EQ(formatNumber(0.5), "0.5");
  EXPECT_EQ(formatNumber(0.1), "0.1");
  EXPECT_EQ(formatNumber(1.23), "1.23");
  EXPECT_EQ(formatNumber(0.246), "0.246");
  EXPECT_EQ(formatNumber(-1.72322), "-1.72322");
}

TEST(NumberFormat, SixSignificantDigitsRounded) {
  EXPECT_EQ(formatNumber(3.14159265), "3.14159");
  EXPECT_EQ(formatNumber(2.0 / 3), "0.666667");
  EXPECT_EQ(formatNumber(123456.7), "123457.");
  EXPECT_EQ(formatNumber(0.123456789), "0.123457");
}

TEST(NumberFormat, ExponentNotationOutsideTenthToMillion) {
  EXPECT_EQ(formatNumber(0.05), "5.e-002");
  EXPECT_EQ(formatNumber(-0.05), "-5.e-002");
  EXPECT_EQ(formatNumber(1e6), "1.e+006");
  EXPECT_EQ(formatNumber(1234567), "1.23457e+006");
  EXPECT_EQ(formatNumber(0.0123456), "1.23456e-002");
  EXPECT_EQ(formatNumber(1.5e100), "1.5e+100");
  EXPECT_EQ(formatNumber(2.5e-300), "2.5e-300");
}

TEST(NumberFormat, RoundedValueDecidesTheNotation) {
  EXPECT_EQ(formatNumber(999999.6), "1.e+006");
  EXPECT_EQ(formatNumber(0.09999999), "0.1");
  EXPECT_EQ(formatNumber(0.0999994), "9.99994e-002");
}

TEST(NumberFormat, NonFiniteValues) {
  EXPECT_EQ(formatNumber(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(formatNumber(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(formatNumber(std::numeric_limits<double>::quiet_NaN()), "nan");
}
