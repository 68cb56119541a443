#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "about/about_window_win32.h"
#include "about/help.h"
#include "about/shell_opener_win32.h"
#include "app/main_window.h"
#include "app/startup_checks.h"
#include "log/report_files_win32.h"
#include "log/save_dialog_win32.h"
#include "log/text_file_writer_win32.h"
#include "platform/message_loop_win32.h"
#include "platform/system_services_win32.h"
#include "platform/win32_util.h"
#include "scan/console_host_win32.h"
#include "scan/process_host_win32.h"
#include "sysinfo/drive_query_win32.h"
#include "sysinfo/os_query_win32.h"

namespace {

// The program's exit code when it refuses to run on a system outside the NT family.
constexpr int kRefusedExitCode = 1;
// The program's exit code when an error stops it; the error has been shown.
constexpr int kFailedExitCode = 2;
constexpr std::string_view kFailureLead = "Tolvane could not go on:";
constexpr std::string_view kUnknownFailure = "an error without a description.";
constexpr const char* kNoMainWindow = "the system did not create the main window.";

// The edition query loads COM and a good part of the system and may wait for the management
// service: it runs beside the window's creation, which needs it only once the window is built.
// Past this wait the start decides from the version number alone and shows the window.
constexpr DWORD kEditionWaitMs = 5000;

void PrepareProcess() {
    // An empty card reader or optical drive asked about (the drive lists, the fixed-disk test of
    // a run) must not stop the program with a "no disk" box.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
}

// The services over their Win32 backends, for the program's life; the edition query starts
// when they are made.
struct Backends {
    tolvane::Win32MessageBox messages;
    tolvane::Win32Clock clock;
    tolvane::Win32Environment environment;
    tolvane::Win32Beeper beeper;
    tolvane::Win32ProcessHost processes;
    tolvane::Win32TextFileWriter writer;
    tolvane::Win32DriveQuery drives;
    tolvane::Win32SaveDialog saveDialog;
    tolvane::Win32FileSystem files;
    tolvane::Win32VersionQuery version;
    tolvane::TimeLimitedSkuQuery sku{std::make_shared<tolvane::WmiSkuQuery>(), kEditionWaitMs};
    tolvane::Win32ShellOpener shell;
    tolvane::Win32ReportFiles reports;
    tolvane::Services services{messages,
                               clock,
                               environment,
                               beeper,
                               processes,
                               writer,
                               files,
                               drives,
                               saveDialog,
                               version,
                               sku,
                               reports,
                               tolvane::win32::ProgramFolder()};
};

int RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        tolvane::win32::DispatchWindowMessage(message);
    }
    return static_cast<int>(message.wParam);
}

int RunProgram(HINSTANCE instance, int showCommand) {
    using namespace tolvane;
    PrepareProcess();
    Backends backends;
    MainWindowModel model(backends.services);

    // The About window may outlive the main one; the last of the two to close ends the program.
    bool mainWindowOpen = true;
    about::AboutWindow aboutWindow(instance, backends.shell, [&] {
        if (!mainWindowOpen) {
            PostQuitMessage(0);
        }
    });
    MainWindowCommands commands;
    commands.OpenHelp = [&] {
        OpenHelpDocument(backends.services.ProgramFolder, backends.shell, backends.messages);
    };
    commands.ShowAbout = [&] { aboutWindow.Show(); };
    commands.Closed = [&] {
        mainWindowOpen = false;
        if (!aboutWindow.IsOpen()) {
            PostQuitMessage(0);
        }
    };
    MainWindow window(model, commands);
    if (!window.Create(instance)) {
        throw std::runtime_error(kNoMainWindow);
    }

    const MainWindowLoad load = LoadMainWindow(model, backends.services);
    if (load.Refused) {
        return kRefusedExitCode;
    }
    backends.messages.SetOwner(window.Handle());
    backends.saveDialog.SetOwner(window.Handle());
    window.Show(showCommand);
    return RunMessageLoop();
}

// Says why the program stops, in a box of its own: the window, if any, is gone by now.
void ShowFailure(std::string_view error) noexcept {
    try {
        tolvane::Win32MessageBox().Show(std::string(kFailureLead) + "\r\n\r\n" + std::string(error),
                                        tolvane::MessageButtons::Ok,
                                        tolvane::MessageIcon::Exclamation);
    } catch (...) {
        // Not even the box could be made: the exit code is all that is left to tell.
    }
}

} // namespace

#if defined(__GLIBCXX__)
// The barrier of wWinMain shows every exception in a box; what still reaches std::terminate
// (a throw from a noexcept function) ends the program as before, by abort. libstdc++'s own handler
// would first print the exception's type to standard error, which nobody reads for this program,
// and its demangler and printf come to some 45 KB of the file.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
#endif

// No exception ends the program unseen, whether it comes from the start or the message loop.
// The console host of a pass is this program too: its private switch is heard before anything
// else of the program is made.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int showCommand) {
    // First of all: this runs elevated, maybe from a downloads folder holding planted DLLs.
    tolvane::win32::RestrictDllSearchToSystemFolder();
    if (const std::optional<int> hosted =
            tolvane::RunConsoleHostIfAsked(arguments != nullptr ? arguments : L"")) {
        return *hosted;
    }
    try {
        return RunProgram(instance, showCommand);
    } catch (const std::exception& error) {
        ShowFailure(error.what());
    } catch (...) {
        ShowFailure(kUnknownFailure);
    }
    return kFailedExitCode;
}
