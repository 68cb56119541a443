#include "platform/window_win32.h"

#include <cwchar>

#include "platform/resource_ids.h"
#include "platform/win32_util.h"

namespace tolvane::win32 {
namespace {

// The per-monitor DPI calls exist from Windows 10 1607 on; Vista to 8.1 use the system DPI.
constexpr wchar_t kUser32[] = L"user32.dll";

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

constexpr wchar_t kDesignFace[] = L"MS Sans Serif";
constexpr int kDesignPointsX100 = 825;

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FontInstalled(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// Runs a window's handler; an exception ends the message with the fallback answer instead of
// unwinding through the system's code, which cannot pass it on.
template <typename Handler> LRESULT Guarded(LRESULT fallback, Handler handler) noexcept {
    try {
        return handler();
    } catch (...) {
        return fallback;
    }
}

} // namespace

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        SystemFunction<GetDpiForWindowFn>(kUser32, "GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) {
            return dpi;
        }
    }
    return SystemDpi();
}

int TwipsToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

RECT PixelsOf(const TwipsRect& twips, UINT dpi) {
    return RECT{TwipsToPixels(twips.Left, dpi), TwipsToPixels(twips.Top, dpi),
                TwipsToPixels(twips.Left + twips.Width, dpi),
                TwipsToPixels(twips.Top + twips.Height, dpi)};
}

int ScaleFrom96(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

RECT FrameForClient(const RECT& client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi =
        SystemFunction<AdjustForDpiFn>(kUser32, "AdjustWindowRectExForDpi");
    RECT frame = client;
    if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, hasMenu, exStyle, dpi)) {
        frame = client;
        AdjustWindowRectEx(&frame, style, hasMenu, exStyle);
    }
    return frame;
}

int SystemMetricForDpi(int index, UINT dpi) {
    using MetricForDpiFn = int(WINAPI*)(int, UINT);
    static const auto metricForDpi =
        SystemFunction<MetricForDpiFn>(kUser32, "GetSystemMetricsForDpi");
    if (metricForDpi != nullptr) {
        return metricForDpi(index, dpi);
    }
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

LOGFONTW FontAt(const wchar_t* face, int pointsX100, UINT dpi, bool bold) {
    LOGFONTW font{};
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    font.lfHeight = -MulDiv(pointsX100, static_cast<int>(dpi), 72 * 100);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    return font;
}

LOGFONTW DialogFont(UINT dpi, bool bold) {
    static const bool designFaceInstalled = FontInstalled(kDesignFace);
    const wchar_t* face = kDesignFace;
    NONCLIENTMETRICSW metrics{};
    if (!designFaceInstalled) {
        metrics.cbSize = sizeof(metrics);
        face = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)
                   ? metrics.lfMessageFont.lfFaceName
                   : L"";
    }
    // The layout was drawn for this size: a larger message font (Segoe UI 9) would clip.
    return FontAt(face, kDesignPointsX100, dpi, bold);
}

LoadedIcon LoadProgramIcon(HINSTANCE instance, int size) {
    if (auto icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(TOLVANE_ICON_ID),
                                                  IMAGE_ICON, size, size, LR_DEFAULTCOLOR))) {
        return LoadedIcon(icon, false);
    }
    // A system icon loads only as a shared one.
    return LoadedIcon(
        static_cast<HICON>(LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON, size, size, LR_SHARED)),
        true);
}

LRESULT HighlightStatic(HDC dc) {
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT WindowBase::Forward(WindowBase* self, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_NCDESTROY) {
        return self->HandleMessage(message, wParam, lParam);
    }
    self->window_ = nullptr;
    self->OnDestroyed();
    return 0;
}

LRESULT CALLBACK WindowBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        Guarded(0, [&] { return Forward(self, message, wParam, lParam); });
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return Guarded(0, [&] { return Forward(self, message, wParam, lParam); });
}

INT_PTR CALLBACK WindowBase::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<WindowBase*>(lParam);
        self->window_ = dialog;
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
    }
    return Guarded(FALSE, [&] { return Forward(self, message, wParam, lParam); });
}

void WindowBase::Subclass(HWND control) {
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const auto own = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
    controlProcs_.emplace_back(control, own);
}

LRESULT WindowBase::CallControlProc(HWND control, UINT message, WPARAM wParam,
                                    LPARAM lParam) const {
    for (const auto& [subclassed, own] : controlProcs_) {
        if (subclassed == control) {
            return CallWindowProcW(own, control, message, wParam, lParam);
        }
    }
    return DefWindowProcW(control, message, wParam, lParam);
}

LRESULT WindowBase::HandleControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallControlProc(control, message, wParam, lParam);
}

LRESULT CALLBACK WindowBase::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(control, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        // The control goes: its own procedure sees the last message, and the object forgets it.
        const LRESULT result = self->CallControlProc(control, message, wParam, lParam);
        std::erase_if(self->controlProcs_,
                      [&](const auto& entry) { return entry.first == control; });
        return result;
    }
    return Guarded(0, [&] { return self->HandleControlMessage(control, message, wParam, lParam); });
}

} // namespace tolvane::win32
