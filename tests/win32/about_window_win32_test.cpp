#include "about/about_window_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/message_loop_win32.h"
#include "platform/win32_util.h"

namespace tolvane::about {
namespace {

class RecordingShell : public ShellOpener {
public:
    std::vector<std::string> Opened;
    bool Open(std::string_view target) override {
        Opened.emplace_back(target);
        return true;
    }
};

std::string Text(HWND window) {
    wchar_t buffer[1024];
    const int length = GetWindowTextW(window, buffer, 1024);
    return win32::Narrow(std::wstring_view(buffer, static_cast<size_t>(length)));
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        win32::DispatchWindowMessage(message);
    }
}

// A key press delivered to the focused control through the program's own dispatch path.
void PressKey(WPARAM key) {
    MSG message{};
    message.hwnd = GetFocus();
    message.message = WM_KEYDOWN;
    message.wParam = key;
    win32::DispatchWindowMessage(message);
    Pump();
}

struct CaptionSearch {
    std::string Caption;
    int Count = 0;
};

// A named CALLBACK function, not a lambda: 32-bit GCC cannot turn a lambda into a stdcall
// function pointer.
BOOL CALLBACK CountCaptioned(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<CaptionSearch*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && Text(window) == search->Caption) {
        ++search->Count;
    }
    return TRUE;
}

int WindowsCaptioned(const std::string& caption) {
    CaptionSearch search{caption};
    EnumWindows(CountCaptioned, reinterpret_cast<LPARAM>(&search));
    return search.Count;
}

RECT ClientRectOf(HWND control, HWND dialog) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class AboutWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (HWND window = AboutWindowHandle()) {
            SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
        }
        Pump();
        EXPECT_FALSE(AboutWindowOpen());
    }
    HWND Open() {
        EXPECT_TRUE(ShowAboutWindow(GetModuleHandleW(nullptr), shell_, [this] {
            ++closings_;
            openWhenClosing_ = AboutWindowOpen();
        }));
        Pump();
        return AboutWindowHandle();
    }
    HWND Control(ControlId id) const { return GetDlgItem(AboutWindowHandle(), id); }

    RecordingShell shell_;
    int closings_ = 0;
    bool openWhenClosing_ = true;
};

TEST_F(AboutWindowTest, ASecondRequestBringsTheSameWindowBack) {
    HWND first = Open();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Open(), first);
    EXPECT_EQ(WindowsCaptioned("About Tolvane"), 1);
    EXPECT_TRUE(AboutWindowOpen());
}

TEST_F(AboutWindowTest, ShowsTitleAndVersionWithOkFocusedAndDefault) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Text(window), "About Tolvane");
    EXPECT_EQ(Text(Control(kLblTitle)), "Tolvane");
    EXPECT_EQ(Text(Control(kLblVersion)), "Version 1.5.4");
    EXPECT_EQ(Text(Control(kCmdOk)), "OK");
    EXPECT_NE(SendMessageW(Control(kPicIcon), STM_GETICON, 0, 0), 0);

    EXPECT_EQ(GetFocus(), Control(kCmdOk));
    EXPECT_EQ(GetWindowLongW(Control(kCmdOk), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(LOWORD(SendMessageW(window, DM_GETDEFID, 0, 0)), IDOK);
    // Labels and the picture never take the focus.
    EXPECT_EQ(GetNextDlgTabItem(window, Control(kCmdOk), FALSE), Control(kCmdOk));
}

TEST_F(AboutWindowTest, FixedDialogFrameWithoutTaskbarButtonOrOwningWindow) {
    HWND mainWindow = CreateWindowExW(0, L"STATIC", L"stand-in main window", WS_OVERLAPPEDWINDOW, 0,
                                      0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(mainWindow, SW_SHOW);
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD));
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    // An unowned window without WS_EX_TOOLWINDOW would get a taskbar button.
    HWND owner = GetWindow(window, GW_OWNER);
    EXPECT_TRUE((owner != nullptr && !IsWindowVisible(owner)) || (exStyle & WS_EX_TOOLWINDOW));
    EXPECT_NE(owner, mainWindow);

    // Closing the main window leaves the About window open.
    DestroyWindow(mainWindow);
    Pump();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(AboutWindowOpen());
}

