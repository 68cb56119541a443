#include "log/save_dialog_win32.h"

#include <commdlg.h>

#include <algorithm>

#include <vector>

#include "platform/win32_util.h"

namespace tolvane {
namespace {

// A hook without the Explorer flag is what asks for the classic dialog.
UINT_PTR CALLBACK ClassicDialogHook(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

} // namespace

SaveDialogOutcome Win32SaveDialog::Show(const SaveDialogRequest& request, std::string& chosenPath) {
    const std::wstring title = win32::Widen(request.Title);
    const std::wstring extension = win32::Widen(request.DefaultExtension);
    const std::wstring folder = win32::Widen(request.InitialFolder);
    // The filter is pairs of NUL-terminated strings, ended by one more NUL.
    std::wstring filter = win32::Widen(request.FilterName);
    filter += L'\0';
    filter += win32::Widen(request.FilterPattern);
    filter += L'\0';

    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring proposed = win32::Widen(request.FileName);
    proposed.copy(file.data(), std::min(proposed.size(), file.size() - 1));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = extension.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (request.Classic) {
        dialog.Flags |= OFN_ENABLEHOOK;
        dialog.lpfnHook = ClassicDialogHook;
    } else {
        dialog.Flags |= OFN_EXPLORER;
    }
    static const auto getSaveFileName =
        win32::SystemFunction<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    static const auto extendedError = win32::SystemFunction<decltype(&CommDlgExtendedError)>(
        L"comdlg32.dll", "CommDlgExtendedError");
    if (getSaveFileName == nullptr || extendedError == nullptr) {
        return SaveDialogOutcome::Failed;
    }
    if (getSaveFileName(&dialog)) {
        chosenPath = win32::Narrow(file.data());
        return SaveDialogOutcome::Chosen;
    }
    return extendedError() == 0 ? SaveDialogOutcome::Cancelled : SaveDialogOutcome::Failed;
}

} // namespace tolvane
