#include "about/key_value_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace tolvane {
namespace {

constexpr const wchar_t* kTestKey = L"Software\\Tolvane-test";

// A scratch key under HKCU, removed with its values when the test ends.
class KeyValueTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }
    void Set(const wchar_t* name, DWORD type, const void* data, size_t bytes) {
        ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data),
                                 static_cast<DWORD>(bytes)),
                  ERROR_SUCCESS);
    }
    void SetText(const wchar_t* name, const std::wstring& text, bool withNul = true) {
        Set(name, REG_SZ, text.c_str(), (text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t));
    }
    HKEY key_ = nullptr;
};

TEST_F(KeyValueTest, StringsComeBackWithoutTheirTerminator) {
    SetText(L"Plain", L"bench value");
    SetText(L"Unterminated", L"no end", false);
    SetText(L"Empty", L"");
    SetText(L"Accented", L"Pr\u00fcfung");
    std::string value = "previous";
    EXPECT_TRUE(GetKeyValue(HKEY_CURRENT_USER, "Software\\Tolvane-test", "Plain", value));
    EXPECT_EQ(value, "bench value");
    EXPECT_TRUE(GetKeyValue(HKEY_CURRENT_USER, "Software\\Tolvane-test", "Unterminated", value));
    EXPECT_EQ(value, "no end");
    EXPECT_TRUE(GetKeyValue(HKEY_CURRENT_USER, "Software\\Tolvane-test", "Empty", value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(GetKeyValue(HKEY_CURRENT_USER, "Software\\Tolvane-test", "Accented", value));
    EXPECT_EQ(value, "Pr\xc3\xbc"
                     "fung");
}

TEST_F(KeyValueTest, NumbersComeBackAsUnsignedDecimal) {
    const DWORD small = 1234;
    const DWORD largest = 0xFFFFFFFF;
    Set(L"Small", REG_DWORD, &small, sizeof(small));
    Set(L"Largest", REG_DWORD, &largest, sizeof(largest));
    std::string value;
    EXPECT_TRUE(GetKeyValue(HKEY_CURRENT_USER, "Software\\Tolvane-test", "Small", value));
    EXPECT_EQ(value, "1234");
    EXPECT_TRUE(GetKeyValue(HKEY_CURRENT_USER, "Software\\Tolvane-test", "Largest", value));
    EXPECT_EQ(value, "4294967295");
}

TEST_F(KeyValueTest, OtherTypesAreReadButLeaveThePreviousText) {
    const unsigned char bytes[] = {0x01, 0x02, 0x03};
    const std::wstring expandable = L"%SystemRoot%";
    Set(L"Binary", REG_BINARY, bytes, sizeof(bytes));
    Set(L"Expandable", REG_EXPAND_SZ, expandable.c_str(),
        (expandable.size() + 1) * sizeof(wchar_t));
    std::string value = "previous";
    EXPECT_TRUE(GetKeyValue(HKEY_CURRENT_USER, "Software\\Tolvane-test", "Binary", value));
    EXPECT_EQ(value, "previous");
    EXPECT_TRUE(GetKeyValue(HKEY_CURRENT_USER, "Software\\Tolvane-test", "Expandable", value));
    EXPECT_EQ(value, "previous");
}

TEST_F(KeyValueTest, WhatCannotBeReadGivesFalseAndEmpty) {
    SetText(L"TooLong", std::wstring(600, L'x')); // 1202 bytes: more than the buffer holds
    std::string value = "previous";
    EXPECT_FALSE(GetKeyValue(HKEY_CURRENT_USER, "Software\\Tolvane-test", "Missing", value));
    EXPECT_EQ(value, "");
    value = "previous";
    EXPECT_FALSE(GetKeyValue(HKEY_CURRENT_USER, "Software\\Tolvane-test\\Nowhere", "Plain", value));
    EXPECT_EQ(value, "");
    value = "previous";
    EXPECT_FALSE(GetKeyValue(HKEY_CURRENT_USER, "Software\\Tolvane-test", "TooLong", value));
    EXPECT_EQ(value, "");
}

} // namespace
} // namespace tolvane
