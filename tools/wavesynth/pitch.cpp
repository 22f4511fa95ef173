#include "wavesynth/pitch.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace wavesynth {

double midiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

int noteNumber(std::string_view name) {
    const auto fail = [&] {
        throw std::invalid_argument("not a note name: \"" + std::string(name) + "\"");
    };
    // Semitones of C D E F G A B above C.
    static constexpr int kLetterOffsets[] = {9, 11, 0, 2, 4, 5, 7};  // A..G

    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') {
        fail();
    }
    int semitone = kLetterOffsets[name[0] - 'A'];
    std::size_t pos = 1;
    if (name[pos] == '#') {
        ++semitone;
        ++pos;
    } else if (name[pos] == 'b') {
        --semitone;
        ++pos;
    }
    if (pos >= name.size() || name.size() - pos > 1) {
        fail();  // exactly one octave digit
    }
    if (name[pos] < '0' || name[pos] > '9') {
        fail();
    }
    const int octave = name[pos] - '0';
    return (octave + 1) * 12 + semitone;
}

}  // namespace wavesynth
