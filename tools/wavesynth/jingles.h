#pragma once

#include "wavesynth/samples.h"

namespace wavesynth {

// A short brass fanfare with a drum roll and a crash.
Samples renderHighScore();

// A descending, muted "wah-wah" trombone phrase.
Samples renderGameOver();

}  // namespace wavesynth
