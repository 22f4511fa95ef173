#include "wavesynth/jingles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "wavesynth/filter.h"
#include "wavesynth/instruments.h"
#include "wavesynth/mixer.h"
#include "wavesynth/pitch.h"

// The two longer phrases: the high-score fanfare and the game-over trombone.
namespace wavesynth {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double timeOf(std::size_t index) {
    return static_cast<double>(index) / kSampleRate;
}

double centsToRatio(double cents) {
    return std::pow(2.0, cents / 1200.0);
}

struct Blow {
    double at;    // seconds from the start
    double gate;  // seconds held
    const char* note;
};

// Saw and pulse through a low-pass whose cutoff jumps on the attack and then
// settles: the "blat" that makes a synth read as brass.
Samples renderBrass(double hz, double gate) {
    const Adsr envelope{0.012, 0.3, 0.8, 0.1};
    Samples out(secondsToSamples(adsrLength(envelope, gate)));
    Oscillator saw(Waveform::kSaw);
    Oscillator pulse(Waveform::kPulse, 0.3);
    StateVariableFilter bell;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = timeOf(i);
        double cents = 0.0;
        if (t > 0.3) {
            cents = 10.0 * std::min(1.0, (t - 0.3) / 0.2) * std::sin(kTwoPi * 5.5 * (t - 0.3));
        }
        const double f = hz * centsToRatio(cents);
        const double raw = 0.6 * saw.next(f) + 0.4 * pulse.next(f * 1.004);
        const double cutoff = 400.0 + hz * (2.0 + 5.0 * percussiveLevel(t, 0.03, 0.25));
        out[i] = static_cast<float>(bell.lowPass(static_cast<float>(raw), cutoff, 1.2) *
                                    adsrLevel(envelope, t, gate));
    }
    return out;
}

void addBlows(Mixer& mix, const auto& blows, double gain, const auto& render) {
    for (const Blow& blow : blows) {
        mix.add(render(midiToHz(noteNumber(blow.note)), blow.gate), secondsToSamples(blow.at),
                gain);
    }
}

// One trombone note with a plunger mute: the filter opens and closes ("wah")
// and the pitch sags. The last note sags further and wobbles.
Samples renderTromboneNote(double hz, double gate, bool last) {
    const Adsr envelope{0.03, 0.2, 0.85, last ? 0.25 : 0.06};
    Samples out(secondsToSamples(adsrLength(envelope, gate)));
    Oscillator horn(Waveform::kSaw);
    Oscillator body(Waveform::kSine);
    StateVariableFilter mute;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = timeOf(i);
        const double progress = std::min(1.0, t / gate);
        double cents = (last ? -70.0 : -25.0) * progress;
        double wah = std::pow(std::sin(std::numbers::pi * progress), 0.8);
        if (last) {
            // The mute opens once, then flutters with the vibrato.
            const double wobble = t > 0.25 ? std::min(1.0, (t - 0.25) / 0.4) : 0.0;
            const double lfo = std::sin(kTwoPi * 5.0 * std::max(0.0, t - 0.25));
            cents += 30.0 * wobble * lfo;
            wah = std::min(1.0, t / 0.2) * (1.0 - 0.4 * wobble * (0.5 - 0.5 * lfo));
        }
        const double f = hz * centsToRatio(cents);
        const double cutoff = 300.0 + 1500.0 * wah;
        const double horned = mute.lowPass(horn.next(f), cutoff, 2.5);
        out[i] =
            static_cast<float>((horned + 0.3 * body.next(f / 2.0)) * adsrLevel(envelope, t, gate));
    }
    return out;
}

}  // namespace

Samples renderHighScore() {
    // "Ta-ta-ta TAA, ta-ta-ta TAA, TAAAA" over C - C - G - C.
    constexpr std::array<Blow, 9> kMelody = {{
        {0.00, 0.09, "G4"},
        {0.12, 0.09, "G4"},
        {0.24, 0.09, "G4"},
        {0.36, 0.30, "C5"},
        {0.72, 0.09, "E5"},
        {0.84, 0.09, "E5"},
        {0.96, 0.09, "E5"},
        {1.08, 0.22, "G5"},
        {1.34, 1.00, "C6"},
    }};
    constexpr std::array<Blow, 11> kHarmony = {{
        {0.00, 0.09, "E4"},
        {0.12, 0.09, "E4"},
        {0.24, 0.09, "E4"},
        {0.36, 0.30, "G4"},
        {0.72, 0.09, "C5"},
        {0.84, 0.09, "C5"},
        {0.96, 0.09, "C5"},
        {1.08, 0.22, "D5"},
        {1.34, 1.00, "G5"},
        {1.34, 1.00, "E5"},
        {1.34, 1.00, "C5"},
    }};
    constexpr std::array<Blow, 3> kBass = {{
        {0.36, 0.30, "C3"},
        {1.08, 0.22, "G2"},
        {1.34, 1.00, "C3"},
    }};

    Mixer mix = Mixer::growing();
    addBlows(mix, kMelody, 0.5, renderBrass);
    addBlows(mix, kHarmony, 0.25, renderBrass);
    Voice bass;
    bass.waveform = Waveform::kTriangle;
    bass.envelope = Adsr{0.005, 0.3, 0.8, 0.1};
    addBlows(mix, kBass, 0.6, [&](double hz, double gate) { return renderNote(bass, hz, gate); });

    DrumKit kit(0xFA4Fu);
    for (double at : {0.0, 0.12, 0.24}) {
        mix.add(kit.snare(), secondsToSamples(at), 0.15);
    }
    // A roll swelling into the last chord.
    for (int hit = 0; hit < 4; ++hit) {
        mix.add(kit.snare(), secondsToSamples(1.08 + 0.065 * hit), 0.12 + 0.05 * hit);
    }
    for (double at : {0.36, 1.08, 1.34}) {
        mix.add(kit.kick(), secondsToSamples(at), 0.6);
    }
    mix.add(kit.crash(0.35), secondsToSamples(1.34), 0.15);

    return finishOneShot(mix.release(), 2.7, 0.3, -2.0);
}

Samples renderGameOver() {
    // Chromatic fall D, C#, C, then a long, sagging B.
    constexpr std::array<Blow, 4> kPhrase = {{
        {0.00, 0.36, "D4"},
        {0.45, 0.36, "C#4"},
        {0.90, 0.36, "C4"},
        {1.35, 1.05, "B3"},
    }};
    Mixer mix = Mixer::growing();
    for (std::size_t i = 0; i < kPhrase.size(); ++i) {
        const Blow& blow = kPhrase[i];
        const bool last = i + 1 == kPhrase.size();
        mix.add(renderTromboneNote(midiToHz(noteNumber(blow.note)), blow.gate, last),
                secondsToSamples(blow.at), 1.0);
    }
    return finishOneShot(mix.release(), 2.66, 0.05, -3.0);
}

}  // namespace wavesynth
