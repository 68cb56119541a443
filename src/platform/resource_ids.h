#pragma once

// Shared by the resource script and the code, so plain preprocessor definitions.
#define TOLVANE_ICON_ID 1
