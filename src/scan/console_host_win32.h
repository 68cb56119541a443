#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// The console host: tolvane.exe started with a private switch owns the console that a pass's
// command runs in, since the program's own process must never be attached to a console (closing
// a console window ends every process attached to it). The host makes the console, starts the
// command in it, waits for it, reads the console back row by row and writes the completion
// record; the program learns from that record alone that the command itself ended. Hosts are
// started ahead of their passes, so that keeping the console costs a pass's start next to nothing.
namespace tolvane {

// The command line that starts a host at hostPath, ahead of its pass: the host makes its console,
// hidden, and waits until the program has written its request into the record at recordPath and
// set the host's go event, or until the program (parent, a handle the host inherits) has ended.
std::wstring ConsoleHostCommandLine(const std::wstring& hostPath, const std::wstring& recordPath,
                                    HANDLE parent);

// The events of a host, named after its record file (unique in its folder): the program sets Go
// once the request is written; the host sets Started once the command has started. A host that
// ends without setting Started could not start the command, and its exit code is the system's
// error code.
enum class ConsoleHostEvent { Go, Started };
std::wstring ConsoleHostEventName(const std::wstring& recordPath, ConsoleHostEvent event);

// When the program's arguments (its command line without its own path) begin with the private
// switch: runs the host and gives the process's exit code, the command's own. Incomplete
// arguments are refused without a word. Nothing when the arguments are the user's.
std::optional<int> RunConsoleHostIfAsked(std::wstring_view arguments);

} // namespace tolvane
