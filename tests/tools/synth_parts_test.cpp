#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "wavesynth/envelope.h"
#include "wavesynth/oscillator.h"
#include "wavesynth/pattern.h"
#include "wavesynth/pitch.h"
#include "wavesynth/samples.h"

namespace wavesynth {
namespace {

TEST(Pitch, NoteNamesMapToTheirPitchAndTyposStopTheBuild) {
    for (const auto& [name, number] : {std::pair{"C4", 60}, {"F#3", 54}, {"Bb5", 82}, {"C0", 12}}) {
        EXPECT_EQ(noteNumber(name), number) << name;
    }
    EXPECT_DOUBLE_EQ(midiToHz(noteNumber("A4")), 440.0);
    EXPECT_NEAR(midiToHz(60), 261.626, 0.001);
    for (const char* bad : {"", "H4", "C", "C#", "c4", "C10", "E#x"}) {
        EXPECT_THROW(noteNumber(bad), std::invalid_argument) << bad;
    }
}

TEST(Pattern, NotesHoldUntilTheNextNoteOrRestAndDrumsMarkHits) {
    const Pattern pattern = parsePattern("C4 . . -  E4 .\n G4");
    std::string notes = std::to_string(pattern.steps) + " steps:";
    for (const NoteEvent& n : pattern.notes) {
        notes += " " + std::to_string(n.note) + "@" + std::to_string(n.step) + "+" +
                 std::to_string(n.length);
    }
    EXPECT_EQ(notes, "7 steps: 60@0+3 64@4+2 67@6+1");
    const DrumLane lane = parseDrumLane("x..X .x..");
    std::string hits = std::to_string(lane.steps) + " steps:";
    for (const DrumHit& hit : lane.hits) {
        hits += " " + std::to_string(hit.step) + (hit.accent ? "!" : "");
    }
    EXPECT_EQ(hits, "8 steps: 0 3! 5");
    EXPECT_THROW(parsePattern(". C4"), std::invalid_argument);    // nothing to hold
    EXPECT_THROW(parsePattern("C4 - ."), std::invalid_argument);  // hold after a rest
    EXPECT_THROW(parsePattern("C4 Q4"), std::invalid_argument);
    EXPECT_THROW(parseDrumLane("x..o"), std::invalid_argument);
}

TEST(Oscillator, EveryWaveformIsCentredAndInTune) {
    for (Waveform waveform :
         {Waveform::kSine, Waveform::kTriangle, Waveform::kSaw, Waveform::kPulse}) {
        Oscillator oscillator(waveform, 0.25);
        int upwardCrossings = 0;
        float previous = oscillator.next(441.0);
        double sum = previous;
        for (int i = 1; i < kSampleRate; ++i) {
            const float value = oscillator.next(441.0);
            upwardCrossings += previous < 0.0f && value >= 0.0f ? 1 : 0;
            sum += previous = value;
        }
        EXPECT_NEAR(upwardCrossings, 441, 2) << static_cast<int>(waveform);
        EXPECT_NEAR(sum / kSampleRate, 0.0, 0.01) << static_cast<int>(waveform);
    }
}

TEST(Envelope, NotesStartAndEndOnSilenceWithoutJumps) {
    const Adsr envelope{0.01, 0.05, 0.6, 0.02};
    EXPECT_EQ(adsrLevel(envelope, 0.0, 0.2), 0.0);
    // The release continues from the held level, also when the gate closes mid-attack.
    for (double gate : {0.4, 0.004}) {
        EXPECT_NEAR(adsrLevel(envelope, gate - 1e-7, gate), adsrLevel(envelope, gate, gate), 1e-4);
        EXPECT_NEAR(adsrLevel(envelope, adsrLength(envelope, gate), gate), 0.0, 1e-9);
        EXPECT_EQ(adsrLevel(envelope, adsrLength(envelope, gate) + 1e-6, gate), 0.0);
    }
}

}  // namespace
}  // namespace wavesynth
