#include "about/about_window_win32.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <utility>

#include "about/about_texts.h"
#include "about/default_browser.h"
#include "platform/win32_util.h"

namespace tolvane::about {
namespace {

// Layout in twips, as designed; converted at 1440 twips per inch for the monitor's DPI
// (15 twips per pixel at 96 DPI).
struct Twips {
    int Left;
    int Top;
    int Width;
    int Height;
};

constexpr Twips kClientArea = {2340, 1935, 5730, 3780}; // placed on the screen, not centred

enum class WidgetKind { Picture, Label, WebAddress, Separator, Button };

struct Widget {
    const char* Name;
    WidgetKind Kind;
    ControlId Id;
    Twips Rect;
    int Tab; // focus order; -1 for none
    std::string (*Text)();
};

std::string AddressText() {
    return std::string(kMakerWebAddress);
}
std::string DescriptionText() {
    return std::string(kDescription);
}
std::string DisclaimerText() {
    return std::string(kDisclaimer);
}
std::string OkText() {
    return std::string(kOkCaption);
}

// Only cmdOK can take the focus: labels, the picture and the separator never do.
using enum WidgetKind;
constexpr Widget kWidgets[] = {
    {"picIcon", Picture, kPicIcon, {240, 240, 540, 540}, 1, nullptr},
    {"lblTitle", Label, kLblTitle, {1080, 240, 3885, 240}, 4, Title},
    {"lblVersion", Label, kLblVersion, {1080, 480, 3885, 225}, 5, VersionLine},
    {"Label1", WebAddress, kLabel1, {1080, 840, 3975, 255}, 6, AddressText},
    {"lblDescription", Label, kLblDescription, {1080, 1200, 3885, 1455}, 2, DescriptionText},
    {"Line1", Separator, kLine1, {90, 2760, 5580, 30}, -1, nullptr},
    {"lblDisclaimer", Label, kLblDisclaimer, {240, 2880, 3375, 705}, 3, DisclaimerText},
    {"cmdOK", Button, kCmdOk, {4080, 3000, 1185, 345}, 0, OkText},
};

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME; // what DS_MODALFRAME gives the frame
constexpr int kFontPoints = 8;
constexpr int kIconPixelsAt96 = 32;
constexpr int kBaseDpi = 96;
constexpr UINT kDpiChanged = 0x02E0; // WM_DPICHANGED, newer than the headers' target level

int Scale(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

template <typename Function> Function SystemExport(const wchar_t* module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(module), name)));
}

// The DPI of the monitor the window is on; the system DPI before Windows 10.
UINT WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        SystemExport<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) {
            return dpi;
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi > 0 ? dpi : kBaseDpi);
}

RECT FrameForClient(const RECT& client, UINT dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi =
        SystemExport<AdjustForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT frame = client;
    if (adjustForDpi == nullptr ||
        !adjustForDpi(&frame, kDialogStyle, FALSE, kDialogExStyle, dpi)) {
        frame = client;
        AdjustWindowRectEx(&frame, kDialogStyle, FALSE, kDialogExStyle);
    }
    return frame;
}

// Owns a GDI or USER object and frees it once.
template <typename Handle, auto Free> class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Destroy();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    ~Owned() { Destroy(); }
    Handle Get() const { return handle_; }

private:
    void Destroy() {
        if (handle_ != nullptr) {
            Free(handle_);
        }
    }
    Handle handle_ = nullptr;
};

using OwnedFont = Owned<HFONT, DeleteObject>;
using OwnedIcon = Owned<HICON, DestroyIcon>;

// The program's icon (resource 1) at the given size, or the system's application icon.
OwnedIcon LoadProgramIcon(HINSTANCE instance, int size) {
    auto icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (icon == nullptr) {
        icon = static_cast<HICON>(
            LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    }
    return OwnedIcon(icon);
}

// A dialog template without controls: the controls are made from the table, in pixels.
struct alignas(DWORD) EmptyDialogTemplate {
    DLGTEMPLATE Header;
    WORD Menu;
    WORD WindowClass;
    WORD Title;
};

class AboutWindow {
public:
    AboutWindow(HINSTANCE instance, ShellOpener& shell) : instance_(instance), browser_(shell) {}
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;
    ~AboutWindow() {
        // Posted, not destroyed here: on an ordinary close the owner is already on its way out.
        if (owner_ != nullptr && IsWindow(owner_)) {
            PostMessageW(owner_, WM_CLOSE, 0, 0);
        }
    }

    bool Create();
    void BringToFront() const;
    HWND Window() const { return dialog_; }
    void SetOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static void Destroyed(AboutWindow* self);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Load();
    void ApplyDpi(UINT dpi);
    void Close() const;

    HINSTANCE instance_;
    DefaultBrowser browser_;
    std::function<void()> onClosed_;
    HWND owner_ = nullptr;
    HWND dialog_ = nullptr;
    OwnedFont font_;
    OwnedIcon icon_;
};

std::unique_ptr<AboutWindow> theWindow;

bool AboutWindow::Create() {
    // A hidden owner keeps the window off the taskbar while it keeps an ordinary dialog frame;
    // no program window owns it, so it stays when the main window closes.
    owner_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_,
                             nullptr);
    if (owner_ == nullptr) {
        return false;
    }
    EmptyDialogTemplate dialogTemplate{};
    dialogTemplate.Header.style = kDialogStyle;
    if (CreateDialogIndirectParamW(instance_, &dialogTemplate.Header, owner_, DialogProc,
                                   reinterpret_cast<LPARAM>(this)) == nullptr) {
        DestroyWindow(owner_);
        owner_ = nullptr;
        return false;
    }
    ShowWindow(dialog_, SW_SHOWNORMAL);
    SetFocus(GetDlgItem(dialog_, kCmdOk));
    return true;
}

