#include "platform/win32_util.h"

#include <algorithm>

#include "log/text_file_paths.h"

namespace tolvane::win32 {
namespace {

// Longer than any path (32767 characters) or drive list: a call that never says its text fits
// stops here rather than growing its buffer without end.
constexpr std::size_t kLongestRead = std::size_t{1} << 16;

} // namespace

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), narrow.data(),
                        size, nullptr, nullptr);
    return narrow;
}

std::string ErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) {
        text.assign(buffer, length);
    }
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "Error " + std::to_string(error) + ".";
    }
    return Narrow(text);
}

void RestrictDllSearchToSystemFolder() {
    // SetDefaultDllDirectories is missing on a Vista or 7 without its update: look it up.
    const auto setDefault =
        SystemFunction<BOOL(WINAPI*)(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDefault != nullptr) {
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    } else {
        SetDllDirectoryW(L"");
    }
}

FARPROC SystemProcAddress(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (module == nullptr) {
        // Never a path that another folder decides: without the system folder, nothing loads.
        const std::string folder = SystemFolder();
        module = folder.empty() ? nullptr : LoadLibraryW((Widen(folder) + L"\\" + dll).c_str());
    }
    return module == nullptr ? nullptr : GetProcAddress(module, name);
}

std::string SystemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return Narrow(std::wstring_view(buffer, length));
}

std::string ProgramFolder() {
    std::wstring path = ReadGrowing(
        [](DWORD size, wchar_t* buffer) { return GetModuleFileNameW(nullptr, buffer, size); });
    const auto slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        return {};
    }
    // Keep the slash of a root folder ("C:\"), as the shell shows it.
    path.resize(slash == 2 ? slash + 1 : slash);
    return Narrow(path);
}

std::wstring ReadGrowing(const std::function<DWORD(DWORD size, wchar_t* buffer)>& read) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = read(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= kLongestRead) {
            return {};
        }
        buffer.resize(std::max<std::size_t>(buffer.size() * 2, length));
    }
}

std::wstring ExtendedFullPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    // A NUL inside the name would silently cut it short and name another file.
    if (wide.empty() || wide.find(L'\0') != std::wstring::npos) {
        return {};
    }
    const std::wstring full = ReadGrowing([&](DWORD size, wchar_t* buffer) {
        return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
    });
    return full.empty() ? full : Widen(ExtendedLengthPath(Narrow(full)));
}

} // namespace tolvane::win32
