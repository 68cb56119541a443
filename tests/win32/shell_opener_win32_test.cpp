#include "about/shell_opener_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "win32_test_support.h"

namespace tolvane {
namespace {

using namespace testing;

// A test-only file type opened by the stand-in tool, which journals the command line the shell
// gives it. Wine reads associations from HKEY_CLASSES_ROOT itself, not from the user's classes.
TEST(Win32ShellOpener, AQuotedPathInAFolderWithBlanksReachesItsApplicationWhole) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring handler = L"\"" + std::wstring(system) + L"\\chkdsk.exe\" ";
    const std::wstring command = handler + L"\"%1\"";
    constexpr wchar_t kDocumentClass[] = L"Tolvane.TestDocument";
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".tolvanetest", nullptr, REG_SZ, kDocumentClass,
                    sizeof(kDocumentClass));
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"Tolvane.TestDocument\\shell\\open\\command", nullptr,
                    REG_SZ, command.c_str(), static_cast<DWORD>((command.size() + 1) * 2));
    TempFolder folder;
    const fs::path document = folder / L"Tolvane Help.tolvanetest";
    ASSERT_TRUE(WriteBytes(document, "{\\rtf1 }"));
    StandInJournal journal;

    EXPECT_TRUE(Win32ShellOpener().Open(Narrow(L"\"" + document.wstring() + L"\"")));
    EXPECT_EQ(journal.WaitForLines(1), Narrow(handler + L"\"" + document.wstring() + L"\"\r\n"));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".tolvanetest");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Tolvane.TestDocument");
}

} // namespace
} // namespace tolvane
