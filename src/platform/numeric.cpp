#include "platform/numeric.h"

#include <locale.h>
#include <stdlib.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace platform {

std::int16_t toInt16(std::int64_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        throw OverflowError();
    }
    return static_cast<std::int16_t>(value);
}

std::int16_t roundToInt16(double value) {
    if (std::isnan(value)) {
        throw OverflowError();
    }
    // Round to nearest with ties to even, independent of the current FPU mode.
    double floor = std::floor(value);
    double diff = value - floor;
    double rounded = floor;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(floor, 2.0) != 0.0)) {
        rounded = floor + 1.0;
    }
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        throw OverflowError();
    }
    return static_cast<std::int16_t>(rounded);
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Numbers as the C locale reads them: the toolkit sets the user's locale for
// the whole program, and in many a decimal point is a comma.
locale_t cNumbers() {
    static const locale_t numbers = ::newlocale(LC_NUMERIC_MASK, "C", locale_t{});
    return numbers;
}

}  // namespace

double leadingNumber(std::string_view text) {
    // Collect the characters of the number with inner blanks dropped, then let
    // strtod read them; the grammar walk below decides where the number ends.
    std::string number;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && isBlank(text[i])) {
            ++i;
        }
    };
    auto takeDigits = [&] {
        bool any = false;
        for (;;) {
            skipBlanks();
            if (i < text.size() && isDigit(text[i])) {
                number += text[i++];
                any = true;
            } else {
                return any;
            }
        }
    };

    skipBlanks();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number += text[i++];
    }
    bool mantissaDigits = takeDigits();
    skipBlanks();
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        mantissaDigits = takeDigits() || mantissaDigits;
    }
    if (!mantissaDigits) {
        return 0.0;
    }
    skipBlanks();
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        ++i;
        skipBlanks();
        std::string exponent = "e";
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            exponent += text[i++];
        }
        // An exponent marker without digits ends the number before it.
        std::string mantissa = std::move(number);
        number.clear();
        number = takeDigits() ? mantissa + exponent + number : mantissa;
    }
    // A huge exponent in an edited file reads as infinity; callers that need
    // a counter clamp it.
    return ::strtod_l(number.c_str(), nullptr, cNumbers());
}

std::string decimalText(std::int64_t value) {
    return std::to_string(value);
}

}  // namespace platform
