#include "about/key_value_win32.h"

#include <array>
#include <cstring>

#include "platform/win32_util.h"

namespace tolvane {
namespace {

constexpr DWORD kValueBufferBytes = 1024;

} // namespace

bool GetKeyValue(HKEY KeyRoot, std::string_view KeyName, std::string_view SubKeyRef,
                 std::string& KeyVal) {
    // Query rights are all a read needs; asking for more would fail on keys a standard user
    // may read but not change.
    win32::ScopedKey key;
    if (RegOpenKeyExW(KeyRoot, win32::Widen(KeyName).c_str(), 0, KEY_QUERY_VALUE, key.Put()) !=
        ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    std::array<BYTE, kValueBufferBytes> buffer{};
    DWORD type = REG_NONE;
    DWORD size = kValueBufferBytes;
    if (RegQueryValueExW(key.Get(), win32::Widen(SubKeyRef).c_str(), nullptr, &type, buffer.data(),
                         &size) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    if (type == REG_SZ) {
        std::wstring text(size / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), buffer.data(), text.size() * sizeof(wchar_t));
        if (!text.empty() && text.back() == L'\0') {
            text.pop_back();
        }
        KeyVal = win32::Narrow(text);
    } else if (type == REG_DWORD) {
        // The buffer starts zeroed, so a short value reads as the bytes it has.
        DWORD number = 0;
        std::memcpy(&number, buffer.data(), sizeof(number));
        KeyVal = std::to_string(number);
    }
    return true;
}

} // namespace tolvane
