#pragma once

#include <cstddef>
#include <cstdint>
#include <future>
#include <string>
#include <vector>

#include "platform/desktop/sound/sdl/sdl_audio.h"
#include "platform/wave_player.h"

namespace platform::desktop {

// A wave player on one mixer channel of the shared engine. OpenWave decodes
// the whole file beside the GUI thread, so that opening the game's sounds
// does not hold up its first window; the first call that needs the samples
// waits for them. Playing from a position plays the rest of that buffer.
class SdlWavePlayer final : public platform::WavePlayer {
public:
    // The argument of onWaveNotify: playback ran to the end of the file (the
    // code Windows MCI uses for a successful play).
    static constexpr std::int32_t kNoticeSuccessful = 1;

    explicit SdlWavePlayer(SdlAudioEngine& engine);
    ~SdlWavePlayer() override;
    SdlWavePlayer(const SdlWavePlayer&) = delete;
    SdlWavePlayer& operator=(const SdlWavePlayer&) = delete;

    void OpenWave(const std::string& path) override;
    void PlayWave(std::int32_t from, std::int32_t to, bool wait) override;
    void StopWave() override;
    // Position in milliseconds from the start, clamped to the file's length.
    void SeekWave(std::int32_t position) override;
    std::int32_t WaveMode() override;
    void CloseWave() override;

private:
    // Waits for the decoding if it still runs; false when the player is silent.
    bool loaded();
    void startPlayback();
    void raiseNotice();
    std::size_t byteOffsetOf(std::int32_t milliseconds) const;

    SdlAudioEngine& engine_;
    int channel_ = -1;
    // The whole decoded file while it is being decoded; empty when silent.
    std::future<std::vector<std::uint8_t>> decoding_;
    std::vector<std::uint8_t> samples_;
    std::size_t startByte_ = 0;  // where the next fresh play begins
};

}  // namespace platform::desktop
