#include "desktops/another_program.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <string_view>

namespace desktops {

namespace {

class WhiteWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), Qt::white);
    }
};

}  // namespace

std::optional<int> runAnotherProgramIfAsked(int argc, char** argv) {
    if (argc != 2 || argv[1] != std::string_view(kAnotherProgram)) {
        return std::nullopt;
    }
    QGuiApplication app(argc, argv);
    WhiteWindow window;
    window.setTitle("Another program");
    window.resize(1200, 650);
    window.show();
    window.requestActivate();
    return QGuiApplication::exec();
}

}  // namespace desktops
