#pragma once

#include <cstddef>
#include <vector>

// Mono sample buffers and the level arithmetic every sound shares. Samples are
// floats in [-1, 1] at one fixed rate; the WAV writer converts them to 16 bits.
namespace wavesynth {

using Samples = std::vector<float>;

inline constexpr int kSampleRate = 44100;

// Number of samples covering the given duration, rounded to the nearest one.
std::size_t secondsToSamples(double seconds);

double peakLevel(const Samples& samples);  // largest magnitude
double rmsLevel(const Samples& samples);
double meanLevel(const Samples& samples);  // the DC offset

double dbfsToLinear(double dbfs);
double linearToDbfs(double level);  // -inf for silence

void applyGain(Samples& samples, double gain);

// Subtracts the mean. A constant shift keeps a looped buffer continuous at its
// seam, which a high-pass filter started at sample 0 would not.
void removeDcOffset(Samples& samples);

// Linear ramps from / to silence over the first / last `seconds`.
void fadeIn(Samples& samples, double seconds);
void fadeOut(Samples& samples, double seconds);

// Scales so the loudest sample sits at `peakDbfs`. Silence is left alone.
void normalisePeak(Samples& samples, double peakDbfs);

// Scales towards `rmsDbfs`, but never so far that the peak passes
// `peakCeilingDbfs`: clipping is worse than a quieter track.
void normaliseRms(Samples& samples, double rmsDbfs, double peakCeilingDbfs);

// Shared clean-up for one-shot effects: cut or padded to `lengthSeconds`,
// centred, starting and ending on silence, then scaled to `peakDbfs`.
Samples finishOneShot(Samples sound, double lengthSeconds, double fadeOutSeconds, double peakDbfs);

}  // namespace wavesynth
