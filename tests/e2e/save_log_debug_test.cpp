// Auto-save through the real save dialog, then a Debug Mode run whose batch file answers for
// chkdsk: the file on disk must end up holding exactly what the window's log shows.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

using namespace tolvane::e2e;

constexpr wchar_t kSaveDialogTitle[] = L"Save Chkdsk Log as:";
constexpr wchar_t kAutoSaveIntro[] =
    L"   Select a file name and location.\r\nAuto-save will occur after each entry.";
constexpr wchar_t kDebugModeEnabled[] =
    L"                     You've enabled Debug Mode!\r\n"
    L"Uses errorlevel_check.bat in the app.path and a msgbox\r\n"
    L"      to test exit code handling and application flow.";
constexpr wchar_t kLimitCaption[] = L"Limit to:        scans,             then fail";
// A tester's edit of the batch file: it answers 3 without asking.
constexpr char kEditedBatchFile[] = "@exit 3\r\n";
constexpr char kPassEnd[] =
    "Errorlevel:  3 - Could not check the disk, or errors could not be fixed.\r\n\r\n";
constexpr char kLimitEntry[] = "A preset [2] scan limit was reached for drive [T:]\r\n"
                               "Rescanning for this drive is cancelled.\r\n\r\n";

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The file name box of the save dialog: the edit inside the Explorer-style dialog's combo box
// (cmb13), or the classic dialog's edit (edt1).
HWND FileNameEdit(HWND dialog) {
    HWND comboEx = GetDlgItem(dialog, cmb13);
    if (comboEx != nullptr) {
        HWND combo = FindWindowExW(comboEx, nullptr, L"ComboBox", nullptr);
        HWND edit = FindWindowExW(combo != nullptr ? combo : comboEx, nullptr, L"Edit", nullptr);
        if (edit != nullptr) {
            return edit;
        }
    }
    return GetDlgItem(dialog, edt1);
}

