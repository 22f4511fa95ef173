#include "scores/score_ranking.h"

#include <algorithm>

#include "platform/numeric.h"

namespace scores {

namespace {

std::int16_t publishedValue(const std::string& scoreText) {
    return platform::roundToInt16(std::clamp(scoreValue(scoreText), -32768.0, 32767.0));
}

// The player's own entry, or the last one: the search ends there either way.
std::size_t ownOrLast(const Table& table, const std::string& userName) {
    std::size_t own = 0;
    while (own < kTableSize - 1 && table[own].name != userName) {
        ++own;
    }
    return own;
}

}  // namespace

double scoreValue(const std::string& scoreText) {
    return platform::leadingNumber(scoreText);
}

bool rankScore(Table& table, const std::string& userName, std::int16_t score) {
    const double value = score;
    if (!(scoreValue(table[ownOrLast(table, userName)].score) < value)) {
        return false;
    }
    // Equal scores stay above the new one.
    std::size_t place = 0;
    while (place < kTableSize - 1 && !(scoreValue(table[place].score) < value)) {
        ++place;
    }
    // The entry that drops out: the player's own at or below the new place,
    // the upper one if there are two, else the last.
    std::size_t dropped = kTableSize - 1;
    for (std::size_t k = kTableSize; k-- > place;) {
        if (table[k].name == userName) {
            dropped = k;
        }
    }
    for (std::size_t m = dropped; m > place; --m) {
        table[m] = table[m - 1];
    }
    table[place] = {userName, platform::decimalText(score)};
    return true;
}

PublishedScores publishedScores(const Table& table, const std::string& userName) {
    const std::size_t own = ownOrLast(table, userName);
    return {publishedValue(table[0].score),
            table[own].name == userName ? publishedValue(table[own].score) : std::int16_t{0}};
}

}  // namespace scores
