// Keeping a window's rectangle, with the frame a window manager draws around it, on the screen.
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

// How far the window manager's frame (borders, title bar) reaches past a window's content on
// each side; all zero while the window has no frame.
struct FrameMargins {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// The content rectangle of a window moved, and shrunk when it is larger, so that the window with
// its frame lies wholly inside `area` (the screen without its panels, or a workspace). A window
// that already lies inside stays where it is; one that reaches past an edge moves in just far
// enough, and one larger than the area fills it.
ScreenRect FitOnScreen(ScreenRect content, const FrameMargins& frame, const ScreenRect& area);

} // namespace qn
