#include "app/main_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fakes.h"
#include "platform/message_loop_win32.h"
#include "platform/win32_util.h"

namespace tolvane {
namespace {

using win32::Narrow;

using W = WidgetId;

// The design's widgets at 96 DPI, in client pixels, written out by hand from the twips (15 to
// the pixel, frame widgets offset by their frame's corner), so a slip in the conversion or the
// table shows here.
struct Expected {
    WidgetId Id;
    const wchar_t* Class;
    std::string Caption;
    std::string ToolTip;
    RECT Rect; // left, top, width, height
};

const std::vector<Expected>& Design() {
    // clang-format off
    static const std::vector<Expected> design = {
        {W::Frame2, L"Button", "Chkdsk Behavior:", "", {8, 8, 217, 177}},
        {W::Drive1, L"ComboBox", "", "", {16, 32, 169, 21}},
        {W::ScanFast, L"Button", "Scan Only (Fast, /I /C)", "Performs a less vigorous check of "
         "index entries and skips the checking of cycles within the folder structure; NTFS only.",
         {16, 56, 129, 17}},
        {W::ScanOnly, L"Button", "Scan Only", "Standard Check.  Does not fix any errors found.",
         {16, 72, 89, 17}},
        {W::ScanFixFast, L"Button", "Scan and Fix (Fast, /F /I /C)",
         "Fixes errors on the disk, Fast scan using /I and /C. ", {16, 88, 169, 17}},
        {W::ScanFix, L"Button", "Scan and Fix (/F)", "Fixes errors on the disk. ", {16, 104, 105, 17}},
        {W::ScanRecover, L"Button", "Scan and Recover (Slow, /R)", "Locates bad sectors and "
         "recovers readable information.  Also includes functionality of /F", {16, 120, 169, 17}},
        {W::ScanReEval, L"Button", "Scan, Recover, Re-Eval (Slow, /B)",
         "/R functionality plus re-evaluation of bad clusters.  (Vista only)", {16, 136, 201, 17}},
        {W::UseX, L"Button", "Force Handles to close (/X)", "Forces the volume to dismount first, "
         "if necessary.  Also includes functionality of /F", {24, 160, 153, 17}},
        {W::Frame6, L"Button", "Rescan:", "Rescan Options, applies to EACH partition", {240, 8, 121, 177}},
        {W::NoRescan, L"Button", "No Rescan", "", {248, 32, 81, 17}},
        {W::RescanForever, L"Button", "Rescan until Chkdsk returns no errors.", "", {248, 64, 81, 49}},
        {W::LimitRescans, L"Button", "Limit to:        scans,             then fail", "Stops "
         "rescanning of a partition after (x) number of tries, regardless of whether a clean run "
         "was reported or not.  ", {248, 128, 105, 49}},
        {W::RescanNumber, L"ComboBox", "", "", {312, 136, 41, 21}},
        {W::ResultsFrame, L"Button", "Last Chkdsk Results:", "", {376, 8, 329, 177}},
        {W::ErrorDescText, L"Edit", "", "", {384, 32, 313, 137}},
        {W::Frame4, L"Button", "Scan Additional Partitions:", "", {8, 200, 353, 129}},
        {W::Drive2, L"ComboBox", "", "", {16, 224, 185, 21}},
        {W::Drive2Check, L"Button", "Scan a 2nd Partition", "", {216, 224, 121, 17}},
        {W::Drive3, L"ComboBox", "", "", {16, 248, 185, 21}},
        {W::Drive3Check, L"Button", "Scan a 3rd  Partition", "", {216, 248, 121, 17}},
        {W::Drive4, L"ComboBox", "", "", {16, 272, 185, 21}},
        {W::Drive4Check, L"Button", "Scan a 4th  Partition", "", {216, 272, 121, 17}},
        {W::Drive5, L"ComboBox", "", "", {16, 296, 185, 21}},
        {W::Drive5Check, L"Button", "Scan a 5th  Partition", "", {216, 296, 121, 17}},
        {W::Frame3, L"Button", "Logs:", "", {376, 200, 329, 57}},
        {W::SaveLog, L"Button", "Save Log", "", {432, 216, 97, 33}},
        {W::AutoSaveCheck, L"Button", "Auto Save Log File", "", {536, 224, 121, 17}},
        {W::Command1, L"Button", "Start", "", {480, 312, 121, 41}},
        {W::Frame5, L"Button", "Autochk (scans on reboot)", "", {8, 344, 353, 65}},
        {W::ScanNextBoot, L"Button", "Scan Selected on Next Boot", "", {24, 368, 153, 25}},
        {W::UndoBootChk, L"Button", "Remove Next Boot Scan", "", {192, 368, 153, 25}},
        {W::ShutdownCheck, L"Button", "Shutdown when finished", "", {472, 368, 137, 17}},
    };
    // clang-format on
    return design;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::string TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return Narrow(text);
}

bool Checked(HWND button) {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string ListChoice(HWND list) {
    const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return {};
    }
    wchar_t text[256] = {};
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return Narrow(text);
}

std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        wchar_t text[256] = {};
        SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text));
        items.push_back(Narrow(text));
    }
    return items;
}

