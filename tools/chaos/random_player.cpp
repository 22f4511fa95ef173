#include "chaos/random_player.h"

#include "platform/key_codes.h"

namespace chaos {

namespace keys = platform::keys;

RandomPlayer::RandomPlayer(std::uint64_t seed, bool preferTwoPlayers, std::int64_t ticks)
    : random_(seed), preferTwoPlayers_(preferTwoPlayers), ticks_(ticks) {
    // Calm runs play long games; wild ones do everything often.
    static constexpr int kCalmness[] = {1, 3, 3, 10};
    calmness_ = kCalmness[below(4)];
}

void RandomPlayer::open(Where where) {
    if (where == Where::Modal) {
        modalsLeft_.push_back(static_cast<int>(below(4)));
    } else if (where == Where::Events) {
        eventsLeft_.push_back(chance(2) ? 0 : 1 + static_cast<int>(below(3)));
    }
}

void RandomPlayer::close(Where where) {
    if (where == Where::Modal) {
        modalsLeft_.pop_back();
    } else if (where == Where::Events) {
        eventsLeft_.pop_back();
    }
}

std::optional<Step> RandomPlayer::next(Where where, const game::FrmTumbrix& frm) {
    where_ = where;
    if (!pending_.empty()) {
        if (where == Where::Events && pending_.front().act == Act::Wait) {
            return std::nullopt;  // the wait ends them; it is played later
        }
        return takePending();
    }
    switch (where) {
        case Where::Events:
            return nextEvent(frm);
        case Where::Modal:
            return nextInModal();
        case Where::Top:
            return nextAtTop(frm);
    }
    return std::nullopt;
}

Step RandomPlayer::takePending() {
    const Step step = pending_.front();
    pending_.pop_front();
    return record(step);
}

// Consecutive waits outside modal windows are written as one; a wait in
// a modal window is played there, so it stays apart.
Step RandomPlayer::record(const Step& step) {
    const bool mergeable = step.act == Act::Wait && where_ != Where::Modal;
    if (mergeable && lastMergeable_) {
        steps.back().a += step.a;
    } else {
        steps.push_back(step);
    }
    lastMergeable_ = mergeable;
    if (step.act == Act::Wait) {
        played_ += step.a;
    }
    return step;
}

std::int16_t RandomPlayer::anyKey() {
    static constexpr std::int16_t kKeys[] = {keys::kEscape,
                                             keys::kReturn,
                                             keys::kLeft,
                                             keys::kRight,
                                             keys::kA,
                                             keys::kD,
                                             keys::kW,
                                             keys::kS,
                                             keys::kUp,
                                             keys::kDown,
                                             keys::kSpace,
                                             9,
                                             81,
                                             49,
                                             112};
    return chance(5) ? static_cast<std::int16_t>(below(256)) : kKeys[below(std::size(kKeys))];
}

void RandomPlayer::press(std::int16_t key, std::int16_t mask) {
    pending_.push_back(down(key, mask));
    pending_.push_back(up(key, mask));
}

Command RandomPlayer::anyCommand(bool mayExit) {
    if (mayExit && chance(60)) {
        return Command::Exit;
    }
    static constexpr Command kOthers[] = {Command::NewGame1,  Command::NewGame2,     Command::Music,
                                          Command::Sound,     Command::Focus,        Command::Shape,
                                          Command::Trippy,    Command::Instructions, Command::About,
                                          Command::HighScores};
    return kOthers[below(std::size(kOthers))];
}

// One of the things a player may do while a new game processes its
// pending events; a wait ends them for every level.
std::optional<Step> RandomPlayer::nextEvent(const game::FrmTumbrix&) {
    if (!steps.empty() && steps.back().act == Act::Wait) {
        return std::nullopt;
    }
    if (eventsLeft_.back() == 0) {
        record(wait(0));  // written down to end them when replayed
        return std::nullopt;
    }
    --eventsLeft_.back();
    switch (below(5)) {
        case 0:
            press(keys::kEscape);
            break;
        case 1:
            pending_.push_back(menu(anyCommand(true)));
            break;
        case 2:
            pending_.push_back(focusLoss());
            break;
        case 3:
            press(anyKey(), anyMask());
            break;
        default:
            pending_.push_back(musicEnd());
            break;
    }
    return takePending();
}

// A modal window or box stays on show for a while, often short, now and
// then long, while the clock turns and the player does what they may;
// then it is answered by its button or a key.
std::optional<Step> RandomPlayer::nextInModal() {
    int& left = modalsLeft_.back();
    if (left-- > 0) {
        const std::int32_t delay = chance(20)  ? static_cast<std::int32_t>(below(1500))
                                   : chance(4) ? static_cast<std::int32_t>(below(300))
                                               : static_cast<std::int32_t>(below(30));
        pending_.push_back(wait(delay));
        switch (below(4)) {
            case 0:
                pending_.push_back(focusLoss());
                break;
            case 1:
                pending_.push_back(musicEnd());
                break;
            case 2:
                pending_.push_back(down(anyKey(), anyMask()));
                break;
            default:
                pending_.push_back(menu(anyCommand(true)));
                break;
        }
        return takePending();
    }
    if (chance(2)) {
        return record(answer());
    }
    static constexpr std::int16_t kAnswers[] = {keys::kReturn, keys::kEscape, keys::kSpace};
    const std::int16_t key = kAnswers[below(3)];
    pending_.push_back(up(key));
    return record(down(key));
}

std::optional<Step> RandomPlayer::nextAtTop(const game::FrmTumbrix& frm) {
    if (played_ >= ticks_) {
        return std::nullopt;
    }
    if (pilotOf_ != &frm) {
        pilot_ = std::make_unique<autopilot::Autopilot>(frm, [this](std::int16_t key, bool isDown) {
            pending_.push_back(isDown ? down(key) : up(key));
        });
        pilotOf_ = &frm;
    }
    // Within a tick: now and then something at random, then the
    // autopilot's keys, then the tick itself; each handed out in turn,
    // so that what a new game's pending events do is made up then.
    switch (phase_++ % 3) {
        case 0:
            trackGame(frm);
            doSomethingElse(frm);
            if (!pending_.empty()) {
                return takePending();
            }
            ++phase_;
            [[fallthrough]];
        case 1:
            if (!frm.gamePaused) {
                pilot_->playToLose(frm.elapsedSeconds >= gameLength_);
                pilot_->steer();
            }
            if (!pending_.empty()) {
                return takePending();
            }
            ++phase_;
            [[fallthrough]];
        default:
            return record(wait(1));
    }
}

// Each game is played to a length drawn for it, mostly short, now and
// then an hour, then played to lose.
void RandomPlayer::trackGame(const game::FrmTumbrix& frm) {
    if (frm.gameInProgress && (!wasInGame_ || frm.elapsedSeconds < lastElapsed_)) {
        const auto r = below(20);
        gameLength_ = static_cast<std::int32_t>(r < 12   ? below(130)
                                                : r < 19 ? 120 + below(500)
                                                         : 600 + below(3000));
    }
    wasInGame_ = frm.gameInProgress;
    lastElapsed_ = frm.elapsedSeconds;
}

void RandomPlayer::doSomethingElse(const game::FrmTumbrix& frm) {
    const std::uint64_t c = calmness_;
    if (!frm.gameInProgress && chance(40)) {
        const bool two = below(10) < 7 ? preferTwoPlayers_ : !preferTwoPlayers_;
        const bool buttonShown = frm.cmdNewGame1.visible && frm.cmdNewGame2.visible;
        pending_.push_back(buttonShown && chance(2)
                               ? button(two ? 2 : 1)
                               : menu(two ? Command::NewGame2 : Command::NewGame1));
    } else if (frm.gamePaused && chance(100)) {
        press(chance(2) ? keys::kEscape : keys::kReturn);
    } else if (chance(60 * c)) {
        const std::int16_t key = anyKey();
        const std::int16_t mask = anyMask();
        pending_.push_back(down(key, mask));
        if (!chance(4)) {
            pending_.push_back(up(key, mask));
        }
    } else if (chance(800 * c)) {
        // A held key repeats before it is let go.
        const std::int16_t key = chance(2) ? keys::kEscape : anyKey();
        for (auto repeats = 2 + below(10); repeats > 0; --repeats) {
            pending_.push_back(down(key));
            pending_.push_back(wait(static_cast<std::int32_t>(1 + below(2))));
        }
        pending_.push_back(up(key));
    } else if (chance(700 * c)) {
        press(keys::kEscape);
    } else if (chance(3000 * c)) {
        pending_.push_back(menu(anyCommand(false)));
    } else if (chance(60000 * c)) {
        pending_.push_back(chance(3) ? closeWindow() : menu(Command::Exit));
    } else if (chance(4000 * c)) {
        pending_.push_back(focusLoss());
    } else if (chance(600)) {
        pending_.push_back(musicEnd());
    }
}

}  // namespace chaos
