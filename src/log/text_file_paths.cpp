#include "log/text_file_paths.h"

#include "platform/text.h"

namespace tolvane {

std::string ExtendedLengthPath(std::string_view fullPath) {
    const auto startsWith = [&](std::string_view prefix) {
        return fullPath.substr(0, prefix.size()) == prefix;
    };
    if (startsWith("\\\\?\\") || startsWith("\\\\.\\")) {
        return std::string(fullPath);
    }
    if (startsWith("\\\\")) {
        return "\\\\?\\UNC\\" + std::string(fullPath.substr(2));
    }
    if (fullPath.size() >= 3 && fullPath[1] == ':' && fullPath[2] == '\\') {
        return "\\\\?\\" + std::string(fullPath);
    }
    return std::string(fullPath);
}

std::string TemporaryPathBeside(std::string_view fullPath, std::uint32_t processId,
                                std::uint32_t attempt) {
    const auto slash = fullPath.find_last_of('\\');
    if (slash == std::string_view::npos || slash + 1 == fullPath.size()) {
        return {};
    }
    return std::string(fullPath.substr(0, slash + 1)) + "~tolvane-" +
           HexDigits(processId, 1, HexLetters::Lower) + "-" +
           HexDigits(attempt, 1, HexLetters::Lower) + ".tmp";
}

} // namespace tolvane
