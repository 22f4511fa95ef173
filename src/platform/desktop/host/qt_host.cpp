#include "platform/desktop/host/qt_host.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTime>
#include <QWindow>
#include <algorithm>
#include <exception>

#include "platform/desktop/clock/wake_timers.h"
#include "platform/desktop/sound/silent_wave_player.h"

// The built-in pictures live in a static library: register them explicitly.
static void registerBuiltInPictures() {
    Q_INIT_RESOURCE(assets);
}

namespace platform::desktop {

namespace {

QString boxText(const std::string& text) {
    QString result = QString::fromStdString(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

// When a modal window or box closes, the keys go back to the window it was
// opened over, also where no window manager would hand them back.
class ReturnKeysAfterwards {
public:
    explicit ReturnKeysAfterwards(QWidget* window) : window_(window) {}
    ~ReturnKeysAfterwards() {
        if (window_ != nullptr && window_->isVisible()) {
            window_->activateWindow();
        }
    }
    ReturnKeysAfterwards(const ReturnKeysAfterwards&) = delete;
    ReturnKeysAfterwards& operator=(const ReturnKeysAfterwards&) = delete;

private:
    QPointer<QWidget> window_;
};

}  // namespace

QtHost::QtHost(WavePlayerFactory wavePlayers, Quit quit, std::unique_ptr<KeyClock> keyClock)
    : wavePlayers_(std::move(wavePlayers)),
      quit_(std::move(quit)),
      alarm_(makeWakeTimer()),
      clock_(
          *alarm_, monotonicNowNs, [this](int ticks) { runTicks(ticks); },
          [this] { return scheduler_.ticksUntilNextDue(); }) {
    registerBuiltInPictures();
    scheduler_.setOnTimerArmed([this] { clock_.timersChanged(); });
    if (!quit_) {
        quit_ = [](int code) { QCoreApplication::exit(code); };
    }
    auto formOf = [this](QWindow* native) { return formTakingKeysOf(native); };
    auto deliver = [this](Form& form, const KeyAction& action) { deliverKey(form, action); };
    keyboard_ = std::make_unique<KeyboardInput>(formOf, deliver, std::move(keyClock));
    gamepads_ = std::make_unique<GamepadInput>(formOf, deliver, [this] { playerSteppedAway(); });
    focusWatch_ = std::make_unique<ApplicationFocusWatch>(
        [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; },
        [this] { playerSteppedAway(); });
    clock_.start();
}

QtHost::~QtHost() {
    scheduler_.setOnTimerArmed({});
    clock_.stop();
    keyboard_.reset();
    gamepads_.reset();
}

void QtHost::deliverKey(Form& form, const KeyAction& action) {
    dispatch([&form, action] {
        if (action.kind == KeyAction::Kind::Down) {
            form.keyDown(action.keyCode, action.shift);
        } else {
            form.keyUp(action.keyCode, action.shift);
        }
    });
}

void QtHost::playerSteppedAway() {
    dispatch([this] {
        // Index loop: a handler may open another window.
        for (std::size_t i = 0; i < windows_.size(); ++i) {
            windows_[i]->form().playerSteppedAway();
        }
    });
}

void QtHost::dispatch(const std::function<void()>& call) {
    if (stopped_) {
        return;
    }
    runGuarded(call);
    if (!stopped_) {
        syncAll();
    }
}

void QtHost::runGuarded(const std::function<void()>& call) {
    // Nothing may cross a Qt event boundary: an error ends the program here.
    try {
        call();
    } catch (const std::exception& error) {
        fail(error.what());
    } catch (...) {
        fail("An unexpected error occurred.");
    }
}

void QtHost::post(std::function<void()> call) {
    QMetaObject::invokeMethod(
        &postTarget_, [this, call = std::move(call)] { dispatch(call); }, Qt::QueuedConnection);
}

void QtHost::runTicks(int ticks) {
    gamepads_->beforeTicks();
    for (int i = 0; i < ticks && !stopped_; ++i) {
        runGuarded([this] { scheduler_.advance(); });
    }
    // One repaint for the ticks of this wake.
    if (!stopped_) {
        syncAll();
    }
}

void QtHost::fail(const std::string& message) {
    if (stopped_) {
        return;
    }
    stopped_ = true;
    exitCode_ = 1;
    clock_.stop();
    keyboard_->stop();
    gamepads_->stop();
    runMessageBox(message, "Tumbrix", QMessageBox::Critical);
    endProgram();
}

void QtHost::syncAll() {
    if (ended_) {
        return;
    }
    // Index loop: showing a window can run nested events that load another.
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        windows_[i]->syncFromForm();
        syncVisibility(*windows_[i]);
    }
    syncBackdrops();
}

void QtHost::syncBackdrops() {
    FormWindow* main = mainWindow();
    if (main == nullptr || ended_) {
        return;
    }
    const auto shown = std::find_if(backdrops_.begin(), backdrops_.end(),
                                    [](const Form* backdrop) { return backdrop->visible; });
    main->setBackdrop(shown != backdrops_.end() ? *shown : nullptr);
}

void QtHost::syncVisibility(FormWindow& window) {
    Form& form = window.form();
    if (form.visible && !window.isVisible()) {
        window.appear();
    } else if (!form.visible && window.isVisible()) {
        window.hide();
    }
    if (!form.visible) {
        for (const ModalLoop& modal : modalLoops_) {
            if (modal.form == &form) {
                modal.loop->quit();
            }
        }
    }
}

FormWindow* QtHost::windowOf(const Form& form) const {
    for (const auto& window : windows_) {
        if (&window->form() == &form) {
            return window.get();
        }
    }
    return nullptr;
}

FormWindow* QtHost::mainWindow() const {
    return windows_.empty() ? nullptr : windows_.front().get();
}

FormWindow* QtHost::windowOfNative(QWindow* native) const {
    for (const auto& window : windows_) {
        if (window->windowHandle() == native) {
            return window.get();
        }
    }
    return nullptr;
}

Form* QtHost::formTakingKeysOf(QWindow* native) const {
    FormWindow* window = windowOfNative(native);
    return window != nullptr ? &window->form() : nullptr;
}

QWidget* QtHost::windowToOpenOver() const {
    QWidget* active = QApplication::activeWindow();
    for (const auto& window : windows_) {
        if (window.get() == active && window->isVisible()) {
            return active;
        }
    }
    for (auto modal = modalLoops_.rbegin(); modal != modalLoops_.rend(); ++modal) {
        FormWindow* window = windowOf(*modal->form);
        if (window != nullptr && window->isVisible()) {
            return window;
        }
    }
    for (const auto& window : windows_) {
        if (window->isVisible()) {
            return window.get();
        }
    }
    return nullptr;
}

void QtHost::loadForm(Form& form) {
    const bool loaded = windowOf(form) != nullptr ||
                        std::find(backdrops_.begin(), backdrops_.end(), &form) != backdrops_.end();
    if (stopped_ || loaded) {
        return;
    }
    if (form.style == WindowStyle::ScreenBackdrop) {
        backdrops_.push_back(&form);
    } else {
        windows_.push_back(std::make_unique<FormWindow>(
            form, pictures_, [this](const std::function<void()>& call) { dispatch(call); },
            [this, &form] { dispatch([&form] { form.closedByUser(); }); }));
    }
    for (Timer* timer : form.timers) {
        scheduler_.attach(*timer);
    }
    dispatch([&form] { form.load(); });
}

void QtHost::showForm(Form& form) {
    if (stopped_ || windowOf(form) == nullptr) {
        return;
    }
    form.visible = true;
    bringToFront(form);
}

void QtHost::messageBox(const std::string& prompt, const std::string& title) {
    if (stopped_) {
        return;
    }
    // The box appears over the windows as the game has left them.
    syncAll();
    runMessageBox(prompt, title, QMessageBox::NoIcon);
}

void QtHost::runMessageBox(const std::string& text, const std::string& title, int icon) {
    QWidget* parent = windowToOpenOver();
    const ReturnKeysAfterwards returnKeys(parent);
    QMessageBox box(parent);
    box.setWindowTitle(QString::fromStdString(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(boxText(text));
    box.setIcon(static_cast<QMessageBox::Icon>(icon));
    box.setStandardButtons(QMessageBox::Ok);
    // A plain OK button, as the game's boxes have always looked.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.setWindowModality(Qt::ApplicationModal);
    // Listed so that ending the program can close it.
    openBoxes_.push_back(&box);
    box.exec();
    openBoxes_.erase(std::remove(openBoxes_.begin(), openBoxes_.end(), &box), openBoxes_.end());
}

void QtHost::showModal(Form& form) {
    if (stopped_) {
        return;
    }
    loadForm(form);
    FormWindow* window = windowOf(form);
    const bool alreadyModal = std::any_of(modalLoops_.begin(), modalLoops_.end(),
                                          [&form](const ModalLoop& m) { return m.form == &form; });
    if (window == nullptr || stopped_ || alreadyModal) {
        return;
    }
    QWidget* over = windowToOpenOver();
    const ReturnKeysAfterwards returnKeys(over);
    // Modality can only change while the window is hidden.
    window->hide();
    window->openOver(over != window ? over : nullptr);
    window->setWindowModality(Qt::ApplicationModal);
    form.visible = true;
    QEventLoop loop;
    modalLoops_.push_back({&form, &loop});
    syncAll();
    window->raise();
    window->activateWindow();
    if (form.visible && !stopped_) {
        loop.exec();
    }
    modalLoops_.erase(std::find_if(modalLoops_.begin(), modalLoops_.end(),
                                   [&loop](const ModalLoop& m) { return m.loop == &loop; }));
    window->hide();
    window->setWindowModality(Qt::NonModal);
    if (!stopped_) {
        syncAll();
    }
}

void QtHost::doEvents() {
    if (stopped_) {
        return;
    }
    // Queued repaints then show the game as it stands.
    syncAll();
    QCoreApplication::processEvents();
}

void QtHost::bringToFront(Form& form) {
    FormWindow* window = windowOf(form);
    if (stopped_ || window == nullptr) {
        return;
    }
    syncAll();
    window->raise();
    window->activateWindow();
}

void QtHost::setFocus(CommandButton& button) {
    if (stopped_) {
        return;
    }
    // The button may have been made visible just now.
    syncAll();
    for (const auto& window : windows_) {
        if (QPushButton* widget = window->canvas().buttonFor(button)) {
            widget->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void QtHost::endProgram() {
    if (ended_) {
        return;
    }
    ended_ = true;
    stopped_ = true;
    clock_.stop();
    keyboard_->stop();
    gamepads_->stop();
    // Unwind every nested modal loop; the handlers then return normally.
    for (QMessageBox* box : openBoxes_) {
        box->done(QMessageBox::Ok);
    }
    for (const ModalLoop& modal : modalLoops_) {
        modal.loop->quit();
    }
    for (const auto& window : windows_) {
        window->hide();
    }
    quit_(exitCode_);
}

double QtHost::secondsSinceMidnight() {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

std::string QtHost::appPath() {
    std::string path = QCoreApplication::applicationDirPath().toStdString();
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path == "/" ? std::string() : path;
}

std::string QtHost::environment(const std::string& name) {
    return qgetenv(name.c_str()).toStdString();
}

std::unique_ptr<WavePlayer> QtHost::createWavePlayer() {
    std::unique_ptr<WavePlayer> player = wavePlayers_ ? wavePlayers_() : nullptr;
    if (!player) {
        player = std::make_unique<SilentWavePlayer>();
    }
    return player;
}

}  // namespace platform::desktop
