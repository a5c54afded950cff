// libFuzzer target: arbitrary bytes as the window placement file. The entries read must be
// written as a text that reads back into the same entries, and every entry must restore onto a
// screen without overflowing its arithmetic.
#include "FuzzCheck.h"
#include "shell/settings/WindowPlacements.h"

void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    const std::vector<Placement> entries = ParsePlacements(Text(data, size));
    Require(entries.size() <= kMaxPlacements);
    Require(ParsePlacements(FormatPlacements(entries)) == entries);
    const WindowRect screen{0, 0, 1920, 1080};
    const WindowRect current{10, 10, 640, 480};
    for (const Placement& entry : entries) {
        for (const bool sizeable : {true, false}) {
            const RestoredPlacement restored =
                ApplyPlacement(entry, current, sizeable, screen, true);
            sink = sink + static_cast<size_t>(restored.Rect.Left) +
                   static_cast<size_t>(restored.Rect.Top) + (restored.Show ? 1U : 0U);
            if (!sizeable)
                Require(restored.Rect.Width == current.Width &&
                        restored.Rect.Height == current.Height);
        }
        const WindowRect kept = ClampPlacementToScreen(entry.Rect, screen);
        Require(kept.Width <= screen.Width && kept.Height <= screen.Height);
    }
}
