#pragma once

#include "app/drive_list.h"

namespace tolvane {

// The drives present on the computer, each with its volume label, starting on the drive of the
// process's current folder.
DriveChoices ListComputerDrives();

} // namespace tolvane
