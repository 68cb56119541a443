#include "about/shell_opener_win32.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include "platform/win32_util.h"

namespace tolvane {
namespace {

// Shell extensions that open a target may be COM objects, so COM is set up for the call when
// the thread has not done so already.
class ComForCall {
public:
    ComForCall()
        : initialized_(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComForCall() {
        if (initialized_) {
            CoUninitialize();
        }
    }
    ComForCall(const ComForCall&) = delete;
    ComForCall& operator=(const ComForCall&) = delete;

private:
    bool initialized_;
};

} // namespace

bool Win32ShellOpener::Open(std::string_view target) {
    const ComForCall com;
    const std::wstring file = win32::Widen(target);
    const HINSTANCE result =
        ShellExecuteW(nullptr, nullptr, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // ShellExecute answers with a pseudo instance handle: above 32 is success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace tolvane
