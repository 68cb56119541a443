// Prints how long window messages, posted every 7 ms by another thread, wait to be handled while
// the launcher waits for a two-second run of the stand-in chkdsk; and, given tolvane.exe, what a
// pass's start costs with its console kept by the host and without.
#include <algorithm>
#include <cstdio>

#include "win32_test_support.h"

namespace {

// Medians of 20 runs of a stand-in that exits at once: until the start call returns (the command
// has been created) and until its end is seen. A pass keeping its console starts three seconds
// after the previous one ended, as a real check lasts at least that long: time for the next
// pass's console host to get ready (Wine's console takes about two seconds over its buffer).
std::pair<double, double> MedianStartAndRunMs(tolvane::Win32ProcessHost& host, bool keeping) {
    std::vector<double> startMs, runMs;
    const auto since = [](auto start) {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };
    for (int run = 0; run < 20; ++run) {
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        const auto started =
            keeping ? host.StartKeepingConsole("chkdsk Q:", tolvane::kWindowNormalFocus, error)
                    : host.Start("chkdsk Q:", tolvane::kWindowNormalFocus, error);
        startMs.push_back(since(start));
        const auto watched = started ? started->Open() : nullptr;
        // Waited for as the run waits, pausing at least once, which readies the next pass's
        // console host meanwhile.
        bool ended = false;
        do {
            ended = watched && watched->HasEnded();
            host.Pause(20);
        } while (watched && !ended && since(start) < 10'000);
        if (!ended) {
            return {-1, -1};
        }
        runMs.push_back(since(start));
        if (keeping) {
            Sleep(3000);
        }
    }
    std::sort(startMs.begin(), startMs.end());
    std::sort(runMs.begin(), runMs.end());
    return {startMs[10], runMs[10]};
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<double> waited =
        tolvane::testing::MessageLatenciesDuringARun(L"2000", std::chrono::milliseconds(7));
    if (waited.empty()) {
        std::fputs("no run, or no message handled\n", stderr);
        return 1;
    }
    std::sort(waited.begin(), waited.end());
    std::printf("%zu messages during a run: latency median %.2f ms, 99th percentile %.2f ms\n",
                waited.size(), waited[waited.size() / 2], waited[waited.size() * 99 / 100]);
    if (argc > 1) {
        tolvane::Win32ProcessHost host(argv[1]);
        for (const bool keeping : {false, true}) {
            const auto [startMs, runMs] = MedianStartAndRunMs(host, keeping);
            std::printf("a pass %s, median of 20: started in %.1f ms, seen to end in %.1f ms\n",
                        keeping ? "keeping its console" : "as before", startMs, runMs);
        }
    }
    return 0;
}
