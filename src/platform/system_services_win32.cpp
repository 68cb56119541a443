#include "platform/system_services_win32.h"

#include <vector>

#include "platform/win32_util.h"
#include "version.h"

namespace tolvane {

MessageAnswer Win32MessageBox::Show(std::string_view text, MessageButtons buttons,
                                    MessageIcon icon) {
    UINT style = MB_SETFOREGROUND;
    switch (buttons) {
    case MessageButtons::Ok: style |= MB_OK; break;
    case MessageButtons::OkCancel: style |= MB_OKCANCEL; break;
    case MessageButtons::YesNo: style |= MB_YESNO; break;
    }
    if (icon == MessageIcon::Exclamation) {
        style |= MB_ICONEXCLAMATION;
    }
    const std::wstring caption = win32::Widen(version::kTitle);
    switch (MessageBoxW(owner_, win32::Widen(text).c_str(), caption.c_str(), style)) {
    case IDYES: return MessageAnswer::Yes;
    case IDNO: return MessageAnswer::No;
    case IDCANCEL: return MessageAnswer::Cancel;
    case IDOK: return MessageAnswer::Ok;
    default: break;
    }
    // The box did not appear (0, or -1 from Wine): nobody agreed to anything.
    switch (buttons) {
    case MessageButtons::OkCancel: return MessageAnswer::Cancel;
    case MessageButtons::YesNo: return MessageAnswer::No;
    case MessageButtons::Ok: break;
    }
    return MessageAnswer::Ok;
}

namespace {

// The time of day of the given local time, or of now when there is none.
std::string LocalTimeText(const SYSTEMTIME* time) {
    wchar_t buffer[128];
    const int length = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, time, nullptr, buffer, 128);
    if (length <= 1) {
        return {};
    }
    return win32::Narrow(std::wstring_view(buffer, static_cast<size_t>(length - 1)));
}

} // namespace

std::string Win32Clock::TimeOfDayText() {
    return LocalTimeText(nullptr);
}

std::string Win32Clock::TimeOfDayTextAt(SystemTime moment) {
    FILETIME fileTime{static_cast<DWORD>(moment), static_cast<DWORD>(moment >> 32)};
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&fileTime, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
        return LocalTimeText(nullptr);
    }
    return LocalTimeText(&local);
}

std::optional<std::string> Win32Environment::Get(std::string_view name) {
    const std::wstring wideName = win32::Widen(name);
    SetLastError(ERROR_SUCCESS);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
            return std::nullopt;
        }
        return std::string();
    }
    std::vector<wchar_t> buffer(size);
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), size);
    return win32::Narrow(std::wstring_view(buffer.data(), length));
}

// The path is resolved as the file writer resolves it, beyond MAX_PATH too, so the question
// whether to overwrite is asked about the file the save reaches.
bool Win32FileSystem::FileExists(const std::string& path) {
    const std::wstring resolved = win32::ExtendedFullPath(path);
    if (resolved.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(resolved.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void Win32Beeper::Beep() {
    MessageBeep(MB_OK);
}

} // namespace tolvane
