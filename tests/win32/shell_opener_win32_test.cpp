#include "about/shell_opener_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "about/help.h"
#include "platform/win32_util.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

using testing::ScopedVariable;
using testing::TempFolder;

constexpr const wchar_t* kExtension = L".tolvanetest";
constexpr const wchar_t* kDocumentClass = L"Tolvane.TestDocument";

// Associates a test-only file type with the stand-in tool (installed in the prefix's system
// folder), which journals the command line the shell gives it. Wine reads associations from
// HKEY_CLASSES_ROOT itself, not from the user's classes.
class TestAssociation {
public:
    TestAssociation() {
        Remove();
        wchar_t system[MAX_PATH];
        GetSystemDirectoryW(system, MAX_PATH);
        command_ = L"\"" + std::wstring(system) + L"\\chkdsk.exe\" \"%1\"";
        SetDefault(kExtension, kDocumentClass);
        SetDefault((std::wstring(kDocumentClass) + L"\\shell\\open\\command").c_str(),
                   command_.c_str());
    }
    ~TestAssociation() { Remove(); }
    TestAssociation(const TestAssociation&) = delete;
    TestAssociation& operator=(const TestAssociation&) = delete;
    // The handler's command line for a document.
    std::wstring CommandFor(const std::wstring& path) const {
        return command_.substr(0, command_.find(L"%1")) + path + L"\"";
    }

private:
    static void SetDefault(const wchar_t* key, const wchar_t* value) {
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                            nullptr) == ERROR_SUCCESS) {
            RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
            RegCloseKey(handle);
        }
    }
    static void Remove() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kExtension);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kDocumentClass);
    }
    std::wstring command_;
};

// The handler runs on its own: wait until its journal has a line.
std::string WaitForJournal(const std::wstring& path) {
    for (int i = 0; i < 100; ++i) {
        const std::string text = testing::ReadFileBytes(path);
        if (text.find('\n') != std::string::npos) {
            return text;
        }
        Sleep(100);
    }
    return {};
}

class RecordingMessageBox : public MessageBoxService {
public:
    std::vector<std::string> Texts;
    MessageAnswer Show(std::string_view text, MessageButtons, MessageIcon icon) override {
        Texts.emplace_back(text);
        EXPECT_EQ(icon, MessageIcon::Exclamation);
        return MessageAnswer::Ok;
    }
};

TEST(Win32ShellOpener, AQuotedPathInAFolderWithBlanksReachesItsApplicationWhole) {
    TestAssociation association;
    TempFolder folder(L"shell open");
    const std::wstring document = folder.File(L"Tolvane Help.tolvanetest");
    ASSERT_TRUE(testing::WriteFileBytes(document, "{\\rtf1 }"));
    const std::wstring journal = folder.File(L"journal.txt");
    ScopedVariable journalVariable(L"TOLVANE_STANDIN_JOURNAL", journal);

    Win32ShellOpener shell;
    EXPECT_TRUE(shell.Open(win32::Narrow(L"\"" + document + L"\"")));
    EXPECT_EQ(WaitForJournal(journal), win32::Narrow(association.CommandFor(document)) + "\r\n");
}

TEST(Win32ShellOpener, HelpWithoutItsDocumentShowsTheMessage) {
    TempFolder folder(L"help missing");
    Win32ShellOpener shell;
    RecordingMessageBox messages;
    EXPECT_FALSE(OpenHelpDocument(win32::Narrow(folder.Path()), shell, messages));
    EXPECT_EQ(messages.Texts, std::vector<std::string>{std::string(kHelpNotFoundMessage)});
}

} // namespace
} // namespace tolvane
