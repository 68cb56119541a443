// Timing probe of the launcher: while a child runs two seconds, another thread posts a message to
// a window every 7 ms; the window records how long each one waited to be handled. Also reports
// the waiting process's CPU time over wall time in a second wait with nothing posted. Prints
// figures; judges nothing.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "scan/process_host_win32.h"
#include "win32_test_support.h"

namespace {

LARGE_INTEGER frequency;
std::vector<double> latencies;

double NowMs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) {
        const double sentAt = static_cast<double>(lParam) / 1000.0;
        latencies.push_back(NowMs() - sentAt);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

double CpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

} // namespace

int main() {
    QueryPerformanceFrequency(&frequency);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TolvaneLatencyProbe";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);

    tolvane::testing::ScopedVariable delay(L"TOLVANE_STANDIN_DELAY_MS", L"2000");
    tolvane::Win32ProcessHost host;
    std::atomic<bool> done{false};
    std::thread poster([&] {
        while (!done) {
            Sleep(7);
            PostMessageW(window, WM_APP, 0, static_cast<LPARAM>(NowMs() * 1000.0));
        }
    });

    std::string message;
    bool ok = tolvane::RunProcessAndWait(host, "chkdsk Q:", 1, message, 60000);
    done = true;
    poster.join();

    // A second wait with nothing posted: what the waiting process alone costs.
    const double wallStart = NowMs();
    const double cpuStart = CpuMs();
    ok = ok && tolvane::RunProcessAndWait(host, "chkdsk Q:", 1, message, 60000);
    const double wall = NowMs() - wallStart;
    const double cpu = CpuMs() - cpuStart;
    if (!ok || latencies.empty()) {
        std::printf("launcher benchmark: the wait failed: %s\n", message.c_str());
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies[latencies.size() / 2];
    const double p99 = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
    std::printf("launcher benchmark: %zu messages during a 2 s child: latency median %.2f ms, "
                "99th percentile %.2f ms; idle wait: CPU %.1f ms of %.0f ms wall (%.2f%%)\n",
                latencies.size(), median, p99, cpu, wall, 100.0 * cpu / wall);
    DestroyWindow(window);
    return 0;
}
