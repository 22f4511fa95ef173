#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/recording_wave_player.h"
#include "platform/runtime.h"

namespace platform::headless {

// A host for tests and benchmarks: no windows, no sound, no wall time. The
// clock moves only when the test advances it; message boxes and modal
// windows are recorded and answered at once (a hook lets the test act while
// one is "open"); the program's folder is a fresh temporary folder.
class HeadlessRuntime : public Runtime {
public:
    struct Message {
        std::string prompt;
        std::string title;
    };

    HeadlessRuntime();
    ~HeadlessRuntime() override;

    TimerScheduler& scheduler() override { return scheduler_; }
    void loadForm(Form& form) override;
    void messageBox(const std::string& prompt, const std::string& title) override;
    void showModal(Form& form) override;
    void doEvents() override;
    void bringToFront(Form& form) override;
    void setFocus(CommandButton& button) override;
    void endProgram() override;
    double secondsSinceMidnight() override { return secondsSinceMidnightValue; }
    std::string appPath() override { return programFolder.string(); }
    std::string environment(const std::string& name) override;
    std::string homeFromPasswordDatabase() override { return passwordDatabaseHome; }
    std::string sharedScoresFolder() override { return sharedFolder.string(); }
    // Never waits: each call is logged, and lockPatience calls go by
    // before it gives up.
    files::LockWait lockWait() override;
    std::unique_ptr<WavePlayer> createWavePlayer() override;
    void randomize(double seed) override;
    // The scripted draws first, in order, then the seeded stream.
    float rnd() override;

    // Test side.
    void advanceTicks(std::int64_t ticks) { scheduler_.advance(ticks); }
    const std::filesystem::path& folder() const { return folder_; }
    // The player that opened the given file name ("BallBounce.wav").
    RecordingWavePlayer& wavePlayer(const std::string& fileName);
    // Entries of the log that start with the given text.
    std::vector<std::string> logEntries(const std::string& prefix) const;

    // Every service call and wave-player call, in order.
    std::vector<std::string> log;
    std::vector<Message> messages;
    std::map<std::string, std::string> env;
    // The program's folder: the temporary folder unless a test moves it.
    std::filesystem::path programFolder;
    // The password database's home folder for the user: none unless a test
    // sets one, so tests never touch the real home folder.
    std::string passwordDatabaseHome;
    // The shared hall of fame's folder: none unless a test sets one.
    std::filesystem::path sharedFolder;
    int lockPatience = 3;
    double secondsSinceMidnightValue = 43210.25;
    std::deque<float> scriptedDraws;
    std::string focusedButton;
    bool ended = false;

    // Called while a message box is "open", before it is dismissed.
    std::function<void(const Message&)> onMessageBox;
    // Called while a form is shown modally; the form is closed afterwards if
    // the hook left it on show (the player pressed its close button).
    std::function<void(Form&)> onShowModal;
    // Called by doEvents(), as if queued events ran.
    std::function<void()> onDoEvents;
    // Called while the game waits for a file's lock.
    std::function<void()> onLockWait;

private:
    TimerScheduler scheduler_;
    std::filesystem::path folder_;
    std::vector<RecordingWavePlayer*> players_;
};

}  // namespace platform::headless
