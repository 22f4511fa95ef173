#include "wavesynth/filter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "wavesynth/samples.h"

namespace wavesynth {

StateVariableFilter::Outputs StateVariableFilter::process(float input, double cutoffHz,
                                                          double resonance) {
    if (cutoffHz != cutoffHz_ || resonance != resonance_) {
        cutoffHz_ = cutoffHz;
        resonance_ = resonance;
        const double cutoff = std::clamp(cutoffHz, 10.0, 0.45 * kSampleRate);
        const double g = std::tan(std::numbers::pi * cutoff / kSampleRate);
        k_ = 1.0 / std::max(resonance, 0.1);
        a1_ = 1.0 / (1.0 + g * (g + k_));
        a2_ = g * a1_;
        a3_ = g * a2_;
    }

    const double v3 = input - state2_;
    const double v1 = a1_ * state1_ + a2_ * v3;
    const double v2 = state2_ + a2_ * state1_ + a3_ * v3;
    state1_ = 2.0 * v1 - state1_;
    state2_ = 2.0 * v2 - state2_;

    return Outputs{static_cast<float>(v2), static_cast<float>(v1),
                   static_cast<float>(input - k_ * v1 - v2)};
}

}  // namespace wavesynth
