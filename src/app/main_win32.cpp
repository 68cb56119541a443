#include <windows.h>

#include "platform/message_loop_win32.h"
#include "platform/win32_util.h"
#include "version.h"

namespace {

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    tolvane::win32::RestrictDllSearchToSystemFolder();

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = MainProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"TolvaneMain";
    RegisterClassW(&windowClass);
    const std::wstring caption = tolvane::win32::Widen(tolvane::version::kTitle);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, caption.c_str(),
                                  WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 712, 480,
                                  nullptr, nullptr, instance, nullptr);
    ShowWindow(window, showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        tolvane::win32::DispatchWindowMessage(message);
    }
    return static_cast<int>(message.wParam);
}
