#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <vector>

#include "autopilot/autopilot.h"
#include "chaos/step_source.h"

namespace chaos {

// Makes the steps up as the game goes, and writes them down: a player who
// steers like the autopilot, plays each game to a length of its own
// choosing and then to lose, and at random does anything else a player
// can. How wild is chosen per run.
class RandomPlayer : public StepSource {
public:
    RandomPlayer(std::uint64_t seed, bool preferTwoPlayers, std::int64_t ticks);

    std::vector<Step> steps;

    std::size_t position() const override { return steps.empty() ? 0 : steps.size() - 1; }

    void open(Where where) override;
    void close(Where where) override;

    std::optional<Step> next(Where where, const game::FrmTumbrix& frm) override;

private:
    std::uint64_t below(std::uint64_t n) { return random_() % n; }

    Step takePending();
    bool chance(std::uint64_t oneIn) { return below(oneIn) == 0; }

    // Consecutive waits outside modal windows are written as one; a wait in
    // a modal window is played there, so it stays apart.
    Step record(const Step& step);

    std::int16_t anyMask() { return chance(2) ? 0 : static_cast<std::int16_t>(1 + below(7)); }

    std::int16_t anyKey();

    void press(std::int16_t key, std::int16_t mask = 0);

    Command anyCommand(bool mayExit);

    // One of the things a player may do while a new game processes its
    // pending events; a wait ends them for every level.
    std::optional<Step> nextEvent(const game::FrmTumbrix&);

    // A modal window or box stays on show for a while, often short, now and
    // then long, while the clock turns and the player does what they may;
    // then it is answered by its button or a key.
    std::optional<Step> nextInModal();

    std::optional<Step> nextAtTop(const game::FrmTumbrix& frm);

    // Each game is played to a length drawn for it, mostly short, now and
    // then an hour, then played to lose.
    void trackGame(const game::FrmTumbrix& frm);

    void doSomethingElse(const game::FrmTumbrix& frm);

    std::mt19937_64 random_;
    Where where_ = Where::Top;
    bool lastMergeable_ = false;
    bool preferTwoPlayers_;
    std::int64_t ticks_;
    std::int64_t played_ = 0;
    std::uint64_t calmness_ = 1;
    std::deque<Step> pending_;
    std::vector<int> modalsLeft_;
    std::vector<int> eventsLeft_;
    std::unique_ptr<autopilot::Autopilot> pilot_;
    const game::FrmTumbrix* pilotOf_ = nullptr;
    bool wasInGame_ = false;
    std::int32_t lastElapsed_ = 0;
    std::int32_t gameLength_ = 0;
    unsigned phase_ = 0;
};

}  // namespace chaos
