#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "platform/scoped_win32.h"
#include "platform/twips.h"

// What both windows share: sizes in twips and at the window's DPI, the dialog font, the program
// icon, the highlight colour of captions and addresses, and a window base that keeps its object
// with its window.
namespace tolvane::win32 {

inline constexpr UINT kDefaultDpi = 96;
// WM_DPICHANGED, newer than the headers' target level.
inline constexpr UINT kWmDpiChanged = 0x02E0;

// The window's DPI where the system knows it per window (Windows 10 1607 on), else the
// system's.
UINT WindowDpi(HWND window);

int TwipsToPixels(int twips, UINT dpi);
// The rectangle in pixels at this DPI. Edges are converted rather than sizes, so adjoining
// rectangles stay adjoining at any DPI.
RECT PixelsOf(const TwipsRect& twips, UINT dpi);
// A length in pixels at 96 DPI, at this DPI.
int ScaleFrom96(int pixels, UINT dpi);

// The window rectangle around this client rectangle at this DPI.
RECT FrameForClient(const RECT& client, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi);

int SystemMetricForDpi(int index, UINT dpi);

// A font of this face and size (in hundredths of a point) at this DPI.
LOGFONTW FontAt(const wchar_t* face, int pointsX100, UINT dpi, bool bold);
// The main window's font: "MS Sans Serif" where the system has it, else the face of the
// system's message font, at 8.25 point.
LOGFONTW DialogFont(UINT dpi, bool bold);

// An icon as it was loaded: one of the program's own, destroyed with its owner, or one the
// system shares, which nobody may destroy.
class LoadedIcon {
public:
    LoadedIcon() = default;
    LoadedIcon(HICON icon, bool shared)
        : owned_(shared ? nullptr : icon), shared_(shared ? icon : nullptr) {}
    HICON Get() const { return owned_ ? owned_.Get() : shared_; }

private:
    ScopedIcon owned_;
    HICON shared_ = nullptr;
};

// The program's icon at this size in pixels, or the system's application icon.
LoadedIcon LoadProgramIcon(HINSTANCE instance, int size);

// Colours a static control's text in the highlight colour on the dialog face: the answer to
// WM_CTLCOLORSTATIC for frame captions and the web address.
LRESULT HighlightStatic(HDC dc);

// Keeps its object with its window and hands every message to HandleMessage. The static
// procedures below are where exceptions stop: none may cross into the system's code.
class WindowBase {
public:
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;
    HWND Handle() const { return window_; }

protected:
    WindowBase() = default;
    virtual ~WindowBase() = default;

    // For a registered class: CreateWindowEx gets `this` as its creation parameter.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // For a dialog: CreateDialog gets `this` as its initialisation parameter. HandleMessage
    // then answers as a dialog procedure does.
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Hands a control's messages to HandleControlMessage; CallControlProc passes one on to the
    // control's own procedure. The object rides in the control's user data: a subclass kept in
    // a window property costs a call to the window manager for every message under Wine.
    void Subclass(HWND control);
    LRESULT CallControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) const;

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual LRESULT HandleControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    // Once the window is gone and Handle() is null.
    virtual void OnDestroyed() {}

private:
    static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT Forward(WindowBase* self, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<std::pair<HWND, WNDPROC>> controlProcs_; // each subclassed control's own
};

} // namespace tolvane::win32
