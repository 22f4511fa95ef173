// The real game on the desktops players use: X11 with and without a window
// manager, weston, and sway floating and tiling, all at 1366 x 768. Keys are
// typed through each display server and the whole screen is looked at.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "desktops/another_program.h"
#include "desktops/desktop.h"

namespace desktops {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Kind = Desktop::Kind;

bool black(QRgb p) {
    return qRed(p) < 24 && qGreen(p) < 24 && qBlue(p) < 24;
}
bool white(QRgb p) {
    return qRed(p) > 250 && qGreen(p) > 250 && qBlue(p) > 250;
}
// The sky, the clouds and the hills: colours, not greys.
bool coloured(QRgb p) {
    return std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)}) > 60;
}
bool yellow(QRgb p) {
    return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 90;
}
bool green(QRgb p) {
    return qGreen(p) > 150 && qRed(p) < 100 && qBlue(p) < 100;
}

// Shares of a part of a picture, counted on every other pixel.
struct Shares {
    double black = 0, white = 0, coloured = 0, green = 0;
};
Shares sharesOf(const QImage& shot, QRect part) {
    Shares shares;
    int pixels = 0;
    for (int y = part.top(); y <= part.bottom(); y += 2) {
        for (int x = part.left(); x <= part.right(); x += 2) {
            const QRgb p = shot.pixel(x, y);
            ++pixels;
            shares.black += black(p);
            shares.white += white(p);
            shares.coloured += coloured(p);
            shares.green += green(p);
        }
    }
    for (double* share : {&shares.black, &shares.white, &shares.coloured, &shares.green}) {
        *share /= std::max(pixels, 1);
    }
    return shares;
}

// How long a program may take to show its window on a busy machine.
constexpr std::chrono::seconds kStartingUp = 30s;

bool eventually(const std::function<bool()>& holds, std::chrono::milliseconds limit = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!holds()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

// Where the focus-mode reminder is, from a screen's corner.
const QRect kReminder(0, 0, 230, 30);

bool reminderShown(const QImage& shot, QRect screen) {
    return sharesOf(shot, kReminder.translated(screen.topLeft())).white == 0 && [&] {
        int yellowPixels = 0;
        for (int y = 0; y < kReminder.height(); ++y) {
            for (int x = 0; x < kReminder.width(); ++x) {
                yellowPixels += yellow(shot.pixel(screen.topLeft() + QPoint(x, y)));
            }
        }
        return yellowPixels >= 20;
    }();
}

// Focus mode as a player sees it on one screen: black, but for the yellow
// reminder in the corner and one box, the game, whole and in front, with no
// white of another program in it.
::testing::AssertionResult focusModeShown(const QImage& shot, QRect screen) {
    QRect game;
    int reminder = 0;
    for (int y = screen.top(); y <= screen.bottom(); y += 2) {
        for (int x = screen.left(); x <= screen.right(); x += 2) {
            const QRgb p = shot.pixel(x, y);
            if (kReminder.contains(x - screen.left(), y - screen.top())) {
                reminder += yellow(p);
            } else if (!black(p)) {
                game |= QRect(x, y, 1, 1);
            }
        }
    }
    const Shares inGame = sharesOf(shot, game);
    if (reminder < 10 || game.height() < 300 || inGame.coloured < 0.3 || inGame.white > 0.1) {
        return ::testing::AssertionFailure()
               << "not focus mode: " << reminder << " yellow pixels in the corner; the rest at ("
               << game.x() << "," << game.y() << ") " << game.width() << "x" << game.height()
               << ", " << inGame.coloured << " coloured, " << inGame.white << " white";
    }
    return ::testing::AssertionSuccess();
}

// The pause screen: its green ball and letters, where a running game has
// only a small green ball.
bool pauseScreenShown(const QImage& shot) {
    return sharesOf(shot, shot.rect()).green > 0.01;
}

class DesktopTest : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tumbrix-desktop-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        scratch_ = pattern;
        fs::create_directories(scratch_ / "game");
        const fs::path binary = TUMBRIX_BINARY;
        fs::copy_file(binary, scratch_ / "game/tumbrix");
        for (const auto& entry : fs::directory_iterator(binary.parent_path())) {
            if (entry.path().extension() == ".wav") {
                fs::copy_file(entry.path(), scratch_ / "game" / entry.path().filename());
            }
        }
        std::string whyNot;
        desktop_ = Desktop::start(GetParam(), scratch_, whyNot);
        if (!desktop_) {
            GTEST_SKIP() << whyNot;
        }
    }
    void TearDown() override {
        if (HasFailure() && desktop_) {
            desktop_->screenshot().save(QString::fromStdString((scratch_ / "screen.png").string()));
        }
        game_ = {};
        others_.clear();
        desktop_.reset();
        if (HasFailure()) {
            // What the player would have seen, and what the programs said.
            std::cerr << "the desktop's files stay in " << scratch_ << "\n";
        } else {
            fs::remove_all(scratch_);
        }
    }

    bool wayland() const { return GetParam() >= Kind::Weston; }
    QRect screen() const { return QRect(0, 0, Desktop::kWidth, Desktop::kHeight); }

    // Another program with a big white window, which has the keys first.
    void startAnotherProgram() {
        others_.push_back(desktop_->launchAnotherProgram());
        ASSERT_TRUE(eventually(
            [&] { return sharesOf(desktop_->screenshot(), screen()).white > 0.3; }, kStartingUp));
    }

    void startGame() {
        game_ = desktop_->launch(
            {(scratch_ / "game/tumbrix").string()},
            {{"HOME", scratch_.string()}, {"LOGIN", "tester"}, {"SDL_AUDIODRIVER", "dummy"}});
        ASSERT_TRUE(eventually(
            [&] {
                return sharesOf(desktop_->screenshot(), screen()).coloured > 0.15 &&
                       desktop_->focusedTitle().value_or(" Tumbrix") == " Tumbrix";
            },
            kStartingUp))
            << "the game did not appear";
        // The window is placed again once its frame is known.
        std::this_thread::sleep_for(1s);
    }

    // Focus Mode On/Off from the Special menu, by keyboard: each menu opens
    // before the next key.
    void focusModeItem() {
        for (const char* key : {"alt+f", "Right", "Right", "Return"}) {
            desktop_->type({key});
            std::this_thread::sleep_for(300ms);
        }
    }

    // The game's bars move: two pictures of the screen differ.
    bool running() {
        const QImage before = desktop_->screenshot();
        std::this_thread::sleep_for(300ms);
        return desktop_->screenshot() != before && !pauseScreenShown(before);
    }

    fs::path scratch_;
    std::unique_ptr<Desktop> desktop_;
    std::vector<Process> others_;
    Process game_;
};

