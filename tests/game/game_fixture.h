#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/frm_tumbrix.h"
#include "platform/headless/headless_runtime.h"
#include "platform/key_codes.h"

using Strings = std::vector<std::string>;
namespace keys = platform::keys;

// A main window on the headless host, loaded as the program starts it.
class GameFixture : public ::testing::Test {
protected:
    void SetUp() override {
        runtime.env["LOGIN"] = "tester";
        startProgram();
    }
    // Creates the main window and runs its load handler.
    void startProgram() {
        frm.reset();
        frm = std::make_unique<game::FrmTumbrix>(runtime);
        runtime.loadForm(*frm);
        frm->visible = true;
    }
    void runTicks(std::int64_t ticks) { runtime.advanceTicks(ticks); }
    void runSeconds(int seconds) { runtime.advanceTicks(std::int64_t{64} * seconds); }
    // Runs the game tick's handler alone, without the clock.
    void gameTicks(int count = 1) {
        for (int tick = 0; tick < count; ++tick) {
            frm->tmrTumbrix_Timer();
        }
    }
    static void place(platform::Shape& shape, float left, float top) {
        shape.left = left;
        shape.top = top;
    }
    // Lays a ball at the bottom left, clear of every bar and item.
    static void park(platform::Shape& ball) { place(ball, 0, 11145); }
    void keyDown(std::int16_t code, std::int16_t shift = 0) { frm->keyDown(code, shift); }
    void keyUp(std::int16_t code, std::int16_t shift = 0) { frm->keyUp(code, shift); }
    std::size_t logged(const std::string& entry) const { return runtime.logEntries(entry).size(); }
    // The rolls under way, as "L1 R2": a roll is its steering timer running.
    std::string rolls() const {
        std::string out;
        for (auto [timer, name] : {std::pair{&frm->tmrMoveLeft1, " L1"},
                                   {&frm->tmrMoveRight1, " R1"},
                                   {&frm->tmrMoveLeft2, " L2"},
                                   {&frm->tmrMoveRight2, " R2"}}) {
            out += timer->enabled() ? name : "";
        }
        return out.empty() ? out : out.substr(1);
    }

    // What the window shows and runs: the game's state, then the pause label,
    // a picture other than the background, all six bars, the balls, the
    // tick, the clock, the arrow pointer, both new-game buttons, the rolls.
    std::string scene() const {
        const game::FrmTumbrix& f = *frm;
        std::string out = !f.gameInProgress ? "idle" : f.gamePaused ? "paused" : "running";
        out += f.picture != "background" ? " " + f.picture : "";
        const bool bars = f.shpLine1.visible && f.shpLine2.visible && f.shpLine3.visible &&
                          f.shpLine4.visible && f.shpLine5.visible && f.shpLine6.visible;
        for (auto [shown, word] : {std::pair{f.lblPause.visible, " pause"},
                                   {bars, " bars"},
                                   {f.shpDot1.visible, " ball1"},
                                   {f.shpDot2.visible, " ball2"},
                                   {f.tmrTumbrix.enabled(), " tick"},
                                   {f.tmrScoreLevel.enabled(), " clock"},
                                   {f.mousePointer == platform::MousePointer::Default, " pointer"},
                                   {f.cmdNewGame1.visible && f.cmdNewGame2.visible, " buttons"}}) {
            out += shown ? word : "";
        }
        return out + (rolls().empty() ? "" : " " + rolls());
    }

    platform::headless::HeadlessRuntime runtime;
    std::unique_ptr<game::FrmTumbrix> frm;
};

// A 2-player game just begun, the calls of its start off the log.
class TwoPlayerGame : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        frm->mnuNewGame2.onClick();
        runtime.log.clear();
    }
};

// A 2-player game run tick by tick by hand: the bars stand still, both balls
// lie parked and airborne.
class HandDrivenGame : public TwoPlayerGame {
protected:
    void SetUp() override {
        TwoPlayerGame::SetUp();
        frm->tmrTumbrix.setEnabled(false);
        frm->tmrScoreLevel.setEnabled(false);
        frm->baseSpeed = 0;
        park(frm->shpDot1);
        park(frm->shpDot2);
        gameTicks();
        runtime.log.clear();
    }
};
