// The SDL wave player, played for real on SDL's silent driver (which keeps
// time like a sound card). These tests wait for audio time, so they poll with
// deadlines and allow generous margins for a busy machine.
#include "platform/qt/sdl_wave_player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace platform::qt {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kShortMs = 200;
constexpr int kLongMs = 1000;
// Timing slack: the silent driver runs in 11 ms steps, and CI machines are busy.
constexpr double kSlackMs = 150;

void writeLe(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// A 16-bit PCM sine of the given length, rate and channel count.
void writeSineWav(const std::filesystem::path& path, int ms, int rate, int channels) {
    const std::uint32_t frames = static_cast<std::uint32_t>(rate) * ms / 1000;
    const std::uint32_t dataBytes = frames * channels * 2;
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    writeLe(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    writeLe(out, 16, 4);
    writeLe(out, 1, 2);  // PCM
    writeLe(out, channels, 2);
    writeLe(out, rate, 4);
    writeLe(out, rate * channels * 2, 4);
    writeLe(out, channels * 2, 2);
    writeLe(out, 16, 2);
    out.write("data", 4);
    writeLe(out, dataBytes, 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto sample =
            static_cast<std::int16_t>(6000 * std::sin(i * 2 * std::numbers::pi * 440 / rate));
        for (int c = 0; c < channels; ++c) {
            writeLe(out, static_cast<std::uint16_t>(sample), 2);
        }
    }
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Counts the notices a player raises and where they arrive.
struct NoticeLog {
    int count = 0;
    std::int32_t lastArgument = 0;
    bool allOnTestThread = true;

    void attach(SdlWavePlayer& player) {
        player.onWaveNotify = [this, testThread = std::this_thread::get_id()](std::int32_t arg) {
            ++count;
            lastArgument = arg;
            allOnTestThread = allOnTestThread && std::this_thread::get_id() == testThread;
        };
    }
};

class SdlWavePlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::filesystem::temp_directory_path() /
                  ("tumbrix_audio_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        // Mono at 22.05 kHz, so loading has to convert it to the mixer's format.
        writeSineWav(shortWav(), kShortMs, 22050, 1);
        writeSineWav(longWav(), kLongMs, 44100, 2);
        std::ofstream(garbageWav()) << "this is no sound file at all\n";
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

    static std::string shortWav() { return (folder_ / "short.wav").string(); }
    static std::string longWav() { return (folder_ / "long.wav").string(); }
    static std::string garbageWav() { return (folder_ / "garbage.wav").string(); }

    std::unique_ptr<SdlWavePlayer> openPlayer(const std::string& path, NoticeLog& log) {
        auto player = std::make_unique<SdlWavePlayer>(engine_);
        player->OpenWave(path);
        log.attach(*player);
        return player;
    }

    // Delivers notices until the condition holds or the time is up.
    bool pumpUntil(const std::function<bool()>& done, double timeoutMs) {
        const auto start = Clock::now();
        while (!done()) {
            if (msSince(start) > timeoutMs) {
                return false;
            }
            std::this_thread::sleep_for(milliseconds(2));
            engine_.deliverPendingNotices();
        }
        return true;
    }
    void pumpFor(double ms) {
        pumpUntil([] { return false; }, ms);
    }
    // Milliseconds from now until the log has reached the count, or -1.
    double msUntilNotices(const NoticeLog& log, int count, double timeoutMs = 3000) {
        const auto start = Clock::now();
        return pumpUntil([&] { return log.count >= count; }, timeoutMs) ? msSince(start) : -1;
    }

    static inline std::filesystem::path folder_;
    SdlAudioEngine engine_;
};

TEST_F(SdlWavePlayerTest, ModeFollowsPlayAndStopAndResumeKeepsThePosition) {
    NoticeLog log;
    auto player = openPlayer(longWav(), log);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);

    const auto started = Clock::now();
    player->PlayWave(-1, -1, false);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying);
    std::this_thread::sleep_for(milliseconds(400));
    player->StopWave();
    const double played = msSince(started);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);

    pumpFor(300);
    EXPECT_EQ(log.count, 0);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);

    player->PlayWave(-1, -1, false);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying);
    // Only the rest of the file is left, not the whole of it.
    EXPECT_NEAR(msUntilNotices(log, 1), kLongMs - played, kSlackMs);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
}

