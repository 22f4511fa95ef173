#include "scores/score_file.h"

#include <algorithm>

namespace scores {

namespace {

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

FieldReader::FieldReader(std::string_view content) : content_(content) {
    if (content_.starts_with(kByteOrderMark)) {
        position_ = kByteOrderMark.size();
    }
}

void FieldReader::skipBlankLines() {
    while (atLineStart_) {
        std::size_t end = position_;
        while (end < content_.size() && isBlank(content_[end])) {
            ++end;
        }
        if (end < content_.size() && !isLineEnd(content_[end])) {
            return;  // a field begins on this line
        }
        position_ = end;
        if (atEnd()) {
            return;
        }
        skipToDelimiter();  // the line end
    }
}

void FieldReader::skipToDelimiter() {
    while (position_ < content_.size() && content_[position_] != ',' &&
           !isLineEnd(content_[position_])) {
        ++position_;
    }
    if (position_ >= content_.size()) {
        return;
    }
    if (content_[position_] == ',') {
        ++position_;
        atLineStart_ = false;
        return;
    }
    // A line end: CR LF, or a lone CR or LF.
    if (content_[position_] == '\r' && position_ + 1 < content_.size() &&
        content_[position_ + 1] == '\n') {
        ++position_;
    }
    ++position_;
    atLineStart_ = true;
}

bool FieldReader::next(std::string& field) {
    skipBlankLines();
    if (atEnd()) {
        return false;
    }
    while (position_ < content_.size() && isBlank(content_[position_])) {
        ++position_;
    }
    if (position_ < content_.size() && content_[position_] == '"') {
        std::size_t start = position_ + 1;
        std::size_t close = content_.find('"', start);
        std::size_t lineEnd = content_.find_first_of("\r\n", start);
        if (close == std::string_view::npos || close > lineEnd) {
            // An unterminated quote ends with its line, so one damaged line
            // cannot swallow the rest of the table.
            if (lineEnd == std::string_view::npos) {
                lineEnd = content_.size();
            }
            field.assign(content_.substr(start, lineEnd - start));
            position_ = lineEnd;
            skipToDelimiter();
            return true;
        }
        field.assign(content_.substr(start, close - start));
        position_ = close + 1;
        skipToDelimiter();
        return true;
    }
    std::size_t start = position_;
    while (position_ < content_.size() && content_[position_] != ',' &&
           !isLineEnd(content_[position_])) {
        ++position_;
    }
    field.assign(content_.substr(start, position_ - start));
    // The file cannot hold a double quote inside a field: written back, it
    // would end the field there and lose the rest. It becomes an
    // apostrophe, as in a player's name.
    std::replace(field.begin(), field.end(), '"', '\'');
    skipToDelimiter();
    return true;
}

void readEntries(std::string_view content, Table& entries) {
    FieldReader reader(content);
    std::string field;
    for (std::size_t i = 0; i < kTableSize && !reader.atEnd(); ++i) {
        if (!reader.next(field)) {
            return;
        }
        entries[i].name = field;
        if (!reader.next(field)) {
            return;
        }
        entries[i].score = field;
    }
}

std::string formatEntries(const Table& entries) {
    std::string content;
    for (const ScoreEntry& entry : entries) {
        content += '"' + entry.name + "\"\r\n";
        content += '"' + entry.score + "\"\r\n";
    }
    return content;
}

}  // namespace scores
