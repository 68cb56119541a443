#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tolvane {

// Reads the value SubKeyRef of the key KeyName under KeyRoot into KeyVal: a string as it is, a
// 32-bit number as its decimal text; a value of any other type leaves KeyVal as it was. False,
// with KeyVal emptied, when the key or the value cannot be read (a value larger than 1024 bytes
// included).
bool GetKeyValue(HKEY KeyRoot, std::string_view KeyName, std::string_view SubKeyRef,
                 std::string& KeyVal);

} // namespace tolvane
