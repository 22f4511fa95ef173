#include "chaos/chaos_play.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>

#include "chaos/random_player.h"
#include "platform/key_codes.h"

namespace chaos {

namespace keys = platform::keys;
using platform::headless::HeadlessRuntime;

Step wait(std::int32_t ticks) {
    return {Act::Wait, ticks};
}
Step down(std::int16_t key, std::int16_t mask) {
    return {Act::KeyDown, key, mask};
}
Step up(std::int16_t key, std::int16_t mask) {
    return {Act::KeyUp, key, mask};
}
Step menu(Command command) {
    return {Act::Menu, static_cast<std::int32_t>(command)};
}
Step button(int number) {
    return {Act::Button, number};
}
Step answer() {
    return {Act::Answer};
}
Step focusLoss() {
    return {Act::FocusLoss};
}
Step musicEnd() {
    return {Act::MusicEnd};
}
Step closeWindow() {
    return {Act::CloseWindow};
}

namespace {

constexpr const char* kCommandNames[] = {"NewGame1",     "NewGame2", "Exit",      "Music",
                                         "Sound",        "Focus",    "Shape",     "Trippy",
                                         "Instructions", "About",    "HighScores"};

// The players the program runs for, one after another: login names as the
// environment gives them, hostile ones included.
const std::array<std::string, 9> kLogins = {"tester",
                                            "jos\xc3\xa9",
                                            "o\"neil",
                                            "ann\tlee",
                                            "",
                                            std::string(10000, 'x'),
                                            "a,b",
                                            "  bob  ",
                                            "\xe6\x97\xa5\xe6\x9c\xac"};

// The table on disk before the first run: none, a full one of other
// players, or a short one.
void writeStartingTable(const std::filesystem::path& file, int start) {
    const int entries = start % 3 == 0 ? 0 : start % 3 == 1 ? 16 : 5;
    if (entries == 0) {
        return;
    }
    std::ofstream out(file, std::ios::binary);
    for (int i = 1; i <= 16; ++i) {
        if (i <= entries) {
            out << "\"RIVAL " << i << "\"\r\n\"" << 400 - 23 * i << "\"\r\n";
        } else {
            out << "\"\"\r\n\"0\"\r\n";
        }
    }
}

// Plays the steps a source hands out on a fresh program, restarting it
// whenever it ends, and judges every tick.
class Player {
public:
    Player(StepSource& source, int start) : source_(source), start_(start) {
        writeStartingTable(runtime_.folder() / "Tumbrix.txt", start);
        runtime_.onMessageBox = [this](const HeadlessRuntime::Message& message) {
            watch_.checkMessage(message);
            noteBroken();
            runContext(Where::Modal);
        };
        runtime_.onShowModal = [this](platform::Form& form) {
            if (runContext(Where::Modal)) {
                pressButtonOf(form);
            }
        };
        runtime_.onDoEvents = [this] {
            // Events that arrive while events are processed wait for the
            // outer turn beyond a few levels.
            if (eventsDepth_ < 4) {
                ++eventsDepth_;
                runContext(Where::Events);
                --eventsDepth_;
            }
        };
        startProgram();
    }

    Outcome play() {
        while (!watch_.broken()) {
            std::optional<Step> step = source_.next(Where::Top, *frm_);
            if (!step) {
                break;
            }
            execute(*step, Where::Top);
            // An ended program has nothing left to judge but its table.
            runtime_.ended ? watch_.checkTable() : watch_.checkTick();
            noteBroken();
            if (runtime_.ended && !watch_.broken()) {
                ++outcome_.programRuns;
                startProgram();
            }
            // What the host records is not needed here.
            if (runtime_.log.size() > 4096) {
                runtime_.log.clear();
                runtime_.messages.clear();
            }
        }
        outcome_.broken = watch_.broken();
        outcome_.coverage = watch_.coverage;
        return outcome_;
    }

private:
    bool stopped() const { return runtime_.ended || watch_.broken().has_value(); }

    void noteBroken() {
        if (watch_.broken() && !brokenNoted_) {
            brokenNoted_ = true;
            outcome_.brokenAt = source_.position();
        }
    }

    void startProgram() {
        const int run = start_ / 3 + outcome_.programRuns - 1;
        frm_.reset();
        runtime_.ended = false;
        runtime_.env["LOGIN"] = kLogins[static_cast<std::size_t>(run) % kLogins.size()];
        runtime_.secondsSinceMidnightValue = 1000.25 + 3607.5 * run;
        frm_ = std::make_unique<game::FrmTumbrix>(runtime_);
        runtime_.loadForm(*frm_);
        frm_->visible = true;
        watch_.attach(*frm_);
        watch_.checkTick();
        noteBroken();
    }

