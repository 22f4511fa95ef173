#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::desktop {

// The one sample layout the engine mixes in and every sound is decoded to:
// 16-bit stereo at 44.1 kHz. The output device is opened with exactly this
// layout (SDL converts, should the hardware want another), so a sound can be
// decoded while no device is open and stays valid across a change of device.
struct MixFormat {
    static constexpr int kFrequency = 44100;
    static constexpr SDL_AudioFormat kSampleFormat = AUDIO_S16SYS;
    static constexpr int kChannels = 2;
    static constexpr std::size_t kFrameBytes = 2 * kChannels;
};

// The whole of a wave file, converted to MixFormat; empty with `failure`
// set when it cannot be read. Takes ownership of `file`. Safe on any thread.
std::vector<std::uint8_t> decodeWave(SDL_RWops* file, std::string& failure);

}  // namespace platform::desktop
