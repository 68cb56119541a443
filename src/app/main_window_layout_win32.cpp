// Creation, layout, DPI changes and tool tips of the main window.
#include "app/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window_pixels_win32.h"
#include "platform/win32_util.h"

namespace tolvane {
namespace {

using win32::Widen;

constexpr wchar_t kClassName[] = L"TolvaneForm1";
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
// The controls sit directly on the window; this keeps nested dialog navigation right should a
// container window ever be added.
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

// The edit control's default limit (32K characters) would drop entries after a few hundred
// passes.
constexpr WPARAM kLogTextLimit = 0x7FFFFFFE;
// Long tool tips wrap at this width (at 96 DPI) instead of crossing the screen.
constexpr int kToolTipWidth = 400;
// Drop-down height beyond the closed box: room for the eight rescan numbers or a few drives.
constexpr int kDropDownExtra = 200;

bool IsDropDown(WidgetKind kind) {
    return kind == WidgetKind::DriveList || kind == WidgetKind::DropDownList;
}

// Where the control stands now, in its parent's client coordinates.
RECT ShownRect(HWND control) {
    RECT shown{};
    GetWindowRect(control, &shown);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&shown), 2);
    return shown;
}

// Frames draw their captions in the highlight colour through WM_CTLCOLORSTATIC, which a themed
// group box ignores: these few are drawn the classic way. A theme class that names nothing turns
// theming off (an empty name would be refused by some implementations).
void DrawWithoutTheme(HWND control) {
    static const auto setWindowTheme =
        win32::SystemFunction<HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR)>(L"uxtheme.dll",
                                                                        "SetWindowTheme");
    if (setWindowTheme != nullptr) {
        setWindowTheme(control, L" ", L" ");
    }
}

// Window class and styles of a widget kind. Every control is a group of its own: arrow keys then
// stay inside the controls that use them (lists, the log box, and option buttons within their
// frame, which the window steps through itself).
struct ControlStyle {
    const wchar_t* ClassName;
    DWORD Style;
    DWORD ExStyle;
};

ControlStyle StyleOf(WidgetKind kind) {
    constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_GROUP;
    constexpr DWORD kFocusable = kChild | WS_TABSTOP;
    switch (kind) {
    case WidgetKind::Frame: return {WC_BUTTONW, kChild | BS_GROUPBOX, 0};
    // Not automatic: the model decides which option is chosen, and the view shows it.
    case WidgetKind::OptionButton: return {WC_BUTTONW, kChild | BS_RADIOBUTTON | BS_MULTILINE, 0};
    case WidgetKind::CheckBox: return {WC_BUTTONW, kFocusable | BS_AUTOCHECKBOX | BS_MULTILINE, 0};
    case WidgetKind::PushButton: return {WC_BUTTONW, kFocusable | BS_PUSHBUTTON | BS_MULTILINE, 0};
    case WidgetKind::DriveList:
    case WidgetKind::DropDownList:
        return {WC_COMBOBOXW, kFocusable | CBS_DROPDOWNLIST | WS_VSCROLL, 0};
    case WidgetKind::TextBox:
        return {WC_EDITW, kFocusable | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL,
                WS_EX_CLIENTEDGE};
    case WidgetKind::StatusBar:
        return {STATUSCLASSNAMEW, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0};
    }
    return {WC_BUTTONW, kChild, 0};
}

} // namespace

MainWindow::MainWindow(MainWindowModel& model, MainWindowCommands commands)
    : model_(model), commands_(std::move(commands)) {
    model_.SetObserver(this);
}

MainWindow::~MainWindow() {
    model_.SetObserver(nullptr);
    if (Handle() != nullptr) {
        DestroyWindow(Handle());
    }
}

HWND MainWindow::Widget(WidgetId id) const {
    // Kept, not looked up: under Wine each GetDlgItem is a call to the window manager.
    const auto index = static_cast<std::size_t>(&FindWidget(id) - Form1Widgets().data());
    return index < widgets_.size() ? widgets_[index] : nullptr;
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
                        static_cast<WindowBase*>(this)) == nullptr) {
        return false;
    }
    dpi_ = win32::WindowDpi(Handle());
    BuildMenu();
    CreateFonts();
    CreateWidgets(instance);
    LayOutWidgets();
    SizeToDesign();
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
    SetMenu(Handle(), menu_);
}

void MainWindow::CreateFonts() {
    const LOGFONTW plain = win32::DialogFont(dpi_, false);
    const LOGFONTW bold = win32::DialogFont(dpi_, true);
    font_.Reset(CreateFontIndirectW(&plain));
    boldFont_.Reset(CreateFontIndirectW(&bold));
}

