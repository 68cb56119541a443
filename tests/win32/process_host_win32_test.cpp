#include "scan/process_host_win32.h"

#include <gtest/gtest.h>

#include <thread>

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

DWORD handledAt = 0;

LRESULT CALLBACK RecordArrival(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    handledAt = msg == WM_APP ? GetTickCount() : handledAt;
    return DefWindowProcW(window, msg, wParam, lParam);
}

// Handled as it arrives, not at the wait's next poll 100 ms later.
TEST(Win32Launcher, AMessagePostedDuringTheWaitIsHandledAtOnce) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RecordArrival;
    windowClass.lpszClassName = L"TolvaneLauncherProbe";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
    StandInJournal slowTool(L"0", L"800");
    DWORD postedAt = 0;
    std::thread poster([&] {
        Sleep(300);
        postedAt = GetTickCount();
        PostMessageW(window, WM_APP, 0, 0);
    });
    Win32ProcessHost host;
    std::string message;
    EXPECT_TRUE(RunProcessAndWait(host, "chkdsk Q:", 1, message, kScanTimeoutMs));
    poster.join();
    EXPECT_LT(handledAt - postedAt, 50u);
    DestroyWindow(window);
}

} // namespace
} // namespace tolvane
