#include "about/shell_opener_win32.h"
#include "scan/process_host_win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "win32_test_support.h"

namespace tolvane {
namespace {

using namespace testing;

const auto origin = std::chrono::steady_clock::now();
std::vector<double> latencies;

LONGLONG Microseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 origin)
        .count();
}

LRESULT CALLBACK RecordLatency(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) {
        latencies.push_back(static_cast<double>(Microseconds() - lParam) / 1000.0);
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

// While the stand-in runs this long, another thread posts a message to a window of this thread
// every period; prints how long they waited to be handled and gives the longest wait, in ms.
double LongestLatencyDuringARun(const wchar_t* runMs, std::chrono::milliseconds period) {
    StandInJournal slowTool(L"0", runMs);
    const WNDCLASSW windowClass{0,       RecordLatency, 0,       0,       nullptr,
                                nullptr, nullptr,       nullptr, nullptr, L"TolvaneLatencyProbe"};
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
    latencies.clear();
    std::jthread poster([&](const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            std::this_thread::sleep_for(period);
            PostMessageW(window, WM_APP, 0, static_cast<LPARAM>(Microseconds()));
        }
    });
    Win32ProcessHost host;
    std::string message;
    EXPECT_TRUE(RunProcessAndWait(host, "chkdsk Q:", 1, message, 60000)) << message;
    poster.request_stop();
    poster.join();
    DestroyWindow(window);
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty()) {
        return 1e9;
    }
    std::printf("%zu messages during a run: latency median %.2f ms, 99th percentile %.2f ms\n",
                latencies.size(), latencies[latencies.size() / 2],
                latencies[latencies.size() * 99 / 100]);
    return latencies.back();
}

// The stand-in, not a builtin, runs and journals the command line as composed. 259 is an exit
// code like any other, not a reason to wait on, and no wait is shorter than one cycle.
TEST(Win32Launcher, ToolsFromTheSystemFolderAndBatchFilesRunAndTheirExitCodesComeBack) {
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
    EXPECT_EQ(journal.Text(), lines);
    TempFolder folder; // a batch file in a folder with blanks runs through the interpreter
    ASSERT_TRUE(WriteBytes(folder / L"check.bat", "@echo off\r\nexit 3\r\n"));
    const std::string batch = Narrow((folder / L"check.bat").wstring());
    EXPECT_TRUE(RunProcessAndWait(host, batch, 1, message, kScanTimeoutMs));
    EXPECT_EQ(LastExitCode, 3);
    EXPECT_TRUE(Win32ShellOpener().Open("\"" + batch + "\"")) << "the shell takes it whole too";
}

// Wine has a shutdown.exe of its own; the prefix must run the stand-in instead, or a test of the
// end of a run would end the Wine session. A missing program is told in the system's words.
TEST(Win32Launcher, DetachedStartsRunTheStandInsAndMissingProgramsAreReported) {
    StandInJournal journal;
    Win32ProcessHost host;
    std::string error;
    ASSERT_TRUE(host.StartDetached("shutdown -s -t 3", kWindowMinimizedFocus, error)) << error;
    EXPECT_EQ(journal.WaitForLines(1), "shutdown -s -t 3\r\n");
    ASSERT_TRUE(host.StartDetached("wpeutil shutdown", kWindowMinimizedFocus, error)) << error;
    EXPECT_EQ(journal.WaitForLines(2), "shutdown -s -t 3\r\nwpeutil shutdown\r\n");
    EXPECT_FALSE(host.StartDetached("nosuchtool_tolvane", kWindowHidden, error));
    EXPECT_EQ(error, win32::ErrorText(ERROR_FILE_NOT_FOUND));
    LastExitCode = 42;
    std::string message;
    EXPECT_FALSE(RunProcessAndWait(host, "nosuchtool_tolvane C:", 1, message, kScanTimeoutMs));
    EXPECT_EQ(message, error);
    EXPECT_EQ(LastExitCode, 42);
}

// Handled as they arrive, not at the wait's next poll 100 ms later.
TEST(Win32Launcher, MessagesPostedDuringTheWaitAreHandledAtOnce) {
    EXPECT_LT(LongestLatencyDuringARun(L"800", std::chrono::milliseconds(130)), 50.0);
}

// Not a pass-or-fail test: how long messages posted every 7 ms wait during a two-second child.
TEST(LauncherBenchmark, MessageLatencyDuringAWait) {
    LongestLatencyDuringARun(L"2000", std::chrono::milliseconds(7));
}

} // namespace
} // namespace tolvane
