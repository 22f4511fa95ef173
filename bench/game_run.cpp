#include "game_run.h"

#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "autopilot/autopilot.h"
#include "bench_figures.h"
#include "counting_allocator.h"
#include "game/frm_tumbrix.h"
#include "platform/desktop/clock/wake_timers.h"
#include "platform/desktop/host/qt_host.h"
#include "platform/desktop/painting/form_painter.h"
#include "platform/desktop/painting/picture_cache.h"
#include "platform/desktop/sound/qt/audio_upkeep_timer.h"
#include "platform/desktop/sound/sdl/sdl_audio.h"
#include "platform/desktop/sound/sdl/sdl_wave_player.h"
#include "platform/key_codes.h"
#include "platform/tick_pacer.h"

namespace bench {

namespace {

using platform::desktop::monotonicNowNs;

double processCpuSeconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return double(used.tv_sec) + double(used.tv_nsec) / 1e9;
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Runs the event loop for the given time.
void runFor(double seconds) {
    QTimer::singleShot(int(seconds * 1000), qApp, [] { QCoreApplication::exit(0); });
    QApplication::exec();
}

// The game as the program starts it, with a steady player at the keys.
class GameUnderTest {
public:
    explicit GameUnderTest(bool oldWay) : oldWay_(oldWay) {
        host_.loadForm(frm_);
        host_.showForm(frm_);
        canvas().setRepaintEverything(oldWay);
        // Every tick ends here, last of all timers: the player acts and the
        // tick's wall time is noted.
        host_.scheduler().attach(probe_);
        probe_.onTimer = [this] {
            tickTimes.push_back(monotonicNowNs());
            if (steering_) {
                pilot_.steer();
            }
        };
        // The old clock woke every tick, whatever the game was doing.
        probe_.setEnabled(oldWay);
    }
    ~GameUnderTest() { host_.scheduler().detach(probe_); }

    platform::desktop::FormCanvas& canvas() { return host_.windowOf(frm_)->canvas(); }

    void startTwoPlayerGame() {
        host_.dispatch([this] { frm_.mnuNewGame2_Click(); });
        probe_.setEnabled(true);
        steering_ = true;
        // Result boxes are answered, so that games follow games.
        dismisser_.setInterval(250);
        QObject::connect(&dismisser_, &QTimer::timeout, [this] { answerModalWindows(); });
        dismisser_.start();
    }

    void pause() {
        steering_ = false;
        // Nothing to answer while paused, and the game itself has no such timer.
        dismisser_.stop();
        probe_.setEnabled(oldWay_);
        host_.dispatch([this] {
            frm_.keyDown(platform::keys::kEscape, 0);
            frm_.keyUp(platform::keys::kEscape, 0);
        });
    }

    // Drives the ticks from a plain repeating 16 ms timer instead of the clock.
    void useCoarseTimer() {
        host_.clock().stop();
        coarse_.setTimerType(Qt::CoarseTimer);
        coarse_.setInterval(16);
        QObject::connect(&coarse_, &QTimer::timeout,
                         [this] { host_.dispatch([this] { host_.scheduler().advance(); }); });
        coarse_.start();
    }

    platform::desktop::QtHost& host() { return host_; }
    game::FrmTumbrix& frm() { return frm_; }
    std::vector<long long> tickTimes;

private:
    void answerModalWindows() {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->accept();
        }
        if (frm_.frmHighScores().visible) {
            host_.dispatch([this] { frm_.frmHighScores().cmdContinue_Click(); });
        }
        if (!frm_.gameInProgress) {
            host_.dispatch([this] { frm_.mnuNewGame2_Click(); });
        }
    }

