#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// How a command line of the program is started: which executable, with which command line.
struct ResolvedCommand {
    std::string ApplicationPath; // full path of the executable to start
    std::string CommandLine;     // the command line the child receives
};

// The program's command lines name the system's tools bare ("chkdsk C: /F"); those are taken
// from the system folder only, never from the program's or the current folder, so an elevated
// program cannot be made to run a planted copy. A command that is a path to a batch file (Debug
// Mode) runs through the system's command interpreter, quoted so that a folder with spaces works.
// Anything else with a path of its own is started as given.
ResolvedCommand ResolveCommand(std::string_view commandLine, std::string_view systemFolder);

} // namespace tolvane
