// The SDL wave player, played for real on SDL's silent driver, which keeps time
// like a sound card: the tests poll with deadlines and allow margins for a busy machine.
#include "platform/desktop/sound/sdl/sdl_wave_player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop/sound/click_free_voice.h"

namespace platform::desktop {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kShortMs = 200;
constexpr int kLongMs = 1000;
constexpr int kSteadyLevel = 16000;
constexpr int kQuietLevel = 3000;
// A cut without a fade would step by a whole level between two samples.
constexpr int kLargestSmoothStep = 1000;
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

// A PCM file header for `dataBytes` of samples.
std::string wavHeader(int rate, int channels, int bits, std::uint32_t dataBytes) {
    const int frameBytes = channels * bits / 8;
    return "RIFF" + le(36 + dataBytes, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) +
           le(std::uint32_t(channels), 2) + le(std::uint32_t(rate), 4) +
           le(std::uint32_t(rate * frameBytes), 4) + le(std::uint32_t(frameBytes), 2) +
           le(std::uint32_t(bits), 2) + "data" + le(dataBytes, 4);
}

// A 16-bit PCM file. `level(frame, frames)` gives each frame's value on
// every channel.
void writeWav(const std::filesystem::path& path, std::uint32_t ms, int rate, int channels,
              const std::function<int(std::uint32_t, std::uint32_t)>& level) {
    const std::uint32_t frames = std::uint32_t(rate) * ms / 1000;
    const std::uint32_t dataBytes = frames * 2 * std::uint32_t(channels);
    std::string data;
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        data.append(std::size_t(channels) * 2, '\0');
        for (int channel = 0; channel < channels; ++channel) {
            data.replace(data.size() - 2 * std::size_t(channels - channel), 2,
                         le(std::uint32_t(level(frame, frames)), 2));
        }
    }
    std::ofstream(path, std::ios::binary) << wavHeader(rate, channels, 16, dataBytes) << data;
}

// Mono at 22.05 kHz, so loading has to convert it to the mixer's format. It
// holds silence: the silent driver only keeps time.
void writeSilence(const std::filesystem::path& path, std::uint32_t ms) {
    writeWav(path, ms, 22050, 1, [](std::uint32_t, std::uint32_t) { return 0; });
}

// What the mixer puts out, seen from its last stage on the audio thread.
class OutputTap {
public:
    OutputTap() { Mix_SetPostMix(&OutputTap::onMix, this); }
    ~OutputTap() { Mix_SetPostMix(nullptr, nullptr); }
    OutputTap(const OutputTap&) = delete;
    OutputTap& operator=(const OutputTap&) = delete;

    // Keeps every sample from now on, after the last one before.
    void record() {
        const std::lock_guard lock(mutex_);
        recorded_ = {last_};
        recording_ = true;
    }
    std::vector<std::int16_t> recorded() {
        const std::lock_guard lock(mutex_);
        recording_ = false;
        return recorded_;
    }
    // When the first buffer with sound in it was mixed.
    void armFirstSound() {
        firstSound_.store(Clock::time_point{});
        armed_.store(true);
    }
    Clock::time_point firstSound() const { return firstSound_.load(); }

private:
    static void onMix(void* self, Uint8* stream, int bytes) {
        auto& tap = *static_cast<OutputTap*>(self);
        const auto* samples = reinterpret_cast<const std::int16_t*>(stream);
        const std::size_t count = std::size_t(bytes) / 2;
        const bool sound =
            std::any_of(samples, samples + count, [](std::int16_t v) { return v != 0; });
        if (sound && tap.armed_.exchange(false)) {
            tap.firstSound_.store(Clock::now());
        }
        const std::lock_guard lock(tap.mutex_);
        if (tap.recording_) {
            tap.recorded_.insert(tap.recorded_.end(), samples, samples + count);
        }
        tap.last_ = count > 0 ? samples[count - 1] : std::int16_t{0};
    }

    std::mutex mutex_;
    bool recording_ = false;
    std::vector<std::int16_t> recorded_;
    std::int16_t last_ = 0;
    std::atomic<bool> armed_{false};
    std::atomic<Clock::time_point> firstSound_{};
};

