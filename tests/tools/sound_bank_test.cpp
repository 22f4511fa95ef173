#include "wavesynth/sound_bank.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <string>

#include "wavesynth/wav_writer.h"

namespace wavesynth {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Pcm = std::vector<std::int16_t>;

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// An empty folder for the running test, under the test framework's temp folder.
std::filesystem::path scratchFolder() {
    const auto folder = std::filesystem::path(::testing::TempDir()) /
                        (std::string("wavesynth_") + std::to_string(::getpid()) + "_" +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// Rendering takes most of a second, so it happens once per process.
const std::map<std::string, Bytes>& renderedFiles() {
    static const auto files = [] {
        std::map<std::string, Bytes> byName;
        for (const SoundRecipe& recipe : soundRecipes()) {
            byName[recipe.fileName] = encodeWav(recipe.render(), 1);
        }
        return byName;
    }();
    return files;
}

// The samples of a rendered file, read back from its bytes.
Pcm pcmOf(const std::string& name) {
    const Bytes& bytes = renderedFiles().at(name);
    Pcm pcm;
    for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
        pcm.push_back(static_cast<std::int16_t>(bytes[at] | bytes[at + 1] << 8));
    }
    return pcm;
}

constexpr double kFullScale = 32767.0;

TEST(SoundBank, WritesFiveCleanSoundsTheSameOnEveryRun) {
    const std::map<std::string, std::pair<double, double>> secondsLong = {
        {"MainMusic.wav", {24.0, 40.0}},  {"HighScore.wav", {2.0, 3.0}},
        {"GameOver.wav", {2.0, 3.0}},     {"BonusCollected.wav", {0.6, 0.9}},
        {"BallBounce.wav", {0.06, 0.12}},
    };
    ASSERT_EQ(renderedFiles().size(), secondsLong.size());
    for (const SoundRecipe& sound : soundRecipes()) {
        SCOPED_TRACE(sound.fileName);
        EXPECT_EQ(sound.loops, std::string(sound.fileName) == "MainMusic.wav");
        const Pcm pcm = pcmOf(sound.fileName);
        const auto [minSeconds, maxSeconds] = secondsLong.at(sound.fileName);
        const double seconds = static_cast<double>(pcm.size()) / kSampleRate;
        EXPECT_TRUE(seconds >= minSeconds && seconds <= maxSeconds) << seconds;

        const auto [low, high] = std::minmax_element(pcm.begin(), pcm.end());
        const double peak = std::max(-static_cast<double>(*low), static_cast<double>(*high));
        const double mean = std::accumulate(pcm.begin(), pcm.end(), 0.0) / pcm.size();
        EXPECT_LT(peak, kFullScale * std::pow(10.0, -1.0 / 20.0)) << "clips past -1 dBFS";
        EXPECT_GT(peak, kFullScale * 0.1) << "barely audible";
        EXPECT_LT(std::fabs(mean), kFullScale * 0.001) << "sits off centre";
        if (!sound.loops) {
            // An effect is heard within 2 ms of its event and clicks neither on nor off.
            const auto audible = std::find_if(pcm.begin(), pcm.end(), [](std::int16_t s) {
                return std::abs(s) > kFullScale * 0.01;
            });
            EXPECT_LT(audible - pcm.begin(), kSampleRate * 2 / 1000) << "starts late";
            EXPECT_LE(std::abs(pcm.front()), 2) << "starts with a click";
            EXPECT_LE(std::abs(pcm.back()), 2) << "ends with a click";
        }
    }

    // A second, independent render into folders that do not exist yet.
    const std::filesystem::path scratch = scratchFolder();
    writeSoundBank(scratch / "build" / "bin");
    std::map<std::string, Bytes> writtenFiles;
    for (const auto& entry : std::filesystem::directory_iterator(scratch / "build" / "bin")) {
        writtenFiles[entry.path().filename().string()] = readFile(entry.path());
    }
    EXPECT_TRUE(writtenFiles == renderedFiles()) << "the files differ from the first render";
    std::filesystem::remove_all(scratch);
}

TEST(SoundBank, MusicLoopsWithoutAGapOrClick) {
    const Pcm pcm = pcmOf("MainMusic.wav");
    ASSERT_FALSE(pcm.empty());
    const auto size = static_cast<std::ptrdiff_t>(pcm.size());
    const auto at = [&](std::ptrdiff_t i) {  // the loop as a circle
        return static_cast<double>(pcm[static_cast<std::size_t>((i % size + size) % size)]);
    };
    const auto step = [&](std::ptrdiff_t i) { return at(i) - at(i - 1); };
    double meanStep = 0.0, meanBend = 0.0;  // a change of step (a kink) clicks too
    for (std::ptrdiff_t i = 1; i < size; ++i) {
        meanStep += std::fabs(step(i)) / static_cast<double>(size);
        meanBend += std::fabs(step(i) - step(i - 1)) / static_cast<double>(size);
    }
    // Sample 0 follows the last sample when the game restarts the track.
    EXPECT_LE(std::fabs(step(0)), meanStep) << "seam jumps by " << step(0);
    EXPECT_LE(std::fabs(step(0) - step(-1)), meanBend);
    // Neither end may be silence, or the restart would be heard as a gap.
    const std::ptrdiff_t window = kSampleRate / 20;
    for (const auto from : {pcm.begin(), pcm.end() - window}) {
        const double rms = std::sqrt(std::inner_product(from, from + window, from, 0.0) / window);
        EXPECT_GT(rms, kFullScale * 0.01)
            << "silent at the " << (from == pcm.begin() ? "start" : "end");
    }
}

// The build runs the tool; when it cannot write, the build must stop with a reason.
TEST(WavesynthTool, FailsWithAReasonWhenItCannotWrite) {
    const std::filesystem::path scratch = scratchFolder();
    std::ofstream(scratch / "file") << "in the way";
    const std::string blocked = (scratch / "file" / "bin").string();
    const std::pair<std::string, std::string> cases[] = {{"'" + blocked + "'", blocked},
                                                         {"", "usage"}};
    for (const auto& [arguments, reason] : cases) {
        const std::string log = (scratch / "log").string();
        const int status = std::system(
            ("'" + std::string(WAVESYNTH_TOOL) + "' " + arguments + " 2>'" + log + "'").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << arguments;
        const Bytes said = readFile(log);
        EXPECT_NE(std::string(said.begin(), said.end()).find(reason), std::string::npos)
            << std::string(said.begin(), said.end());
    }
    std::filesystem::remove_all(scratch);
}

}  // namespace
}  // namespace wavesynth
