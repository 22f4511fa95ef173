#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wave_player.h"

namespace platform::headless {

// A wave player that plays nothing and writes every call into a shared log
// as "<file name> <call>", e.g. "MainMusic.wav PlayWave". It behaves like a
// real player (playing after PlayWave, stopped after StopWave); a test may
// force the mode or end the playback to raise the end notice.
class RecordingWavePlayer : public WavePlayer {
public:
    explicit RecordingWavePlayer(std::vector<std::string>& log) : log_(log) {}

    void OpenWave(const std::string& path) override;
    void PlayWave(std::int32_t from, std::int32_t to, bool wait) override;
    void StopWave() override;
    void SeekWave(std::int32_t position) override;
    std::int32_t WaveMode() override;
    void CloseWave() override;

    // The file name given to OpenWave, without its folder.
    const std::string& fileName() const { return fileName_; }
    // The next WaveMode reads return this instead of the player's own mode.
    void forceMode(std::int32_t mode) { forcedMode_ = mode; }
    // The sound reached its end: stop and raise the end notice.
    void finishPlayback();

private:
    void record(const std::string& call);

    std::vector<std::string>& log_;
    std::string fileName_ = "(unopened)";
    bool playing_ = false;
    bool closed_ = false;
    std::int32_t forcedMode_ = 0;
};

}  // namespace platform::headless