RECT ClientRectOf(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return RECT{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void PumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        win32::DispatchWindowMessage(message);
    }
}

// A key press as the program's message loop hands it over: through the dialog manager.
void PressKey(HWND target, WPARAM key) {
    MSG message{target, WM_KEYDOWN, key, 1, GetTickCount(), {}};
    win32::DispatchWindowMessage(message);
    message.message = WM_KEYUP;
    message.lParam = static_cast<LPARAM>(0xC0000001u);
    win32::DispatchWindowMessage(message);
}

class MainWindowTest : public testing::ModelFixture {
protected:
    MainWindowTest() {
        drives.Set('C', testing::kFixedDisk, "SYSTEM");
        drives.Set('D', testing::kFixedDisk, "");
        drives.Set('Q', testing::kFixedDisk, "DATA");
        drives.CurrentDir = "Q:\\Work";
        model.RefreshDrives();
        environment.Values["homedrive"] = "H:";
        environment.Values["HOMEDRIVE"] = "H:";
        LastExitCode = 0;
        commands.Closed = [this] { ++closed; };
        commands.OpenHelp = [this] { ++helpOpened; };
        commands.ShowAbout = [this] { ++aboutShown; };
    }

    void SetUp() override {
        view = std::make_unique<MainWindow>(model, commands);
        ASSERT_TRUE(view->Create(GetModuleHandleW(nullptr)));
        view->Show(SW_SHOWNORMAL);
        SetForegroundWindow(view->Handle());
        PumpPending();
    }

