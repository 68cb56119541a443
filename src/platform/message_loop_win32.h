#pragma once

#include <windows.h>

namespace tolvane::win32 {

// Hands one message to its window, with dialog-style keyboard navigation (Tab, arrows, Enter,
// Esc, access keys) for whichever of the program's top-level windows it belongs to.
void DispatchWindowMessage(MSG& message);

} // namespace tolvane::win32
