#pragma once

#include <cstdint>

// Platform key codes and modifier bits that keyboard handlers receive.
namespace platform::keys {

constexpr std::int16_t kReturn = 13;
constexpr std::int16_t kEscape = 27;
constexpr std::int16_t kSpace = 32;
constexpr std::int16_t kLeft = 37;
constexpr std::int16_t kUp = 38;
constexpr std::int16_t kRight = 39;
constexpr std::int16_t kDown = 40;
constexpr std::int16_t kA = 65;
constexpr std::int16_t kD = 68;
constexpr std::int16_t kS = 83;
constexpr std::int16_t kW = 87;

constexpr std::int16_t kShiftMask = 1;
constexpr std::int16_t kCtrlMask = 2;
constexpr std::int16_t kAltMask = 4;

}  // namespace platform::keys
