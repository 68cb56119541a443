#include "sysinfo/drive_query_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <iostream>

#include "platform/win32_util.h"
#include "sysinfo/drive_information.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

// Changes the current directory and puts it back.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::wstring& path) {
        wchar_t previous[MAX_PATH];
        previous_.assign(previous, GetCurrentDirectoryW(MAX_PATH, previous));
        changed_ = SetCurrentDirectoryW(path.c_str()) != 0;
    }
    ~ScopedCurrentDirectory() { SetCurrentDirectoryW(previous_.c_str()); }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;
    bool Changed() const { return changed_; }

private:
    std::wstring previous_;
    bool changed_ = false;
};

// A drive letter that names nothing, from the end of the alphabet.
std::string UnusedDriveLetter() {
    const DWORD used = GetLogicalDrives();
    for (int letter = 'Y'; letter > 'C'; --letter) {
        if ((used & (1u << (letter - 'A'))) == 0) {
            return std::string(1, static_cast<char>(letter)) + ":\\";
        }
    }
    return {};
}

TEST(Win32DriveQuery, DrivesOfThePrefixAreFixedAndTheirCountsAgree) {
    Win32DriveQuery query;
    for (const std::string root : {"C:\\", "Z:\\"}) {
        SCOPED_TRACE(root);
        EXPECT_EQ(query.DriveType(root), DRIVE_FIXED);

        const std::optional<VolumeDetails> volume = query.VolumeInformation(root);
        ASSERT_TRUE(volume.has_value());
        // The buffers come back whole: NUL-terminated text and the filler after it.
        EXPECT_EQ(volume->FileSystemBuffer.size(), MAX_PATH + 1u);
        EXPECT_NE(volume->FileSystemBuffer.find('\0'), std::string::npos);
        EXPECT_EQ(TrimAtNull(volume->FileSystemBuffer), "NTFS");
        EXPECT_GT(volume->MaxComponentLength, 0);

        const std::optional<DiskSpace> space = query.FreeSpaceEx(root);
        ASSERT_TRUE(space.has_value());
        EXPECT_GT(space->Total, 0u);
        EXPECT_LE(space->TotalFree, space->Total);
        EXPECT_LE(space->AvailableToCaller, space->TotalFree);

        // The cluster query describes the same volume; its total is exact when it fits 32-bit
        // cluster counts, which a test machine's disk does.
        const std::optional<ClusterCounts> clusters = query.FreeSpaceClusters(root);
        ASSERT_TRUE(clusters.has_value());
        const std::uint64_t clusterBytes =
            std::uint64_t{clusters->SectorsPerCluster} * clusters->BytesPerSector;
        EXPECT_GT(clusterBytes, 0u);
        EXPECT_EQ(clusterBytes * clusters->TotalClusters, space->Total);

        std::cout << "[ drive ] " << root << " type " << query.DriveType(root) << ", \""
                  << TrimAtNull(volume->FileSystemBuffer) << "\", label \""
                  << TrimAtNull(volume->LabelBuffer) << "\", serial " << volume->Serial
                  << ", flags 0x" << std::hex << volume->FlagBits << std::dec << ", total "
                  << space->Total << ", free " << space->TotalFree << ", cluster " << clusterBytes
                  << "\n";
    }
}

TEST(Win32DriveQuery, DriveInfoOnTheRealBackend) {
    Win32DriveQuery query;
    ScopedCurrentDirectory inWindows(L"C:\\windows\\system32");
    ASSERT_TRUE(inWindows.Changed());
    CDriveInfo info(query);
    EXPECT_EQ(info.Drive(), "C:\\");
    EXPECT_TRUE(info.Present());
    EXPECT_EQ(info.DriveTypeEx(), "Fixed");
    EXPECT_EQ(info.FileSystem(), "NTFS");
    EXPECT_EQ(info.TotalSpace(), query.FreeSpaceEx("C:\\")->Total);

    info.SetDrive("z: [root]");
    EXPECT_EQ(info.Drive(), "Z:\\");
    EXPECT_TRUE(info.Present());
    EXPECT_EQ(info.TotalSpace(), query.FreeSpaceEx("Z:\\")->Total);
    EXPECT_LE(info.AvailableSpace(), info.TotalSpace());
}

TEST(Win32DriveQuery, ALetterWithoutATarget) {
    const std::string root = UnusedDriveLetter();
    ASSERT_FALSE(root.empty());
    Win32DriveQuery query;
    EXPECT_EQ(query.DriveType(root), DRIVE_NO_ROOT_DIR);
    EXPECT_FALSE(query.FreeSpaceEx(root).has_value());
    EXPECT_FALSE(query.FreeSpaceClusters(root).has_value());
    EXPECT_FALSE(query.VolumeInformation(root).has_value());
    EXPECT_FALSE(query.ChangeVolumeLabel(root, "X"));

    ScopedCurrentDirectory inWindows(L"C:\\windows");
    CDriveInfo info(query);
    info.SetDrive(root.substr(0, 2));
    EXPECT_FALSE(info.Present());
    EXPECT_EQ(info.TotalSpace(), 0u);
    EXPECT_EQ(info.DriveTypeEx(), "No Root Directory");
    EXPECT_EQ(info.FileSystem(), "NTFS"); // kept from C:
}

