#include "game/player_name.h"

namespace game {

std::string playerNameFrom(std::string_view raw) {
    std::string name;
    name.reserve(raw.size());
    for (char c : raw) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"') {
            name += '\'';
        } else if (byte < 0x20 || byte == 0x7F) {
            name += ' ';
        } else if (c >= 'a' && c <= 'z') {
            name += static_cast<char>(c - 'a' + 'A');
        } else {
            name += c;
        }
    }
    std::size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    std::size_t last = name.find_last_not_of(' ');
    return name.substr(first, last - first + 1);
}

}  // namespace game
