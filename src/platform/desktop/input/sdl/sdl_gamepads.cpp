#include "platform/desktop/input/sdl/sdl_gamepads.h"

#include <cstdio>
#include <optional>

#include "platform/desktop/sdl/sdl_subsystems.h"
#include "platform/key_codes.h"

namespace platform::desktop {

namespace {

// The button of a pad that has a meaning in the game, if any.
std::optional<GamepadKeys::Button> gameButton(Uint8 sdlButton) {
    using Button = GamepadKeys::Button;
    switch (sdlButton) {
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return Button::DpadLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return Button::DpadRight;
        case SDL_CONTROLLER_BUTTON_START:
            return Button::Start;
        case SDL_CONTROLLER_BUTTON_A:
            return Button::A;
        default:
            return std::nullopt;
    }
}

}  // namespace

SdlGamepads::SdlGamepads()
    : seats_{Seat{nullptr, -1, GamepadKeys(keys::kLeft, keys::kRight)},
             Seat{nullptr, -1, GamepadKeys(keys::kA, keys::kD)}} {
    // The Qt host handles Ctrl+C and termination; SDL must not swallow them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr, "tumbrix: gamepads are not available: %s\n", SDL_GetError());
        return;
    }
    started_ = true;
    seatNewPads();
}

SdlGamepads::~SdlGamepads() {
    if (!started_) {
        return;
    }
    for (Seat& seat : seats_) {
        if (seat.pad != nullptr) {
            SDL_GameControllerClose(seat.pad);
        }
    }
    // The sound engine may still use SDL.
    releaseSdlSubsystem(SDL_INIT_GAMECONTROLLER);
}

std::vector<SdlGamepads::Event> SdlGamepads::poll() {
    std::vector<Event> out;
    if (!started_) {
        return out;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
            case SDL_CONTROLLERDEVICEADDED:
                seatNewPads();
                break;
            case SDL_CONTROLLERDEVICEREMOVED:
                if (const int player = playerOf(event.cdevice.which); player >= 0) {
                    unseat(player, out);
                    // A pad waiting for a free seat takes this one.
                    seatNewPads();
                }
                break;
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP: {
                const int player = playerOf(event.cbutton.which);
                const auto button = gameButton(event.cbutton.button);
                if (player >= 0 && button) {
                    const bool down = event.cbutton.state == SDL_PRESSED;
                    addKeys(player, seats_[player].keys.button(*button, down), out);
                }
                break;
            }
            case SDL_CONTROLLERAXISMOTION: {
                const int player = playerOf(event.caxis.which);
                if (player >= 0 && event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
                    addKeys(player, seats_[player].keys.stick(event.caxis.value), out);
                }
                break;
            }
            default:
                // Joystick, audio device and other news nobody here needs.
                break;
        }
    }
    return out;
}

int SdlGamepads::padsAttached() const {
    int count = 0;
    for (const Seat& seat : seats_) {
        count += seat.pad != nullptr ? 1 : 0;
    }
    return count;
}

void SdlGamepads::seatNewPads() {
    for (int index = 0; index < SDL_NumJoysticks() && padsAttached() < kPlayers; ++index) {
        if (!SDL_IsGameController(index) || playerOf(SDL_JoystickGetDeviceInstanceID(index)) >= 0) {
            continue;
        }
        for (int player = 0; player < kPlayers; ++player) {
            Seat& seat = seats_[player];
            if (seat.pad != nullptr) {
                continue;
            }
            seat.pad = SDL_GameControllerOpen(index);
            if (seat.pad != nullptr) {
                seat.id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(seat.pad));
                // Pads with player lights show whose they are.
                SDL_GameControllerSetPlayerIndex(seat.pad, player);
            }
            break;
        }
    }
}

void SdlGamepads::unseat(int player, std::vector<Event>& out) {
    Seat& seat = seats_[player];
    addKeys(player, seat.keys.releaseAll(), out);
    out.push_back({Event::Kind::PulledOut, player});
    SDL_GameControllerClose(seat.pad);
    seat.pad = nullptr;
    seat.id = -1;
}

int SdlGamepads::playerOf(SDL_JoystickID id) const {
    for (int player = 0; player < kPlayers; ++player) {
        if (seats_[player].pad != nullptr && seats_[player].id == id) {
            return player;
        }
    }
    return -1;
}

void SdlGamepads::addKeys(int player, const std::vector<KeyAction>& keys,
                          std::vector<Event>& out) const {
    for (const KeyAction& key : keys) {
        out.push_back({Event::Kind::Key, player, key});
    }
}

}  // namespace platform::desktop
