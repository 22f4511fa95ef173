#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace platform::desktop {

// When the sound engine should hold an output device and when it should try
// for one again, kept apart from SDL so that it can be tested on a fake clock.
//
// The device is given back after a spell of silence, so that the sound
// server can suspend its sink and nothing wakes for the game while it is
// quiet. A device that is lost, or cannot be opened, is tried again on a
// later sound call, at most once a second; meanwhile the engine plays on a
// silent driver that keeps time. Losing sound and getting it back are news
// once each, however many tries lie between.
class AudioDeviceLifecycle {
public:
    static constexpr std::int64_t kReleaseAfterSilenceMs = 3000;
    static constexpr std::int64_t kRetryIntervalMs = 1000;

    // nowMs: a monotonic clock in milliseconds.
    explicit AudioDeviceLifecycle(std::function<std::int64_t()> nowMs);

    // Whether a sound call should try the real device now: always while it
    // works, and once a second at most while it is lost. Noted as a try.
    bool tryDeviceNow();
    // The device failed to open, or was lost: true if sound had been there
    // until now (so this is news to report).
    bool deviceFailed();
    // The device is open: true if sound had been lost until now.
    bool deviceOpened();
    bool lost() const { return lost_; }

    // Something sounds at this moment (or starts to).
    void sounded();
    // Nothing has sounded for long enough to give the device back.
    bool silentLongEnough() const;

private:
    std::function<std::int64_t()> nowMs_;
    bool lost_ = false;
    std::optional<std::int64_t> lastTryMs_;
    std::int64_t lastSoundMs_ = 0;
};

}  // namespace platform::desktop
