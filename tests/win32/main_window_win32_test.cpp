#include "app/main_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fakes.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

using namespace testing;
using W = WidgetId;

RECT PlaceOf(HWND parent, HWND child) { // in the parent's client area
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class MainWindowTest : public ModelFixture {
protected:
    MainWindowTest() {
        drives.Set('C', kFixedDisk, "SYSTEM");
        drives.Set('Q', kFixedDisk, "DATA");
        drives.CurrentDir = "Q:\\Work";
        model.RefreshDrives();
        commands.Closed = [this] { ++closed; };
        view = std::make_unique<MainWindow>(model, commands);
        EXPECT_TRUE(view->Create(GetModuleHandleW(nullptr)));
        view->Show(SW_SHOWNORMAL);
        SetForegroundWindow(view->Handle());
        Pump();
    }
    HWND Control(WidgetId id) const { return view->Widget(id); }
    bool Checked(WidgetId id) const {
        return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void Click(WidgetId id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
    std::string Panel(int panel) const {
        wchar_t text[128] = {};
        SendMessageW(Control(W::StatusBar1), SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text));
        return win32::Narrow(text);
    }

    MainWindowCommands commands;
    int closed = 0;
    std::unique_ptr<MainWindow> view;
};

// Twips converted, in client pixels at 96 DPI (left, top, width, height): a frame, widgets in
// frames, the list over the "Limit to" caption, the log box and a widget on the window itself.
const std::pair<WidgetId, RECT> kDesignAt96[] = {
    {W::Frame2, {8, 8, 217, 177}},           {W::Drive1, {16, 32, 169, 21}},
    {W::LimitRescans, {248, 128, 105, 49}},  {W::RescanNumber, {312, 136, 41, 21}},
    {W::ErrorDescText, {384, 32, 313, 137}}, {W::Command1, {480, 312, 121, 41}},
};

// The 8.25-point dialog font's height in pixels at each DPI.
constexpr std::pair<UINT, LONG> kFontHeights[] = {{96, -11}, {120, -14}, {144, -17}, {192, -22}};

// The box around the ink of the caption drawn into the text rectangle on a canvas of this size,
// counting only ink inside `within`; empty when there is none.
RECT InkBox(HDC dc, const std::wstring& caption, RECT text, SIZE size, const RECT& within) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(info.bmiHeader), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const win32::ScopedGdi canvas(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HGDIOBJ old = SelectObject(dc, canvas.Get());
    PatBlt(dc, 0, 0, size.cx, size.cy, WHITENESS);
    DrawTextW(dc, caption.c_str(), -1, &text, DT_WORDBREAK);
    GdiFlush();
    SelectObject(dc, old);
    RECT ink{};
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (LONG y = std::max(within.top, 0L); y < std::min(within.bottom, size.cy); ++y) {
        for (LONG x = std::max(within.left, 0L); x < std::min(within.right, size.cx); ++x) {
            if ((pixels[y * size.cx + x] & 0xFFFFFF) != 0xFFFFFF) {
                const RECT dot{x, y, x + 1, y + 1};
                UnionRect(&ink, &ink, &dot);
            }
        }
    }
    return ink;
}

// Whether every caption fits its widget with the font the widget has, drawn as the button draws
// it (wrapped beside the check mark, centred): no ink leaves the widget, and none falls under a
// widget laid over it (the rescan number lies over the blanks of "Limit to", and must not hide a
// word where the caption wraps differently).
void ExpectCaptionsFit(const MainWindow& view) {
    const int dpi = static_cast<int>(view.Dpi());
    HDC dc = CreateCompatibleDC(nullptr);
    for (const WidgetSpec& row : Form1Widgets()) {
        if (row.Kind != WidgetKind::OptionButton && row.Kind != WidgetKind::CheckBox &&
            row.Kind != WidgetKind::PushButton) {
            continue; // a caption the control does not draw as a button does
        }
        SCOPED_TRACE(std::string(row.Name) + " at " + std::to_string(dpi) + " DPI");
        HWND control = view.Widget(row.Id);
        RECT client{};
        GetClientRect(control, &client);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        const int indent = row.Kind == WidgetKind::PushButton ? MulDiv(4, dpi, 96) : 0;
        SIZE zero{};
        GetTextExtentPoint32W(dc, L"0", 1, &zero);
        const int left = indent != 0 ? indent : MulDiv(12, dpi, 96) + 1 + zero.cx / 2;
        const std::wstring caption = win32::Widen(row.Caption);
        RECT text{left, 0, client.right - indent, 0};
        DrawTextW(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK);
        EXPECT_LE(text.right, client.right - indent);
        // Drawn on a canvas with a margin of the text's height above and below the widget.
        const int margin = text.bottom;
        const SIZE canvas{client.right, client.bottom + 2 * margin};
        OffsetRect(&text, 0, margin + (client.bottom - text.bottom) / 2);
        const RECT ink = InkBox(dc, caption, text, canvas, {0, 0, canvas.cx, canvas.cy});
        EXPECT_GE(ink.top, margin);
        EXPECT_LE(ink.bottom, margin + client.bottom);
        for (const WidgetSpec& upper : Form1Widgets()) {
            RECT over = PlaceOf(control, view.Widget(upper.Id));
            OffsetRect(&over, 0, margin);
            if (upper.Tab > row.Tab && upper.Kind != WidgetKind::Frame &&
                upper.Kind != WidgetKind::StatusBar) {
                const RECT hidden = InkBox(dc, caption, text, canvas, over);
                EXPECT_TRUE(IsRectEmpty(&hidden)) << "caption under " << upper.Name;
            }
        }
    }
    DeleteDC(dc);
}

TEST_F(MainWindowTest, LayoutAndFontsAtEveryDpi) {
    ASSERT_EQ(view->Dpi(), 96u) << "the design's pixels hold at 96 DPI";
    RECT client{};
    GetClientRect(view->Handle(), &client);
    EXPECT_EQ(client.right, 712);
    EXPECT_EQ(client.bottom, 441);
    int edges[4] = {}; // three equal status panels
    ASSERT_EQ(SendMessageW(Control(W::StatusBar1), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)),
              3);
    EXPECT_NEAR(edges[1], 475, 1);

    for (const auto& [dpi, fontHeight] : kFontHeights) {
        RECT frame{};
        GetWindowRect(view->Handle(), &frame);
        RECT suggested{frame.left, frame.top,
                       frame.left + MulDiv(frame.right - frame.left, dpi, 96),
                       frame.top + MulDiv(frame.bottom - frame.top, dpi, 96)};
        SendMessageW(view->Handle(), win32::kWmDpiChanged, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        ASSERT_EQ(view->Dpi(), dpi);
        for (const auto& [id, rect] : kDesignAt96) {
            SCOPED_TRACE(std::string(FindWidget(id).Name) + " at " + std::to_string(dpi));
            const RECT place = PlaceOf(view->Handle(), Control(id));
            EXPECT_NEAR(place.left, MulDiv(rect.left, dpi, 96), 1);
            EXPECT_NEAR(place.top, MulDiv(rect.top, dpi, 96), 1);
            EXPECT_NEAR(place.right - place.left, MulDiv(rect.right, dpi, 96), 1);
            EXPECT_NEAR(place.bottom - place.top, MulDiv(rect.bottom, dpi, 96), 1);
        }
        for (WidgetId id : {W::UseX, W::Command1}) {
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(id), WM_GETFONT, 0, 0)),
                       sizeof(font), &font);
            EXPECT_EQ(win32::Narrow(font.lfFaceName), "MS Sans Serif");
            EXPECT_EQ(font.lfHeight, fontHeight);
            EXPECT_EQ(font.lfWeight, id == W::Command1 ? FW_BOLD : FW_NORMAL);
        }
        ExpectCaptionsFit(*view);
    }
}

