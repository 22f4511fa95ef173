#include "platform/headless/recording_wave_player.h"

namespace platform::headless {

void RecordingWavePlayer::record(const std::string& call) {
    log_.push_back(fileName_ + " " + call);
}

void RecordingWavePlayer::OpenWave(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    fileName_ = slash == std::string::npos ? path : path.substr(slash + 1);
    closed_ = false;
    record("OpenWave " + path);
}

void RecordingWavePlayer::PlayWave(std::int32_t from, std::int32_t to, bool wait) {
    (void)from;
    (void)to;
    (void)wait;
    record("PlayWave");
    playing_ = !closed_;
}

void RecordingWavePlayer::StopWave() {
    record("StopWave");
    playing_ = false;
}

void RecordingWavePlayer::SeekWave(std::int32_t position) {
    record("SeekWave " + std::to_string(position));
}

std::int32_t RecordingWavePlayer::WaveMode() {
    record("WaveMode");
    if (forcedMode_ != 0) {
        return forcedMode_;
    }
    return playing_ ? kModePlaying : kModeStopped;
}

void RecordingWavePlayer::CloseWave() {
    record("CloseWave");
    playing_ = false;
    closed_ = true;
}

void RecordingWavePlayer::finishPlayback() {
    playing_ = false;
    if (onWaveNotify) {
        onWaveNotify(0);
    }
}

}  // namespace platform::headless
