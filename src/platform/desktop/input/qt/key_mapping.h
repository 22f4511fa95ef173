#pragma once

#include <QtCore/qnamespace.h>

#include <cstdint>
#include <optional>

namespace platform::desktop {

// The platform key code of a Qt key, or nothing for keys the game never
// sees (modifiers alone, function keys, punctuation).
std::optional<std::int16_t> platformKeyCode(int qtKey);

// The platform modifier mask (1 Shift, 2 Ctrl, 4 Alt) of Qt modifiers.
std::int16_t platformShiftMask(Qt::KeyboardModifiers modifiers);

}  // namespace platform::desktop
