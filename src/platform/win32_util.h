#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tolvane::win32 {

// Owns a kernel handle and closes it once.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Release() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void Reset(HANDLE handle = nullptr) {
        if (*this) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

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
