#include "platform/text.h"

#include <algorithm>

namespace tolvane {

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string AsciiUpper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return AsciiUpper(c); });
    return upper;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiUpper(x) == AsciiUpper(y);
           });
}

bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() &&
           EqualsIgnoringAsciiCase(text.substr(text.size() - tail.size()), tail);
}

std::string HexDigits(std::uint32_t value, std::size_t width, HexLetters letters) {
    const char* digits = letters == HexLetters::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), digits[value % 16]);
        value /= 16;
    } while (value != 0);
    if (text.size() < width) {
        text.insert(0, width - text.size(), '0');
    }
    return text;
}

std::string InFolder(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != '\\') {
        path += '\\';
    }
    path += name;
    return path;
}

std::string DriveLetterText(std::string_view entry) {
    return std::string(entry.substr(0, 2));
}

} // namespace tolvane
