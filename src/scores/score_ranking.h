#pragma once

#include <cstdint>
#include <string>

#include "scores/score_file.h"

namespace scores {

// The value a score text is ranked by: its leading number, 0 without one.
double scoreValue(const std::string& scoreText);

// Ranks a finished game's score into the table, one entry per name: the
// score must beat the player's own entry (or the last entry when there is
// none); it goes in below every entry that is not lower, the player's own
// entry at or below that place (else the last entry) drops out, and the
// entries between move down. False, and the table unchanged, when the
// score does not enter.
bool rankScore(Table& table, const std::string& userName, std::int16_t score);

// The two numbers the main window keeps from the table: the best score and
// the player's own (0 without an entry), as 16-bit values. Text from an
// edited file may hold anything: it is clamped rather than overflowing.
struct PublishedScores {
    std::int16_t topScore;
    std::int16_t personalBest;
};
PublishedScores publishedScores(const Table& table, const std::string& userName);

}  // namespace scores
