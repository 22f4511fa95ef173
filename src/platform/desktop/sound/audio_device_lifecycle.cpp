#include "platform/desktop/sound/audio_device_lifecycle.h"

#include <utility>

namespace platform::desktop {

AudioDeviceLifecycle::AudioDeviceLifecycle(std::function<std::int64_t()> nowMs)
    : nowMs_(std::move(nowMs)), lastSoundMs_(nowMs_()) {}

bool AudioDeviceLifecycle::tryDeviceNow() {
    const std::int64_t now = nowMs_();
    if (lost_ && lastTryMs_ && now - *lastTryMs_ < kRetryIntervalMs) {
        return false;
    }
    lastTryMs_ = now;
    return true;
}

bool AudioDeviceLifecycle::deviceFailed() {
    return !std::exchange(lost_, true);
}

bool AudioDeviceLifecycle::deviceOpened() {
    return std::exchange(lost_, false);
}

void AudioDeviceLifecycle::sounded() {
    lastSoundMs_ = nowMs_();
}

bool AudioDeviceLifecycle::silentLongEnough() const {
    return nowMs_() - lastSoundMs_ >= kReleaseAfterSilenceMs;
}

}  // namespace platform::desktop
