#pragma once

#include <windows.h>

#include <functional>

#include "about/shell_opener.h"
#include "platform/window_win32.h"

// The About window (frmAbout): a small fixed dialog with the program's title, version,
// description, terms of use, the maker's web address and an OK button.
namespace tolvane::about {

// Control identifiers, for the window's own code and for tests that look at its controls.
enum ControlId : int {
    kCmdOk = IDOK,
    kPicIcon = 1001,
    kLblTitle,
    kLblVersion,
    kLabel1,
    kLblDescription,
    kLine1,
    kLblDisclaimer,
};

// The window is modeless and belongs to no program window: the main window stays usable and
// may even be closed first. OK, Enter, Esc and the frame's close button destroy it; the object
// stays, and the next Show creates it again. Keyboard handling needs the message loop to pass
// each message through IsDialogMessage for its top-level window (win32::DispatchWindowMessage
// does).
class AboutWindow : public win32::WindowBase {
public:
    //   instance: the module whose program icon the window shows (the system's application
    //             icon stands in when there is none);
    //   shell:    opens the maker's web address when it is clicked; it must outlive the window;
    //   onClosed: runs each time the window has been destroyed, when IsOpen() is false again.
    AboutWindow(HINSTANCE instance, ShellOpener& shell, std::function<void()> onClosed = {});
    ~AboutWindow() override;

    // Creates and shows the window, filling its labels afresh, or brings the open one to the
    // front. Returns whether the window is open afterwards.
    bool Show();
    bool IsOpen() const { return Handle() != nullptr; }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;
    void Load();
    void ApplyDpi(UINT dpi);
    void Close();

    HINSTANCE instance_;
    ShellOpener& shell_;
    std::function<void()> onClosed_;
    HWND owner_ = nullptr;
    win32::ScopedGdi font_;
    win32::LoadedIcon icon_;
};

} // namespace tolvane::about
