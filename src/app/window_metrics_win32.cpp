#include "app/window_metrics_win32.h"

#include <cwchar>

namespace tolvane::win32 {
namespace {

// The per-monitor DPI calls exist from Windows 10 1607 on; Vista to 8.1 use the system DPI.
template <typename Function> Function User32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

constexpr wchar_t kDesignFace[] = L"MS Sans Serif";
// 8.25 point, in hundredths.
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

} // namespace

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
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

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (adjustForDpi != nullptr) {
        adjustForDpi(&rect, style, hasMenu, exStyle, dpi);
    } else {
        AdjustWindowRectEx(&rect, style, hasMenu, exStyle);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int SystemMetricForDpi(int index, UINT dpi) {
    using MetricForDpiFn = int(WINAPI*)(int, UINT);
    static const auto metricForDpi = User32Function<MetricForDpiFn>("GetSystemMetricsForDpi");
    if (metricForDpi != nullptr) {
        return metricForDpi(index, dpi);
    }
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

LOGFONTW DialogFont(UINT dpi, bool bold) {
    static const bool designFaceInstalled = FontInstalled(kDesignFace);
    LOGFONTW font{};
    if (designFaceInstalled) {
        wcsncpy(font.lfFaceName, kDesignFace, LF_FACESIZE - 1);
    } else {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
            wcsncpy(font.lfFaceName, metrics.lfMessageFont.lfFaceName, LF_FACESIZE - 1);
        }
    }
    // The layout was drawn for this size: a larger message font (Segoe UI 9) would clip.
    font.lfHeight = -MulDiv(kDesignPointsX100, static_cast<int>(dpi), 72 * 100);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    return font;
}

} // namespace tolvane::win32
