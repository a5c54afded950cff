// The window placement file: where each window was, read at the first show of the main window
// and written when it closes.
#pragma once

#include "shell/settings/ScreenRect.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

inline constexpr std::string_view kPlacementVersion = "1.10";
inline constexpr size_t kMaxPlacements = 40;

// Window state codes of the file.
enum class WindowState : uint8_t {
    Normal = 0,
    Maximised = 1,
    Minimised = 2,
};

// A window's place and size, as the placement file keeps it.
using WindowRect = ScreenRect;

// One remembered window, found by its name.
struct Placement {
    std::string Name;
    WindowRect Rect;
    WindowState State = WindowState::Normal;
    bool Visible = false;

    bool operator==(const Placement&) const = default;
};

// The file's text: version, count, then per entry its name and six fields of width 5 (Left, Top,
// Width, Height, state code, visible flag). At most 40 entries are written.
std::string FormatPlacements(const std::vector<Placement>& placements);

// The entries of a file's text: none when the version line is not "1.10"; at most 40; reading
// stops at the first entry that is incomplete or not a number.
std::vector<Placement> ParsePlacements(std::string_view contents);

// Reads the file; a missing or unreadable file gives no entries, and an unreadable one (a folder,
// say) the reason in `problem`.
std::vector<Placement> ReadPlacements(const std::string& path, std::string* problem = nullptr);

// Writes the file atomically; false (and the old file kept) when it cannot be written.
bool WritePlacements(const std::string& path, const std::vector<Placement>& placements);

// Keeps a normal sizeable window on the screen: width and height at most the screen's; a Left
// more than 20 pixels short of the screen's right edge moves the window flush to that edge, and
// likewise a Top with the bottom edge.
WindowRect ClampPlacementToScreen(WindowRect rect, const WindowRect& screen);

// How a window is put back from its entry.
struct RestoredPlacement {
    WindowRect Rect;
    WindowState State = WindowState::Normal;
    bool Show = false;
};

// Left and Top from the entry; Width and Height too for a window with a sizeable border
// (otherwise its current size stays); the entry's state; a normal sizeable window is then kept
// on the screen. Show is set when autoShow is on and the window was visible.
RestoredPlacement ApplyPlacement(const Placement& placement, const WindowRect& current,
                                 bool sizeable, const WindowRect& screen, bool autoShow);

} // namespace qn
