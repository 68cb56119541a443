#include "app/drive_list.h"

namespace tolvane {
namespace {

char LowerAscii(char letter) {
    return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
}

} // namespace

std::string DriveListEntry(char letter, std::string_view label) {
    std::string entry{LowerAscii(letter), ':'};
    if (!label.empty()) {
        entry += " [";
        entry += label;
        entry += ']';
    }
    return entry;
}

std::size_t EntryOfFolderDrive(const std::vector<std::string>& entries, std::string_view folder) {
    if (folder.size() < 2 || folder[1] != ':') {
        return 0;
    }
    const char letter = LowerAscii(folder[0]);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (entries[index].size() >= 2 && entries[index][0] == letter && entries[index][1] == ':') {
            return index;
        }
    }
    return 0;
}

} // namespace tolvane
