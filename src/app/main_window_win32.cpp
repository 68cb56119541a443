// The main window's messages, keyboard, commands and the mirroring of the model.
#include "app/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32_util.h"

namespace tolvane {
namespace {

using win32::Narrow;
using win32::Widen;

// From dbt.h.
constexpr WPARAM kDeviceArrival = 0x8000;
constexpr WPARAM kDeviceRemoveComplete = 0x8004;
// A text position beyond any log's end.
constexpr int kPastTheEnd = INT_MAX;

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
constexpr std::pair<WidgetId, void (MainWindowModel::*)()> kPushButtons[] = {
    {WidgetId::Command1, &MainWindowModel::PressStart},
    {WidgetId::SaveLog, &MainWindowModel::PressSaveLog},
    {WidgetId::ScanNextBoot, &MainWindowModel::PressScanNextBoot},
    {WidgetId::UndoBootChk, &MainWindowModel::PressUndoBootChk},
};
// Check boxes other than the drives' (those go by the table's drive number).
constexpr std::pair<WidgetId, void (MainWindowModel::*)(int)> kCheckBoxes[] = {
    {WidgetId::UseX, &MainWindowModel::SetUseX},
    {WidgetId::ShutdownCheck, &MainWindowModel::SetShutdownCheck},
    {WidgetId::AutoSaveCheck, &MainWindowModel::SetAutoSaveCheck},
};

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

void Run(const std::function<void()>& command) {
    if (command) {
        command();
    }
}

} // namespace

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CTLCOLORSTATIC: {
        const WidgetSpec* row = TryFindWidget(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        if (row != nullptr && row->Kind == WidgetKind::Frame) {
            return win32::HighlightStatic(reinterpret_cast<HDC>(wParam));
        }
        break;
    }
    case WM_SIZE: LayOutStatusBar(); return 0;
    case kMakeToolTipsMessage:
        if (toolTips_ == nullptr) {
            CreateToolTips();
        }
        return 0;
    case WM_DEVICECHANGE:
        // Whatever device the news is about (lParam may describe any kind, or none): a new
        // reading of the drives is cheap.
        if (wParam == kDeviceArrival || wParam == kDeviceRemoveComplete) {
            model_.RefreshDrives();
        }
        return TRUE;
    case win32::kWmDpiChanged:
        ChangeDpi(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE: OnActivate(wParam); return 0;
    case WM_SETFOCUS:
        if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
            SetFocus(lastFocus_);
        }
        return 0;
    case DM_GETDEFID:
    case WM_NEXTDLGCTL: return OnDialogNavigation(message, wParam, lParam);
    case WM_CLOSE:
        // During a run the pass in progress finishes first; the model says when.
        if (model_.RequestClose()) {
            DestroyWindow(Handle());
        }
        return 0;
    default: break;
    }
    return DefWindowProcW(Handle(), message, wParam, lParam);
}

void MainWindow::OnDestroyed() {
    toolTips_ = nullptr;
    widgets_.clear();
    built_ = false;
    Run(commands_.Closed);
}

void MainWindow::OnActivate(WPARAM wParam) {
    // Keep the focused control across a switch to another window and back; at first the Start
    // button, so Enter or Space starts a run.
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(Handle(), focus)) {
            lastFocus_ = focus;
        }
    } else if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
        SetFocus(lastFocus_);
    }
}

