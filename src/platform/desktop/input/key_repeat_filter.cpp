#include "platform/desktop/input/key_repeat_filter.h"

namespace platform::desktop {

std::vector<KeyAction> KeyRepeatFilter::press(std::int16_t keyCode, std::int16_t shift,
                                              std::int64_t nowMs) {
    std::vector<KeyAction> out = poll(nowMs);
    if (pending_ && pending_->keyCode == keyCode) {
        // The release was the X server's, not the player's: still held.
        pending_.reset();
    }
    flushPending(out);
    out.push_back({KeyAction::Kind::Down, keyCode, shift});
    return out;
}

std::vector<KeyAction> KeyRepeatFilter::release(std::int16_t keyCode, std::int16_t shift,
                                                bool autoRepeat, std::int64_t nowMs) {
    std::vector<KeyAction> out = poll(nowMs);
    if (autoRepeat) {
        // The key is still down; its one key-up comes with the real release.
        return out;
    }
    flushPending(out);
    pending_ = PendingRelease{keyCode, shift, nowMs};
    return out;
}

std::vector<KeyAction> KeyRepeatFilter::otherKey(std::int64_t nowMs) {
    std::vector<KeyAction> out = poll(nowMs);
    flushPending(out);
    return out;
}

std::vector<KeyAction> KeyRepeatFilter::poll(std::int64_t nowMs) {
    std::vector<KeyAction> out;
    if (pending_ && nowMs - pending_->releasedAtMs >= kRejoinMs) {
        flushPending(out);
    }
    return out;
}

std::optional<std::int64_t> KeyRepeatFilter::nextDeadlineMs() const {
    if (!pending_) {
        return std::nullopt;
    }
    return pending_->releasedAtMs + kRejoinMs;
}

void KeyRepeatFilter::flushPending(std::vector<KeyAction>& out) {
    if (pending_) {
        out.push_back({KeyAction::Kind::Up, pending_->keyCode, pending_->shift});
        pending_.reset();
    }
}

}  // namespace platform::desktop
