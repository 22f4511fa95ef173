// Any bytes as the high-score file, any player and score: reading, ranking,
// publishing and writing back never crash, and keep the table's rules.
// Input: the score (2 bytes, little-endian), the player's login name up to a
// NUL byte, then the file's content.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "game/player_name.h"
#include "scores/score_ranking.h"

namespace {

// A broken rule is a finding: libFuzzer keeps the input that broke it.
void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

bool sortedBestFirst(const scores::Table& table) {
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (scores::scoreValue(table[i - 1].score) < scores::scoreValue(table[i].score)) {
            return false;
        }
    }
    return true;
}

bool someNameTwice(const scores::Table& table) {
    std::map<std::string, int> names;
    for (const scores::ScoreEntry& entry : table) {
        if (!entry.name.empty() && ++names[entry.name] > 1) {
            return true;
        }
    }
    return false;
}

bool sameTable(const scores::Table& a, const scores::Table& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].score != b[i].score) {
            return false;
        }
    }
    return true;
}

// What the game writes reads back as the same table.
void requireFaithfulWrite(const scores::Table& table) {
    const std::string file = scores::formatEntries(table);
    std::size_t lines = 0;
    for (std::size_t at = file.find("\r\n"); at != std::string::npos;
         at = file.find("\r\n", at + 2)) {
        ++lines;
    }
    require(lines == 32);
    scores::Table back;
    scores::readEntries(file, back);
    require(sameTable(back, table));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const auto score = static_cast<std::int16_t>(data[0] | (data[1] << 8));
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t nul = rest.find('\0');
    const std::string userName = game::playerNameFrom(rest.substr(0, nul));
    // No control character is left in a name: C0, DEL, or C1 (U+0080 to
    // U+009F, bytes C2 80 to C2 9F).
    for (std::size_t i = 0; i < userName.size(); ++i) {
        const auto byte = static_cast<unsigned char>(userName[i]);
        const auto after =
            i + 1 < userName.size() ? static_cast<unsigned char>(userName[i + 1]) : 0;
        require(byte >= 0x20 && byte != 0x7F && !(byte == 0xC2 && after >= 0x80 && after <= 0x9F));
    }
    const std::string_view content =
        nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);

    scores::Table table;
    scores::readEntries(content, table);
    requireFaithfulWrite(table);

    scores::Table ranked = table;
    const bool entered = scores::rankScore(ranked, userName, score);
    if (!entered) {
        require(sameTable(ranked, table));
    } else {
        // The player's entry holds the score; order and single names stay.
        bool found = false;
        for (const scores::ScoreEntry& entry : ranked) {
            found = found || (entry.name == userName && entry.score == std::to_string(score));
        }
        require(found);
        require(!sortedBestFirst(table) || sortedBestFirst(ranked));
        require(someNameTwice(table) || !someNameTwice(ranked));
    }
    // The same game ranked again changes nothing.
    scores::Table again = ranked;
    require(!scores::rankScore(again, userName, score) && sameTable(again, ranked));
    requireFaithfulWrite(ranked);
    // Never an overflow, whatever the score texts hold.
    scores::publishedScores(ranked, userName);
    return 0;
}
