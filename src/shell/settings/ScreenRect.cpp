// Keeping a window's rectangle, with its frame, on the screen.
#include "shell/settings/ScreenRect.h"

#include <algorithm>

namespace qn {
namespace {

// One axis: the content's start and extent, the frame's thickness before and after it, and the
// area's start and extent.
void FitAxis(int& start, int& extent, int before, int after, int areaStart, int areaExtent) {
    extent = std::max(0, std::min(extent, areaExtent - before - after));
    const int lowest = areaStart + before;
    const int highest = areaStart + areaExtent - after - extent;
    start = std::clamp(start, lowest, std::max(lowest, highest));
}

} // namespace

ScreenRect FitOnScreen(ScreenRect content, const FrameMargins& frame, const ScreenRect& area) {
    FitAxis(content.Left, content.Width, frame.Left, frame.Right, area.Left, area.Width);
    FitAxis(content.Top, content.Height, frame.Top, frame.Bottom, area.Top, area.Height);
    return content;
}

} // namespace qn