void AboutWindow::BringToFront() const {
    ShowWindow(dialog_, SW_SHOWNORMAL);
    SetForegroundWindow(dialog_);
}

void AboutWindow::Close() const {
    // Destroying the owner destroys the dialog first.
    DestroyWindow(owner_);
}

// Builds the controls from the table and fills them afresh, then places the window.
void AboutWindow::Load() {
    SetWindowTextW(dialog_, win32::Widen(Caption()).c_str());
    std::array<const Widget*, std::size(kWidgets)> byTab{};
    std::transform(std::begin(kWidgets), std::end(kWidgets), byTab.begin(),
                   [](const Widget& widget) { return &widget; });
    // Creation order is the focus order; widgets without a tab position come last.
    std::stable_sort(byTab.begin(), byTab.end(), [](const Widget* a, const Widget* b) {
        return static_cast<unsigned>(a->Tab) < static_cast<unsigned>(b->Tab);
    });
    for (const Widget* widget : byTab) {
        const wchar_t* windowClass = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        switch (widget->Kind) {
        case Picture: style |= SS_ICON | SS_CENTERIMAGE; break;
        case Label: style |= SS_LEFT | SS_NOPREFIX; break;
        case WebAddress: style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY; break;
        case Separator: style |= SS_ETCHEDHORZ; break;
        case Button:
            windowClass = L"BUTTON";
            style |= WS_TABSTOP | BS_DEFPUSHBUTTON;
            break;
        }
        const std::wstring text = widget->Text != nullptr ? win32::Widen(widget->Text()) : L"";
        CreateWindowExW(0, windowClass, text.c_str(), style, 0, 0, 0, 0, dialog_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(widget->Id)), instance_,
                        nullptr);
    }
    // cmdOK is both the default and the cancel button: Enter and Esc press it.
    SendMessageW(dialog_, DM_SETDEFID, kCmdOk, 0);

    const UINT dpi = WindowDpi(dialog_);
    ApplyDpi(dpi);
    const int left = Scale(kClientArea.Left, dpi);
    const int top = Scale(kClientArea.Top, dpi);
    const RECT frame = FrameForClient(
        {left, top, left + Scale(kClientArea.Width, dpi), top + Scale(kClientArea.Height, dpi)},
        dpi);
    SetWindowPos(dialog_, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Positions, font and icon for the given DPI. The old font and icon are freed only once the
// controls hold the new ones.
void AboutWindow::ApplyDpi(UINT dpi) {
    OwnedFont font(CreateFontW(-MulDiv(kFontPoints, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL,
                               FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               L"MS Shell Dlg"));
    OwnedIcon icon =
        LoadProgramIcon(instance_, MulDiv(kIconPixelsAt96, static_cast<int>(dpi), kBaseDpi));
    for (const Widget& widget : kWidgets) {
        HWND control = GetDlgItem(dialog_, widget.Id);
        SetWindowPos(control, nullptr, Scale(widget.Rect.Left, dpi), Scale(widget.Rect.Top, dpi),
                     Scale(widget.Rect.Width, dpi), Scale(widget.Rect.Height, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
        if (widget.Kind == Picture) {
            // The shared system icon is the last resort; it is never freed.
            HICON shown = icon.Get() != nullptr ? icon.Get() : LoadIconW(nullptr, IDI_APPLICATION);
            SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(shown), 0);
        }
    }
    font_ = std::move(font);
    icon_ = std::move(icon);
}

void AboutWindow::Destroyed(AboutWindow* self) {
    // Forget the window before the callback runs, so that it sees the window closed.
    std::function<void()> onClosed = std::move(self->onClosed_);
    if (theWindow.get() == self) {
        theWindow.reset();
    }
    if (onClosed) {
        onClosed();
    }
}

INT_PTR CALLBACK AboutWindow::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            auto* self = reinterpret_cast<AboutWindow*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            self->dialog_ = dialog;
            self->Load();
            return FALSE; // the focus goes to cmdOK once the window shows
        }
        auto* self = reinterpret_cast<AboutWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (self == nullptr) {
            return FALSE;
        }
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(dialog, DWLP_USER, 0);
            Destroyed(self);
            return FALSE;
        }
        return self->Handle(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR AboutWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL: Close(); return TRUE;
        case kLabel1:
            if (HIWORD(wParam) == STN_CLICKED) {
                browser_.OpenWebAddress(kMakerWebAddress);
                return TRUE;
            }
            break;
        default: break;
        }
        return FALSE;
    case WM_CLOSE: Close(); return TRUE;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog_, kLabel1)) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == GetDlgItem(dialog_, kLabel1)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case kDpiChanged: {
        ApplyDpi(LOWORD(wParam));
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(dialog_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    default: return FALSE;
    }
}

} // namespace

bool ShowAboutWindow(HINSTANCE instance, ShellOpener& shell, std::function<void()> onClosed) {
    if (theWindow) {
        if (onClosed) {
            theWindow->SetOnClosed(std::move(onClosed));
        }
        theWindow->BringToFront();
        return true;
    }
    auto window = std::make_unique<AboutWindow>(instance, shell);
    window->SetOnClosed(std::move(onClosed));
    AboutWindow* created = window.get();
    theWindow = std::move(window);
    if (!created->Create()) {
        theWindow.reset();
        return false;
    }
    return true;
}

bool AboutWindowOpen() {
    return theWindow != nullptr;
}

HWND AboutWindowHandle() {
    return theWindow ? theWindow->Window() : nullptr;
}

} // namespace tolvane::about
