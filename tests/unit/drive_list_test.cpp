#include "app/drive_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace tolvane {
namespace {

TEST(DriveListTest, EntriesAreTheLowerCaseLetterAndTheLabelInBrackets) {
    EXPECT_EQ(DriveListEntry('C', "SYSTEM"), "c: [SYSTEM]");
    EXPECT_EQ(DriveListEntry('d', ""), "d:");
    EXPECT_EQ(DriveListEntry('E', "Daten \xC3\xBC"), "e: [Daten \xC3\xBC]");
}

TEST(DriveListTest, StartsOnTheDriveOfTheFolder) {
    const std::vector<std::string> entries = {"c: [SYSTEM]", "d:", "q: [DATA]"};
    EXPECT_EQ(EntryOfFolderDrive(entries, "Q:\\Tools"), 2u);
    EXPECT_EQ(EntryOfFolderDrive(entries, "d:\\"), 1u);
    EXPECT_EQ(EntryOfFolderDrive(entries, "\\\\server\\share"), 0u);
    EXPECT_EQ(EntryOfFolderDrive(entries, "X:\\gone"), 0u);
    EXPECT_EQ(EntryOfFolderDrive({}, "C:\\"), 0u);
}

} // namespace
} // namespace tolvane
