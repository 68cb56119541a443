#pragma once

#include <windows.h>

namespace tolvane::win32 {

inline constexpr UINT kDefaultDpi = 96;

// The window's DPI where the system knows it per window (Windows 10 1607 on), else the
// system's.
UINT WindowDpi(HWND window);

// 1440 twips to the inch, so 15 twips per pixel at 96 DPI.
int TwipsToPixels(int twips, UINT dpi);

// Outer size of a window whose client area has the given size at this DPI.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi);

int SystemMetricForDpi(int index, UINT dpi);

// The text font of the window: "MS Sans Serif" where the system has it, else the face of the
// system's message font, at 8.25 point for this DPI.
LOGFONTW DialogFont(UINT dpi, bool bold);

// Owns a GDI object (a font here) and deletes it once.
class UniqueGdiObject {
public:
    UniqueGdiObject() = default;
    explicit UniqueGdiObject(HGDIOBJ object) : object_(object) {}
    UniqueGdiObject(const UniqueGdiObject&) = delete;
    UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
    ~UniqueGdiObject() { Reset(); }
    HGDIOBJ Get() const { return object_; }
    HGDIOBJ Release() {
        HGDIOBJ object = object_;
        object_ = nullptr;
        return object;
    }
    void Reset(HGDIOBJ object = nullptr) {
        if (object_ != nullptr) {
            DeleteObject(object_);
        }
        object_ = object;
    }

private:
    HGDIOBJ object_ = nullptr;
};

} // namespace tolvane::win32
