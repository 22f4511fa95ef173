#pragma once

#include "wavesynth/envelope.h"
#include "wavesynth/oscillator.h"
#include "wavesynth/samples.h"

// The chip "band": pitched voices and a noise drum kit. Each call renders one
// note from silence back to silence, ready to be laid onto a Mixer.
namespace wavesynth {

struct Voice {
    Waveform waveform = Waveform::kPulse;
    double pulseWidth = 0.5;
    Adsr envelope;
    double lowPassHz = 0.0;  // 0 leaves the tone unfiltered
    // Vibrato eases in after `vibratoDelay` seconds, so short notes stay steady.
    double vibratoCents = 0.0;
    double vibratoRateHz = 5.5;
    double vibratoDelay = 0.2;
};

Samples renderNote(const Voice& voice, double frequencyHz, double gateSeconds);

// Percussion. The kit draws its hiss from one running noise source, so no two
// hits are sample-for-sample identical (a repeated hit sounds mechanical).
class DrumKit {
public:
    explicit DrumKit(std::uint32_t seed) : noise_(seed) {}

    Samples kick();  // a sine dropping quickly in pitch
    Samples snare();
    Samples hiHat(bool open);
    Samples crash(double decaySeconds);

private:
    NoiseSource noise_;
};

}  // namespace wavesynth
