// A test-only library that drives the real game from outside, preloaded
// into it with LD_PRELOAD: when the application starts, it plays the key
// script named by TUMBRIX_KEY_SCRIPT on whatever window is active, through
// Qt's own key events, as a player at the keyboard would. With
// TUMBRIX_STOP_AT it also stops the process (SIGSTOP) at a chosen moment of
// a high-score save, so that a test can kill it there; with
// TUMBRIX_SLOW_FSYNC_MS each fsync of the table takes that much longer, as on
// a slow disk, and a lock on it found taken is reported once. The game
// itself has no way to do any of this.
//
// Script lines, played in order:
//   await <title>     wait for the active window to have this title
//   key <keys>...     click each key on the active window ("Ctrl+N", "Left")
//   press <key>, release <key>
//   click <text>      click the visible button with this text
//   sleep <ms>
//   meet <folder> <n> leave a mark in the folder, wait for n marks there
// A wait longer than 30 s ends the program with exit status 98.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace {

// The window the player is typing into: an open modal one first.
QWindow* activeWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal->windowHandle();
    }
    if (QWindow* focus = QGuiApplication::focusWindow()) {
        return focus;
    }
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

QKeyCombination keyNamed(const QString& name) {
    const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
    if (sequence.isEmpty()) {
        std::fprintf(stderr, "key script: no key named %s\n", qPrintable(name));
        std::_Exit(97);
    }
    return sequence[0];
}

class KeyScript : public QObject {
public:
    explicit KeyScript(QStringList lines) : lines_(std::move(lines)) {
        connect(&timer_, &QTimer::timeout, this, [this] { step(); });
        timer_.start(20);
    }

private:
    void step() {
        while (next_ < lines_.size()) {
            const QString line = lines_[next_].trimmed();
            const QString command = line.section(' ', 0, 0);
            const QString argument = line.section(' ', 1);
            if (line.isEmpty() || line.startsWith('#')) {
                ++next_;
                continue;
            }
            if (command == "sleep") {
                if (waiting_.isForever()) {
                    waiting_.setRemainingTime(argument.toInt());
                }
                if (!waiting_.hasExpired()) {
                    return;
                }
                played(line);
            } else if (command == "meet") {
                const QString folder = argument.section(' ', 0, 0);
                QFile(folder + '/' + QString::number(::getpid())).open(QIODevice::WriteOnly);
                if (QDir(folder).entryList(QDir::Files).size() < argument.section(' ', 1).toInt()) {
                    keepWaiting(line);
                    return;
                }
                played(line);
            } else if (command == "await") {
                QWindow* window = activeWindow();
                if (window == nullptr || window->title() != argument) {
                    keepWaiting(line);
                    return;
                }
                played(line);
            } else if (command == "key" || command == "press" || command == "release") {
                QWindow* window = activeWindow();
                if (window == nullptr) {
                    keepWaiting(line);
                    return;
                }
                played(line);
                later([window = QPointer<QWindow>(window), command, argument] {
                    for (const QString& name : argument.split(' ', Qt::SkipEmptyParts)) {
                        const QKeyCombination key = keyNamed(name);
                        if (window.isNull()) {
                            return;
                        }
                        if (command == "key") {
                            QTest::keyClick(window, key.key(), key.keyboardModifiers());
                        } else if (command == "press") {
                            QTest::keyPress(window, key.key(), key.keyboardModifiers());
                        } else {
                            QTest::keyRelease(window, key.key(), key.keyboardModifiers());
                        }
                    }
                });
            } else if (command == "click") {
                QPushButton* found = nullptr;
                for (QWidget* widget : QApplication::allWidgets()) {
                    auto* button = qobject_cast<QPushButton*>(widget);
                    if (button != nullptr && button->isVisible() && button->text() == argument) {
                        found = button;
                    }
                }
                if (found == nullptr) {
                    keepWaiting(line);
                    return;
                }
                played(line);
                later([found = QPointer<QPushButton>(found)] {
                    if (!found.isNull()) {
                        found->click();
                    }
                });
            } else {
                std::fprintf(stderr, "key script: unknown line %s\n", qPrintable(line));
                std::_Exit(97);
            }
            // One line a turn: what it did is handled before the next.
            return;
        }
    }

