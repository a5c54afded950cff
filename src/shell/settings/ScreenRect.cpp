// Keeping a window's rectangle on the screen.
#include "shell/settings/ScreenRect.h"

namespace qn {
namespace {

constexpr int kEdgeMargin = 20;

// One axis: the window's start and extent against the screen's extent.
void ClampAxis(int& start, int& extent, int screen) {
    if (extent > screen) extent = screen;
    if (start >= screen)
        start = screen - extent;
    else if (start > screen - kEdgeMargin)
        start = screen - kEdgeMargin;
}

} // namespace

ScreenRect ClampToScreen(ScreenRect window, int screenWidth, int screenHeight) {
    ClampAxis(window.Left, window.Width, screenWidth);
    ClampAxis(window.Top, window.Height, screenHeight);
    return window;
}

} // namespace qn
