#include "platform/desktop/input/gamepad_keys.h"

#include "platform/key_codes.h"

namespace platform::desktop {

GamepadKeys::GamepadKeys(std::int16_t leftKey, std::int16_t rightKey)
    : leftKey_(leftKey), rightKey_(rightKey) {}

std::vector<KeyAction> GamepadKeys::button(Button button, bool down) {
    std::vector<KeyAction> out;
    switch (button) {
        case Button::DpadLeft:
            push(kDpadLeft, down ? -1 : 0, out);
            break;
        case Button::DpadRight:
            push(kDpadRight, down ? 1 : 0, out);
            break;
        case Button::Start:
            hold(startHeld_, down, keys::kEscape, out);
            break;
        case Button::A:
            hold(aHeld_, down, keys::kReturn, out);
            break;
    }
    return out;
}

std::vector<KeyAction> GamepadKeys::stick(int x) {
    int direction = pushes_[kStick].direction;
    if (direction * x <= kLetGoWithin) {
        // Back within a quarter of its own side, or over on the other.
        direction = 0;
    }
    if (direction == 0 && x >= kPushedFrom) {
        direction = 1;
    } else if (direction == 0 && x <= -kPushedFrom) {
        direction = -1;
    }
    std::vector<KeyAction> out;
    push(kStick, direction, out);
    return out;
}

std::vector<KeyAction> GamepadKeys::releaseAll() {
    std::vector<KeyAction> out;
    for (PushSource source : {kDpadLeft, kDpadRight, kStick}) {
        push(source, 0, out);
    }
    hold(startHeld_, false, keys::kEscape, out);
    hold(aHeld_, false, keys::kReturn, out);
    return out;
}

int GamepadKeys::direction() const {
    const Push* latest = nullptr;
    for (const Push& push : pushes_) {
        if (push.direction != 0 && (latest == nullptr || push.since > latest->since)) {
            latest = &push;
        }
    }
    return latest != nullptr ? latest->direction : 0;
}

void GamepadKeys::push(PushSource source, int direction, std::vector<KeyAction>& out) {
    Push& pushed = pushes_[source];
    if (pushed.direction == direction) {
        return;
    }
    const int before = this->direction();
    pushed = {direction, direction != 0 ? ++pushCount_ : 0};
    const int after = this->direction();
    if (after == before) {
        return;
    }
    if (before != 0) {
        out.push_back({KeyAction::Kind::Up, keyOf(before), 0});
    }
    if (after != 0) {
        out.push_back({KeyAction::Kind::Down, keyOf(after), 0});
    }
}

void GamepadKeys::hold(bool& held, bool down, std::int16_t key, std::vector<KeyAction>& out) const {
    if (held != down) {
        held = down;
        out.push_back({down ? KeyAction::Kind::Down : KeyAction::Kind::Up, key, 0});
    }
}

}  // namespace platform::desktop
