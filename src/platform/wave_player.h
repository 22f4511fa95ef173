#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// The sound component the main window places five times: each instance plays
// one wave file. Positions are kept across StopWave so that PlayWave resumes.
class WavePlayer {
public:
    // WaveMode while the sound is playing and not paused.
    static constexpr std::int32_t kModePlaying = 526;
    // WaveMode otherwise (stopped, paused, never started, no file).
    static constexpr std::int32_t kModeStopped = 525;

    virtual ~WavePlayer() = default;

    // Loads the file once. A missing or unreadable file leaves the player silent.
    virtual void OpenWave(const std::string& path) = 0;
    // Resumes, or starts from the position set by the last SeekWave. The two
    // range arguments and the wait flag are accepted as the game passes them
    // (-1, -1, false: the whole file, return at once).
    virtual void PlayWave(std::int32_t from, std::int32_t to, bool wait) = 0;
    // Pauses: the position stays, so a later PlayWave goes on from there.
    virtual void StopWave() = 0;
    // Sets where the next play starts (the game always passes 0); a playing
    // sound restarts from there at once.
    virtual void SeekWave(std::int32_t position) = 0;
    // kModePlaying while playing and not paused, kModeStopped otherwise.
    virtual std::int32_t WaveMode() = 0;
    // Releases the file; the player is silent afterwards.
    virtual void CloseWave() = 0;

    // Raised once, on the GUI thread, when playback reaches the end of the
    // file. Never raised for a stop or seek that the game asked for.
    std::function<void(std::int32_t)> onWaveNotify;
};

}  // namespace platform
