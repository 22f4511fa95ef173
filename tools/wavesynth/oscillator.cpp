#include "wavesynth/oscillator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "wavesynth/samples.h"

namespace wavesynth {

namespace {

// Correction around a unit step at phase 0 for a phase increment of `dt`.
double polyBlep(double phase, double dt) {
    if (phase < dt) {
        const double x = phase / dt;
        return x + x - x * x - 1.0;
    }
    if (phase > 1.0 - dt) {
        const double x = (phase - 1.0) / dt;
        return x * x + x + x + 1.0;
    }
    return 0.0;
}

double wrapPhase(double phase) {
    return phase - std::floor(phase);
}

}  // namespace

Oscillator::Oscillator(Waveform waveform, double pulseWidth)
    : waveform_(waveform), pulseWidth_(std::clamp(pulseWidth, 0.05, 0.95)) {}

float Oscillator::next(double frequencyHz) {
    // Keep the step below Nyquist so the BLEP window stays meaningful.
    const double dt = std::clamp(frequencyHz / kSampleRate, 0.0, 0.49);
    const double t = phase_;
    double value = 0.0;
    switch (waveform_) {
        case Waveform::kSine:
            value = std::sin(2.0 * std::numbers::pi * t);
            break;
        case Waveform::kTriangle:
            // Starts at zero and rises, like the sine.
            if (t < 0.25) {
                value = 4.0 * t;
            } else if (t < 0.75) {
                value = 2.0 - 4.0 * t;
            } else {
                value = 4.0 * t - 4.0;
            }
            break;
        case Waveform::kSaw: {
            // Shifted half a cycle so the ramp passes zero at phase 0.
            const double shifted = wrapPhase(t + 0.5);
            value = 2.0 * shifted - 1.0 - polyBlep(shifted, dt);
            break;
        }
        case Waveform::kPulse: {
            value = t < pulseWidth_ ? 1.0 : -1.0;
            value += polyBlep(t, dt);
            value -= polyBlep(wrapPhase(t - pulseWidth_), dt);
            // A narrow pulse averages below zero; remove that offset.
            value -= 2.0 * pulseWidth_ - 1.0;
            break;
        }
    }
    phase_ = wrapPhase(phase_ + dt);
    return static_cast<float>(value);
}

NoiseSource::NoiseSource(std::uint32_t seed) : state_(seed != 0 ? seed : 0x9E3779B9u) {}

float NoiseSource::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    // Top 24 bits give an exact float in [0, 1).
    const double unit = static_cast<double>(state_ >> 8) / 16777216.0;
    return static_cast<float>(unit * 2.0 - 1.0);
}

}  // namespace wavesynth
