#include "platform/random_numbers.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform {
namespace {

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
    RandomNumbers random;
    random.seed(1.0);
    int low = 0;
    for (int i = 0; i < 100000; ++i) {
        float value = random.next();
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
        low += value < 0.5f;
    }
    EXPECT_NEAR(low, 50000, 1000);
}

}  // namespace
}  // namespace platform
