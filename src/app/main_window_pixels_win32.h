#pragma once

#include <windows.h>

#include "app/main_window_widgets.h"
#include "platform/window_win32.h"

// Where the main window's widgets stand in pixels, shared by its layout and its overlap rules.
namespace tolvane {

inline bool TakesFocus(WidgetKind kind) {
    return kind != WidgetKind::Frame && kind != WidgetKind::StatusBar;
}

// The widget's rectangle in client pixels. Edges are converted rather than sizes, so adjoining
// widgets stay adjoining at any DPI.
inline RECT PixelRect(const WidgetSpec& row, UINT dpi) {
    int left = row.Rect.Left;
    int top = row.Rect.Top;
    if (row.Container != WidgetId::Form1) {
        const WidgetSpec& frame = FindWidget(row.Container);
        left += frame.Rect.Left;
        top += frame.Rect.Top;
    }
    using win32::TwipsToPixels;
    return RECT{TwipsToPixels(left, dpi), TwipsToPixels(top, dpi),
                TwipsToPixels(left + row.Rect.Width, dpi),
                TwipsToPixels(top + row.Rect.Height, dpi)};
}

} // namespace tolvane
