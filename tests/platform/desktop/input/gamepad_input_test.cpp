#include <SDL.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include "autopilot/autopilot.h"
#include "game/frm_tumbrix.h"
#include "platform/desktop/input/gamepad_keys.h"
#include "platform/desktop/input/sdl/sdl_gamepads.h"
#include "platform/desktop/sound/sdl/sdl_audio.h"
#include "platform/key_codes.h"
#include "qt_test_support.h"

namespace platform::desktop::testing {
namespace {

using Button = GamepadKeys::Button;
using Event = SdlGamepads::Event;
using Events = std::vector<Event>;

Event key(int player, const KeyAction& action) {
    return {Event::Kind::Key, player, action};
}

// A pad made by SDL itself, seen as a pad plugged into a USB port would be:
// every game-controller button and axis, numbered as SDL numbers them.
class VirtualPad {
public:
    VirtualPad() {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
        desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
        desc.name = "Tumbrix test pad";
        joystick_ = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        EXPECT_NE(joystick_, nullptr) << SDL_GetError();
    }
    ~VirtualPad() { unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    void button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(joystick_, button, down ? SDL_PRESSED : SDL_RELEASED);
    }
    void stickX(int x) {
        SDL_JoystickSetVirtualAxis(joystick_, SDL_CONTROLLER_AXIS_LEFTX, Sint16(x));
    }
    void unplug() {
        if (joystick_ == nullptr) {
            return;
        }
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        SDL_JoystickClose(std::exchange(joystick_, nullptr));
        for (int index = 0; index < SDL_NumJoysticks(); ++index) {
            if (SDL_JoystickGetDeviceInstanceID(index) == id) {
                SDL_JoystickDetachVirtual(index);
            }
        }
    }

private:
    SDL_Joystick* joystick_ = nullptr;
};

TEST(GamepadKeys, StickCountsFromHalfWayOutToBackWithinAQuarterAndJoinsTheDpad) {
    GamepadKeys pad(65, 68);
    EXPECT_EQ(pad.stick(16383), Actions{});
    EXPECT_EQ(pad.stick(16384), Actions{down(68)});
    EXPECT_EQ(pad.stick(8193), Actions{});
    EXPECT_EQ(pad.stick(8192), Actions{up(68)});
    EXPECT_EQ(pad.stick(-16384), Actions{down(65)});
    EXPECT_EQ(pad.stick(-8193), Actions{});
    // Flicked across: one key lets go, the other goes down.
    EXPECT_EQ(pad.stick(32767), (Actions{up(65), down(68)}));
    // The last push decides; letting go of it gives the way back to what is
    // still held.
    EXPECT_EQ(pad.button(Button::DpadRight, true), Actions{});
    EXPECT_EQ(pad.button(Button::DpadLeft, true), (Actions{up(68), down(65)}));
    EXPECT_EQ(pad.button(Button::DpadLeft, false), (Actions{up(65), down(68)}));
    EXPECT_EQ(pad.stick(-8192), Actions{});
    EXPECT_EQ(pad.button(Button::Start, true), Actions{down(27)});
    EXPECT_EQ(pad.button(Button::A, true), Actions{down(13)});
    EXPECT_EQ(pad.releaseAll(), (Actions{up(68), up(27), up(13)}));
    EXPECT_EQ(pad.releaseAll(), Actions{});
}

TEST(SdlGamepads, EachPlayerOnAPadOfTheirOwnWhilePadsComeAndGo) {
    SdlGamepads pads;
    VirtualPad first;
    VirtualPad second;
    EXPECT_EQ(pads.poll(), Events{});
    first.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    second.stickX(-30000);
    second.button(SDL_CONTROLLER_BUTTON_START, true);
    Events events = pads.poll();
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.player < b.player; });
    EXPECT_EQ(events, (Events{key(0, down(39)), key(1, down(65)), key(1, down(27))}));
    // Held, the stick wobbling about the threshold: nothing more until let go.
    for (int x : {-16000, -17000, -9000, -16384}) {
        second.stickX(x);
        EXPECT_EQ(pads.poll(), Events{}) << x;
    }
    second.button(SDL_CONTROLLER_BUTTON_START, false);
    EXPECT_EQ(pads.poll(), Events{key(1, up(27))});

