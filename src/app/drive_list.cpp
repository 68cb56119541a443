#include "app/drive_list.h"

#include "sysinfo/drive_information.h"

namespace tolvane {
namespace {

char LowerAscii(char letter) {
    return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
}

std::string VolumeLabel(DriveQuery& drives, const std::string& root) {
    if (drives.DriveType(root) == kRemoteDriveType) {
        return {};
    }
    const std::optional<VolumeDetails> volume = drives.VolumeInformation(root);
    return volume ? TrimAtNull(volume->LabelBuffer) : std::string();
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

DriveChoices ListDrives(DriveQuery& drives) {
    DriveChoices choices;
    for (const std::string& root : drives.LogicalDriveRoots()) {
        const auto letter = static_cast<unsigned char>(root.empty() ? 0 : root[0]);
        if (root.size() < 2 || root[1] != ':' || letter == 0 || letter > 0x7F) {
            continue;
        }
        choices.Entries.push_back(DriveListEntry(root[0], VolumeLabel(drives, root)));
    }
    choices.Current = EntryOfFolderDrive(choices.Entries, drives.CurrentDirectory());
    return choices;
}

} // namespace tolvane
