#include "platform/random_numbers.h"

#include <bit>

namespace platform {

void RandomNumbers::seed(double seedValue) {
    // Every bit of the seed matters: the timer gives fractional seconds.
    std::uint64_t bits = std::bit_cast<std::uint64_t>(seedValue);
    std::seed_seq sequence{static_cast<std::uint32_t>(bits),
                           static_cast<std::uint32_t>(bits >> 32)};
    engine_.seed(sequence);
}

float RandomNumbers::next() {
    // 24 random bits fill a float's mantissa exactly, so the result is
    // uniform on the single-precision grid and never reaches 1.
    return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
}

}  // namespace platform
