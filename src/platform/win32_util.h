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

std::string SystemFolder();
// The folder that holds the running program, without a trailing backslash (except at a root).
std::string ProgramFolder();

} // namespace tolvane::win32
