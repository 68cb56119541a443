#include "scan/process_host_win32.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/win32_util.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

using namespace testing;

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

    // A batch file in a folder with blanks runs through the interpreter.
    TempFolder folder;
    ASSERT_TRUE(WriteBytes(folder / L"check.bat", "@echo off\r\nexit 3\r\n"));
    EXPECT_TRUE(RunProcessAndWait(host, Narrow((folder / L"check.bat").wstring()), 1, message,
                                  kScanTimeoutMs));
    EXPECT_EQ(LastExitCode, 3);
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
    StandInJournal slowTool(L"0", L"800");
    Win32ProcessHost host;
    std::string message;
    const std::vector<double> latencies = MessageLatencies(
        [&] { EXPECT_TRUE(RunProcessAndWait(host, "chkdsk Q:", 1, message, kScanTimeoutMs)); },
        std::chrono::milliseconds(130));
    ASSERT_FALSE(latencies.empty());
    EXPECT_LT(latencies.back(), 50.0);
}

// Not a pass-or-fail test: while a child runs two seconds, a message is posted every 7 ms; prints
// how long they waited to be handled.
TEST(LauncherBenchmark, MessageLatencyDuringAWait) {
    StandInJournal slowTool(L"0", L"2000");
    Win32ProcessHost host;
    std::string message;
    const std::vector<double> latencies = MessageLatencies(
        [&] { ASSERT_TRUE(RunProcessAndWait(host, "chkdsk Q:", 1, message, 60000)) << message; },
        std::chrono::milliseconds(7));
    ASSERT_FALSE(latencies.empty());
    std::printf("launcher benchmark: %zu messages during a 2 s child: latency median %.2f ms, "
                "99th percentile %.2f ms\n",
                latencies.size(), latencies[latencies.size() / 2],
                latencies[latencies.size() * 99 / 100]);
}

} // namespace
} // namespace tolvane
