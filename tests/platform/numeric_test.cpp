#include "platform/numeric.h"
#include "platform/random_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace platform {
namespace {

TEST(NumericTest, RoundingToInt16TakesTheEvenNeighbourOnHalves) {
    std::vector<std::int16_t> rounded;
    for (double value : {10.5, 11.5, 7.5, 6.5, -0.5, -1.5, -2.5, 100.25, 99.5, 2.6}) {
        rounded.push_back(roundToInt16(value));
    }
    EXPECT_EQ(rounded, (std::vector<std::int16_t>{10, 12, 8, 6, 0, -2, -2, 100, 100, 3}));
}

TEST(NumericTest, Int16RangeIsChecked) {
    EXPECT_EQ(
        std::tuple(roundToInt16(32767.4), roundToInt16(-32768.5), toInt16(32767), toInt16(-32768)),
        std::tuple(32767, -32768, 32767, -32768));
    for (double outside : {32767.5, -32769.0, std::nan("")}) {
        EXPECT_THROW(roundToInt16(outside), OverflowError) << outside;
    }
    EXPECT_THROW(toInt16(32768), OverflowError);
    EXPECT_THROW(toInt16(-32769), OverflowError);
}

TEST(NumericTest, SingleSumRoundsToSinglePrecision) {
    // 16777216 + 1 is not representable in single precision.
    EXPECT_EQ(singleSum(16777216.0, 1.0), 16777216.0f);
    EXPECT_EQ(singleSum(-7000.0, 11295.0), 4295.0f);
}

TEST(NumericTest, LeadingNumberReadsLikeTheScoreTexts) {
    // An exponent marker without digits ends the number before it.
    std::vector<double> numbers;
    for (const char* text : {"412", "  -37", "1 2", "12abc", "abc", "", "-", ".", "2.5", ".5x",
                             "1e3", "1 e 2", "7e", "7e+x"}) {
        numbers.push_back(leadingNumber(text));
    }
    EXPECT_EQ(numbers,
              (std::vector<double>{412, -37, 12, 12, 0, 0, 0, 0, 2.5, 0.5, 1000, 100, 7, 7}));
    EXPECT_TRUE(std::isinf(leadingNumber("1e999")));
}

std::vector<float> draws(double seed, int count) {
    RandomNumbers random;
    random.seed(seed);
    std::vector<float> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(random.next());
    }
    return values;
}

TEST(RandomNumbersTest, SameSeedSameStreamAndFractionalSeedsDiffer) {
    EXPECT_EQ(draws(43210.25, 50), draws(43210.25, 50));
    EXPECT_NE(draws(43210.25, 50), draws(43210.5, 50));
}

TEST(RandomNumbersTest, DrawsStayInTheUnitIntervalAndSpreadOverIt) {
    int low = 0;
    for (float value : draws(1.0, 100000)) {
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
        low += value < 0.5f;
    }
    EXPECT_NEAR(low, 50000, 1000);
}

}  // namespace
}  // namespace platform
