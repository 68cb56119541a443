#pragma once

// What the end-to-end tests share: starting tolvane.exe, finding its windows from outside,
// typing into them and answering its message boxes.
#include "app/main_window_widgets.h"
#include "win32_test_support.h"

namespace tolvane::e2e {

using namespace testing;

inline constexpr wchar_t kMainCaption[] =
    L"Tolvane   v1.5  -  Chkdsk.exe Wrapper/Enhancer for Windows";
// The programs CTest names in Unix form, which Wine reads as paths on the current drive: for
// CTest's folders that is Z:, the Unix root.
extern const std::wstring programPath;
extern const std::wstring minimalWindowPath;

// A started program, ended by force if a test leaves it running.
class Child {
public:
    explicit Child(const std::wstring& path);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    DWORD Id() const { return info_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it has not ended in time.
    DWORD WaitForExit(DWORD milliseconds);
    // Polls until one of the program's top-level windows with this caption is visible.
    HWND WaitForWindow(const std::wstring& caption);
    HWND WaitForMessageBox() { return WaitForWindow(L"Tolvane"); }

private:
    PROCESS_INFORMATION info_{};
};

inline HWND Control(HWND window, WidgetId id) {
    return GetDlgItem(window, static_cast<int>(id));
}
inline std::string MessageText(HWND box) {
    return TextOf(GetDlgItem(box, 0xFFFF));
}
// Presses the box's button and waits until the box has gone.
bool Answer(HWND box, int buttonId = IDOK);
// Chooses the first item that begins with the text as a user does: the selection, then the
// notification to the list's parent.
bool ChooseListItem(HWND list, const std::wstring& beginning);
// Brings the window's top-level window to the front and types Alt+key, then the next key.
bool PressAltAnd(HWND window, WORD key, WORD next = 0);
// Copies tolvane.exe alone into the folder: a program folder with nothing beside the program.
std::wstring CopyProgramInto(const TempFolder& folder);

} // namespace tolvane::e2e
