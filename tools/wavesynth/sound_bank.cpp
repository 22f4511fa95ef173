#include "wavesynth/sound_bank.h"

#include <stdexcept>
#include <system_error>

#include "wavesynth/effects.h"
#include "wavesynth/jingles.h"
#include "wavesynth/main_music.h"
#include "wavesynth/wav_writer.h"

namespace wavesynth {

const std::vector<SoundRecipe>& soundRecipes() {
    static const std::vector<SoundRecipe> kRecipes = {
        {"MainMusic.wav", renderMainMusic, true},
        {"HighScore.wav", renderHighScore, false},
        {"GameOver.wav", renderGameOver, false},
        {"BonusCollected.wav", renderBonusCollected, false},
        {"BallBounce.wav", renderBallBounce, false},
    };
    return kRecipes;
}

void writeSoundBank(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder)) {
        throw std::runtime_error("cannot use output folder " + folder.string() + ": " +
                                 (error ? error.message() : "not a folder"));
    }
    for (const SoundRecipe& recipe : soundRecipes()) {
        writeWavFile(folder / recipe.fileName, recipe.render());
    }
}

}  // namespace wavesynth
