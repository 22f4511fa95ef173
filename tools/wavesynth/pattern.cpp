#include "wavesynth/pattern.h"

#include <stdexcept>
#include <string>

#include "wavesynth/pitch.h"

namespace wavesynth {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

}  // namespace

Pattern parsePattern(std::string_view text) {
    Pattern pattern;
    bool holding = false;  // the last note may still be extended
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (isBlank(text[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < text.size() && !isBlank(text[end])) {
            ++end;
        }
        const std::string_view token = text.substr(pos, end - pos);
        pos = end;

        if (token == ".") {
            if (!holding) {
                throw std::invalid_argument("\".\" at step " + std::to_string(pattern.steps) +
                                            " has no note to hold");
            }
            ++pattern.notes.back().length;
        } else if (token == "-") {
            holding = false;
        } else {
            pattern.notes.push_back(NoteEvent{pattern.steps, 1, noteNumber(token)});
            holding = true;
        }
        ++pattern.steps;
    }
    return pattern;
}

DrumLane parseDrumLane(std::string_view text) {
    DrumLane lane;
    for (char c : text) {
        if (isBlank(c)) {
            continue;
        }
        if (c == 'x' || c == 'X') {
            lane.hits.push_back(DrumHit{lane.steps, c == 'X'});
        } else if (c != '.') {
            throw std::invalid_argument(std::string("unknown drum step '") + c + "' at step " +
                                        std::to_string(lane.steps));
        }
        ++lane.steps;
    }
    return lane;
}

}  // namespace wavesynth
