#pragma once

#include <SDL_mixer.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/qt/sdl_audio.h"
#include "platform/wave_player.h"

namespace platform::qt {

// A wave player on one mixer channel of the shared engine. The whole file is
// decoded at OpenWave; playing from a position plays the rest of that buffer.
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
    void startPlayback();
    void raiseNotice();
    std::size_t byteOffsetOf(std::int32_t milliseconds) const;

    SdlAudioEngine& engine_;
    int channel_ = -1;
    Mix_Chunk* sample_ = nullptr;  // the whole decoded file; null when silent
    std::size_t startByte_ = 0;    // where the next fresh play begins
};

}  // namespace platform::qt
