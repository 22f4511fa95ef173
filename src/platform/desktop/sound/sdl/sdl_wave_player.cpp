#include "platform/desktop/sound/sdl/sdl_wave_player.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/desktop/sound/sdl/wave_decoding.h"

namespace platform::desktop {

SdlWavePlayer::SdlWavePlayer(SdlAudioEngine& engine)
    : engine_(engine), channel_(engine.acquireChannel([this] { raiseNotice(); })) {}

SdlWavePlayer::~SdlWavePlayer() {
    CloseWave();
    engine_.releaseChannel(channel_);
}

void SdlWavePlayer::OpenWave(const std::string& path) {
    CloseWave();
    // Without a channel the engine has already said that this sound is mute.
    if (channel_ < 0) {
        return;
    }
    // Opened here rather than in the decoding, so that a missing or
    // unreadable file is reported at once and by its reason.
    errno = 0;
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "tumbrix: cannot open sound \"%s\" (%s); it stays silent\n",
                     path.c_str(), errno != 0 ? std::strerror(errno) : SDL_GetError());
        return;
    }
    decoding_ = std::async(std::launch::async, [file, path] {
        std::string failure;
        std::vector<std::uint8_t> samples = decodeWave(file, failure);
        if (samples.empty()) {
            // A sound without samples would end the moment it starts, and a
            // looping tune would restart itself without pause.
            std::fprintf(stderr, "tumbrix: cannot load sound \"%s\" (%s); it stays silent\n",
                         path.c_str(), failure.empty() ? "it holds no audio" : failure.c_str());
        }
        return samples;
    });
}

bool SdlWavePlayer::loaded() {
    if (decoding_.valid()) {
        samples_ = decoding_.get();
    }
    return !samples_.empty();
}

void SdlWavePlayer::PlayWave(std::int32_t /*from*/, std::int32_t /*to*/, bool /*wait*/) {
    if (!loaded()) {
        return;
    }
    if (engine_.isPaused(channel_)) {
        engine_.resume(channel_);
    } else if (!engine_.isSounding(channel_)) {
        startPlayback();
    }
}

void SdlWavePlayer::StopWave() {
    if (loaded()) {
        engine_.pause(channel_);
    }
}

void SdlWavePlayer::SeekWave(std::int32_t position) {
    if (!loaded()) {
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
    // Still decoding: nothing can have started yet.
    return !decoding_.valid() && !samples_.empty() && engine_.isSounding(channel_) ? kModePlaying
                                                                                   : kModeStopped;
}

void SdlWavePlayer::CloseWave() {
    if (decoding_.valid()) {
        decoding_.wait();
        decoding_ = {};
    }
    // Halted before the buffer goes: the mixer reads it until then.
    engine_.halt(channel_);
    samples_ = {};
    startByte_ = 0;
}

void SdlWavePlayer::startPlayback() {
    const std::size_t start = startByte_;
    // Once this play has run out, a later one starts from the top again.
    startByte_ = 0;
    engine_.play(channel_, samples_.data() + start, samples_.size() - start);
}

void SdlWavePlayer::raiseNotice() {
    // A copy: the handler may close or destroy this player.
    const auto handler = onWaveNotify;
    if (handler) {
        handler(kNoticeSuccessful);
    }
}

std::size_t SdlWavePlayer::byteOffsetOf(std::int32_t milliseconds) const {
    const auto totalFrames = static_cast<std::int64_t>(samples_.size() / MixFormat::kFrameBytes);
    const std::int64_t frames =
        static_cast<std::int64_t>(std::max(milliseconds, 0)) * MixFormat::kFrequency / 1000;
    return static_cast<std::size_t>(std::min(frames, totalFrames)) * MixFormat::kFrameBytes;
}

}  // namespace platform::desktop