// The largest step between neighbouring samples of one output channel.
int largestStep(const std::vector<std::int16_t>& samples) {
    int largest = 0;
    for (std::size_t i = 2; i < samples.size(); ++i) {
        largest = std::max(largest, std::abs(samples[i] - samples[i - 2]));
    }
    return largest;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class SdlWavePlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::filesystem::create_directories(folder_);
        writeSilence(folder_ / "short.wav", kShortMs);
        writeSilence(folder_ / "long.wav", kLongMs);
        // In the mixer's own format, so what it puts out is what they hold.
        writeWav(folder_ / "steady.wav", kLongMs, 44100, 2,
                 [](std::uint32_t, std::uint32_t) { return kSteadyLevel; });
        writeWav(folder_ / "quiet.wav", kLongMs, 44100, 2,
                 [](std::uint32_t, std::uint32_t) { return kQuietLevel; });
        writeWav(folder_ / "rising.wav", kLongMs, 44100, 2,
                 [](std::uint32_t frame, std::uint32_t frames) {
                     return int(std::int64_t(frame) * kSteadyLevel / frames);
                 });
        writeSilence(folder_ / "empty.wav", 0);
        std::ofstream(folder_ / "header-only.wav") << "RIFF" << le(4, 4) << "WAVE";
        std::ofstream(folder_ / "garbage.wav") << "this is no sound file at all\n";
        // Files the mixer must convert: 8-bit (silence is 128), mono or
        // stereo at 22.05 kHz, and one cut off half-way through its samples.
        const std::uint32_t frames22k = 22050 * kShortMs / 1000;
        std::ofstream(folder_ / "8-bit-mono.wav", std::ios::binary)
            << wavHeader(22050, 1, 8, frames22k) << std::string(frames22k, '\x80');
        std::ofstream(folder_ / "8-bit-stereo.wav", std::ios::binary)
            << wavHeader(44100, 2, 8, 2 * 2 * frames22k) << std::string(4 * frames22k, '\x80');
        writeWav(folder_ / "stereo-22k.wav", kShortMs, 22050, 2,
                 [](std::uint32_t, std::uint32_t) { return 0; });
        std::ofstream(folder_ / "truncated.wav", std::ios::binary)
            << wavHeader(44100, 2, 16, 4 * 2 * 4 * frames22k)
            << std::string(4 * 2 * frames22k, '\0');
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
    // The engine's clock for silences and retries; the sounds play in real time.
    std::int64_t nowMs_ = 0;
    std::unique_ptr<SdlAudioEngine> engine_ =
        std::make_unique<SdlAudioEngine>([this] { return nowMs_; });
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

TEST_F(SdlWavePlayerTest, ATuneRestartedOnEachEndLoopsWithOneNoticePerEnd) {
    int notices = 0;
    auto player = openPlayer("short.wav", notices);
    std::vector<double> ends;
    const auto start = Clock::now();
    player->onWaveNotify = [&](std::int32_t) {
        ++notices;
        ends.push_back(msSince(start));
        player->SeekWave(0);
        player->PlayWave(-1, -1, false);
    };
    player->PlayWave(-1, -1, false);
    msUntilNotices(notices, 3);
    ASSERT_EQ(ends.size(), 3u);
    for (std::size_t i = 1; i < ends.size(); ++i) {
        EXPECT_NEAR(ends[i] - ends[i - 1], kShortMs, kSlackMs / 2);
    }
}

TEST_F(SdlWavePlayerTest, TwoPlayersSoundAtOnceAndEffectsStartWithinTwoBuffers) {
    OutputTap tap;
    int notices = 0;
    auto steady = openPlayer("steady.wav", notices);
    auto quiet = openPlayer("quiet.wav", notices);
    steady->PlayWave(-1, -1, false);
    quiet->PlayWave(-1, -1, false);
    pumpFor(100);
    tap.record();
    pumpFor(100);
    EXPECT_EQ(steady->WaveMode() + quiet->WaveMode(), 2 * WavePlayer::kModePlaying);
    const std::vector<std::int16_t> mixed = tap.recorded();
    ASSERT_GT(mixed.size(), 1000u);
    EXPECT_EQ(std::count(mixed.begin() + 1, mixed.end(), kSteadyLevel + kQuietLevel),
              std::ptrdiff_t(mixed.size() - 1));
    quiet->CloseWave();

    // From the call to the first mixed buffer that carries the sound: the
    // mixer asks for a buffer every 11.6 ms.
    std::vector<double> latencies;
    for (int attempt = 0; attempt < 9; ++attempt) {
        steady->StopWave();
        steady->SeekWave(0);
        pumpFor(40);
        tap.armFirstSound();
        const auto called = Clock::now();
        steady->PlayWave(-1, -1, false);
        pumpFor(60);
        latencies.push_back(
            std::chrono::duration<double, std::milli>(tap.firstSound() - called).count());
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("effect latency: median %.1f ms, best %.1f ms, worst %.1f ms\n", latencies[4],
                latencies.front(), latencies.back());
    EXPECT_GE(latencies.front(), 0.0);
    EXPECT_LT(latencies[4], 30.0);
}

TEST_F(SdlWavePlayerTest, StopResumeAndRestartFadeInsteadOfClicking) {
    OutputTap tap;
    int notices = 0;
    {
        auto steady = openPlayer("steady.wav", notices);
        steady->PlayWave(-1, -1, false);
        pumpFor(200);
        tap.record();
        steady->StopWave();
        pumpFor(60);
        const std::vector<std::int16_t> stopped = tap.recorded();
        EXPECT_EQ(stopped.front(), kSteadyLevel);
        EXPECT_EQ(stopped.back(), 0);
        EXPECT_LT(largestStep(stopped), kLargestSmoothStep);

        tap.record();
        steady->PlayWave(-1, -1, false);
        pumpFor(60);
        const std::vector<std::int16_t> resumed = tap.recorded();
        EXPECT_EQ(resumed.back(), kSteadyLevel);
        EXPECT_LT(largestStep(resumed), kLargestSmoothStep);
        steady->StopWave();
        pumpFor(30);
    }
    // Cut half-way up, it dies away under its own new start from silence.
    auto rising = openPlayer("rising.wav", notices);
    rising->PlayWave(-1, -1, false);
    pumpFor(500);
    tap.record();
    rising->SeekWave(0);
    pumpFor(60);
    const std::vector<std::int16_t> restarted = tap.recorded();
    EXPECT_GT(restarted.front(), kSteadyLevel / 3);
    EXPECT_LT(restarted.back(), kSteadyLevel / 10);
    EXPECT_LT(largestStep(restarted), kLargestSmoothStep);
    EXPECT_EQ(notices, 0);
}

TEST(ClickFreeVoice, FadesOutToAPauseAndInAgainAndLetsACutSoundDieAway) {
    using Samples = std::vector<std::int16_t>;
    ClickFreeVoice voice(2, 4);
    Samples samples(16, 1000);
    EXPECT_FALSE(voice.process(samples.data(), 8));
    EXPECT_EQ(samples, Samples(16, 1000));

    voice.requestPause();
    samples.assign(16, 1000);
    EXPECT_TRUE(voice.process(samples.data(), 8));
    EXPECT_EQ(samples, (Samples{750, 750, 500, 500, 250, 250, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(voice.framesPlayed(), 16u);
    voice.requestResume();
    samples.assign(8, 1000);
    EXPECT_FALSE(voice.process(samples.data(), 4));
    EXPECT_EQ(samples, (Samples{250, 250, 500, 500, 750, 750, 1000, 1000}));

    // The old sound was cut at full level: its rest fades out over one fade
    // under the new sound, and sums stay within 16 bits.
    const Samples old = {1000, -1000, 1000, -1000, 1000, -1000, 1000, -1000, 1000, -1000};
    voice.startFresh(old.data(), 5, 1.0f);
    samples.assign(12, 100);
    EXPECT_FALSE(voice.process(samples.data(), 6));
    EXPECT_EQ(samples, (Samples{1100, -900, 850, -650, 600, -400, 350, -150, 100, 100, 100, 100}));
    EXPECT_EQ(voice.framesPlayed(), 6u);
    const Samples loud(8, 30000);
    voice.startFresh(loud.data(), 4, 0.5f);
    samples.assign(2, -30000);
    voice.process(samples.data(), 1);
    EXPECT_EQ(samples, (Samples{-15000, -15000}));
    samples.assign(2, 30000);
    voice.process(samples.data(), 1);
    EXPECT_EQ(samples, (Samples{32767, 32767}));
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

TEST_F(SdlWavePlayerTest, MissingEmptyOrGarbageFileIsSilentWithOneLineOfComplaint) {
    for (const char* name : {"no-such-file.wav", "garbage.wav", "empty.wav", "header-only.wav"}) {
        SCOPED_TRACE(name);
        int notices = 0;
        testing::internal::CaptureStderr();
        auto player = openPlayer(name, notices);
        player->SeekWave(0);  // waits for the decoding
        const std::string complaint = testing::internal::GetCapturedStderr();
        EXPECT_NE(complaint.find((folder_ / name).string()), std::string::npos) << complaint;
        EXPECT_EQ(std::count(complaint.begin(), complaint.end(), '\n'), 1) << complaint;
        if (std::string(name) == "no-such-file.wav") {
            EXPECT_NE(complaint.find("No such file or directory"), std::string::npos) << complaint;
        }

        player->PlayWave(-1, -1, false);
        EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
        pumpFor(100);
        EXPECT_EQ(notices, 0);
    }
}

TEST_F(SdlWavePlayerTest, EightBitMonoSlowOrCutOffFilesPlayWhatTheyHoldToTheirEnd) {
    // Each holds the short length of sound (short.wav is 16-bit mono at
    // 22.05 kHz); the cut-off one declares four times that and plays what
    // is there.
    for (const char* name :
         {"8-bit-mono.wav", "8-bit-stereo.wav", "stereo-22k.wav", "short.wav", "truncated.wav"}) {
        SCOPED_TRACE(name);
        int notices = 0;
        testing::internal::CaptureStderr();
        auto player = openPlayer(name, notices);
        player->PlayWave(-1, -1, false);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying);
        EXPECT_NEAR(msUntilNotices(notices, 1), kShortMs, kSlackMs);
        pumpFor(50);
        EXPECT_EQ(notices, 1);
    }
}

TEST_F(SdlWavePlayerTest, TheDeviceGoesAfterThreeSecondsOfSilenceAndAStoppedTuneResumesInPlace) {
    int notices = 0;
    auto player = openPlayer("long.wav", notices);
    EXPECT_FALSE(engine_->upkeep()) << "no device before the first sound";
    const auto started = Clock::now();
    player->PlayWave(-1, -1, false);
    nowMs_ += 5000;
    EXPECT_TRUE(engine_->upkeep()) << "released while sounding";
    std::this_thread::sleep_for(milliseconds(400));
    player->StopWave();
    const double played = msSince(started);
    pumpFor(30);  // the fade out
    EXPECT_TRUE(engine_->upkeep());
    nowMs_ += 2999;
    EXPECT_TRUE(engine_->upkeep());
    nowMs_ += 1;
    EXPECT_FALSE(engine_->upkeep());
    EXPECT_FALSE(engine_->outputOpen());
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);

    // The resume opens the device again and plays the rest, ending once.
    player->PlayWave(-1, -1, false);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying);
    EXPECT_NEAR(msUntilNotices(notices, 1), kLongMs - played, kSlackMs);
    pumpFor(50);
    EXPECT_EQ(notices, 1);
}

TEST_F(SdlWavePlayerTest, WithoutADeviceItPlaysInSilenceAndTriesAgainAtMostOnceASecond) {
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    int notices = 0;
    auto player = openPlayer("short.wav", notices);
    testing::internal::CaptureStderr();
    // Each row: a sound call at this time, with SDL's driver then.
    const struct {
        std::int64_t atMs;
        const char* driver;
        bool inSilence;
    } calls[] = {{0, "no-such-driver", true},    {999, "dummy", true},
                 {1000, "no-such-driver", true}, {1999, "dummy", true},
                 {2000, "dummy", false},         {2500, "no-such-driver", false}};
    for (const auto& call : calls) {
        nowMs_ = call.atMs;
        ::setenv("SDL_AUDIODRIVER", call.driver, 1);
        player->SeekWave(0);
        player->PlayWave(-1, -1, false);
        EXPECT_EQ(engine_->playingInSilence(), call.inSilence) << call.atMs;
        // The silent stand-in keeps time like the device.
        EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying) << call.atMs;
    }
    const std::string said = testing::internal::GetCapturedStderr();
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);  // what the other tests play on
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
    EXPECT_NE(said.find("silence"), std::string::npos) << said;
    EXPECT_NE(said.find("sound is back"), std::string::npos) << said;
    EXPECT_NEAR(msUntilNotices(notices, 1), kShortMs, kSlackMs);
}

}  // namespace
}  // namespace platform::desktop