// Only on T:, a folder of the tests' private prefix: Wine keeps a label that it cannot write to
// a device in a file at the drive's root, which on C: or Z: would touch the prefix's system
// drive or the host's root folder. Wine writes that file at once but goes on answering the label
// its mount manager read first, until the Wine session ends; Windows answers the new label.
TEST(Win32DriveQuery, LabelIsSetAndRemovedOnThePrivateDrive) {
    Win32DriveQuery query;
    ASSERT_EQ(query.DriveType("T:\\"), DRIVE_FIXED) << "the prefix's T: drive is missing";
    const wchar_t* const labelFile = L"T:\\.windows-label";
    ScopedCurrentDirectory inWindows(L"C:\\windows");
    CDriveInfo info(query);
    info.SetDrive("t:");
    const std::string before = info.Label();

    EXPECT_TRUE(query.ChangeVolumeLabel("T:\\", "TOLVTEST"));
    info.SetLabel("TOLVTEST");
    const bool wine = GetFileAttributesW(labelFile) != INVALID_FILE_ATTRIBUTES;
    if (wine) {
        EXPECT_EQ(testing::ReadFileBytes(labelFile), "TOLVTEST\n");
        EXPECT_EQ(info.Label(), before);
    } else {
        EXPECT_EQ(info.Label(), "TOLVTEST");
    }

    // No label: an empty name, not a null one, goes to the system.
    EXPECT_TRUE(query.ChangeVolumeLabel("T:\\", std::nullopt));
    info.SetLabel("");
    EXPECT_EQ(GetFileAttributesW(labelFile), INVALID_FILE_ATTRIBUTES);
    if (!wine) {
        EXPECT_EQ(info.Label(), "");
    }
    std::cout << "[ label ] T: label file " << (wine ? "written and removed" : "not used")
              << ", label read back \"" << info.Label() << "\"\n";
}

TEST(Win32DriveQuery, FunctionAvailable) {
    Win32DriveQuery query;
    EXPECT_TRUE(
        query.FunctionAvailable(std::string(kSpaceExLibrary), std::string(kSpaceExFunction)));
    EXPECT_TRUE(query.FunctionAvailable("kernel32.dll", "GetDiskFreeSpaceExA"));
    EXPECT_FALSE(query.FunctionAvailable("kernel32", "TolvaneNoSuchExport"));
    EXPECT_FALSE(query.FunctionAvailable("tolvane_no_such_library", "GetDiskFreeSpaceExW"));

    // A library loaded only to look is unloaded again.
    ASSERT_EQ(GetModuleHandleW(L"mpr.dll"), nullptr) << "the test needs a library not yet loaded";
    EXPECT_TRUE(query.FunctionAvailable("mpr", "WNetGetConnectionW"));
    EXPECT_EQ(GetModuleHandleW(L"mpr.dll"), nullptr);
    EXPECT_FALSE(query.FunctionAvailable("mpr", "TolvaneNoSuchExport"));
    EXPECT_EQ(GetModuleHandleW(L"mpr.dll"), nullptr);
}

TEST(Win32DriveQuery, CurrentDirectoryWithCharactersBeyondAnsi) {
    testing::TempFolder folder(L"drive-\u00e9\u4e2d");
    ScopedCurrentDirectory inFolder(folder.Path());
    ASSERT_TRUE(inFolder.Changed());
    Win32DriveQuery query;
    const std::string current = query.CurrentDirectory();
    EXPECT_NE(current.find("drive-\xC3\xA9\xE4\xB8\xAD-"), std::string::npos) << current;
    EXPECT_EQ(CDriveInfo(query).Drive(), current.substr(0, 3));
}

TEST(Win32DriveQuery, SeparatorsOfTheUserLocale) {
    Win32DriveQuery query;
    const NumberSeparators separators = query.Separators();
    EXPECT_FALSE(separators.Decimal.empty());
    EXPECT_NE(separators.Decimal, separators.Thousands);
    std::cout << "[ locale ] thousands \"" << separators.Thousands << "\", decimal \""
              << separators.Decimal << "\"\n";
    ScopedCurrentDirectory inWindows(L"C:\\windows");
    CDriveInfo info(query);
    EXPECT_EQ(info.FormatSize(1536, true),
              "1" + separators.Decimal + "50 KB (1" + separators.Thousands + "536 bytes)");
}

} // namespace
} // namespace tolvane
