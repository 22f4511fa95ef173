#include "game/player_name.h"

#include <optional>
#include <stdexcept>
#include <utility>

namespace game {

namespace {

static_assert(sizeof(wchar_t) >= sizeof(char32_t), "wchar_t holds every code point");

// A UTF-8 locale for upper-casing, made once; none when the system has none.
const std::locale* utf8Letters() {
    static const std::optional<std::locale> letters = []() -> std::optional<std::locale> {
        for (const char* name : {"C.UTF-8", "en_US.UTF-8"}) {
            try {
                return std::locale(name);
            } catch (const std::runtime_error&) {
            }
        }
        return std::nullopt;
    }();
    return letters ? &*letters : nullptr;
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The code point of the UTF-8 sequence at the start of text (which begins
// with a byte of 0x80 or more) and its length in bytes; length 0 when the
// bytes there are not valid UTF-8: a stray continuation byte, a cut
// sequence, an overlong form, a surrogate or a value past U+10FFFF.
std::pair<char32_t, std::size_t> decode(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t codePoint = 0;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        smallest = 0x10000;
    } else {
        return {0, 0};
    }
    if (text.size() < length) {
        return {0, 0};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!isContinuation(byte)) {
            return {0, 0};
        }
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return {0, 0};
    }
    return {codePoint, length};
}

void appendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// The upper case of a code point, when it is a valid one.
char32_t upperCase(char32_t codePoint, const std::locale& letters) {
    const auto upper =
        static_cast<char32_t>(std::toupper(static_cast<wchar_t>(codePoint), letters));
    const bool valid = upper <= 0x10FFFF && !(upper >= 0xD800 && upper <= 0xDFFF);
    return valid ? upper : codePoint;
}

}  // namespace

std::string playerNameFrom(std::string_view raw) {
    return playerNameFrom(raw, utf8Letters());
}

std::string playerNameFrom(std::string_view raw, const std::locale* letters) {
    std::string name;
    name.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size();) {
        const char c = raw[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            auto [codePoint, length] = decode(raw.substr(i));
            if (length == 0) {
                name += c;  // not UTF-8
                ++i;
                continue;
            }
            if (codePoint <= 0x9F) {
                name += ' ';  // a C1 control character, like the C0 ones below
            } else if (letters == nullptr) {
                name.append(raw.substr(i, length));  // no locale to upper-case it by
            } else {
                appendUtf8(name, upperCase(codePoint, *letters));
            }
            i += length;
            continue;
        }
        if (c == '"') {
            name += '\'';
        } else if (byte < 0x20 || byte == 0x7F) {
            name += ' ';
        } else if (c >= 'a' && c <= 'z') {
            name += static_cast<char>(c - 'a' + 'A');
        } else {
            name += c;
        }
        ++i;
    }
    std::size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    std::size_t last = name.find_last_not_of(' ');
    return name.substr(first, last - first + 1);
}

}  // namespace game
