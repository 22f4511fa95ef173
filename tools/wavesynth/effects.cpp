#include "wavesynth/effects.h"

#include <array>
#include <cmath>
#include <numbers>

#include "wavesynth/instruments.h"
#include "wavesynth/mixer.h"
#include "wavesynth/pitch.h"

namespace wavesynth {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

}  // namespace

Samples renderBallBounce() {
    constexpr double kLength = 0.09;
    Samples out(secondsToSamples(kLength));
    double bodyPhase = 0.0;
    double knockPhase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        // The pitch falls fast from the impact: "boink" rather than "beep".
        const double pitch = 250.0 + 400.0 * std::exp(-t / 0.015);
        bodyPhase += pitch / kSampleRate;
        knockPhase += 2.76 * pitch / kSampleRate;  // an inharmonic, woody partial
        const double body = std::sin(kTwoPi * bodyPhase) * percussiveLevel(t, 0.0015, 0.028);
        const double knock = std::sin(kTwoPi * knockPhase) * percussiveLevel(t, 0.0008, 0.006);
        out[i] = static_cast<float>(body + 0.3 * knock);
    }
    return finishOneShot(out, kLength, 0.012, -7.0);
}

Samples renderBonusCollected() {
    Voice chime;
    chime.waveform = Waveform::kPulse;
    chime.pulseWidth = 0.5;
    chime.envelope = Adsr{0.002, 0.07, 0.3, 0.12};
    chime.lowPassHz = 6000.0;

    // C major climbing two octaves; the top note rings longest.
    constexpr std::array<const char*, 6> kNotes = {"E5", "G5", "C6", "E6", "G6", "C7"};
    constexpr double kSpacing = 0.045;
    Mixer arpeggio = Mixer::growing();
    for (std::size_t i = 0; i < kNotes.size(); ++i) {
        const bool last = i + 1 == kNotes.size();
        const double gate = last ? 0.2 : 0.06;
        arpeggio.add(renderNote(chime, midiToHz(noteNumber(kNotes[i])), gate),
                     secondsToSamples(kSpacing * static_cast<double>(i)), 1.0);
    }

    Mixer mix = Mixer::growing();
    mix.add(arpeggio, 0, 1.0);
    mix.add(arpeggio, secondsToSamples(0.1), 0.3);  // a quick echo to shimmer

    // Sparkles: high sine pings at fixed-seed random moments.
    NoiseSource scatter(0xB0B05u);
    constexpr std::array<double, 5> kSparkleNotes = {96, 100, 103, 108, 103};  // C7..C8
    for (std::size_t i = 0; i < kSparkleNotes.size(); ++i) {
        const double at = 0.18 + 0.08 * static_cast<double>(i) + 0.02 * scatter.next();
        Samples ping(secondsToSamples(0.2));
        const double hz = midiToHz(kSparkleNotes[i]);
        for (std::size_t n = 0; n < ping.size(); ++n) {
            const double t = static_cast<double>(n) / kSampleRate;
            ping[n] =
                static_cast<float>(std::sin(kTwoPi * hz * t) * percussiveLevel(t, 0.001, 0.04));
        }
        mix.add(ping, secondsToSamples(at), 0.18);
    }
    return finishOneShot(mix.release(), 0.8, 0.06, -3.0);
}

}  // namespace wavesynth
