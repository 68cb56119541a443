#include "log/text_file_writer_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "log/text_file_paths.h"
#include "platform/win32_util.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;
using Names = std::vector<std::wstring>;

constexpr bool kModes[] = {true, false};

class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::wstring& folder) {
        wchar_t previous[MAX_PATH];
        previous_.assign(previous, GetCurrentDirectoryW(MAX_PATH, previous));
        SetCurrentDirectoryW(folder.c_str());
    }
    ~ScopedCurrentFolder() { SetCurrentDirectoryW(previous_.c_str()); }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::wstring previous_;
};

class Win32TextFileWriterTest : public ::testing::Test {
protected:
    TempFolder folder{L"writer"};
    Win32TextFileWriter writer;

    std::string PathOf(const std::wstring& name) const { return win32::Narrow(folder.File(name)); }
    std::string Read(const std::wstring& name) const { return ReadFileBytes(folder.File(name)); }
    // Whatever the folder holds, so a temporary file left behind shows up.
    Names Entries() const {
        Names names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder.Path() + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name != L"." && name != L"..") {
                    names.push_back(name);
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        return names;
    }
};

TEST_F(Win32TextFileWriterTest, ReplaceLeavesExactlyTheTextAndOneLineBreak) {
    const std::string log = "10:00:00  chkdsk C:\r\n - No Errors were found.";
    ASSERT_TRUE(writer.SaveTextToFile(PathOf(L"run.txt"), log, true));
    EXPECT_EQ(Read(L"run.txt"), log + "\r\n");
    // The same log saved again is there once, not twice.
    ASSERT_TRUE(writer.SaveTextToFile(PathOf(L"run.txt"), log, true));
    EXPECT_EQ(Read(L"run.txt"), log + "\r\n");
    // Nothing of a longer old content survives a shorter new one.
    ASSERT_TRUE(writer.SaveTextToFile(PathOf(L"run.txt"), "ok", true));
    EXPECT_EQ(Read(L"run.txt"), "ok\r\n");
    ASSERT_TRUE(writer.SaveTextToFile(PathOf(L"run.txt"), "", true));
    EXPECT_EQ(Read(L"run.txt"), "\r\n");
    EXPECT_EQ(Entries(), Names{L"run.txt"});
}

TEST_F(Win32TextFileWriterTest, AppendCreatesAMissingFileThenAddsAfterTheExistingBytes) {
    ASSERT_TRUE(writer.SaveTextToFile(PathOf(L"run.txt"), "", false));
    EXPECT_EQ(Read(L"run.txt"), "\r\n");

    ASSERT_TRUE(WriteFileBytes(folder.File(L"run.txt"), std::string("\0\xFFno break", 10)));
    ASSERT_TRUE(writer.SaveTextToFile(PathOf(L"run.txt"), "first", false));
    ASSERT_TRUE(writer.SaveTextToFile(PathOf(L"run.txt"), "second", false));
    EXPECT_EQ(Read(L"run.txt"), std::string("\0\xFFno breakfirst\r\nsecond\r\n", 25));
    EXPECT_EQ(Entries(), Names{L"run.txt"});
}

