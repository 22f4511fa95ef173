#include "game/game_fixture.h"

void GameFixture::SetUp() {
    runtime.env["LOGIN"] = "tester";
    startProgram();
}

void GameFixture::startProgram() {
    frm.reset();
    frm = std::make_unique<game::FrmTumbrix>(runtime);
    runtime.loadForm(*frm);
    frm->visible = true;
}