TEST(EndToEnd, AutoSavedLogOfADebugModeRunWithLimitedRescansEqualsTheWindowsLog) {
    TempFolder folder;
    const std::wstring program = CopyProgramInto(folder);
    ASSERT_FALSE(program.empty());
    const std::wstring batchFile = folder / L"errorlevel_check.bat";
    ASSERT_TRUE(WriteFileBytes(batchFile, kEditedBatchFile));
    const std::wstring journal = folder / L"journal.txt";
    ScopedVariable journalVariable(L"TOLVANE_STANDIN_JOURNAL", journal);
    // No drive here is the operating system's, so the guard stays out of the way.
    ScopedVariable homeDrive(L"HOMEDRIVE", L"Q:");

    Child tolvane(program);
    ASSERT_TRUE(tolvane.Started()) << "CreateProcess failed with error " << tolvane.StartError();
    HWND window = tolvane.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr);

    // Auto-save on: the advice, then the save dialog, proposing its name in the program's folder.
    HWND autoSave = FindControl(window, L"Button", L"Auto Save Log File");
    ASSERT_NE(autoSave, nullptr);
    PostMessageW(autoSave, BM_CLICK, 0, 0);
    HWND box = tolvane.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    MessageBoxView shown = ReadMessageBox(box);
    EXPECT_EQ(shown.Text, kAutoSaveIntro);
    EXPECT_EQ(shown.Buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(shown.Icon, nullptr);
    ASSERT_TRUE(Answer(box, IDOK));

    HWND dialog = tolvane.WaitForWindow(kSaveDialogTitle);
    ASSERT_NE(dialog, nullptr) << "no save dialog";
    HWND fileName = FileNameEdit(dialog);
    ASSERT_NE(fileName, nullptr) << "no file name box in the save dialog";
    EXPECT_TRUE(
        WaitUntil([&] { return TextOf(fileName) == L"chkdsk_log.txt"; }, std::chrono::seconds(3)))
        << "proposed name: " << ToAnsi(TextOf(fileName));
    const std::wstring initialFolder =
        AskForText(tolvane.Process(), dialog, CDM_GETFOLDERPATH, kRemoteTextChars);
    EXPECT_TRUE(SameFolder(initialFolder, folder.Path())) << ToAnsi(initialFolder);
    // Typed without an extension: the dialog adds the default one.
    SendBriefly(fileName, WM_SETTEXT, 0,
                reinterpret_cast<LPARAM>((folder / L"run log of t").c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitUntil([dialog] { return !IsWindow(dialog); })) << "the dialog stayed open";
    const std::wstring logFile = folder / L"run log of t.txt";
    // The empty log is written at once, right after the dialog has gone.
    EXPECT_TRUE(
        WaitUntil([&] { return ReadFileBytes(logFile) == "\r\n"; }, std::chrono::seconds(5)))
        << ReadFileBytes(logFile);
    EXPECT_EQ(SendBriefly(autoSave, BM_GETCHECK), BST_CHECKED);

    // Debug Mode from the Options menu, with the edited batch file already there.
    ASSERT_TRUE(PressAltAnd(window, 'O', {'D'}));
    box = tolvane.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "Alt+O, D showed no message";
    shown = ReadMessageBox(box);
    EXPECT_EQ(shown.Text, kDebugModeEnabled);
    EXPECT_EQ(shown.Buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(shown.Icon, nullptr);
    ASSERT_TRUE(Answer(box, IDOK));
    HWND start = FindControl(window, L"Button", L"DEBUG MODE - START");
    ASSERT_NE(start, nullptr) << "the Start button does not show Debug Mode";
    EXPECT_EQ(ReadFileBytes(batchFile), kEditedBatchFile);

    // Two passes at most on drive T:.
    HWND limit = FindControl(window, L"Button", kLimitCaption);
    ASSERT_NE(limit, nullptr);
    SendBriefly(limit, BM_CLICK);
    EXPECT_EQ(SendBriefly(limit, BM_GETCHECK), BST_CHECKED);
    const std::vector<HWND> rescanNumber = ControlsInFrame(window, L"Rescan:", L"ComboBox");
    ASSERT_EQ(rescanNumber.size(), 1u);
    ASSERT_TRUE(ChooseListItem(rescanNumber[0], L"2"));
    const std::vector<HWND> drive1 = ControlsInFrame(window, L"Chkdsk Behavior:", L"ComboBox");
    ASSERT_EQ(drive1.size(), 1u);
    ASSERT_TRUE(ChooseListItem(drive1[0], L"t:"));

    // Each pass shows the command it stands in for; the batch file exits with 3 each time.
    PostMessageW(start, BM_CLICK, 0, 0);
    for (int pass = 1; pass <= 2; ++pass) {
        box = tolvane.WaitForMessageBox();
        ASSERT_NE(box, nullptr) << "no Debug Mode message before pass " << pass;
        shown = ReadMessageBox(box);
        EXPECT_EQ(shown.Text, L"chkdsk T: /X") << "pass " << pass;
        EXPECT_EQ(shown.Buttons, std::vector<std::wstring>{L"OK"});
        ASSERT_TRUE(Answer(box, IDOK));
    }
    box = tolvane.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "the run did not finish";
    shown = ReadMessageBox(box);
    EXPECT_EQ(shown.Text, L"Process Finished, Exit Code:  3");
    EXPECT_EQ(shown.Buttons, std::vector<std::wstring>{L"OK"});

    // The log: two passes of the composed command, both read as exit code 3, then the limit.
    const std::vector<HWND> logBox = ControlsInFrame(window, L"Last Chkdsk Results:", L"Edit");
    ASSERT_EQ(logBox.size(), 1u);
    const std::string log = ToAnsi(TextOf(logBox[0]));
    EXPECT_EQ(log.rfind("Command:  chkdsk T: /X\r\nStarted:  ", 0), 0u) << log;
    EXPECT_EQ(Occurrences(log, "Command:  chkdsk T: /X\r\nStarted:  "), 2u) << log;
    EXPECT_EQ(Occurrences(log, "  /  Completed:  "), 2u) << log;
    EXPECT_EQ(Occurrences(log, kPassEnd), 2u) << log;
    EXPECT_EQ(Occurrences(log, "Command:  "), 2u) << log;
    ASSERT_GE(log.size(), sizeof(kLimitEntry) - 1);
    EXPECT_EQ(log.substr(log.size() - (sizeof(kLimitEntry) - 1)), kLimitEntry) << log;
    // The file holds the whole log and one CR LF more.
    EXPECT_EQ(ReadFileBytes(logFile), log + "\r\n");
    // The batch file ran instead of chkdsk every time.
    EXPECT_EQ(GetFileAttributesW(journal.c_str()), INVALID_FILE_ATTRIBUTES)
        << ReadFileBytes(journal);
    HWND statusBar = FindControl(window, L"msctls_statusbar32", nullptr);
    EXPECT_EQ(AskForText(tolvane.Process(), statusBar, SB_GETTEXTW, 0), L"Command:  Not Active");
    EXPECT_EQ(AskForText(tolvane.Process(), statusBar, SB_GETTEXTW, 1), L"In Progress:  No");

    ASSERT_TRUE(Answer(box, IDOK));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(tolvane.WaitForExit(10000), 0u);
}

} // namespace