    HWND Control(WidgetId id) const { return view->Widget(id); }
    void Click(WidgetId id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
    void ChooseFromList(WidgetId id, const std::string& item) {
        HWND list = Control(id);
        const LRESULT index = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(win32::Widen(item).c_str()));
        ASSERT_NE(index, CB_ERR) << item;
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(view->Handle(), WM_COMMAND, MAKEWPARAM(static_cast<int>(id), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }
    void Menu(MenuId id) {
        SendMessageW(view->Handle(), WM_COMMAND, MAKEWPARAM(static_cast<int>(id), 0), 0);
    }
    bool MenuChecked(MenuId id) {
        return (GetMenuState(GetMenu(view->Handle()), static_cast<UINT>(id), MF_BYCOMMAND) &
                MF_CHECKED) != 0;
    }
    std::string StatusPanel(int panel) {
        wchar_t text[512] = {};
        SendMessageW(Control(W::StatusBar1), SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text));
        return Narrow(text);
    }
    std::string ToolTipOf(const Expected& widget) {
        wchar_t text[512] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = view->Handle();
        tool.uId = FindWidget(widget.Id).Kind == WidgetKind::Frame
                       ? static_cast<UINT_PTR>(widget.Id)
                       : reinterpret_cast<UINT_PTR>(Control(widget.Id));
        tool.lpszText = text;
        SendMessageW(view->ToolTips(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
        return Narrow(text);
    }

    MainWindowCommands commands;
    int closed = 0;
    int helpOpened = 0;
    int aboutShown = 0;
    std::unique_ptr<MainWindow> view;
};

TEST_F(MainWindowTest, EveryWidgetHasTheDesignsClassCaptionToolTipAndPlace) {
    ASSERT_EQ(view->Dpi(), 96u) << "the design's pixels hold at 96 DPI";
    for (const Expected& widget : Design()) {
        SCOPED_TRACE(std::string(FindWidget(widget.Id).Name));
        HWND control = Control(widget.Id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(ClassOf(control), widget.Class);
        if (std::wstring(widget.Class) == L"Button") {
            EXPECT_EQ(TextOf(control), widget.Caption);
        }
        EXPECT_EQ(ToolTipOf(widget), widget.ToolTip);
        const RECT rect = ClientRectOf(view->Handle(), control);
        EXPECT_EQ(rect.left, widget.Rect.left);
        EXPECT_EQ(rect.top, widget.Rect.top);
        EXPECT_EQ(rect.right, widget.Rect.right) << "width";
        EXPECT_EQ(rect.bottom, widget.Rect.bottom) << "height";
    }
    RECT client{};
    GetClientRect(view->Handle(), &client);
    EXPECT_EQ(client.right, 712);
    EXPECT_EQ(client.bottom, 441);
    // The status bar lies along the bottom, across the whole width, in three equal panels.
    HWND statusBar = Control(W::StatusBar1);
    EXPECT_EQ(ClassOf(statusBar), STATUSCLASSNAMEW);
    const RECT bar = ClientRectOf(view->Handle(), statusBar);
    EXPECT_EQ(bar.left, 0);
    EXPECT_EQ(bar.right, 712);
    EXPECT_EQ(bar.top + bar.bottom, 441);
    int edges[4] = {};
    ASSERT_EQ(SendMessageW(statusBar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
    EXPECT_NEAR(edges[0], 237, 1);
    EXPECT_NEAR(edges[1], 475, 1);
}

TEST_F(MainWindowTest, WindowFrameMenusAndFonts) {
    HWND window = view->Handle();
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

    // Centred on its screen when first shown.
    RECT frame{};
    GetWindowRect(window, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_NEAR(frame.left + frame.right, monitor.rcWork.left + monitor.rcWork.right, 1);
    EXPECT_NEAR(frame.top + frame.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);

    HMENU bar = GetMenu(window);
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    const char* barCaptions[] = {"&Options", "&Help", "&About"};
    for (int position = 0; position < 3; ++position) {
        wchar_t caption[64] = {};
        GetMenuStringW(bar, static_cast<UINT>(position), caption, 64, MF_BYPOSITION);
        EXPECT_EQ(Narrow(caption), barCaptions[position]);
    }
    // Help and About act at once: commands of the bar, not submenus.
    EXPECT_EQ(GetSubMenu(bar, 1), nullptr);
    EXPECT_EQ(GetSubMenu(bar, 2), nullptr);
    HMENU options = GetSubMenu(bar, 0);
    ASSERT_NE(options, nullptr);
    ASSERT_EQ(GetMenuItemCount(options), 3);
    const char* optionCaptions[] = {"&Debug Mode", "&Use /F on all Subsequent Scans",
                                    "&Scan Fixed Disks Only"};
    for (int position = 0; position < 3; ++position) {
        wchar_t caption[64] = {};
        GetMenuStringW(options, static_cast<UINT>(position), caption, 64, MF_BYPOSITION);
        EXPECT_EQ(Narrow(caption), optionCaptions[position]);
    }
    EXPECT_FALSE(MenuChecked(MenuId::UIMenu_DebugMode));
    EXPECT_TRUE(MenuChecked(MenuId::UIMenu_SubScansOption));
    EXPECT_TRUE(MenuChecked(MenuId::UIMenu_ScanFixedDisksOnly));
    Menu(MenuId::UIMenu_Help);
    Menu(MenuId::UIMenu_About);
    EXPECT_EQ(helpOpened, 1);
    EXPECT_EQ(aboutShown, 1);

    // The design's font (Wine's fonts are in the test prefix), and a bold Start.
    for (const Expected& widget : Design()) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(widget.Id), WM_GETFONT, 0, 0)),
                   sizeof(font), &font);
        EXPECT_EQ(Narrow(font.lfFaceName), "MS Sans Serif");
        EXPECT_EQ(font.lfHeight, -11);
        EXPECT_EQ(font.lfWeight, widget.Id == W::Command1 ? 700 : 400);
    }

    // Frame captions in the highlight colour; other captions keep theirs.
    HDC dc = CreateCompatibleDC(nullptr);
    for (WidgetId id : {W::Frame2, W::Frame6, W::ResultsFrame, W::Frame4, W::Frame3, W::Frame5}) {
        SetTextColor(dc, RGB(1, 2, 3));
        SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(Control(id)));
        EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_HIGHLIGHT));
    }
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(Control(W::UseX)));
    EXPECT_NE(GetTextColor(dc), GetSysColor(COLOR_HIGHLIGHT));
    DeleteDC(dc);
}

