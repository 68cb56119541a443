#pragma once

#include <windows.h>

#include "app/main_window_widgets.h"
#include "platform/window_win32.h"

// Where the main window's widgets stand in pixels, shared by its layout and its overlap rules.
namespace tolvane {

inline bool TakesFocus(WidgetKind kind) {
    return kind != WidgetKind::Frame && kind != WidgetKind::StatusBar;
}

// The widget's rectangle in client pixels.
inline RECT PixelRect(const WidgetSpec& row, UINT dpi) {
    TwipsRect place = row.Rect;
    if (row.Container != WidgetId::Form1) {
        place.Left += FindWidget(row.Container).Rect.Left;
        place.Top += FindWidget(row.Container).Rect.Top;
    }
    return win32::PixelsOf(place, dpi);
}

} // namespace tolvane
