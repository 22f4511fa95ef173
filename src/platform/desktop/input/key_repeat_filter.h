#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::desktop {

// A key event as the game receives it.
struct KeyAction {
    enum class Kind { Down, Up };
    Kind kind;
    std::int16_t keyCode;
    std::int16_t shift;

    bool operator==(const KeyAction&) const = default;
};

// Turns the keyboard events of one window into the key-downs and key-ups the
// game sees. A held key repeats as further key-downs and is released once.
// Under X a held key sometimes produces a release and a press of the same key
// less than a millisecond apart that are not marked as auto-repeat; a release
// is therefore held back for kRejoinMs, and a press of the same key within
// that time continues the hold instead. Time is passed in, in milliseconds of
// a monotonic clock.
class KeyRepeatFilter {
public:
    static constexpr std::int64_t kRejoinMs = 8;

    std::vector<KeyAction> press(std::int16_t keyCode, std::int16_t shift, std::int64_t nowMs);
    std::vector<KeyAction> release(std::int16_t keyCode, std::int16_t shift, bool autoRepeat,
                                   std::int64_t nowMs);
    // Any other keyboard event (a modifier, a key the game has no code for)
    // also proves a held-back release real.
    std::vector<KeyAction> otherKey(std::int64_t nowMs);
    // Releases whose time to be rejoined has run out.
    std::vector<KeyAction> poll(std::int64_t nowMs);
    // When poll next has something to deliver, if ever.
    std::optional<std::int64_t> nextDeadlineMs() const;
    // Forgets a held-back release without delivering it.
    void clear() { pending_.reset(); }

private:
    struct PendingRelease {
        std::int16_t keyCode;
        std::int16_t shift;
        std::int64_t releasedAtMs;
    };

    // Any event other than a press of the same key proves a held-back release
    // real: it is delivered before that event.
    void flushPending(std::vector<KeyAction>& out);

    std::optional<PendingRelease> pending_;
};

}  // namespace platform::desktop
