#include "platform/numeric.h"
#include "platform/random_numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace platform {
namespace {

TEST(NumericTest, ConversionsToInt16RoundHalvesToEvenAndRefuseWhatDoesNotFit) {
    using Rounded = std::optional<std::int16_t>;  // none: an overflow
    const std::pair<double, Rounded> cases[] = {
        {10.5, 10},       {11.5, 12},    {-0.5, 0},          {-1.5, -2},     {2.6, 3},
        {32767.4, 32767}, {32767.5, {}}, {-32768.5, -32768}, {-32769.0, {}}, {NAN, {}}};
    for (const auto& [value, rounded] : cases) {
        if (rounded) {
            EXPECT_EQ(roundToInt16(value), *rounded) << value;
        } else {
            EXPECT_THROW(roundToInt16(value), OverflowError) << value;
        }
    }
    EXPECT_EQ(std::pair(toInt16(32767), toInt16(-32768)),
              (std::pair<std::int16_t, std::int16_t>(32767, -32768)));
    EXPECT_THROW(toInt16(32768), OverflowError);
    EXPECT_THROW(toInt16(-32769), OverflowError);
}

TEST(NumericTest, LeadingNumberReadsLikeTheScoreTexts) {
    const std::pair<const char*, double> cases[] = {
        {"412", 412}, {"  -37", -37}, {"1 2", 12},  {"12abc", 12},  {"abc", 0}, {"", 0},
        {"-", 0},     {".", 0},       {".5x", 0.5}, {"1 e 2", 100}, {"7e", 7},  {"7e+x", 7}};
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(leadingNumber(text), number) << text;
    }
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

TEST(RandomNumbersTest, ASeedGivesOneStreamSpreadOverTheUnitInterval) {
    const auto draws = [](double seed) {
        RandomNumbers random;
        random.seed(seed);
        std::vector<float> values(100000);
        std::generate(values.begin(), values.end(), [&] { return random.next(); });
        return values;
    };
    EXPECT_EQ(draws(43210.25), draws(43210.25));
    EXPECT_NE(draws(43210.25), draws(43210.5));  // fractional seeds differ
    const std::vector<float> values = draws(1.0);
    EXPECT_EQ(std::count_if(values.begin(), values.end(), [](float v) { return v < 0 || v >= 1; }),
              0);
    EXPECT_NEAR(std::count_if(values.begin(), values.end(), [](float v) { return v < 0.5f; }),
                50000, 1000);
}

}  // namespace
}  // namespace platform
