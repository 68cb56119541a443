#include "app/main_window_widgets.h"

#include <algorithm>
#include <cstdlib>

namespace tolvane {
namespace {

using enum WidgetId;
using K = WidgetKind;
constexpr WidgetLook Plain = WidgetLook::Plain;
constexpr WidgetLook Bold = WidgetLook::Bold;

// clang-format off
constexpr WidgetSpec kWidgets[] = {
//   Widget         Name             Kind             Container     Left  Top   Width Height  Tab  Caption                                  Tool tip
    {Frame2,        "Frame2",        K::Frame,        Form1,        {120, 120, 3255, 2655},   3,   "Chkdsk Behavior:",                      {}, Plain, 0},
    {Drive1,        "Drive1",        K::DriveList,    Frame2,       {120, 360, 2535, 315},    13,  kDrive1Label,                            {}, Plain, 1},
    {ScanFast,      "ScanFast",      K::OptionButton, Frame2,       {120, 720, 1935, 255},    10,  "Scan Only (Fast, /I /C)",
        "Performs a less vigorous check of index entries and skips the checking of cycles within the folder structure; NTFS only.", Plain, 0},
    {ScanOnly,      "ScanOnly",      K::OptionButton, Frame2,       {120, 960, 1335, 255},    5,   "Scan Only",
        "Standard Check.  Does not fix any errors found.", Plain, 0},
    {ScanFixFast,   "ScanFixFast",   K::OptionButton, Frame2,       {120, 1200, 2535, 255},   31,  "Scan and Fix (Fast, /F /I /C)",
        "Fixes errors on the disk, Fast scan using /I and /C. ", Plain, 0},
    {ScanFix,       "ScanFix",       K::OptionButton, Frame2,       {120, 1440, 1575, 255},   4,   "Scan and Fix (/F)",
        "Fixes errors on the disk. ", Plain, 0},
    {ScanRecover,   "ScanRecover",   K::OptionButton, Frame2,       {120, 1680, 2535, 255},   6,   "Scan and Recover (Slow, /R)",
        "Locates bad sectors and recovers readable information.  Also includes functionality of /F", Plain, 0},
    {ScanReEval,    "ScanReEval",    K::OptionButton, Frame2,       {120, 1920, 3015, 255},   26,  "Scan, Recover, Re-Eval (Slow, /B)",
        "/R functionality plus re-evaluation of bad clusters.  (Vista only)", Plain, 0},
    {UseX,          "UseX",          K::CheckBox,     Frame2,       {240, 2280, 2295, 255},   11,  "Force Handles to close (/X)",
        "Forces the volume to dismount first, if necessary.  Also includes functionality of /F", Plain, 0},
    {Frame6,        "Frame6",        K::Frame,        Form1,        {3600, 120, 1815, 2655},  25,  "Rescan:",
        "Rescan Options, applies to EACH partition", Plain, 0},
    {NoRescan,      "NoRescan",      K::OptionButton, Frame6,       {120, 360, 1215, 255},    30,  "No Rescan",                             {}, Plain, 0},
    {RescanForever, "RescanForever", K::OptionButton, Frame6,       {120, 840, 1215, 735},    27,  "Rescan until Chkdsk returns no errors.", {}, Plain, 0},
    {LimitRescans,  "LimitRescans",  K::OptionButton, Frame6,       {120, 1800, 1575, 735},   28,  "Limit to:        scans,             then fail",
        "Stops rescanning of a partition after (x) number of tries, regardless of whether a clean run was reported or not.  ", Plain, 0},
    {RescanNumber,  "RescanNumber",  K::DropDownList, Frame6,       {1080, 1920, 615, 315},   29,  kRescanNumberLabel,                      {}, Plain, 0},
    {ResultsFrame,  "ResultsFrame",  K::Frame,        Form1,        {5640, 120, 4935, 2655},  0,   "Last Chkdsk Results:",                  {}, Plain, 0},
    {ErrorDescText, "ErrorDescText", K::TextBox,      ResultsFrame, {120, 360, 4695, 2055},   2,   {},                                      {}, Plain, 0},
    {Frame4,        "Frame4",        K::Frame,        Form1,        {120, 3000, 5295, 1935},  12,  "Scan Additional Partitions:",           {}, Plain, 0},
    {Drive2,        "Drive2",        K::DriveList,    Frame4,       {120, 360, 2775, 315},    14,  kDrive2Label,                            {}, Plain, 2},
    {Drive2Check,   "Drive2Check",   K::CheckBox,     Frame4,       {3120, 360, 1815, 255},   16,  "Scan a 2nd Partition",                  {}, Plain, 2},
    {Drive3,        "Drive3",        K::DriveList,    Frame4,       {120, 720, 2775, 315},    15,  kDrive3Label,                            {}, Plain, 3},
    {Drive3Check,   "Drive3Check",   K::CheckBox,     Frame4,       {3120, 720, 1815, 255},   17,  "Scan a 3rd  Partition",                 {}, Plain, 3},
    {Drive4,        "Drive4",        K::DriveList,    Frame4,       {120, 1080, 2775, 315},   21,  kDrive4Label,                            {}, Plain, 4},
    {Drive4Check,   "Drive4Check",   K::CheckBox,     Frame4,       {3120, 1080, 1815, 255},  22,  "Scan a 4th  Partition",                 {}, Plain, 4},
    {Drive5,        "Drive5",        K::DriveList,    Frame4,       {120, 1440, 2775, 315},   24,  kDrive5Label,                            {}, Plain, 5},
    {Drive5Check,   "Drive5Check",   K::CheckBox,     Frame4,       {3120, 1440, 1815, 255},  23,  "Scan a 5th  Partition",                 {}, Plain, 5},
    {Frame3,        "Frame3",        K::Frame,        Form1,        {5640, 3000, 4935, 855},  7,   "Logs:",                                 {}, Plain, 0},
    {SaveLog,       "SaveLog",       K::PushButton,   Frame3,       {840, 240, 1455, 495},    8,   "Save Log",                              {}, Plain, 0},
    {AutoSaveCheck, "AutoSaveCheck", K::CheckBox,     Frame3,       {2400, 360, 1815, 255},   9,   "Auto Save Log File",                    {}, Plain, 0},
    {Command1,      "Command1",      K::PushButton,   Form1,        {7200, 4680, 1815, 615},  1,   "Start",                                 {}, Bold, 0},
    {Frame5,        "Frame5",        K::Frame,        Form1,        {120, 5160, 5295, 975},   18,  "Autochk (scans on reboot)",             {}, Plain, 0},
    {ScanNextBoot,  "ScanNextBoot",  K::PushButton,   Frame5,       {240, 360, 2295, 375},    20,  "Scan Selected on Next Boot",            {}, Plain, 0},
    {UndoBootChk,   "UndoBootChk",   K::PushButton,   Frame5,       {2760, 360, 2295, 375},   19,  "Remove Next Boot Scan",                 {}, Plain, 0},
    {ShutdownCheck, "ShutdownCheck", K::CheckBox,     Form1,        {7080, 5520, 2055, 255},  33,  "Shutdown when finished",                {}, Plain, 0},
    {StatusBar1,    "StatusBar1",    K::StatusBar,    Form1,        {0, 6315, 10680, 300},    32,  {},                                      {}, Plain, 0},
};

constexpr MenuSpec kMenus[] = {
//   Menu entry                           Caption                              Place                     Submenu
    {MenuId::UIMenu_Options,            "&Options",                          MenuId::MenuBar,          true},
    {MenuId::UIMenu_DebugMode,          "&Debug Mode",                       MenuId::UIMenu_Options,   false},
    {MenuId::UIMenu_SubScansOption,     "&Use /F on all Subsequent Scans",   MenuId::UIMenu_Options,   false},
    {MenuId::UIMenu_ScanFixedDisksOnly, "&Scan Fixed Disks Only",            MenuId::UIMenu_Options,   false},
    {MenuId::UIMenu_Help,               "&Help",                             MenuId::MenuBar,          false},
    {MenuId::UIMenu_About,              "&About",                            MenuId::MenuBar,          false},
};
// clang-format on

} // namespace

std::span<const WidgetSpec> Form1Widgets() {
    return kWidgets;
}

std::span<const MenuSpec> Form1Menus() {
    return kMenus;
}

const WidgetSpec& FindWidget(WidgetId id) {
    const WidgetSpec* found = TryFindWidget(static_cast<int>(id));
    if (found == nullptr) {
        std::abort(); // every id of the enumeration has its row
    }
    return *found;
}

const WidgetSpec* TryFindWidget(int id) {
    const auto found =
        std::find_if(std::begin(kWidgets), std::end(kWidgets),
                     [id](const WidgetSpec& row) { return static_cast<int>(row.Id) == id; });
    return found == std::end(kWidgets) ? nullptr : &*found;
}

} // namespace tolvane
