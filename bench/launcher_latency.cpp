// Prints how long window messages, posted every 7 ms by another thread, wait to be handled while
// the launcher waits for a two-second run of the stand-in chkdsk.
#include <algorithm>
#include <cstdio>

#include "win32_test_support.h"

int wmain() {
    std::vector<double> waited =
        tolvane::testing::MessageLatenciesDuringARun(L"2000", std::chrono::milliseconds(7));
    if (waited.empty()) {
        std::fputs("no run, or no message handled\n", stderr);
        return 1;
    }
    std::sort(waited.begin(), waited.end());
    std::printf("%zu messages during a run: latency median %.2f ms, 99th percentile %.2f ms\n",
                waited.size(), waited[waited.size() / 2], waited[waited.size() * 99 / 100]);
    return 0;
}
