#include "wavesynth/wav_writer.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <system_error>

namespace wavesynth {

namespace {

constexpr std::uint32_t kHeaderBytes = 44;
constexpr std::uint16_t kBitsPerSample = 16;
constexpr std::uint16_t kPcmFormat = 1;

void putTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
    out.insert(out.end(), tag, tag + 4);
}

void putU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
}

std::int16_t toPcm16(float sample) {
    const double clamped = std::clamp(static_cast<double>(sample), -1.0, 1.0);
    return static_cast<std::int16_t>(std::lround(clamped * 32767.0));
}

std::runtime_error writeError(const std::filesystem::path& path, const std::string& reason) {
    return std::runtime_error("cannot write " + path.string() + ": " + reason);
}

std::string errnoText(int error) {
    return std::generic_category().message(error);
}

void discard(const std::filesystem::path& partial) {
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
}

}  // namespace

std::vector<std::uint8_t> encodeWav(const Samples& samples, int channels, int sampleRate) {
    if (channels < 1 || samples.size() % static_cast<std::size_t>(channels) != 0) {
        throw std::invalid_argument("sample count " + std::to_string(samples.size()) +
                                    " does not fit " + std::to_string(channels) + " channel(s)");
    }
    const std::uint64_t dataBytes = static_cast<std::uint64_t>(samples.size()) * 2;
    if (dataBytes > std::numeric_limits<std::uint32_t>::max() - kHeaderBytes) {
        throw std::length_error("sound too long for a WAV file");
    }
    const auto channelCount = static_cast<std::uint16_t>(channels);
    const auto blockAlign = static_cast<std::uint16_t>(channelCount * kBitsPerSample / 8);

    std::vector<std::uint8_t> out;
    out.reserve(kHeaderBytes + dataBytes);
    putTag(out, "RIFF");
    putU32(out, static_cast<std::uint32_t>(kHeaderBytes - 8 + dataBytes));
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putU32(out, 16);  // size of the PCM format block
    putU16(out, kPcmFormat);
    putU16(out, channelCount);
    putU32(out, static_cast<std::uint32_t>(sampleRate));
    putU32(out, static_cast<std::uint32_t>(sampleRate) * blockAlign);  // bytes per second
    putU16(out, blockAlign);
    putU16(out, kBitsPerSample);
    putTag(out, "data");
    putU32(out, static_cast<std::uint32_t>(dataBytes));
    for (float sample : samples) {
        putU16(out, static_cast<std::uint16_t>(toPcm16(sample)));
    }
    return out;
}

void writeWavFile(const std::filesystem::path& path, const Samples& samples, int channels) {
    const std::vector<std::uint8_t> bytes = encodeWav(samples, channels);
    std::filesystem::path partial = path;
    partial += ".partial";

    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        throw writeError(path, errnoText(errno));
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        const int error = written ? errno : writeErrno;
        discard(partial);
        throw writeError(path, errnoText(error));
    }
    std::error_code renameError;
    std::filesystem::rename(partial, path, renameError);
    if (renameError) {
        discard(partial);
        throw writeError(path, renameError.message());
    }
}

}  // namespace wavesynth
