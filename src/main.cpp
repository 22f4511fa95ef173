#include <QApplication>
#include <memory>

#include "game/frm_tumbrix.h"
#include "platform/desktop/host/qt_host.h"
#include "platform/desktop/host/session_bus.h"
#include "platform/desktop/sound/qt/audio_upkeep_timer.h"
#include "platform/desktop/sound/sdl/sdl_audio.h"
#include "platform/desktop/sound/sdl/sdl_wave_player.h"

int main(int argc, char* argv[]) {
    platform::desktop::skipHopelessSessionBusLaunch();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tumbrix"));
    QApplication::setDesktopFileName(QStringLiteral("org.tumbrix.Tumbrix"));
    // The game decides when it ends, also when its last window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    // The host outlives the sound engine: the engine's audio thread may post
    // end-of-sound notices to the host until the engine is gone.
    std::unique_ptr<platform::desktop::SdlAudioEngine> audio;
    platform::desktop::QtHost host([&audio]() -> std::unique_ptr<platform::WavePlayer> {
        return std::make_unique<platform::desktop::SdlWavePlayer>(*audio);
    });
    // Fixed when the game is built: a place an administrator may set up.
    host.setSharedScoresFolder(TUMBRIX_SHARED_SCORES_DIR);
    audio = std::make_unique<platform::desktop::SdlAudioEngine>();
    audio->setWake([&host, engine = audio.get()] {
        host.post([engine] { engine->deliverPendingNotices(); });
    });
    // The device opens on the first sound and goes after a spell of silence.
    auto upkeep = std::make_unique<platform::desktop::AudioUpkeepTimer>(*audio);

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
