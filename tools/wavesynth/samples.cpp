#include "wavesynth/samples.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace wavesynth {

std::size_t secondsToSamples(double seconds) {
    if (seconds <= 0.0) {
        return 0;
    }
    return static_cast<std::size_t>(std::lround(seconds * kSampleRate));
}

double peakLevel(const Samples& samples) {
    double peak = 0.0;
    for (float s : samples) {
        peak = std::max(peak, static_cast<double>(std::fabs(s)));
    }
    return peak;
}

double rmsLevel(const Samples& samples) {
    if (samples.empty()) {
        return 0.0;
    }
    double sum = 0.0;
    for (float s : samples) {
        sum += static_cast<double>(s) * s;
    }
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

double meanLevel(const Samples& samples) {
    if (samples.empty()) {
        return 0.0;
    }
    double sum = 0.0;
    for (float s : samples) {
        sum += s;
    }
    return sum / static_cast<double>(samples.size());
}

double dbfsToLinear(double dbfs) {
    return std::pow(10.0, dbfs / 20.0);
}

double linearToDbfs(double level) {
    if (level <= 0.0) {
        return -std::numeric_limits<double>::infinity();
    }
    return 20.0 * std::log10(level);
}

void applyGain(Samples& samples, double gain) {
    for (float& s : samples) {
        s = static_cast<float>(s * gain);
    }
}

void removeDcOffset(Samples& samples) {
    const double mean = meanLevel(samples);
    for (float& s : samples) {
        s = static_cast<float>(s - mean);
    }
}

void fadeIn(Samples& samples, double seconds) {
    const std::size_t length = std::min(secondsToSamples(seconds), samples.size());
    for (std::size_t i = 0; i < length; ++i) {
        samples[i] *= static_cast<float>(static_cast<double>(i) / static_cast<double>(length));
    }
}

void fadeOut(Samples& samples, double seconds) {
    const std::size_t length = std::min(secondsToSamples(seconds), samples.size());
    const std::size_t start = samples.size() - length;
    for (std::size_t i = 0; i < length; ++i) {
        // The last sample lands exactly on zero.
        const double remaining = static_cast<double>(length - 1 - i);
        samples[start + i] *= static_cast<float>(remaining / static_cast<double>(length));
    }
}

void normalisePeak(Samples& samples, double peakDbfs) {
    const double peak = peakLevel(samples);
    if (peak > 0.0) {
        applyGain(samples, dbfsToLinear(peakDbfs) / peak);
    }
}

void normaliseRms(Samples& samples, double rmsDbfs, double peakCeilingDbfs) {
    const double rms = rmsLevel(samples);
    const double peak = peakLevel(samples);
    if (rms <= 0.0 || peak <= 0.0) {
        return;
    }
    const double gain = std::min(dbfsToLinear(rmsDbfs) / rms, dbfsToLinear(peakCeilingDbfs) / peak);
    applyGain(samples, gain);
}

Samples finishOneShot(Samples sound, double lengthSeconds, double fadeOutSeconds, double peakDbfs) {
    sound.resize(secondsToSamples(lengthSeconds), 0.0f);
    removeDcOffset(sound);
    // Removing the offset can lift the first sample off zero; a ramp a dozen
    // samples long puts it back without softening the attack.
    fadeIn(sound, 0.0003);
    fadeOut(sound, fadeOutSeconds);
    normalisePeak(sound, peakDbfs);
    return sound;
}

}  // namespace wavesynth
