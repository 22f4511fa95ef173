#include "platform/desktop/sound/click_free_voice.h"

#include <algorithm>
#include <cmath>

namespace platform::desktop {

ClickFreeVoice::ClickFreeVoice(int channels, int fadeFrames)
    : channels_(std::max(1, channels)), step_(1.0f / float(std::max(1, fadeFrames))) {}

void ClickFreeVoice::startFresh(const std::int16_t* tail, std::size_t tailFrames, float tailGain) {
    pauseRequested_.store(false);
    gain_ = 1.0f;
    framesPlayed_ = 0;
    tailGain_ = std::clamp(tailGain, 0.0f, 1.0f);
    const bool audible = tail != nullptr && tailFrames > 0 && tailGain_ > 0.0f;
    tail_ = audible ? tail : nullptr;
    // The tail dies away over one fade at most, however long the rest is.
    tailFrames_ = audible ? std::min(tailFrames, std::size_t(std::ceil(tailGain_ / step_))) : 0;
    tailDone_ = 0;
}

void ClickFreeVoice::startFadingIn() {
    startFresh(nullptr, 0, 0.0f);
    gain_ = 0.0f;
}

bool ClickFreeVoice::process(std::int16_t* samples, std::size_t frames) {
    const float target = pauseRequested_.load() ? 0.0f : 1.0f;
    if (target == 1.0f && gain_ == 1.0f && tailDone_ >= tailFrames_) {
        // Playing at full level with nothing fading: the samples stay as they are.
        framesPlayed_ += frames;
        return false;
    }
    for (std::size_t frame = 0; frame < frames; ++frame) {
        if (gain_ < target) {
            gain_ = std::min(target, gain_ + step_);
        } else if (gain_ > target) {
            gain_ = std::max(target, gain_ - step_);
        }
        float tailGain = 0.0f;
        const std::int16_t* tailFrame = nullptr;
        if (tailDone_ < tailFrames_) {
            tailGain = tailGain_ * (1.0f - float(tailDone_) / float(tailFrames_));
            tailFrame = tail_ + tailDone_ * std::size_t(channels_);
            ++tailDone_;
        }
        std::int16_t* out = samples + frame * std::size_t(channels_);
        for (int channel = 0; channel < channels_; ++channel) {
            float value = float(out[channel]) * gain_;
            if (tailFrame != nullptr) {
                value += float(tailFrame[channel]) * tailGain;
            }
            out[channel] = std::int16_t(std::lrint(std::clamp(value, -32768.0f, 32767.0f)));
        }
        if (target == 0.0f && gain_ == 0.0f && tailDone_ >= tailFrames_) {
            // Silent from here on: the rest of this piece plays as silence.
            std::fill(out + channels_, samples + frames * std::size_t(channels_), 0);
            framesPlayed_ += frames;
            return true;
        }
    }
    framesPlayed_ += frames;
    return false;
}

}  // namespace platform::desktop
