// Keeping a window's rectangle on the screen.
#pragma once

namespace qn {

// A window's place and size in screen pixels.
struct ScreenRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    bool operator==(const ScreenRect&) const = default;
};

// Shrinks a window larger than the screen to the screen, moves a window whose left (top) edge
// lies beyond the screen back so that it ends at the screen's edge, and one whose edge lies within
// the last 20 pixels to 20 pixels before the edge.
ScreenRect ClampToScreen(ScreenRect window, int screenWidth, int screenHeight);

} // namespace qn
