#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop/host/application_focus_watch.h"
#include "platform/desktop/host/form_window.h"
#include "platform/desktop/input/qt/gamepad_input.h"
#include "platform/desktop/input/qt/keyboard_input.h"
#include "platform/desktop/painting/picture_cache.h"
#include "platform/game_clock.h"
#include "platform/runtime.h"

class QEventLoop;
class QMessageBox;
class QWindow;

namespace platform::desktop {

// The desktop host: one native window per form, the game clock, keyboard,
// pads and the runtime services. Every call into game code goes through
// dispatch(), after which all windows are brought in line with their forms.
// Lives on the GUI thread and must outlive the forms it has loaded.
class QtHost : public Runtime {
public:
    using WavePlayerFactory = std::function<std::unique_ptr<WavePlayer>()>;
    // Leaves the application's event loop with an exit code.
    using Quit = std::function<void(int)>;

    // The clock starts at once; quit defaults to QCoreApplication::exit and
    // keyClock (the time of held-back key releases) to the system's.
    explicit QtHost(WavePlayerFactory wavePlayers, Quit quit = {},
                    std::unique_ptr<KeyClock> keyClock = nullptr);
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    // Runtime services.
    TimerScheduler& scheduler() override { return scheduler_; }
    void loadForm(Form& form) override;
    void messageBox(const std::string& prompt, const std::string& title) override;
    void showModal(Form& form) override;
    void doEvents() override;
    void bringToFront(Form& form) override;
    void setFocus(CommandButton& button) override;
    void endProgram() override;
    double secondsSinceMidnight() override;
    std::string appPath() override;
    std::string environment(const std::string& name) override;
    std::string sharedScoresFolder() override { return sharedScoresFolder_; }
    std::unique_ptr<WavePlayer> createWavePlayer() override;

    // The shared hall of fame's folder that the game was built with.
    void setSharedScoresFolder(std::string folder) { sharedScoresFolder_ = std::move(folder); }

    // Puts a loaded form's window on screen and gives it the focus.
    void showForm(Form& form);

    // Runs a call into game code: an escaping error is reported and ends the
    // program with exit code 1; afterwards every window is re-synced.
    void dispatch(const std::function<void()>& call);
    // Queues a dispatch on the GUI thread; callable from any thread (the
    // sound engine wakes the GUI this way).
    void post(std::function<void()> call);
    // Brings every window in line with its form and schedules repaints.
    void syncAll();

    bool programEnded() const { return ended_; }
    // The clock that turns the timers, for measuring it against others.
    GameClock& clock() { return clock_; }
    // Runs ticks as the clock does, the pads read first; with the clock
    // stopped, tests drive time this way.
    void runTicks(int ticks);
    // The pads, which tests also read between ticks.
    GamepadInput& gamepads() { return *gamepads_; }
    int exitCode() const { return exitCode_; }
    // The window of a loaded form, or null. A backdrop form has none: the
    // main window draws it.
    FormWindow* windowOf(const Form& form) const;
    // The program's main window, the first one loaded; null before.
    FormWindow* mainWindow() const;

private:
    struct ModalLoop {
        Form* form;
        QEventLoop* loop;
    };

    void deliverKey(Form& form, const KeyAction& action);
    void playerSteppedAway();
    // Runs game code; an error escaping it goes to fail().
    void runGuarded(const std::function<void()>& call);
    void fail(const std::string& message);
    // A modal box with one OK button; icon is a QMessageBox::Icon.
    void runMessageBox(const std::string& text, const std::string& title, int icon);
    void syncVisibility(FormWindow& window);
    // The main window shows the first shown backdrop form around itself.
    void syncBackdrops();
    FormWindow* windowOfNative(QWindow* native) const;
    // The form whose handlers get the keys typed in a native window.
    Form* formTakingKeysOf(QWindow* native) const;
    // The window a message box or modal window opens over: the active game
    // window, else the innermost modal one, else the first shown.
    QWidget* windowToOpenOver() const;

    WavePlayerFactory wavePlayers_;
    Quit quit_;
    TimerScheduler scheduler_;
    PictureCache pictures_;
    std::vector<std::unique_ptr<FormWindow>> windows_;
    // Loaded forms of style ScreenBackdrop, which have no window of their own.
    std::vector<Form*> backdrops_;
    std::vector<ModalLoop> modalLoops_;
    std::vector<QMessageBox*> openBoxes_;
    // Receives queued calls; dropped with the host, so late ones are ignored.
    QObject postTarget_;
    std::unique_ptr<WakeTimer> alarm_;
    GameClock clock_;
    std::unique_ptr<KeyboardInput> keyboard_;
    std::unique_ptr<GamepadInput> gamepads_;
    std::unique_ptr<ApplicationFocusWatch> focusWatch_;
    std::string sharedScoresFolder_;
    // No more game code runs (the program ended or is reporting an error).
    bool stopped_ = false;
    bool ended_ = false;
    int exitCode_ = 0;
};

}  // namespace platform::desktop
