// The SDL wave player, played for real on SDL's silent driver, which keeps time
// like a sound card: the tests poll with deadlines and allow margins for a busy machine.
#include "platform/qt/sdl_wave_player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <thread>

namespace platform::qt {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kShortMs = 200;
constexpr int kLongMs = 1000;
// Timing slack: the silent driver runs in 11 ms steps, and CI machines are busy.
constexpr int kSlackMs = 150;

// Little-endian bytes of a WAV header field.
std::string le(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>(value >> (8 * i));
    }
    return out;
}

// A mono 16-bit PCM file at 22.05 kHz, so loading has to convert it to the
// mixer's format. It holds silence: the silent driver only keeps time.
void writeWav(const std::filesystem::path& path, std::uint32_t ms) {
    const std::uint32_t dataBytes = 22050 * ms / 1000 * 2;
    std::ofstream(path, std::ios::binary)
        << "RIFF" << le(36 + dataBytes, 4) << "WAVEfmt " << le(16, 4) << le(1, 2) << le(1, 2)
        << le(22050, 4) << le(44100, 4) << le(2, 2) << le(16, 2) << "data" << le(dataBytes, 4)
        << std::string(dataBytes, '\0');
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class SdlWavePlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::filesystem::create_directories(folder_);
        writeWav(folder_ / "short.wav", kShortMs);
        writeWav(folder_ / "long.wav", kLongMs);
        std::ofstream(folder_ / "garbage.wav") << "this is no sound file at all\n";
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

    // Opens one of the files; its end notices must arrive on this thread with code 1.
    std::unique_ptr<SdlWavePlayer> openPlayer(const char* name, int& notices) {
        auto player = std::make_unique<SdlWavePlayer>(*engine_);
        player->OpenWave((folder_ / name).string());
        player->onWaveNotify = [&notices, thread = std::this_thread::get_id()](std::int32_t code) {
            EXPECT_EQ(code, SdlWavePlayer::kNoticeSuccessful);
            EXPECT_EQ(std::this_thread::get_id(), thread);
            ++notices;
        };
        return player;
    }

    // Delivers notices until `notices` reaches `count`: the ms that took, or infinity.
    double msUntilNotices(const int& notices, int count, double timeoutMs = 3000) {
        const auto start = Clock::now();
        while (notices < count && msSince(start) < timeoutMs) {
            std::this_thread::sleep_for(milliseconds(2));
            engine_->deliverPendingNotices();
        }
        return notices >= count ? msSince(start) : std::numeric_limits<double>::infinity();
    }
    void pumpFor(double ms) { msUntilNotices(0, 1, ms); }  // a count that is never reached

    static inline const std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() /
        ("tumbrix_audio_test_" + std::to_string(::getpid()));
    std::unique_ptr<SdlAudioEngine> engine_ = std::make_unique<SdlAudioEngine>();
};

TEST_F(SdlWavePlayerTest, StopKeepsThePlaceAndSeekStartsAgainFromTheTop) {
    int notices = 0;
    auto player = openPlayer("long.wav", notices);
    // Stop pauses: the next play resumes, so only the rest of the file is left.
    const auto started = Clock::now();
    player->PlayWave(-1, -1, false);
    std::this_thread::sleep_for(milliseconds(400));
    player->StopWave();
    const double played = msSince(started);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(notices, 1), kLongMs - played, kSlackMs);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);

    // A seek while playing restarts at once; one while stopped gives up the
    // paused place, so the next play starts at the start.
    player->PlayWave(-1, -1, false);  // after the end: from the top
    pumpFor(400);
    player->SeekWave(0);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying);
    pumpFor(750);
    EXPECT_EQ(notices, 1) << "the seek did not restart the sound";
    player->StopWave();
    player->SeekWave(0);
    pumpFor(50);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(notices, 2), kLongMs, kSlackMs);

    // Past the end is the end: the play is over as soon as it starts.
    player->SeekWave(kLongMs * 5);
    player->PlayWave(-1, -1, false);
    EXPECT_LT(msUntilNotices(notices, 3), 100);
}

