#pragma once

#include <cstdint>

namespace platform {

// A colour as the game stores it: 24 bits with red in the low byte.
using Color = std::uint32_t;

constexpr Color rgb(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}
constexpr unsigned redOf(Color c) {
    return c & 0xFFu;
}
constexpr unsigned greenOf(Color c) {
    return (c >> 8) & 0xFFu;
}
constexpr unsigned blueOf(Color c) {
    return (c >> 16) & 0xFFu;
}

}  // namespace platform
