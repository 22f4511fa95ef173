#pragma once

#include <locale>
#include <string>
#include <string_view>

namespace game {

// A player's name as the game keeps it: upper case, without surrounding
// blanks. Every letter of a UTF-8 name is upper-cased; bytes that are not
// valid UTF-8 pass through unchanged. The name is later written between
// double quotes into the high-score file, so a double quote becomes an
// apostrophe and a control character (C0, DEL, or C1: U+0080 to U+009F) a
// blank.
std::string playerNameFrom(std::string_view raw);

// The same with the upper case of the given UTF-8 locale, or of ASCII
// letters only when there is none. playerNameFrom uses C.UTF-8 (present on
// every Debian and Ubuntu system) and never changes the process's locale.
std::string playerNameFrom(std::string_view raw, const std::locale* letters);

}  // namespace game
