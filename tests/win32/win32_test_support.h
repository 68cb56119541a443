#pragma once

// What the Win32 tests, the end-to-end tests and the benchmark share.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32_util.h"

namespace tolvane::testing {

namespace fs = std::filesystem;

// Runs its step when the scope ends, however a test ends.
class Undo {
public:
    explicit Undo(std::function<void()> step) : step_(std::move(step)) {}
    Undo(Undo&&) = delete;
    ~Undo() { step_(); }

private:
    std::function<void()> step_;
};

// A fresh folder under the temporary folder, removed with all it holds. Its name has blanks and
// is unique across runs too: Wine hands out the same process ids each run, and a save dialog
// remembers the last folder it showed.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& Path() const { return path_; }
    fs::path operator/(const fs::path& name) const { return path_ / name; }

private:
    fs::path path_;
};

std::string ReadBytes(const fs::path& file); // empty when it cannot be read
bool WriteBytes(const fs::path& file, const std::string& bytes);
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds patience = std::chrono::seconds(15));
using win32::Narrow;

// For this process and the programs it starts; an empty value removes the variable.
[[nodiscard]] Undo SetVariable(const std::wstring& name, const std::wstring& value);
// Wine reports this Windows version ("win10") to the programs of this file name it starts.
[[nodiscard]] Undo ReportWindowsVersion(const std::wstring& program, const std::wstring& version);

// The journal of the stand-in system tools, which record their command lines there, and the
// variables that script them: the exit codes they return in turn and how long each one runs.
class StandInJournal {
public:
    explicit StandInJournal(const std::wstring& codes = L"", const std::wstring& delayMs = L"");
    std::string Text() const { return ReadBytes(folder_ / L"journal.txt"); }
    // Polls until the journal holds this many lines, for tools nobody waits for.
    std::string WaitForLines(size_t count) const;

private:
    TempFolder folder_;
    Undo journal_;
    Undo codes_;
    Undo delay_;
};

// The thread's pending messages, and a key pressed and released, handed over as the program's
// own loop does (dialog keys included).
void Pump();
void PressKey(WPARAM key, HWND target = GetFocus());
// Sends with a time limit, so a stuck window fails a test instead of hanging it; -1 when no
// answer came. The messages used here reach other processes too.
LRESULT SendBriefly(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::string TextOf(HWND window); // an edit box's content too
// A process's top-level windows with this caption, hidden ones too.
std::vector<HWND> TopLevelWindows(DWORD processId, const std::wstring& caption);

// While `wait` runs, another thread posts a message to a window of this thread at every period;
// gives how long each one waited to be handled, in milliseconds, shortest first.
std::vector<double> MessageLatencies(const std::function<void()>& wait,
                                     std::chrono::milliseconds period);

} // namespace tolvane::testing
