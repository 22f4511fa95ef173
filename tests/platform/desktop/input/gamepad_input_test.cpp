#include <SDL.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <optional>
#include <set>

#include "autopilot/autopilot.h"
#include "game/frm_tumbrix.h"
#include "platform/desktop/input/gamepad_keys.h"
#include "platform/desktop/input/sdl/sdl_gamepads.h"
#include "platform/desktop/sound/sdl/sdl_audio.h"
#include "platform/key_codes.h"
#include "qt_test_support.h"

namespace platform::desktop::testing {
namespace {

using namespace platform::keys;
using Button = GamepadKeys::Button;
using Event = SdlGamepads::Event;
using Events = std::vector<Event>;

Event key(int player, const KeyAction& action) {
    return {Event::Kind::Key, player, action};
}

// A pad made by SDL itself, seen as one plugged into a USB port would be.
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

TEST(GamepadKeys, TheStickCountsFromHalfWayOutToBackWithinAQuarterAndTheLastPushDecides) {
    GamepadKeys pad(kA, kD);
    EXPECT_EQ(pad.stick(16384), Actions{down(kD)});
    EXPECT_EQ(pad.stick(8193), Actions{});
    EXPECT_EQ(pad.stick(8192), Actions{up(kD)});
    EXPECT_EQ(pad.stick(-16384), Actions{down(kA)});
    EXPECT_EQ(pad.stick(32767), (Actions{up(kA), down(kD)}));  // flicked across
    // Letting go of the last push gives the way back to what is still held.
    EXPECT_EQ(pad.button(Button::DpadRight, true), Actions{});
    EXPECT_EQ(pad.button(Button::DpadLeft, true), (Actions{up(kD), down(kA)}));
    EXPECT_EQ(pad.button(Button::DpadLeft, false), (Actions{up(kA), down(kD)}));
    EXPECT_EQ(pad.stick(-8192), Actions{});
    EXPECT_EQ(pad.button(Button::Start, true), Actions{down(kEscape)});
    EXPECT_EQ(pad.button(Button::A, true), Actions{down(kReturn)});
    EXPECT_EQ(pad.releaseAll(), (Actions{up(kD), up(kEscape), up(kReturn)}));
    EXPECT_EQ(pad.releaseAll(), Actions{});
}

TEST(SdlGamepads, EachPlayerOnAPadOfTheirOwnWhilePadsComeAndGo) {
    SdlGamepads pads;
    VirtualPad first;
    VirtualPad second;
    EXPECT_EQ(pads.poll(), Events{});
    first.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_EQ(pads.poll(), Events{key(0, down(kRight))});
    second.stickX(-30000);
    EXPECT_EQ(pads.poll(), Events{key(1, down(kA))});
    // Player 1's pad pulled out while held; player 2 keeps theirs.
    first.unplug();
    EXPECT_EQ(pads.poll(), (Events{key(0, up(kRight)), {Event::Kind::PulledOut, 0}}));
    second.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_EQ(pads.poll(), (Events{key(1, up(kA)), key(1, down(kD))}));
    // The next pad steers player 1; one more waits for a free seat.
    VirtualPad third;
    VirtualPad fourth;
    EXPECT_EQ(pads.poll(), Events{});
    third.button(SDL_CONTROLLER_BUTTON_A, true);
    fourth.button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(pads.poll(), Events{key(0, down(kReturn))});
    third.unplug();
    fourth.button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(pads.poll(), (Events{key(0, up(kReturn)), {Event::Kind::PulledOut, 0}}));
    fourth.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    EXPECT_EQ(pads.poll(), Events{key(0, down(kLeft))});
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
            EXPECT_EQ(pads->poll(), Events{key(0, down(kEscape))});
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

// The main window, noting the keys it is given and the players who stepped away.
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
    void playerSteppedAway() override {
        ++steppedAway;
        FrmTumbrix::playerSteppedAway();
    }
    Actions keys;
    int steppedAway = 0;
};

// Two players on virtual pads with the autopilot's hands on them: player 1
// on the D-pad, player 2 on the stick, each push held for one tick. The test
// turns the clock; A on pad 1 answers every message box.
class PadPlayedGameTest : public HostTest {
protected:
    void SetUp() override {
        host.clock().stop();
        host.loadForm(frm);
        showAndActivate(frm);
        const auto click = frm.cmdNewGame2.onClick;
        frm.cmdNewGame2.onClick = [this, click] {
            ++clicks;
            click();
        };
        QObject::connect(&boxWatch, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box->isActiveWindow() && boxes.insert(box).second) {
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
    void push(std::int16_t key, bool down) {
        if (key == kA || key == kD) {
            pad2->stickX(!down ? 0 : key == kA ? -32768 : 32767);
        } else {
            pad1.button(key == kLeft ? SDL_CONTROLLER_BUTTON_DPAD_LEFT
                                           : SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
                        down);
        }
    }
    // One tick: what was pushed on the last one is let go, the autopilot
    // pushes what the game calls for, and the game hears exactly that.
    void playTick() {
        Actions expected;
        for (const std::int16_t key : std::exchange(held, {})) {
            push(key, false);
            expected.push_back(up(key));
        }
        pilot.steer();
        for (const std::int16_t key : held) {
            expected.push_back(down(key));
        }
        frm.keys.clear();
        host.runTicks(1);
        const auto byKey = [](const KeyAction& a) { return std::pair(a.keyCode, a.kind); };
        std::ranges::sort(frm.keys, {}, byKey);
        std::ranges::sort(expected, {}, byKey);
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
    std::optional<VirtualPad> pad2;
    std::vector<std::int16_t> held;
    autopilot::Autopilot pilot{frm, [this](std::int16_t key, bool down) {
                                   // Pad 2's hands wait until the pad has its seat.
                                   if (down && (host.gamepads().padsAttached() == 2 ||
                                                (key != kA && key != kD))) {
                                       push(key, true);
                                       held.push_back(key);
                                   }
                               }};
    int clicks = 0;
    QTimer boxWatch;
    std::set<QMessageBox*> boxes;
    int ticks = 0;
};

TEST_F(PadPlayedGameTest, TwoPadsPlayATwoPlayerGameToItsEnd) {
    // A on pad 1 presses the focused button, and ENTER reaches the game too.
    host.gamepads().poll();
    host.setFocus(frm.cmdNewGame2);
    press(pad1, SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(frm.keys, (Actions{down(kReturn), up(kReturn)}));
    ASSERT_TRUE(frm.gameInProgress && frm.twoPlayerGame);

    // Player 1 plays alone for a second, then pad 2 is plugged in mid-game;
    // after twenty seconds both play to lose.
    playWhile([&] { return ticks < 64; });
    pad2.emplace();
    ASSERT_NO_FATAL_FAILURE(playTick());
    ASSERT_EQ(host.gamepads().padsAttached(), 2);
    playWhile([&] { return frm.gameInProgress && ticks < 64 * 20; });
    pilot.playToLose(true);
    playWhile([&] { return frm.gameInProgress; });
    ASSERT_FALSE(frm.gameInProgress);
    EXPECT_FALSE(boxes.empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a box A did not answer";

    // Back on the idle screen, A on pad 2 presses no button; Start is ESC,
    // and pad 2 pulled out tells the game its player stepped away.
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.windowOf(frm)));
    host.setFocus(frm.cmdNewGame2);
    press(*pad2, SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(clicks, 1);
    frm.keys.clear();
    press(pad1, SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(frm.keys, (Actions{down(kEscape), up(kEscape)}));
    pad2.reset();
    host.runTicks(1);
    EXPECT_EQ(frm.steppedAway, 1);
}

}  // namespace
}  // namespace platform::desktop::testing
