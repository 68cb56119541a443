#pragma once

// What the end-to-end tests share: starting tolvane.exe, finding its windows and controls from
// outside, pressing them, answering its message boxes and reading what it shows.
#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "win32_test_support.h"

namespace tolvane::e2e {

inline constexpr wchar_t kMainCaption[] =
    L"Tolvane   v1.5  -  Chkdsk.exe Wrapper/Enhancer for Windows";
inline constexpr wchar_t kMessageBoxCaption[] = L"Tolvane";
inline constexpr auto kPatience = std::chrono::seconds(15);

// The paths CTest hands over, in Windows form; set by main.
extern std::wstring programPath;
extern std::wstring minimalWindowPath;
extern std::wstring outputFolder;

// A Unix path of the build as Wine sees it (the Unix root is drive Z:).
std::wstring WindowsPath(const std::string& path);

// The caption as the window manager keeps it; enough for top-level windows, buttons and labels.
std::wstring CaptionOf(HWND window);
// The text the control itself holds, asked for with WM_GETTEXT (an edit box's content is not
// its caption).
std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
std::vector<HWND> VisibleWindowsOf(DWORD processId);
// Top-level windows of the process with this caption, hidden ones included.
std::vector<HWND> WindowsCaptioned(DWORD processId, const std::wstring& caption);

// Polls until the condition holds; false when the time is up.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds patience = kPatience);

// Sends a message that opens nothing modal, with a time limit so that a stuck program fails the
// test instead of hanging it. Returns the answer, or -1 when there was none in time.
LRESULT SendBriefly(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Text written by the target into a buffer of its own process: the common controls' messages
// above WM_USER carry plain pointers and are not marshalled between processes, so the buffer is
// allocated in the target, given to the message and read back from there.
inline constexpr WPARAM kRemoteTextChars = 4096;
std::wstring AskForText(HANDLE process, HWND window, UINT message, WPARAM wParam);

// A started program, ended by force if a test leaves it running.
class Child {
public:
    explicit Child(const std::wstring& path);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return started_; }
    DWORD StartError() const { return error_; }
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Process() const { return info_.hProcess; }
    bool Running() const;
    // The exit code, or STILL_ACTIVE when it has not ended in time.
    DWORD WaitForExit(DWORD milliseconds);
    // Polls until one of the program's visible top-level windows has this caption.
    HWND WaitForWindow(const std::wstring& caption);
    // The next message box of the program (a dialog captioned with the program's title).
    HWND WaitForMessageBox();

private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
    DWORD error_ = 0;
};

// What a message box shows.
struct MessageBoxView {
    std::wstring Text;
    std::vector<std::wstring> Buttons; // visible ones, in their order
    HWND Icon = nullptr;               // the visible icon control holding an icon, if any
};
MessageBoxView ReadMessageBox(HWND box);
// Presses the box's button with this id and waits until the box has gone.
bool Answer(HWND box, int buttonId);

// Whether an icon control shows this system icon: its pixels on the screen against the icon
// drawn here over the same background.
bool ShowsSystemIcon(HWND control, LPCWSTR icon);

// A top-level window's child control of this class and caption.
HWND FindControl(HWND window, const wchar_t* className, const wchar_t* caption);
// The controls of a class that lie inside the group box with this caption, from top to bottom.
std::vector<HWND> ControlsInFrame(HWND window, const wchar_t* frameCaption,
                                  const wchar_t* className);
// Chooses the first item of a drop-down list that begins with the text, as a user's choice
// does: the selection, then the notification to the list's parent.
bool ChooseListItem(HWND list, const std::wstring& beginning);

// Brings the window's top-level window to the front and types Alt+key, then the further keys.
// False, without typing, when the window did not come to the front.
bool PressAltAnd(HWND window, WORD key, std::initializer_list<WORD> then = {});
// Types a key into whatever window has the keyboard.
void PressKey(WORD key);

using testing::ReadFileBytes;
using testing::ScopedVariable;
using testing::WriteFileBytes;

// The complete lines of a text file with CR LF line ends.
std::vector<std::string> ReadLines(const std::wstring& path);
// UTF-16 to the ANSI code page, as the program writes its files.
std::string ToAnsi(const std::wstring& text);

// A fresh folder under the temporary folder (its name holds blanks), removed with everything in
// it at the end of the scope.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Copies tolvane.exe alone into the folder and returns the copy's path: a program folder with
// nothing beside the program.
std::wstring CopyProgramInto(const TempFolder& folder);

} // namespace tolvane::e2e