TEST_F(SdlWavePlayerTest, SeekToStartWhilePlayingRestartsAtOnce) {
    NoticeLog log;
    auto player = openPlayer(longWav(), log);
    player->PlayWave(-1, -1, false);
    pumpFor(500);
    player->SeekWave(0);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying);
    EXPECT_NEAR(msUntilNotices(log, 1), kLongMs, kSlackMs);
    pumpFor(100);
    EXPECT_EQ(log.count, 1);
}

TEST_F(SdlWavePlayerTest, SeekWhileStoppedMakesTheNextPlayStartThere) {
    NoticeLog log;
    auto player = openPlayer(longWav(), log);
    player->PlayWave(-1, -1, false);
    std::this_thread::sleep_for(milliseconds(300));
    player->StopWave();
    player->SeekWave(0);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
    pumpFor(50);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(log, 1), kLongMs, kSlackMs);

    // A position inside the file plays only what follows it.
    player->SeekWave(700);
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(log, 2), kLongMs - 700, kSlackMs);

    // Past the end is the end: the play is over as soon as it starts.
    player->SeekWave(kLongMs * 5);
    player->PlayWave(-1, -1, false);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
    EXPECT_LT(msUntilNotices(log, 3), 100);
}

TEST_F(SdlWavePlayerTest, EachNaturalEndGivesOneNoticeOnlyWhenDelivered) {
    std::atomic<int> wakes{0};
    std::atomic<bool> wokenOnTestThread{false};
    engine_.setWake([&, testThread = std::this_thread::get_id()] {
        wokenOnTestThread = wokenOnTestThread || std::this_thread::get_id() == testThread;
        ++wakes;
    });
    NoticeLog log;
    auto player = openPlayer(shortWav(), log);

    // Waits without delivering anything.
    const auto waitForWake = [&](int count) {
        const auto deadline = Clock::now() + milliseconds(2000);
        while (wakes < count && Clock::now() < deadline) {
            std::this_thread::sleep_for(milliseconds(1));
        }
        return wakes >= count;
    };

    const auto started = Clock::now();
    player->PlayWave(-1, -1, false);
    EXPECT_TRUE(waitForWake(1));
    // The mono 22 kHz file lasts as long as it should after conversion.
    EXPECT_NEAR(msSince(started), kShortMs, kSlackMs / 2);
    EXPECT_EQ(wakes, 1);
    EXPECT_FALSE(wokenOnTestThread);
    EXPECT_EQ(log.count, 0) << "notices come only from deliverPendingNotices";
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);

    engine_.deliverPendingNotices();
    EXPECT_EQ(log.count, 1);
    EXPECT_EQ(log.lastArgument, SdlWavePlayer::kNoticeSuccessful);
    EXPECT_TRUE(log.allOnTestThread);
    pumpFor(100);
    EXPECT_EQ(log.count, 1);

    // Restarting after the end, as the music loop does, ends again.
    player->SeekWave(0);
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(log, 2), kShortMs, kSlackMs);
    // A play after the end with no seek starts again from the top.
    player->PlayWave(-1, -1, false);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying);
    EXPECT_NEAR(msUntilNotices(log, 3), kShortMs, kSlackMs);

    // An end that the game overtook with a restart before hearing of it is
    // dropped; only the new playback's end counts.
    const int wakesBefore = wakes;
    player->PlayWave(-1, -1, false);
    EXPECT_TRUE(waitForWake(wakesBefore + 1));
    player->SeekWave(0);
    player->PlayWave(-1, -1, false);
    engine_.deliverPendingNotices();
    EXPECT_EQ(log.count, 3);
    EXPECT_NEAR(msUntilNotices(log, 4), kShortMs, kSlackMs);
    EXPECT_TRUE(log.allOnTestThread);
}

