#pragma once

#include <memory>
#include <string>

#include "platform/controls.h"
#include "platform/files.h"
#include "platform/form.h"
#include "platform/locked_file.h"
#include "platform/random_numbers.h"
#include "platform/timer_scheduler.h"
#include "platform/wave_player.h"

namespace platform {

// The services a handler may call. A host (the Qt desktop host or the
// scripted headless host) implements them.
class Runtime {
public:
    virtual ~Runtime() = default;

    // The clock that drives every timer of every window.
    virtual TimerScheduler& scheduler() = 0;

    // Creates the window for a form: its timers join the clock in catalogue
    // order, then its load handler runs. Whether it is on screen follows its
    // visible flag from then on.
    virtual void loadForm(Form& form) = 0;
    // Modal message box with a single OK button and no icon.
    virtual void messageBox(const std::string& prompt, const std::string& title) = 0;
    // Shows the window modally; returns once it has hidden itself.
    virtual void showModal(Form& form) = 0;
    // Runs the handlers of events already queued, then returns.
    virtual void doEvents() = 0;
    virtual void bringToFront(Form& form) = 0;
    virtual void setFocus(CommandButton& button) = 0;
    // Ends the program; handlers return normally after calling it.
    virtual void endProgram() = 0;

    // Seconds since midnight, with fractions.
    virtual double secondsSinceMidnight() = 0;
    // The program's folder, without a trailing separator.
    virtual std::string appPath() = 0;
    // Value of an environment variable, empty when unset.
    virtual std::string environment(const std::string& name) = 0;
    // The user's home folder as the password database gives it, empty when
    // it has no entry for the user.
    virtual std::string homeFromPasswordDatabase() { return files::passwordDatabaseHome(); }
    // The folder of a hall of fame shared by every player of the machine,
    // as the game was built; empty when it was built without one.
    virtual std::string sharedScoresFolder() { return {}; }
    // A fresh wait for a file's lock that another program holds: about two
    // seconds in all, so that a stuck program never hangs the game.
    virtual files::LockWait lockWait() { return files::waitUpTo(std::chrono::seconds(2)); }

    virtual std::unique_ptr<WavePlayer> createWavePlayer() = 0;

    // Seeds the random numbers once; rnd() then draws uniformly in [0, 1).
    virtual void randomize(double seed) { random_.seed(seed); }
    virtual float rnd() { return random_.next(); }

private:
    RandomNumbers random_;
};

}  // namespace platform
