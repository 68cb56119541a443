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
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, 1024);
    return win32::Narrow(buffer);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        win32::DispatchWindowMessage(message);
    }
}

class AboutWindowTest : public ::testing::Test {
protected:
    HWND Open() {
        EXPECT_TRUE(about.Show());
        Pump();
        return about.Handle();
    }
    HWND Control(ControlId id) const { return GetDlgItem(about.Handle(), id); }

    RecordingShell shell;
    int closings = 0;
    bool openWhenClosing = true;
    AboutWindow about{GetModuleHandleW(nullptr), shell, [this] {
                          ++closings;
                          openWhenClosing = about.IsOpen();
                      }};
};

TEST_F(AboutWindowTest, OneWindowFilledAfreshEachTimeAndClosedByEscEnterOrFrame) {
    for (int way = 0; way < 3; ++way) {
        HWND first = Open();
        ASSERT_NE(first, nullptr);
        SetWindowTextW(Control(kLblVersion), L"changed");
        EXPECT_EQ(Open(), first) << "a second request brings the same window back";
        MSG key{GetFocus(), WM_KEYDOWN, static_cast<WPARAM>(way == 0 ? VK_ESCAPE : VK_RETURN),
                0,          0,          {}};
        if (way < 2) {
            win32::DispatchWindowMessage(key);
        } else {
            SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        Pump();
        EXPECT_FALSE(IsWindow(first)) << way;
        EXPECT_EQ(closings, 2 * way + 1);
        EXPECT_FALSE(openWhenClosing) << "the program may quit from the callback";
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(Text(about.Handle()), "About Tolvane");
        EXPECT_EQ(Text(Control(kLblVersion)), "Version 1.5.4");
        EXPECT_EQ(GetFocus(), Control(kCmdOk));
        SendMessageW(Control(kCmdOk), BM_CLICK, 0, 0);
        Pump();
    }
}

TEST_F(AboutWindowTest, FixedFrameOwnedByNoProgramWindowAndPlacedInTwipsForTheDpi) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_CHILD));
    // An unowned window without WS_EX_TOOLWINDOW would get a taskbar button.
    HWND owner = GetWindow(window, GW_OWNER);
    EXPECT_TRUE(owner != nullptr && !IsWindowVisible(owner));
    const UINT dpi = win32::WindowDpi(window);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, win32::TwipsToPixels(5730, dpi));
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.y, win32::TwipsToPixels(1935, dpi));
    // Moved to a monitor of 144 DPI, it lays out its controls and font again for that DPI.
    RECT suggested = {100, 100, 700, 520};
    SendMessageW(window, win32::kWmDpiChanged, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    RECT ok{};
    GetWindowRect(Control(kCmdOk), &ok);
    EXPECT_EQ(ok.right - ok.left, MulDiv(1185, 144, 1440));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(kLblDisclaimer), WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, 144, 72));
    // Every text fits its label at either DPI.
    for (ControlId id : {kLblTitle, kLblVersion, kLabel1, kLblDescription, kLblDisclaimer}) {
        RECT box{};
        GetClientRect(Control(id), &box);
        HDC dc = GetDC(Control(id));
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(Control(id), WM_GETFONT, 0, 0)));
        RECT needed = box;
        DrawTextW(dc, win32::Widen(Text(Control(id))).c_str(), -1, &needed,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        ReleaseDC(Control(id), dc);
        EXPECT_LE(needed.right, box.right) << Text(Control(id));
        EXPECT_LE(needed.bottom, box.bottom) << Text(Control(id));
    }
}

TEST_F(AboutWindowTest, TheAddressIsHighlightedPointsWithAHandAndOpensOnClick) {
    HWND window = Open();
    HWND address = Control(kLabel1);
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(address));
    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_HIGHLIGHT));
    DeleteDC(dc);
    SendMessageW(address, WM_SETCURSOR, reinterpret_cast<WPARAM>(address),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    SendMessageW(address, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(address, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
    EXPECT_EQ(shell.Opened, std::vector<std::string>{"https://tolvane.example.org/"});
    EXPECT_TRUE(IsWindow(window));
}

} // namespace
} // namespace tolvane::about
