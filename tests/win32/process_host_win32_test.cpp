#include "scan/process_host_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "platform/win32_util.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

using testing::ScopedVariable;
using testing::TempFolder;

class Win32LauncherTest : public ::testing::Test {
protected:
    Win32ProcessHost host;
    std::string message = "untouched";
};

TEST_F(Win32LauncherTest, StandInRunsFromTheSystemFolderAndReturnsItsCodes) {
    TempFolder folder(L"launcher-codes");
    const std::wstring journal = folder.File(L"journal.txt");
    ScopedVariable journalVariable(L"TOLVANE_STANDIN_JOURNAL", journal);
    ScopedVariable codes(L"TOLVANE_STANDIN_CODES", L"0 1 3 259 0xFFFFFFFF 0x80000000");
    const std::int32_t expected[] = {0, 1, 3, 259, -1, INT32_MIN};
    for (std::int32_t code : expected) {
        LastExitCode = 12345;
        EXPECT_TRUE(RunProcessAndWait(host, "chkdsk Q: /X", 1, message, kScanTimeoutMs));
        EXPECT_EQ(LastExitCode, code);
        EXPECT_EQ(message, "untouched");
    }
    // The stand-in, not a builtin, ran: it journaled the command line exactly as composed.
    std::string lines;
    for (int i = 0; i < 6; ++i) {
        lines += "chkdsk Q: /X\r\n";
    }
    EXPECT_EQ(testing::ReadFileBytes(journal), lines);
}

TEST_F(Win32LauncherTest, AProcessExitingWith259DoesNotWaitForTheTimeout) {
    ScopedVariable codes(L"TOLVANE_STANDIN_CODES", L"259");
    const DWORD start = GetTickCount();
    EXPECT_TRUE(RunProcessAndWait(host, "chkdsk Q:", 1, message, 5000));
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(LastExitCode, 259);
}

TEST_F(Win32LauncherTest, MissingProgramReportsTheSystemsText) {
    LastExitCode = 42;
    EXPECT_FALSE(RunProcessAndWait(host, "nosuchtool_tolvane C:", 1, message, kScanTimeoutMs));
    EXPECT_EQ(message, win32::ErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(LastExitCode, 42);
}

TEST_F(Win32LauncherTest, TimeoutZeroAndTheMinimumCycle) {
    LastExitCode = 42;
    EXPECT_FALSE(RunProcessAndWait(host, "chkdsk Q:", 1, message, 0));
    EXPECT_EQ(message, "The process has timed out.");
    EXPECT_EQ(LastExitCode, 0);

    ScopedVariable codes(L"TOLVANE_STANDIN_CODES", L"1");
    const DWORD start = GetTickCount();
    EXPECT_TRUE(RunProcessAndWait(host, "chkdsk Q:", 1, message, kScanTimeoutMs));
    EXPECT_GE(GetTickCount() - start, 95u);
}

TEST_F(Win32LauncherTest, BatchFileInAFolderWithSpacesRunsThroughTheInterpreter) {
    TempFolder folder(L"launcher batch");
    const std::wstring batch = folder.File(L"errorlevel_check.bat");
    ASSERT_TRUE(testing::WriteFileBytes(batch, "@echo off\r\nexit 3\r\n"));
    EXPECT_TRUE(RunProcessAndWait(host, win32::Narrow(batch), 1, message, kScanTimeoutMs));
    EXPECT_EQ(LastExitCode, 3);
}

// Wine has a shutdown.exe of its own; the prefix must run the stand-in instead, or a test of the
// end of a run would end the Wine session. Detached starts are not waited for: poll the journal.
TEST_F(Win32LauncherTest, DetachedStartsRunTheStandInsNotWinesBuiltins) {
    TempFolder folder(L"launcher-detached");
    const std::wstring journal = folder.File(L"journal.txt");
    ScopedVariable journalVariable(L"TOLVANE_STANDIN_JOURNAL", journal);
    std::string error;
    ASSERT_TRUE(host.StartDetached("shutdown -s -t 3", kWindowMinimizedFocus, error)) << error;
    std::string lines;
    for (int i = 0; i < 100 && lines.empty(); ++i) {
        Sleep(50);
        lines = testing::ReadFileBytes(journal);
    }
    EXPECT_EQ(lines, "shutdown -s -t 3\r\n");
    ASSERT_TRUE(host.StartDetached("wpeutil shutdown", kWindowMinimizedFocus, error)) << error;
    for (int i = 0; i < 100 && lines.size() <= 18; ++i) {
        Sleep(50);
        lines = testing::ReadFileBytes(journal);
    }
    EXPECT_EQ(lines, "shutdown -s -t 3\r\nwpeutil shutdown\r\n");
    EXPECT_FALSE(host.StartDetached("nosuchtool_tolvane", kWindowHidden, error));
    EXPECT_EQ(error, win32::ErrorText(ERROR_FILE_NOT_FOUND));
}

struct Probe {
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_APP) {
            handledAt = GetTickCount();
            return 0;
        }
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    static inline DWORD handledAt = 0;
};

TEST_F(Win32LauncherTest, MessagesPostedDuringTheWaitAreHandledBeforeItEnds) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Probe::Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TolvaneLauncherProbe";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    Probe::handledAt = 0;

    ScopedVariable delay(L"TOLVANE_STANDIN_DELAY_MS", L"800");
    std::atomic<DWORD> postedAt{0};
    std::thread poster([&] {
        Sleep(300);
        postedAt = GetTickCount();
        PostMessageW(window, WM_APP, 0, 0);
    });
    EXPECT_TRUE(RunProcessAndWait(host, "chkdsk Q:", 1, message, kScanTimeoutMs));
    const DWORD endedAt = GetTickCount();
    poster.join();
    ASSERT_NE(Probe::handledAt, 0u);
    EXPECT_LE(Probe::handledAt, endedAt);
    // Handled as it arrives, not at the next 100 ms poll.
    EXPECT_LT(Probe::handledAt - postedAt, 50u);
    DestroyWindow(window);
}

} // namespace
} // namespace tolvane