    // Player 1's pad pulled out while held; player 2 keeps theirs.
    first.unplug();
    EXPECT_EQ(pads.poll(), (Events{key(0, up(39)), {Event::Kind::PulledOut, 0}}));
    second.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_EQ(pads.poll(), (Events{key(1, up(65)), key(1, down(68))}));
    // The next pad steers player 1; one more waits for a free seat.
    VirtualPad third;
    VirtualPad fourth;
    EXPECT_EQ(pads.poll(), Events{});
    third.button(SDL_CONTROLLER_BUTTON_A, true);
    fourth.button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(pads.poll(), Events{key(0, down(13))});
    third.unplug();
    fourth.button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(pads.poll(), (Events{key(0, up(13)), {Event::Kind::PulledOut, 0}}));
    fourth.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    EXPECT_EQ(pads.poll(), Events{key(0, down(37))});
}

TEST(SdlGamepads, ShareSdlWithTheSoundEngineWhicheverStopsFirst) {
    qputenv("SDL_AUDIODRIVER", "dummy");
    for (const bool padsStopFirst : {true, false}) {
        auto audio = std::make_unique<SdlAudioEngine>();
        auto pads = std::make_unique<SdlGamepads>();
        ASSERT_TRUE(audio->ensureOutput());
        (padsStopFirst ? pads.reset() : audio.reset());
        if (audio) {
            EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING) & SDL_INIT_AUDIO, Uint32(SDL_INIT_AUDIO));
        } else {
            VirtualPad pad;
            pads->poll();
            pad.button(SDL_CONTROLLER_BUTTON_START, true);
            EXPECT_EQ(pads->poll(), Events{key(0, down(27))});
        }
        audio.reset();
        pads.reset();
        EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u) << padsStopFirst;
    }
}

TEST(GamepadInput, WithoutPadsTheTicksLeaveSdlAlone) {
    GamepadInput input([](QWindow*) -> Form* { return nullptr; }, [](Form&, const KeyAction&) {},
                       [] {});
    ASSERT_EQ(input.padsAttached(), 0) << "a pad is plugged into this machine";
    // Ten minutes of ticks within 10 ms: reading SDL on each, a microsecond
    // or more, would take 40 ms and more.
    QElapsedTimer elapsed;
    elapsed.start();
    for (int tick = 0; tick < 64 * 600; ++tick) {
        input.beforeTicks();
    }
    EXPECT_LT(elapsed.nsecsElapsed(), 10'000'000);
}

// The main window, noting every key it is given.
class KeyRecordingGame : public game::FrmTumbrix {
public:
    using FrmTumbrix::FrmTumbrix;
    void keyDown(std::int16_t keyCode, std::int16_t shift) override {
        keys.push_back(down(keyCode, shift));
        FrmTumbrix::keyDown(keyCode, shift);
    }
    void keyUp(std::int16_t keyCode, std::int16_t shift) override {
        keys.push_back(up(keyCode, shift));
        FrmTumbrix::keyUp(keyCode, shift);
    }
    Actions keys;
};

// Two players on virtual pads with the autopilot's hands on them: player 1
// on the D-pad, player 2 on the stick. The test turns the clock; A on pad 1
// answers every message box once it has the keys.
class PadPlayedGameTest : public HostTest {
protected:
    struct Hands {
        std::int16_t leftKey;
        bool onStick;
        VirtualPad* pad = nullptr;
        bool steering = true;
        // Pressed on this tick, let go on the next.
        std::int16_t pressed = 0;

        void hold(std::int16_t key, bool down) {
            pressed = down ? key : 0;
            const bool left = key == leftKey;
            if (onStick) {
                pad->stickX(!down ? 0 : left ? -32768 : 32767);
            } else {
                pad->button(
                    left ? SDL_CONTROLLER_BUTTON_DPAD_LEFT : SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
                    down);
            }
        }
    };

