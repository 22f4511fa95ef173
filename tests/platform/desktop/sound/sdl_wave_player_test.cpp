// The sound adapter, played for real on SDL's silent driver, which keeps time
// like a sound card: the tests poll with deadlines and allow margins for a busy machine.
#include "platform/desktop/sound/sdl/sdl_wave_player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <thread>

#include "platform/desktop/sound/sdl/wave_decoding.h"

namespace platform::desktop {
namespace {

using Clock = std::chrono::steady_clock;
using Samples = std::vector<std::int16_t>;

constexpr int kShortMs = 200;
constexpr int kLongMs = 1000;
constexpr int kSteadyLevel = 16000;
constexpr int kQuietLevel = 3000;
// The silent driver mixes every 11.6 ms, and CI machines are busy.
constexpr int kSlackMs = 150;

// A PCM wave file of `frames` frames, each `level(frame)` on every channel,
// then `partialBytes` of a frame; its header claims `missingBytes` more.
std::string wave(int rate, int channels, int bits, std::uint32_t frames,
                 const std::function<int(std::uint32_t)>& level, std::uint32_t partialBytes = 0,
                 std::uint32_t missingBytes = 0) {
    const auto le = [](std::uint32_t value, int bytes) {
        return std::string(reinterpret_cast<const char*>(&value), std::size_t(bytes));
    };
    std::string data;
    for (std::uint32_t sample = 0; sample < frames * std::uint32_t(channels); ++sample) {
        data += le(std::uint32_t(level(sample / std::uint32_t(channels))), bits / 8);
    }
    data.append(partialBytes, '\0');
    const auto declared = std::uint32_t(data.size()) + missingBytes;
    const auto frameBytes = std::uint32_t(channels * bits / 8);
    return "RIFF" + le(36 + declared, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) +
           le(std::uint32_t(channels), 2) + le(std::uint32_t(rate), 4) +
           le(std::uint32_t(rate) * frameBytes, 4) + le(frameBytes, 2) +
           le(std::uint32_t(bits), 2) + "data" + le(declared, 4) + data;
}

std::function<int(std::uint32_t)> level(int value) {
    return [value](std::uint32_t) { return value; };
}

TEST(WaveDecoding, EveryLayoutBecomesWholeFramesOfTheMixersOwn) {
    constexpr std::uint32_t kFrames = 4410;
    // Each row: a file, and the frames it holds.
    for (const auto& [bytes, frames] : {
             std::pair(wave(44100, 2, 16, kFrames, level(0), 2), kFrames),  // ends inside a frame
             {wave(22050, 1, 16, kFrames / 2, level(0)), kFrames},
             {wave(22050, 1, 8, kFrames / 2, level(128)), kFrames},
             {wave(44100, 2, 8, kFrames, level(128)), kFrames},
             {wave(44100, 2, 16, kFrames, level(0), 0, 12 * kFrames), kFrames},  // cut off
             {wave(44100, 2, 16, 0, level(0)), 0u},
             {std::string("RIFF\4\0\0\0WAVE", 12), 0u},
             {"this is no sound file at all\n", 0u},
         }) {
        std::string failure;
        EXPECT_EQ(decodeWave(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), failure).size(),
                  frames * MixFormat::kFrameBytes)
            << bytes.size() << failure;
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
    EXPECT_EQ(process(Samples(12, 1000)),
              (Samples{750, 750, 500, 500, 250, 250, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(voice.framesPlayed(), 8u);
    voice.requestResume();
    EXPECT_EQ(process(Samples(8, 1000)), (Samples{250, 250, 500, 500, 750, 750, 1000, 1000}));
    voice.startFadingIn();  // carried to a new output
    EXPECT_EQ(process(Samples(4, 1000)), (Samples{250, 250, 500, 500}));
    // Cut at full level, the rest fades out over one fade, however long;
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

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class SdlWavePlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::filesystem::create_directories(folder_);
        const auto rising = [](std::uint32_t frame) { return int(frame * kSteadyLevel / 44100); };
        // Silence to convert from 22.05 kHz mono, as the silent driver only
        // keeps time; the others in the mixer's own layout, so that what it
        // puts out is what they hold. The blip is shorter than a fade.
        for (const auto& [name, bytes] : {
                 std::pair("short.wav", wave(22050, 1, 16, 22050 * kShortMs / 1000, level(0))),
                 {"long.wav", wave(22050, 1, 16, 22050 * kLongMs / 1000, level(0))},
                 {"steady.wav", wave(44100, 2, 16, 44100, level(kSteadyLevel))},
                 {"quiet.wav", wave(44100, 2, 16, 44100, level(kQuietLevel))},
                 {"rising.wav", wave(44100, 2, 16, 44100, rising)},
                 {"blip.wav", wave(44100, 2, 16, 88, level(kSteadyLevel))},
                 {"empty.wav", wave(44100, 2, 16, 0, level(0))},
                 {"garbage.wav", "this is no sound file at all\n"},
             }) {
            std::ofstream(folder_ / name, std::ios::binary) << bytes;
        }
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
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
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

TEST_F(SdlWavePlayerTest,
       PlaysFromWhereStoppedOrSoughtAndGivesTheDeviceBackAfterThreeSilentSeconds) {
    int notices = 0;
    auto player = openPlayer("long.wav", notices);
    EXPECT_FALSE(engine_->upkeep()) << "no device before the first sound";
    player->PlayWave(-1, -1, false);
    pumpFor(400);
    player->SeekWave(0);  // restarts at once
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying);
    nowMs_ += 5000;
    EXPECT_TRUE(engine_->upkeep()) << "released while sounding";
    pumpFor(750);
    EXPECT_EQ(notices, 0) << "the seek did not restart the sound";
    player->StopWave();
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
    pumpFor(30);  // the fade out
    EXPECT_TRUE(engine_->upkeep());
    nowMs_ += 2999;
    EXPECT_TRUE(engine_->upkeep());
    nowMs_ += 1;
    EXPECT_FALSE(engine_->upkeep());
    EXPECT_FALSE(engine_->outputOpen());
    // The resume opens the device again and plays the rest.
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(notices, 1), kLongMs - 750, kSlackMs);
    EXPECT_EQ(player->WaveMode(), WavePlayer::kModeStopped);
    // Sought while stopped, the paused place is given up; a place sought is
    // for the next play only; past the end is the end.
    player->PlayWave(-1, -1, false);
    pumpFor(300);
    player->StopWave();
    player->SeekWave(0);
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(notices, 2), kLongMs, kSlackMs);
    player->SeekWave(kLongMs - 300);
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(notices, 3), 300, kSlackMs);
    player->PlayWave(-1, -1, false);
    EXPECT_NEAR(msUntilNotices(notices, 4), kLongMs, kSlackMs);
    player->SeekWave(kLongMs * 5);
    player->PlayWave(-1, -1, false);
    EXPECT_LT(msUntilNotices(notices, 5), 100);
}

TEST_F(SdlWavePlayerTest, EachNaturalEndIsNewsOnceWhenDeliveredAndNothingTheGameAskedForIs) {
    std::atomic<int> wakes{0};
    engine_->setWake([&] { ++wakes; });  // called on the audio thread
    int notices = 0, unasked = 0;
    auto player = openPlayer("short.wav", notices);
    player->PlayWave(-1, -1, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(kShortMs + kSlackMs));
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(notices, 0) << "notices come only from deliverPendingNotices";
    engine_->deliverPendingNotices();
    EXPECT_EQ(notices, 1);
    // An end overtaken by a restart before the game heard of it is no news.
    player->SeekWave(0);
    player->PlayWave(-1, -1, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(kShortMs + kSlackMs));
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
    player.reset();

    // No notice for a close, a destruction, a file without sound (which says
    // so in one line), or a stop that the sound outlives by less than a fade.
    auto closer = openPlayer("short.wav", unasked);
    auto doomed = openPlayer("short.wav", unasked);
    closer->PlayWave(-1, -1, false);
    doomed->PlayWave(-1, -1, false);
    pumpFor(50);
    closer->CloseWave();
    doomed.reset();
    closer->PlayWave(-1, -1, false);  // a closed player is silent for good
    EXPECT_EQ(closer->WaveMode(), WavePlayer::kModeStopped);
    std::vector<std::unique_ptr<SdlWavePlayer>> silent;
    for (const char* name : {"no-such-file.wav", "garbage.wav", "empty.wav"}) {
        testing::internal::CaptureStderr();
        silent.push_back(openPlayer(name, unasked));
        silent.back()->PlayWave(-1, -1, false);  // waits for the decoding
        const std::string complaint = testing::internal::GetCapturedStderr();
        EXPECT_NE(complaint.find((folder_ / name).string()), std::string::npos) << complaint;
        EXPECT_EQ(std::count(complaint.begin(), complaint.end(), '\n'), 1) << complaint;
        EXPECT_EQ(silent.back()->WaveMode(), WavePlayer::kModeStopped) << name;
    }
    // The audio thread waits for the mixer's device until both calls are done.
    auto blip = openPlayer("blip.wav", unasked);
    SDL_AudioDeviceID device = 1;
    while (SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED && device < 16) {
        ++device;
    }
    SDL_LockAudioDevice(device);
    blip->PlayWave(-1, -1, false);
    blip->StopWave();
    SDL_UnlockAudioDevice(device);
    pumpFor(kShortMs + 100);
    EXPECT_EQ(unasked, 0);
}

TEST_F(SdlWavePlayerTest, SoundsMixAtOnceComeInWithinTwoBuffersAndFadeInsteadOfClicking) {
    OutputTap tap;
    int notices = 0;
    auto steady = openPlayer("steady.wav", notices);
    auto quiet = openPlayer("quiet.wav", notices);
    auto rising = openPlayer("rising.wav", notices);
    // The output from the sample before the call to 100 ms after it.
    const auto after = [&](const std::function<void()>& call) {
        const std::size_t called = tap.size();
        call();
        pumpFor(100);
        return tap.since(called);
    };
    const auto smooth = [](const Samples& out) {  // no step between samples of a channel
        for (std::size_t i = 2; i < out.size(); ++i) {
            EXPECT_LT(std::abs(out[i] - out[i - 2]), 1000) << i;
        }
        return std::pair<int, int>(out.front(), out.back());
    };
    steady->PlayWave(-1, -1, false);
    const Samples mixed = after([&] { quiet->PlayWave(-1, -1, false); });
    const auto both = std::find(mixed.begin(), mixed.end(), kSteadyLevel + kQuietLevel);
    EXPECT_LT(both - mixed.begin(), 2 * 512 * 2) << "a buffer is 512 frames of two samples";
    EXPECT_TRUE(std::all_of(mixed.begin() + 1, both, [](int v) { return v == kSteadyLevel; }));
    EXPECT_TRUE(
        std::all_of(both, mixed.end(), [](int v) { return v == kSteadyLevel + kQuietLevel; }));
    quiet->StopWave();
    pumpFor(30);
    EXPECT_EQ(smooth(after([&] { steady->StopWave(); })), std::pair(kSteadyLevel, 0));
    EXPECT_EQ(smooth(after([&] { steady->PlayWave(-1, -1, false); })), std::pair(0, kSteadyLevel));
    steady->StopWave();
    rising->PlayWave(-1, -1, false);
    pumpFor(500);
    // Cut half-way up, it dies away under its own new start from silence.
    const auto [cut, restarted] = smooth(after([&] { rising->SeekWave(0); }));
    EXPECT_GT(cut, kSteadyLevel / 3);
    EXPECT_LT(restarted, kSteadyLevel / 5);
    EXPECT_EQ(notices, 0);
}

TEST_F(SdlWavePlayerTest, WithoutADeviceItPlaysInSilenceAndTriesAgainAtMostOnceASecond) {
    int notices = 0;
    auto player = openPlayer("short.wav", notices);
    testing::internal::CaptureStderr();
    // Each row: a sound call at this time, with SDL's driver then; and
    // whether it plays on the silent stand-in, which keeps time like a device.
    for (const auto& [atMs, driver, inSilence] : {std::tuple(0, "none", true),
                                                  {999, "dummy", true},
                                                  {1000, "none", true},
                                                  {1999, "dummy", true},
                                                  {2000, "dummy", false},
                                                  {2500, "none", false}}) {
        nowMs_ = atMs;
        ::setenv("SDL_AUDIODRIVER", driver, 1);
        player->SeekWave(0);
        player->PlayWave(-1, -1, false);
        EXPECT_EQ(engine_->playingInSilence(), inSilence) << atMs;
        EXPECT_EQ(player->WaveMode(), WavePlayer::kModePlaying) << atMs;
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
