#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class DriveQuery;

// The drives a drive list offers, and the one it starts on.
struct DriveChoices {
    std::vector<std::string> Entries;
    std::size_t Current{};
};

// A drive list's entry: the lower-case letter and a colon, then the volume label in brackets
// where there is one ("c: [SYSTEM]", "d:").
std::string DriveListEntry(char letter, std::string_view label);

// The entry of the drive that holds folder ("D:\Work" picks the "d:" entry); the first entry
// when the folder has no drive letter (a network path) or its drive is not listed.
std::size_t EntryOfFolderDrive(const std::vector<std::string>& entries, std::string_view folder);

// The drives present, each with its volume label (none asked of a network drive, which may be
// unreachable and would hold the program up), starting on the drive of the current folder.
DriveChoices ListDrives(DriveQuery& drives);

} // namespace tolvane
