#include "app/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/resource_ids.h"
#include "platform/win32_util.h"

namespace tolvane {
namespace {

using win32::Narrow;
using win32::TwipsToPixels;
using win32::Widen;

constexpr wchar_t kClassName[] = L"TolvaneForm1";
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
// The controls sit directly on the window; this keeps nested dialog navigation right should a
// container window ever be added.
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

// From dbt.h.
constexpr WPARAM kDeviceArrival = 0x8000;
constexpr WPARAM kDeviceRemoveComplete = 0x8004;

#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

// The edit control's default limit (32K characters) would drop entries after a few hundred
// passes.
constexpr WPARAM kLogTextLimit = 0x7FFFFFFE;
// Long tool tips wrap at this width (at 96 DPI) instead of crossing the screen.
constexpr int kToolTipWidth = 400;
// Drop-down height beyond the closed box: room for the eight rescan numbers or a few drives.
constexpr int kDropDownExtra = 200;

constexpr std::pair<WidgetId, ScanMode> kScanModeButtons[] = {
    {WidgetId::ScanOnly, ScanMode::ScanOnly},       {WidgetId::ScanFast, ScanMode::ScanFast},
    {WidgetId::ScanFix, ScanMode::ScanFix},         {WidgetId::ScanFixFast, ScanMode::ScanFixFast},
    {WidgetId::ScanRecover, ScanMode::ScanRecover}, {WidgetId::ScanReEval, ScanMode::ScanReEval},
};
constexpr std::pair<WidgetId, RescanPolicy> kRescanButtons[] = {
    {WidgetId::NoRescan, RescanPolicy::NoRescan},
    {WidgetId::LimitRescans, RescanPolicy::LimitRescans},
    {WidgetId::RescanForever, RescanPolicy::RescanForever},
};
// Drive lists by number, 1 to 5; check boxes by number, 2 to 5 (slot 1 unused).
constexpr WidgetId kDriveLists[] = {WidgetId::Drive1, WidgetId::Drive2, WidgetId::Drive3,
                                    WidgetId::Drive4, WidgetId::Drive5};
constexpr WidgetId kDriveChecks[] = {WidgetId::Form1, WidgetId::Drive2Check, WidgetId::Drive3Check,
                                     WidgetId::Drive4Check, WidgetId::Drive5Check};

int DriveNumber(WidgetId id, const WidgetId (&table)[kDriveCount]) {
    for (int index = 0; index < kDriveCount; ++index) {
        if (table[index] == id) {
            return index + 1;
        }
    }
    return 0;
}

bool TakesFocus(WidgetKind kind) {
    return kind != WidgetKind::Frame && kind != WidgetKind::StatusBar;
}

// The widget's rectangle in client pixels. Edges are converted rather than sizes, so adjoining
// widgets stay adjoining at any DPI.
RECT PixelRect(const WidgetSpec& row, UINT dpi) {
    int left = row.Rect.Left;
    int top = row.Rect.Top;
    if (row.Container != WidgetId::Form1) {
        const WidgetSpec& frame = FindWidget(row.Container);
        left += frame.Rect.Left;
        top += frame.Rect.Top;
    }
    return RECT{TwipsToPixels(left, dpi), TwipsToPixels(top, dpi),
                TwipsToPixels(left + row.Rect.Width, dpi),
                TwipsToPixels(top + row.Rect.Height, dpi)};
}

// Frames draw their captions in the highlight colour through WM_CTLCOLORSTATIC, which a themed
// group box ignores: these few are drawn the classic way. A theme class that names nothing turns
// theming off (an empty name would be refused by some implementations).
void DrawWithoutTheme(HWND control) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const SetWindowThemeFn setWindowTheme = [] {
        HMODULE uxtheme = GetModuleHandleW(L"uxtheme.dll");
        if (uxtheme == nullptr) {
            const std::wstring path = Widen(win32::SystemFolder()) + L"\\uxtheme.dll";
            uxtheme = LoadLibraryW(path.c_str());
        }
        return uxtheme == nullptr ? nullptr
                                  : reinterpret_cast<SetWindowThemeFn>(reinterpret_cast<void (*)()>(
                                        GetProcAddress(uxtheme, "SetWindowTheme")));
    }();
    if (setWindowTheme != nullptr) {
        setWindowTheme(control, L" ", L" ");
    }
}

std::wstring WindowText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

std::wstring ListItemText(HWND list, LRESULT index) {
    const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace

MainWindow::MainWindow(MainWindowModel& model, MainWindowCommands commands)
    : model_(model), commands_(std::move(commands)) {
    model_.SetObserver(this);
}

MainWindow::~MainWindow() {
    model_.SetObserver(nullptr);
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    if (bigIcon_ != nullptr) {
        DestroyIcon(bigIcon_);
    }
    if (smallIcon_ != nullptr) {
        DestroyIcon(smallIcon_);
    }
}

HWND MainWindow::Widget(WidgetId id) const {
    return window_ == nullptr ? nullptr : GetDlgItem(window_, static_cast<int>(id));
}

bool MainWindow::Create(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExW(instance, kClassName, &windowClass)) {
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        if (RegisterClassExW(&windowClass) == 0) {
            return false;
        }
    }
    if (CreateWindowExW(kWindowExStyle, kClassName, L"", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                        this) == nullptr) {
        return false;
    }
    dpi_ = win32::WindowDpi(window_);
    BuildMenu();
    CreateFonts();
    CreateWidgets(instance);
    LayOutWidgets();
    SizeToDesign();
    CreateToolTips();
    LoadIcons();
    lastFocus_ = Widget(WidgetId::Command1);
    built_ = true;

    SetWindowTextW(Widget(WidgetId::ErrorDescText), Widen(model_.Log().Text()).c_str());
    Mirror();
    return true;
}

void MainWindow::BuildMenu() {
    menu_ = CreateMenu();
    std::vector<std::pair<MenuId, HMENU>> submenus;
    for (const MenuSpec& item : Form1Menus()) {
        HMENU parent = menu_;
        for (const auto& [id, submenu] : submenus) {
            if (id == item.Parent) {
                parent = submenu;
            }
        }
        const std::wstring caption = Widen(item.Caption);
        if (item.OpensSubmenu) {
            HMENU submenu = CreatePopupMenu();
            submenus.emplace_back(item.Id, submenu);
            AppendMenuW(parent, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), caption.c_str());
        } else {
            AppendMenuW(parent, MF_STRING, static_cast<UINT_PTR>(item.Id), caption.c_str());
        }
    }
    SetMenu(window_, menu_);
}

