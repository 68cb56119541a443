#include "log/text_file_writer_win32.h"

#include <gtest/gtest.h>

#include "log/text_file_paths.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

using namespace testing;

class Win32TextFileWriterTest : public ::testing::Test {
protected:
    std::string PathOf(const std::wstring& name) const { return Narrow((folder / name).wstring()); }
    std::string Read(const wchar_t* name = L"run.txt") const { return ReadBytes(folder / name); }
    bool Save(const std::string& text, bool overwrite, const std::wstring& name = L"run.txt") {
        return writer.SaveTextToFile(PathOf(name), text, overwrite);
    }
    size_t Entries() const { // all the folder holds, so a temporary file left behind shows up
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder.Path()), {}));
    }

    TempFolder folder;
    Win32TextFileWriter writer;
};

TEST_F(Win32TextFileWriterTest, ReplacingLeavesTheTextAndOneLineBreakAppendingAddsToTheBytes) {
    // A reader sharing reading and writing, not deleting, stops any move over the file.
    const win32::ScopedHandle reader(CreateFileW((folder / L"run.txt").c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                 OPEN_ALWAYS, 0, nullptr));
    for (const std::string text :
         {"12:00:00  chkdsk C:\r\n - done.", "12:00:00  chkdsk C:\r\n - done.", "ok", ""}) {
        ASSERT_TRUE(Save(text, true));
        EXPECT_EQ(Read(), text + "\r\n");
    }
    ASSERT_TRUE(Save("", false, L"new.txt"));
    EXPECT_EQ(Read(L"new.txt"), "\r\n");
    ASSERT_TRUE(WriteBytes(folder / L"run.txt", std::string("\0\xFFno break", 10)));
    ASSERT_TRUE(Save("first", false) && Save("second", false));
    EXPECT_EQ(Read(), std::string("\0\xFFno breakfirst\r\nsecond\r\n", 25));
    EXPECT_EQ(Entries(), 2u);
}

// A folder's read-only attribute stops no file being made in it, on Windows as in Wine, so a
// read-only file stands for a place that cannot be written. A NUL must not cut a name short.
TEST_F(Win32TextFileWriterTest, WhatCannotBeWrittenIsRefusedAndLeftAsItWas) {
    ASSERT_TRUE(WriteBytes(folder / L"run.txt", "old log\r\n"));
    fs::permissions(folder / L"run.txt", fs::perms::owner_write, fs::perm_options::remove);
    fs::create_directory(folder / L"logs");
    for (const std::string& path :
         {PathOf(L"run.txt"), PathOf(L"logs"), PathOf(L"logs\\"), PathOf(L"missing\\run.txt"),
          std::string(), PathOf(L"run<1>|.txt"), PathOf(L"run*.txt"), PathOf(L"mis<sing\\a.txt"),
          PathOf(L"cut.txt") + std::string("\0.bak", 5)}) {
        std::string reasons[2];
        EXPECT_FALSE(writer.SaveTextToFile(path, "new log", true, &reasons[0])) << path;
        EXPECT_FALSE(writer.SaveTextToFile(path, "new log", false, &reasons[1])) << path;
        EXPECT_TRUE(!reasons[0].empty() && !reasons[1].empty()) << path;
    }
    EXPECT_EQ(Read(), "old log\r\n");
    EXPECT_EQ(Entries(), 2u);
    fs::permissions(folder / L"run.txt", fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(Win32TextFileWriterTest, AWriteFailingHalfWayLeavesTheOldFileAndTheTemporaryFileIsOurs) {
    const std::string log(100, 'x'); // 102 bytes with the line break
    ASSERT_TRUE(WriteBytes(folder / L"run.txt", "old log\r\n"));
    for (const std::uint64_t after : {0, 1, 50, 101}) {
        for (const bool overwrite : {true, false}) {
            Win32TextFileWriter failing({after});
            std::string reason;
            EXPECT_FALSE(failing.SaveTextToFile(PathOf(L"run.txt"), log, overwrite, &reason));
            EXPECT_EQ(reason, win32::ErrorText(ERROR_DISK_FULL)) << after;
            EXPECT_FALSE(failing.SaveTextToFile(PathOf(L"new.txt"), log, overwrite)) << after;
            EXPECT_EQ(Read(), "old log\r\n") << after << overwrite;
        }
    }
    EXPECT_EQ(Entries(), 1u);
    ASSERT_TRUE(Win32TextFileWriter({102}).SaveTextToFile(PathOf(L"run.txt"), log, true));
    EXPECT_EQ(Read(), log + "\r\n");
    const fs::path taken = // a temporary name taken by another file is skipped, that file kept
        win32::Widen(TemporaryPathBeside(PathOf(L"run.txt"), GetCurrentProcessId(), 0));
    ASSERT_TRUE(WriteBytes(taken, "someone else's"));
    ASSERT_TRUE(Save("log", true));
    EXPECT_EQ(Read() + ReadBytes(taken), "log\r\nsomeone else's");
    EXPECT_EQ(Entries(), 2u);
}

// e acute and the euro sign are in code page 1252; l stroke, a snowman, a fullwidth backslash
// and quote are not, and an invalid UTF-8 byte is no character at all. Names stay Unicode.
TEST_F(Win32TextFileWriterTest, TextGoesInTheAnsiCodePageWithoutLookalikesNamesInUnicode) {
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the expected bytes are those of code page 1252, not " << GetACP();
    }
    ASSERT_TRUE(
        Save("caf\u00e9 \u20ac5 \u0142\u2603\uff3c\uff02 a\xff!", true, L"\u0142\u2603.txt"));
    EXPECT_EQ(Read(L"\u0142\u2603.txt"), "caf\xe9 \x80"
                                         "5 ???? a?!\r\n");
    // A log grown by an entry, then one edited before its end: each file holds its whole text.
    const std::pair<std::string, std::string> saves[] = {{"caf\u00e9.", "caf\xe9.\r\n"},
                                                         {"caf\u00e9.\r\n\u20ac1",
                                                          "caf\xe9.\r\n\x80"
                                                          "1\r\n"},
                                                         {"cafe.\r\n\u20ac1", "cafe.\r\n\x80"
                                                                              "1\r\n"}};
    for (const auto& [log, bytes] : saves) {
        ASSERT_TRUE(Save(log, true));
        EXPECT_EQ(Read(), bytes);
    }
}

TEST_F(Win32TextFileWriterTest, RelativeAndOverlongPathsReachTheirFiles) {
    fs::create_directory(folder / L"sub");
    const fs::path previous = fs::current_path();
    fs::current_path(folder.Path());
    EXPECT_TRUE(writer.SaveTextToFile("run.txt", "a", true) &&
                writer.SaveTextToFile("sub\\..\\sub/run.txt", "b", false));
    fs::current_path(previous);
    EXPECT_EQ(Read() + Read(L"sub\\run.txt"), "a\r\nb\r\n");
    fs::path deep = folder.Path();
    while (deep.wstring().size() < MAX_PATH) {
        deep /= std::wstring(60, L'd');
    }
    ASSERT_TRUE(fs::create_directories(L"\\\\?\\" + deep.wstring()));
    const std::string target = Narrow((deep / L"run.txt").wstring());
    EXPECT_TRUE(writer.SaveTextToFile(target, "a", true) &&
                writer.SaveTextToFile(target, "b", false));
    EXPECT_EQ(ReadBytes(L"\\\\?\\" + (deep / L"run.txt").wstring()), "a\r\nb\r\n");
}

} // namespace
} // namespace tolvane
