#include "platform/qt/sdl_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <stdexcept>
#include <utility>

#include "platform/qt/sdl_subsystems.h"

namespace platform::qt {

namespace {

constexpr int kFrequency = 44100;
constexpr int kOutputChannels = 2;
// 512 frames is about 12 ms at 44.1 kHz: an effect starts within a frame or
// two of the event that caused it.
constexpr int kBufferFrames = 512;
// Long enough that a cut does not click, short enough that nobody hears a fade.
constexpr int kFadeMs = 5;

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
    fades_ = format == AUDIO_S16SYS;
    for (auto& voice : voices_) {
        voice = std::make_unique<ClickFreeVoice>(outputChannels, frequency_ * kFadeMs / 1000);
    }
    Mix_ChannelFinished(&SdlAudioEngine::onChannelFinished);
}

SdlAudioEngine::~SdlAudioEngine() {
    if (open_) {
        // Unhook first: closing halts every channel, and those are no ends.
        Mix_ChannelFinished(nullptr);
        Mix_CloseAudio();
        releaseSdlSubsystem(SDL_INIT_AUDIO);
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
    if (generation != 0) {
        recordEnd(channel, generation);
    }
}

void SdlAudioEngine::recordEnd(int channel, std::uint64_t generation) {
    ended_[channel].store(generation);
    callWake();
}

// Runs on the audio thread, inside the mixer, for each piece of a channel's
// sound before it is mixed.
void SdlAudioEngine::applyFades(int channel, void* samples, int bytes, void* voice) {
    SdlAudioEngine* engine = instance_.load();
    if (engine == nullptr || bytes <= 0) {
        return;
    }
    const std::size_t frames = std::size_t(bytes) / engine->frameBytes_;
    if (static_cast<ClickFreeVoice*>(voice)->process(static_cast<std::int16_t*>(samples), frames)) {
        // Faded out: hold the channel where it is. This takes no lock, so it
        // is safe inside the mixer.
        Mix_Pause(channel);
    }
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

bool SdlAudioEngine::play(int channel, const std::uint8_t* samples, std::size_t bytes) {
    if (!validChannel(channel) || !slots_[channel].inUse) {
        return false;
    }
    ChannelSlot& slot = slots_[channel];
    ClickFreeVoice& voice = *voices_[channel];
    const bool cutting = producingSound(channel);
    // After the halt the mixer is done with the old chunk and its fades.
    halt(channel);
    const std::int16_t* tail = nullptr;
    std::size_t tailFrames = 0;
    const std::size_t oldFrames = slot.chunk.alen / frameBytes_;
    if (cutting && fades_ && voice.framesPlayed() < oldFrames) {
        tail = reinterpret_cast<const std::int16_t*>(slot.chunk.abuf +
                                                     voice.framesPlayed() * frameBytes_);
        tailFrames = oldFrames - voice.framesPlayed();
    }
    voice.startFresh(tail, tailFrames, voice.gain());
    slot.chunk =
        Mix_Chunk{0, const_cast<Uint8*>(samples), static_cast<Uint32>(bytes), MIX_MAX_VOLUME};

    const std::uint64_t generation = ++lastGeneration_;
    slot.generation = generation;
    if (bytes == 0) {
        // Nothing left to play: the sound is at its end already.
        recordEnd(channel, generation);
        return true;
    }
    // A halt of an idle channel leaves its effects in place.
    Mix_UnregisterAllEffects(channel);
    if (fades_) {
        Mix_RegisterEffect(channel, &SdlAudioEngine::applyFades, nullptr, &voice);
    }
    // Armed before the start; the channel is idle, so nothing can end early.
    armed_[channel].store(generation);
    if (Mix_PlayChannel(channel, &slot.chunk, 0) < 0) {
        armed_[channel].store(0);
        slot.generation = 0;
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
    if (!isSounding(channel)) {
        return;
    }
    // The game asked for the stop: a sound that runs out meanwhile is no news.
    armed_[channel].store(0);
    if (fades_) {
        voices_[channel]->requestPause();
    } else {
        Mix_Pause(channel);
    }
}

void SdlAudioEngine::resume(int channel) {
    if (!isPaused(channel)) {
        return;
    }
    const std::uint64_t generation = slots_[channel].generation;
    armed_[channel].store(generation);
    voices_[channel]->requestResume();
    Mix_Resume(channel);
    // It may have run out while it faded, before it was armed again: then
    // this play is over at once.
    if (Mix_Playing(channel) == 0 && armed_[channel].exchange(0) == generation) {
        recordEnd(channel, generation);
    }
}

// The mixer is putting the channel's samples out, maybe fading.
bool SdlAudioEngine::producingSound(int channel) const {
    return validChannel(channel) && slots_[channel].inUse && Mix_Playing(channel) != 0 &&
           Mix_Paused(channel) == 0;
}

bool SdlAudioEngine::isSounding(int channel) const {
    return producingSound(channel) && !voices_[channel]->pauseRequested();
}

bool SdlAudioEngine::isPaused(int channel) const {
    return validChannel(channel) && slots_[channel].inUse && Mix_Playing(channel) != 0 &&
           (Mix_Paused(channel) != 0 || voices_[channel]->pauseRequested());
}

}  // namespace platform::qt
