#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>
#include <string_view>

#include "app/main_window_model.h"
#include "app/main_window_widgets.h"
#include "app/window_metrics_win32.h"

namespace tolvane {

// What the window starts but neither it nor the model owns: the help document and the About
// window, which the program's start wires in, and the news that the window is gone, which
// decides whether the program ends. An empty one does nothing.
struct MainWindowCommands {
    std::function<void()> OpenHelp;
    std::function<void()> ShowAbout;
    std::function<void()> Closed;
};

// Form1: the main window. Builds its widgets from the design's table, shows the model's state
// and hands every control event to the model (or to one of the commands above).
class MainWindow : public MainWindowObserver {
public:
    MainWindow(MainWindowModel& model, MainWindowCommands commands);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window and its widgets, hidden; the drive lists start on the current drive.
    // False when the system refuses to create it.
    bool Create(HINSTANCE instance);
    // Centred on the screen the first time.
    void Show(int showCommand);

    HWND Handle() const { return window_; }
    HWND Widget(WidgetId id) const;
    HWND ToolTips() const { return toolTips_; }
    UINT Dpi() const { return dpi_; }

    void OnStateChanged() override;
    void OnLogAppended(std::string_view text) override;
    void OnCloseReady() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK OptionButtonProc(HWND button, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void BuildMenu();
    void CreateFonts();
    void CreateWidgets(HINSTANCE instance);
    void CreateToolTips();
    void LoadIcons();
    void LayOutWidgets();
    void SizeToDesign();
    void LayOutStatusBar();
    void ChangeDpi(UINT dpi, const RECT& suggested);

    void OnCommand(int id, int code);
    void ChooseOptionButton(WidgetId id);
    void StepOptionButton(HWND from, bool forward);
    void OnCheckBox(WidgetId id);
    void OnListChoice(WidgetId id);
    void OnLogEdited();
    static void Run(const std::function<void()>& command);

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
    MainWindowCommands commands_;
    HWND window_ = nullptr;
    HWND toolTips_ = nullptr;
    HMENU menu_ = nullptr;
    UINT dpi_ = win32::kDefaultDpi;
    win32::UniqueGdiObject font_;
    win32::UniqueGdiObject boldFont_;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool built_ = false;
    bool shown_ = false;
    bool appendingLog_ = false;
};

} // namespace tolvane
