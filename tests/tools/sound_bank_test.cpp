#include "wavesynth/sound_bank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <stdexcept>

#include "wav_test_support.h"
#include "wavesynth/wav_writer.h"

namespace wavesynth {
namespace {

struct Rendered {
    bool loops;
    std::vector<std::uint8_t> bytes;
    testing::DecodedWav wav;
};

// Rendering the music takes a moment, so each sound is rendered once per run.
const std::map<std::string, Rendered>& renderedSounds() {
    static const std::map<std::string, Rendered> sounds = [] {
        std::map<std::string, Rendered> byName;
        for (const SoundRecipe& recipe : soundRecipes()) {
            std::vector<std::uint8_t> bytes = encodeWav(recipe.render(), 1);
            testing::DecodedWav wav = testing::decodeWav(bytes);
            byName.emplace(recipe.fileName,
                           Rendered{recipe.loops, std::move(bytes), std::move(wav)});
        }
        return byName;
    }();
    return sounds;
}

constexpr double kFullScale = 32767.0;

double seconds(const testing::DecodedWav& wav) {
    return static_cast<double>(wav.samples.size()) / wav.sampleRate;
}

double rmsDbfs(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = from; i < from + count; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return 20.0 * std::log10(std::sqrt(sum / static_cast<double>(count)) / kFullScale + 1e-12);
}

std::size_t samplesIn(double secondsLong) {
    return static_cast<std::size_t>(secondsLong * kSampleRate);
}

TEST(SoundBank, HasTheFiveGameSoundsAsMono16Bit) {
    const std::set<std::string> expected = {"MainMusic.wav", "HighScore.wav", "GameOver.wav",
                                            "BonusCollected.wav", "BallBounce.wav"};
    std::set<std::string> names;
    for (const auto& [name, sound] : renderedSounds()) {
        names.insert(name);
        EXPECT_EQ(sound.wav.channels, 1u) << name;
        EXPECT_EQ(sound.wav.sampleRate, 44100u) << name;
        EXPECT_EQ(sound.wav.bitsPerSample, 16u) << name;
        EXPECT_EQ(sound.wav.dataSize, sound.wav.samples.size() * 2) << name;
        EXPECT_EQ(sound.loops, name == "MainMusic.wav") << name;
    }
    EXPECT_EQ(names, expected);
}

TEST(SoundBank, EachSoundLastsAsIntended) {
    const std::map<std::string, std::pair<double, double>> ranges = {
        {"MainMusic.wav", {24.0, 40.0}},  {"HighScore.wav", {2.0, 3.0}},
        {"GameOver.wav", {2.0, 3.0}},     {"BonusCollected.wav", {0.6, 0.9}},
        {"BallBounce.wav", {0.06, 0.12}},
    };
    for (const auto& [name, range] : ranges) {
        const double length = seconds(renderedSounds().at(name).wav);
        EXPECT_GE(length, range.first) << name;
        EXPECT_LE(length, range.second) << name;
    }
}

TEST(SoundBank, NothingClipsAndNothingSitsOffCentre) {
    const double ceiling = kFullScale * std::pow(10.0, -1.0 / 20.0);  // -1 dBFS
    for (const auto& [name, sound] : renderedSounds()) {
        const auto& samples = sound.wav.samples;
        double peak = 0.0;
        double sum = 0.0;
        for (std::int16_t s : samples) {
            peak = std::max(peak, std::fabs(static_cast<double>(s)));
            sum += s;
        }
        EXPECT_LT(peak, ceiling) << name;
        EXPECT_GT(peak, kFullScale * 0.1) << name << " is barely audible";
        EXPECT_LT(std::fabs(sum / static_cast<double>(samples.size())), kFullScale * 0.001) << name;
    }
}

TEST(SoundBank, MusicLeavesHeadroomForEffects) {
    const auto& samples = renderedSounds().at("MainMusic.wav").wav.samples;
    const double rms = rmsDbfs(samples, 0, samples.size());
    EXPECT_GT(rms, -21.0);
    EXPECT_LT(rms, -15.0);
}

TEST(SoundBank, MusicLoopsWithoutAGapOrClick) {
    const auto& samples = renderedSounds().at("MainMusic.wav").wav.samples;
    const auto at = [&](std::ptrdiff_t i) {  // the loop as a circle
        const auto size = static_cast<std::ptrdiff_t>(samples.size());
        return static_cast<double>(samples[static_cast<std::size_t>((i % size + size) % size)]);
    };
    const auto step = [&](std::ptrdiff_t i) { return at(i) - at(i - 1); };
    double meanStep = 0.0;
    double meanBend = 0.0;  // change of step: a kink is heard as a click too
    for (std::ptrdiff_t i = 1; i < static_cast<std::ptrdiff_t>(samples.size()); ++i) {
        meanStep += std::fabs(step(i));
        meanBend += std::fabs(step(i) - step(i - 1));
    }
    meanStep /= static_cast<double>(samples.size());
    meanBend /= static_cast<double>(samples.size());
    // Sample 0 follows the last sample when the game restarts the track.
    EXPECT_LE(std::fabs(step(0)), meanStep) << "seam jumps by " << step(0);
    EXPECT_LE(std::fabs(step(0) - step(-1)), meanBend);
    EXPECT_LE(std::fabs(step(1) - step(0)), meanBend);

    // Neither end may be silence, or the restart would be heard as a gap.
    const std::size_t window = samplesIn(0.05);
    EXPECT_GT(rmsDbfs(samples, 0, window), -40.0);
    EXPECT_GT(rmsDbfs(samples, samples.size() - window, window), -40.0);
}

TEST(SoundBank, EffectsSoundAtOnceAndEndOnSilence) {
    for (const auto& [name, sound] : renderedSounds()) {
        if (sound.loops) {
            continue;
        }
        const auto& samples = sound.wav.samples;
        EXPECT_LE(std::abs(samples.front()), 2) << name << " starts with a click";
        EXPECT_LE(std::abs(samples.back()), 2) << name << " ends with a click";
        const auto audible = std::find_if(samples.begin(), samples.end(), [](std::int16_t s) {
            return std::abs(s) > kFullScale * 0.01;  // -40 dBFS
        });
        EXPECT_LT(audible - samples.begin(), static_cast<std::ptrdiff_t>(samplesIn(0.002)))
            << name << " starts late";
    }
}

TEST(SoundBank, WritesTheSameFilesOnEveryRun) {
    testing::TempFolder scratch;
    const std::filesystem::path folder = scratch.path() / "build" / "bin";
    writeSoundBank(folder);  // also creates the missing folders

    std::set<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        written.insert(entry.path().filename().string());
    }
    EXPECT_EQ(written.size(), renderedSounds().size());
    for (const auto& [name, sound] : renderedSounds()) {
        EXPECT_TRUE(testing::readFileBytes(folder / name) == sound.bytes)
            << name << " differs between two renders";
    }
}

TEST(SoundBank, RefusesAFolderThatIsAFile) {
    testing::TempFolder scratch;
    const std::filesystem::path notAFolder = scratch.path() / "taken";
    writeWavFile(notAFolder, {0.0f});
    try {
        writeSoundBank(notAFolder);
        FAIL() << "wrote sounds into a file";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(notAFolder.string()), std::string::npos)
            << error.what();
    }
}

}  // namespace
}  // namespace wavesynth
