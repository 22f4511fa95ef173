#pragma once

#include <string_view>

namespace wavesynth {

// Frequency of a MIDI note number (69 = A4 = 440 Hz); fractions bend the pitch.
double midiToHz(double note);

// MIDI number of a note name such as "C4" (60), "F#3" or "Bb5". Throws
// std::invalid_argument for anything else, so a typo in a tune stops the build.
int noteNumber(std::string_view name);

}  // namespace wavesynth
