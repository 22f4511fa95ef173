#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "game/frm_tumbrix.h"
#include "platform/headless/headless_runtime.h"

// A main window on the headless host, loaded as the program starts it.
class GameFixture : public ::testing::Test {
protected:
    void SetUp() override;
    // Creates the main window and runs its load handler.
    void startProgram();
    void runTicks(std::int64_t ticks) { runtime.advanceTicks(ticks); }
    void runSeconds(int seconds) { runtime.advanceTicks(std::int64_t{64} * seconds); }
    void keyDown(std::int16_t code, std::int16_t shift = 0) { frm->keyDown(code, shift); }
    void keyUp(std::int16_t code, std::int16_t shift = 0) { frm->keyUp(code, shift); }
    platform::headless::RecordingWavePlayer& wave(const std::string& file) {
        return runtime.wavePlayer(file);
    }

    platform::headless::HeadlessRuntime runtime;
    std::unique_ptr<game::FrmTumbrix> frm;
};