TEST_F(SdlWavePlayerTest, EachNaturalEndGivesOneNoticeOnlyWhenDelivered) {
    std::atomic<int> wakes{0};
    engine_->setWake([&] { ++wakes; });  // called on the audio thread
    int notices = 0;
    auto player = openPlayer("short.wav", notices);
    player->PlayWave(-1, -1, false);
    std::this_thread::sleep_for(milliseconds(kShortMs + kSlackMs));  // delivering nothing
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(notices, 0) << "notices come only from deliverPendingNotices";
    engine_->deliverPendingNotices();
    EXPECT_EQ(notices, 1);

    // A restart after the end, as the music loop does, ends again; an end overtaken by
    // another restart before the game heard of it is dropped, and only the newest counts.
    player->SeekWave(0);
    player->PlayWave(-1, -1, false);
    std::this_thread::sleep_for(milliseconds(kShortMs + kSlackMs));
    EXPECT_EQ(wakes, 2);
    player->SeekWave(0);
    player->PlayWave(-1, -1, false);
    engine_->deliverPendingNotices();
    EXPECT_EQ(notices, 1);
    EXPECT_NEAR(msUntilNotices(notices, 2), kShortMs, kSlackMs / 2);  // converted right
    pumpFor(50);
    EXPECT_EQ(notices, 2);
}

TEST_F(SdlWavePlayerTest, NoNoticeForStopSeekCloseOrDestruction) {
    int stopped = 0, restarted = 0, closed = 0, destroyed = 0;
    auto stopper = openPlayer("short.wav", stopped);
    auto seeker = openPlayer("short.wav", restarted);
    auto closer = openPlayer("short.wav", closed);
    auto doomed = openPlayer("short.wav", destroyed);
    for (auto* player : {stopper.get(), seeker.get(), closer.get(), doomed.get()}) {
        player->PlayWave(-1, -1, false);
    }
    pumpFor(50);
    stopper->StopWave();
    closer->CloseWave();
    doomed.reset();
    for (const auto start = Clock::now(); msSince(start) < kShortMs * 2;) {  // never lets it end
        seeker->SeekWave(0);
        pumpFor(40);
    }
    EXPECT_EQ(restarted, 0);
    closer->PlayWave(-1, -1, false);  // a closed player is silent for good
    EXPECT_EQ(closer->WaveMode(), WavePlayer::kModeStopped);

    pumpFor(kShortMs + 100);
    EXPECT_EQ(restarted, 1);
    EXPECT_EQ(stopped + closed + destroyed, 0);
}

TEST_F(SdlWavePlayerTest, MissingOrGarbageFileIsSilentWithOneLineOfComplaint) {
    for (const char* name : {"no-such-file.wav", "garbage.wav"}) {
        SCOPED_TRACE(name);
        int notices = 0;
        testing::internal::CaptureStderr();
        auto player = openPlayer(name, notices);
        const std::string complaint = testing::internal::GetCapturedStderr();
        EXPECT_NE(complaint.find((folder_ / name).string()), std::string::npos) << complaint;
        EXPECT_EQ(std::count(complaint.begin(), complaint.end(), '\n'), 1) << complaint;

        player->SeekWave(0);
        player->PlayWave(-1, -1, false);
        EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
        pumpFor(100);
        EXPECT_EQ(notices, 0);
    }
}

TEST_F(SdlWavePlayerTest, FallsBackToTheSilentDriverWhenNoDeviceOpens) {
    engine_.reset();
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStderr();
    engine_ = std::make_unique<SdlAudioEngine>();
    const std::string said = testing::internal::GetCapturedStderr();
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);  // what the other tests play on

    EXPECT_TRUE(engine_->isOpen());
    EXPECT_EQ(engine_->driverName(), "dummy");
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("silence"), std::string::npos) << said;
}

}  // namespace
}  // namespace platform::qt
