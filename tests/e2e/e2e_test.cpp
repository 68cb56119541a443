// End-to-end tests: the real tolvane.exe, started as a user starts it, watched and driven from
// outside through its windows only.
#include <gtest/gtest.h>
#include <windows.h>

#include <dbt.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "e2e_support.h"

namespace {

using namespace tolvane::e2e;
using W = tolvane::WidgetId;

// The manifest names Vista and 7 only, so Windows 10 reports version 6 to the program and /B
// stays available. Alone in its folder, the program has no help document beside it. It ends
// when the last of its windows has closed, whichever closes last.
TEST(EndToEnd, UnderWindows10ItShowsItsWindowHelpAndOneAboutWindowAndEndsWithTheLast) {
    const Undo windows10 = ReportWindowsVersion(L"tolvane.exe", L"win10");
    TempFolder folder;
    Child program(CopyProgramInto(folder));
    HWND window = program.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr) << "no window with the exact caption";
    EXPECT_TRUE(IsWindowEnabled(Control(window, W::ScanReEval)));

    ASSERT_TRUE(PressAltAnd(window, 'H'));
    HWND box = program.WaitForMessageBox();
    EXPECT_EQ(MessageText(box), "Help file not found!  Did you really need help with this anyway?");
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
    HWND box = program.WaitForMessageBox();
    EXPECT_TRUE(TopLevelWindows(program.Id(), kMainCaption).empty());
    ASSERT_TRUE(Answer(box));
    EXPECT_EQ(program.WaitForExit(10000), 1u);
}

// Wine's drive list follows a letter defined through the object manager at once; a new link in
// the prefix's dosdevices folder shows only in the next Wine session.
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
    const Undo unplug([&] {
        DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, L"U:",
                         disk.Path().c_str());
    });
    SendBriefly(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL);
    EXPECT_TRUE(WaitUntil(listsU, std::chrono::seconds(3)));
}

// Not a pass-or-fail test: prints the median time from start to visible window of the program
// and of a bare window program, started in turns, and their ratio.
TEST(StartupTiming, ProgramAgainstAMinimalWindowProgram) {
    std::vector<double> times[2];
    for (int round = 0; round < 5; ++round) {
        for (const int which : {0, 1}) {
            const auto begin = std::chrono::steady_clock::now();
            Child child(which == 0 ? minimalWindowPath : programPath);
            HWND window = child.WaitForWindow(which == 0 ? L"Minimal window" : kMainCaption);
            ASSERT_NE(window, nullptr);
            times[which].push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                    .count());
            PostMessageW(window, WM_CLOSE, 0, 0);
            child.WaitForExit(10000);
        }
    }
    for (std::vector<double>& series : times) {
        std::sort(series.begin(), series.end());
    }
    std::printf("Start to visible window, median of 5: minimal window program %.1f ms, "
                "tolvane.exe %.1f ms, ratio %.2f\n",
                times[0][2], times[1][2], times[1][2] / times[0][2]);
}

} // namespace
