#include "wavesynth/instruments.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "wavesynth/filter.h"

namespace wavesynth {

namespace {

constexpr double kEndFadeSeconds = 0.01;

double timeOf(std::size_t index) {
    return static_cast<double>(index) / kSampleRate;
}

}  // namespace

Samples renderNote(const Voice& voice, double frequencyHz, double gateSeconds) {
    Samples out(secondsToSamples(adsrLength(voice.envelope, gateSeconds)));
    Oscillator oscillator(voice.waveform, voice.pulseWidth);
    StateVariableFilter filter;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = timeOf(i);
        double hz = frequencyHz;
        if (voice.vibratoCents > 0.0 && t > voice.vibratoDelay) {
            const double sinceDelay = t - voice.vibratoDelay;
            const double depth = voice.vibratoCents * std::min(1.0, sinceDelay / 0.15);
            const double cents =
                depth * std::sin(2.0 * std::numbers::pi * voice.vibratoRateHz * sinceDelay);
            hz *= std::pow(2.0, cents / 1200.0);
        }
        float sample = oscillator.next(hz);
        if (voice.lowPassHz > 0.0) {
            sample = filter.lowPass(sample, voice.lowPassHz);
        }
        out[i] = static_cast<float>(sample * adsrLevel(voice.envelope, t, gateSeconds));
    }
    return out;
}

Samples DrumKit::kick() {
    Samples out(secondsToSamples(0.26));
    Oscillator body(Waveform::kSine);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = timeOf(i);
        const double pitch = 48.0 + 112.0 * std::exp(-t / 0.03);
        out[i] = static_cast<float>(body.next(pitch) * percussiveLevel(t, 0.001, 0.09));
    }
    fadeOut(out, kEndFadeSeconds);
    return out;
}

Samples DrumKit::snare() {
    Samples out(secondsToSamples(0.2));
    Oscillator body(Waveform::kTriangle);
    StateVariableFilter hiss;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = timeOf(i);
        const double tone =
            body.next(200.0 - 40.0 * std::min(1.0, t / 0.05)) * percussiveLevel(t, 0.001, 0.035);
        const double rattle =
            hiss.bandPass(noise_.next(), 2500.0, 0.6) * percussiveLevel(t, 0.001, 0.06);
        out[i] = static_cast<float>(0.55 * tone + 1.2 * rattle);
    }
    fadeOut(out, kEndFadeSeconds);
    return out;
}

Samples DrumKit::hiHat(bool open) {
    const double decay = open ? 0.09 : 0.02;
    Samples out(secondsToSamples(open ? 0.3 : 0.08));
    StateVariableFilter sizzle;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = timeOf(i);
        out[i] = static_cast<float>(sizzle.highPass(noise_.next(), 7500.0) *
                                    percussiveLevel(t, 0.0005, decay));
    }
    fadeOut(out, kEndFadeSeconds);
    return out;
}

Samples DrumKit::crash(double decaySeconds) {
    Samples out(secondsToSamples(decaySeconds * 4.0));
    StateVariableFilter wash;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = timeOf(i);
        out[i] = static_cast<float>(wash.highPass(noise_.next(), 4000.0) *
                                    percussiveLevel(t, 0.002, decaySeconds));
    }
    fadeOut(out, std::min(0.1, decaySeconds));
    return out;
}

}  // namespace wavesynth
