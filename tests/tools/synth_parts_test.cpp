#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "wavesynth/envelope.h"
#include "wavesynth/mixer.h"
#include "wavesynth/oscillator.h"
#include "wavesynth/pattern.h"
#include "wavesynth/pitch.h"
#include "wavesynth/samples.h"

namespace wavesynth {
namespace {

TEST(Pitch, NoteNamesMapToMidiNumbersAndFrequencies) {
    EXPECT_EQ(noteNumber("C4"), 60);
    EXPECT_EQ(noteNumber("A4"), 69);
    EXPECT_EQ(noteNumber("F#3"), 54);
    EXPECT_EQ(noteNumber("Bb5"), 82);
    EXPECT_EQ(noteNumber("C0"), 12);
    EXPECT_DOUBLE_EQ(midiToHz(69), 440.0);
    EXPECT_NEAR(midiToHz(60), 261.626, 0.001);
    for (const char* bad : {"", "H4", "C", "C#", "c4", "C10", "E#x"}) {
        EXPECT_THROW(noteNumber(bad), std::invalid_argument) << bad;
    }
}

TEST(Pattern, NotesHoldUntilTheNextNoteOrRest) {
    const Pattern pattern = parsePattern("C4 . . -  E4 .\n G4");
    EXPECT_EQ(pattern.steps, 7);
    ASSERT_EQ(pattern.notes.size(), 3u);
    EXPECT_EQ(pattern.notes[0].step, 0);
    EXPECT_EQ(pattern.notes[0].length, 3);
    EXPECT_EQ(pattern.notes[0].note, 60);
    EXPECT_EQ(pattern.notes[1].step, 4);
    EXPECT_EQ(pattern.notes[1].length, 2);
    EXPECT_EQ(pattern.notes[2].step, 6);
    EXPECT_EQ(pattern.notes[2].length, 1);
    EXPECT_EQ(pattern.notes[2].note, 67);
}

TEST(Pattern, MistakesAreRejected) {
    EXPECT_THROW(parsePattern(". C4"), std::invalid_argument);    // nothing to hold
    EXPECT_THROW(parsePattern("C4 - ."), std::invalid_argument);  // hold after a rest
    EXPECT_THROW(parsePattern("C4 Q4"), std::invalid_argument);   // not a note
    EXPECT_THROW(parseDrumLane("x..o"), std::invalid_argument);   // not a hit
}

TEST(Pattern, DrumLanesMarkHitsAndAccents) {
    const DrumLane lane = parseDrumLane("x..X .x..");
    EXPECT_EQ(lane.steps, 8);
    ASSERT_EQ(lane.hits.size(), 3u);
    EXPECT_EQ(lane.hits[0].step, 0);
    EXPECT_FALSE(lane.hits[0].accent);
    EXPECT_EQ(lane.hits[1].step, 3);
    EXPECT_TRUE(lane.hits[1].accent);
    EXPECT_EQ(lane.hits[2].step, 5);
}

TEST(Mixer, LoopedTimelineWrapsTailsOntoTheStart) {
    Mixer loop = Mixer::looped(4);
    loop.add(Samples{1.0f, 2.0f, 3.0f}, 3, 1.0);
    loop.add(Samples{1.0f}, 5, 0.5);  // starts past the end: lands at 1
    EXPECT_EQ(loop.samples(), (Samples{2.0f, 3.5f, 0.0f, 1.0f}));

    Mixer oneShot = Mixer::growing();
    oneShot.add(Samples{1.0f, 1.0f}, 2, 2.0);
    EXPECT_EQ(oneShot.samples(), (Samples{0.0f, 0.0f, 2.0f, 2.0f}));
}

TEST(Oscillator, WaveformsAreCentredAndAtTheRequestedPitch) {
    for (Waveform waveform :
         {Waveform::kSine, Waveform::kTriangle, Waveform::kSaw, Waveform::kPulse}) {
        Oscillator oscillator(waveform, 0.25);
        Samples second(kSampleRate);
        int upwardCrossings = 0;
        for (std::size_t i = 0; i < second.size(); ++i) {
            second[i] = oscillator.next(441.0);
            if (i > 0 && second[i - 1] < 0.0f && second[i] >= 0.0f) {
                ++upwardCrossings;
            }
        }
        EXPECT_NEAR(meanLevel(second), 0.0, 0.01) << static_cast<int>(waveform);
        EXPECT_NEAR(upwardCrossings, 441, 2) << static_cast<int>(waveform);
        if (waveform != Waveform::kPulse) {  // a pulse has no zero level to start on
            EXPECT_NEAR(second[0], 0.0, 0.01) << static_cast<int>(waveform);
        }
    }
}

TEST(Oscillator, NoiseIsRepeatableForASeed) {
    NoiseSource first(42);
    NoiseSource again(42);
    NoiseSource other(43);
    int differences = 0;
    for (int i = 0; i < 1000; ++i) {
        const float value = first.next();
        ASSERT_GE(value, -1.0f);
        ASSERT_LT(value, 1.0f);
        EXPECT_EQ(value, again.next());
        differences += value != other.next() ? 1 : 0;
    }
    EXPECT_GT(differences, 990);
}

TEST(Envelope, NotesStartAndEndOnSilenceWithoutJumps) {
    const Adsr envelope{0.01, 0.05, 0.6, 0.02};
    EXPECT_EQ(adsrLevel(envelope, 0.0, 0.2), 0.0);
    EXPECT_NEAR(adsrLevel(envelope, 0.01, 0.2), 1.0, 1e-9);
    EXPECT_NEAR(adsrLevel(envelope, 0.39, 0.4), 0.6, 0.001);
    // The release continues from the held level, also when the gate closes mid-attack.
    for (double gate : {0.4, 0.004}) {
        EXPECT_NEAR(adsrLevel(envelope, gate - 1e-7, gate), adsrLevel(envelope, gate, gate), 1e-4);
        EXPECT_NEAR(adsrLevel(envelope, adsrLength(envelope, gate), gate), 0.0, 1e-9);
        EXPECT_EQ(adsrLevel(envelope, adsrLength(envelope, gate) + 1e-6, gate), 0.0);
    }
    EXPECT_EQ(percussiveLevel(0.0, 0.001, 0.1), 0.0);
    EXPECT_NEAR(percussiveLevel(0.001, 0.001, 0.1), std::exp(-0.01), 1e-9);
}

TEST(Levels, FadesAndNormalisingLandWhereAsked) {
    Samples ramp(1000, 0.5f);
    fadeIn(ramp, 0.001);
    fadeOut(ramp, 0.001);
    EXPECT_EQ(ramp.front(), 0.0f);
    EXPECT_EQ(ramp.back(), 0.0f);
    EXPECT_EQ(ramp[500], 0.5f);

    Samples spiky(1000, 0.01f);
    spiky[10] = 0.5f;
    normaliseRms(spiky, -10.0, -3.0);  // the ceiling wins over the RMS target
    EXPECT_NEAR(linearToDbfs(peakLevel(spiky)), -3.0, 1e-4);

    Samples offset = {0.25f, 0.75f};
    removeDcOffset(offset);
    EXPECT_NEAR(meanLevel(offset), 0.0, 1e-7);
}

}  // namespace
}  // namespace wavesynth
