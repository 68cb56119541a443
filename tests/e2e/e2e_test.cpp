// The real tolvane.exe, started as a user starts it and driven from outside through its windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <dbt.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/main_window_widgets.h"
#include "win32_test_support.h"

namespace {

using namespace tolvane::testing;
using W = tolvane::WidgetId;

constexpr wchar_t kMainCaption[] = L"Tolvane   v1.5  -  Chkdsk.exe Wrapper/Enhancer for Windows";

// CTest names the program in Unix form, which Wine reads as a path on the current drive (Z:).
const wchar_t* const programVariable = _wgetenv(L"TOLVANE_EXE");
const std::wstring programPath = programVariable ? fs::absolute(programVariable).wstring() : L"";

HWND Control(HWND window, W id) {
    return GetDlgItem(window, static_cast<int>(id));
}

// Presses the box's button and waits until the box has gone.
bool Answer(HWND box, int buttonId = IDOK) {
    PostMessageW(box, WM_COMMAND, buttonId, reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
    return box != nullptr && WaitUntil([box] { return !IsWindow(box); });
}

// Brings the window to the front and types Alt+key, then the next key.
bool PressAltAnd(HWND window, WORD key, WORD next = 0) {
    SetForegroundWindow(window);
    const WORD order[] = {VK_MENU, key, key, VK_MENU, next, next};
    INPUT keys[6] = {};
    for (int index = 0; index < 6; ++index) {
        keys[index].type = INPUT_KEYBOARD;
        keys[index].ki.wVk = order[index];
        keys[index].ki.dwFlags = index == 2 || index == 3 || index == 5 ? KEYEVENTF_KEYUP : 0;
    }
    const UINT count = next != 0 ? 6 : 4;
    return WaitUntil([window] { return GetForegroundWindow() == window; },
                     std::chrono::seconds(3)) &&
           SendInput(count, keys, sizeof(INPUT)) == count;
}

// Alone in its folder, the program has no help document beside it.
std::wstring CopyProgramInto(const TempFolder& folder) {
    fs::copy_file(programPath, folder / L"tolvane.exe");
    return (folder / L"tolvane.exe").wstring();
}

// Windows 10 reports version 6 (the manifest names Vista and 7 only); the last window ends it.
TEST(EndToEnd, UnderWindows10ItShowsItsWindowHelpAndOneAboutWindowAndEndsWithTheLast) {
    const std::wstring key = L"Software\\Wine\\AppDefaults\\tolvane.exe";
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, L"win10", 12);
    const Undo windows10([&] { RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()); });
    TempFolder folder;
    Child program(CopyProgramInto(folder));
    HWND window = program.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr) << "no window with the exact caption";
    EXPECT_TRUE(IsWindowEnabled(Control(window, W::ScanReEval)));

    ASSERT_TRUE(PressAltAnd(window, 'H'));
    HWND box = program.WaitForWindow();
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)),
              "Help file not found!  Did you really need help with this anyway?");
    HWND icon = nullptr;
    while ((icon = FindWindowExW(box, icon, L"Static", nullptr)) != nullptr &&
           SendBriefly(icon, STM_GETICON) <= 0) {
    }
    EXPECT_NE(icon, nullptr) << "no icon";
    ASSERT_TRUE(Answer(box));

    ASSERT_TRUE(PressAltAnd(window, 'A'));
    HWND about = program.WaitForWindow(L"About Tolvane");
    ASSERT_NE(about, nullptr) << "Alt+A opened no About window";
    ASSERT_TRUE(PressAltAnd(window, 'A'));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == about; }));
    EXPECT_EQ(TopLevelWindows(program.Id(), L"About Tolvane"), std::vector<HWND>{about});

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(1000), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_FALSE(IsWindow(window));
    PostMessageW(about, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(10000), 0u);
}

TEST(EndToEnd, OutsideTheNtFamilyItRefusesWithoutAWindowAndExitsWithOne) {
    const Undo os = SetVariable(L"OS", L"Windows_95");
    Child program(programPath);
    HWND box = program.WaitForWindow();
    EXPECT_TRUE(TopLevelWindows(program.Id(), kMainCaption).empty());
    ASSERT_TRUE(Answer(box));
    EXPECT_EQ(program.WaitForExit(10000), 1u);
}

