#include <windows.h>

#include <commctrl.h>

#include <future>

#include "about/about_window_win32.h"
#include "about/help.h"
#include "about/shell_opener_win32.h"
#include "app/main_window.h"
#include "app/startup_checks.h"
#include "log/save_dialog_win32.h"
#include "log/text_file_writer_win32.h"
#include "platform/message_loop_win32.h"
#include "platform/system_services_win32.h"
#include "platform/win32_util.h"
#include "scan/process_host_win32.h"
#include "sysinfo/drive_query_win32.h"
#include "sysinfo/os_query_win32.h"

namespace {

// The program's exit code when it refuses to run on a system outside the NT family.
constexpr int kRefusedExitCode = 1;

// The edition query loads COM and a good part of the system and may wait for the management
// service: its first reading runs beside the window's creation, which needs it only once the
// window is built.
class EarlySkuQuery : public tolvane::SkuQuery {
public:
    EarlySkuQuery()
        : first_(
              std::async(std::launch::async, [this] { return wmi_.ReadOperatingSystemSkus(); })) {}
    tolvane::SkuReading ReadOperatingSystemSkus() override {
        return first_.valid() ? first_.get() : wmi_.ReadOperatingSystemSkus();
    }

private:
    tolvane::WmiSkuQuery wmi_;
    std::future<tolvane::SkuReading> first_;
};

void PrepareProcess() {
    // First of all: this runs elevated, maybe from a downloads folder holding planted DLLs.
    tolvane::win32::RestrictDllSearchToSystemFolder();
    // An empty card reader or optical drive asked about (the drive lists, the fixed-disk test of
    // a run) must not stop the program with a "no disk" box.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace tolvane;
    PrepareProcess();
    EarlySkuQuery sku;

    Win32MessageBox messages;
    Win32Clock clock;
    Win32Environment environment;
    Win32Beeper beeper;
    Win32ProcessHost processes;
    Win32TextFileWriter writer;
    Win32DriveQuery drives;
    Win32SaveDialog saveDialog;
    Win32FileSystem files;
    Win32VersionQuery version;
    Win32ShellOpener shell;
    Services services{messages, clock,  environment, beeper,  processes, writer,
                      files,    drives, saveDialog,  version, sku,       win32::ProgramFolder()};
    MainWindowModel model(services);

    // The About window may outlive the main one; the last of the two to close ends the program.
    bool mainWindowOpen = true;
    about::AboutWindow aboutWindow(instance, shell, [&] {
        if (!mainWindowOpen) {
            PostQuitMessage(0);
        }
    });
    MainWindowCommands commands;
    commands.OpenHelp = [&] { OpenHelpDocument(services.ProgramFolder, shell, messages); };
    commands.ShowAbout = [&] { aboutWindow.Show(); };
    commands.Closed = [&] {
        mainWindowOpen = false;
        if (!aboutWindow.IsOpen()) {
            PostQuitMessage(0);
        }
    };
    MainWindow window(model, commands);
    if (!window.Create(instance)) {
        return 1;
    }

    const MainWindowLoad load = LoadMainWindow(model, services);
    if (load.Refused) {
        return kRefusedExitCode;
    }
    messages.SetOwner(window.Handle());
    saveDialog.SetOwner(window.Handle());
    window.Show(showCommand);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        win32::DispatchWindowMessage(message);
    }
    return static_cast<int>(message.wParam);
}
