#pragma once

#include <cstddef>
#include <utility>

#include "wavesynth/samples.h"

namespace wavesynth {

// Lays rendered notes onto one timeline.
class Mixer {
public:
    // A one-shot sound: the timeline grows to fit whatever is added.
    static Mixer growing();
    // A music loop of fixed length: anything ringing past the end wraps onto the
    // start, so when the track restarts the tail is already there and the seam
    // sounds like any other moment of the tune.
    static Mixer looped(std::size_t length);

    void add(const Samples& voice, std::size_t start, double gain);
    // Adds another mixer's output, wrapping or growing the same way.
    void add(const Mixer& bus, std::size_t start, double gain) { add(bus.samples_, start, gain); }

    const Samples& samples() const { return samples_; }
    Samples release() { return std::move(samples_); }

private:
    Mixer(std::size_t length, bool wraps) : samples_(length, 0.0f), wraps_(wraps) {}

    Samples samples_;
    bool wraps_;
};

}  // namespace wavesynth