// A folder's read-only attribute stops no file being made in it, on Windows (Explorer keeps it
// as a marker of its own) as in Wine (which does not even keep it), so a read-only file stands
// for a place that cannot be written.
TEST_F(Win32TextFileWriterTest, ReadOnlyFileIsRefusedAndKeptInBothModes) {
    ASSERT_TRUE(WriteFileBytes(folder.File(L"run.txt"), "old log\r\n"));
    ASSERT_TRUE(SetFileAttributesW(folder.File(L"run.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    for (bool overwrite : kModes) {
        EXPECT_FALSE(writer.SaveTextToFile(PathOf(L"run.txt"), "new log", overwrite));
    }
    EXPECT_EQ(Read(L"run.txt"), "old log\r\n");
    EXPECT_TRUE(GetFileAttributesW(folder.File(L"run.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Entries(), Names{L"run.txt"});
}

TEST_F(Win32TextFileWriterTest, FoldersMissingPathsAndInvalidNamesFailAndLeaveNothing) {
    ASSERT_TRUE(CreateDirectoryW(folder.File(L"logs").c_str(), nullptr));
    const std::string paths[] = {
        PathOf(L"logs"),
        PathOf(L"logs\\"),
        PathOf(L"missing\\run.txt"),
        "",
        PathOf(L"run<1>|.txt"),
        PathOf(L"run*.txt"),
        PathOf(L"mis<sing\\run.txt"),
        // A NUL must not cut the name short to "cut.txt".
        PathOf(L"cut.txt") + std::string("\0.bak", 5),
    };
    for (const std::string& path : paths) {
        for (bool overwrite : kModes) {
            EXPECT_FALSE(writer.SaveTextToFile(path, "log", overwrite)) << path << overwrite;
        }
    }
    EXPECT_EQ(Entries(), Names{L"logs"});
    EXPECT_TRUE(GetFileAttributesW(folder.File(L"logs").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(Win32TextFileWriterTest, WriteFailingHalfWayLeavesTheOldFileByteForByte) {
    const std::string old = "old log, complete\r\n";
    const std::string log(100, 'x'); // 102 bytes with the line break
    ASSERT_TRUE(WriteFileBytes(folder.File(L"run.txt"), old));
    for (std::uint64_t after : {0, 1, 50, 101}) {
        Win32TextFileWriter failing({after});
        for (bool overwrite : kModes) {
            EXPECT_FALSE(failing.SaveTextToFile(PathOf(L"run.txt"), log, overwrite))
                << after << overwrite;
            EXPECT_EQ(Read(L"run.txt"), old) << after << overwrite;
            // A file that was not there before is not there after.
            EXPECT_FALSE(failing.SaveTextToFile(PathOf(L"new.txt"), log, overwrite));
        }
    }
    EXPECT_EQ(Entries(), Names{L"run.txt"});

    Win32TextFileWriter roomy({102});
    ASSERT_TRUE(roomy.SaveTextToFile(PathOf(L"run.txt"), log, true));
    EXPECT_EQ(Read(L"run.txt"), log + "\r\n");
}

TEST_F(Win32TextFileWriterTest, TemporaryNameLeftBehindIsSkippedAndKept) {
    const std::wstring leftover =
        win32::Widen(TemporaryPathBeside(PathOf(L"run.txt"), GetCurrentProcessId(), 0));
    ASSERT_TRUE(WriteFileBytes(leftover, "someone else's"));
    ASSERT_TRUE(writer.SaveTextToFile(PathOf(L"run.txt"), "log", true));
    EXPECT_EQ(Read(L"run.txt"), "log\r\n");
    EXPECT_EQ(ReadFileBytes(leftover), "someone else's");
    EXPECT_EQ(Entries().size(), 2u);
}

TEST_F(Win32TextFileWriterTest, TextIsWrittenInTheAnsiCodePageWithoutLookalikes) {
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the expected bytes are those of code page 1252, this system has "
                     << GetACP();
    }
    // e acute and the euro sign exist in 1252; l stroke, a snowman, a fullwidth backslash and
    // a fullwidth quote do not, and an invalid UTF-8 byte is no character at all.
    ASSERT_TRUE(writer.SaveTextToFile(PathOf(L"run.txt"),
                                      "caf\u00e9 \u20ac5 \u0142\u2603\uff3c\uff02 a\xff"
                                      "b",
                                      true));
    EXPECT_EQ(Read(L"run.txt"), "caf\xe9 \x80"
                                "5 ???? a?b\r\n");
}

TEST_F(Win32TextFileWriterTest, RelativePathsResolveAgainstTheCurrentFolder) {
    ASSERT_TRUE(CreateDirectoryW(folder.File(L"sub").c_str(), nullptr));
    {
        ScopedCurrentFolder here(folder.Path());
        EXPECT_TRUE(writer.SaveTextToFile("run.txt", "a", true));
        EXPECT_TRUE(writer.SaveTextToFile("sub\\..\\sub/run.txt", "b", false));
        // The name is Unicode whatever the code page: only the contents are converted.
        EXPECT_TRUE(writer.SaveTextToFile(".\\\u0142\u2603.txt", "c", true));
    }
    EXPECT_EQ(Read(L"run.txt"), "a\r\n");
    EXPECT_EQ(Read(L"sub\\run.txt"), "b\r\n");
    EXPECT_EQ(Read(L"\u0142\u2603.txt"), "c\r\n");
}

TEST_F(Win32TextFileWriterTest, PathsLongerThanMaxPath) {
    std::vector<std::wstring> levels{folder.Path()};
    while (levels.back().size() < MAX_PATH) {
        levels.push_back(levels.back() + L"\\" + std::wstring(60, L'd'));
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + levels.back()).c_str(), nullptr));
    }
    const std::wstring target = L"\\\\?\\" + levels.back() + L"\\run.txt";
    EXPECT_TRUE(writer.SaveTextToFile(win32::Narrow(levels.back() + L"\\run.txt"), "a", true));
    EXPECT_TRUE(writer.SaveTextToFile(win32::Narrow(levels.back() + L"\\run.txt"), "b", false));
    EXPECT_EQ(ReadFileBytes(target), "a\r\nb\r\n");

    DeleteFileW(target.c_str());
    while (levels.size() > 1) {
        EXPECT_TRUE(RemoveDirectoryW((L"\\\\?\\" + levels.back()).c_str()));
        levels.pop_back();
    }
}

} // namespace
} // namespace tolvane
