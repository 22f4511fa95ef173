#include "platform/desktop/input/qt/key_mapping.h"

#include "platform/key_codes.h"

namespace platform::desktop {

std::optional<std::int16_t> platformKeyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Escape:
            return keys::kEscape;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return keys::kReturn;
        case Qt::Key_Space:
            return keys::kSpace;
        case Qt::Key_Left:
            return keys::kLeft;
        case Qt::Key_Up:
            return keys::kUp;
        case Qt::Key_Right:
            return keys::kRight;
        case Qt::Key_Down:
            return keys::kDown;
        default:
            break;
    }
    // Qt names letters by their upper-case character whatever the case typed,
    // and digits by their character: both match the platform codes.
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return static_cast<std::int16_t>(qtKey);
    }
    return std::nullopt;
}

std::int16_t platformShiftMask(Qt::KeyboardModifiers modifiers) {
    std::int16_t mask = 0;
    if (modifiers & Qt::ShiftModifier) {
        mask |= keys::kShiftMask;
    }
    if (modifiers & Qt::ControlModifier) {
        mask |= keys::kCtrlMask;
    }
    if (modifiers & Qt::AltModifier) {
        mask |= keys::kAltMask;
    }
    return mask;
}

}  // namespace platform::desktop
