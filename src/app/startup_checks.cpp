#include "app/startup_checks.h"

#include "version.h"

namespace tolvane {

std::string WindowCaption(std::string_view title, int major, int minor) {
    std::string caption(title);
    caption += kCaptionVersionLead;
    caption += std::to_string(major);
    caption += '.';
    caption += std::to_string(minor);
    caption += kCaptionTail;
    return caption;
}

MainWindowLoad LoadMainWindow(MainWindowModel& model, Services& services) {
    MainWindowLoad load;
    if (!IsNTFamily(services.Variables)) {
        services.Messages.Show(kNotNtFamilyMessage, MessageButtons::Ok);
        load.Refused = true;
        return load;
    }
    load.VistaCheck = clsVistaCheck::Create(services.Version, services.Sku);
    if (load.VistaCheck) {
        model.EnableScanReEval(load.VistaCheck->IsThisVista);
    } else {
        // The edition could not be read (no management service, as in a Windows PE built
        // without it). The edition plays no part in the choice, so the version alone decides,
        // and /B stays available where chkdsk has it.
        const OsVersionNumbers numbers = services.Version.Read();
        model.EnableScanReEval(numbers.PlatformId == kPlatformWin32Nt &&
                               numbers.MajorVersion == kVistaMajorVersion);
    }
    model.SetCaption(WindowCaption(version::kTitle, version::kMajor, version::kMinor));
    model.ResetAutoSaveAdvice();
    return load;
}

} // namespace tolvane
