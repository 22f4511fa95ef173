#pragma once

#include <SDL.h>

namespace platform::desktop {

// The sound engine and the pads each start the part of SDL they need; SDL
// counts the starts. Each gives its part back with this, and the last one
// out shuts SDL down, whichever it is.
inline void releaseSdlSubsystem(Uint32 subsystem) {
    SDL_QuitSubSystem(subsystem);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) {
        SDL_Quit();
    }
}

}  // namespace platform::desktop
