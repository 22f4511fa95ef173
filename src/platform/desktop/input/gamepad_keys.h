#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/desktop/input/key_repeat_filter.h"

namespace platform::desktop {

// Turns one pad's D-pad, left stick, Start and A into the key-downs and
// key-ups of its player's keys: Left and Right, ESC and ENTER. A push is one
// key-down and letting go one key-up, however long it is held. The D-pad and
// the stick make one direction, the one pushed last among those still held.
// The stick counts as pushed from half-way out and as let go only once back
// within a quarter, so a stick resting near the threshold does not chatter.
class GamepadKeys {
public:
    enum class Button { DpadLeft, DpadRight, Start, A };

    // Stick positions run from -32768 (full left) to 32767 (full right).
    static constexpr int kPushedFrom = 16384;
    static constexpr int kLetGoWithin = 8192;

    GamepadKeys(std::int16_t leftKey, std::int16_t rightKey);

    std::vector<KeyAction> button(Button button, bool down);
    std::vector<KeyAction> stick(int x);
    // Lets go of everything held, as when the pad is pulled out.
    std::vector<KeyAction> releaseAll();

private:
    // A D-pad button or the stick, with the direction it pushes (-1 left,
    // 1 right, 0 none) and when that push began.
    struct Push {
        int direction = 0;
        std::uint64_t since = 0;
    };
    enum PushSource { kDpadLeft, kDpadRight, kStick, kPushSources };

    int direction() const;
    // Changes one source's push and reports how the direction changed.
    void push(PushSource source, int direction, std::vector<KeyAction>& out);
    void hold(bool& held, bool down, std::int16_t key, std::vector<KeyAction>& out) const;
    std::int16_t keyOf(int direction) const { return direction < 0 ? leftKey_ : rightKey_; }

    std::int16_t leftKey_;
    std::int16_t rightKey_;
    std::array<Push, kPushSources> pushes_{};
    std::uint64_t pushCount_ = 0;
    bool startHeld_ = false;
    bool aHeld_ = false;
};

}  // namespace platform::desktop
