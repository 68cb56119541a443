#include "about/key_value_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace tolvane {
namespace {

// Writes a value under a scratch key, then reads it back: its text, or what the call left of
// "previous" after answering false.
std::string Stored(DWORD type, const void* data, DWORD bytes, const char* key = "") {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tolvane-test", L"Value", type, data, bytes);
    std::string value = "previous";
    const bool read =
        GetKeyValue(HKEY_CURRENT_USER, std::string("Software\\Tolvane-test") + key, "Value", value);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tolvane-test");
    return read ? value : "false, " + value;
}

TEST(KeyValue, TextsComeBackWithoutTheirEndAndNumbersAsUnsignedDecimals) {
    EXPECT_EQ(Stored(REG_SZ, L"bench value", 24), "bench value");
    EXPECT_EQ(Stored(REG_SZ, L"no end", 12), "no end");
    EXPECT_EQ(Stored(REG_SZ, L"", 2), "");
    EXPECT_EQ(Stored(REG_SZ, L"Pr\u00fcfung", 16), "Pr\xc3\xbc"
                                                   "fung");
    const DWORD numbers[] = {1234, 0xFFFFFFFF};
    EXPECT_EQ(Stored(REG_DWORD, &numbers[0], 4), "1234");
    EXPECT_EQ(Stored(REG_DWORD, &numbers[1], 4), "4294967295");
}

TEST(KeyValue, OtherTypesKeepThePreviousTextAndWhatCannotBeReadEmptiesIt) {
    EXPECT_EQ(Stored(REG_BINARY, "\x01\x02\x03", 3), "previous");
    EXPECT_EQ(Stored(REG_EXPAND_SZ, L"%SystemRoot%", 26), "previous");
    const std::wstring tooLong(600, L'x'); // more than the reader's buffer holds
    EXPECT_EQ(Stored(REG_SZ, tooLong.c_str(), 1202), "false, ");
    EXPECT_EQ(Stored(REG_SZ, L"", 2, "\\Nowhere"), "false, ");
}

} // namespace
} // namespace tolvane
