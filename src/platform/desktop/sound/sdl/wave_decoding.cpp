#include "platform/desktop/sound/sdl/wave_decoding.h"

#include <cstring>

namespace platform::desktop {

std::vector<std::uint8_t> decodeWave(SDL_RWops* file, std::string& failure) {
    SDL_AudioSpec stored{};  // the format the file holds
    Uint8* raw = nullptr;
    Uint32 rawBytes = 0;
    if (SDL_LoadWAV_RW(file, 1, &stored, &raw, &rawBytes) == nullptr) {
        failure = SDL_GetError();
        return {};
    }
    if (rawBytes == 0) {
        // No samples: the caller says so.
        SDL_FreeWAV(raw);
        return {};
    }
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, stored.format, stored.channels, int(stored.freq),
                          MixFormat::kSampleFormat, MixFormat::kChannels,
                          MixFormat::kFrequency) < 0) {
        failure = SDL_GetError();
        SDL_FreeWAV(raw);
        return {};
    }
    // The conversion works in place in a buffer len_mult times the input.
    std::vector<std::uint8_t> samples(std::size_t(rawBytes) * std::size_t(cvt.len_mult));
    std::memcpy(samples.data(), raw, rawBytes);
    SDL_FreeWAV(raw);
    cvt.buf = samples.data();
    cvt.len = int(rawBytes);
    if (cvt.needed != 0 && SDL_ConvertAudio(&cvt) != 0) {
        failure = SDL_GetError();
        return {};
    }
    const std::size_t converted = cvt.needed != 0 ? std::size_t(cvt.len_cvt) : rawBytes;
    // Whole frames only: a cut-off file may end inside one.
    samples.resize(converted / MixFormat::kFrameBytes * MixFormat::kFrameBytes);
    samples.shrink_to_fit();
    return samples;
}

}  // namespace platform::desktop