TEST_P(DesktopTest, FocusModeBlacksOutAllButTheGameWhichPlaysInFrontUntilSwitchedOff) {
    ASSERT_NO_FATAL_FAILURE(startAnotherProgram());
    ASSERT_NO_FATAL_FAILURE(startGame());
    // The whole window is on the screen, title bar and frame included.
    if (GetParam() != Kind::SwayTiling) {
        const QImage shot = desktop_->screenshot();
        for (const QRect edge :
             {QRect(0, Desktop::kHeight - 1, Desktop::kWidth, 1), QRect(0, 0, 1, Desktop::kHeight),
              QRect(Desktop::kWidth - 1, 0, 1, Desktop::kHeight)}) {
            EXPECT_EQ(sharesOf(shot, edge).coloured, 0) << "the game runs off the screen";
        }
    }
    const std::optional<QRect> place = desktop_->placeOf(game_.pid());
    const auto expectFocusMode = [&](bool on, const char* how) {
        SCOPED_TRACE(how);
        if (on) {
            ASSERT_TRUE(eventually([&] {
                return focusModeShown(desktop_->screenshot(), screen());
            })) << focusModeShown(desktop_->screenshot(), screen()).message();
            // Nothing of focus mode is a window a taskbar could show or close.
            EXPECT_EQ(desktop_->windowsOf(game_.pid()).value_or(1), 1);
        } else {
            // The other program is back in sight, the game where it was.
            ASSERT_TRUE(eventually([&] {
                const QImage shot = desktop_->screenshot();
                return !reminderShown(shot, screen()) && sharesOf(shot, screen()).white > 0.05;
            }));
            EXPECT_EQ(desktop_->placeOf(game_.pid()), place);
        }
    };
    desktop_->type({"ctrl+f"});
    expectFocusMode(true, "Ctrl+F");
    if (desktop_->leaveFullScreen(game_.pid())) {
        std::this_thread::sleep_for(1s);
        expectFocusMode(true, "the window manager took the window out of full screen");
    }
    desktop_->type({"ctrl+f"});
    expectFocusMode(false, "Ctrl+F again");
    focusModeItem();
    expectFocusMode(true, "the menu item");
    focusModeItem();
    expectFocusMode(false, "the menu item again");

    // A game in focus mode plays and pauses as any other.
    desktop_->type({"ctrl+f", "ctrl+n"});
    EXPECT_TRUE(eventually([&] { return running(); }));
    desktop_->type({"Escape"});
    EXPECT_TRUE(eventually([&] { return pauseScreenShown(desktop_->screenshot()); }));
    desktop_->type({"Escape"});
    EXPECT_TRUE(eventually([&] { return running(); }));
    expectFocusMode(true, "while playing");
}

