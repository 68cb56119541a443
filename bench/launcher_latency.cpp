// Prints how long window messages, posted every 7 ms by another thread, wait to be handled while
// the launcher waits for a two-second run of the stand-in chkdsk.
#include <algorithm>
#include <cstdio>
#include <thread>

#include "scan/process_host_win32.h"
#include "win32_test_support.h"

namespace {

const auto origin = std::chrono::steady_clock::now();
std::vector<double> latencies;

LPARAM Microseconds() { // since the program began, so that it fits a 32-bit LPARAM too
    return static_cast<LPARAM>((std::chrono::steady_clock::now() - origin) /
                               std::chrono::microseconds(1));
}

LRESULT CALLBACK RecordLatency(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) {
        latencies.push_back(static_cast<double>(Microseconds() - lParam) / 1000.0);
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

} // namespace

int wmain() {
    using namespace tolvane;
    const testing::StandInJournal slowTool(L"0", L"2000");
    const WNDCLASSW windowClass{0,       RecordLatency, 0,       0,       nullptr,
                                nullptr, nullptr,       nullptr, nullptr, L"TolvaneLatencyProbe"};
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
    std::jthread poster([&](const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(7));
            PostMessageW(window, WM_APP, 0, Microseconds());
        }
    });
    Win32ProcessHost host;
    std::string message;
    const bool ran = RunProcessAndWait(host, "chkdsk Q:", 1, message, 60000);
    poster.request_stop();
    poster.join();
    if (!ran || latencies.empty()) {
        std::fprintf(stderr, "no run, or no message handled: %s\n", message.c_str());
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("%zu messages during a run: latency median %.2f ms, 99th percentile %.2f ms\n",
                latencies.size(), latencies[latencies.size() / 2],
                latencies[latencies.size() * 99 / 100]);
    return 0;
}
