#pragma once

#include <QTimer>

#include "platform/desktop/sound/sdl/sdl_audio.h"

namespace platform::desktop {

// Runs the sound engine's upkeep on the GUI thread for as long as it holds an
// output, and not at all while it holds none, so a quiet game wakes nothing.
class AudioUpkeepTimer {
public:
    explicit AudioUpkeepTimer(SdlAudioEngine& engine) : engine_(engine) {
        timer_.setInterval(SdlAudioEngine::kUpkeepIntervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (!engine_.upkeep()) {
                timer_.stop();
            }
        });
        engine_.setOnOutputOpened([this] { timer_.start(); });
    }
    ~AudioUpkeepTimer() { engine_.setOnOutputOpened({}); }
    AudioUpkeepTimer(const AudioUpkeepTimer&) = delete;
    AudioUpkeepTimer& operator=(const AudioUpkeepTimer&) = delete;

private:
    SdlAudioEngine& engine_;
    QTimer timer_;
};

}  // namespace platform::desktop
