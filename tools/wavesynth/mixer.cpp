#include "wavesynth/mixer.h"

namespace wavesynth {

Mixer Mixer::growing() {
    return Mixer(0, false);
}

Mixer Mixer::looped(std::size_t length) {
    return Mixer(length, true);
}

void Mixer::add(const Samples& voice, std::size_t start, double gain) {
    if (!wraps_) {
        if (samples_.size() < start + voice.size()) {
            samples_.resize(start + voice.size(), 0.0f);
        }
        for (std::size_t i = 0; i < voice.size(); ++i) {
            samples_[start + i] += static_cast<float>(voice[i] * gain);
        }
        return;
    }
    const std::size_t length = samples_.size();
    if (length == 0) {
        return;
    }
    std::size_t at = start % length;
    for (float sample : voice) {
        samples_[at] += static_cast<float>(sample * gain);
        if (++at == length) {
            at = 0;
        }
    }
}

}  // namespace wavesynth
