#include "wavesynth/wav_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "wav_test_support.h"

namespace wavesynth {
namespace {

using testing::decodeWav;

TEST(WavWriter, MonoHeaderDescribes16BitPcmAt44100) {
    const std::vector<std::uint8_t> bytes = encodeWav({0.0f, 1.0f, -1.0f}, 1);
    ASSERT_EQ(bytes.size(), 44u + 6u);
    const testing::DecodedWav wav = decodeWav(bytes);
    EXPECT_EQ(wav.riffTag, "RIFF");
    EXPECT_EQ(wav.riffSize, bytes.size() - 8);
    EXPECT_EQ(wav.waveTag, "WAVE");
    EXPECT_EQ(wav.fmtTag, "fmt ");
    EXPECT_EQ(wav.fmtSize, 16u);
    EXPECT_EQ(wav.format, 1u);
    EXPECT_EQ(wav.channels, 1u);
    EXPECT_EQ(wav.sampleRate, 44100u);
    EXPECT_EQ(wav.byteRate, 88200u);
    EXPECT_EQ(wav.blockAlign, 2u);
    EXPECT_EQ(wav.bitsPerSample, 16u);
    EXPECT_EQ(wav.dataTag, "data");
    EXPECT_EQ(wav.dataSize, 6u);
    EXPECT_EQ(wav.samples, (std::vector<std::int16_t>{0, 32767, -32767}));
}

TEST(WavWriter, StereoFramesAreInterleavedLittleEndian) {
    const std::vector<std::uint8_t> bytes = encodeWav({0.5f, -0.5f, 0.25f, 0.0f}, 2);
    const testing::DecodedWav wav = decodeWav(bytes);
    EXPECT_EQ(wav.channels, 2u);
    EXPECT_EQ(wav.blockAlign, 4u);
    EXPECT_EQ(wav.byteRate, 176400u);
    EXPECT_EQ(wav.dataSize, 8u);
    EXPECT_EQ(wav.riffSize, 36u + 8u);
    // 0.5 * 32767 rounds to 16384 = 0x4000: low byte first.
    EXPECT_EQ(bytes[44], 0x00);
    EXPECT_EQ(bytes[45], 0x40);
    EXPECT_EQ(wav.samples, (std::vector<std::int16_t>{16384, -16384, 8192, 0}));
}

TEST(WavWriter, ClampsSamplesBeyondFullScale) {
    const testing::DecodedWav wav = decodeWav(encodeWav({1.5f, -3.0f}, 1));
    EXPECT_EQ(wav.samples, (std::vector<std::int16_t>{32767, -32767}));
}

TEST(WavWriter, RejectsSamplesThatDoNotFillWholeFrames) {
    EXPECT_THROW(encodeWav({0.1f, 0.2f, 0.3f}, 2), std::invalid_argument);
    EXPECT_THROW(encodeWav({0.1f}, 0), std::invalid_argument);
}

TEST(WavWriter, WritesTheEncodedBytesAndNoLeftovers) {
    testing::TempFolder folder;
    const Samples samples = {0.1f, -0.2f, 0.3f};
    writeWavFile(folder.path() / "tone.wav", samples);

    EXPECT_EQ(testing::readFileBytes(folder.path() / "tone.wav"), encodeWav(samples, 1));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(WavWriter, UnwritablePathThrowsNamingTheFile) {
    testing::TempFolder folder;
    const std::filesystem::path target = folder.path() / "missing" / "tone.wav";
    try {
        writeWavFile(target, {0.0f});
        FAIL() << "writing into a missing folder succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(target.string()), std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace wavesynth
