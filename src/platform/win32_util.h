#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/scoped_win32.h"

namespace tolvane::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The system's own description of an error code, without the trailing line break.
std::string ErrorText(DWORD error);

// Loads DLLs from the system folder only, never from the program's or the current folder, so a
// DLL planted beside the program (a downloads folder) is not picked up by an elevated process.
void RestrictDllSearchToSystemFolder();

// A function of a system DLL, which is loaded from the system folder on the first request and
// kept for the program's life; null where the system lacks either. The program imports only
// what its window needs to appear: the save dialog, the shell and the multimedia timer load
// when first used, which keeps the start quick.
FARPROC SystemProcAddress(const wchar_t* dll, const char* name);
template <typename Function> Function SystemFunction(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(SystemProcAddress(dll, name)));
}

// What a call that fills a caller's buffer returns, read with a buffer grown until it fits, as
// a path or a list may grow between the sizing call and the reading one. read(size, buffer)
// gives the length written without the final NUL when it fits, 0 on failure, and otherwise a
// length at least size (the size needed, or size itself where the call only cuts the text).
// Empty on failure.
std::wstring ReadGrowing(const std::function<DWORD(DWORD size, wchar_t* buffer)>& read);

// The absolute form of path, resolved against the current folder, in the "\\?\" form that
// lifts the MAX_PATH limit; empty when there is none. Every call that names a file the user
// chose goes through it, so that they all reach the same file.
std::wstring ExtendedFullPath(const std::string& path);

std::string SystemFolder();
// The folder that holds the running program, without a trailing backslash (except at a root).
std::string ProgramFolder();

} // namespace tolvane::win32
