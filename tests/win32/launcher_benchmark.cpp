// Timing probe of the launcher's wait: while a child runs two seconds, another thread posts a
// message to a window every 7 ms and the window records how long each one waited; then the
// waiting process's CPU time over wall time in a wait with nothing posted. Judges nothing.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "scan/process_host_win32.h"
#include "win32_test_support.h"

namespace {

const auto origin = std::chrono::steady_clock::now();
std::vector<double> latencies;

double Ms() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - origin)
        .count();
}

LRESULT CALLBACK RecordLatency(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) {
        latencies.push_back(Ms() - static_cast<double>(lParam) / 1000.0);
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

double CpuMs() {
    FILETIME times[4];
    GetProcessTimes(GetCurrentProcess(), &times[0], &times[1], &times[2], &times[3]);
    double ticks = 0; // kernel and user time, in 100 ns
    for (const FILETIME& time : {times[2], times[3]}) {
        ticks += time.dwLowDateTime + time.dwHighDateTime * 0x1p32;
    }
    return ticks / 10000.0;
}

} // namespace

int main() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RecordLatency;
    windowClass.lpszClassName = L"TolvaneLatencyProbe";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
    tolvane::testing::StandInJournal slowTool(L"0", L"2000");
    tolvane::Win32ProcessHost host;
    std::string message;
    std::atomic<bool> done{false};
    std::thread poster([&] {
        while (!done) {
            Sleep(7);
            PostMessageW(window, WM_APP, 0, static_cast<LPARAM>(Ms() * 1000.0));
        }
    });
    bool ok = tolvane::RunProcessAndWait(host, "chkdsk Q:", 1, message, 60000);
    done = true;
    poster.join();
    const double wallStart = Ms();
    const double cpuStart = CpuMs();
    ok = ok && tolvane::RunProcessAndWait(host, "chkdsk Q:", 1, message, 60000);
    if (!ok || latencies.empty()) {
        std::printf("launcher benchmark: the wait failed: %s\n", message.c_str());
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("launcher benchmark: %zu messages during a 2 s child: latency median %.2f ms, "
                "99th percentile %.2f ms; idle wait: CPU %.1f ms of %.0f ms wall\n",
                latencies.size(), latencies[latencies.size() / 2],
                latencies[latencies.size() * 99 / 100], CpuMs() - cpuStart, Ms() - wallStart);
}
