#include "platform/message_loop_win32.h"

namespace tolvane::win32 {

void DispatchWindowMessage(MSG& message) {
    if (message.hwnd != nullptr) {
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (root != nullptr && IsDialogMessageW(root, &message)) {
            return;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

} // namespace tolvane::win32
