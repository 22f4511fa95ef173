#pragma once

#include <string_view>
#include <vector>

// Tracker-style text for tunes, so a melody reads like the sheet it came from.
namespace wavesynth {

struct NoteEvent {
    int step;    // first step of the note
    int length;  // in steps
    int note;    // MIDI number
};

struct Pattern {
    int steps = 0;
    std::vector<NoteEvent> notes;
};

// One blank-separated token per step: a note name ("C5", "F#4") starts a note,
// "." holds the previous note one more step, "-" is silence. Throws
// std::invalid_argument for an unknown token or a "." with nothing to hold.
Pattern parsePattern(std::string_view text);

struct DrumHit {
    int step;
    bool accent;
};

struct DrumLane {
    int steps = 0;
    std::vector<DrumHit> hits;
};

// One character per step: "x" a hit, "X" an accented hit, "." nothing; blanks
// are ignored. Throws std::invalid_argument for any other character.
DrumLane parseDrumLane(std::string_view text);

}  // namespace wavesynth
