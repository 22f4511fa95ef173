#pragma once

#include <string>
#include <string_view>

namespace game {

// A player's name as the game keeps it: upper case, without surrounding
// blanks. The name is later written between double quotes into the
// high-score file, so a double quote becomes an apostrophe and a control
// character a blank.
std::string playerNameFrom(std::string_view raw);

}  // namespace game
