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

#include "platform/qt/click_free_voice.h"

namespace platform::qt {

// The program's one SDL audio engine: it opens SDL_mixer, hands each wave
// player a mixer channel of its own and turns "this channel ran to its end"
// from SDL's audio thread into a call on the GUI thread.
//
// Everything except the wake function runs on the thread that created the
// engine (the GUI thread). The engine must outlive the players built on it.
class SdlAudioEngine {
public:
    // Room for the five game sounds and a few more.
    static constexpr int kMaxChannels = 16;

    SdlAudioEngine();
    ~SdlAudioEngine();
    SdlAudioEngine(const SdlAudioEngine&) = delete;
    SdlAudioEngine& operator=(const SdlAudioEngine&) = delete;

    // Called from SDL's audio thread whenever a sound has run to its end; the
    // host makes it schedule deliverPendingNotices() on the GUI thread.
    void setWake(std::function<void()> wake);
    // Raises the end notices recorded since the last call, on this thread.
    void deliverPendingNotices();

    // False when not even the silent driver could be opened: players stay mute.
    bool isOpen() const { return open_; }
    // The SDL driver in use ("dummy" when playing in silence), or "".
    const std::string& driverName() const { return driverName_; }
    // The decoded sample layout every loaded sound is converted to.
    int frequency() const { return frequency_; }
    std::size_t frameBytes() const { return frameBytes_; }

    // Channel handling for the players. A channel's listener is called by
    // deliverPendingNotices once for each playback that ran to its end.
    // acquireChannel returns -1 when there is no channel to give.
    int acquireChannel(std::function<void()> onNaturalEnd);
    void releaseChannel(int channel);
    // Plays `bytes` of decoded samples from `samples`, which must stay valid
    // until the channel is halted or plays something else. Whatever the
    // channel was sounding is cut off and dies away under the new sound.
    // Returns false if the mixer refused.
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
    struct ChannelSlot {
        bool inUse = false;
        // The playback whose end is still news; 0 once it was halted.
        std::uint64_t generation = 0;
        std::function<void()> onNaturalEnd;
        // What the mixer plays on the channel. Rewritten only while halted.
        Mix_Chunk chunk{};
    };

    bool openOutput(std::string& failure);
    bool validChannel(int channel) const;
    bool producingSound(int channel) const;
    void recordFinished(int channel);
    void recordEnd(int channel, std::uint64_t generation);
    void callWake();
    static void onChannelFinished(int channel);
    static void applyFades(int channel, void* samples, int bytes, void* voice);

    static std::atomic<SdlAudioEngine*> instance_;

    bool open_ = false;
    std::string driverName_;
    int frequency_ = 0;
    std::size_t frameBytes_ = 0;
    int mixerChannels_ = 0;
    std::uint64_t lastGeneration_ = 0;
    std::array<ChannelSlot, kMaxChannels> slots_;
    // Fades need 16-bit samples; without them channels start and stop hard.
    bool fades_ = false;
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

}  // namespace platform::qt