void MainWindow::CreateWidgets(HINSTANCE instance) {
    widgets_.assign(Form1Widgets().size(), nullptr);
    std::vector<const WidgetSpec*> byTab;
    for (const WidgetSpec& row : Form1Widgets()) {
        byTab.push_back(&row);
    }
    // Creation order is the Z order, which is the order Tab follows.
    std::sort(byTab.begin(), byTab.end(),
              [](const WidgetSpec* a, const WidgetSpec* b) { return a->Tab < b->Tab; });
    for (const WidgetSpec* row : byTab) {
        const ControlStyle style = StyleOf(row->Kind);
        // Made in place, lists with their dropped part: the layout then finds most widgets
        // where they belong already.
        RECT rect = PixelRect(*row, dpi_);
        const std::wstring caption = Widen(row->Caption);
        if (IsDropDown(row->Kind)) {
            rect.bottom += win32::ScaleFrom96(kDropDownExtra, dpi_);
            CreateSpokenLabel(caption, instance); // a list shows no caption of its own
        }
        HWND control = CreateWindowExW(
            style.ExStyle, style.ClassName, IsDropDown(row->Kind) ? L"" : caption.c_str(),
            style.Style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
            Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(row->Id)), instance, nullptr);
        if (control == nullptr) {
            continue;
        }
        widgets_[static_cast<std::size_t>(row - Form1Widgets().data())] = control;
        switch (row->Kind) {
        case WidgetKind::Frame: DrawWithoutTheme(control); break;
        case WidgetKind::OptionButton: Subclass(control); break;
        case WidgetKind::DriveList:
        case WidgetKind::DropDownList: FillList(control, *row); break;
        case WidgetKind::TextBox: SendMessageW(control, EM_SETLIMITTEXT, kLogTextLimit, 0); break;
        default: break;
        }
    }
}

void MainWindow::CreateSpokenLabel(const std::wstring& text, HINSTANCE instance) const {
    // Screen readers name a list by the nearest static text before it in the Z order. Hidden,
    // and neither a group's start nor a tab stop, the label changes nothing on screen or for the
    // keyboard.
    CreateWindowExW(0, WC_STATICW, text.c_str(), WS_CHILD | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                    Handle(), nullptr, instance, nullptr);
}

void MainWindow::FillList(HWND list, const WidgetSpec& row) const {
    if (row.Kind == WidgetKind::DriveList) {
        return; // the drives come with the first mirroring of the model
    }
    for (std::string_view item : kRescanLimitItems) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    }
    SendMessageW(list, CB_SETMINVISIBLE, std::size(kRescanLimitItems), 0);
}

void MainWindow::LayOutWidgets() {
    for (const WidgetSpec& row : Form1Widgets()) {
        HWND control = Widget(row.Id);
        if (control == nullptr) {
            continue;
        }
        HGDIOBJ font = row.Look == WidgetLook::Bold ? boldFont_.Get() : font_.Get();
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        const RECT rect = PixelRect(row, dpi_);
        const RECT shown = ShownRect(control);
        if (IsDropDown(row.Kind)) {
            PlaceDropDown(control, rect);
        } else if (row.Kind != WidgetKind::StatusBar && !EqualRect(&rect, &shown)) {
            MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       FALSE);
        }
    }
    CutOutOverlaps();
    LayOutStatusBar();
    InvalidateRect(Handle(), nullptr, TRUE);
}

void MainWindow::PlaceDropDown(HWND list, const RECT& rect) const {
    // The window's height includes the dropped list; the closed box is sized through its
    // selection field, so that it stands exactly as tall as the design says.
    const int height = rect.bottom - rect.top;
    // A list made in place holds its dropped part already; one the DPI moved is placed anew.
    const RECT shown = ShownRect(list);
    if (shown.left != rect.left || shown.top != rect.top || shown.right != rect.right) {
        MoveWindow(list, rect.left, rect.top, rect.right - rect.left,
                   height + win32::ScaleFrom96(kDropDownExtra, dpi_), FALSE);
    }
    // Some combo boxes take a field height a little differently from how they report it, so
    // correct by what the box then measures.
    LRESULT request = SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 3 && request != CB_ERR; ++attempt) {
        RECT closed{};
        GetWindowRect(list, &closed);
        const int off = height - static_cast<int>(closed.bottom - closed.top);
        if (off == 0 || request + off <= 0) {
            break;
        }
        request += off;
        SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request);
    }
}