TEST_F(AboutWindowTest, PlacedAndSizedInTwipsForTheDpi) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };

    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, px(5730));
    EXPECT_EQ(client.bottom, px(3780));
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.x, px(2340));
    EXPECT_EQ(origin.y, px(1935));
    if (dpi == 96) {
        EXPECT_EQ(client.right, 382);
        EXPECT_EQ(client.bottom, 252);
    }

    const RECT ok = ClientRectOf(Control(kCmdOk), window);
    EXPECT_EQ(ok.left, px(4080));
    EXPECT_EQ(ok.top, px(3000));
    EXPECT_EQ(ok.right - ok.left, px(1185));
    EXPECT_EQ(ok.bottom - ok.top, px(345));

    // Moved to a monitor of 144 DPI, it lays out its controls and font again for that DPI.
    RECT suggested = {100, 100, 700, 520};
    SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    const RECT large = ClientRectOf(Control(kCmdOk), window);
    EXPECT_EQ(large.left, MulDiv(4080, 144, 1440));
    EXPECT_EQ(large.top, MulDiv(3000, 144, 1440));
    EXPECT_EQ(large.right - large.left, MulDiv(1185, 144, 1440));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(kLblDescription), WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, 144, 72));
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.left, suggested.left);
    EXPECT_EQ(frame.right, suggested.right);
}

TEST_F(AboutWindowTest, EveryTextFitsItsLabel) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    for (ControlId id : {kLblTitle, kLblVersion, kLabel1, kLblDescription, kLblDisclaimer}) {
        HWND label = Control(id);
        RECT box;
        GetClientRect(label, &box);
        HDC dc = GetDC(label);
        const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        HGDIOBJ previous = SelectObject(dc, font);
        const std::wstring text = win32::Widen(Text(label));
        RECT needed = box;
        DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, previous);
        ReleaseDC(label, dc);
        EXPECT_LE(needed.right, box.right) << Text(label);
        EXPECT_LE(needed.bottom, box.bottom) << Text(label) << " needs " << needed.bottom;
    }
}

TEST_F(AboutWindowTest, EscEnterAndTheFrameCloseIt) {
    for (int way = 0; way < 3; ++way) {
        closings_ = 0;
        openWhenClosing_ = true;
        HWND window = Open();
        ASSERT_NE(window, nullptr);
        switch (way) {
        case 0: PressKey(VK_ESCAPE); break;
        case 1: PressKey(VK_RETURN); break;
        default: SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        }
        Pump();
        EXPECT_FALSE(IsWindow(window)) << way;
        EXPECT_FALSE(AboutWindowOpen()) << way;
        EXPECT_EQ(WindowsCaptioned("About Tolvane"), 0) << way;
        EXPECT_EQ(closings_, 1) << way;
        EXPECT_FALSE(openWhenClosing_) << way; // the app may quit from its callback
    }
}

TEST_F(AboutWindowTest, ReopeningFillsTheLabelsAfresh) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    SetWindowTextW(window, L"changed");
    SetWindowTextW(Control(kLblVersion), L"changed");
    SetWindowTextW(Control(kLblTitle), L"changed");
    SendMessageW(Control(kCmdOk), BM_CLICK, 0, 0);
    Pump();
    ASSERT_FALSE(AboutWindowOpen());

    window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Text(window), "About Tolvane");
    EXPECT_EQ(Text(Control(kLblVersion)), "Version 1.5.4");
    EXPECT_EQ(Text(Control(kLblTitle)), "Tolvane");
}

TEST_F(AboutWindowTest, TheAddressIsHighlightedPointsWithAHandAndOpensOnClick) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    HWND address = Control(kLabel1);

    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(address));
    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_HIGHLIGHT));
    SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(Control(kLblDescription)));
    EXPECT_NE(GetTextColor(dc), GetSysColor(COLOR_HIGHLIGHT));
    DeleteDC(dc);

    SendMessageW(address, WM_SETCURSOR, reinterpret_cast<WPARAM>(address),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

    EXPECT_TRUE(shell_.Opened.empty());
    SendMessageW(address, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(address, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
    EXPECT_EQ(shell_.Opened, std::vector<std::string>{"https://tolvane.example.org/"});
    EXPECT_TRUE(AboutWindowOpen());
}

} // namespace
} // namespace tolvane::about