// The first and last rows that hold ink when the text is drawn into a box of that width.
std::pair<int, int> InkRows(HDC dc, const std::wstring& text, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, canvas);
    RECT box{0, 0, width, height};
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), -1, &box, DT_WORDBREAK);
    GdiFlush();
    std::pair<int, int> rows{-1, -1};
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF) {
                rows.first = rows.first < 0 ? y : rows.first;
                rows.second = y;
                break;
            }
        }
    }
    SelectObject(dc, old);
    DeleteObject(canvas);
    return rows;
}

// Whether every caption fits its widget with the font the widget has, at the window's DPI: the
// wrapped text is no wider than the room beside the check mark (or inside the button), and,
// centred as the control centres it, no row of ink falls outside the widget.
void ExpectCaptionsFit(const MainWindow& view) {
    const int dpi = static_cast<int>(view.Dpi());
    HDC dc = CreateCompatibleDC(nullptr);
    for (const WidgetSpec& row : Form1Widgets()) {
        if (row.Caption.empty()) {
            continue;
        }
        SCOPED_TRACE(std::string(row.Name) + " at " + std::to_string(dpi) + " DPI");
        HWND control = view.Widget(row.Id);
        HGDIOBJ oldFont =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        RECT client{};
        GetClientRect(control, &client);
        const std::wstring caption = win32::Widen(row.Caption);
        int room = client.right;
        switch (row.Kind) {
        case WidgetKind::OptionButton:
        case WidgetKind::CheckBox: {
            SIZE zero{};
            GetTextExtentPoint32W(dc, L"0", 1, &zero);
            room -= MulDiv(12, dpi, 96) + 1 + zero.cx / 2;
            break;
        }
        case WidgetKind::PushButton: room -= MulDiv(8, dpi, 96); break;
        case WidgetKind::Frame: room -= MulDiv(16, dpi, 96); break;
        default: break;
        }
        RECT text{0, 0, room, 0};
        DrawTextW(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK);
        EXPECT_LE(text.right, room);
        if (row.Kind != WidgetKind::Frame) {
            const auto [first, last] = InkRows(dc, caption, room, text.bottom);
            const int top = (client.bottom - text.bottom) / 2;
            EXPECT_GE(top + first, 0) << text.bottom << " high";
            EXPECT_LT(top + last, client.bottom) << text.bottom << " high";
        }
        SelectObject(dc, oldFont);
    }
    DeleteDC(dc);
}

