// Keys and pads as the game gets them.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <optional>

#include "autopilot/autopilot.h"
#include "game/frm_tumbrix.h"
#include "platform/desktop/sound/sdl/sdl_audio.h"
#include "platform/key_codes.h"
#include "qt_test_support.h"

namespace platform::desktop::testing {
namespace {

using namespace platform::keys;

TEST(KeyRepeatFilter, AHeldKeyRepeatsItsKeyDownAndIsReleasedOnce) {
    using Next = std::function<Actions(KeyRepeatFilter&)>;
    // Each row: whether a release at 100 ms is marked auto-repeat, what comes
    // next, and all that goes out from the release on.
    const std::tuple<bool, Next, Actions> cases[] = {
        {true, [](auto& f) { return f.press(kLeft, 0, 500); }, {down(kLeft)}},
        {false, [](auto& f) { return f.press(kLeft, 0, 107); }, {down(kLeft)}},
        {false, [](auto& f) { return f.press(kLeft, 0, 108); }, {up(kLeft, 1), down(kLeft)}},
        {false, [](auto& f) { return f.poll(108); }, {up(kLeft, 1)}},
        {false, [](auto& f) { return f.press(kRight, 0, 101); }, {up(kLeft, 1), down(kRight)}},
        {false,
         [](auto& f) { return f.release(kRight, 0, false, 101); },
         {up(kLeft, 1), up(kRight)}},
        {false, [](auto& f) { return f.otherKey(101); }, {up(kLeft, 1)}}};
    for (const auto& [autoRepeat, next, out] : cases) {
        SCOPED_TRACE(::testing::PrintToString(out));
        KeyRepeatFilter filter;
        filter.press(kLeft, 0, 0);
        Actions all = filter.release(kLeft, kShiftMask, autoRepeat, 100);
        EXPECT_EQ(filter.nextDeadlineMs(), autoRepeat ? std::nullopt : std::optional(108));
        for (const Actions& more : {next(filter), filter.poll(10000)}) {
            all.insert(all.end(), more.begin(), more.end());
        }
        EXPECT_EQ(all, out);
    }
}

// Time for held-back key releases that moves only when the test moves it.
struct FakeKeyClock : KeyClock {
    std::int64_t nowMs() const override { return now; }
    void wakeAt(std::int64_t deadlineMs, std::function<void()> wakeUp) override {
        deadline = deadlineMs;
        wake = std::move(wakeUp);
    }
    void cancelWake() override { deadline.reset(); }
    void advance(std::int64_t ms) {
        now += ms;
        if (deadline && *deadline <= now) {
            deadline.reset();
            wake();
        }
    }
    std::int64_t now = 1000;
    std::optional<std::int64_t> deadline;
    std::function<void()> wake;
};

class KeyboardInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.loadForm(form);
        host.showForm(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.windowOf(form)));
        native = host.windowOf(form)->windowHandle();
    }
    void send(QEvent::Type type, int key, bool autoRepeat) {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
        QCoreApplication::sendEvent(native, &event);
    }

    FakeKeyClock* clock = new FakeKeyClock;  // owned by the host
    QtHost host{{}, [](int) {}, std::unique_ptr<KeyClock>(clock)};
    KeyForm form;
    QWindow* native = nullptr;
};

TEST_F(KeyboardInputTest, KeysReachTheFormWithCodesAndModifierMasksWhileAFocusedButtonClicks) {
    host.setFocus(form.okButton);
    // Each row: a key and its modifiers; the code and mask the game gets, or none.
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, std::int16_t, std::int16_t> cases[] = {
        {Qt::Key_Escape, {}, kEscape, 0},
        {Qt::Key_Return, {}, kReturn, 0},
        {Qt::Key_Enter, {}, kReturn, 0},
        {Qt::Key_Space, {}, kSpace, 0},
        {Qt::Key_Left, Qt::ShiftModifier, kLeft, kShiftMask},
        {Qt::Key_Right, Qt::ControlModifier, kRight, kCtrlMask},
        {Qt::Key_A, Qt::AltModifier, kA, kAltMask},
        {Qt::Key_F1, {}, 0, 0}};
    for (const auto& [key, modifiers, code, shift] : cases) {
        form.keys.clear();
        QTest::keyClick(native, key, modifiers);
        clock->advance(KeyRepeatFilter::kRejoinMs);
        EXPECT_EQ(form.keys, code == 0 ? Actions{} : (Actions{down(code, shift), up(code, shift)}))
            << key;
    }
    EXPECT_EQ(form.clicks, 3) << "ENTER, RETURN and SPACE click it";
}

TEST_F(KeyboardInputTest, AHeldKeyIsReleasedOnceHoweverLongItsRepeatsTakeToCome) {
    // Auto-repeat releases come between the presses of a held key; the next
    // press may come long after 8 ms, and still no key-up goes out.
    send(QEvent::KeyPress, Qt::Key_Escape, false);
    for (int repeat = 0; repeat < 3; ++repeat) {
        clock->advance(500);
        send(QEvent::KeyRelease, Qt::Key_Escape, true);
        clock->advance(KeyRepeatFilter::kRejoinMs + 25);
        send(QEvent::KeyPress, Qt::Key_Escape, true);
    }
    send(QEvent::KeyRelease, Qt::Key_Escape, false);
    clock->advance(KeyRepeatFilter::kRejoinMs);
    EXPECT_EQ(form.keys, (Actions{down(27), down(27), down(27), down(27), up(27)}));
}

