#pragma once

#include <windows.h>

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

std::string SystemFolder();
// The folder that holds the running program, without a trailing backslash (except at a root).
std::string ProgramFolder();

} // namespace tolvane::win32
