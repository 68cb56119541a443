#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Small text rules the program applies in several places. Drive letters, switches and file
// extensions are ASCII, so only ASCII letters change case.
namespace tolvane {

char AsciiUpper(char c);
std::string AsciiUpper(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view tail);

enum class HexLetters { Lower, Upper };
// The value in hexadecimal, with leading zeros up to `width` digits. Written out here rather than
// with snprintf, whose formatter and its floating-point half would add some 23 KB to the program.
std::string HexDigits(std::uint32_t value, std::size_t width, HexLetters letters);

// The name inside the folder, without doubling the backslash of a root folder ("C:\"). An
// unknown (empty) folder gives a path from the root, never one the current folder decides.
std::string InFolder(std::string_view folder, std::string_view name);

// The drive letter and colon that start a drive list entry ("c: [SYSTEM]" gives "c:").
std::string DriveLetterText(std::string_view entry);

} // namespace tolvane
