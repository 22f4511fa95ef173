#include "wavesynth/envelope.h"

#include <algorithm>
#include <cmath>

namespace wavesynth {

namespace {

double heldLevel(const Adsr& envelope, double t) {
    if (t < envelope.attack) {
        return t / envelope.attack;
    }
    const double sinceAttack = t - envelope.attack;
    return envelope.sustain +
           (1.0 - envelope.sustain) * std::exp(-sinceAttack / std::max(envelope.decay, 1e-6));
}

}  // namespace

double adsrLevel(const Adsr& envelope, double t, double gateSeconds) {
    if (t < 0.0) {
        return 0.0;
    }
    if (t < gateSeconds) {
        return heldLevel(envelope, t);
    }
    const double sinceRelease = t - gateSeconds;
    if (sinceRelease >= envelope.release) {
        return 0.0;
    }
    return heldLevel(envelope, gateSeconds) * (1.0 - sinceRelease / envelope.release);
}

double percussiveLevel(double t, double attack, double decay) {
    if (t < 0.0) {
        return 0.0;
    }
    const double rise = attack > 0.0 ? std::min(1.0, t / attack) : 1.0;
    return rise * std::exp(-t / decay);
}

}  // namespace wavesynth
