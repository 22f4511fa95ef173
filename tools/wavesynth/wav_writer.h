#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "wavesynth/samples.h"

namespace wavesynth {

// A RIFF/WAVE file holding 16-bit little-endian PCM. `samples` are interleaved
// when `channels` > 1. Values beyond [-1, 1] are clamped. Throws
// std::invalid_argument for a channel count that does not divide the samples
// and std::length_error for data too large for a WAV header.
std::vector<std::uint8_t> encodeWav(const Samples& samples, int channels,
                                    int sampleRate = kSampleRate);

// Writes the encoded file beside its final name first and renames it into
// place, so a failed run never leaves a truncated file for the game to load.
// Throws std::runtime_error naming the file and the reason.
void writeWavFile(const std::filesystem::path& path, const Samples& samples, int channels = 1);

}  // namespace wavesynth
