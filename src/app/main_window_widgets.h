#pragma once

#include <span>
#include <string_view>

#include "platform/twips.h"

// The widgets and menus of the main window as the design lays them out. Only what the window
// looks like lives here; which option is chosen, what is checked and what is enabled is the
// window model's, and the view takes it from there.
namespace tolvane {

// Control identifiers; they double as the WM_COMMAND ids of the controls.
enum class WidgetId : int {
    Form1 = 0, // the window itself, as a container
    Frame2 = 100,
    Drive1,
    ScanFast,
    ScanOnly,
    ScanFixFast,
    ScanFix,
    ScanRecover,
    ScanReEval,
    UseX,
    Frame6,
    NoRescan,
    RescanForever,
    LimitRescans,
    RescanNumber,
    ResultsFrame,
    ErrorDescText,
    Frame4,
    Drive2,
    Drive2Check,
    Drive3,
    Drive3Check,
    Drive4,
    Drive4Check,
    Drive5,
    Drive5Check,
    Frame3,
    SaveLog,
    AutoSaveCheck,
    Command1,
    Frame5,
    ScanNextBoot,
    UndoBootChk,
    ShutdownCheck,
    StatusBar1,
};

enum class WidgetKind {
    Frame,        // group box with its caption in the highlight colour
    OptionButton, // one exclusive group per frame
    CheckBox,
    PushButton,
    DriveList,    // drop-down list of the computer's drives
    DropDownList, // drop-down list of fixed items
    TextBox,      // multi-line, vertical scroll bar, editable
    StatusBar,
};

enum class WidgetLook { Plain, Bold };

struct WidgetSpec {
    WidgetId Id;
    std::string_view Name;
    WidgetKind Kind;
    WidgetId Container;
    // A frame's widgets are placed from the top-left corner of the frame's outer rectangle, the
    // frame and the other widgets from the client area's.
    TwipsRect Rect;
    int Tab; // keyboard order, 0 first; frames and the status bar hold a place but take no focus
    // What the widget shows; for a drop-down list, the text of the hidden label just before it
    // in the Z order, by which screen readers name the list.
    std::string_view Caption;
    std::string_view ToolTip;
    WidgetLook Look;
    int Drive; // the drive a drive list or its check box stands for, 1 to 5; 0 for the others
};

// The drop-down lists' names for screen readers (their captions in the table).
inline constexpr std::string_view kDrive1Label = "Drive to check";
inline constexpr std::string_view kDrive2Label = "Second drive";
inline constexpr std::string_view kDrive3Label = "Third drive";
inline constexpr std::string_view kDrive4Label = "Fourth drive";
inline constexpr std::string_view kDrive5Label = "Fifth drive";
inline constexpr std::string_view kRescanNumberLabel = "Number of scans";

// Client area of the window, below its menu bar.
inline constexpr int kClientWidthTwips = 10680;
inline constexpr int kClientHeightTwips = 6615;

inline constexpr int kStatusPanelCount = 3;

// Menu commands, apart from the control ids.
enum class MenuId : int {
    MenuBar = 0,
    UIMenu_Options = 200,
    UIMenu_DebugMode,
    UIMenu_SubScansOption,
    UIMenu_ScanFixedDisksOnly,
    UIMenu_Help,
    UIMenu_About,
};

struct MenuSpec {
    MenuId Id;
    // What the widget shows; for a drop-down list, the text of the hidden label just before it
    // in the Z order, by which screen readers name the list.
    std::string_view Caption;
    MenuId Parent; // MenuBar for an entry of the bar itself
    bool OpensSubmenu;
};

// Every widget, container by container, each container's widgets from top to bottom.
std::span<const WidgetSpec> Form1Widgets();
// The menu bar from left to right, each submenu's items following their entry.
std::span<const MenuSpec> Form1Menus();

const WidgetSpec& FindWidget(WidgetId id);
// The widget with this control id, or null for an id that names none (a menu command, say).
const WidgetSpec* TryFindWidget(int id);

} // namespace tolvane
