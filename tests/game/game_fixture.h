#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/frm_tumbrix.h"
#include "platform/headless/headless_runtime.h"

using Strings = std::vector<std::string>;

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
    void keyDown(std::int16_t code, std::int16_t shift = 0) { frm->keyDown(code, shift); }
    void keyUp(std::int16_t code, std::int16_t shift = 0) { frm->keyUp(code, shift); }
    std::size_t logged(const std::string& entry) const { return runtime.logEntries(entry).size(); }

    platform::headless::HeadlessRuntime runtime;
    std::unique_ptr<game::FrmTumbrix> frm;
};
