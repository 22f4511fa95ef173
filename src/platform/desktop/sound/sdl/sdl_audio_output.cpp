// The sound engine's output: opened by a sound call, given back after a
// spell of silence, swapped for the silent driver while the device is lost.
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <cstdio>

#include "platform/desktop/sdl/sdl_subsystems.h"
#include "platform/desktop/sound/sdl/sdl_audio.h"
#include "platform/desktop/sound/sdl/wave_decoding.h"

namespace platform::desktop {

namespace {

// 512 frames is about 12 ms at 44.1 kHz: an effect starts within a frame or
// two of the event that caused it.
constexpr int kBufferFrames = 512;
// SDL numbers open devices from 1 and keeps at most this many.
constexpr int kMaxSdlDevices = 16;

// ALSA's library prints lines of its own for each device it fails to open,
// which would repeat with every try of a lost device. The engine reports a
// failure itself, once, with SDL's reason, so ALSA's handler is made quiet
// (where SDL brought ALSA in).
void quietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

void quietAlsa() {
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    static const bool done = [] {
        if (void* set = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")) {
            reinterpret_cast<SetHandler>(set)(&quietAlsaErrors);
        }
        return true;
    }();
    (void)done;
}

}  // namespace

void SdlAudioEngine::setOnOutputOpened(std::function<void()> opened) {
    onOutputOpened_ = std::move(opened);
}

bool SdlAudioEngine::ensureOutput() {
    if (output_ == Output::Device && deviceLost()) {
        loseDevice("the device went away");
    }
    if (output_ == Output::Device) {
        return true;
    }
    const bool wasOpen = outputOpen();
    if (lifecycle_.tryDeviceNow()) {
        holdChannels();
        closeOutput();
        std::string failure;
        if (openOutput(Output::Device, failure)) {
            if (lifecycle_.deviceOpened()) {
                std::fprintf(stderr, "tumbrix: sound is back (%s)\n", driverName_.c_str());
            }
        } else if (lifecycle_.deviceFailed()) {
            std::fprintf(stderr,
                         "tumbrix: no sound device could be opened (%s); playing in silence "
                         "until one can\n",
                         failure.c_str());
        }
    }
    if (!outputOpen()) {
        std::string failure;
        if (!openOutput(Output::Silent, failure)) {
            static bool told = false;
            if (!told) {
                told = true;
                std::fprintf(stderr, "tumbrix: sound is disabled: %s\n", failure.c_str());
            }
        }
    }
    restoreChannels();
    if (outputOpen() && !wasOpen && onOutputOpened_) {
        onOutputOpened_();
    }
    return outputOpen();
}

bool SdlAudioEngine::upkeep() {
    if (output_ == Output::Device && deviceLost()) {
        loseDevice("the device went away");
    }
    if (!outputOpen()) {
        return false;
    }
    bool sounding = false;
    for (int channel = 0; channel < kMaxChannels; ++channel) {
        sounding = sounding || producingSound(channel);
    }
    if (sounding) {
        lifecycle_.sounded();
    } else if (lifecycle_.silentLongEnough()) {
        // Paused channels keep their places for the next output.
        holdChannels();
        closeOutput();
    }
    return outputOpen();
}

void SdlAudioEngine::loseDevice(const std::string& reason) {
    if (lifecycle_.deviceFailed()) {
        std::fprintf(stderr, "tumbrix: sound is lost (%s); playing in silence until it is back\n",
                     reason.c_str());
    }
    // The silent driver keeps time, so the sounds run to their ends as they would have.
    holdChannels();
    closeOutput();
    std::string failure;
    openOutput(Output::Silent, failure);
    restoreChannels();
}

bool SdlAudioEngine::openOutput(Output output, std::string& failure) {
    // Set before every start: SDL forgets its hints when it shuts down. The
    // Qt host handles Ctrl+C and termination; SDL must not swallow them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    quietAlsa();
    if (output == Output::Silent) {
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    }
    const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (output == Output::Silent) {
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    }
    if (!started) {
        failure = SDL_GetError();
        return false;
    }
    // Exactly the layout the sounds are decoded to; SDL converts if need be.
    if (Mix_OpenAudioDevice(MixFormat::kFrequency, MixFormat::kSampleFormat, MixFormat::kChannels,
                            kBufferFrames, nullptr, 0) != 0) {
        failure = Mix_GetError();
        releaseSdlSubsystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(kMaxChannels);
    Mix_ChannelFinished(&SdlAudioEngine::onChannelFinished);
    const char* driver = SDL_GetCurrentAudioDriver();
    driverName_ = driver != nullptr ? driver : "";
    // The mixer's device is the only one this program opens.
    deviceId_ = 0;
    for (int id = 1; id <= kMaxSdlDevices && deviceId_ == 0; ++id) {
        if (SDL_GetAudioDeviceStatus(SDL_AudioDeviceID(id)) != SDL_AUDIO_STOPPED) {
            deviceId_ = id;
        }
    }
    output_ = output;
    // The silence that lets the device go is counted from here.
    lifecycle_.sounded();
    return true;
}

void SdlAudioEngine::closeOutput() {
    if (!outputOpen()) {
        return;
    }
    // Unhook first: closing halts every channel, and those are no ends.
    Mix_ChannelFinished(nullptr);
    for (auto& armed : armed_) {
        armed.store(0);
    }
    Mix_CloseAudio();
    releaseSdlSubsystem(SDL_INIT_AUDIO);
    output_ = Output::None;
    driverName_.clear();
    deviceId_ = 0;
}

// Takes every channel's playback off the mixer, noting where it goes on.
void SdlAudioEngine::holdChannels() {
    if (!outputOpen()) {
        return;
    }
    Mix_ChannelFinished(nullptr);
    for (int channel = 0; channel < kMaxChannels; ++channel) {
        ChannelSlot& slot = slots_[channel];
        if (!onMixer(channel) || Mix_Playing(channel) == 0 || slot.generation == 0) {
            continue;
        }
        const bool paused = Mix_Paused(channel) != 0 || voices_[channel]->pauseRequested();
        armed_[channel].store(0);
        // After the halt the audio thread is done with the channel's voice.
        Mix_HaltChannel(channel);
        slot.held = paused ? Held::Paused : Held::Playing;
        slot.heldFrame = voices_[channel]->framesPlayed();
    }
    Mix_ChannelFinished(&SdlAudioEngine::onChannelFinished);
}

// Puts the sounding playbacks that were held back onto the open output.
void SdlAudioEngine::restoreChannels() {
    for (int channel = 0; channel < kMaxChannels; ++channel) {
        ChannelSlot& slot = slots_[channel];
        if (!slot.inUse || slot.held != Held::Playing) {
            continue;
        }
        if (outputOpen()) {
            voices_[channel]->startFadingIn();
            startChunk(channel, slot.heldFrame);
        } else {
            // Nowhere to go on: over, like a halt.
            slot.held = Held::None;
            slot.generation = 0;
        }
    }
}

bool SdlAudioEngine::deviceLost() const {
    return deviceId_ != 0 &&
           SDL_GetAudioDeviceStatus(SDL_AudioDeviceID(deviceId_)) == SDL_AUDIO_STOPPED;
}

}  // namespace platform::desktop