    void SetUp() override {
        host.clock().stop();
        host.loadForm(frm);
        showAndActivate(frm);
        QObject::connect(&boxWatch, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box->isActiveWindow()) {
                boxes << box->windowTitle();
                press(pad1, SDL_CONTROLLER_BUTTON_A);
            }
        });
        boxWatch.start(0);
    }

    void press(VirtualPad& pad, SDL_GameControllerButton button) {
        pad.button(button, true);
        host.gamepads().poll();
        pad.button(button, false);
        host.gamepads().poll();
    }

    // One tick: what was pressed on the last one is let go, the autopilot
    // presses for free hands, and the game hears exactly that.
    void playTick() {
        Actions expected;
        for (Hands* hands : {&player1, &player2}) {
            if (hands->pressed != 0) {
                expected.push_back(up(hands->pressed));
                hands->hold(hands->pressed, false);
            }
        }
        pilot.steer();
        for (Hands* hands : {&player1, &player2}) {
            if (hands->pressed != 0) {
                expected.push_back(down(hands->pressed));
            }
        }
        frm.keys.clear();
        host.runTicks(1);
        auto byCode = [](const KeyAction& a, const KeyAction& b) {
            return std::pair(a.keyCode, a.kind) < std::pair(b.keyCode, b.kind);
        };
        std::sort(frm.keys.begin(), frm.keys.end(), byCode);
        std::sort(expected.begin(), expected.end(), byCode);
        ASSERT_EQ(frm.keys, expected) << "tick " << ticks;
        ++ticks;
    }

    void playWhile(const std::function<bool()>& condition) {
        while (condition() && ticks < 64 * 600) {
            ASSERT_NO_FATAL_FAILURE(playTick());
        }
    }

    KeyRecordingGame frm{host};
    VirtualPad pad1;
    Hands player1{keys::kLeft, false, &pad1};
    Hands player2{keys::kA, true};
    autopilot::Autopilot pilot{frm, [this](std::int16_t key, bool down) {
                                   Hands& hands =
                                       key == keys::kA || key == keys::kD ? player2 : player1;
                                   if (down && hands.pad != nullptr && hands.steering) {
                                       hands.hold(key, true);
                                   }
                               }};
    QTimer boxWatch;
    QStringList boxes;
    int ticks = 0;
};

TEST_F(PadPlayedGameTest, TwoPadsPlayATwoPlayerGameToItsEnd) {
    // The look for new pads finds pad 1; on the idle screen its A presses
    // the focused new-game button, and ENTER reaches the game too.
    host.gamepads().poll();
    host.setFocus(frm.cmdNewGame2);
    press(pad1, SDL_CONTROLLER_BUTTON_A);
    ASSERT_TRUE(frm.gameInProgress && frm.twoPlayerGame);
    EXPECT_EQ(frm.keys, (Actions{down(13), up(13)}));

    // Player 1 plays alone for a second, then pad 2 is plugged in mid-game.
    playWhile([&] { return ticks < 64; });
    VirtualPad pad2;
    ASSERT_NO_FATAL_FAILURE(playTick());
    ASSERT_EQ(host.gamepads().padsAttached(), 2);
    player2.pad = &pad2;
    // Both play for twenty seconds; then player 2 lets go, then player 1.
    playWhile([&] { return frm.gameInProgress && ticks < 64 * 20; });
    player2.steering = false;
    playWhile([&] { return frm.gameInProgress && !frm.onePlayerOut; });
    player1.steering = false;
    playWhile([&] { return frm.gameInProgress; });
    ASSERT_FALSE(frm.gameInProgress);
    EXPECT_EQ(boxes, (QStringList{"Game Over for Player 2", "Game Over for Player 1"}));

    // Once the window has the keys back, A on pad 2 presses no button, A on
    // pad 1 starts the next game. Start pauses it, ENTER on the keyboard
    // resumes it, and pad 2 pulled out pauses it again.
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.windowOf(frm)));
    press(pad2, SDL_CONTROLLER_BUTTON_A);
    EXPECT_FALSE(frm.gameInProgress);
    press(pad1, SDL_CONTROLLER_BUTTON_A);
    ASSERT_TRUE(frm.gameInProgress && frm.twoPlayerGame && !frm.gamePaused);
    press(pad1, SDL_CONTROLLER_BUTTON_START);
    EXPECT_TRUE(frm.gamePaused);
    QTest::keyClick(host.windowOf(frm)->windowHandle(), Qt::Key_Return);
    EXPECT_FALSE(frm.gamePaused);
    pad2.unplug();
    host.runTicks(1);
    EXPECT_TRUE(frm.gamePaused);
}

}  // namespace
}  // namespace platform::desktop::testing
