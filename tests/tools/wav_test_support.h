#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

// Test-side helpers: an independent reader for the WAV bytes the writer
// produces, and a scratch folder that cleans up after itself.
namespace wavesynth::testing {

struct DecodedWav {
    std::string riffTag, waveTag, fmtTag, dataTag;
    std::uint32_t riffSize = 0;
    std::uint32_t fmtSize = 0;
    std::uint16_t format = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint32_t dataSize = 0;
    std::vector<std::int16_t> samples;
};

inline std::uint32_t readLittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t at,
                                      int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | bytes.at(at + static_cast<std::size_t>(i));
    }
    return value;
}

inline DecodedWav decodeWav(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 44) {
        throw std::runtime_error("shorter than a WAV header");
    }
    const auto tag = [&](std::size_t at) {
        return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                           bytes.begin() + static_cast<std::ptrdiff_t>(at + 4));
    };
    const auto u16 = [&](std::size_t at) {
        return static_cast<std::uint16_t>(readLittleEndian(bytes, at, 2));
    };
    const auto u32 = [&](std::size_t at) { return readLittleEndian(bytes, at, 4); };

    DecodedWav wav;
    wav.riffTag = tag(0);
    wav.riffSize = u32(4);
    wav.waveTag = tag(8);
    wav.fmtTag = tag(12);
    wav.fmtSize = u32(16);
    wav.format = u16(20);
    wav.channels = u16(22);
    wav.sampleRate = u32(24);
    wav.byteRate = u32(28);
    wav.blockAlign = u16(32);
    wav.bitsPerSample = u16(34);
    wav.dataTag = tag(36);
    wav.dataSize = u32(40);
    for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
        wav.samples.push_back(static_cast<std::int16_t>(u16(at)));
    }
    return wav;
}

inline std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A fresh, uniquely named folder under the system temp folder.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "wavesynth-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temp folder");
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace wavesynth::testing
