#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Path rules of the text file writer, kept apart from the file calls so they can be tested
// anywhere. Paths are absolute Windows paths, as GetFullPathName returns them.
namespace tolvane {

// The same path in the "\\?\" form, which lifts the MAX_PATH limit: the temporary file beside a
// target may be longer than the target itself. Drive and UNC paths are converted; a path already
// in the "\\?\" or device ("\\.\") form, or any other, is returned unchanged.
std::string ExtendedLengthPath(std::string_view fullPath);

// A temporary file in the same folder as fullPath, so the finished file can be moved over the
// target in one step on the same volume. Short and free of the target's name, so it stays a
// valid name whatever the target is called; processId and attempt make it unique. Empty when
// fullPath names no file (no folder part, or a trailing backslash).
std::string TemporaryPathBeside(std::string_view fullPath, std::uint32_t processId,
                                std::uint32_t attempt);

} // namespace tolvane
