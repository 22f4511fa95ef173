#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace platform::desktop {

// What one mixer channel does to its samples so that nothing clicks where a
// sound is cut: it fades out over a few milliseconds before it pauses, fades
// in again when it resumes, and when a sound restarts it lets the cut-off
// part of the old one die away under the new one.
//
// Samples are signed 16-bit, interleaved. process() runs on the audio thread;
// requestPause() and requestResume() may be called from any thread at any
// time; startFresh(), framesPlayed() and gain() only while the channel is
// halted, when no process() can run.
class ClickFreeVoice {
public:
    // channels: samples per frame; fadeFrames: length of every fade.
    ClickFreeVoice(int channels, int fadeFrames);

    // A new playback begins. tail, if not null, is where the old sound was
    // cut: up to tailFrames of it are faded out from tailGain under the new
    // sound. The new sound starts at full gain.
    void startFresh(const std::int16_t* tail, std::size_t tailFrames, float tailGain);
    // A playback goes on from a place it had reached before its output was
    // closed: it fades in from silence.
    void startFadingIn();

    void requestPause() { pauseRequested_.store(true); }
    void requestResume() { pauseRequested_.store(false); }
    bool pauseRequested() const { return pauseRequested_.load(); }

    // Applies the fades to the next frames of the playback in place. Returns
    // true when a requested pause has faded to silence: the caller pauses
    // the channel then, and the rest of these frames are silent.
    bool process(std::int16_t* samples, std::size_t frames);

    // Frames of the current playback that have gone through process().
    std::size_t framesPlayed() const { return framesPlayed_; }
    // The gain the next frame would get (0 once paused, 1 while playing).
    float gain() const { return gain_; }

private:
    const int channels_;
    const float step_;
    std::atomic<bool> pauseRequested_{false};
    float gain_ = 1.0f;
    std::size_t framesPlayed_ = 0;
    const std::int16_t* tail_ = nullptr;
    std::size_t tailFrames_ = 0;
    std::size_t tailDone_ = 0;
    float tailGain_ = 0.0f;
};

}  // namespace platform::desktop
