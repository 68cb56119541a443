// Prints the median time from start to visible window of tolvane.exe and of a bare window
// program, started in turns, and their ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "win32_test_support.h"

int wmain(int argc, wchar_t** argv) {
    using namespace tolvane::testing;
    if (argc != 3) {
        std::fputs("usage: tolvane_startup_timing TOLVANE_EXE MINIMAL_WINDOW_EXE\n", stderr);
        return 2;
    }
    const std::wstring programs[] = {fs::absolute(argv[2]).wstring(),
                                     fs::absolute(argv[1]).wstring()};
    const std::wstring captions[] = {L"Minimal window",
                                     L"Tolvane   v1.5  -  Chkdsk.exe Wrapper/Enhancer for Windows"};
    std::vector<double> times[2];
    for (int round = 0; round < 5; ++round) {
        for (const int which : {0, 1}) {
            const auto begin = std::chrono::steady_clock::now();
            Child child(programs[which]);
            HWND window = child.WaitForWindow(captions[which]);
            if (window == nullptr) {
                std::fputs("no window appeared\n", stderr);
                return 1;
            }
            times[which].push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                    .count());
            PostMessageW(window, WM_CLOSE, 0, 0);
            child.WaitForExit(10000);
        }
    }
    std::sort(times[0].begin(), times[0].end());
    std::sort(times[1].begin(), times[1].end());
    std::printf("Start to visible window, median of 5: minimal window program %.1f ms, "
                "tolvane.exe %.1f ms, ratio %.2f\n",
                times[0][2], times[1][2], times[1][2] / times[0][2]);
    return 0;
}
