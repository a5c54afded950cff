// Reading, writing and applying the entries of the window placement file.
#include "shell/settings/Placement.h"
#include "shell/settings/SettingsIo.h"

#include <algorithm>
#include <array>
#include <optional>

namespace qn {

namespace {

constexpr int kFieldWidth = 5;
constexpr int32_t kEdgeMargin = 20;

WindowState StateOfCode(int32_t code) {
    if (code == 1) return WindowState::Maximised;
    if (code == 2) return WindowState::Minimised;
    return WindowState::Normal;
}

void AppendEntry(std::string& out, const Placement& p) {
    AppendLine(out, p.Name);
    std::string fields;
    const std::array<int64_t, 6> values = {
        p.Rect.Left,      p.Rect.Top, p.Rect.Width, p.Rect.Height, static_cast<int64_t>(p.State),
        p.Visible ? 1 : 0};
    for (size_t i = 0; i < values.size(); ++i)
        AppendPaddedInt(fields, values[i], kFieldWidth, i > 0);
    AppendLine(out, fields);
}

// One entry from its name line and its number line; nothing when the numbers are incomplete.
std::optional<Placement> ParseEntry(std::string_view name, std::string_view numbers) {
    std::array<std::optional<int32_t>, 6> v{};
    if (ReadFreeIntegers(numbers, v) < v.size()) return std::nullopt;
    Placement p;
    p.Name = std::string(name);
    p.Rect = {*v[0], *v[1], *v[2], *v[3]};
    p.State = StateOfCode(*v[4]);
    p.Visible = *v[5] == 1;
    return p;
}

} // namespace

std::string FormatPlacements(const std::vector<Placement>& placements) {
    size_t count = std::min(placements.size(), kMaxPlacements);
    std::string out;
    AppendLine(out, kPlacementVersion);
    AppendLine(out, DecimalText(static_cast<int64_t>(count)));
    for (size_t i = 0; i < count; ++i) AppendEntry(out, placements[i]);
    return out;
}

std::vector<Placement> ParsePlacements(std::string_view contents) {
    std::vector<std::string_view> lines = SplitTextLines(contents);
    std::vector<Placement> placements;
    if (lines.size() < 2 || lines[0] != kPlacementVersion) return placements;
    std::array<std::optional<int32_t>, 1> count{};
    ReadFreeIntegers(lines[1], count);
    auto wanted = static_cast<size_t>(std::clamp<int32_t>(count[0].value_or(0), 0, kMaxPlacements));
    for (size_t line = 2; placements.size() < wanted && line + 1 < lines.size(); line += 2) {
        std::optional<Placement> entry = ParseEntry(lines[line], lines[line + 1]);
        if (!entry) break;
        placements.push_back(std::move(*entry));
    }
    return placements;
}

std::vector<Placement> ReadPlacements(const std::string& path, std::string* problem) {
    std::string contents;
    FileProblem unread;
    if (ReadFileContents(path, contents, &unread)) return ParsePlacements(contents);
    if (!unread.Missing && problem != nullptr) *problem = unread.Text;
    return {};
}

bool WritePlacements(const std::string& path, const std::vector<Placement>& placements) {
    return ReplaceFileContents(path, FormatPlacements(placements));
}

WindowRect ClampPlacementToScreen(WindowRect rect, const WindowRect& screen) {
    rect.Width = std::min(rect.Width, screen.Width);
    rect.Height = std::min(rect.Height, screen.Height);
    int32_t right = screen.Left + screen.Width;
    int32_t bottom = screen.Top + screen.Height;
    if (rect.Left > right - kEdgeMargin) rect.Left = right - rect.Width;
    if (rect.Top > bottom - kEdgeMargin) rect.Top = bottom - rect.Height;
    return rect;
}

RestoredPlacement ApplyPlacement(const Placement& placement, const WindowRect& current,
                                 bool sizeable, const WindowRect& screen, bool autoShow) {
    RestoredPlacement restored;
    restored.Rect = current;
    restored.Rect.Left = placement.Rect.Left;
    restored.Rect.Top = placement.Rect.Top;
    if (sizeable) {
        restored.Rect.Width = placement.Rect.Width;
        restored.Rect.Height = placement.Rect.Height;
    }
    restored.State = placement.State;
    if (sizeable && placement.State == WindowState::Normal)
        restored.Rect = ClampPlacementToScreen(restored.Rect, screen);
    restored.Show = autoShow && placement.Visible;
    return restored;
}

} // namespace qn