// A letter defined through the object manager shows at once (a dosdevices link, next session).
TEST(EndToEnd, TheDriveListsFollowADiskPluggedInWhileItRuns) {
    Child program(programPath);
    HWND window = program.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr);
    const auto listsU = [list = Control(window, W::Drive2)] {
        return SendBriefly(list, CB_FINDSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(L"u:")) >= 0;
    };
    ASSERT_FALSE(listsU()) << "U: is taken already";
    TempFolder disk;
    ASSERT_TRUE(DefineDosDeviceW(0, L"U:", disk.Path().c_str()));
    const Undo unplug([] { DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"U:", nullptr); });
    SendBriefly(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL);
    EXPECT_TRUE(WaitUntil(listsU, std::chrono::seconds(3)));
}

// Auto-save through the real save dialog, then a Debug Mode run of a tester's batch file (about
// two seconds, answering 3) closed during its second pass: the file holds the window's log, and
// the reports file beside it both passes' reports.
TEST(EndToEnd, ADebugModeRunClosedDuringAPassSavesTheWindowsLogAndEnds) {
    TempFolder folder;
    ASSERT_TRUE(WriteBytes(folder / L"errorlevel_check.bat",
                           "@echo Pass done\r\n@ping -n 3 127.0.0.1 >nul\r\n@exit 3\r\n"));
    StandInJournal journal;
    // No drive here is the operating system's, so the guard stays out of the way.
    const Undo homeDrive = SetVariable(L"HOMEDRIVE", L"Q:");
    Child program(CopyProgramInto(folder));
    HWND window = program.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr);

    // The advice, then the dialog proposing its name (Explorer-style or classic); typed without
    // an extension, the name gets the default one.
    PostMessageW(Control(window, W::AutoSaveCheck), BM_CLICK, 0, 0);
    ASSERT_TRUE(Answer(program.WaitForWindow()));
    HWND dialog = program.WaitForWindow(L"Save Chkdsk Log as:");
    HWND combo = FindWindowExW(GetDlgItem(dialog, cmb13), nullptr, L"ComboBox", nullptr);
    HWND fileName = combo != nullptr ? FindWindowExW(combo, nullptr, L"Edit", nullptr)
                                     : GetDlgItem(dialog, edt1);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(fileName) == "chkdsk_log.txt"; }));
    SendBriefly(fileName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((folder / L"run log").c_str()));
    ASSERT_TRUE(Answer(dialog));

    // Debug Mode, with the batch file already there.
    ASSERT_TRUE(PressAltAnd(window, 'O', 'D') && Answer(program.WaitForWindow()));

    // Two passes at most on T:; each, once logged and saved, shows the command it stands in for.
    SendBriefly(Control(window, W::LimitRescans), BM_CLICK);
    ASSERT_TRUE(ChooseListItem(Control(window, W::RescanNumber), L"2"));
    ASSERT_TRUE(ChooseListItem(Control(window, W::Drive1), L"t:"));
    PostMessageW(Control(window, W::Command1), BM_CLICK, 0, 0);
    ASSERT_TRUE(Answer(program.WaitForWindow()));
    HWND box = program.WaitForWindow();
    ASSERT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), "chkdsk T: /X") << "no second pass";
    const std::string log = TextOf(Control(window, W::ErrorDescText));
    EXPECT_EQ(ReadBytes(folder / L"run log.txt"), log + "\r\n");
    // Beside it, each pass's report: its header, then what the batch file's console showed.
    const std::string pass = "Errorlevel:  3\r\nPass done\r\n\r\n";
    EXPECT_NE(ReadBytes(folder / L"run log.reports.txt").find(pass), std::string::npos);

    // Closed during the second pass: the caption says so; the pass is logged, saved, and it ends.
    ASSERT_TRUE(Answer(box));
    PostMessageW(window, WM_CLOSE, 0, 0);
    const std::string closing = Narrow(kMainCaption) + " - closing when this pass ends";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(window) == closing; }, std::chrono::seconds(1)));
    EXPECT_EQ(program.WaitForExit(10000), 0u);
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<PROCESSENTRY32W> all = Processes();
        return std::none_of(all.begin(), all.end(), [&](const auto& process) {
            return process.th32ParentProcessID == program.Id();
        });
    })) << "a console host outlived the program";
    const std::string saved = ReadBytes(folder / L"run log.txt");
    EXPECT_TRUE(saved.starts_with(log) && saved.find("Errorlevel:  3", log.size()) != log.npos)
        << saved;
    const std::string reports = ReadBytes(folder / L"run log.reports.txt");
    EXPECT_NE(reports.find(pass), reports.rfind(pass)) << "one report of two: " << reports;
    EXPECT_EQ(journal.Text(), "") << "chkdsk ran instead of the batch file";
}

