#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "wavesynth/samples.h"

namespace wavesynth {

// One of the game's wave files and how to make it.
struct SoundRecipe {
    const char* fileName;
    Samples (*render)();
    bool loops;  // restarted by the game as soon as it ends
};

// The five sounds the game loads from its program folder.
const std::vector<SoundRecipe>& soundRecipes();

// Renders every sound into `folder`, creating the folder if needed. Throws
// std::runtime_error naming what could not be written.
void writeSoundBank(const std::filesystem::path& folder);

}  // namespace wavesynth