    bool oldWay_;
    // Sound plays on SDL's silent driver; the music does not loop here.
    std::unique_ptr<platform::desktop::SdlAudioEngine> audio_ =
        std::make_unique<platform::desktop::SdlAudioEngine>();
    platform::desktop::AudioUpkeepTimer upkeep_{*audio_};
    platform::desktop::QtHost host_{[this]() -> std::unique_ptr<platform::WavePlayer> {
        return std::make_unique<platform::desktop::SdlWavePlayer>(*audio_);
    }};
    game::FrmTumbrix frm_{host_};
    platform::Timer probe_{"benchProbe", 1, false};
    autopilot::Autopilot pilot_{frm_, [this](std::int16_t key, bool down) {
                                    down ? frm_.keyDown(key, 0) : frm_.keyUp(key, 0);
                                }};
    bool steering_ = false;
    QTimer dismisser_;
    QTimer coarse_;
};

Figures cpuFigures(GameUnderTest& game, double seconds) {
    const auto paintsBefore = game.canvas().paintStats();
    const double cpuBefore = processCpuSeconds();
    const long long wallBefore = monotonicNowNs();
    runFor(seconds);
    const double wall = double(monotonicNowNs() - wallBefore) / 1e9;
    const auto paints = game.canvas().paintStats();
    const double frames = double(paints.frames - paintsBefore.frames);
    return {{"cpu_percent", 100.0 * (processCpuSeconds() - cpuBefore) / wall},
            {"frames_per_s", frames / wall},
            {"paint_ms",
             frames > 0 ? double(paints.totalNs - paintsBefore.totalNs) / frames / 1e6 : 0.0}};
}

// Lateness of each tick against the ideal 64-a-second grid, which is laid
// so that the earliest tick is on time.
Figures pacingFigures(const std::vector<long long>& times, long long dropped) {
    constexpr double kTick = double(platform::TickPacer::kTickNanoseconds);
    if (times.size() < 2) {
        return {};
    }
    double anchor = 1e300;
    for (std::size_t k = 0; k < times.size(); ++k) {
        anchor = std::min(anchor, double(times[k]) - double(k) * kTick);
    }
    std::vector<double> lateness;
    for (std::size_t k = 0; k < times.size(); ++k) {
        lateness.push_back((double(times[k]) - double(k) * kTick - anchor) / 1e6);
    }
    const double span = double(times.back() - times.front()) / 1e9;
    return {{"rate", double(times.size() - 1) / span},
            {"late_p50_ms", percentile(lateness, 0.50)},
            {"late_p99_ms", percentile(lateness, 0.99)},
            {"late_max_ms", percentile(lateness, 1.0)},
            {"dropped", double(dropped)},
            {"peak_mb", peakMegabytes()}};
}

// Allocations and time of the painter alone, drawing whole frames of a
// running game into an image at the given scale. A label whose caption
// changed is drawn anew once; every other frame should allocate nothing.
Figures painterFigures(GameUnderTest& game, double seconds) {
    const qreal scale = qreal(qEnvironmentVariableIntValue("BENCH_PAINT_SCALE") > 1 ? 2 : 1);
    QImage target((QSizeF(844, 784) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&target);
    platform::desktop::PictureCache pictures;
    platform::desktop::ControlImages images;
    game.startTwoPlayerGame();
    std::vector<double> allocations;
    long long paintNs = 0;
    long long frames = 0;
    const long long end = monotonicNowNs() + (long long)(seconds * 1e9);
    while (monotonicNowNs() < end) {
        game.host().dispatch([&game] { game.host().scheduler().advance(); });
        const long long allocationsBefore = allocationCount();
        const long long start = monotonicNowNs();
        platform::desktop::FormPainter(painter, pictures, scale, &images).paint(game.frm());
        paintNs += monotonicNowNs() - start;
        // The first frames fill the caches.
        if (++frames > 10) {
            allocations.push_back(double(allocationCount() - allocationsBefore));
        }
    }
    double total = 0;
    for (double count : allocations) {
        total += count;
    }
    return {{"painter_allocs_median", percentile(allocations, 0.5)},
            {"painter_allocs_mean", allocations.empty() ? 0.0 : total / double(allocations.size())},
            {"painter_ms", double(paintNs) / double(frames) / 1e6}};
}

// The lines `pactl list short <what>` prints, when the game plays on a sound
// server; nullopt otherwise.
std::optional<QStringList> pactlList(const char* what) {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        return std::nullopt;
    }
    FILE* pactl = popen(("pactl list short " + std::string(what) + " 2>/dev/null").c_str(), "r");
    if (pactl == nullptr) {
        return std::nullopt;
    }
    QStringList lines;
    char line[512];
    while (std::fgets(line, sizeof line, pactl) != nullptr) {
        lines.push_back(QString::fromUtf8(line).trimmed());
    }
    pclose(pactl);
    return lines;
}

// The sound server's sink "out": 0 suspended, 1 idle, 2 running, -1 unknown;
// and how many streams play into it.
Figures serverFigures() {
    double state = -1;
    for (const QString& line : pactlList("sinks").value_or(QStringList{})) {
        if (line.section('\t', 1, 1) == QStringLiteral("out")) {
            const QString name = line.section('\t', -1);
            state = name == "SUSPENDED" ? 0 : name == "IDLE" ? 1 : name == "RUNNING" ? 2 : -1;
        }
    }
    const auto streams = pactlList("sink-inputs");
    return {{"sink_state", state}, {"streams", streams ? double(streams->size()) : -1.0}};
}

// Plays the ball's bounce again and again, every other time right after the
// device was given back, and notes the monotonic time of each call: the
// bench finds the sounds in its recording of the server's sink.
Figures latencyCalls(int plays) {
    std::int64_t fakeMs = 0;
    platform::desktop::SdlAudioEngine engine([&fakeMs] { return fakeMs; });
    platform::desktop::SdlWavePlayer bounce(engine);
    bounce.OpenWave(QCoreApplication::applicationDirPath().toStdString() + "/BallBounce.wav");
    bounce.SeekWave(0);  // waits for the decoding
    Figures figures;
    for (int play = 0; play < plays; ++play) {
        const bool afterRelease = play % 2 == 0;
        if (afterRelease) {
            // Three seconds of silence, as the engine's clock counts them.
            fakeMs += 3000;
            engine.upkeep();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        figures["call_" + std::to_string(play)] = double(monotonicNowNs());
        figures["released_" + std::to_string(play)] = engine.outputOpen() ? 0 : 1;
        bounce.SeekWave(0);
        bounce.PlayWave(-1, -1, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        engine.deliverPendingNotices();
    }
    return figures;
}

}  // namespace

int runGame(int argc, char** argv, const std::string& what, double seconds, bool oldWay,
            long long spawnNs) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (what == "latency") {
        std::printf("%s\n", formatFigures(latencyCalls(int(seconds))).c_str());
        return 0;
    }
    GameUnderTest game(oldWay);
    Figures figures;
    if (what == "startup") {
        while (game.canvas().paintStats().firstFrameNs == 0) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        figures = {{"startup_ms", double(game.canvas().paintStats().firstFrameNs - spawnNs) / 1e6},
                   {"peak_mb", peakMegabytes()}};
    } else if (what == "painter") {
        figures = painterFigures(game, seconds);
    } else {
        runFor(0.5);
        if (what != "idle") {
            game.startTwoPlayerGame();
            if (what == "pacing" && oldWay) {
                game.useCoarseTimer();
            }
            runFor(1.0);
        }
        if (what == "paused") {
            game.pause();
            // On a sound server, past the release of the device and the
            // suspension of the sink.
            runFor(qEnvironmentVariableIsEmpty("PULSE_SERVER") ? 0.5 : 7.0);
        }
        if (what == "pacing") {
            game.tickTimes.clear();
            runFor(seconds);
            figures = pacingFigures(game.tickTimes, game.host().clock().droppedTicks());
        } else {
            figures = cpuFigures(game, seconds);
            figures.merge(serverFigures());
        }
    }
    std::printf("%s\n", formatFigures(figures).c_str());
    std::fflush(stdout);
    return 0;
}

}  // namespace bench
