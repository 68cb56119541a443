#include "platform/command_resolution.h"

#include "platform/text.h"

namespace tolvane {
namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string_view Unquote(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

bool HasPath(std::string_view token) {
    return token.find_first_of("\\/:") != std::string_view::npos;
}

} // namespace

ResolvedCommand ResolveCommand(std::string_view commandLine, std::string_view systemFolder) {
    const std::string_view whole = Trim(commandLine);

    // A batch file path may hold blanks and is never followed by arguments here.
    const std::string_view batch = Unquote(whole);
    if (HasPath(batch) &&
        (EndsWithIgnoringAsciiCase(batch, ".bat") || EndsWithIgnoringAsciiCase(batch, ".cmd"))) {
        return {InFolder(systemFolder, "cmd.exe"), "cmd.exe /c \"\"" + std::string(batch) + "\"\""};
    }

    std::string_view program;
    if (!whole.empty() && whole.front() == '"') {
        const auto close = whole.find('"', 1);
        program =
            whole.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    } else {
        program = whole.substr(0, whole.find_first_of(" \t"));
    }

    if (HasPath(program)) {
        return {std::string(program), std::string(commandLine)};
    }
    std::string file(program);
    if (file.find('.') == std::string::npos) {
        file += ".exe";
    }
    return {InFolder(systemFolder, file), std::string(commandLine)};
}

} // namespace tolvane