    // Keys and clicks are played from the event loop, not from this timer:
    // one that opens a modal window blocks there, and Qt fires no timer
    // again while its last firing is still running.
    void later(std::function<void()> action) {
        QMetaObject::invokeMethod(this, std::move(action), Qt::QueuedConnection);
    }

    void played(const QString& line) {
        std::fprintf(stderr, "key script: %s\n", qPrintable(line));
        waiting_ = QDeadlineTimer(QDeadlineTimer::Forever);
        giveUp_ = QDeadlineTimer(QDeadlineTimer::Forever);
        ++next_;
    }

    // A line that cannot be played yet is tried again for 30 s at most.
    void keepWaiting(const QString& line) {
        if (giveUp_.isForever()) {
            giveUp_.setRemainingTime(30000);
        } else if (giveUp_.hasExpired()) {
            QWindow* window = activeWindow();
            std::fprintf(stderr, "key script: gave up on \"%s\" with \"%s\" active\n",
                         qPrintable(line), window != nullptr ? qPrintable(window->title()) : "");
            std::_Exit(98);
        }
    }

    QStringList lines_;
    qsizetype next_ = 0;
    QDeadlineTimer waiting_{QDeadlineTimer::Forever};
    QDeadlineTimer giveUp_{QDeadlineTimer::Forever};
    QTimer timer_;
};

void startKeyScript() {
    const QByteArray path = qgetenv("TUMBRIX_KEY_SCRIPT");
    if (path.isEmpty()) {
        return;
    }
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "key script: cannot read %s\n", path.constData());
        std::_Exit(97);
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    new KeyScript(lines);  // lives as long as the program
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(startKeyScript)

// Stopping in a save. The save writes a temporary file beside the table and
// renames it over the table; the process stops half-way through writing the
// temporary file, before the rename or after it, as TUMBRIX_STOP_AT says.
namespace {

std::atomic<int> temporaryTable{-1};

bool stopsAt(const char* moment) {
    const char* wanted = std::getenv("TUMBRIX_STOP_AT");
    return wanted != nullptr && std::strcmp(wanted, moment) == 0;
}

template <typename Function>
Function* next(const char* name) {
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int mkstemp(char* pattern) {
    static auto* real = next<int(char*)>("mkstemp");
    const int fd = real(pattern);
    if (fd >= 0 && std::string_view(pattern).find("/Tumbrix.txt.") != std::string_view::npos) {
        temporaryTable = fd;
    }
    return fd;
}

extern "C" ssize_t write(int fd, const void* bytes, size_t count) {
    static auto* real = next<ssize_t(int, const void*, size_t)>("write");
    if (fd >= 0 && fd == temporaryTable && count > 1 && stopsAt("mid-write")) {
        const ssize_t half = real(fd, bytes, count / 2);
        std::raise(SIGSTOP);
        return half;
    }
    return real(fd, bytes, count);
}

extern "C" int rename(const char* from, const char* to) {
    static auto* real = next<int(const char*, const char*)>("rename");
    const bool table = std::string_view(from).find("/Tumbrix.txt.") != std::string_view::npos;
    if (table && stopsAt("before-rename")) {
        std::raise(SIGSTOP);
    }
    const int result = real(from, to);
    if (table && stopsAt("after-rename")) {
        std::raise(SIGSTOP);
    }
    return result;
}

// A slow disk: the table's data reaches it only after a while, which keeps
// a save going long enough for another copy's save to come in meanwhile.
namespace {

bool isTable(int fd) {
    char path[4096];
    const ssize_t length =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1);
    return length > 0 &&
           std::string_view(path, length).find("/Tumbrix.txt") != std::string_view::npos;
}

}  // namespace

extern "C" int fsync(int fd) {
    static auto* real = next<int(int)>("fsync");
    const char* slow = std::getenv("TUMBRIX_SLOW_FSYNC_MS");
    if (slow != nullptr && isTable(fd)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(slow)));
    }
    return real(fd);
}

extern "C" int flock(int fd, int operation) {
    static auto* real = next<int(int, int)>("flock");
    static std::atomic<bool> told{false};
    const int result = real(fd, operation);
    if (result != 0 && errno == EWOULDBLOCK && !told.exchange(true)) {
        std::fprintf(stderr, "key script: the table's lock was taken\n");
        errno = EWOULDBLOCK;
    }
    return result;
}