void MainWindow::LayOutStatusBar() {
    HWND statusBar = Widget(WidgetId::StatusBar1);
    if (statusBar == nullptr) {
        return;
    }
    SendMessageW(statusBar, WM_SIZE, 0, 0);
    RECT client{};
    GetClientRect(Handle(), &client);
    int edges[kStatusPanelCount];
    for (int panel = 0; panel < kStatusPanelCount; ++panel) {
        edges[panel] = panel == kStatusPanelCount - 1
                           ? -1
                           : MulDiv(client.right, panel + 1, kStatusPanelCount);
    }
    SendMessageW(statusBar, SB_SETPARTS, kStatusPanelCount, reinterpret_cast<LPARAM>(edges));
}

void MainWindow::SizeToDesign() {
    const RECT client = win32::PixelsOf({0, 0, kClientWidthTwips, kClientHeightTwips}, dpi_);
    const RECT frame = win32::FrameForClient(client, kWindowStyle, kWindowExStyle, true, dpi_);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    PlaceCentred(width, height);
    // A menu bar that wraps, or a frame the estimate got wrong, shows in the client rectangle.
    RECT actual{};
    GetClientRect(Handle(), &actual);
    const int moreWidth = client.right - actual.right;
    const int moreHeight = client.bottom - actual.bottom;
    if (moreWidth != 0 || moreHeight != 0) {
        PlaceCentred(width + moreWidth, height + moreHeight);
    }
}

void MainWindow::PlaceCentred(int width, int height) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    SetWindowPos(Handle(), nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::CreateToolTips() {
    toolTips_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, nullptr, nullptr);
    if (toolTips_ == nullptr) {
        return;
    }
    for (const WidgetSpec& row : Form1Widgets()) {
        if (row.ToolTip.empty()) {
            continue;
        }
        std::wstring text = Widen(row.ToolTip);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = Handle();
        tool.lpszText = text.data(); // copied by the control
        if (TakesFocus(row.Kind)) {
            tool.uFlags = TTF_SUBCLASS | TTF_IDISHWND;
            tool.uId = reinterpret_cast<UINT_PTR>(Widget(row.Id));
            SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        // The mouse over a frame, or over a disabled control, reaches the window rather than
        // the widget: a tool for the widget's area of the window covers those cases, so the
        // "(Vista only)" hint shows exactly where the option is greyed out. PlaceToolTips
        // gives it its rectangle.
        tool.uFlags = TTF_SUBCLASS;
        tool.uId = static_cast<UINT_PTR>(row.Id);
        SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    PlaceToolTips();
}

void MainWindow::PlaceToolTips() {
    if (toolTips_ == nullptr) {
        return;
    }
    SendMessageW(toolTips_, TTM_SETMAXTIPWIDTH, 0, win32::ScaleFrom96(kToolTipWidth, dpi_));
    for (const WidgetSpec& row : Form1Widgets()) {
        if (row.ToolTip.empty()) {
            continue;
        }
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = Handle();
        tool.uId = static_cast<UINT_PTR>(row.Id);
        tool.rect = PixelRect(row, dpi_);
        SendMessageW(toolTips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MainWindow::LoadIcons() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    win32::LoadedIcon big =
        win32::LoadProgramIcon(instance, win32::SystemMetricForDpi(SM_CXICON, dpi_));
    win32::LoadedIcon small =
        win32::LoadProgramIcon(instance, win32::SystemMetricForDpi(SM_CXSMICON, dpi_));
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.Get()));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.Get()));
    // The window holds the new icons now; the old ones go.
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

void MainWindow::ChangeDpi(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    // The controls hold the old fonts until the layout gives them the new ones.
    const win32::ScopedGdi oldFont(font_.Release());
    const win32::ScopedGdi oldBoldFont(boldFont_.Release());
    CreateFonts();
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutWidgets();
    PlaceToolTips();
    LoadIcons();
}

void MainWindow::Show(int showCommand) {
    ShowWindow(Handle(), showCommand);
    UpdateWindow(Handle());
    if (toolTips_ == nullptr) {
        // Each tool tip subclasses the control it watches, which makes every message the
        // control handles dearer; made after the first paint, they stay out of the start (under
        // Wine they made up a fifth of it), and nobody points at a control that soon.
        PostMessageW(Handle(), kMakeToolTipsMessage, 0, 0);
    }
    if (GetActiveWindow() == Handle() && lastFocus_ != nullptr) {
        SetFocus(lastFocus_);
    }
}

} // namespace tolvane