// The label a screen reader names a control by: the first static text before it in the Z order,
// looking no further back than a control that starts a group and takes a tab stop.
HWND SpokenLabel(HWND control) {
    HWND at = control;
    while ((at = GetWindow(at, GW_HWNDPREV)) != nullptr &&
           (GetWindowLongW(at, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) != (WS_GROUP | WS_TABSTOP)) {
        wchar_t name[8] = {};
        if (GetClassNameW(at, name, 8) > 0 && lstrcmpiW(name, WC_STATICW) == 0) {
            return at;
        }
    }
    return nullptr;
}
const std::pair<WidgetId, std::string_view> kSpokenNames[] = {
    {W::Drive1, kDrive1Label}, {W::Drive2, kDrive2Label}, {W::Drive3, kDrive3Label},
    {W::Drive4, kDrive4Label}, {W::Drive5, kDrive5Label}, {W::RescanNumber, kRescanNumberLabel}};

// Tab stops in the design's order, on the chosen option of each frame and on enabled lists;
// arrows choose within a frame, skipping greyed options and wrapping; Enter starts a run.
TEST_F(MainWindowTest, KeyboardFollowsTheDesignsOrderAndChoosesWithArrows) {
    for (const auto& [list, name] : kSpokenNames) {
        EXPECT_EQ(TextOf(SpokenLabel(Control(list))), name);
        const LONG style = GetWindowLongW(SpokenLabel(Control(list)), GWL_STYLE);
        EXPECT_EQ(style & (WS_VISIBLE | WS_GROUP | WS_TABSTOP), 0);
    }
    EXPECT_EQ(GetFocus(), Control(W::Command1)) << "Enter or Space starts a run at once";
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), Control(W::ErrorDescText));
    Click(W::ScanRecover);
    Click(W::LimitRescans);
    Click(W::Drive2Check);
    std::vector<WidgetId> stops;
    HWND at = Control(W::Command1);
    do {
        stops.push_back(static_cast<WidgetId>(GetDlgCtrlID(at)));
        at = GetNextDlgTabItem(view->Handle(), at, FALSE);
    } while (at != nullptr && at != Control(W::Command1) && stops.size() < 40);
    EXPECT_EQ(stops, (std::vector<WidgetId>{
                         W::Command1, W::ErrorDescText, W::ScanRecover, W::SaveLog,
                         W::AutoSaveCheck, W::UseX, W::Drive1, W::Drive2, W::Drive2Check,
                         W::Drive3Check, W::UndoBootChk, W::ScanNextBoot, W::Drive4Check,
                         W::Drive5Check, W::LimitRescans, W::RescanNumber, W::ShutdownCheck}));
    SetFocus(Control(W::ScanFix));
    PressKey(VK_UP);
    EXPECT_EQ(GetFocus(), Control(W::ScanFixFast));
    EXPECT_EQ(model.Settings().Mode, ScanMode::ScanFixFast);
    SetFocus(Control(W::ScanRecover));
    PressKey(VK_DOWN);
    EXPECT_EQ(model.Settings().Mode, ScanMode::ScanFast);
    SetFocus(Control(W::NoRescan));
    PressKey(VK_UP);
    EXPECT_EQ(model.Settings().Rescan, RescanPolicy::RescanForever) << "LimitRescans is greyed";
    SetFocus(Control(W::Command1));
    PressKey(VK_RETURN);
    ASSERT_EQ(processes.Started.size(), 1u);
    EXPECT_EQ(processes.Started[0].substr(0, 9), "chkdsk Q:");
}

