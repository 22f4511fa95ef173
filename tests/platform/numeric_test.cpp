#include "platform/numeric.h"
#include "platform/random_numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// The toolkit sets the user's locale for the whole program; in one whose
// decimal point is a comma the C library would read "2.5" as 2.
TEST(NumericTest, LeadingNumberReadsTheSameWhateverTheDecimalPointOfTheLocale) {
    std::string folder =
        (std::filesystem::temp_directory_path() / "tumbrix-locale-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    std::ofstream(folder + "/comma") << "LC_CTYPE\ncopy \"POSIX\"\nEND LC_CTYPE\n"
                                        "LC_NUMERIC\ndecimal_point \"<U002C>\"\n"
                                        "thousands_sep \"<U002E>\"\ngrouping 3;3\nEND LC_NUMERIC\n";
    const std::string make =
        "localedef -c -i " + folder + "/comma -f UTF-8 " + folder + "/comma.UTF-8 >/dev/null 2>&1";
    // Warnings about the categories left out make it return 1.
    [[maybe_unused]] const int made = std::system(make.c_str());
    ::setenv("LOCPATH", folder.c_str(), 1);
    const bool comma = std::setlocale(LC_NUMERIC, "comma.UTF-8") != nullptr;
    const std::vector<double> read = {leadingNumber("2.5"), leadingNumber("13.5e1")};
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
    std::filesystem::remove_all(folder);
    if (!comma) {
        GTEST_SKIP() << "no locale with a decimal comma can be made here (localedef)";
    }
    EXPECT_EQ(read, (std::vector<double>{2.5, 135}));
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
