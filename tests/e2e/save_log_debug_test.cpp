// Auto-save through the real save dialog, then a Debug Mode run whose batch file answers for
// chkdsk, closed during its second pass: the file on disk holds what the window's log shows.
#include <gtest/gtest.h>
#include <windows.h>

#include <dlgs.h>

#include "e2e_support.h"

namespace {

using namespace tolvane::e2e;
using W = tolvane::WidgetId;

// A tester's edit of the batch file: a pass of about two seconds that answers 3.
constexpr char kSlowBatchFile[] = "@ping -n 3 127.0.0.1 >nul\r\n@exit 3\r\n";

TEST(EndToEnd, ADebugModeRunClosedDuringAPassSavesTheWindowsLogAndEnds) {
    TempFolder folder;
    ASSERT_TRUE(WriteBytes(folder / L"errorlevel_check.bat", kSlowBatchFile));
    StandInJournal journal;
    // No drive here is the operating system's, so the guard stays out of the way.
    const Undo homeDrive = SetVariable(L"HOMEDRIVE", L"Q:");
    Child program(CopyProgramInto(folder));
    HWND window = program.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr);

    // Auto-save: the advice, then the dialog proposing its name (in the Explorer-style dialog's
    // combo box, or the classic dialog's edit). Typed without an extension, the name gets the
    // default one.
    PostMessageW(Control(window, W::AutoSaveCheck), BM_CLICK, 0, 0);
    ASSERT_TRUE(Answer(program.WaitForMessageBox()));
    HWND dialog = program.WaitForWindow(L"Save Chkdsk Log as:");
    HWND combo = FindWindowExW(GetDlgItem(dialog, cmb13), nullptr, L"ComboBox", nullptr);
    HWND fileName = combo != nullptr ? FindWindowExW(combo, nullptr, L"Edit", nullptr)
                                     : GetDlgItem(dialog, edt1);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(fileName) == "chkdsk_log.txt"; }));
    SendBriefly(fileName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((folder / L"run log").c_str()));
    ASSERT_TRUE(Answer(dialog));
    const fs::path logFile = folder / L"run log.txt";

    // Debug Mode from the Options menu, with the edited batch file already there.
    ASSERT_TRUE(PressAltAnd(window, 'O', 'D'));
    ASSERT_TRUE(Answer(program.WaitForMessageBox()));

    // Two passes at most on drive T:; each pass first shows the command it stands in for, once
    // it is logged and saved.
    SendBriefly(Control(window, W::LimitRescans), BM_CLICK);
    ASSERT_TRUE(ChooseListItem(Control(window, W::RescanNumber), L"2"));
    ASSERT_TRUE(ChooseListItem(Control(window, W::Drive1), L"t:"));
    PostMessageW(Control(window, W::Command1), BM_CLICK, 0, 0);
    ASSERT_TRUE(Answer(program.WaitForMessageBox()));
    HWND box = program.WaitForMessageBox();
    ASSERT_EQ(MessageText(box), "chkdsk T: /X") << "no second pass";
    const std::string log = TextOf(Control(window, W::ErrorDescText));
    EXPECT_EQ(ReadBytes(logFile), log + "\r\n");

    // Closed while the second pass runs: the caption says what the window waits for; then the
    // pass ends, is logged and saved, and the program ends by itself.
    ASSERT_TRUE(Answer(box));
    PostMessageW(window, WM_CLOSE, 0, 0);
    const std::string closing = Narrow(kMainCaption) + " - closing when this pass ends";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(window) == closing; }, std::chrono::seconds(1)));
    EXPECT_EQ(program.WaitForExit(10000), 0u);
    const std::string saved = ReadBytes(logFile);
    EXPECT_TRUE(saved.starts_with(log) && saved.find("Errorlevel:  3", log.size()) != log.npos)
        << saved;
    EXPECT_EQ(journal.Text(), "") << "chkdsk ran instead of the batch file";
}

} // namespace