    // Plays steps until the source has none for this place, or a modal
    // window or box is answered (true).
    bool runContext(Where where) {
        source_.open(where);
        bool answered = false;
        while (!stopped() && !answered) {
            std::optional<Step> step = source_.next(where, *frm_);
            if (!step) {
                break;
            }
            answered = execute(*step, where);
            noteBroken();
        }
        source_.close(where);
        return answered;
    }

    // The modal window's own button closes it, as a player would.
    static void pressButtonOf(platform::Form& form) {
        for (platform::Control* control : form.controls) {
            if (control->kind == platform::ControlKind::CommandButton && control->visible) {
                auto& button = static_cast<platform::CommandButton&>(*control);
                if (button.onClick) {
                    button.onClick();
                    return;
                }
            }
        }
    }

    void tick() {
        runtime_.advanceTicks(1);
        ++outcome_.ticks;
        const game::FrmTumbrix& frm = *frm_;
        for (float value :
             {float(frm.elapsedSeconds), frm.shpLine1.left, frm.shpLine1.top, frm.shpLine3.left,
              frm.shpLine3.top, frm.shpLine5.left, frm.shpLine5.top, frm.shpDot1.left,
              frm.shpDot1.top, frm.shpDot2.left, frm.shpDot2.top, float(frm.score1),
              float(frm.score2), float(frm.gameInProgress + 2 * frm.gamePaused)}) {
            outcome_.digest =
                (outcome_.digest ^ std::bit_cast<std::uint32_t>(value)) * 0x100000001b3ULL;
        }
        watch_.countTick();
        watch_.checkTick();
        noteBroken();
    }

    // Plays one step; true when it answers the modal window or box on show.
    // While one is on show the main window gets no keys, menus or clicks;
    // RETURN, ESC and SPACE answer it.
    bool execute(const Step& step, Where where) {
        const bool modal = where == Where::Modal;
        game::FrmTumbrix& frm = *frm_;
        switch (step.act) {
            case Act::Wait:
                for (std::int32_t i = 0; i < step.a && !stopped(); ++i) {
                    tick();
                }
                return false;
            case Act::KeyDown:
                if (modal) {
                    return step.b == 0 && (step.a == keys::kReturn || step.a == keys::kEscape ||
                                           step.a == keys::kSpace);
                }
                frm.keyDown(static_cast<std::int16_t>(step.a), step.b);
                return false;
            case Act::KeyUp:
                if (!modal) {
                    frm.keyUp(static_cast<std::int16_t>(step.a), step.b);
                }
                return false;
            case Act::Menu:
                if (!modal) {
                    clickMenu(static_cast<Command>(step.a));
                }
                return false;
            case Act::Button: {
                platform::CommandButton& pressed = step.a == 1 ? frm.cmdNewGame1 : frm.cmdNewGame2;
                if (!modal && pressed.visible) {
                    startingGame();
                    pressed.onClick();
                }
                return false;
            }
            case Act::Answer:
                return modal;
            case Act::FocusLoss:
                frm.playerSteppedAway();
                return false;
            case Act::MusicEnd: {
                auto& music = runtime_.wavePlayer("MainMusic.wav");
                if (music.WaveMode() == platform::WavePlayer::kModePlaying) {
                    music.finishPlayback();
                }
                return false;
            }
            case Act::CloseWindow:
                if (!modal) {
                    frm.closedByUser();
                }
                return false;
        }
        return false;
    }

    void startingGame() {
        watch_.newGame();
        ++outcome_.games;
    }

    void clickMenu(Command command) {
        game::FrmTumbrix& frm = *frm_;
        platform::MenuItem* items[] = {&frm.mnuNewGame1,
                                       &frm.mnuNewGame2,
                                       &frm.mnuExit,
                                       &frm.mnuMusicOnOff,
                                       &frm.mnuSound,
                                       &frm.mnuFocus,
                                       &frm.mnuShape,
                                       &frm.mnuTrippy,
                                       &frm.mnuInstructions,
                                       &frm.mnuAbout,
                                       &frm.mnuShowHighScoreList};
        if (command == Command::NewGame1 || command == Command::NewGame2) {
            startingGame();
        }
        items[static_cast<int>(command)]->onClick();
    }