void MainWindow::CreateFonts() {
    LOGFONTW plain = win32::DialogFont(dpi_, false);
    LOGFONTW bold = win32::DialogFont(dpi_, true);
    font_.Reset(CreateFontIndirectW(&plain));
    boldFont_.Reset(CreateFontIndirectW(&bold));
}

void MainWindow::CreateWidgets(HINSTANCE instance) {
    std::vector<const WidgetSpec*> byTab;
    for (const WidgetSpec& row : Form1Widgets()) {
        byTab.push_back(&row);
    }
    // Creation order is the Z order, which is the order Tab follows.
    std::sort(byTab.begin(), byTab.end(),
              [](const WidgetSpec* a, const WidgetSpec* b) { return a->Tab < b->Tab; });

    for (const WidgetSpec* row : byTab) {
        // Every control is a group of its own: arrow keys then stay inside the controls that
        // use them (lists, the log box, and option buttons within their frame, see below).
        DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP;
        DWORD exStyle = 0;
        const wchar_t* className = WC_BUTTONW;
        if (TakesFocus(row->Kind) && row->Kind != WidgetKind::OptionButton) {
            style |= WS_TABSTOP;
        }
        switch (row->Kind) {
        case WidgetKind::Frame: style |= BS_GROUPBOX; break;
        // Not automatic: the model decides which option is chosen, and the view shows it.
        case WidgetKind::OptionButton: style |= BS_RADIOBUTTON | BS_MULTILINE; break;
        case WidgetKind::CheckBox: style |= BS_AUTOCHECKBOX | BS_MULTILINE; break;
        case WidgetKind::PushButton: style |= BS_PUSHBUTTON | BS_MULTILINE; break;
        case WidgetKind::DriveList:
        case WidgetKind::DropDownList:
            className = WC_COMBOBOXW;
            style |= CBS_DROPDOWNLIST | WS_VSCROLL;
            break;
        case WidgetKind::TextBox:
            className = WC_EDITW;
            style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case WidgetKind::StatusBar:
            className = STATUSCLASSNAMEW;
            style |= SBARS_SIZEGRIP;
            style &= ~static_cast<DWORD>(WS_GROUP);
            break;
        }
        const std::wstring caption = Widen(row->Caption);
        HWND control = CreateWindowExW(
            exStyle, className, caption.c_str(), style, 0, 0, 0, 0, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(row->Id)), instance, nullptr);
        if (control == nullptr) {
            continue;
        }
        switch (row->Kind) {
        case WidgetKind::Frame: DrawWithoutTheme(control); break;
        case WidgetKind::OptionButton:
            SetWindowSubclass(control, OptionButtonProc, 0, reinterpret_cast<DWORD_PTR>(this));
            break;
        case WidgetKind::DropDownList:
            for (std::string_view item : kRescanLimitItems) {
                SendMessageW(control, CB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(Widen(item).c_str()));
            }
            SendMessageW(control, CB_SETMINVISIBLE, std::size(kRescanLimitItems), 0);
            break;
        case WidgetKind::TextBox: SendMessageW(control, EM_SETLIMITTEXT, kLogTextLimit, 0); break;
        default: break;
        }
    }
}

