#pragma once

// The designs give every place in twips: 1440 to the inch, so 15 to a pixel at 96 DPI.
namespace tolvane {

// Left, top, width and height in twips.
struct TwipsRect {
    int Left;
    int Top;
    int Width;
    int Height;
};

} // namespace tolvane
