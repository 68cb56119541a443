// Widgets laid over others in the main window: the rescan number over the blanks of the
// "Limit to" caption. The one below must neither paint over it nor wrap a word under it.
#include "app/main_window.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "app/main_window_pixels_win32.h"
#include "platform/win32_util.h"

namespace tolvane {
namespace {

// A widget laid over another: later in the tab order, so above it, and crossing it.
bool LiesOver(const WidgetSpec& upper, const WidgetSpec& lower, UINT dpi, RECT& overlap) {
    const RECT lowerRect = PixelRect(lower, dpi);
    const RECT upperRect = PixelRect(upper, dpi);
    return &upper != &lower && TakesFocus(upper.Kind) && TakesFocus(lower.Kind) &&
           upper.Tab > lower.Tab && IntersectRect(&overlap, &lowerRect, &upperRect);
}

// Room an option button's check mark and its gap take before the caption, at 96 DPI.
constexpr int kCheckMarkWidth = 13;

struct LineWidths {
    int Shortest; // the widest line the caption must hold whole
    int Longest;  // the narrowest line that would take a word past one of its runs of blanks,
                  // or 0 where the caption has none
};

// The widths of text line that break a caption at its runs of blanks (two or more), each run
// ending its line.
LineWidths BlankRunLineWidths(HDC dc, const std::wstring& caption) {
    const auto width = [dc](std::wstring_view text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    LineWidths widths{0, 0};
    size_t lineStart = 0;
    for (size_t run = caption.find(L"  "); run != std::wstring::npos;
         run = caption.find(L"  ", lineStart)) {
        const size_t next = caption.find_first_not_of(L' ', run);
        if (next == std::wstring::npos) {
            break;
        }
        const size_t wordEnd = std::min(caption.find(L' ', next), caption.size());
        const std::wstring_view text(caption);
        widths.Shortest =
            std::max(widths.Shortest, width(text.substr(lineStart, next - lineStart)));
        const int longest = width(text.substr(lineStart, wordEnd - lineStart));
        widths.Longest = widths.Longest == 0 ? longest : std::min(widths.Longest, longest);
        lineStart = next;
    }
    widths.Shortest =
        std::max(widths.Shortest, width(std::wstring_view(caption).substr(lineStart)));
    return widths;
}

} // namespace

void MainWindow::CutOutOverlaps() const {
    // A widget laid over another (the rescan number over the blanks of the "Limit to" caption)
    // must stay visible when the one below repaints: cut it out of the lower one's region.
    for (const WidgetSpec& lower : Form1Widgets()) {
        const RECT lowerRect = PixelRect(lower, dpi_);
        HRGN region = nullptr;
        for (const WidgetSpec& upper : Form1Widgets()) {
            RECT overlap{};
            if (!LiesOver(upper, lower, dpi_, overlap)) {
                continue;
            }
            if (region == nullptr) {
                region = CreateRectRgn(0, 0, lowerRect.right - lowerRect.left,
                                       lowerRect.bottom - lowerRect.top);
            }
            OffsetRect(&overlap, -lowerRect.left, -lowerRect.top);
            const win32::ScopedGdi cut(CreateRectRgnIndirect(&overlap));
            CombineRgn(region, region, static_cast<HRGN>(cut.Get()), RGN_DIFF);
        }
        if (region != nullptr) {
            HWND control = Widget(lower.Id);
            SetWindowRgn(control, region, FALSE); // the window owns the region now
            // Its client area shrinks beside the widget over it (FitBesideOverlaps).
            SetWindowPos(control, nullptr, 0, 0, 0, 0,
                         SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                             SWP_NOACTIVATE);
        }
    }
}

void MainWindow::FitBesideOverlaps(HWND control, RECT& client) const {
    // A caption's runs of blanks make room for a widget laid over it (the rescan number in
    // "Limit to:        scans,             then fail"), so each run must end its line. Whether
    // the next word still fits after a run depends on the font's widths, which are not the
    // design's at every size: at 144 DPI the bitmap face is narrower, and "then" moved up under
    // the list. The client area is narrowed to the middle of the widths that break the caption
    // at its runs, leaving room for how the button places its text beside the check mark.
    const WidgetSpec& lower = FindWidget(static_cast<WidgetId>(GetDlgCtrlID(control)));
    const bool covered =
        std::any_of(Form1Widgets().begin(), Form1Widgets().end(), [&](const WidgetSpec& upper) {
            RECT overlap{};
            return LiesOver(upper, lower, dpi_, overlap);
        });
    if (!covered) {
        return;
    }
    HDC dc = GetDC(control);
    const HGDIOBJ oldFont =
        SelectObject(dc, lower.Look == WidgetLook::Bold ? boldFont_.Get() : font_.Get());
    const auto [shortest, longest] = BlankRunLineWidths(dc, win32::Widen(lower.Caption));
    SIZE zero{};
    GetTextExtentPoint32W(dc, L"0", 1, &zero);
    SelectObject(dc, oldFont);
    ReleaseDC(control, dc);
    const int textLeft = win32::ScaleFrom96(kCheckMarkWidth, dpi_) + zero.cx / 2;
    const int wanted = (shortest + longest) / 2;
    if (longest > shortest && client.right - client.left - textLeft > wanted) {
        client.right = client.left + textLeft + wanted;
    }
}

} // namespace tolvane
