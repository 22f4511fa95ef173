// The real game on a real sound server: a private PulseAudio with a null
// sink, recorded from its monitor. These wait for real time, a few seconds
// at a time, and skip only where pulseaudio cannot start at all.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "game_process.h"
#include "soundserver/private_sound_server.h"

namespace {

using soundserver::Recording;

constexpr int kRate = 44100;

// The left channel's samples of a recording.
std::vector<int> leftOf(const std::vector<std::int16_t>& stereo) {
    std::vector<int> left;
    for (std::size_t i = 0; i < stereo.size(); i += 2) {
        left.push_back(stereo[i]);
    }
    return left;
}

bool audible(const std::vector<std::int16_t>& samples) {
    return std::any_of(samples.begin(), samples.end(), [](int v) { return std::abs(v) > 100; });
}

// The tune as the game decodes it (16-bit mono at 44.1 kHz after a 44-byte header).
std::vector<int> tuneOf(const fs::path& file) {
    const std::string bytes = contentOf(file);
    std::vector<int> tune;
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2) {
        tune.push_back(std::int16_t(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8));
    }
    return tune;
}

// Where in the tune the frames recorded[at, at + 2048) come from, if they do
// (conversions may move a sample by one step).
std::optional<std::size_t> placeInTune(const std::vector<int>& tune,
                                       const std::vector<int>& recorded, std::size_t at) {
    constexpr std::size_t kWindow = 2048;
    if (at + kWindow > recorded.size()) {
        return std::nullopt;
    }
    for (std::size_t place = 0; place + kWindow <= tune.size(); ++place) {
        std::size_t k = 0;
        while (k < kWindow && std::abs(tune[place + k] - recorded[at + k]) <= 2) {
            ++k;
        }
        if (k == kWindow) {
            return place;
        }
    }
    return std::nullopt;
}

class SoundServerTest : public ProcessTest {
protected:
    void SetUp() override {
        std::string failure;
        if (!server_.start(failure)) {
            GTEST_SKIP() << "no sound server for these tests: " << failure;
        }
        ProcessTest::SetUp();
        environment_ = server_.environment();
        environment_["QT_QPA_PLATFORM"] = "offscreen";
    }

    // Waits until the condition holds, at most `limit`.
    static bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
        for (const auto end = std::chrono::steady_clock::now() + limit;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(50ms)) {
            if (condition()) {
                return true;
            }
        }
        return condition();
    }
    // Waits for the game's stream: its first sound.
    void awaitStream() {
        ASSERT_TRUE(waitUntil([this] { return server_.streams() == 1; }, 20s)) << output();
    }

    soundserver::PrivateSoundServer server_;
};

TEST_F(SoundServerTest, TheMusicOfANewGameIsHeardAndSilenceWithMusicAndEffectsOff) {
    for (const std::string switches : {"", "key Ctrl+M Ctrl+S\n"}) {
        SCOPED_TRACE(switches);
        Recording recording(server_);
        start("await  Tumbrix\n" + switches + "key Ctrl+N\nsleep 2000\nkey Ctrl+X\n");
        expectCleanExit();
        EXPECT_EQ(audible(recording.stop()), switches.empty()) << output();
    }
}

TEST_F(SoundServerTest, PausedTheDeviceGoesAndTheSinkSuspendsAndTheTuneResumesInPlace) {
    Recording before(server_);
    // Effects off, so that only the tune sounds.
    start(
        "await  Tumbrix\nkey Ctrl+S Ctrl+N\nsleep 1500\nkey Escape\nsleep 12000\nkey Escape\n"
        "sleep 1500\nkey Ctrl+X\n");
    awaitStream();
    std::this_thread::sleep_for(2500ms);  // past the pause
    const std::vector<int> played = leftOf(before.stop());
    EXPECT_TRUE(waitUntil([this] { return server_.sinkState() == "SUSPENDED"; }, 8s))
        << server_.sinkState();
    EXPECT_EQ(server_.streams(), 0);
    Recording after(server_);  // wakes the sink, before the resume
    expectCleanExit();
    const std::vector<int> resumed = leftOf(after.stop());

    // The last sound before the pause and the first after it are neighbours in the tune.
    const std::vector<int> tune = tuneOf(folder_ / "MainMusic.wav");
    const auto loud = [](int v) { return std::abs(v) > 0; };
    const auto lastHeard = std::find_if(played.rbegin(), played.rend(), loud);
    const auto firstHeard = std::find_if(resumed.begin(), resumed.end(), loud);
    ASSERT_TRUE(lastHeard != played.rend() && firstHeard != resumed.end()) << output();
    // Clear of the 5 ms fades at either side, and of a glitch that a busy
    // machine may leave in a recording: the nearest window that matches.
    const std::size_t stoppedAt = std::size_t(played.rend() - lastHeard);
    const std::size_t resumedAt = std::size_t(firstHeard - resumed.begin());
    std::optional<double> pausedAtMs, resumedFromMs;
    for (std::size_t step = 0; step < 8 && !(pausedAtMs && resumedFromMs); ++step) {
        const std::size_t back = 2048 + kRate / 50 + step * 1024;
        const std::size_t on = kRate / 50 + step * 1024;
        if (const auto place = placeInTune(tune, played, stoppedAt - back); place && !pausedAtMs) {
            pausedAtMs = double(*place + back) * 1000 / kRate;
        }
        if (const auto place = placeInTune(tune, resumed, resumedAt + on);
            place && !resumedFromMs) {
            resumedFromMs = double(*place - on) * 1000 / kRate;
        }
    }
    ASSERT_TRUE(pausedAtMs && resumedFromMs)
        << "heard until frame " << stoppedAt << " of " << played.size()
        << (pausedAtMs ? "" : " (not found)") << ", from frame " << resumedAt << " of "
        << resumed.size() << (resumedFromMs ? "" : " (not found)");
    EXPECT_NEAR(*resumedFromMs, *pausedAtMs, 30) << "paused at " << *pausedAtMs;
}

TEST_F(SoundServerTest, AfterTheServerIsKilledAndStartedAgainTheNextSoundIsHeard) {
    // The tune plays when the server goes; the resume after it is back is the next sound call.
    start(
        "await  Tumbrix\nkey Ctrl+S Ctrl+N\nsleep 1500\nkey Escape\nsleep 5000\nkey Escape\n"
        "sleep 1500\nkey Ctrl+X\n");
    awaitStream();
    server_.kill();
    std::this_thread::sleep_for(500ms);
    std::string failure;
    ASSERT_TRUE(server_.start(failure)) << failure;
    Recording recording(server_);
    expectCleanExit();
    EXPECT_TRUE(audible(recording.stop())) << output();
    const std::string said = output();
    EXPECT_NE(said.find("sound is lost"), std::string::npos) << said;
    EXPECT_NE(said.find("sound is back"), std::string::npos) << said;
}

}  // namespace
