#include "wavesynth/wav_writer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace wavesynth {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(WavWriter, EncodesTheExactPcmLayout) {
    // 0.5 rounds to 16384 (0x4000), stored low byte first; beyond full scale clamps.
    const Bytes stereo = {
        'R', 'I', 'F', 'F', 44, 0, 0,    0,    'W',  'A',  'V',  'E',  'f',  'm',  't',  ' ', 16, 0,
        0,   0,   1,   0,   2,  0, 0x44, 0xAC, 0,    0,    0x10, 0xB1, 0x02, 0,    4,    0,   16, 0,
        'd', 'a', 't', 'a', 8,  0, 0,    0,    0x00, 0x40, 0x00, 0xC0, 0xFF, 0x7F, 0x01, 0x80};
    EXPECT_EQ(encodeWav({0.5f, -0.5f, 1.5f, -3.0f}, 2), stereo);
    const Bytes mono = {'R',  'I',  'F', 'F', 38,   0,    0,    0, 'W',  'A', 'V', 'E',
                        'f',  'm',  't', ' ', 16,   0,    0,    0, 1,    0,   1,   0,
                        0x44, 0xAC, 0,   0,   0x88, 0x58, 0x01, 0, 2,    0,   16,  0,
                        'd',  'a',  't', 'a', 2,    0,    0,    0, 0x00, 0x20};
    EXPECT_EQ(encodeWav({0.25f}, 1), mono);

    EXPECT_THROW(encodeWav({0.1f, 0.2f, 0.3f}, 2), std::invalid_argument);  // half a frame
    EXPECT_THROW(encodeWav({0.1f}, 0), std::invalid_argument);
}

TEST(WavWriter, WritesWholeFilesOrNamesTheOneItCouldNot) {
    const std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / ("wav_writer_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    writeWavFile(folder / "tone.wav", {0.1f, -0.2f});
    std::ifstream written(folder / "tone.wav", std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(written), {}), encodeWav({0.1f, -0.2f}, 1));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1)
        << "something was left beside the file";

    const std::filesystem::path target = folder / "missing" / "tone.wav";
    try {
        writeWavFile(target, {0.0f});
        ADD_FAILURE() << "writing into a missing folder succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(target.string()), std::string::npos)
            << error.what();
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace wavesynth
