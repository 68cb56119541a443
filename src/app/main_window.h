#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window_model.h"
#include "app/main_window_widgets.h"
#include "platform/window_win32.h"

namespace tolvane {

// What the window starts but neither it nor the model owns: the help document and the About
// window, which the program's start wires in, and the news that the window is gone, which
// decides whether the program ends. An empty one does nothing.
struct MainWindowCommands {
    std::function<void()> OpenHelp;
    std::function<void()> ShowAbout;
    std::function<void()> Closed;
};

// Posted by the first Show: the tool tips are made once the window has been drawn.
inline constexpr UINT kMakeToolTipsMessage = WM_APP;

// Form1: the main window. Builds its widgets from the design's table, shows the model's state
// and hands every control event to the model (or to one of the commands above).
class MainWindow : public win32::WindowBase, public MainWindowObserver {
public:
    MainWindow(MainWindowModel& model, MainWindowCommands commands);
    ~MainWindow() override;

    // Creates the window and its widgets, hidden and centred on the screen, the drive lists on
    // the current drive. False when the system refuses to create it.
    bool Create(HINSTANCE instance);
    void Show(int showCommand);

    HWND Widget(WidgetId id) const;
    UINT Dpi() const { return dpi_; }

    void OnStateChanged() override;
    void OnLogAppended(std::string_view text) override;
    void OnCloseReady() override;

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT HandleControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;

    // Creation, layout, DPI and tool tips (main_window_layout_win32.cpp).
    void BuildMenu();
    void CreateFonts();
    void CreateWidgets(HINSTANCE instance);
    void CreateSpokenLabel(const std::wstring& text, HINSTANCE instance) const;
    void FillList(HWND list, const WidgetSpec& row) const;
    void LayOutWidgets();
    void PlaceDropDown(HWND list, const RECT& rect) const;
    void SizeToDesign();
    void PlaceCentred(int width, int height);
    void LayOutStatusBar();
    void CreateToolTips();
    void PlaceToolTips();
    void LoadIcons();
    void ChangeDpi(UINT dpi, const RECT& suggested);

    // Widgets laid over others (main_window_overlaps_win32.cpp).
    void CutOutOverlaps() const;
    void FitBesideOverlaps(HWND control, RECT& client) const;

    // Events (main_window_win32.cpp).
    LRESULT OnDialogNavigation(UINT message, WPARAM wParam, LPARAM lParam);
    void OnActivate(WPARAM wParam);
    void OnCommand(int id, int code);
    void OnWidgetCommand(const WidgetSpec& row, int code);
    void OnMenuCommand(MenuId id);
    void ChooseOptionButton(WidgetId id);
    void StepOptionButton(HWND from, bool forward);
    void OnCheckBox(const WidgetSpec& row);
    void OnListChoice(const WidgetSpec& row);
    void OnLogEdited();

    // Mirroring the model (main_window_win32.cpp).
    void Mirror();
    void MirrorCheck(WidgetId id, bool checked);
    void MirrorEnabled(WidgetId id, bool enabled);
    void MirrorListChoice(WidgetId id, std::string_view entry);
    void MirrorText(HWND control, std::string_view text);
    void MirrorStatusPanel(int panel, std::string_view text);
    void MirrorMenuCheck(MenuId id, bool checked);
    void MirrorDriveEntries();

    MainWindowModel& model_;
    std::vector<std::string> shownDrives_;
    std::vector<HWND> widgets_; // by their rows in the widget table
    MainWindowCommands commands_;
    HWND toolTips_ = nullptr;
    HMENU menu_ = nullptr;
    UINT dpi_ = win32::kDefaultDpi;
    win32::ScopedGdi font_;
    win32::ScopedGdi boldFont_;
    win32::LoadedIcon bigIcon_;
    win32::LoadedIcon smallIcon_;
    HWND lastFocus_ = nullptr;
    bool built_ = false;
    bool appendingLog_ = false;
};

} // namespace tolvane
