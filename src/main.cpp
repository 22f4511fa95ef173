#include <QApplication>
#include <memory>

#include "game/frm_tumbrix.h"
#include "platform/qt/audio_upkeep_timer.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/sdl_audio.h"
#include "platform/qt/sdl_wave_player.h"
#include "platform/qt/session_bus.h"

int main(int argc, char* argv[]) {
    platform::qt::skipHopelessSessionBusLaunch();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tumbrix"));
    QApplication::setDesktopFileName(QStringLiteral("org.tumbrix.Tumbrix"));
    // The game decides when it ends, also when its last window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    // The host outlives the sound engine: the engine's audio thread may post
    // end-of-sound notices to the host until the engine is gone.
    std::unique_ptr<platform::qt::SdlAudioEngine> audio;
    platform::qt::QtHost host([&audio]() -> std::unique_ptr<platform::WavePlayer> {
        return std::make_unique<platform::qt::SdlWavePlayer>(*audio);
    });
    // Fixed when the game is built: a place an administrator may set up.
    host.setSharedScoresFolder(TUMBRIX_SHARED_SCORES_DIR);
    audio = std::make_unique<platform::qt::SdlAudioEngine>();
    audio->setWake([&host, engine = audio.get()] {
        host.post([engine] { engine->deliverPendingNotices(); });
    });
    // The device opens on the first sound and goes after a spell of silence.
    auto upkeep = std::make_unique<platform::qt::AudioUpkeepTimer>(*audio);

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
    upkeep.reset();
    audio.reset();
    return exitCode;
}
