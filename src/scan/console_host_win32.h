#pragma once

#include <optional>
#include <string>
#include <string_view>

// The console host: tolvane.exe started with a private switch owns the console that a pass's
// command runs in, since the program's own process must never be attached to a console (closing
// a console window ends every process attached to it). The host makes the console, starts the
// command in it, waits for it, reads the console back row by row and writes the completion
// record; the program learns from that record alone that the command itself ended.
namespace tolvane {

// The command line that starts the host at hostPath for one pass of commandLine, writing its
// record to recordPath.
std::wstring ConsoleHostCommandLine(const std::wstring& hostPath, const std::wstring& recordPath,
                                    const std::string& commandLine);

// The event the host sets once the command has started, named after the pass's record file
// (unique in its folder). A host that ends without setting it could not start the command, and
// its exit code is the system's error code.
std::wstring ConsoleHostStartedEventName(const std::wstring& recordPath);

// When the program's arguments (its command line without its own path) begin with the private
// switch: runs the host and gives the process's exit code, the command's own. Incomplete
// arguments are refused without a word. Nothing when the arguments are the user's.
std::optional<int> RunConsoleHostIfAsked(std::wstring_view arguments);

} // namespace tolvane
