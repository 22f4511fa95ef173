// The sound adapter, played for real on SDL's silent driver, which keeps time
// like a sound card: the tests poll with deadlines and allow margins for a busy machine.
#include "platform/desktop/sound/sdl/sdl_wave_player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
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
#include "platform/desktop/sound/sdl/wave_decoding.h"

namespace platform::desktop {
namespace {

using Clock = std::chrono::steady_clock;
using Samples = std::vector<std::int16_t>;
using std::chrono::milliseconds;

constexpr int kShortMs = 200;
constexpr int kLongMs = 1000;
constexpr int kSteadyLevel = 16000;
constexpr int kQuietLevel = 3000;
// A cut without a fade would step by a whole level between two samples.
constexpr int kLargestSmoothStep = 1000;
// The silent driver runs in 11 ms steps, and CI machines are busy.
constexpr int kSlackMs = 150;

// A PCM wave file of `frames` frames, each `level(frame)` on every channel,
// then `partialBytes` of a frame cut off; its header claims `missingBytes` more.
std::string wave(int rate, int channels, int bits, std::uint32_t frames,
                 const std::function<int(std::uint32_t)>& level, std::uint32_t partialBytes = 0,
                 std::uint32_t missingBytes = 0) {
    const auto le = [](std::uint32_t value, int bytes) {
        return std::string(reinterpret_cast<const char*>(&value), std::size_t(bytes));
    };
    std::string data;
    for (std::uint32_t frame = 0; frame < frames * std::uint32_t(channels); ++frame) {
        data += le(std::uint32_t(level(frame / std::uint32_t(channels))), bits / 8);
    }
    data.append(partialBytes, '\0');
    const auto declared = std::uint32_t(data.size()) + missingBytes;
    const auto frameBytes = std::uint32_t(channels * bits / 8);
    return "RIFF" + le(36 + declared, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) +
           le(std::uint32_t(channels), 2) + le(std::uint32_t(rate), 4) +
           le(std::uint32_t(rate) * frameBytes, 4) + le(frameBytes, 2) + le(std::uint32_t(bits), 2) +
           "data" + le(declared, 4) + data;
}

std::function<int(std::uint32_t)> level(int value) {
    return [value](std::uint32_t) { return value; };
}

TEST(WaveDecoding, EveryLayoutBecomesWholeFramesOfTheMixersOwn) {
    constexpr std::uint32_t kFrames = 4410;
    const struct {
        const char* file;
        std::string bytes;
        std::uint32_t frames;
    } cases[] = {
        {"16-bit stereo ending inside a frame", wave(44100, 2, 16, kFrames, level(0), 2), kFrames},
        {"16-bit mono at 22.05 kHz", wave(22050, 1, 16, kFrames / 2, level(0)), kFrames},
        {"8-bit mono at 22.05 kHz", wave(22050, 1, 8, kFrames / 2, level(128)), kFrames},
        {"8-bit stereo", wave(44100, 2, 8, kFrames, level(128)), kFrames},
        {"cut off at a quarter", wave(44100, 2, 16, kFrames, level(0), 0, 12 * kFrames), kFrames},
        {"without samples", wave(44100, 2, 16, 0, level(0)), 0},
        {"a header alone", std::string("RIFF\4\0\0\0WAVE", 12), 0},
        {"no sound file at all", "this is no sound file at all\n", 0},
    };
    for (const auto& c : cases) {
        std::string failure;
        const std::vector<std::uint8_t> samples =
            decodeWave(SDL_RWFromConstMem(c.bytes.data(), int(c.bytes.size())), failure);
        EXPECT_EQ(samples.size(), c.frames * MixFormat::kFrameBytes) << c.file << ": " << failure;
    }
}

TEST(ClickFreeVoice, FadesToAPauseAndBackAndLetsACutSoundDieAwayUnderTheNext) {
    ClickFreeVoice voice(2, 4);  // stereo, fades of four frames
    const auto process = [&voice](Samples samples) {
        voice.process(samples.data(), samples.size() / 2);
        return samples;
    };
    EXPECT_EQ(process(Samples(4, 1000)), Samples(4, 1000));
    voice.requestPause();
    EXPECT_EQ(process(Samples(12, 1000)), (Samples{750, 750, 500, 500, 250, 250, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(voice.framesPlayed(), 8u);
    voice.requestResume();
    EXPECT_EQ(process(Samples(8, 1000)), (Samples{250, 250, 500, 500, 750, 750, 1000, 1000}));
    // Carried to a new output, a playback fades in.
    voice.startFadingIn();
    EXPECT_EQ(process(Samples(4, 1000)), (Samples{250, 250, 500, 500}));
    // Cut at full level: the rest fades out over one fade, however long, and
    // sums stay within 16 bits.
    const Samples old = {1000, -1000, 1000, -1000, 1000, -1000, 1000, -1000, 1000, -1000};
    voice.startFresh(old.data(), 5, 1.0f);
    EXPECT_EQ(process(Samples(12, 100)),
              (Samples{1100, -900, 850, -650, 600, -400, 350, -150, 100, 100, 100, 100}));
    const Samples loud(8, 30000);
    voice.startFresh(loud.data(), 4, 0.5f);
    EXPECT_EQ(process(Samples{-30000, -30000, 30000, 30000}),
              (Samples{-15000, -15000, 32767, 32767}));
}

// What the mixer puts out, as its last stage on the audio thread sees it.
class OutputTap {
public:
    OutputTap() { Mix_SetPostMix(&OutputTap::onMix, this); }
    ~OutputTap() { Mix_SetPostMix(nullptr, nullptr); }
    std::size_t size() {
        const std::lock_guard lock(mutex_);
        return mixed_.size();
    }
    // The samples mixed from `from` on, and the one before.
    Samples since(std::size_t from) {
        const std::lock_guard lock(mutex_);
        return Samples(mixed_.begin() + std::ptrdiff_t(std::max<std::size_t>(from, 1) - 1),
                       mixed_.end());
    }

private:
    static void onMix(void* self, Uint8* stream, int bytes) {
        auto& tap = *static_cast<OutputTap*>(self);
        const auto* samples = reinterpret_cast<const std::int16_t*>(stream);
        const std::lock_guard lock(tap.mutex_);
        tap.mixed_.insert(tap.mixed_.end(), samples, samples + bytes / 2);
    }

    std::mutex mutex_;
    Samples mixed_;
};

// The largest step between neighbouring samples of one output channel.
int largestStep(const Samples& samples) {
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
        const auto write = [](const char* name, const std::string& bytes) {
            std::ofstream(folder_ / name, std::ios::binary) << bytes;
        };
        // Silence to convert from 22.05 kHz mono: the silent driver only keeps time.
        write("short.wav", wave(22050, 1, 16, 22050 * kShortMs / 1000, level(0)));
        write("long.wav", wave(22050, 1, 16, 22050 * kLongMs / 1000, level(0)));
        // In the mixer's own layout, so what it puts out is what they hold.
        write("steady.wav", wave(44100, 2, 16, 44100, level(kSteadyLevel)));
        write("quiet.wav", wave(44100, 2, 16, 44100, level(kQuietLevel)));
        write("rising.wav", wave(44100, 2, 16, 44100, [](std::uint32_t frame) {
                  return int(frame * kSteadyLevel / 44100);
              }));
        write("blip.wav", wave(44100, 2, 16, 88, level(kSteadyLevel)));  // shorter than a fade
        write("empty.wav", wave(44100, 2, 16, 0, level(0)));
        write("garbage.wav", "this is no sound file at all\n");
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

TEST_F(SdlWavePlayerTest, ASeekRestartsAPlayingSoundAndSetsWhereTheNextPlayAloneStarts) {
    int notices = 0;
    auto player = openPlayer("long.wav", notices);
    player->PlayWave(-1, -1, false);
    pumpFor(400);
    player->SeekWave(0);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying);
    pumpFor(750);
    EXPECT_EQ(notices, 0) << "the seek did not restart the sound";
    // Sought while stopped, the paused place is given up.
    player->StopWave();
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
    player->SeekWave(0);
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(notices, 1), kLongMs, kSlackMs);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
    // The place sought is for the next play only; past the end is the end.
    player->SeekWave(kLongMs - 300);
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(notices, 2), 300, kSlackMs);
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(notices, 3), kLongMs, kSlackMs);
    player->SeekWave(kLongMs * 5);
    player->PlayWave(-1, -1, false);
    EXPECT_LT(msUntilNotices(notices, 4), 100);
}

TEST_F(SdlWavePlayerTest, EachNaturalEndGivesOneNoticeWhenDeliveredAndALoopRestartsFromIt) {
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
    // An end overtaken by a restart before the game heard of it is no news.
    player->SeekWave(0);
    player->PlayWave(-1, -1, false);
    std::this_thread::sleep_for(milliseconds(kShortMs + kSlackMs));
    player->SeekWave(0);
    player->PlayWave(-1, -1, false);
    engine_->deliverPendingNotices();
    EXPECT_EQ(notices, 1);

    // The music's loop: restarted from each end notice, it ends once a length.
    player->onWaveNotify = [&](std::int32_t) {
        ++notices;
        player->SeekWave(0);
        player->PlayWave(-1, -1, false);
    };
    EXPECT_NEAR(msUntilNotices(notices, 4), 3 * kShortMs, kSlackMs);
}

TEST_F(SdlWavePlayerTest, NoNoticeForACloseADestructionOrAStopThatTheSoundOutlivesByLessThanAFade) {
    int closed = 0, destroyed = 0, faded = 0;
    auto closer = openPlayer("short.wav", closed);
    auto doomed = openPlayer("short.wav", destroyed);
    auto blip = openPlayer("blip.wav", faded);
    closer->PlayWave(-1, -1, false);
    doomed->PlayWave(-1, -1, false);
    pumpFor(50);
    closer->CloseWave();
    doomed.reset();
    closer->PlayWave(-1, -1, false);  // a closed player is silent for good
    EXPECT_EQ(closer->WaveMode(), WavePlayer::kModeStopped);
    // Stopped as it starts, the blip runs out while it fades to the pause:
    // the mixer's device is held until both calls are done.
    SDL_AudioDeviceID device = 1;
    while (SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED && device < 16) {
        ++device;
    }
    SDL_LockAudioDevice(device);
    blip->PlayWave(-1, -1, false);
    blip->StopWave();
    SDL_UnlockAudioDevice(device);
    pumpFor(kShortMs + 100);
    EXPECT_EQ(closed + destroyed + faded, 0);
}

TEST_F(SdlWavePlayerTest, AMissingEmptyOrGarbageFileIsSilentWithOneLineOfComplaint) {
    for (const char* name : {"no-such-file.wav", "garbage.wav", "empty.wav"}) {
        SCOPED_TRACE(name);
        int notices = 0;
        testing::internal::CaptureStderr();
        auto player = openPlayer(name, notices);
        player->PlayWave(-1, -1, false);  // waits for the decoding
        const std::string complaint = testing::internal::GetCapturedStderr();
        EXPECT_NE(complaint.find((folder_ / name).string()), std::string::npos) << complaint;
        EXPECT_EQ(std::count(complaint.begin(), complaint.end(), '\n'), 1) << complaint;
        EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
        pumpFor(100);
        EXPECT_EQ(notices, 0);
    }
}

TEST_F(SdlWavePlayerTest, TwoPlayersSoundAtOnceAndASoundComesInWithinTwoBuffers) {
    OutputTap tap;
    int notices = 0;
    auto steady = openPlayer("steady.wav", notices);
    auto quiet = openPlayer("quiet.wav", notices);
    steady->PlayWave(-1, -1, false);
    pumpFor(100);
    const std::size_t called = tap.size();
    quiet->PlayWave(-1, -1, false);
    pumpFor(100);
    EXPECT_EQ(steady->WaveMode() + quiet->WaveMode(), 2 * WavePlayer::kModePlaying);
    const Samples mixed = tap.since(called);
    const auto both = std::find(mixed.begin(), mixed.end(), kSteadyLevel + kQuietLevel);
    // A buffer is 512 frames of two samples, about 12 ms.
    EXPECT_LT(both - mixed.begin(), 2 * 512 * 2) << "the second sound came in late";
    EXPECT_TRUE(std::all_of(mixed.begin(), both, [](int v) { return v == kSteadyLevel; }));
    EXPECT_TRUE(
        std::all_of(both, mixed.end(), [](int v) { return v == kSteadyLevel + kQuietLevel; }));
}

TEST_F(SdlWavePlayerTest, StopResumeAndRestartFadeInsteadOfClicking) {
    OutputTap tap;
    int notices = 0;
    auto steady = openPlayer("steady.wav", notices);
    auto rising = openPlayer("rising.wav", notices);
    // The output from just before the call to 60 ms on, with no step in it:
    // the levels it went from and to.
    const auto after = [&](const std::function<void()>& call) {
        const std::size_t called = tap.size();
        call();
        pumpFor(60);
        const Samples out = tap.since(called);
        EXPECT_LT(largestStep(out), kLargestSmoothStep);
        return std::pair<int, int>(out.front(), out.back());
    };
    steady->PlayWave(-1, -1, false);
    pumpFor(200);
    EXPECT_EQ(after([&] { steady->StopWave(); }), std::pair(kSteadyLevel, 0));
    EXPECT_EQ(after([&] { steady->PlayWave(-1, -1, false); }), std::pair(0, kSteadyLevel));
    steady->StopWave();
    rising->PlayWave(-1, -1, false);
    pumpFor(500);
    // Cut half-way up, it dies away under its own new start from silence.
    const auto [cut, restarted] = after([&] { rising->SeekWave(0); });
    EXPECT_GT(cut, kSteadyLevel / 3);
    EXPECT_LT(restarted, kSteadyLevel / 10);
    EXPECT_EQ(notices, 0);
}

TEST_F(SdlWavePlayerTest, StopKeepsThePlaceAfterTheDeviceGoesInThreeSecondsOfSilence) {
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
    int notices = 0;
    auto player = openPlayer("short.wav", notices);
    testing::internal::CaptureStderr();
    // Each row: a sound call at this time, with SDL's driver then.
    const struct {
        std::int64_t atMs;
        const char* driver;
        bool inSilence;
    } calls[] = {{0, "none", true},     {999, "dummy", true},  {1000, "none", true},
                 {1999, "dummy", true}, {2000, "dummy", false}, {2500, "none", false}};
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
