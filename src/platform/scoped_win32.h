#pragma once

#include <windows.h>

#include <objbase.h>

namespace tolvane::win32 {

// Owns one handle of a kind and closes it once with the kind's own function. Null and
// INVALID_HANDLE_VALUE both count as empty, since the API returns either for "no handle".
template <typename T, auto Close> class Scoped {
public:
    Scoped() = default;
    explicit Scoped(T value) : value_(value) {}
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : value_(other.Release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    ~Scoped() { Reset(); }

    T Get() const { return value_; }
    explicit operator bool() const {
        return value_ != nullptr && reinterpret_cast<HANDLE>(value_) != INVALID_HANDLE_VALUE;
    }
    T Release() {
        T value = value_;
        value_ = nullptr;
        return value;
    }
    void Reset(T value = nullptr) {
        if (*this) {
            Close(value_);
        }
        value_ = value;
    }
    // For functions that hand a new handle out through a pointer; drops the one held first.
    T* Put() {
        Reset();
        return &value_;
    }

private:
    T value_ = nullptr;
};

using ScopedHandle = Scoped<HANDLE, &CloseHandle>;
using ScopedGdi = Scoped<HGDIOBJ, &DeleteObject>;
using ScopedIcon = Scoped<HICON, &DestroyIcon>;
using ScopedKey = Scoped<HKEY, &RegCloseKey>;
using ScopedLibrary = Scoped<HMODULE, &FreeLibrary>;

// COM for the current thread while in scope. A thread already in the other apartment model can
// use COM as it is; only an initialisation made here is undone here.
class ScopedCom {
public:
    explicit ScopedCom(DWORD flags) : result_(CoInitializeEx(nullptr, flags)) {}
    ScopedCom(const ScopedCom&) = delete;
    ScopedCom& operator=(const ScopedCom&) = delete;
    ~ScopedCom() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

} // namespace tolvane::win32