    HeadlessRuntime runtime_;
    RuleWatch watch_{runtime_.folder() / "Tumbrix.txt"};
    std::unique_ptr<game::FrmTumbrix> frm_;
    StepSource& source_;
    int start_;
    int eventsDepth_ = 0;
    bool brokenNoted_ = false;
    Outcome outcome_;
};

// Hands out the steps of a script in order.
class ScriptSource : public StepSource {
public:
    explicit ScriptSource(const std::vector<Step>& steps) : steps_(steps) {}
    std::optional<Step> next(Where where, const game::FrmTumbrix&) override {
        if (next_ >= steps_.size() || (where == Where::Events && steps_[next_].act == Act::Wait)) {
            return std::nullopt;
        }
        return steps_[next_++];
    }
    std::size_t position() const override { return next_ == 0 ? 0 : next_ - 1; }

private:
    const std::vector<Step>& steps_;
    std::size_t next_ = 0;
};

// The rule without the time at which it broke.
std::string ruleOf(const std::string& broken) {
    return broken.substr(0, broken.find(" (t="));
}

}  // namespace

std::string describe(const Input& input) {
    std::ostringstream out;
    out << "{" << input.start << ", {";
    for (std::size_t i = 0; i < input.steps.size(); ++i) {
        const Step& step = input.steps[i];
        out << (i % 6 == 0 ? "\n    " : " ");
        switch (step.act) {
            case Act::Wait:
                out << "wait(" << step.a << "),";
                break;
            case Act::KeyDown:
            case Act::KeyUp:
                out << (step.act == Act::KeyDown ? "down(" : "up(") << step.a;
                if (step.b != 0) {
                    out << ", " << step.b;
                }
                out << "),";
                break;
            case Act::Menu:
                out << "menu(Command::" << kCommandNames[std::clamp(step.a, 0, 10)] << "),";
                break;
            case Act::Button:
                out << "button(" << step.a << "),";
                break;
            case Act::Answer:
                out << "answer(),";
                break;
            case Act::FocusLoss:
                out << "focusLoss(),";
                break;
            case Act::MusicEnd:
                out << "musicEnd(),";
                break;
            case Act::CloseWindow:
                out << "closeWindow(),";
                break;
        }
    }
    out << "\n}}";
    return out.str();
}

Outcome replay(const Input& input) {
    ScriptSource source(input.steps);
    Player player(source, input.start);
    return player.play();
}

Generated generate(std::uint64_t seed, bool preferTwoPlayers, std::int64_t ticks) {
    RandomPlayer source(seed, preferTwoPlayers, ticks);
    const int start = static_cast<int>(seed % 27);
    Player player(source, start);
    Outcome outcome = player.play();
    return {{start, std::move(source.steps)}, std::move(outcome)};
}

Input shrink(const Input& failing, const std::string& rule, double budgetSeconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(budgetSeconds);
    // The candidate cut after the step at which it broke the same rule.
    auto breaks = [&rule](Input& candidate) {
        const Outcome outcome = replay(candidate);
        if (!outcome.broken || ruleOf(*outcome.broken) != ruleOf(rule)) {
            return false;
        }
        candidate.steps.resize(std::min(candidate.steps.size(), outcome.brokenAt + 1));
        return true;
    };
    Input best = failing;
    if (!breaks(best)) {
        return best;  // not reproducible: the caller says so
    }
    auto timeLeft = [&] { return std::chrono::steady_clock::now() < deadline; };
    for (std::size_t chunk = best.steps.size() / 2; chunk >= 1 && timeLeft(); chunk /= 2) {
        for (std::size_t from = 0; from < best.steps.size() && timeLeft();) {
            Input candidate = best;
            const auto first = candidate.steps.begin() + static_cast<std::ptrdiff_t>(from);
            candidate.steps.erase(first, first + static_cast<std::ptrdiff_t>(std::min(
                                                     chunk, candidate.steps.size() - from)));
            if (breaks(candidate)) {
                best = std::move(candidate);
            } else {
                from += chunk;
            }
        }
    }
    // Neighbouring waits as one, where a modal window opened between them
    // does not need the second.
    for (std::size_t i = 0; i + 1 < best.steps.size() && timeLeft();) {
        if (best.steps[i].act != Act::Wait || best.steps[i + 1].act != Act::Wait) {
            ++i;
            continue;
        }
        Input candidate = best;
        candidate.steps[i].a += candidate.steps[i + 1].a;
        candidate.steps.erase(candidate.steps.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        if (breaks(candidate)) {
            best = std::move(candidate);
        } else {
            ++i;
        }
    }
    // Shorter waits, down to none.
    for (std::size_t i = 0; i < best.steps.size() && timeLeft(); ++i) {
        while (best.steps[i].act == Act::Wait && best.steps[i].a > 0 && timeLeft()) {
            Input candidate = best;
            candidate.steps[i].a /= 2;
            if (!breaks(candidate)) {
                break;
            }
            best = std::move(candidate);
        }
    }
    return best;
}

}  // namespace chaos