void MainWindow::LayOutWidgets() {
    for (const WidgetSpec& row : Form1Widgets()) {
        HWND control = Widget(row.Id);
        if (control == nullptr) {
            continue;
        }
        HGDIOBJ font = row.Look == WidgetLook::Bold ? boldFont_.Get() : font_.Get();
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (row.Kind == WidgetKind::StatusBar) {
            continue;
        }
        const RECT rect = PixelRect(row, dpi_);
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        if (row.Kind == WidgetKind::DriveList || row.Kind == WidgetKind::DropDownList) {
            // The window's height includes the dropped list; the closed box is sized through
            // its selection field, so that it stands exactly as tall as the design says.
            MoveWindow(control, rect.left, rect.top, width,
                       height + MulDiv(kDropDownExtra, static_cast<int>(dpi_), 96), FALSE);
            // Some combo boxes take a field height a little differently from how they report
            // it, so correct by what the box then measures.
            const auto closedHeight = [control] {
                RECT closed{};
                GetWindowRect(control, &closed);
                return static_cast<int>(closed.bottom - closed.top);
            };
            LRESULT request = SendMessageW(control, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
            for (int attempt = 0; attempt < 3 && request != CB_ERR; ++attempt) {
                const int off = height - closedHeight();
                if (off == 0 || request + off <= 0) {
                    break;
                }
                request += off;
                SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request);
            }
        } else {
            MoveWindow(control, rect.left, rect.top, width, height, FALSE);
        }
    }
    // A widget laid over another (the rescan number over the spaces of the "Limit to" caption)
    // must stay visible when the one below repaints: cut it out of the lower one's region.
    for (const WidgetSpec& lower : Form1Widgets()) {
        if (!TakesFocus(lower.Kind)) {
            continue;
        }
        const RECT lowerRect = PixelRect(lower, dpi_);
        HRGN region = nullptr;
        for (const WidgetSpec& upper : Form1Widgets()) {
            RECT overlap{};
            const RECT upperRect = PixelRect(upper, dpi_);
            if (&upper == &lower || !TakesFocus(upper.Kind) || upper.Tab < lower.Tab ||
                !IntersectRect(&overlap, &lowerRect, &upperRect)) {
                continue;
            }
            if (region == nullptr) {
                region = CreateRectRgn(0, 0, lowerRect.right - lowerRect.left,
                                       lowerRect.bottom - lowerRect.top);
            }
            HRGN cut =
                CreateRectRgn(upperRect.left - lowerRect.left, upperRect.top - lowerRect.top,
                              upperRect.right - lowerRect.left, upperRect.bottom - lowerRect.top);
            CombineRgn(region, region, cut, RGN_DIFF);
            DeleteObject(cut);
        }
        if (region != nullptr) {
            SetWindowRgn(Widget(lower.Id), region, FALSE); // the window owns the region now
        }
    }
    LayOutStatusBar();
    InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::LayOutStatusBar() {
    HWND statusBar = Widget(WidgetId::StatusBar1);
    if (statusBar == nullptr) {
        return;
    }
    SendMessageW(statusBar, WM_SIZE, 0, 0);
    RECT client{};
    GetClientRect(window_, &client);
    int edges[kStatusPanelCount];
    for (int panel = 0; panel < kStatusPanelCount; ++panel) {
        edges[panel] = panel == kStatusPanelCount - 1
                           ? -1
                           : MulDiv(client.right, panel + 1, kStatusPanelCount);
    }
    SendMessageW(statusBar, SB_SETPARTS, kStatusPanelCount, reinterpret_cast<LPARAM>(edges));
}

void MainWindow::SizeToDesign() {
    const SIZE client{TwipsToPixels(kClientWidthTwips, dpi_),
                      TwipsToPixels(kClientHeightTwips, dpi_)};
    const SIZE outer = win32::WindowSizeForClient(client, kWindowStyle, kWindowExStyle, true, dpi_);
    SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps, or a frame the estimate got wrong, shows in the client rectangle.
    RECT actual{};
    GetClientRect(window_, &actual);
    const int moreWidth = client.cx - actual.right;
    const int moreHeight = client.cy - actual.bottom;
    if (moreWidth != 0 || moreHeight != 0) {
        SetWindowPos(window_, nullptr, 0, 0, outer.cx + moreWidth, outer.cy + moreHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::CreateToolTips() {
    toolTips_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, nullptr, nullptr);
    if (toolTips_ == nullptr) {
        return;
    }
    SendMessageW(toolTips_, TTM_SETMAXTIPWIDTH, 0,
                 MulDiv(kToolTipWidth, static_cast<int>(dpi_), 96));
    for (const WidgetSpec& row : Form1Widgets()) {
        if (row.ToolTip.empty()) {
            continue;
        }
        std::wstring text = Widen(row.ToolTip);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = window_;
        tool.lpszText = text.data(); // copied by the control
        if (TakesFocus(row.Kind)) {
            tool.uFlags = TTF_SUBCLASS | TTF_IDISHWND;
            tool.uId = reinterpret_cast<UINT_PTR>(Widget(row.Id));
            SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        // The mouse over a frame, or over a disabled control, reaches the window rather than
        // the widget: a tool for the widget's area of the window covers those cases, so the
        // "(Vista only)" hint shows exactly where the option is greyed out.
        tool.uFlags = TTF_SUBCLASS;
        tool.uId = static_cast<UINT_PTR>(row.Id);
        tool.rect = PixelRect(row, dpi_);
        SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MainWindow::LoadIcons() {
    const auto load = [this](int metric) {
        const int size = win32::SystemMetricForDpi(metric, dpi_);
        return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                             MAKEINTRESOURCEW(TOLVANE_ICON_ID), IMAGE_ICON, size,
                                             size, LR_DEFAULTCOLOR));
    };
    HICON big = load(SM_CXICON);
    HICON small = load(SM_CXSMICON);
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    for (auto [old, fresh] : {std::pair{&bigIcon_, big}, std::pair{&smallIcon_, small}}) {
        if (*old != nullptr) {
            DestroyIcon(*old);
        }
        *old = fresh;
    }
}

void MainWindow::ChangeDpi(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    // The controls hold the old fonts until the layout gives them the new ones.
    const win32::UniqueGdiObject oldFont(font_.Release());
    const win32::UniqueGdiObject oldBoldFont(boldFont_.Release());
    CreateFonts();
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutWidgets();
    if (toolTips_ != nullptr) {
        SendMessageW(toolTips_, TTM_SETMAXTIPWIDTH, 0,
                     MulDiv(kToolTipWidth, static_cast<int>(dpi_), 96));
        for (const WidgetSpec& row : Form1Widgets()) {
            if (row.ToolTip.empty()) {
                continue;
            }
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof(tool);
            tool.hwnd = window_;
            tool.uId = static_cast<UINT_PTR>(row.Id);
            tool.rect = PixelRect(row, dpi_);
            SendMessageW(toolTips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    LoadIcons();
}

void MainWindow::Show(int showCommand) {
    if (!shown_) {
        shown_ = true;
        RECT window{};
        GetWindowRect(window_, &window);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& area = monitor.rcWork;
        const int width = window.right - window.left;
        const int height = window.bottom - window.top;
        SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                     area.top + (area.bottom - area.top - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    if (GetActiveWindow() == window_ && lastFocus_ != nullptr) {
        SetFocus(lastFocus_);
    }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->toolTips_ = nullptr;
        self->built_ = false;
        Run(self->commands_.Closed);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CTLCOLORSTATIC: {
        const auto control = reinterpret_cast<HWND>(lParam);
        const int id = GetDlgCtrlID(control);
        if (id >= static_cast<int>(WidgetId::Frame2) &&
            id <= static_cast<int>(WidgetId::StatusBar1) &&
            FindWidget(static_cast<WidgetId>(id)).Kind == WidgetKind::Frame) {
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    }
    case WM_SIZE: LayOutStatusBar(); return 0;
    case WM_DEVICECHANGE:
        // Whatever device the news is about (lParam may describe any kind, or none): a new
        // reading of the drives is cheap.
        if (wParam == kDeviceArrival || wParam == kDeviceRemoveComplete) {
            model_.RefreshDrives();
        }
        return TRUE;
    case WM_DPICHANGED: ChangeDpi(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_ACTIVATE:
        // Keep the focused control across a switch to another window and back; at first the
        // Start button, so Enter or Space starts a run.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus != nullptr && IsChild(window_, focus)) {
                lastFocus_ = focus;
            }
        } else if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
            SetFocus(lastFocus_);
        }
        return 0;
    case WM_SETFOCUS:
        if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
            SetFocus(lastFocus_);
        }
        return 0;
    case DM_GETDEFID: {
        // Enter clicks the push button that has the focus, and nothing else.
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus) &&
            (SendMessageW(focus, WM_GETDLGCODE, 0, 0) &
             (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
            return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
        }
        return 0;
    }
    case WM_NEXTDLGCTL: {
        // Sent by the dialog manager for Tab and the arrow keys, as to a dialog box.
        HWND focus = GetFocus();
        HWND next = LOWORD(lParam) != 0
                        ? reinterpret_cast<HWND>(wParam)
                        : GetNextDlgTabItem(window_, IsChild(window_, focus) ? focus : nullptr,
                                            wParam != 0);
        if (next != nullptr) {
            SetFocus(next);
            if ((SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
                SendMessageW(next, EM_SETSEL, 0, -1);
            }
        }
        return 0;
    }
    case WM_CLOSE:
        // During a run the pass in progress finishes first; the model says when.
        if (model_.RequestClose()) {
            DestroyWindow(window_);
        }
        return 0;
    default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::OptionButtonProc(HWND button, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    // The design's tab order scatters a frame's option buttons, so the dialog manager's groups
    // cannot hold them; the arrow keys move through the frame's options here instead.
    switch (message) {
    case WM_GETDLGCODE: return DefSubclassProc(button, message, wParam, lParam) | DLGC_WANTARROWS;
    case WM_KEYDOWN:
        if (wParam == VK_UP || wParam == VK_LEFT || wParam == VK_DOWN || wParam == VK_RIGHT) {
            reinterpret_cast<MainWindow*>(self)->StepOptionButton(button, wParam == VK_DOWN ||
                                                                              wParam == VK_RIGHT);
            return 0;
        }
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(button, OptionButtonProc, 0); break;
    default: break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

void MainWindow::StepOptionButton(HWND from, bool forward) {
    const WidgetSpec& current = FindWidget(static_cast<WidgetId>(GetDlgCtrlID(from)));
    std::vector<HWND> options; // the frame's options from top to bottom, as the table lists them
    for (const WidgetSpec& row : Form1Widgets()) {
        if (row.Kind == WidgetKind::OptionButton && row.Container == current.Container) {
            options.push_back(Widget(row.Id));
        }
    }
    const auto at = std::find(options.begin(), options.end(), from);
    if (at == options.end()) {
        return;
    }
    const std::ptrdiff_t count = std::ssize(options);
    std::ptrdiff_t index = at - options.begin();
    for (std::ptrdiff_t step = 1; step < count; ++step) {
        index = (index + (forward ? 1 : count - 1)) % count;
        HWND next = options[static_cast<size_t>(index)];
        if (IsWindowEnabled(next)) {
            SetFocus(next);
            ChooseOptionButton(static_cast<WidgetId>(GetDlgCtrlID(next)));
            return;
        }
    }
}

void MainWindow::Run(const std::function<void()>& command) {
    if (command) {
        command();
    }
}

void MainWindow::OnCommand(int id, int code) {
    const auto widget = static_cast<WidgetId>(id);
    switch (widget) {
    case WidgetId::ScanOnly:
    case WidgetId::ScanFast:
    case WidgetId::ScanFix:
    case WidgetId::ScanFixFast:
    case WidgetId::ScanRecover:
    case WidgetId::ScanReEval:
    case WidgetId::NoRescan:
    case WidgetId::LimitRescans:
    case WidgetId::RescanForever:
        if (code == BN_CLICKED) {
            ChooseOptionButton(widget);
        }
        return;
    case WidgetId::UseX:
    case WidgetId::Drive2Check:
    case WidgetId::Drive3Check:
    case WidgetId::Drive4Check:
    case WidgetId::Drive5Check:
    case WidgetId::ShutdownCheck:
    case WidgetId::AutoSaveCheck:
        if (code == BN_CLICKED) {
            OnCheckBox(widget);
        }
        return;
    case WidgetId::Drive1:
    case WidgetId::Drive2:
    case WidgetId::Drive3:
    case WidgetId::Drive4:
    case WidgetId::Drive5:
    case WidgetId::RescanNumber:
        if (code == CBN_SELCHANGE) {
            OnListChoice(widget);
        }
        return;
    case WidgetId::ErrorDescText:
        if (code == EN_CHANGE) {
            OnLogEdited();
        }
        return;
    case WidgetId::Command1:
        if (code == BN_CLICKED) {
            model_.PressStart();
        }
        return;
    case WidgetId::SaveLog:
        if (code == BN_CLICKED) {
            model_.PressSaveLog();
        }
        return;
    case WidgetId::ScanNextBoot:
        if (code == BN_CLICKED) {
            model_.PressScanNextBoot();
        }
        return;
    case WidgetId::UndoBootChk:
        if (code == BN_CLICKED) {
            model_.PressUndoBootChk();
        }
        return;
    default: break;
    }
    switch (static_cast<MenuId>(id)) {
    case MenuId::UIMenu_DebugMode: model_.ToggleDebugMode(); break;
    case MenuId::UIMenu_SubScansOption: model_.ToggleSubScansOption(); break;
    case MenuId::UIMenu_ScanFixedDisksOnly: model_.ToggleScanFixedDisksOnly(); break;
    case MenuId::UIMenu_Help: Run(commands_.OpenHelp); break;
    case MenuId::UIMenu_About: Run(commands_.ShowAbout); break;
    default: break; // Enter or Esc away from a push button: nothing to do
    }
}

void MainWindow::ChooseOptionButton(WidgetId id) {
    // Clicking the option already chosen changes nothing (it would otherwise reset the rescan
    // number the user picked).
    for (const auto& [button, mode] : kScanModeButtons) {
        if (button == id && model_.Settings().Mode != mode) {
            model_.ChooseScanMode(mode);
        }
    }
    for (const auto& [button, policy] : kRescanButtons) {
        if (button == id && model_.Settings().Rescan != policy) {
            model_.ChooseRescanPolicy(policy);
        }
    }
}

void MainWindow::OnCheckBox(WidgetId id) {
    const int value = SendMessageW(Widget(id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    if (const int number = DriveNumber(id, kDriveChecks); number != 0) {
        model_.SetDriveCheck(number, value);
        return;
    }
    switch (id) {
    case WidgetId::UseX: model_.SetUseX(value); break;
    case WidgetId::ShutdownCheck: model_.SetShutdownCheck(value); break;
    case WidgetId::AutoSaveCheck: model_.SetAutoSaveCheck(value); break;
    default: break;
    }
}

void MainWindow::OnListChoice(WidgetId id) {
    HWND list = Widget(id);
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return;
    }
    std::string text = Narrow(ListItemText(list, index));
    if (id == WidgetId::RescanNumber) {
        model_.ChooseRescanNumber(text);
    } else {
        model_.SetDriveEntry(DriveNumber(id, kDriveLists), std::move(text));
    }
}

void MainWindow::OnLogEdited() {
    if (appendingLog_ || !built_) {
        return;
    }
    model_.ReplaceLogText(Narrow(WindowText(Widget(WidgetId::ErrorDescText))));
}

void MainWindow::OnLogAppended(std::string_view text) {
    HWND box = Widget(WidgetId::ErrorDescText);
    if (!built_ || box == nullptr) {
        return;
    }
    // Only the new text goes in, at the end: rewriting a log of thousands of entries on every
    // append would grow slower with each pass.
    const std::wstring wide = Widen(text);
    appendingLog_ = true;
    const int end = GetWindowTextLengthW(box);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
    appendingLog_ = false;
}

void MainWindow::OnCloseReady() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void MainWindow::OnStateChanged() {
    if (built_) {
        Mirror();
    }
}

void MainWindow::Mirror() {
    const ScanSettings& settings = model_.Settings();
    MirrorText(window_, model_.Caption());
    MirrorDriveEntries();
    for (const auto& [button, mode] : kScanModeButtons) {
        MirrorCheck(button, settings.Mode == mode);
    }
    for (const auto& [button, policy] : kRescanButtons) {
        MirrorCheck(button, settings.Rescan == policy);
    }
    MirrorEnabled(WidgetId::ScanReEval, model_.ScanReEvalEnabled());
    MirrorEnabled(WidgetId::LimitRescans, model_.LimitRescansEnabled());
    MirrorCheck(WidgetId::UseX, settings.UseX == 1);
    for (int number = 1; number <= kDriveCount; ++number) {
        const WidgetId list = kDriveLists[number - 1];
        MirrorListChoice(list, settings.Drive(number));
        if (number > 1) {
            MirrorCheck(kDriveChecks[number - 1], settings.DriveCheck(number) == 1);
            MirrorEnabled(list, model_.DriveListEnabled(number));
        }
    }
    MirrorListChoice(WidgetId::RescanNumber, settings.RescanNumber);
    MirrorEnabled(WidgetId::RescanNumber, model_.RescanNumberEnabled());
    MirrorCheck(WidgetId::AutoSaveCheck, settings.AutoSaveCheck == 1);
    MirrorCheck(WidgetId::ShutdownCheck, settings.ShutdownCheck == 1);
    MirrorText(Widget(WidgetId::Command1), model_.StartCaption());
    MirrorStatusPanel(0, model_.CommandPanel());
    MirrorStatusPanel(1, model_.ProgressPanel());
    MirrorStatusPanel(2, model_.AutochkPanel());
    MirrorMenuCheck(MenuId::UIMenu_DebugMode, settings.UIMenu_DebugMode);
    MirrorMenuCheck(MenuId::UIMenu_SubScansOption, settings.UIMenu_SubScansOption);
    MirrorMenuCheck(MenuId::UIMenu_ScanFixedDisksOnly, settings.UIMenu_ScanFixedDisksOnly);
}

void MainWindow::MirrorDriveEntries() {
    if (shownDrives_ == model_.DriveEntries()) {
        return;
    }
    shownDrives_ = model_.DriveEntries();
    for (WidgetId id : kDriveLists) {
        HWND list = Widget(id);
        SendMessageW(list, CB_RESETCONTENT, 0, 0);
        for (const std::string& entry : shownDrives_) {
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry).c_str()));
        }
    }
}

void MainWindow::MirrorCheck(WidgetId id, bool checked) {
    HWND control = Widget(id);
    const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
    if (static_cast<WPARAM>(SendMessageW(control, BM_GETCHECK, 0, 0)) != state) {
        SendMessageW(control, BM_SETCHECK, state, 0);
    }
    if (FindWidget(id).Kind == WidgetKind::OptionButton) {
        // Tab stops at the chosen option of a frame only, as in a dialog's option group.
        const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        const LONG_PTR wanted = checked ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP});
        if (wanted != style) {
            SetWindowLongPtrW(control, GWL_STYLE, wanted);
        }
    }
}

void MainWindow::MirrorEnabled(WidgetId id, bool enabled) {
    HWND control = Widget(id);
    if ((IsWindowEnabled(control) != FALSE) == enabled) {
        return;
    }
    if (!enabled && GetFocus() == control) {
        // A disabled control cannot keep the focus; hand it on rather than lose it.
        HWND next = GetNextDlgTabItem(window_, control, FALSE);
        SetFocus(next != control ? next : window_);
    }
    EnableWindow(control, enabled);
}

void MainWindow::MirrorListChoice(WidgetId id, std::string_view entry) {
    HWND list = Widget(id);
    const LRESULT current = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (entry.empty()) {
        if (current != CB_ERR) {
            SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        }
        return;
    }
    const std::wstring wide = Widen(entry);
    if (current != CB_ERR && ListItemText(list, current) == wide) {
        return;
    }
    const LRESULT found = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(wide.c_str()));
    if (found != CB_ERR) {
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    }
}

void MainWindow::MirrorText(HWND control, std::string_view text) {
    const std::wstring wide = Widen(text);
    if (WindowText(control) != wide) {
        SetWindowTextW(control, wide.c_str());
    }
}

void MainWindow::MirrorStatusPanel(int panel, std::string_view text) {
    HWND statusBar = Widget(WidgetId::StatusBar1);
    const std::wstring wide = Widen(text);
    const LRESULT length = SendMessageW(statusBar, SB_GETTEXTLENGTHW, panel, 0);
    std::wstring shown(static_cast<size_t>(LOWORD(length)) + 1, L'\0');
    SendMessageW(statusBar, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(shown.data()));
    shown.resize(LOWORD(length));
    if (shown != wide) {
        SendMessageW(statusBar, SB_SETTEXTW, panel, reinterpret_cast<LPARAM>(wide.c_str()));
    }
}

void MainWindow::MirrorMenuCheck(MenuId id, bool checked) {
    const UINT state = GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND);
    if (((state & MF_CHECKED) != 0) != checked) {
        CheckMenuItem(menu_, static_cast<UINT>(id),
                      MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

} // namespace tolvane