// A click on the option already chosen runs its rule again, for each class of rule.
TEST_F(MainWindowTest, EveryKindOfControlReachesTheModel) {
    Click(W::UseX);
    EXPECT_EQ(model.Settings().UseX, 0);
    Click(W::ScanFix);
    EXPECT_TRUE(Checked(W::UseX));
    Click(W::ScanOnly);
    model.SetUseX(1);
    Click(W::ScanOnly);
    EXPECT_FALSE(Checked(W::UseX));
    Click(W::ScanRecover);
    Click(W::LimitRescans);
    ChooseListItem(Control(W::RescanNumber), L"7");
    EXPECT_EQ(model.Settings().RescanNumber, "7");
    Click(W::LimitRescans);
    EXPECT_EQ(TextOf(Control(W::RescanNumber)), "3");
    const auto menu = static_cast<UINT>(MenuId::UIMenu_SubScansOption);
    SendMessageW(view->Handle(), WM_COMMAND, menu, 0);
    EXPECT_EQ(GetMenuState(GetMenu(view->Handle()), menu, MF_BYCOMMAND) & MF_CHECKED, 0u);
}

TEST_F(MainWindowTest, WritesOfTheProgramShowInTheControlsAndTheLogBox) {
    drives.Set('E', kFixedDisk, "NEW"); // device news refills the lists, whatever it carries
    SendMessageW(view->Handle(), WM_DEVICECHANGE, 0x8000, 0);
    EXPECT_EQ(SendMessageW(Control(W::Drive2), CB_GETCOUNT, 0, 0), 3);
    // The /B option, greyed on this system, shows its hint (tool tips come with the first Show).
    HWND tips = nullptr;
    while ((tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)) != nullptr &&
           GetWindow(tips, GW_OWNER) != view->Handle()) {
    }
    const RECT option = PlaceOf(view->Handle(), Control(W::ScanReEval));
    wchar_t hint[256] = {};
    TTHITTESTINFOW hit{
        view->Handle(), {(option.left + option.right) / 2, (option.top + option.bottom) / 2}, {}};
    hit.ti.cbSize = sizeof(hit.ti);
    hit.ti.lpszText = hint;
    ASSERT_TRUE(SendMessageW(tips, TTM_HITTESTW, 0, reinterpret_cast<LPARAM>(&hit)));
    EXPECT_NE(win32::Narrow(hint).find("(Vista only)"), std::string::npos);
    model.EnableScanReEval(true);
    EXPECT_TRUE(IsWindowEnabled(Control(W::ScanReEval)));
    SetFocus(Control(W::Drive4)); // a disabled control hands the focus on instead of losing it
    model.SetDriveCheck(4, 1);
    EXPECT_TRUE(Checked(W::Drive4Check));
    model.SetDriveCheck(4, 0);
    EXPECT_FALSE(IsWindowEnabled(Control(W::Drive4)));
    EXPECT_TRUE(IsChild(view->Handle(), GetFocus()));
    // The log box holds more than 5 MB with its newest entry in view; the user's edits stay, and
    // the next entry goes after them.
    HWND box = Control(W::ErrorDescText);
    std::string entry;
    for (int line = 0; line < 2000; ++line) {
        entry += "Errorlevel:  0 - No errors found. \xC3\xA9 line " + std::to_string(line) + "\r\n";
    }
    while (model.Log().Text().size() <= 5u * 1024 * 1024) {
        model.Log().Append(entry);
    }
    EXPECT_EQ(TextOf(box), model.Log().Text());
    DWORD caret = 0; // at the end, which the append reached without asking for the length
    SendMessageW(box, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    EXPECT_EQ(caret, static_cast<DWORD>(GetWindowTextLengthW(box)));
    EXPECT_GT(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0),
              SendMessageW(box, EM_GETLINECOUNT, 0, 0) - 20);
    SetWindowTextW(box, L"kept by the user\r\n");
    SendMessageW(box, EM_SETSEL, 18, 18);
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed"));
    model.Log().Append("\r\nnext entry");
    EXPECT_EQ(TextOf(box), "kept by the user\r\ntyped\r\nnext entry");
}

