#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/main_window_model.h"
#include "platform/services.h"
#include "sysinfo/os_version.h"

namespace tolvane {

inline constexpr std::string_view kNotNtFamilyMessage =
    "This app is designed to run on NT based OSes only!";
inline constexpr std::string_view kCaptionVersionLead = "   v";
inline constexpr std::string_view kCaptionTail = "  -  Chkdsk.exe Wrapper/Enhancer for Windows";

// "Tolvane   v1.5  -  Chkdsk.exe Wrapper/Enhancer for Windows": the revision is not shown.
std::string WindowCaption(std::string_view title, int major, int minor);

// What the load leaves for the window.
struct MainWindowLoad {
    // Not a Windows NT system: the refusal has been shown, the program ends, the window never
    // shows.
    bool Refused = false;
    // Kept for the window's life; none when the edition could not be read.
    std::optional<clsVistaCheck> VistaCheck;
};

// The main window's load, before it is first shown: the NT-family check, the /B scan mode where
// the system is Vista or later (version 6), the caption (set on the model), and the auto-save
// advice made new.
MainWindowLoad LoadMainWindow(MainWindowModel& model, Services& services);

} // namespace tolvane
