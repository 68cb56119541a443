#pragma once

#include <windows.h>

#include "platform/services.h"

namespace tolvane {

class Win32MessageBox : public MessageBoxService {
public:
    // Boxes are modal to the owner window, when one is set.
    void SetOwner(HWND owner) { owner_ = owner; }
    MessageAnswer Show(std::string_view text, MessageButtons buttons, MessageIcon icon) override;

private:
    HWND owner_ = nullptr;
};

class Win32Clock : public Clock {
public:
    std::string TimeOfDayText() override;
    std::string TimeOfDayTextAt(SystemTime moment) override;
};

class Win32Environment : public Environment {
public:
    std::optional<std::string> Get(std::string_view name) override;
};

class Win32FileSystem : public FileSystem {
public:
    bool FileExists(const std::string& path) override;
};

class Win32Beeper : public Beeper {
public:
    void Beep() override;
};

} // namespace tolvane
