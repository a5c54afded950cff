// libFuzzer target: arbitrary bytes as the window placement file. The entries read must be
// written as a text that reads back into the same entries, and every entry must restore onto a
// screen without overflowing its arithmetic.
#include "FuzzCheck.h"
#include "shell/settings/WindowPlacements.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using qn::fuzz::Require;
using qn::fuzz::sink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<qn::Placement> entries = qn::ParsePlacements(text);
    Require(entries.size() <= qn::kMaxPlacements);
    Require(qn::ParsePlacements(qn::FormatPlacements(entries)) == entries);

    const qn::WindowRect screen{0, 0, 1920, 1080};
    const qn::WindowRect current{10, 10, 640, 480};
    for (const qn::Placement& entry : entries) {
        for (const bool sizeable : {true, false}) {
            const qn::RestoredPlacement restored =
                qn::ApplyPlacement(entry, current, sizeable, screen, true);
            sink = sink + static_cast<size_t>(restored.Rect.Left) +
                   static_cast<size_t>(restored.Rect.Top) + (restored.Show ? 1U : 0U);
            if (!sizeable) {
                Require(restored.Rect.Width == current.Width &&
                        restored.Rect.Height == current.Height);
            }
        }
        const qn::WindowRect kept = qn::ClampPlacementToScreen(entry.Rect, screen);
        Require(kept.Width <= screen.Width && kept.Height <= screen.Height);
    }
    return 0;
}
