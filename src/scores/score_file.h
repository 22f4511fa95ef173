#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace scores {

// One row of the high-score table, both parts as text.
struct ScoreEntry {
    std::string name;
    std::string score = "0";
};

constexpr std::size_t kTableSize = 16;
// The high-score table, best first.
using Table = std::array<ScoreEntry, kTableSize>;
// The most of a score file that is read: far more than 16 entries need. The
// rest of a larger file is ignored.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;

// Reads the fields of a score file in order. Fields are separated by commas
// or line ends; leading blanks are skipped; a field that begins with a double
// quote runs to the next double quote, and the rest of it up to the next
// comma or line end is skipped; any other field runs to the next comma or
// line end. Values are text. Lines that are empty or hold only blanks are
// not fields (the game never writes them; an editor may add them), and a
// UTF-8 byte-order mark at the start is skipped. A double quote inside an
// unquoted field is read as an apostrophe, so that every field read is
// written back and read again unchanged.
class FieldReader {
public:
    explicit FieldReader(std::string_view content);
    bool atEnd() const { return position_ >= content_.size(); }
    // False when there is no field left to read.
    bool next(std::string& field);

private:
    void skipToDelimiter();
    void skipBlankLines();
    std::string_view content_;
    std::size_t position_ = 0;
    // The next character begins a line.
    bool atLineStart_ = true;
};

// Fills entries from the file's content, name and score alternating, for as
// many entries as the content holds (at most the table's size). An entry whose
// score is missing keeps its old score; entries not reached keep theirs.
void readEntries(std::string_view content, Table& entries);

// The file as the game writes it: 32 lines, each field between double
// quotes, every line ended by CR LF.
std::string formatEntries(const Table& entries);

}  // namespace scores
