#include "wavesynth/main_music.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "wavesynth/instruments.h"
#include "wavesynth/mixer.h"
#include "wavesynth/pattern.h"
#include "wavesynth/pitch.h"

namespace wavesynth {

namespace {

constexpr int kBeatsPerMinute = 135;
constexpr int kStepsPerBeat = 4;  // sixteenth notes
constexpr int kStepsPerBar = 16;
constexpr int kBars = 16;
constexpr int kStepsPerMinute = kBeatsPerMinute * kStepsPerBeat;
// Whole samples per step keep the loop length exact, so the beat does not
// drift against the seam.
static_assert(kSampleRate * 60 % kStepsPerMinute == 0);
constexpr std::size_t kStepSamples = kSampleRate * 60 / kStepsPerMinute;
constexpr std::size_t kLoopSamples = kStepSamples * kStepsPerBar * kBars;
constexpr double kStepSeconds = static_cast<double>(kStepSamples) / kSampleRate;

constexpr double kMusicRmsDbfs = -18.0;
constexpr double kMusicPeakCeilingDbfs = -1.5;

struct Chord {
    const char* root;  // lowest note of the arpeggio
    bool minor;
};

// A: C G Am F | C G F G.  B: F G Em Am | F G Dm G, whose last bar turns back to C.
// clang-format off
constexpr std::array<Chord, kBars> kChords = {{
    {"C4", false}, {"G3", false}, {"A3", true},  {"F3", false},
    {"C4", false}, {"G3", false}, {"F3", false}, {"G3", false},
    {"F3", false}, {"G3", false}, {"E3", true},  {"A3", true},
    {"F3", false}, {"G3", false}, {"D4", true},  {"G3", false},
}};
// clang-format on

// One bar per line, one token per sixteenth.
constexpr std::array<const char*, kBars> kLead = {
    "G4 .  C5 .  E5 .  G5 .  .  .  .  .  E5 .  G5 . ",
    "F5 .  .  .  E5 .  D5 .  B4 .  .  .  G4 .  .  . ",
    "A4 .  C5 .  E5 .  A5 .  .  .  .  .  G5 .  E5 . ",
    "F5 .  .  .  E5 .  C5 .  D5 .  .  .  .  .  -  - ",
    "G4 .  C5 .  E5 .  G5 .  .  .  .  .  A5 .  G5 . ",
    "B5 .  .  .  A5 .  G5 .  D5 .  .  .  B4 .  .  . ",
    "C6 .  .  .  .  .  A5 .  F5 .  .  .  A5 .  C6 . ",
    "B5 .  A5 .  G5 .  B5 .  D6 .  .  .  .  .  .  - ",
    "A5 .  .  .  .  .  G5 .  F5 .  .  .  C5 .  .  . ",
    "D5 .  E5 .  F5 .  G5 .  .  .  .  .  B4 .  .  . ",
    "G5 .  .  .  .  .  E5 .  B4 .  .  .  E5 .  .  . ",
    "C6 .  B5 .  A5 .  E5 .  A5 .  .  .  .  .  -  - ",
    "A5 .  .  .  .  .  G5 .  F5 .  .  .  A5 .  .  . ",
    "B5 .  A5 .  G5 .  D5 .  G5 .  .  .  .  .  -  - ",
    "F5 .  .  .  A5 .  .  .  D6 .  .  .  .  .  C6 . ",
    "B5 .  .  .  A5 G5 F5 E5 D5 C5 B4 A4 B4 .  D5 . ",
};

// Octave-bouncing eighths; bars 8 and 16 walk into the next section's root.
std::string bounce(const char* low, const char* high) {
    std::string bar;
    for (int beat = 0; beat < 4; ++beat) {
        bar += std::string(low) + " . " + high + " . ";
    }
    return bar;
}

std::array<std::string, kBars> bassLine() {
    // clang-format off
    return {
        bounce("C2", "C3"), bounce("G2", "G3"), bounce("A2", "A3"), bounce("F2", "F3"),
        bounce("C2", "C3"), bounce("G2", "G3"), bounce("F2", "F3"),
        "G2 . G3 . G2 . G3 . A2 . G2 . F2 . E2 . ",
        bounce("F2", "F3"), bounce("G2", "G3"), bounce("E2", "E3"), bounce("A2", "A3"),
        bounce("F2", "F3"), bounce("G2", "G3"), bounce("D2", "D3"),
        "G2 . G3 . G2 . G3 . G2 . F2 . E2 . D2 . ",
    };
    // clang-format on
}

struct DrumBar {
    const char* kick;
    const char* snare;
    const char* closedHat;
    const char* openHat;
};

constexpr DrumBar kGroove = {
    "x.......x.x.....",
    "....X.......X...",
    "X.x.X.x.X.x.X.x.",
    "................",
};
// The B section lifts with offbeat open hats.
constexpr DrumBar kLiftGroove = {
    "x.......x.x...x.",
    "....X.......X...",
    "X...X...X...X...",
    "..x...x...x...x.",
};
constexpr DrumBar kFill = {
    "x.......x.......",
    "....X.....x.xxXX",
    "X.x.X.x.X.......",
    "................",
};

const DrumBar& drumsForBar(int bar) {
    if (bar == 7 || bar == 15) {
        return kFill;
    }
    return bar >= 8 ? kLiftGroove : kGroove;
}

std::size_t stepOffset(int step) {
    return static_cast<std::size_t>(step) * kStepSamples;
}

// Each bar is read on its own and must fill exactly one bar, so a typo in one
// bar cannot shift the rest of the tune against the beat.
std::vector<NoteEvent> parseBars(const auto& bars) {
    std::vector<NoteEvent> notes;
    int bar = 0;
    for (const auto& text : bars) {
        const Pattern pattern = parsePattern(text);
        if (pattern.steps != kStepsPerBar) {
            throw std::logic_error("bar " + std::to_string(bar + 1) + " has " +
                                   std::to_string(pattern.steps) + " steps: " + std::string(text));
        }
        for (NoteEvent note : pattern.notes) {
            note.step += bar * kStepsPerBar;
            notes.push_back(note);
        }
        ++bar;
    }
    return notes;
}

void addLead(Mixer& mix) {
    Voice lead;
    lead.waveform = Waveform::kPulse;
    lead.pulseWidth = 0.25;
    lead.envelope = Adsr{0.004, 0.15, 0.7, 0.04};
    lead.lowPassHz = 6500.0;
    lead.vibratoCents = 18.0;
    lead.vibratoDelay = 0.18;

    Mixer bus = Mixer::looped(kLoopSamples);
    for (const NoteEvent& note : parseBars(kLead)) {
        // Slightly detached, so repeated notes are heard as separate hits.
        const double gate = note.length * kStepSeconds - 0.03;
        bus.add(renderNote(lead, midiToHz(note.note), gate), stepOffset(note.step), 1.0);
    }
    // A dotted-eighth echo gives the lead some space without a reverb.
    constexpr double kLeadGain = 0.27;
    mix.add(bus, 0, kLeadGain);
    mix.add(bus, stepOffset(3), kLeadGain * 0.3);
    mix.add(bus, stepOffset(6), kLeadGain * 0.09);
}

void addBass(Mixer& mix) {
    Voice body;
    body.waveform = Waveform::kTriangle;
    body.envelope = Adsr{0.003, 0.12, 0.8, 0.03};
    // A filtered square on top lets the bass be heard on small speakers.
    Voice edge = body;
    edge.waveform = Waveform::kPulse;
    edge.lowPassHz = 800.0;

    for (const NoteEvent& note : parseBars(bassLine())) {
        const double gate = note.length * kStepSeconds * 0.8;
        const double hz = midiToHz(note.note);
        mix.add(renderNote(body, hz, gate), stepOffset(note.step), 0.5);
        mix.add(renderNote(edge, hz, gate), stepOffset(note.step), 0.1);
    }
}

// Sixteenth-note arpeggios of the chords, from the second half of the A section.
void addArpeggio(Mixer& mix) {
    Voice pluck;
    pluck.waveform = Waveform::kPulse;
    pluck.pulseWidth = 0.125;
    pluck.envelope = Adsr{0.002, 0.05, 0.35, 0.02};
    pluck.lowPassHz = 5000.0;

    for (int bar = 4; bar < kBars; ++bar) {
        const Chord& chord = kChords[static_cast<std::size_t>(bar)];
        const int root = noteNumber(chord.root);
        const std::array<int, 4> tones = {root, root + (chord.minor ? 3 : 4), root + 7, root + 12};
        for (int step = 0; step < kStepsPerBar; ++step) {
            const int note = tones[static_cast<std::size_t>(step % 4)];
            mix.add(renderNote(pluck, midiToHz(note), kStepSeconds * 0.6),
                    stepOffset(bar * kStepsPerBar + step), 0.07);
        }
    }
}

void addLane(Mixer& mix, const char* lane, int bar, double gain, double accentGain,
             const auto& renderHit) {
    const DrumLane hits = parseDrumLane(lane);
    if (hits.steps != kStepsPerBar) {
        throw std::logic_error(std::string("drum lane is not one bar: ") + lane);
    }
    for (const DrumHit& hit : hits.hits) {
        mix.add(renderHit(), stepOffset(bar * kStepsPerBar + hit.step),
                hit.accent ? accentGain : gain);
    }
}

void addDrums(Mixer& mix) {
    DrumKit kit(0x7B1C5u);
    for (int bar = 0; bar < kBars; ++bar) {
        const DrumBar& drums = drumsForBar(bar);
        addLane(mix, drums.kick, bar, 0.75, 0.75, [&] { return kit.kick(); });
        addLane(mix, drums.snare, bar, 0.22, 0.36, [&] { return kit.snare(); });
        addLane(mix, drums.closedHat, bar, 0.11, 0.16, [&] { return kit.hiHat(false); });
        addLane(mix, drums.openHat, bar, 0.09, 0.09, [&] { return kit.hiHat(true); });
    }
    // Crashes mark the top of each section.
    mix.add(kit.crash(0.35), stepOffset(0), 0.12);
    mix.add(kit.crash(0.35), stepOffset(8 * kStepsPerBar), 0.12);
}

}  // namespace

Samples renderMainMusic() {
    Mixer mix = Mixer::looped(kLoopSamples);
    addDrums(mix);
    addBass(mix);
    addArpeggio(mix);
    addLead(mix);

    Samples music = mix.release();
    removeDcOffset(music);
    normaliseRms(music, kMusicRmsDbfs, kMusicPeakCeilingDbfs);
    return music;
}

}  // namespace wavesynth
