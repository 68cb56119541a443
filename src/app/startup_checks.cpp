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
    // Without an edition (no management service, as in a Windows PE built without it, or one that
    // did not answer in time) the version alone decides, and it was Vista's: the edition plays
    // no part in the choice, so /B stays available where chkdsk has it.
    model.EnableScanReEval(!load.VistaCheck || load.VistaCheck->IsThisVista);
    model.SetCaption(WindowCaption(version::kTitle, version::kMajor, version::kMinor));
    model.ResetAutoSaveAdvice();
    return load;
}

} // namespace tolvane