// The dialog manager's questions, answered as a dialog box would.
LRESULT MainWindow::OnDialogNavigation(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND focus = GetFocus();
    const bool ownFocus = focus != nullptr && IsChild(Handle(), focus);
    if (message == DM_GETDEFID) {
        // Enter clicks the push button that has the focus, and nothing else.
        if (ownFocus && (SendMessageW(focus, WM_GETDLGCODE, 0, 0) &
                         (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
            return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
        }
        return 0;
    }
    // WM_NEXTDLGCTL, sent for Tab and the arrow keys.
    HWND next = LOWORD(lParam) != 0
                    ? reinterpret_cast<HWND>(wParam)
                    : GetNextDlgTabItem(Handle(), ownFocus ? focus : nullptr, wParam != 0);
    if (next != nullptr) {
        SetFocus(next);
        if ((SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
            SendMessageW(next, EM_SETSEL, 0, -1);
        }
    }
    return 0;
}

LRESULT MainWindow::HandleControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    // Only option buttons are subclassed. The design's tab order scatters a frame's option
    // buttons, so the dialog manager's groups cannot hold them; the arrow keys move through the
    // frame's options here instead. WM_NCCALCSIZE narrows the client area of an option that a
    // later widget lies over ("Limit to" under the rescan number), so that its caption breaks at
    // its runs of blanks and no word falls under that widget (FitBesideOverlaps).
    switch (message) {
    case WM_GETDLGCODE: return CallControlProc(control, message, wParam, lParam) | DLGC_WANTARROWS;
    case WM_NCCALCSIZE: {
        const LRESULT result = CallControlProc(control, message, wParam, lParam);
        FitBesideOverlaps(control, *reinterpret_cast<RECT*>(lParam)); // first of both forms
        return result;
    }
    case WM_KEYDOWN:
        if (wParam == VK_UP || wParam == VK_LEFT || wParam == VK_DOWN || wParam == VK_RIGHT) {
            StepOptionButton(control, wParam == VK_DOWN || wParam == VK_RIGHT);
            return 0;
        }
        break;
    default: break;
    }
    return CallControlProc(control, message, wParam, lParam);
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

void MainWindow::OnCommand(int id, int code) {
    if (const WidgetSpec* row = TryFindWidget(id)) {
        OnWidgetCommand(*row, code);
    } else {
        OnMenuCommand(static_cast<MenuId>(id));
    }
}

void MainWindow::OnWidgetCommand(const WidgetSpec& row, int code) {
    switch (row.Kind) {
    case WidgetKind::OptionButton:
        if (code == BN_CLICKED) {
            ChooseOptionButton(row.Id);
        }
        break;
    case WidgetKind::CheckBox:
        if (code == BN_CLICKED) {
            OnCheckBox(row);
        }
        break;
    case WidgetKind::DriveList:
    case WidgetKind::DropDownList:
        if (code == CBN_SELCHANGE) {
            OnListChoice(row);
        }
        break;
    case WidgetKind::TextBox:
        if (code == EN_CHANGE) {
            OnLogEdited();
        }
        break;
    case WidgetKind::PushButton:
        for (const auto& [button, press] : kPushButtons) {
            if (button == row.Id && code == BN_CLICKED) {
                (model_.*press)();
            }
        }
        break;
    default: break;
    }
}

void MainWindow::OnMenuCommand(MenuId id) {
    switch (id) {
    case MenuId::UIMenu_DebugMode: model_.ToggleDebugMode(); break;
    case MenuId::UIMenu_SubScansOption: model_.ToggleSubScansOption(); break;
    case MenuId::UIMenu_ScanFixedDisksOnly: model_.ToggleScanFixedDisksOnly(); break;
    case MenuId::UIMenu_Help: Run(commands_.OpenHelp); break;
    case MenuId::UIMenu_About: Run(commands_.ShowAbout); break;
    default: break; // Enter or Esc away from a push button: nothing to do
    }
}

void MainWindow::ChooseOptionButton(WidgetId id) {
    // A click runs the option's rule even on the option already chosen: that is how the user
    // gets a mode's /X or the default rescan limit back.
    for (const auto& [button, mode] : kScanModeButtons) {
        if (button == id) {
            model_.ChooseScanMode(mode);
        }
    }
    for (const auto& [button, policy] : kRescanButtons) {
        if (button == id) {
            model_.ChooseRescanPolicy(policy);
        }
    }
}

void MainWindow::OnCheckBox(const WidgetSpec& row) {
    const int value = SendMessageW(Widget(row.Id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    if (row.Drive != 0) {
        model_.SetDriveCheck(row.Drive, value);
    }
    for (const auto& [box, set] : kCheckBoxes) {
        if (box == row.Id) {
            (model_.*set)(value);
        }
    }
}

void MainWindow::OnListChoice(const WidgetSpec& row) {
    HWND list = Widget(row.Id);
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return;
    }
    std::string text = Narrow(ListItemText(list, index));
    if (row.Kind == WidgetKind::DropDownList) {
        model_.ChooseRescanNumber(text);
    } else {
        model_.SetDriveEntry(row.Drive, std::move(text));
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
    // The box clamps a position past its end to the end, so the length need not be asked.
    SendMessageW(box, EM_SETSEL, kPastTheEnd, kPastTheEnd);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
    appendingLog_ = false;
}

void MainWindow::OnCloseReady() {
    if (Handle() != nullptr) {
        DestroyWindow(Handle());
    }
}

void MainWindow::OnStateChanged() {
    if (built_) {
        Mirror();
    }
}

void MainWindow::Mirror() {
    const ScanSettings& settings = model_.Settings();
    MirrorText(Handle(), model_.Caption());
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
    for (const WidgetSpec& row : Form1Widgets()) {
        if (row.Kind == WidgetKind::DriveList) {
            MirrorListChoice(row.Id, settings.Drive(row.Drive));
            if (row.Drive > 1) {
                MirrorEnabled(row.Id, model_.DriveListEnabled(row.Drive));
            }
        } else if (row.Kind == WidgetKind::CheckBox && row.Drive != 0) {
            MirrorCheck(row.Id, settings.DriveCheck(row.Drive) == 1);
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
    for (const WidgetSpec& row : Form1Widgets()) {
        if (row.Kind != WidgetKind::DriveList) {
            continue;
        }
        HWND list = Widget(row.Id);
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
        HWND next = GetNextDlgTabItem(Handle(), control, FALSE);
        SetFocus(next != control ? next : Handle());
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
