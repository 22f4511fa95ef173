#include "scores/score_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace scores {
namespace {

std::vector<std::string> flattened(const Table& table) {
    std::vector<std::string> fields;
    for (const ScoreEntry& entry : table) {
        fields.push_back(entry.name);
        fields.push_back(entry.score);
    }
    return fields;
}

TEST(ScoreFileTest, WrittenFileHasExactly32QuotedLinesAndReadsBackUnchanged) {
    Table table;
    table[0] = {"ABC", "412"};
    table[1] = {"O'NEIL, JR", "-3"};
    std::string expected = "\"ABC\"\r\n\"412\"\r\n\"O'NEIL, JR\"\r\n\"-3\"\r\n";
    for (int i = 3; i <= 16; ++i) {
        expected += "\"\"\r\n\"0\"\r\n";
    }
    EXPECT_EQ(formatEntries(table), expected);
    // The comma inside the name included.
    Table back;
    readEntries(expected, back);
    EXPECT_EQ(flattened(back), flattened(table));
}

TEST(ScoreFileTest, AnOddFieldSetsANameAndLeavesTheRestAsItWas) {
    Table table;
    // Whole entries: GCC 12 at -O3 wrongly reports a short string assigned
    // into one member of a default table as maybe uninitialised.
    table[1] = {"", "55"};
    table[2] = {"KEEP", "7"};
    readEntries("\"A\",\"10\"\r\n\"B\"\r\n", table);
    std::vector<std::string> fields = flattened(table);
    fields.resize(6);
    EXPECT_EQ(fields, (std::vector<std::string>{"A", "10", "B", "55", "KEEP", "7"}));
}

TEST(ScoreFileTest, FieldsFollowTheReadingRules) {
    FieldReader reader(
        "  \"quoted\" tail ,plain text\r\n  spaced\n\"open quote\r\nO\"NEIL \"JR\",last");
    std::vector<std::string> fields;
    std::string field;
    while (reader.next(field)) {
        fields.push_back(field);
    }
    // An unterminated quote ends with its line rather than swallowing the
    // file; a quote inside an unquoted field, which the file could not hold,
    // is read as an apostrophe.
    EXPECT_EQ(fields, (std::vector<std::string>{"quoted", "plain text", "spaced", "open quote",
                                                "O'NEIL 'JR'", "last"}));
}

TEST(ScoreFileTest, AWholeTableWithCrOnlyOrLfOnlyLineEndsReadsTheSame) {
    Table table;
    for (std::size_t i = 0; i < kTableSize; ++i) {
        table[i] = {"P" + std::to_string(i + 1), std::to_string(99 - int(i))};
    }
    std::string file = formatEntries(table);
    for (const char* lineEnd : {"\r", "\n"}) {
        std::string edited;
        for (std::size_t at = 0, end; (end = file.find("\r\n", at)) != std::string::npos;
             at = end + 2) {
            edited += file.substr(at, end - at) + lineEnd;
        }
        Table back;
        readEntries(edited, back);
        EXPECT_EQ(flattened(back), flattened(table)) << testing::PrintToString(lineEnd);
    }
}

TEST(ScoreFileTest, BlankLinesAreNotFieldsAndALeadingByteOrderMarkIsSkipped) {
    Table table;
    for (std::size_t i = 0; i < kTableSize; ++i) {
        table[i] = {"P" + std::to_string(i + 1), std::to_string(99 - int(i))};
    }
    const std::string file = formatEntries(table);
    // A leading empty line, lines of blanks amid the fields, a blank last
    // line: the fields keep their pairs.
    for (const std::string& edited :
         {"\r\n" + file, "\n \t\r\n" + file.substr(0, 12) + "  \r\n\r\r\n" + file.substr(12),
          file + "\r\n \r\n"}) {
        Table back;
        readEntries(edited, back);
        EXPECT_EQ(flattened(back), flattened(table)) << testing::PrintToString(edited);
    }
    // Blank lines after the last field set nothing.
    Table back;
    back[1] = {"KEEP", "7"};
    readEntries("\"A\"\r\n\"1\"\r\n\r\n   \r\n", back);
    EXPECT_EQ(std::tuple(back[0].name, back[0].score, back[1].name, back[1].score),
              std::tuple("A", "1", "KEEP", "7"));

    // A UTF-8 byte-order mark before the first field, quoted or not.
    readEntries("\xEF\xBB\xBF\"ABC\"\r\n\"5\"\r\n", back);
    EXPECT_EQ(std::tuple(back[0].name, back[0].score), std::tuple("ABC", "5"));
    readEntries("\xEF\xBB\xBFXYZ,6\r\n", back);
    EXPECT_EQ(std::tuple(back[0].name, back[0].score), std::tuple("XYZ", "6"));
}

TEST(ScoreFileTest, HostileBytesNeverCrashOrOverfill) {
    std::mt19937 random(3);
    std::vector<std::string> samples = {
        std::string("\0\0\"\0,\0\r\n", 9), std::string(1 << 20, 'x'),
        "\"" + std::string(1 << 20, 'y'),  std::string(1 << 20, ','),
        std::string(100000, '"'),          "\r\r\r\n\n\n,,,\"\",\"",
    };
    for (int i = 0; i < 200; ++i) {
        std::string noise(static_cast<std::size_t>(random() % 4000), '\0');
        std::generate(noise.begin(), noise.end(),
                      [&] { return static_cast<char>(random() % 256); });
        samples.push_back(noise);
    }
    for (const std::string& content : samples) {
        Table table;
        readEntries(content, table);
        // No field can carry a line end or a quote, so a rewrite is always
        // 32 lines and reads back as the same table.
        for (const std::string& field : flattened(table)) {
            ASSERT_EQ(field.find_first_of("\r\n\""), std::string::npos);
        }
        std::string rewritten = formatEntries(table);
        ASSERT_EQ(std::count(rewritten.begin(), rewritten.end(), '\n'), 32);
        Table back;
        readEntries(rewritten, back);
        ASSERT_EQ(flattened(back), flattened(table));
    }
}

}  // namespace
}  // namespace scores
