#include "scan/debug_mode.h"

#include "scan/scan_commands.h"

namespace tolvane {

bool PrepareDebugBatchFile(const std::string& programFolder, FileSystem& files,
                           TextFileWriter& writer, MessageBoxService& messages) {
    const std::string path = DebugBatchCommand(programFolder);
    if (files.FileExists(path)) {
        return true;
    }
    messages.Show(kDebugBatchCreating, MessageButtons::Ok);
    if (!writer.SaveTextToFile(path, std::string(kDebugBatchContent), true)) {
        messages.Show(kDebugBatchCannotCreate, MessageButtons::Ok);
        return false;
    }
    return true;
}

} // namespace tolvane
