#include "about/about_window_win32.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "about/about_texts.h"
#include "platform/win32_util.h"
#include "version.h"

namespace tolvane::about {
namespace {

constexpr TwipsRect kClientArea = {2340, 1935, 5730, 3780}; // placed on the screen, not centred

enum class WidgetKind { Picture, Label, WebAddress, Separator, Button };

// The title and version lines are composed when the window opens; the other texts are fixed.
enum class TextSource { Fixed, Title, Version };

struct Widget {
    WidgetKind Kind;
    ControlId Id;
    TwipsRect Rect;
    int Tab; // focus order; -1 for none
    TextSource Source;
    std::string_view Text;
};

// Only cmdOK can take the focus: labels, the picture and the separator never do.
using enum WidgetKind;
constexpr Widget kWidgets[] = {
    {Picture, kPicIcon, {240, 240, 540, 540}, 1, TextSource::Fixed, {}},
    {Label, kLblTitle, {1080, 240, 3885, 240}, 4, TextSource::Title, {}},
    {Label, kLblVersion, {1080, 480, 3885, 225}, 5, TextSource::Version, {}},
    {WebAddress, kLabel1, {1080, 840, 3975, 255}, 6, TextSource::Fixed, kMakerWebAddress},
    {Label, kLblDescription, {1080, 1200, 3885, 1455}, 2, TextSource::Fixed, kDescription},
    {Separator, kLine1, {90, 2760, 5580, 30}, -1, TextSource::Fixed, {}},
    {Label, kLblDisclaimer, {240, 2880, 3375, 705}, 3, TextSource::Fixed, kDisclaimer},
    {Button, kCmdOk, {4080, 3000, 1185, 345}, 0, TextSource::Fixed, kOkCaption},
};

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME; // what DS_MODALFRAME gives the frame
constexpr wchar_t kFontFace[] = L"MS Shell Dlg";
constexpr int kFontPointsX100 = 800;
constexpr int kIconPixelsAt96 = 32;

std::string TextOf(const Widget& widget) {
    switch (widget.Source) {
    case TextSource::Title: return version::kTitle;
    case TextSource::Version: return VersionLine();
    case TextSource::Fixed: break;
    }
    return std::string(widget.Text);
}

DWORD StyleOf(WidgetKind kind) {
    switch (kind) {
    case Picture: return SS_ICON | SS_CENTERIMAGE;
    case Label: return SS_LEFT | SS_NOPREFIX;
    case WebAddress: return SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
    case Separator: return SS_ETCHEDHORZ;
    case Button: return WS_TABSTOP | BS_DEFPUSHBUTTON;
    }
    return 0;
}

// A dialog template without controls: the controls are made from the table, in pixels.
struct alignas(DWORD) EmptyDialogTemplate {
    DLGTEMPLATE Header;
    WORD Menu;
    WORD WindowClass;
    WORD Title;
};

} // namespace

AboutWindow::AboutWindow(HINSTANCE instance, ShellOpener& shell, std::function<void()> onClosed)
    : instance_(instance), shell_(shell), onClosed_(std::move(onClosed)) {}

AboutWindow::~AboutWindow() {
    onClosed_ = nullptr;
    if (IsOpen()) {
        Close();
    }
}

bool AboutWindow::Show() {
    if (IsOpen()) {
        ShowWindow(Handle(), SW_SHOWNORMAL);
        SetForegroundWindow(Handle());
        return true;
    }
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
                                   reinterpret_cast<LPARAM>(static_cast<WindowBase*>(this))) ==
        nullptr) {
        DestroyWindow(std::exchange(owner_, nullptr));
        return false;
    }
    ShowWindow(Handle(), SW_SHOWNORMAL);
    SetFocus(GetDlgItem(Handle(), kCmdOk));
    return true;
}

void AboutWindow::Close() {
    // Destroying the owner destroys the dialog first.
    DestroyWindow(owner_);
}

void AboutWindow::OnDestroyed() {
    // Posted, not destroyed here: on an ordinary close the owner is already on its way out.
    if (HWND owner = std::exchange(owner_, nullptr); IsWindow(owner)) {
        PostMessageW(owner, WM_CLOSE, 0, 0);
    }
    if (onClosed_) {
        onClosed_();
    }
}

// Builds the controls from the table and fills them afresh, then places the window.
void AboutWindow::Load() {
    SetWindowTextW(Handle(), win32::Widen(Caption()).c_str());
    std::array<const Widget*, std::size(kWidgets)> byTab{};
    std::transform(std::begin(kWidgets), std::end(kWidgets), byTab.begin(),
                   [](const Widget& widget) { return &widget; });
    // Creation order is the focus order; widgets without a tab position come last.
    std::stable_sort(byTab.begin(), byTab.end(), [](const Widget* a, const Widget* b) {
        return static_cast<unsigned>(a->Tab) < static_cast<unsigned>(b->Tab);
    });
    for (const Widget* widget : byTab) {
        CreateWindowExW(0, widget->Kind == Button ? L"BUTTON" : L"STATIC",
                        win32::Widen(TextOf(*widget)).c_str(),
                        WS_CHILD | WS_VISIBLE | StyleOf(widget->Kind), 0, 0, 0, 0, Handle(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(widget->Id)), instance_,
                        nullptr);
    }
    // cmdOK is both the default and the cancel button: Enter and Esc press it.
    SendMessageW(Handle(), DM_SETDEFID, kCmdOk, 0);

    const UINT dpi = win32::WindowDpi(Handle());
    ApplyDpi(dpi);
    const RECT frame = win32::FrameForClient(win32::PixelsOf(kClientArea, dpi), kDialogStyle,
                                             kDialogExStyle, false, dpi);
    SetWindowPos(Handle(), nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Positions, font and icon for the given DPI. The old font and icon are freed only once the
// controls hold the new ones.
void AboutWindow::ApplyDpi(UINT dpi) {
    const LOGFONTW look = win32::FontAt(kFontFace, kFontPointsX100, dpi, false);
    win32::ScopedGdi font(CreateFontIndirectW(&look));
    win32::LoadedIcon icon =
        win32::LoadProgramIcon(instance_, win32::ScaleFrom96(kIconPixelsAt96, dpi));
    for (const Widget& widget : kWidgets) {
        HWND control = GetDlgItem(Handle(), widget.Id);
        const RECT place = win32::PixelsOf(widget.Rect, dpi);
        SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
        if (widget.Kind == Picture) {
            SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon.Get()), 0);
        }
    }
    font_ = std::move(font);
    icon_ = std::move(icon);
}

LRESULT AboutWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: Load(); return FALSE; // the focus goes to cmdOK once the window shows
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            Close();
            return TRUE;
        }
        if (LOWORD(wParam) == kLabel1 && HIWORD(wParam) == STN_CLICKED) {
            // A failure is not reported: there is nothing the user could do about it here.
            OpenWebAddress(shell_, kMakerWebAddress);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE: Close(); return TRUE;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(Handle(), kLabel1)) {
            return win32::HighlightStatic(reinterpret_cast<HDC>(wParam));
        }
        return FALSE;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == GetDlgItem(Handle(), kLabel1)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case win32::kWmDpiChanged: {
        ApplyDpi(LOWORD(wParam));
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    default: return FALSE;
    }
}

} // namespace tolvane::about
