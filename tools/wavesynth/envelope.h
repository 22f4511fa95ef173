#pragma once

namespace wavesynth {

// Attack / decay / sustain / release shape of a held note, in seconds (decay
// is the time constant of the fall towards the sustain level).
struct Adsr {
    double attack = 0.005;
    double decay = 0.1;
    double sustain = 0.7;
    double release = 0.03;
};

// Level of a note held for `gateSeconds`, `t` seconds after it began. The
// release falls linearly from wherever the level was when the gate closed, so
// even a note cut short during its attack ends exactly on zero.
double adsrLevel(const Adsr& envelope, double t, double gateSeconds);

// Seconds until a note held for `gateSeconds` has fully died away.
inline double adsrLength(const Adsr& envelope, double gateSeconds) {
    return gateSeconds + envelope.release;
}

// A struck sound: a linear rise over `attack`, then an exponential fall with
// time constant `decay`.
double percussiveLevel(double t, double attack, double decay);

}  // namespace wavesynth
