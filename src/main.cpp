#include <QApplication>
#include <memory>

#include "game/frm_tumbrix.h"
#include "platform/qt/qt_host.h"

#ifdef TUMBRIX_HAVE_SDL_AUDIO
#include "platform/qt/sdl_audio.h"
#include "platform/qt/sdl_wave_player.h"
#endif

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tumbrix"));
    QApplication::setDesktopFileName(QStringLiteral("tumbrix"));
    // The game decides when it ends, also when its last window closes.
    QApplication::setQuitOnLastWindowClosed(false);

#ifdef TUMBRIX_HAVE_SDL_AUDIO
    // The host outlives the sound engine: the engine's audio thread may post
    // end-of-sound notices to the host until the engine is gone.
    std::unique_ptr<platform::qt::SdlAudioEngine> audio;
    platform::qt::QtHost host([&audio]() -> std::unique_ptr<platform::WavePlayer> {
        return std::make_unique<platform::qt::SdlWavePlayer>(*audio);
    });
    audio = std::make_unique<platform::qt::SdlAudioEngine>();
    audio->setWake([&host, engine = audio.get()] {
        host.post([engine] { engine->deliverPendingNotices(); });
    });
#else
    platform::qt::QtHost host({});
#endif

    int exitCode = 0;
    {
        game::FrmTumbrix frmTumbrix(host);
        host.loadForm(frmTumbrix);
        if (!host.programEnded()) {
            host.showForm(frmTumbrix);
        }
        // The game may have ended before the event loop ever ran.
        exitCode = host.programEnded() ? host.exitCode() : QApplication::exec();
    }
#ifdef TUMBRIX_HAVE_SDL_AUDIO
    audio.reset();
#endif
    return exitCode;
}
