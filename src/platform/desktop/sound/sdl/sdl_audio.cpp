#include "platform/desktop/sound/sdl/sdl_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "platform/desktop/sound/sdl/wave_decoding.h"

namespace platform::desktop {

namespace {

// Long enough that a cut does not click, short enough that nobody hears a fade.
constexpr int kFadeMs = 5;

std::int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::atomic<SdlAudioEngine*> SdlAudioEngine::instance_{nullptr};

SdlAudioEngine::SdlAudioEngine(std::function<std::int64_t()> nowMs)
    : lifecycle_(nowMs ? std::move(nowMs) : steadyMs) {
    SdlAudioEngine* expected = nullptr;
    if (!instance_.compare_exchange_strong(expected, this)) {
        throw std::logic_error("only one SdlAudioEngine may exist at a time");
    }
    for (auto& voice : voices_) {
        voice = std::make_unique<ClickFreeVoice>(MixFormat::kChannels,
                                                 MixFormat::kFrequency * kFadeMs / 1000);
    }
}

SdlAudioEngine::~SdlAudioEngine() {
    closeOutput();
    instance_.store(nullptr);
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
    const std::size_t frames = std::size_t(bytes) / MixFormat::kFrameBytes;
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
    for (int channel = 0; channel < kMaxChannels; ++channel) {
        ChannelSlot& slot = slots_[channel];
        if (slot.inUse) {
            continue;
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
    // First, as it may move every channel to another output.
    const bool output = ensureOutput();
    ChannelSlot& slot = slots_[channel];
    ClickFreeVoice& voice = *voices_[channel];
    const bool cutting = producingSound(channel);
    // After the halt the mixer is done with the old chunk and its fades.
    halt(channel);
    const std::int16_t* tail = nullptr;
    std::size_t tailFrames = 0;
    const std::size_t oldFrames = slot.chunk.alen / MixFormat::kFrameBytes;
    if (cutting && voice.framesPlayed() < oldFrames) {
        tail = reinterpret_cast<const std::int16_t*>(slot.chunk.abuf +
                                                     voice.framesPlayed() * MixFormat::kFrameBytes);
        tailFrames = oldFrames - voice.framesPlayed();
    }
    voice.startFresh(tail, tailFrames, voice.gain());
    slot.chunk =
        Mix_Chunk{0, const_cast<Uint8*>(samples), static_cast<Uint32>(bytes), MIX_MAX_VOLUME};
    slot.generation = ++lastGeneration_;
    if (bytes == 0) {
        // Nothing left to play: the sound is at its end already.
        recordEnd(channel, slot.generation);
        return true;
    }
    if (!output) {
        slot.generation = 0;
        return false;
    }
    return startChunk(channel, 0);
}

bool SdlAudioEngine::startChunk(int channel, std::size_t frame) {
    ChannelSlot& slot = slots_[channel];
    const std::size_t skipped =
        std::min<std::size_t>(frame * MixFormat::kFrameBytes, slot.chunk.alen);
    slot.chunk.abuf += skipped;
    slot.chunk.alen -= Uint32(skipped);
    slot.held = Held::None;
    const std::uint64_t generation = slot.generation;
    if (slot.chunk.alen == 0) {
        recordEnd(channel, generation);
        return true;
    }
    // A halt of an idle channel leaves its effects in place.
    Mix_UnregisterAllEffects(channel);
    Mix_RegisterEffect(channel, &SdlAudioEngine::applyFades, nullptr, voices_[channel].get());
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
    lifecycle_.sounded();
    return true;
}

void SdlAudioEngine::halt(int channel) {
    if (!validChannel(channel) || !slots_[channel].inUse) {
        return;
    }
    armed_[channel].store(0);
    slots_[channel].generation = 0;
    slots_[channel].held = Held::None;
    if (outputOpen()) {
        Mix_HaltChannel(channel);
    }
}

void SdlAudioEngine::pause(int channel) {
    if (!isSounding(channel)) {
        return;
    }
    // The game asked for the stop: a sound that runs out meanwhile is no news.
    armed_[channel].store(0);
    voices_[channel]->requestPause();
}

void SdlAudioEngine::resume(int channel) {
    if (!isPaused(channel)) {
        return;
    }
    // A sound call: it may open an output, or move the channel to another.
    ensureOutput();
    ChannelSlot& slot = slots_[channel];
    if (slot.held == Held::Paused) {
        if (outputOpen()) {
            voices_[channel]->startFadingIn();
            startChunk(channel, slot.heldFrame);
        }
        return;
    }
    const std::uint64_t generation = slot.generation;
    armed_[channel].store(generation);
    voices_[channel]->requestResume();
    Mix_Resume(channel);
    lifecycle_.sounded();
    // It may have run out while it faded, before it was armed again: then
    // this play is over at once.
    if (Mix_Playing(channel) == 0 && armed_[channel].exchange(0) == generation) {
        recordEnd(channel, generation);
    }
}

// The mixer is putting the channel's samples out, maybe fading.
bool SdlAudioEngine::producingSound(int channel) const {
    return onMixer(channel) && Mix_Playing(channel) != 0 && Mix_Paused(channel) == 0;
}

// In use, with an output open, and not held outside the mixer.
bool SdlAudioEngine::onMixer(int channel) const {
    return validChannel(channel) && slots_[channel].inUse && outputOpen() &&
           slots_[channel].held == Held::None;
}

bool SdlAudioEngine::isSounding(int channel) const {
    return producingSound(channel) && !voices_[channel]->pauseRequested();
}

bool SdlAudioEngine::isPaused(int channel) const {
    if (validChannel(channel) && slots_[channel].inUse && slots_[channel].held == Held::Paused) {
        return true;
    }
    return onMixer(channel) && Mix_Playing(channel) != 0 &&
           (Mix_Paused(channel) != 0 || voices_[channel]->pauseRequested());
}

}  // namespace platform::desktop
