#pragma once

#include <optional>

namespace desktops {

// Another program beside the game: a plain white window that takes the keys
// when it opens. Every executable that plays on these desktops runs it from
// itself, given this first argument, so that no program from outside the
// project is needed on any of them.
inline constexpr const char* kAnotherProgram = "--another-program";

// Runs the other program when the arguments ask for it, and returns its exit
// status; nothing when they do not ask.
std::optional<int> runAnotherProgramIfAsked(int argc, char** argv);

}  // namespace desktops
