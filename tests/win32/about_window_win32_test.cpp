#include "about/about_window_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "win32_test_support.h"

namespace tolvane::about {
namespace {

using namespace testing;

class AboutWindowTest : public ::testing::Test, public ShellOpener {
protected:
    bool Open(std::string_view target) override {
        opened = target;
        return true;
    }
    HWND Show() {
        EXPECT_TRUE(about.Show());
        Pump();
        return about.Handle();
    }
    HWND Control(ControlId id) const { return GetDlgItem(about.Handle(), id); }

    std::string opened;
    int closings = 0;
    bool openWhenClosing = true;
    AboutWindow about{GetModuleHandleW(nullptr), *this, [this] {
                          ++closings;
                          openWhenClosing = about.IsOpen();
                      }};
};

TEST_F(AboutWindowTest, OneUnownedWindowFilledAfreshClosedByEscEnterOrFrameWithALinkedAddress) {
    for (int way = 0; way < 3; ++way) {
        HWND first = Show();
        ASSERT_NE(first, nullptr);
        SetWindowTextW(Control(kLblVersion), L"changed");
        EXPECT_EQ(Show(), first) << "a second request brings the same window back";
        if (way < 2) {
            PressKey(way == 0 ? VK_ESCAPE : VK_RETURN);
        } else {
            SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
            Pump();
        }
        EXPECT_FALSE(IsWindow(first)) << way;
        EXPECT_EQ(closings, way + 1);
        EXPECT_FALSE(openWhenClosing) << "the program may quit from the callback";
        ASSERT_NE(Show(), nullptr);
        EXPECT_EQ(TextOf(Control(kLblVersion)), "Version 1.5.4");
        EXPECT_EQ(GetFocus(), Control(kCmdOk));
    }
    // An unowned window without WS_EX_TOOLWINDOW would get a taskbar button. The address is
    // highlighted, points with a hand and opens on a click.
    HWND window = about.Handle();
    EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_CHILD));
    HWND owner = GetWindow(window, GW_OWNER);
    EXPECT_TRUE(owner != nullptr && !IsWindowVisible(owner));
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 382) << "5730 twips at 96 DPI";

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
    EXPECT_EQ(opened, "https://tolvane.example.org/");
    EXPECT_TRUE(IsWindow(window));
}

} // namespace
} // namespace tolvane::about