// Closed during a pass, the window says so in its caption, lets the pass end and is logged;
// closed while idle, it goes at once.
TEST_F(MainWindowTest, CloseWaitsForThePassInProgressAndIdleCloseIsImmediate) {
    HWND window = view->Handle();
    processes.Scripts = {{0, 5}};
    int polls = 0;
    bool aliveAfterClose = true;
    processes.DuringWait = [&] {
        if (++polls == 1) {
            EXPECT_EQ(Panel(0), "Command:  chkdsk Q: /X");
            EXPECT_EQ(Panel(1), "In Progress:  Yes");
            EXPECT_EQ(Panel(2), "Autochk:  Not Enabled");
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        Pump();
        aliveAfterClose &= polls == 1 || TextOf(window).find("closing") != std::string::npos;
    };
    Click(W::Command1);
    EXPECT_GT(polls, 2);
    EXPECT_TRUE(aliveAfterClose);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(closed, 1);
    EXPECT_NE(model.Log().Text().find("Errorlevel"), std::string::npos) << model.Log().Text();

    MainWindow second(model, commands);
    ASSERT_TRUE(second.Create(GetModuleHandleW(nullptr)));
    SendMessageW(second.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(second.Handle(), nullptr);
    EXPECT_EQ(closed, 2);
}

// Throws from its handlers on WM_APP, for the window and for a subclassed button.
struct ThrowingWindow : win32::WindowBase {
    ThrowingWindow() {
        const WNDCLASSW windowClass{0,       WindowProc, 0,       0,       nullptr,
                                    nullptr, nullptr,    nullptr, nullptr, L"TolvaneThrowing"};
        RegisterClassW(&windowClass);
        CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                        nullptr, nullptr, static_cast<WindowBase*>(this));
        Subclass(button = CreateWindowExW(0, WC_BUTTONW, L"", WS_CHILD, 0, 0, 0, 0, Handle(),
                                          nullptr, nullptr, nullptr));
    }
    ~ThrowingWindow() override { DestroyWindow(Handle()); }
    LRESULT HandleMessage(UINT msg, WPARAM w, LPARAM l) override {
        return msg == WM_APP ? throw msg : DefWindowProcW(Handle(), msg, w, l);
    }
    LRESULT HandleControlMessage(HWND control, UINT msg, WPARAM w, LPARAM l) override {
        return msg == WM_APP ? throw msg : CallControlProc(control, msg, w, l);
    }
    HWND button = nullptr;
};

TEST(WindowBaseTest, AnExceptionEndsItsMessageOnlyInAWindowAndInASubclassedControl) {
    ThrowingWindow window;
    EXPECT_EQ(SendMessageW(window.Handle(), WM_APP, 0, 0), 0);
    EXPECT_EQ(SendMessageW(window.button, WM_APP, 0, 0), 0);
    EXPECT_TRUE(SetWindowTextW(window.button, L"goes on")); // through the subclass still
    EXPECT_TRUE(IsWindow(window.Handle()));
}

} // namespace
} // namespace tolvane
