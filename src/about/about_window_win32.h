#pragma once

#include <windows.h>

#include <functional>

#include "about/shell_opener.h"

// The About window (frmAbout): a small fixed dialog with the program's title, version,
// description, terms of use, the maker's web address and an OK button. There is at most one.
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

// Creates and shows the About window, filling its labels afresh, or brings the open one to the
// front. The window is modeless and belongs to no program window: the main window stays usable
// and may even be closed first. OK, Enter, Esc and the frame's close button destroy it.
//   instance: the module whose icon resource 1 the window shows (the system's application icon
//             stands in when there is none);
//   shell:    opens the maker's web address when it is clicked; it must outlive the window;
//   onClosed: runs once, right after the window has been destroyed (replaces any earlier one).
// The program must end only when the main window and this window are both closed: the main
// window quits on its own destruction only while AboutWindowOpen() is false, and otherwise
// leaves quitting to onClosed. Keyboard handling needs the message loop to pass each message
// through IsDialogMessage for its top-level window (win32::DispatchWindowMessage does).
// Returns whether the window is open afterwards.
bool ShowAboutWindow(HINSTANCE instance, ShellOpener& shell, std::function<void()> onClosed = {});

// True from the window's creation until it has been destroyed.
bool AboutWindowOpen();

// The open About window, or null.
HWND AboutWindowHandle();

} // namespace tolvane::about
