#pragma once

#include <SDL_mixer.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/desktop/sound/audio_device_lifecycle.h"
#include "platform/desktop/sound/click_free_voice.h"

namespace platform::desktop {

// The program's one SDL audio engine: it hands each wave player a mixer
// channel of its own, turns "this channel ran to its end" from SDL's audio
// thread into a call on the GUI thread, and holds an output device only
// while it is needed: opened by the first sound call, given back after a
// spell of silence (upkeep()), and tried again after it was lost. A
// channel's place survives all of that, so a stopped tune resumes where it
// stopped on whichever device is open then.
//
// Everything except the wake function runs on the thread that created the
// engine (the GUI thread). The engine must outlive the players built on it.
class SdlAudioEngine {
public:
    // Room for the five game sounds and a few more.
    static constexpr int kMaxChannels = 16;
    // How often upkeep() should run while an output is open.
    static constexpr int kUpkeepIntervalMs = 250;

    // nowMs, a monotonic clock in milliseconds, decides when the silence has
    // lasted long enough and when to try a lost device again.
    explicit SdlAudioEngine(std::function<std::int64_t()> nowMs = {});
    ~SdlAudioEngine();
    SdlAudioEngine(const SdlAudioEngine&) = delete;
    SdlAudioEngine& operator=(const SdlAudioEngine&) = delete;

    // Called from SDL's audio thread whenever a sound has run to its end; the
    // host makes it schedule deliverPendingNotices() on the GUI thread.
    void setWake(std::function<void()> wake);
    // Raises the end notices recorded since the last call, on this thread.
    void deliverPendingNotices();
    // Called on this thread whenever an output has been opened: the host
    // then runs upkeep() every kUpkeepIntervalMs until it returns false.
    void setOnOutputOpened(std::function<void()> opened);
    // Notices a lost device and gives the device back after a spell of
    // silence. Returns whether an output is still open.
    bool upkeep();

    // Opens an output now unless one is open: the device, or while that is
    // lost the silent driver. False when not even that opens.
    bool ensureOutput();
    bool outputOpen() const { return output_ != Output::None; }
    // Sound is lost: the silent driver stands in for the device.
    bool playingInSilence() const { return output_ == Output::Silent; }
    // The SDL driver of the open output ("dummy" when playing in silence), or "".
    const std::string& driverName() const { return driverName_; }

    // Channel handling for the players. A channel's listener is called by
    // deliverPendingNotices once for each playback that ran to its end.
    // acquireChannel returns -1 when there is no channel to give.
    int acquireChannel(std::function<void()> onNaturalEnd);
    void releaseChannel(int channel);
    // Plays `bytes` of samples in MixFormat from `samples`, which must stay
    // valid until the channel is halted or plays something else. Whatever the
    // channel was sounding is cut off and dies away under the new sound.
    // Returns false if there is no output or the mixer refused.
    bool play(int channel, const std::uint8_t* samples, std::size_t bytes);
    // Stops the channel for good; no end notice follows for what was playing.
    void halt(int channel);
    // Fades the channel out and holds its place; no end notice follows for
    // a sound that runs out while it fades.
    void pause(int channel);
    // Fades a paused channel in again where it was held.
    void resume(int channel);
    // Playing and not paused or fading towards a pause.
    bool isSounding(int channel) const;
    // Paused, or fading towards a pause, with a place to resume from.
    bool isPaused(int channel) const;

private:
    enum class Output { None, Device, Silent };
    // A channel's playback while no output is open, or across a change of
    // output: where it goes on, and whether it was sounding or paused.
    enum class Held { None, Playing, Paused };

    struct ChannelSlot {
        bool inUse = false;
        // The playback whose end is still news; 0 once it was halted.
        std::uint64_t generation = 0;
        std::function<void()> onNaturalEnd;
        // What the mixer plays on the channel. Rewritten only while halted.
        Mix_Chunk chunk{};
        Held held = Held::None;
        std::size_t heldFrame = 0;  // within chunk
    };

    // Output handling (sdl_audio_output.cpp).
    bool openOutput(Output output, std::string& failure);
    void closeOutput();
    void holdChannels();
    void restoreChannels();
    bool deviceLost() const;
    void loseDevice(const std::string& reason);

    bool validChannel(int channel) const;
    bool onMixer(int channel) const;
    bool producingSound(int channel) const;
    // Plays the channel's chunk from `frame` on, as its voice is set; the
    // generation stays, so its end is still news.
    bool startChunk(int channel, std::size_t frame);
    void recordFinished(int channel);
    void recordEnd(int channel, std::uint64_t generation);
    void callWake();
    static void onChannelFinished(int channel);
    static void applyFades(int channel, void* samples, int bytes, void* voice);

    static std::atomic<SdlAudioEngine*> instance_;

    AudioDeviceLifecycle lifecycle_;
    Output output_ = Output::None;
    std::string driverName_;
    // The SDL device the mixer opened, watched for its loss; 0 if unknown.
    int deviceId_ = 0;
    std::function<void()> onOutputOpened_;
    std::uint64_t lastGeneration_ = 0;
    std::array<ChannelSlot, kMaxChannels> slots_;
    // Shared with the audio thread, which runs their process().
    std::array<std::unique_ptr<ClickFreeVoice>, kMaxChannels> voices_;

    // Shared with the audio thread. armed_ holds the generation of the playback
    // that may still end by itself (0 while halting, so a halt is never taken
    // for an end); ended_ holds the generation that did end, until delivered.
    std::array<std::atomic<std::uint64_t>, kMaxChannels> armed_{};
    std::array<std::atomic<std::uint64_t>, kMaxChannels> ended_{};
    std::mutex wakeMutex_;
    std::shared_ptr<const std::function<void()>> wake_;
};

}  // namespace platform::desktop