// Closing a pass's console ends the check unseen: Wine then reports 0 for the processes in it,
// which must never read as "No Errors". Save Log then writes the reports beside its new file.
TEST(EndToEnd, AClosedConsoleNeverReadsAsNoErrorsAndSaveLogWritesTheReportsBesideItsFile) {
    TempFolder folder;
    const fs::path started = folder / L"started";
    ASSERT_TRUE(WriteBytes(folder / L"errorlevel_check.bat",
                           "@echo Working\r\n@echo.>\"" + started.string() +
                               "\"\r\n@ping -n 30 127.0.0.1 >nul\r\n@exit 0\r\n"));
    const Undo homeDrive = SetVariable(L"HOMEDRIVE", L"Q:");
    Child program(CopyProgramInto(folder));
    HWND window = program.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PressAltAnd(window, 'O', 'D') && Answer(program.WaitForWindow()));
    SendBriefly(Control(window, W::NoRescan), BM_CLICK);
    ASSERT_TRUE(ChooseListItem(Control(window, W::Drive1), L"t:"));
    PostMessageW(Control(window, W::Command1), BM_CLICK, 0, 0);
    ASSERT_TRUE(Answer(program.WaitForWindow()));
    // The console's owner is the program's own child that runs the batch file (another one,
    // ready for the next pass, waits beside it); ending it ends the console and the check.
    HANDLE host = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<PROCESSENTRY32W> all = Processes();
        for (const PROCESSENTRY32W& helper : all) {
            const bool running = std::any_of(all.begin(), all.end(), [&](const auto& process) {
                return process.th32ParentProcessID == helper.th32ProcessID;
            });
            if (helper.th32ParentProcessID == program.Id() && running && host == nullptr &&
                _wcsicmp(helper.szExeFile, L"tolvane.exe") == 0) {
                host = OpenProcess(PROCESS_TERMINATE, FALSE, helper.th32ProcessID);
            }
        }
        return host != nullptr;
    }));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(started); }, std::chrono::seconds(10)));
    TerminateProcess(host, 0);
    CloseHandle(host);
    HWND box = program.WaitForWindow();
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), "Process Finished, Exit Code:  -1073741510");
    const std::string log = TextOf(Control(window, W::ErrorDescText));
    EXPECT_NE(log.find("Errorlevel:  -1073741510 - Unknown Error."), std::string::npos) << log;
    EXPECT_EQ(log.find("No Errors"), std::string::npos) << log;
    ASSERT_TRUE(Answer(box));

    PostMessageW(Control(window, W::SaveLog), BM_CLICK, 0, 0);
    HWND dialog = program.WaitForWindow(L"Save Chkdsk Log as:");
    HWND combo = FindWindowExW(GetDlgItem(dialog, cmb13), nullptr, L"ComboBox", nullptr);
    HWND fileName = combo != nullptr ? FindWindowExW(combo, nullptr, L"Edit", nullptr)
                                     : GetDlgItem(dialog, edt1);
    SendBriefly(fileName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((folder / L"saved").c_str()));
    ASSERT_TRUE(Answer(dialog));
    // Just after it appears, the file may still be held by the move that put it in place, which
    // turns away for a moment a reader that does not share deletion: read until it opens.
    std::string reports;
    EXPECT_TRUE(
        WaitUntil([&] { return !(reports = ReadBytes(folder / L"saved.reports.txt")).empty(); }));
    EXPECT_EQ(reports.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(reports.find("Errorlevel:  -1073741510\r\nNo report: the console window was closed"),
              std::string::npos);
}

} // namespace
