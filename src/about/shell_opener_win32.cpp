#include "about/shell_opener_win32.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include "platform/win32_util.h"

namespace tolvane {
bool Win32ShellOpener::Open(std::string_view target) {
    // Shell extensions that open a target may be COM objects.
    const win32::ScopedCom com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const std::wstring file = win32::Widen(target);
    static const auto shellExecute =
        win32::SystemFunction<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
    if (shellExecute == nullptr) {
        return false;
    }
    const HINSTANCE result =
        shellExecute(nullptr, nullptr, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // ShellExecute answers with a pseudo instance handle: above 32 is success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace tolvane