TEST_F(MainWindowTest, CaptionsFitAt96And144Dpi) {
    ExpectCaptionsFit(*view);

    // Moving to a 144 DPI monitor: the window takes the suggested size and everything scales.
    RECT frame{};
    GetWindowRect(view->Handle(), &frame);
    RECT suggested{frame.left, frame.top, frame.left + (frame.right - frame.left) * 3 / 2,
                   frame.top + (frame.bottom - frame.top) * 3 / 2};
    SendMessageW(view->Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(view->Dpi(), 144u);
    for (const Expected& widget : Design()) {
        SCOPED_TRACE(std::string(FindWidget(widget.Id).Name));
        const RECT rect = ClientRectOf(view->Handle(), Control(widget.Id));
        EXPECT_NEAR(rect.left, widget.Rect.left * 3 / 2, 1);
        EXPECT_NEAR(rect.top, widget.Rect.top * 3 / 2, 1);
        EXPECT_NEAR(rect.right, widget.Rect.right * 3 / 2, 1);
        EXPECT_NEAR(rect.bottom, widget.Rect.bottom * 3 / 2, 1);
    }
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(W::Command1), WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -17);
    EXPECT_EQ(font.lfWeight, 700);
    ExpectCaptionsFit(*view);
}

TEST_F(MainWindowTest, StartsInTheDesignsState) {
    EXPECT_EQ(TextOf(view->Handle()), "");
    for (WidgetId id : {W::ScanOnly, W::ScanFast, W::ScanFixFast, W::ScanRecover, W::ScanReEval,
                        W::NoRescan, W::LimitRescans, W::Drive2Check, W::Drive3Check,
                        W::Drive4Check, W::Drive5Check, W::AutoSaveCheck, W::ShutdownCheck}) {
        EXPECT_FALSE(Checked(Control(id))) << FindWidget(id).Name;
    }
    for (WidgetId id : {W::ScanFix, W::RescanForever, W::UseX}) {
        EXPECT_TRUE(Checked(Control(id))) << FindWidget(id).Name;
    }
    for (WidgetId id :
         {W::ScanReEval, W::RescanNumber, W::Drive2, W::Drive3, W::Drive4, W::Drive5}) {
        EXPECT_FALSE(IsWindowEnabled(Control(id))) << FindWidget(id).Name;
    }
    EXPECT_TRUE(IsWindowEnabled(Control(W::LimitRescans)));
    EXPECT_EQ(ListItems(Control(W::RescanNumber)),
              (std::vector<std::string>{"2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(ListChoice(Control(W::RescanNumber)), "");
    // Every drive list offers the drives and starts on the current one, in the model too.
    for (WidgetId id : {W::Drive1, W::Drive2, W::Drive3, W::Drive4, W::Drive5}) {
        EXPECT_EQ(ListItems(Control(id)),
                  (std::vector<std::string>{"c: [SYSTEM]", "d:", "q: [DATA]"}));
        EXPECT_EQ(ListChoice(Control(id)), "q: [DATA]");
    }
    EXPECT_EQ(model.Settings().Drive1, "q: [DATA]");
    EXPECT_EQ(model.Settings().Drive5, "q: [DATA]");
    EXPECT_EQ(TextOf(Control(W::ErrorDescText)), "");
    EXPECT_EQ(StatusPanel(0), "Command:  Not Yet Started");
    EXPECT_EQ(StatusPanel(1), "In Progress:  No");
    EXPECT_EQ(StatusPanel(2), "Autochk:  Not Enabled");
    // Start has the focus, so Enter or Space starts a run at once.
    EXPECT_EQ(GetFocus(), Control(W::Command1));
}

TEST_F(MainWindowTest, TabFollowsTheDesignsOrderAndStopsAtTheChosenOptions) {
    std::vector<WidgetId> zOrder;
    for (HWND child = GetWindow(view->Handle(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        zOrder.push_back(static_cast<WidgetId>(GetDlgCtrlID(child)));
    }
    const std::vector<WidgetId> designOrder = {
        W::ResultsFrame, W::Command1,    W::ErrorDescText, W::Frame2,       W::ScanFix,
        W::ScanOnly,     W::ScanRecover, W::Frame3,        W::SaveLog,      W::AutoSaveCheck,
        W::ScanFast,     W::UseX,        W::Frame4,        W::Drive1,       W::Drive2,
        W::Drive3,       W::Drive2Check, W::Drive3Check,   W::Frame5,       W::UndoBootChk,
        W::ScanNextBoot, W::Drive4,      W::Drive4Check,   W::Drive5Check,  W::Drive5,
        W::Frame6,       W::ScanReEval,  W::RescanForever, W::LimitRescans, W::RescanNumber,
        W::NoRescan,     W::ScanFixFast, W::StatusBar1,    W::ShutdownCheck};
    EXPECT_EQ(zOrder, designOrder);

    const auto walk = [this] {
        std::vector<WidgetId> stops;
        HWND start = Control(W::Command1);
        HWND at = start;
        do {
            stops.push_back(static_cast<WidgetId>(GetDlgCtrlID(at)));
            at = GetNextDlgTabItem(view->Handle(), at, FALSE);
        } while (at != nullptr && at != start && stops.size() < 40);
        return stops;
    };
    EXPECT_EQ(walk(), (std::vector<WidgetId>{W::Command1, W::ErrorDescText, W::ScanFix, W::SaveLog,
                                             W::AutoSaveCheck, W::UseX, W::Drive1, W::Drive2Check,
                                             W::Drive3Check, W::UndoBootChk, W::ScanNextBoot,
                                             W::Drive4Check, W::Drive5Check, W::RescanForever,
                                             W::ShutdownCheck}));
    // The tab stop follows the chosen option; enabled lists join in.
    Click(W::ScanRecover);
    Click(W::LimitRescans);
    Click(W::Drive2Check);
    EXPECT_EQ(walk(), (std::vector<WidgetId>{
                          W::Command1, W::ErrorDescText, W::ScanRecover, W::SaveLog,
                          W::AutoSaveCheck, W::UseX, W::Drive1, W::Drive2, W::Drive2Check,
                          W::Drive3Check, W::UndoBootChk, W::ScanNextBoot, W::Drive4Check,
                          W::Drive5Check, W::LimitRescans, W::RescanNumber, W::ShutdownCheck}));
}

TEST_F(MainWindowTest, KeyboardTabArrowsAndEnter) {
    HWND command = Control(W::Command1);
    SetFocus(command);
    PressKey(command, VK_TAB);
    EXPECT_EQ(GetFocus(), Control(W::ErrorDescText));

    // Arrows move through the frame's options from top to bottom and choose them, skipping the
    // greyed-out /B and wrapping round.
    SetFocus(Control(W::ScanFix));
    PressKey(Control(W::ScanFix), VK_UP);
    EXPECT_EQ(GetFocus(), Control(W::ScanFixFast));
    EXPECT_EQ(model.Settings().Mode, ScanMode::ScanFixFast);
    SetFocus(Control(W::ScanRecover));
    PressKey(Control(W::ScanRecover), VK_DOWN);
    EXPECT_EQ(GetFocus(), Control(W::ScanFast));
    EXPECT_EQ(model.Settings().Mode, ScanMode::ScanFast);
    EXPECT_TRUE(Checked(Control(W::NoRescan)));
    SetFocus(Control(W::NoRescan));
    PressKey(Control(W::NoRescan), VK_UP);
    EXPECT_EQ(model.Settings().Rescan, RescanPolicy::RescanForever) << "LimitRescans is greyed";

    // Enter on a check box does nothing; on Start it starts the run.
    SetFocus(Control(W::UseX));
    PressKey(Control(W::UseX), VK_RETURN);
    EXPECT_TRUE(processes.Started.empty());
    SetFocus(command);
    PressKey(command, VK_RETURN);
    ASSERT_EQ(processes.Started.size(), 1u);
    EXPECT_EQ(processes.Started[0].substr(0, 9), "chkdsk Q:");
}

TEST_F(MainWindowTest, ClicksReachTheModelAndTheRulesShowInTheControls) {
    Click(W::ScanOnly);
    EXPECT_EQ(model.Settings().Mode, ScanMode::ScanOnly);
    EXPECT_TRUE(Checked(Control(W::ScanOnly)));
    EXPECT_FALSE(Checked(Control(W::ScanFix)));
    EXPECT_TRUE(Checked(Control(W::NoRescan)));
    EXPECT_FALSE(Checked(Control(W::RescanForever)));
    EXPECT_FALSE(Checked(Control(W::UseX)));
    EXPECT_FALSE(IsWindowEnabled(Control(W::LimitRescans)));

    Click(W::ScanFix);
    EXPECT_TRUE(Checked(Control(W::UseX)));
    EXPECT_TRUE(IsWindowEnabled(Control(W::LimitRescans)));
    Click(W::UseX);
    EXPECT_EQ(model.Settings().UseX, 0);

    Click(W::LimitRescans);
    EXPECT_EQ(model.Settings().Rescan, RescanPolicy::LimitRescans);
    EXPECT_TRUE(IsWindowEnabled(Control(W::RescanNumber)));
    EXPECT_EQ(ListChoice(Control(W::RescanNumber)), "3");
    EXPECT_FALSE(Checked(Control(W::UseX))) << "the mode was already a repairing one";
    ChooseFromList(W::RescanNumber, "7");
    EXPECT_EQ(model.Settings().RescanNumber, "7");
    Click(W::LimitRescans); // already chosen: the user's number stays
    EXPECT_EQ(ListChoice(Control(W::RescanNumber)), "7");

    // Shutdown with a limited policy: the advice, once.
    Click(W::ShutdownCheck);
    Click(W::ShutdownCheck);
    Click(W::ShutdownCheck);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], kAutoSaveAdvice);
    EXPECT_EQ(model.Settings().ShutdownCheck, 1);

    Click(W::RescanForever);
    EXPECT_FALSE(IsWindowEnabled(Control(W::RescanNumber)));

    Click(W::Drive3Check);
    EXPECT_EQ(model.Settings().Drive3Check, 1);
    EXPECT_TRUE(IsWindowEnabled(Control(W::Drive3)));
    ChooseFromList(W::Drive3, "d:");
    EXPECT_EQ(model.Settings().Drive3, "d:");
    Click(W::Drive3Check);
    EXPECT_FALSE(IsWindowEnabled(Control(W::Drive3)));
    EXPECT_EQ(ListChoice(Control(W::Drive3)), "d:") << "a disabled list keeps its entry";
    ChooseFromList(W::Drive1, "c: [SYSTEM]");
    EXPECT_EQ(model.Settings().Drive1, "c: [SYSTEM]");

    Menu(MenuId::UIMenu_SubScansOption);
    EXPECT_FALSE(model.Settings().UIMenu_SubScansOption);
    EXPECT_FALSE(MenuChecked(MenuId::UIMenu_SubScansOption));
    Menu(MenuId::UIMenu_ScanFixedDisksOnly);
    Menu(MenuId::UIMenu_ScanFixedDisksOnly);
    EXPECT_TRUE(MenuChecked(MenuId::UIMenu_ScanFixedDisksOnly));

    // Debug Mode with its batch file present: the mark and the Start caption follow.
    files.Existing.push_back("C:\\Tools\\errorlevel_check.bat");
    Menu(MenuId::UIMenu_DebugMode);
    EXPECT_TRUE(MenuChecked(MenuId::UIMenu_DebugMode));
    EXPECT_EQ(TextOf(Control(W::Command1)), "DEBUG MODE - START");
    Menu(MenuId::UIMenu_DebugMode);
    EXPECT_EQ(TextOf(Control(W::Command1)), "Start");

    // Auto-save on asks for a file; cancelling the dialog turns the box off again.
    Click(W::AutoSaveCheck);
    EXPECT_EQ(dialog.Requests.size(), 1u);
    EXPECT_FALSE(Checked(Control(W::AutoSaveCheck)));
    Click(W::SaveLog);
    EXPECT_EQ(dialog.Requests.size(), 2u);
}

TEST_F(MainWindowTest, WritesOfTheProgramShowInTheControls) {
    model.EnableScanReEval(true);
    EXPECT_TRUE(IsWindowEnabled(Control(W::ScanReEval)));
    model.SetDriveCheck(4, 1);
    EXPECT_TRUE(Checked(Control(W::Drive4Check)));
    EXPECT_TRUE(IsWindowEnabled(Control(W::Drive4)));
    model.ChooseScanMode(ScanMode::ScanFast);
    EXPECT_TRUE(Checked(Control(W::ScanFast)));
    EXPECT_TRUE(Checked(Control(W::NoRescan)));
    EXPECT_FALSE(Checked(Control(W::UseX)));
    model.SetStatusPanels("Command:  chkdsk C: /F /X", kStatusInProgressYes);
    EXPECT_EQ(StatusPanel(0), "Command:  chkdsk C: /F /X");
    EXPECT_EQ(StatusPanel(1), "In Progress:  Yes");

    // A disabled control hands the focus on instead of losing it.
    SetFocus(Control(W::Drive4));
    model.SetDriveCheck(4, 0);
    EXPECT_FALSE(IsWindowEnabled(Control(W::Drive4)));
    EXPECT_NE(GetFocus(), nullptr);
    EXPECT_TRUE(IsChild(view->Handle(), GetFocus()));

    // A whole run: the driver's writes and its log reach the window.
    model.ChooseScanMode(ScanMode::ScanFix);
    model.SetDriveCheck(2, 1);
    ChooseFromList(W::Drive2, "c: [SYSTEM]");
    processes.Scripts = {{1, 0}, {0, 0}};
    Click(W::Command1);
    ASSERT_EQ(processes.Started.size(), 2u) << model.Log().Text();
    EXPECT_EQ(processes.Started[1].substr(0, 9), "chkdsk c:");
    EXPECT_FALSE(Checked(Control(W::Drive2Check))) << "the queue clears its check boxes";
    EXPECT_FALSE(IsWindowEnabled(Control(W::Drive2)));
    EXPECT_EQ(StatusPanel(0), "Command:  Not Active");
    EXPECT_EQ(StatusPanel(1), "In Progress:  No");
    EXPECT_FALSE(model.Log().Text().empty());
    EXPECT_EQ(TextOf(Control(W::ErrorDescText)), model.Log().Text());
}

TEST_F(MainWindowTest, LogBoxHoldsMoreThanFiveMegabytesAndTheUsersEdits) {
    HWND box = Control(W::ErrorDescText);
    std::string entry;
    for (int line = 0; line < 2000; ++line) {
        entry += "Errorlevel:  0 - No errors found. \xC3\xA9 line " + std::to_string(line) + "\r\n";
    }
    while (model.Log().Text().size() <= 5u * 1024 * 1024) {
        model.Log().Append(entry);
    }
    EXPECT_EQ(TextOf(box), model.Log().Text());

    // The newest entry is in view.
    const LRESULT lines = SendMessageW(box, EM_GETLINECOUNT, 0, 0);
    const LRESULT firstVisible = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(firstVisible, lines - 20);

    // The user types into the box; the next entry goes after the edited text.
    SetWindowTextW(box, L"kept by the user\r\n");
    SendMessageW(box, EM_SETSEL, 18, 18);
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed"));
    EXPECT_EQ(model.Log().Text(), "kept by the user\r\ntyped");
    model.Log().Append("\r\nnext entry");
    EXPECT_EQ(TextOf(box), "kept by the user\r\ntyped\r\nnext entry");
    EXPECT_EQ(model.Log().Text(), TextOf(box));
}

TEST_F(MainWindowTest, CloseDuringAPassWaitsForThePassThenDestroysTheWindow) {
    HWND window = view->Handle();
    processes.Scripts = {{0, 5}};
    int polls = 0;
    bool aliveAfterClose = false;
    processes.DuringWait = [&] {
        if (++polls == 1) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        PumpPending();
        if (polls > 1) {
            aliveAfterClose = IsWindow(window) != FALSE;
        }
    };
    Click(W::Command1);
    EXPECT_GT(polls, 2);
    EXPECT_TRUE(aliveAfterClose);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(view->Handle(), nullptr);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(processes.Started.size(), 1u);
    EXPECT_NE(model.Log().Text().find("Errorlevel"), std::string::npos)
        << "the pass in progress was logged:\n"
        << model.Log().Text();
}

TEST_F(MainWindowTest, CloseWhenIdleDestroysAtOnce) {
    HWND window = view->Handle();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(closed, 1);
}

} // namespace
} // namespace tolvane
