#include "about/shell_opener_win32.h"
#include "platform/system_services_win32.h"
#include "scan/process_host_win32.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "win32_test_support.h"

namespace tolvane {
namespace {

using namespace testing;

// The stand-in, not a builtin, runs and journals the command line as composed. 259 is an exit
// code like any other, not a reason to wait on, and no wait is shorter than one cycle. Wine has a
// shutdown.exe of its own; the prefix must run the stand-in instead, or a test of the end of a run
// would end the Wine session. A missing program is told in the system's words.
TEST(Win32Launcher, StandInsBatchFilesAndDetachedStartsRunTheirOutcomesComeBackWindowStaysLive) {
    StandInJournal journal(L"0 1 3 259 0xFFFFFFFF 0x80000000");
    Win32ProcessHost host;
    std::string message = "untouched";
    std::string lines;
    for (const std::int32_t code : {0, 1, 3, 259, -1, INT32_MIN}) {
        const DWORD start = GetTickCount();
        EXPECT_TRUE(RunProcessAndWait(host, "chkdsk Q: /X", 1, message, 5000));
        EXPECT_EQ(LastExitCode, code);
        EXPECT_LT(GetTickCount() - start, 3000u) << code;
        EXPECT_GE(GetTickCount() - start, 95u) << code;
        lines += "chkdsk Q: /X\r\n";
    }
    EXPECT_EQ(message, "untouched");
    ASSERT_TRUE(host.StartDetached("shutdown -s -t 3", kWindowMinimizedFocus, message)) << message;
    EXPECT_TRUE(journal.WaitForText(lines + "shutdown -s -t 3\r\n")) << journal.Text();
    EXPECT_FALSE(host.StartDetached("nosuchtool_tolvane", kWindowHidden, message));
    EXPECT_EQ(message, win32::ErrorText(ERROR_FILE_NOT_FOUND));
    // A process that ends at once tells when, close to now; the clock writes a moment as now.
    const auto now = [] {
        FILETIME moment{};
        GetSystemTimeAsFileTime(&moment);
        return (SystemTime{moment.dwHighDateTime} << 32) | moment.dwLowDateTime;
    };
    const std::unique_ptr<StartedProcess> started = host.Start("chkdsk Q:", kWindowHidden, message);
    const std::unique_ptr<WatchedProcess> watched = started ? started->Open() : nullptr;
    ASSERT_TRUE(watched && WaitUntil([&] { return watched->HasEnded(); })) << message;
    const SystemTime ended = watched->ExitTime().value_or(0), checked = now();
    EXPECT_LT(std::max(ended, checked) - std::min(ended, checked), 50'000'000u) << ended;
    Win32Clock clock;
    const std::string before = clock.TimeOfDayText(), at = clock.TimeOfDayTextAt(now());
    EXPECT_TRUE(at == before || at == clock.TimeOfDayText()) << at << " " << before;
    EXPECT_NE(clock.TimeOfDayTextAt(now() - 36'000'000'000u), before) << "an hour ago";
    TempFolder folder; // a batch file in a folder with blanks runs through the interpreter
    ASSERT_TRUE(WriteBytes(folder / L"check.bat", "@echo off\r\nexit 3\r\n"));
    const std::string batch = Narrow((folder / L"check.bat").wstring());
    EXPECT_TRUE(RunProcessAndWait(host, batch, 1, message, kScanTimeoutMs));
    EXPECT_EQ(LastExitCode, 3);
    EXPECT_TRUE(Win32ShellOpener().Open("\"" + batch + "\"")) << "the shell takes it whole too";
    // Messages posted during a wait are handled as they arrive, not at the next poll 100 ms later.
    const std::vector<double> waited =
        MessageLatenciesDuringARun(L"800", std::chrono::milliseconds(130));
    ASSERT_FALSE(waited.empty());
    EXPECT_LT(*std::max_element(waited.begin(), waited.end()), 50.0);
}

// Under the console host (tolvane.exe itself) a pass gives its command's own code and what its
// console showed, and a command that cannot start fails its start as before. A host ended before
// its command (as closing the console window ends it) reads as closed, never as the command's.
TEST(Win32Launcher, TheConsoleHostKeepsTheCommandsCodeAndTextOnlyWhenItSawItsEnd) {
    const StandInJournal journal(L"3", L"1500");
    const Undo printed = SetVariable(L"TOLVANE_STANDIN_LINES", L"Checking Q:|  \u00e9t\u00e9 ok  ");
    Win32ProcessHost host(fs::absolute(_wgetenv(L"TOLVANE_EXE")).wstring());
    std::string error;
    EXPECT_FALSE(host.StartKeepingConsole("nosuchtool_tolvane", kWindowNormalFocus, error));
    EXPECT_EQ(error, win32::ErrorText(ERROR_FILE_NOT_FOUND));
    for (const bool closed : {false, true}) {
        const auto started = host.StartKeepingConsole("chkdsk Q: /F", kWindowNormalFocus, error);
        const auto watched = started ? started->Open() : nullptr;
        ASSERT_TRUE(watched) << error;
        // Shown as asked, with the focus, titled as the command's own console would be.
        const std::wstring title = win32::Widen(win32::SystemFolder() + "\\chkdsk.exe");
        EXPECT_TRUE(WaitUntil([&] {
            HWND console = FindWindowW(nullptr, title.c_str());
            return console && IsWindowVisible(console) && GetForegroundWindow() == console;
        }));
        for (const PROCESSENTRY32W& entry : Processes()) {
            if (closed && entry.th32ParentProcessID == GetCurrentProcessId() &&
                _wcsicmp(entry.szExeFile, L"tolvane.exe") == 0) {
                const win32::ScopedHandle helper(
                    OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
                TerminateProcess(helper.Get(), 0);
            }
        }
        ASSERT_TRUE(WaitUntil([&] { return watched->HasEnded(); }));
        EXPECT_EQ(watched->ExitStatus(), closed ? kConsoleClosedStatus : 3u);
        const ConsoleText text = watched->Console();
        EXPECT_EQ(text.Kept, !closed) << text.Missing;
        EXPECT_EQ(text.Text, closed ? "" : "Checking Q:\r\n  \xc3\xa9t\xc3\xa9 ok\r\n");
    }
}

// A box that cannot appear, its owner being no window, is never taken for consent.
TEST(Win32MessageBox, ABoxThatFailsToAppearAnswersNoConsent) {
    Win32MessageBox box;
    box.SetOwner(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFFFFF0)));
    EXPECT_EQ(box.Show("?", MessageButtons::OkCancel, MessageIcon::None), MessageAnswer::Cancel);
    EXPECT_EQ(box.Show("?", MessageButtons::YesNo, MessageIcon::Exclamation), MessageAnswer::No);
}

} // namespace
} // namespace tolvane
