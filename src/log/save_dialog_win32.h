#pragma once

#include <windows.h>

#include "log/save_log.h"

namespace tolvane {

// The common save dialog of Windows, modal to its owner.
class Win32SaveDialog : public SaveDialogService {
public:
    void SetOwner(HWND owner) { owner_ = owner; }
    SaveDialogOutcome Show(const SaveDialogRequest& request, std::string& chosenPath) override;

private:
    HWND owner_ = nullptr;
};

} // namespace tolvane
