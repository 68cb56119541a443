#include "about/shell_opener_win32.h"
#include "scan/process_host_win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "win32_test_support.h"

namespace tolvane {
namespace {

using namespace testing;

const auto origin = std::chrono::steady_clock::now();
double longestLatencyMs = -1;

LPARAM Microseconds() { // since the program began, so that it fits a 32-bit LPARAM too
    return static_cast<LPARAM>((std::chrono::steady_clock::now() - origin) /
                               std::chrono::microseconds(1));
}

LRESULT CALLBACK RecordLatency(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) {
        longestLatencyMs =
            std::max(longestLatencyMs, static_cast<double>(Microseconds() - lParam) / 1000.0);
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

// The stand-in, not a builtin, runs and journals the command line as composed. 259 is an exit
// code like any other, not a reason to wait on, and no wait is shorter than one cycle. Wine has a
// shutdown.exe of its own; the prefix must run the stand-in instead, or a test of the end of a run
// would end the Wine session. A missing program is told in the system's words.
TEST(Win32Launcher, StandInsBatchFilesAndDetachedStartsRunAndTheirOutcomesComeBack) {
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
    TempFolder folder; // a batch file in a folder with blanks runs through the interpreter
    ASSERT_TRUE(WriteBytes(folder / L"check.bat", "@echo off\r\nexit 3\r\n"));
    const std::string batch = Narrow((folder / L"check.bat").wstring());
    EXPECT_TRUE(RunProcessAndWait(host, batch, 1, message, kScanTimeoutMs));
    EXPECT_EQ(LastExitCode, 3);
    EXPECT_TRUE(Win32ShellOpener().Open("\"" + batch + "\"")) << "the shell takes it whole too";
}

// While the stand-in runs, another thread posts to a window of this thread every 130 ms: each
// message is handled as it arrives, not at the wait's next poll 100 ms later.
TEST(Win32Launcher, MessagesPostedDuringTheWaitAreHandledAtOnce) {
    StandInJournal slowTool(L"0", L"800");
    const WNDCLASSW windowClass{0,       RecordLatency, 0,       0,       nullptr,
                                nullptr, nullptr,       nullptr, nullptr, L"TolvaneLatencyProbe"};
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
    std::jthread poster([&](const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(130));
            PostMessageW(window, WM_APP, 0, Microseconds());
        }
    });
    Win32ProcessHost host;
    std::string message;
    EXPECT_TRUE(RunProcessAndWait(host, "chkdsk Q:", 1, message, 60000)) << message;
    poster.request_stop();
    poster.join();
    DestroyWindow(window);
    EXPECT_TRUE(longestLatencyMs >= 0 && longestLatencyMs < 50.0) << longestLatencyMs;
}

} // namespace
} // namespace tolvane
