#pragma once

#include "platform/wave_player.h"

namespace platform::desktop {

// The wave player of a host built without a sound engine: it accepts every
// call and never sounds, so the game runs the same, only quietly.
class SilentWavePlayer final : public WavePlayer {
public:
    void OpenWave(const std::string&) override {}
    void PlayWave(std::int32_t, std::int32_t, bool) override {}
    void StopWave() override {}
    void SeekWave(std::int32_t) override {}
    std::int32_t WaveMode() override { return kModeStopped; }
    void CloseWave() override {}
};

}  // namespace platform::desktop
