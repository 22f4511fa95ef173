#pragma once

#include <cstdint>

namespace wavesynth {

enum class Waveform { kSine, kTriangle, kSaw, kPulse };

// A phase-accumulating oscillator. The frequency is passed per sample so that
// glides and vibrato need no extra state. Saw and pulse edges are smoothed with
// PolyBLEP so high notes do not fold back as harsh aliasing. Every waveform is
// centred on zero; sine, triangle and saw also start at zero. A pulse has no
// zero level, so pulse notes rely on their envelope's attack to begin quietly.
class Oscillator {
public:
    // `pulseWidth` is the high fraction of a pulse cycle (0.5 = square).
    explicit Oscillator(Waveform waveform, double pulseWidth = 0.5);

    float next(double frequencyHz);

private:
    Waveform waveform_;
    double pulseWidth_;
    double phase_ = 0.0;  // in cycles, [0, 1)
};

// White noise from a fixed-seed xorshift generator: the same seed gives the
// same hiss on every run and every machine.
class NoiseSource {
public:
    explicit NoiseSource(std::uint32_t seed);

    float next();  // uniform in [-1, 1)

private:
    std::uint32_t state_;
};

}  // namespace wavesynth
