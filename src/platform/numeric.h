#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Numeric rules of the game's counters and positions. Game counters are
// 16-bit with checked arithmetic, positions are single precision, and every
// conversion from a floating value to an integer rounds halves to even.
namespace platform {

// A counter left its 16-bit range. The host reports it and ends the program,
// as the toolkit the game was designed for does.
class OverflowError : public std::runtime_error {
public:
    OverflowError() : std::runtime_error("Run-time error '6': Overflow") {}
};

// Checked narrowing of an exact integer to a 16-bit game counter.
std::int16_t toInt16(std::int64_t value);

// Conversion of a floating value to a 16-bit integer, halves to the even
// neighbour (0.5 -> 0, 1.5 -> 2, 7.5 -> 8). Throws OverflowError outside
// -32768..32767 after rounding, and for NaN.
std::int16_t roundToInt16(double value);

// Sum of two single-precision positions rounded back to single precision,
// the way contact tests compare them.
inline float singleSum(double a, double b) {
    return static_cast<float>(a + b);
}

// The numeric value of the leading number of a text: leading blanks skipped,
// blanks inside the number ignored, optional sign, digits, optional decimal
// part and exponent; reading stops at the first character that cannot
// continue the number. Text without a leading number is 0 ("12abc" is 12,
// "1 2" is 12, "abc" and "" are 0).
double leadingNumber(std::string_view text);

// Decimal text of an integer, without a leading blank.
std::string decimalText(std::int64_t value);

}  // namespace platform