TEST_P(DesktopTest, KeysReachTheGameAfterEveryBoxAndWindowOfATwoPlayerAndAOnePlayerGame) {
    if (!desktop_->focusedTitle()) {
        GTEST_SKIP() << "this desktop does not tell which window has the keys";
    }
    ASSERT_NO_FATAL_FAILURE(startGame());
    const auto title = [&] { return desktop_->focusedTitle().value_or(""); };
    const auto keysReachTheGame = [&] {
        desktop_->type({"Escape"});
        EXPECT_TRUE(eventually([&] { return pauseScreenShown(desktop_->screenshot()); }));
        desktop_->type({"Escape"});
        EXPECT_TRUE(eventually([&] { return running(); }));
    };
    // Without a key the balls ride the bars up and are crushed: one after
    // the other, and the other plays on alone, or both at once.
    desktop_->type({"ctrl+t"});
    const auto closeResult = [&] {
        EXPECT_TRUE(eventually([&] { return title().starts_with("Game Over for "); }, 60s));
        const std::string box = title();
        desktop_->type({"Return"});
        EXPECT_TRUE(eventually([&] { return title() == " Tumbrix"; })) << box;
        return box;
    };
    if (closeResult() != "Game Over for Both Players") {
        SCOPED_TRACE("the other player plays on");
        keysReachTheGame();
        closeResult();
    }
    desktop_->type({"ctrl+n"});
    for (const char* box : {"Game Over", "New High Score", " Tumbrix High Scores"}) {
        ASSERT_TRUE(eventually([&] { return title() == box; }, 60s)) << box << ": " << title();
        desktop_->type({"Return"});
    }
    ASSERT_TRUE(eventually([&] { return title() == " Tumbrix"; }));
    desktop_->type({"ctrl+n"});
    ASSERT_TRUE(eventually([&] { return running(); }));
    keysReachTheGame();
}

TEST_P(DesktopTest, AHeldEscapePausesOnceAndSwitchingToAnotherProgramPauses) {
    ASSERT_NO_FATAL_FAILURE(startGame());
    desktop_->type({"ctrl+n"});
    ASSERT_TRUE(eventually([&] { return running(); }));
    // Held: however fast it repeats, the game pauses once and stays paused.
    Process held = desktop_->hold("Escape", 2000);
    std::this_thread::sleep_for(500ms);
    for (int look = 0; look < 4; ++look) {
        EXPECT_TRUE(pauseScreenShown(desktop_->screenshot())) << look;
        std::this_thread::sleep_for(300ms);
    }
    held.wait(5000);
    desktop_->type({"Return"});
    ASSERT_TRUE(eventually([&] { return running(); }));
    // The other program takes the keys: the game pauses, and is still paused
    // when the player comes back.
    ASSERT_NO_FATAL_FAILURE(startAnotherProgram());
    if (desktop_->focus(game_.pid())) {
        EXPECT_TRUE(eventually([&] { return pauseScreenShown(desktop_->screenshot()); }));
        desktop_->type({"Escape"});
        EXPECT_TRUE(eventually([&] { return running(); }));
    }
}

TEST(TwoMonitorTest, FocusModeFillsTheMonitorTheGameIsOn) {
    const fs::path scratch =
        fs::temp_directory_path() / ("tumbrix-monitors-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    std::string whyNot;
    auto desktop = Desktop::start(Kind::OpenboxTwoMonitors, scratch, whyNot);
    if (!desktop) {
        GTEST_SKIP() << whyNot;
    }
    Process other = desktop->launchAnotherProgram();
    Process game = desktop->launch(
        {TUMBRIX_BINARY},
        {{"HOME", scratch.string()}, {"LOGIN", "tester"}, {"SDL_AUDIODRIVER", "dummy"}});
    const QRect right(1366, 0, 1024, 768);
    ASSERT_TRUE(eventually([&] { return desktop->placeOf(game.pid()).has_value(); }));
    std::this_thread::sleep_for(500ms);
    desktop->moveWindow(game.pid(), right.topLeft() + QPoint(100, 10));
    desktop->type({"ctrl+f"});
    EXPECT_TRUE(eventually([&] { return focusModeShown(desktop->screenshot(), right); }))
        << focusModeShown(desktop->screenshot(), right).message();
    EXPECT_EQ(desktop->placeOf(game.pid()), right);
    // The other monitor shows what it showed.
    EXPECT_GT(sharesOf(desktop->screenshot(), QRect(0, 0, 1366, 768)).white, 0.05);
    desktop.reset();
    fs::remove_all(scratch);
}

std::string nameOf(const ::testing::TestParamInfo<Kind>& kind) {
    const char* names[] = {"BareX",  "OpenboxX",     "TwoMonitors",
                           "Weston", "SwayFloating", "SwayTiling"};
    return names[static_cast<int>(kind.param)];
}

INSTANTIATE_TEST_SUITE_P(Desktops, DesktopTest,
                         ::testing::Values(Kind::BareX, Kind::OpenboxX, Kind::Weston,
                                           Kind::SwayFloating, Kind::SwayTiling),
                         nameOf);

}  // namespace
}  // namespace desktops

// The other program of the tests runs from this executable too.
int main(int argc, char** argv) {
    if (const std::optional<int> status = desktops::runAnotherProgramIfAsked(argc, argv)) {
        return *status;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
