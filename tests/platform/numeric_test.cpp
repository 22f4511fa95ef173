#include "platform/numeric.h"

#include <gtest/gtest.h>

#include <cmath>

namespace platform {
namespace {

TEST(NumericTest, RoundingToInt16TakesTheEvenNeighbourOnHalves) {
    EXPECT_EQ(roundToInt16(10.5), 10);
    EXPECT_EQ(roundToInt16(11.5), 12);
    EXPECT_EQ(roundToInt16(7.5), 8);
    EXPECT_EQ(roundToInt16(6.5), 6);
    EXPECT_EQ(roundToInt16(-0.5), 0);
    EXPECT_EQ(roundToInt16(-1.5), -2);
    EXPECT_EQ(roundToInt16(-2.5), -2);
    EXPECT_EQ(roundToInt16(100.25), 100);
    EXPECT_EQ(roundToInt16(99.5), 100);
    EXPECT_EQ(roundToInt16(2.6), 3);
}

TEST(NumericTest, Int16RangeIsChecked) {
    EXPECT_EQ(roundToInt16(32767.4), 32767);
    EXPECT_EQ(roundToInt16(-32768.5), -32768);
    EXPECT_THROW(roundToInt16(32767.5), OverflowError);
    EXPECT_THROW(roundToInt16(-32769), OverflowError);
    EXPECT_THROW(roundToInt16(std::nan("")), OverflowError);
    EXPECT_EQ(toInt16(32767), 32767);
    EXPECT_EQ(toInt16(-32768), -32768);
    EXPECT_THROW(toInt16(32768), OverflowError);
    EXPECT_THROW(toInt16(-32769), OverflowError);
}

TEST(NumericTest, SingleSumRoundsToSinglePrecision) {
    // 16777216 + 1 is not representable in single precision.
    EXPECT_EQ(singleSum(16777216.0, 1.0), 16777216.0f);
    EXPECT_EQ(singleSum(-7000.0, 11295.0), 4295.0f);
}

TEST(NumericTest, LeadingNumberReadsLikeTheScoreTexts) {
    EXPECT_EQ(leadingNumber("412"), 412);
    EXPECT_EQ(leadingNumber("  -37"), -37);
    EXPECT_EQ(leadingNumber("1 2"), 12);
    EXPECT_EQ(leadingNumber("12abc"), 12);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("-"), 0);
    EXPECT_EQ(leadingNumber("."), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(leadingNumber(".5x"), 0.5);
    EXPECT_DOUBLE_EQ(leadingNumber("1e3"), 1000);
    EXPECT_DOUBLE_EQ(leadingNumber("1 e 2"), 100);
    // An exponent marker without digits ends the number before it.
    EXPECT_DOUBLE_EQ(leadingNumber("7e"), 7);
    EXPECT_DOUBLE_EQ(leadingNumber("7e+x"), 7);
    EXPECT_TRUE(std::isinf(leadingNumber("1e999")));
}

}  // namespace
}  // namespace platform