// The host's own clock wakes for the last release by itself.
using SystemKeyClockTest = HostTest;

TEST_F(SystemKeyClockTest, TheLastReleaseGoesOutOnItsOwnSoonAfter) {
    KeyForm form;
    host.loadForm(form);
    showAndActivate(form);
    QTest::keyClick(host.windowOf(form)->windowHandle(), 'd');
    // However loaded the machine, it comes; nothing else comes with it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.keys.size() >= 2; }, 5000));
    EXPECT_EQ(form.keys, (Actions{down(68), up(68)}));
}

using Button = GamepadKeys::Button;
using Event = SdlGamepads::Event;
using Events = std::vector<Event>;

Event key(int player, const KeyAction& action) {
    return {Event::Kind::Key, player, action};
}

// A pad made by SDL itself, seen as one plugged into a USB port would be.
class VirtualPad {
public:
    VirtualPad()
        : joystick_(SDL_JoystickOpen(SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER,
                                                               SDL_CONTROLLER_AXIS_MAX,
                                                               SDL_CONTROLLER_BUTTON_MAX, 0))) {
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
        for (int index = 0; joystick_ != nullptr && index < SDL_NumJoysticks(); ++index) {
            if (SDL_JoystickGetDeviceInstanceID(index) == SDL_JoystickInstanceID(joystick_)) {
                SDL_JoystickClose(std::exchange(joystick_, nullptr));
                SDL_JoystickDetachVirtual(index);
            }
        }
    }

private:
    SDL_Joystick* joystick_;
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
    // Ten minutes of ticks within 10 ms: reading SDL on each would take 40 ms and more.
    QElapsedTimer elapsed;
    elapsed.start();
    for (int tick = 0; tick < 64 * 600; ++tick) {
        input.beforeTicks();
    }
    EXPECT_LT(elapsed.nsecsElapsed(), 10'000'000);
}

// The main window, noting the keys it is given and the players who step away.
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
        frm.cmdNewGame2.onClick = [this, click = frm.cmdNewGame2.onClick] {
            ++clicks;
            click();
        };
        QObject::connect(&boxWatch, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box->isActiveWindow()) {
                ++boxPresses;
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
            pad1.button(
                key == kLeft ? SDL_CONTROLLER_BUTTON_DPAD_LEFT : SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
                down);
        }
    }
    // While the condition holds, each tick: what was pushed on the last one
    // is let go, the autopilot pushes what the game calls for, and the game
    // hears exactly that.
    void playWhile(const std::function<bool()>& condition) {
        for (; condition() && ticks < 64 * 600; ++ticks) {
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
        }
    }

    KeyRecordingGame frm{host};
    VirtualPad pad1;
    std::optional<VirtualPad> pad2;
    std::vector<std::int16_t> held;
    // Pad 2's hands wait until the pad has its seat.
    autopilot::Autopilot pilot{
        frm, [this](std::int16_t key, bool down) {
            if (down && (host.gamepads().padsAttached() == 2 || (key != kA && key != kD))) {
                push(key, true);
                held.push_back(key);
            }
        }};
    int clicks = 0;
    QTimer boxWatch;
    int boxPresses = 0;
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
    ASSERT_NO_FATAL_FAILURE(playWhile([&] { return ticks < 64; }));
    pad2.emplace();
    ASSERT_NO_FATAL_FAILURE(playWhile([&] { return ticks < 64 * 20 && frm.gameInProgress; }));
    EXPECT_EQ(host.gamepads().padsAttached(), 2);
    pilot.playToLose(true);
    ASSERT_NO_FATAL_FAILURE(playWhile([&] { return frm.gameInProgress; }));
    ASSERT_FALSE(frm.gameInProgress);
    EXPECT_GT(boxPresses, 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a box A did not answer";

    // Back on the idle screen, A on pad 2 presses no button. Pad 1 pulled
    // out while held lets go and tells the game its player stepped away; the
    // next pad plugged in takes its seat, and one more waits for a free one.
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.windowOf(frm)));
    host.setFocus(frm.cmdNewGame2);
    press(*pad2, SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(clicks, 1);
    for (const std::int16_t key : std::exchange(held, {})) {
        push(key, false);
    }
    host.gamepads().poll();
    frm.keys.clear();
    pad1.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    host.gamepads().poll();
    pad1.unplug();
    VirtualPad next;
    VirtualPad waiting;
    host.gamepads().poll();
    EXPECT_EQ(frm.steppedAway, 1);
    press(waiting, SDL_CONTROLLER_BUTTON_A);
    press(next, SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(frm.keys, (Actions{down(kRight), up(kRight), down(kReturn), up(kReturn)}));
}

}  // namespace
}  // namespace platform::desktop::testing
