#include "platform/qt/sdl_wave_player.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform::qt {

SdlWavePlayer::SdlWavePlayer(SdlAudioEngine& engine)
    : engine_(engine), channel_(engine.acquireChannel([this] { raiseNotice(); })) {}

SdlWavePlayer::~SdlWavePlayer() {
    CloseWave();
    engine_.releaseChannel(channel_);
}

void SdlWavePlayer::OpenWave(const std::string& path) {
    CloseWave();
    // Without an output the engine has already said that the game is mute.
    if (channel_ < 0) {
        return;
    }
    // Opened apart from the decoding, so that a missing or unreadable file
    // is reported by its reason rather than as the decoder's empty input.
    errno = 0;
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "tumbrix: cannot open sound \"%s\" (%s); it stays silent\n",
                     path.c_str(), errno != 0 ? std::strerror(errno) : SDL_GetError());
        return;
    }
    sample_ = Mix_LoadWAV_RW(file, 1);
    if (sample_ == nullptr) {
        std::fprintf(stderr, "tumbrix: cannot load sound \"%s\" (%s); it stays silent\n",
                     path.c_str(), Mix_GetError());
        return;
    }
    if (sample_->alen < engine_.frameBytes()) {
        // A sound without samples would end the moment it starts, and a
        // looping tune would restart itself without pause.
        std::fprintf(stderr, "tumbrix: sound \"%s\" holds no audio; it stays silent\n",
                     path.c_str());
        Mix_FreeChunk(sample_);
        sample_ = nullptr;
        return;
    }
    startByte_ = 0;
}

void SdlWavePlayer::PlayWave(std::int32_t /*from*/, std::int32_t /*to*/, bool /*wait*/) {
    if (sample_ == nullptr) {
        return;
    }
    if (engine_.isPaused(channel_)) {
        engine_.resume(channel_);
    } else if (!engine_.isSounding(channel_)) {
        startPlayback();
    }
}

void SdlWavePlayer::StopWave() {
    if (sample_ != nullptr) {
        engine_.pause(channel_);
    }
}

void SdlWavePlayer::SeekWave(std::int32_t position) {
    if (sample_ == nullptr) {
        return;
    }
    startByte_ = byteOffsetOf(position);
    if (engine_.isSounding(channel_)) {
        startPlayback();
    } else if (engine_.isPaused(channel_)) {
        // The paused place is given up: the next play starts at the new one.
        engine_.halt(channel_);
    }
}

std::int32_t SdlWavePlayer::WaveMode() {
    return sample_ != nullptr && engine_.isSounding(channel_) ? kModePlaying : kModeStopped;
}

void SdlWavePlayer::CloseWave() {
    if (sample_ == nullptr) {
        return;
    }
    // Halted before the buffer goes: the mixer reads it until then.
    engine_.halt(channel_);
    Mix_FreeChunk(sample_);
    sample_ = nullptr;
    startByte_ = 0;
}

void SdlWavePlayer::startPlayback() {
    const std::size_t start = startByte_;
    // Once this play has run out, a later one starts from the top again.
    startByte_ = 0;
    engine_.play(channel_, sample_->abuf + start, sample_->alen - start);
}

void SdlWavePlayer::raiseNotice() {
    // A copy: the handler may close or destroy this player.
    const auto handler = onWaveNotify;
    if (handler) {
        handler(kNoticeSuccessful);
    }
}

std::size_t SdlWavePlayer::byteOffsetOf(std::int32_t milliseconds) const {
    const std::size_t frameBytes = engine_.frameBytes();
    const auto totalFrames = static_cast<std::int64_t>(sample_->alen / frameBytes);
    const std::int64_t frames =
        static_cast<std::int64_t>(std::max(milliseconds, 0)) * engine_.frequency() / 1000;
    return static_cast<std::size_t>(std::min(frames, totalFrames)) * frameBytes;
}

}  // namespace platform::qt