TEST_F(SdlWavePlayerTest, NoNoticeForStopSeekCloseOrDestruction) {
    NoticeLog stopped, restarted, closed, destroyed;
    auto stopPlayer = openPlayer(shortWav(), stopped);
    auto seekPlayer = openPlayer(shortWav(), restarted);
    auto closePlayer = openPlayer(shortWav(), closed);
    auto doomedPlayer = openPlayer(shortWav(), destroyed);
    for (auto* player :
         {stopPlayer.get(), seekPlayer.get(), closePlayer.get(), doomedPlayer.get()}) {
        player->PlayWave(-1, -1, false);
    }
    pumpFor(50);
    stopPlayer->StopWave();
    closePlayer->CloseWave();
    doomedPlayer.reset();

    // Restarting again and again for longer than the file never lets it end.
    const auto start = Clock::now();
    while (msSince(start) < kShortMs * 2) {
        seekPlayer->SeekWave(0);
        pumpFor(40);
    }
    EXPECT_EQ(seekPlayer->WaveMode(), WavePlayer::kModePlaying);
    EXPECT_EQ(restarted.count, 0);
    EXPECT_EQ(stopped.count, 0);
    EXPECT_EQ(closed.count, 0);
    EXPECT_EQ(destroyed.count, 0);

    // A closed player is silent for good.
    closePlayer->PlayWave(-1, -1, false);
    closePlayer->SeekWave(0);
    EXPECT_EQ(closePlayer->WaveMode(), WavePlayer::kModeStopped);

    EXPECT_GT(msUntilNotices(restarted, 1), 0);
    pumpFor(50);
    EXPECT_EQ(restarted.count, 1);
    EXPECT_EQ(closed.count, 0);
}

TEST_F(SdlWavePlayerTest, MissingOrGarbageFileIsSilentWithOneLineOfComplaint) {
    const std::string missing = (folder_ / "no-such-file.wav").string();
    for (const std::string& path : {missing, garbageWav()}) {
        SCOPED_TRACE(path);
        NoticeLog log;
        testing::internal::CaptureStderr();
        auto player = openPlayer(path, log);
        const std::string complaint = testing::internal::GetCapturedStderr();
        EXPECT_NE(complaint.find(path), std::string::npos) << complaint;
        EXPECT_EQ(std::count(complaint.begin(), complaint.end(), '\n'), 1) << complaint;

        player->PlayWave(-1, -1, false);
        EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
        player->SeekWave(0);
        player->StopWave();
        player->PlayWave(-1, -1, false);
        pumpFor(100);
        EXPECT_EQ(log.count, 0);
        EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
        player->CloseWave();
    }
}

TEST_F(SdlWavePlayerTest, SeveralPlayersSoundAtOnce) {
    std::vector<NoticeLog> logs(5);
    std::vector<std::unique_ptr<SdlWavePlayer>> players;
    for (auto& log : logs) {
        players.push_back(openPlayer(shortWav(), log));
    }
    for (auto& player : players) {
        player->PlayWave(-1, -1, false);
    }
    for (auto& player : players) {
        EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying);
    }
    EXPECT_TRUE(pumpUntil(
        [&] { return std::all_of(logs.begin(), logs.end(), [](auto& l) { return l.count > 0; }); },
        2000));
    pumpFor(50);
    for (const auto& log : logs) {
        EXPECT_EQ(log.count, 1);
    }
}

TEST(SdlAudioEngineTest, FallsBackToTheSilentDriverWhenNoDeviceOpens) {
    const char* previous = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = previous != nullptr ? previous : "";
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    auto engine = std::make_unique<SdlAudioEngine>();
    const std::string said = testing::internal::GetCapturedStderr();
    previous != nullptr ? ::setenv("SDL_AUDIODRIVER", saved.c_str(), 1)
                        : ::unsetenv("SDL_AUDIODRIVER");

    EXPECT_TRUE(engine->isOpen());
    EXPECT_EQ(engine->driverName(), "dummy");
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("silence"), std::string::npos) << said;
    EXPECT_THROW(SdlAudioEngine{}, std::logic_error);

    // In silence, sounds still take their time and end with a notice.
    const auto path = std::filesystem::temp_directory_path() /
                      ("tumbrix_fallback_" + std::to_string(::getpid()) + ".wav");
    writeSineWav(path, kShortMs, 44100, 2);
    SdlWavePlayer player(*engine);
    player.OpenWave(path.string());
    int notices = 0;
    player.onWaveNotify = [&](std::int32_t) { ++notices; };
    const auto started = Clock::now();
    player.PlayWave(-1, -1, false);
    while (notices == 0 && msSince(started) < 2000) {
        std::this_thread::sleep_for(milliseconds(2));
        engine->deliverPendingNotices();
    }
    EXPECT_EQ(notices, 1);
    EXPECT_NEAR(msSince(started), kShortMs, kSlackMs);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace platform::qt
