#include "platform/qt/sdl_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace platform::qt {

namespace {

constexpr int kFrequency = 44100;
constexpr int kOutputChannels = 2;
// 512 frames is about 12 ms at 44.1 kHz: an effect starts within a frame or
// two of the event that caused it.
constexpr int kBufferFrames = 512;

}  // namespace

std::atomic<SdlAudioEngine*> SdlAudioEngine::instance_{nullptr};

SdlAudioEngine::SdlAudioEngine() {
    SdlAudioEngine* expected = nullptr;
    if (!instance_.compare_exchange_strong(expected, this)) {
        throw std::logic_error("only one SdlAudioEngine may exist at a time");
    }

    // The Qt host handles Ctrl+C and termination; SDL must not swallow them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");

    std::string failure;
    if (openOutput(failure)) {
        open_ = true;
    } else {
        // Without a device the game still runs: the silent driver keeps time,
        // so positions and end notices behave exactly as with sound.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        std::string silentFailure;
        open_ = openOutput(silentFailure);
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        if (open_) {
            std::fprintf(stderr,
                         "tumbrix: no audio device could be opened (%s); playing in silence\n",
                         failure.c_str());
        } else {
            std::fprintf(stderr, "tumbrix: sound is disabled: %s; %s\n", failure.c_str(),
                         silentFailure.c_str());
        }
    }
    if (!open_) {
        return;
    }

    Uint16 format = 0;
    int outputChannels = 0;
    Mix_QuerySpec(&frequency_, &format, &outputChannels);
    frameBytes_ = static_cast<std::size_t>(SDL_AUDIO_BITSIZE(format) / 8 * outputChannels);
    mixerChannels_ = Mix_AllocateChannels(-1);
    const char* driver = SDL_GetCurrentAudioDriver();
    driverName_ = driver != nullptr ? driver : "";
    Mix_ChannelFinished(&SdlAudioEngine::onChannelFinished);
}

SdlAudioEngine::~SdlAudioEngine() {
    if (open_) {
        // Unhook first: closing halts every channel, and those are no ends.
        Mix_ChannelFinished(nullptr);
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) {
            SDL_Quit();
        }
    }
    instance_.store(nullptr);
}

bool SdlAudioEngine::openOutput(std::string& failure) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        failure = SDL_GetError();
        return false;
    }
    if (Mix_OpenAudio(kFrequency, AUDIO_S16SYS, kOutputChannels, kBufferFrames) != 0) {
        failure = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

void SdlAudioEngine::setWake(std::function<void()> wake) {
    auto shared = std::make_shared<const std::function<void()>>(std::move(wake));
    const std::lock_guard lock(wakeMutex_);
    wake_ = std::move(shared);
}

void SdlAudioEngine::callWake() {
    std::shared_ptr<const std::function<void()>> wake;
    {
        const std::lock_guard lock(wakeMutex_);
        wake = wake_;
    }
    if (wake && *wake) {
        (*wake)();
    }
}

// Runs on SDL's audio thread for natural ends, and on the calling thread
// (inside the mixer call) for halts and replays. Only a channel that is still
// armed counts: every halt disarms it first.
void SdlAudioEngine::onChannelFinished(int channel) {
    SdlAudioEngine* engine = instance_.load();
    if (engine != nullptr && engine->validChannel(channel)) {
        engine->recordFinished(channel);
    }
}

void SdlAudioEngine::recordFinished(int channel) {
    const std::uint64_t generation = armed_[channel].exchange(0);
    if (generation == 0) {
        return;
    }
    ended_[channel].store(generation);
    callWake();
}

void SdlAudioEngine::deliverPendingNotices() {
    for (int channel = 0; channel < kMaxChannels; ++channel) {
        const std::uint64_t generation = ended_[channel].exchange(0);
        ChannelSlot& slot = slots_[channel];
        // A playback that was halted or replaced since it ended is no news.
        if (generation == 0 || !slot.inUse || slot.generation != generation) {
            continue;
        }
        slot.generation = 0;
        // A copy: the listener may close or destroy its own player.
        const std::function<void()> listener = slot.onNaturalEnd;
        if (listener) {
            listener();
        }
    }
}

bool SdlAudioEngine::validChannel(int channel) const {
    return channel >= 0 && channel < kMaxChannels;
}

int SdlAudioEngine::acquireChannel(std::function<void()> onNaturalEnd) {
    if (!open_) {
        return -1;
    }
    for (int channel = 0; channel < kMaxChannels; ++channel) {
        ChannelSlot& slot = slots_[channel];
        if (slot.inUse) {
            continue;
        }
        if (channel >= mixerChannels_) {
            mixerChannels_ = Mix_AllocateChannels(channel + 1);
        }
        slot = ChannelSlot{true, 0, std::move(onNaturalEnd)};
        armed_[channel].store(0);
        ended_[channel].store(0);
        return channel;
    }
    std::fprintf(stderr, "tumbrix: all %d sound channels are taken; a sound stays silent\n",
                 kMaxChannels);
    return -1;
}

void SdlAudioEngine::releaseChannel(int channel) {
    if (!validChannel(channel) || !slots_[channel].inUse) {
        return;
    }
    halt(channel);
    slots_[channel] = ChannelSlot{};
    ended_[channel].store(0);
}

bool SdlAudioEngine::play(int channel, Mix_Chunk& chunk) {
    if (!validChannel(channel) || !slots_[channel].inUse) {
        return false;
    }
    halt(channel);
    const std::uint64_t generation = ++lastGeneration_;
    slots_[channel].generation = generation;
    if (chunk.alen == 0) {
        // Nothing left to play: the sound is at its end already.
        ended_[channel].store(generation);
        callWake();
        return true;
    }
    // Armed before the start; the channel is idle, so nothing can end early.
    armed_[channel].store(generation);
    if (Mix_PlayChannel(channel, &chunk, 0) < 0) {
        armed_[channel].store(0);
        slots_[channel].generation = 0;
        static bool told = false;
        if (!told) {
            told = true;
            std::fprintf(stderr, "tumbrix: cannot play a sound: %s\n", Mix_GetError());
        }
        return false;
    }
    return true;
}

void SdlAudioEngine::halt(int channel) {
    if (!validChannel(channel) || !slots_[channel].inUse) {
        return;
    }
    armed_[channel].store(0);
    slots_[channel].generation = 0;
    Mix_HaltChannel(channel);
}

void SdlAudioEngine::pause(int channel) {
    if (isSounding(channel)) {
        Mix_Pause(channel);
    }
}

void SdlAudioEngine::resume(int channel) {
    if (isPaused(channel)) {
        Mix_Resume(channel);
    }
}

bool SdlAudioEngine::isSounding(int channel) const {
    return validChannel(channel) && slots_[channel].inUse && Mix_Playing(channel) != 0 &&
           Mix_Paused(channel) == 0;
}

bool SdlAudioEngine::isPaused(int channel) const {
    return validChannel(channel) && slots_[channel].inUse && Mix_Playing(channel) != 0 &&
           Mix_Paused(channel) != 0;
}

}  // namespace platform::qt
