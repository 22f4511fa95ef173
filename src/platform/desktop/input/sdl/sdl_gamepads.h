#pragma once

#include <SDL.h>

#include <array>
#include <vector>

#include "platform/desktop/input/gamepad_keys.h"

namespace platform::desktop {

// The game's pads on SDL2's game-controller API: the first pad plugged in
// steers player 1 and the second player 2, on their own keys. A pad pulled
// out frees its player for the next one plugged in; the other pad keeps its
// player. Only SDL's game-controller subsystem is started: no SDL window.
// Lives on the GUI thread; SDL's event queue serves the pads alone (the
// sound engine uses none).
class SdlGamepads {
public:
    static constexpr int kPlayers = 2;

    struct Event {
        enum class Kind { Key, PulledOut };
        Kind kind;
        // 0 for player 1, 1 for player 2.
        int player;
        KeyAction key{};

        bool operator==(const Event&) const = default;
    };

    SdlGamepads();
    ~SdlGamepads();
    SdlGamepads(const SdlGamepads&) = delete;
    SdlGamepads& operator=(const SdlGamepads&) = delete;

    // What the pads did since the last call, in order: key actions, and a
    // player's pad pulled out (after the key-ups of what it held).
    std::vector<Event> poll();
    // How many players have a pad.
    int padsAttached() const;

private:
    struct Seat {
        SDL_GameController* pad = nullptr;
        SDL_JoystickID id = -1;
        GamepadKeys keys;
    };

    // Seats pads that SDL knows as game controllers in free seats.
    void seatNewPads();
    void unseat(int player, std::vector<Event>& out);
    int playerOf(SDL_JoystickID id) const;
    void addKeys(int player, const std::vector<KeyAction>& keys, std::vector<Event>& out) const;

    bool started_ = false;
    std::array<Seat, kPlayers> seats_;
};

}  // namespace platform::desktop
