// desktops shots GAME FOLDER: plays the game on every desktop this machine
// can start (X11 bare and under openbox, weston, sway floating and tiling),
// beside another program's white window, and saves each screen in focus
// mode as FOLDER/focus-<desktop>.png, and all of them side by side as
// FOLDER/focus-mode.png: what a player sees, to look at in one place.
#include <stdlib.h>

#include <QGuiApplication>
#include <QPainter>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <thread>
#include <vector>

#include "desktops/another_program.h"
#include "desktops/desktop.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Kind = desktops::Desktop::Kind;

struct Named {
    Kind kind;
    const char* name;
};
constexpr Named kDesktops[] = {{Kind::BareX, "bare-x"},
                               {Kind::OpenboxX, "openbox"},
                               {Kind::Weston, "weston"},
                               {Kind::SwayFloating, "sway-floating"},
                               {Kind::SwayTiling, "sway-tiling"}};

// The game in focus mode on one desktop, or a null picture and the reason.
QImage focusModeOn(Kind kind, const fs::path& game, std::string& whyNot) {
    std::string folder = (fs::temp_directory_path() / "tumbrix-shots-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        whyNot = "no scratch folder";
        return {};
    }
    QImage shot;
    {
        auto desktop = desktops::Desktop::start(kind, folder, whyNot);
        if (!desktop) {
            return {};
        }
        desktops::Process other = desktop->launchAnotherProgram();
        std::this_thread::sleep_for(1500ms);
        desktops::Process player = desktop->launch(
            {game.string()}, {{"HOME", folder}, {"LOGIN", "player"}, {"SDL_AUDIODRIVER", "dummy"}});
        std::this_thread::sleep_for(3s);
        desktop->type({"ctrl+n"});
        std::this_thread::sleep_for(1500ms);
        desktop->type({"ctrl+f"});
        std::this_thread::sleep_for(2s);
        shot = desktop->screenshot();
    }
    fs::remove_all(folder);
    return shot;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status = desktops::runAnotherProgramIfAsked(argc, argv)) {
        return *status;
    }
    if (argc != 4 || argv[1] != std::string_view("shots")) {
        std::fprintf(stderr, "usage: %s shots GAME FOLDER\n", argv[0]);
        return 2;
    }
    // Its own pictures are drawn off screen, whatever desktop it runs on.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const fs::path game = fs::absolute(argv[2]);
    const fs::path out = argv[3];
    fs::create_directories(out);
    const int width = desktops::Desktop::kWidth / 2;
    const int height = desktops::Desktop::kHeight / 2;
    QImage sheet(width * 2, height * 3, QImage::Format_RGB32);
    sheet.fill(Qt::darkGray);
    QPainter painter(&sheet);
    painter.setPen(Qt::white);
    int shown = 0;
    for (const Named& desktop : kDesktops) {
        std::string whyNot;
        const QImage shot = focusModeOn(desktop.kind, game, whyNot);
        if (shot.isNull()) {
            std::printf("%s: skipped, %s\n", desktop.name, whyNot.c_str());
            continue;
        }
        const fs::path file = out / (std::string("focus-") + desktop.name + ".png");
        shot.save(QString::fromStdString(file.string()));
        const QRect place((shown % 2) * width, (shown / 2) * height, width, height);
        painter.drawImage(place, shot);
        painter.drawText(place.adjusted(8, 0, 0, -6), Qt::AlignBottom | Qt::AlignLeft,
                         desktop.name);
        ++shown;
        std::printf("%s: %s\n", desktop.name, file.c_str());
    }
    painter.end();
    sheet.save(QString::fromStdString((out / "focus-mode.png").string()));
    return shown > 0 ? 0 : 1;
}
