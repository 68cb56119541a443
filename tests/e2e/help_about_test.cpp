// The Help and About entries of the menu bar, used from the keyboard as a user does.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

using namespace tolvane::e2e;

constexpr wchar_t kHelpNotFound[] =
    L"Help file not found!  Did you really need help with this anyway?";
constexpr wchar_t kAboutCaption[] = L"About Tolvane";

HWND KeyboardFocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

TEST(EndToEnd, HelpWithoutItsDocumentSaysSoWithAnExclamationAndCarriesOn) {
    TempFolder folder;
    const std::wstring program = CopyProgramInto(folder);
    ASSERT_FALSE(program.empty());
    Child tolvane(program);
    ASSERT_TRUE(tolvane.Started()) << "CreateProcess failed with error " << tolvane.StartError();
    HWND window = tolvane.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr);

    // Each click asks the shell again, and each failure is told the same way.
    for (int click = 1; click <= 2; ++click) {
        ASSERT_TRUE(PressAltAnd(window, 'H'));
        HWND box = tolvane.WaitForMessageBox();
        ASSERT_NE(box, nullptr) << "no message at click " << click;
        const MessageBoxView shown = ReadMessageBox(box);
        EXPECT_EQ(shown.Text, kHelpNotFound);
        EXPECT_EQ(shown.Buttons, std::vector<std::wstring>{L"OK"});
        ASSERT_NE(shown.Icon, nullptr) << "no icon";
        EXPECT_TRUE(WaitUntil([&] { return ShowsSystemIcon(shown.Icon, IDI_EXCLAMATION); },
                              std::chrono::seconds(3)))
            << "the icon is not the exclamation mark";
        EXPECT_FALSE(ShowsSystemIcon(shown.Icon, IDI_ASTERISK));
        EXPECT_FALSE(ShowsSystemIcon(shown.Icon, IDI_HAND));
        ASSERT_TRUE(Answer(box, IDOK));
        EXPECT_TRUE(tolvane.Running());
        EXPECT_TRUE(IsWindowVisible(window));
    }

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(tolvane.WaitForExit(10000), 0u);
}

TEST(EndToEnd, AboutOpenedTwiceIsOneWindowThatEscAndEnterClose) {
    Child tolvane(programPath);
    ASSERT_TRUE(tolvane.Started()) << "CreateProcess failed with error " << tolvane.StartError();
    HWND window = tolvane.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr);

    ASSERT_TRUE(PressAltAnd(window, 'A'));
    HWND about = tolvane.WaitForWindow(kAboutCaption);
    ASSERT_NE(about, nullptr) << "Alt+A opened no About window";
    HWND ok = FindControl(about, L"Button", L"OK");
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return KeyboardFocusOf(about) == ok; }, std::chrono::seconds(3)))
        << "OK does not have the focus";

    // The second request brings the same window to the front.
    ASSERT_TRUE(PressAltAnd(window, 'A'));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == about; }))
        << "the About window did not come to the front";
    EXPECT_EQ(WindowsCaptioned(tolvane.Id(), kAboutCaption), std::vector<HWND>{about});

    // Esc, typed while the About window has the keyboard, presses OK.
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); })) << "Esc left the About window open";
    EXPECT_TRUE(tolvane.Running());
    EXPECT_TRUE(IsWindowVisible(window));

    // Opened afresh, filled again the same way; Enter closes it too.
    ASSERT_TRUE(PressAltAnd(window, 'A'));
    about = tolvane.WaitForWindow(kAboutCaption);
    ASSERT_NE(about, nullptr) << "the About window did not open again";
    EXPECT_NE(FindControl(about, L"Static", L"Tolvane"), nullptr);
    EXPECT_NE(FindControl(about, L"Static", L"Version 1.5.4"), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == about; }));
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); })) << "Enter left the About window open";
    EXPECT_EQ(WindowsCaptioned(tolvane.Id(), kAboutCaption), std::vector<HWND>{});

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(tolvane.WaitForExit(10000), 0u);
}

} // namespace
