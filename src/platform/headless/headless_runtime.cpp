#include "platform/headless/headless_runtime.h"

#include <cstdlib>
#include <stdexcept>

namespace platform::headless {

namespace {

// Owns a RecordingWavePlayer and forgets it in the runtime's list when the
// game lets go of it.
class OwnedPlayer : public RecordingWavePlayer {
public:
    OwnedPlayer(std::vector<std::string>& log, std::vector<RecordingWavePlayer*>& registry)
        : RecordingWavePlayer(log), registry_(registry) {
        registry_.push_back(this);
    }
    ~OwnedPlayer() override { std::erase(registry_, this); }

private:
    std::vector<RecordingWavePlayer*>& registry_;
};

std::filesystem::path makeTemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tumbrix-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary program folder");
    }
    return pattern;
}

}  // namespace

HeadlessRuntime::HeadlessRuntime() : folder_(makeTemporaryFolder()) {
    programFolder = folder_;
}

HeadlessRuntime::~HeadlessRuntime() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

files::LockWait HeadlessRuntime::lockWait() {
    return [this, left = lockPatience]() mutable {
        log.push_back("lock wait");
        if (onLockWait) {
            onLockWait();
        }
        return left-- > 0;
    };
}

void HeadlessRuntime::loadForm(Form& form) {
    log.push_back("loadForm " + form.caption);
    for (Timer* timer : form.timers) {
        scheduler_.attach(*timer);
    }
    form.load();
}

void HeadlessRuntime::messageBox(const std::string& prompt, const std::string& title) {
    log.push_back("messageBox " + title);
    messages.push_back({prompt, title});
    if (onMessageBox) {
        onMessageBox(messages.back());
    }
}

void HeadlessRuntime::showModal(Form& form) {
    log.push_back("showModal " + form.caption);
    form.visible = true;
    if (onShowModal) {
        onShowModal(form);
    }
    if (form.visible) {
        form.closedByUser();
    }
}

void HeadlessRuntime::doEvents() {
    log.push_back("doEvents");
    if (onDoEvents) {
        onDoEvents();
    }
}

void HeadlessRuntime::bringToFront(Form& form) {
    log.push_back("bringToFront " + form.caption);
}

void HeadlessRuntime::setFocus(CommandButton& button) {
    log.push_back("setFocus " + button.name);
    focusedButton = button.name;
}

void HeadlessRuntime::endProgram() {
    log.push_back("endProgram");
    ended = true;
}

std::string HeadlessRuntime::environment(const std::string& name) {
    log.push_back("environment " + name);
    auto found = env.find(name);
    return found == env.end() ? std::string() : found->second;
}

std::unique_ptr<WavePlayer> HeadlessRuntime::createWavePlayer() {
    return std::make_unique<OwnedPlayer>(log, players_);
}

void HeadlessRuntime::randomize(double seed) {
    log.push_back("randomize " + std::to_string(seed));
    Runtime::randomize(seed);
}

float HeadlessRuntime::rnd() {
    if (scriptedDraws.empty()) {
        return Runtime::rnd();
    }
    float draw = scriptedDraws.front();
    scriptedDraws.pop_front();
    return draw;
}

RecordingWavePlayer& HeadlessRuntime::wavePlayer(const std::string& fileName) {
    for (RecordingWavePlayer* player : players_) {
        if (player->fileName() == fileName) {
            return *player;
        }
    }
    throw std::out_of_range("no wave player opened " + fileName);
}

std::vector<std::string> HeadlessRuntime::logEntries(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& entry : log) {
        if (entry.rfind(prefix, 0) == 0) {
            found.push_back(entry);
        }
    }
    return found;
}

}  // namespace platform::headless
