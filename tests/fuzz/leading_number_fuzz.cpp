// Any text as a score: its leading number is read without crashing, is a
// number (never NaN), publishes as a 16-bit value without overflowing, and
// follows the reading rules. Input: a whole number (2 bytes, little-endian)
// and the text.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/numeric.h"

namespace {

void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// Characters that may continue a number that has digits.
bool continuesANumber(char c) {
    return (c >= '0' && c <= '9') || c == ' ' || c == '\t' || c == '.' || c == 'e' || c == 'E' ||
           c == 'd' || c == 'D';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const auto whole = static_cast<std::int16_t>(data[0] | (data[1] << 8));
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);

    const double value = platform::leadingNumber(text);
    require(!std::isnan(value));
    platform::roundToInt16(std::clamp(value, -32768.0, 32767.0));

    // Blanks before a number change nothing; a minus before it negates it.
    require(platform::leadingNumber(" \t " + text) == value);
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos || (text[first] != '+' && text[first] != '-')) {
        require(platform::leadingNumber("-" + text) == -value);
    }
    // A score as the game writes it reads as itself, whatever follows that
    // cannot continue it.
    if (text.empty() || !continuesANumber(text[0])) {
        require(platform::leadingNumber(platform::decimalText(whole) + text) == whole);
    }
    return 0;
}
