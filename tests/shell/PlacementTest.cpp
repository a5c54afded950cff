// The window placement file: layout, version check, entry limit, screen clamps, file name.
#include "shell/settings/Placement.h"
#include "SettingsFixture.h"
#include "shell/settings/ScreenRect.h"
#include "shell/settings/WindowPlacements.h"

#include <locale>
#include <tuple>

namespace qn::test {
namespace {

std::vector<Placement> Windows(size_t count) {
    std::vector<Placement> windows;
    for (int32_t n = 0; n < static_cast<int32_t>(count); ++n)
        windows.push_back({"Form" + DecimalText(n), {n, 2 * n, 100 + n, 50 + n}, {}, true});
    return windows;
}

TEST(PlacementFile, LayoutAndRoundTrip) {
    TempFolder folder;
    const std::vector<Placement> windows = {
        {"ADC", {100, 50, 400, 300}, WindowState::Normal, true},
        {"AnxADC", {-8, -8, 1040, 780}, WindowState::Maximised, false},
        {"Qn_RAM", {-1000, 10000, 12345, 7}, WindowState::Minimised, true},
    };
    const std::string file = folder.File("qn740xtest.wst");
    // The same text in the German locale: no point between groups of three digits.
    const std::locale old = std::locale::global(std::locale("de_DE.UTF-8")); // throws if missing
    EXPECT_TRUE(WritePlacements(file, windows));
    EXPECT_EQ(Slurp(file), "1.10\r\n3\r\n"
                           "ADC\r\n  100   50  400  300    0    1\r\n"
                           "AnxADC\r\n   -8   -8 1040  780    1    0\r\n"
                           "Qn_RAM\r\n-1000 10000 12345    7    2    1\r\n");
    EXPECT_EQ(ReadPlacements(file), windows);
    std::locale::global(old);
    std::string problem;
    EXPECT_TRUE(ReadPlacements(folder.File("missing.wst"), &problem).empty());
    EXPECT_EQ(problem, "") << "a first start has no file";
    // A folder in the file's place gives no entries and says why, as the window then tells.
    std::filesystem::create_directory(folder.File("folder.wst"));
    WindowPlacements places;
    EXPECT_TRUE(places.Restore(folder.File("folder.wst")).empty());
    EXPECT_NE(places.ReadProblem().find("folder.wst\" is a folder, not a file"), std::string::npos)
        << places.ReadProblem();
}

// Reading stops at the version, the count, the first bad entry or forty entries; writing at forty.
TEST(PlacementFile, ReadingStopsAtTheVersionTheCountTheFirstBadEntryOrForty) {
    const std::string entry = "ADC\r\n  100   50  400  300    0    1\r\n";
    std::string many = "1.10\r\n45\r\n";
    for (int n = 0; n < 45; ++n) many += entry;
    const std::pair<std::string, size_t> cases[] = {
        {"1.10\r\n2\r\n" + entry + entry, 2},
        {"1.1\r\n1\r\n" + entry, 0},
        {"1.10 \r\n1\r\n" + entry, 0},
        {"1.10\r\n1\r\n" + entry + entry, 1},
        {"1.10\r\n3\r\n" + entry + "Bad\r\n  1  2  3\r\n" + entry, 1},
        {many, 40},
    };
    for (const auto& [text, entries] : cases) EXPECT_EQ(ParsePlacements(text).size(), entries);
    EXPECT_EQ(ParsePlacements(FormatPlacements(Windows(45))), Windows(40));
}

TEST(PlacementRestore, ScreenClampsApplyToNormalSizeableWindowsOnly) {
    // The saved rectangle and state, whether the window is sizeable, the rectangle restored.
    const std::tuple<WindowRect, WindowState, bool, WindowRect> cases[] = {
        {{5000, 10, 300, 200}, WindowState::Normal, true, {724, 10, 300, 200}},
        {{10, 5000, 300, 200}, WindowState::Normal, true, {10, 568, 300, 200}},
        {{1004, 748, 300, 200}, WindowState::Normal, true, {1004, 748, 300, 200}},
        {{1005, 749, 300, 200}, WindowState::Normal, true, {724, 568, 300, 200}},
        {{0, 0, 2000, 900}, WindowState::Normal, true, {0, 0, 1024, 768}},
        {{5000, 5000, 2000, 900}, WindowState::Maximised, true, {5000, 5000, 2000, 900}},
        {{5000, 10, 300, 200}, WindowState::Minimised, true, {5000, 10, 300, 200}},
        {{5000, 5000, 300, 200}, WindowState::Normal, false, {5000, 5000, 200, 100}},
    };
    for (const auto& [rect, state, sizeable, expected] : cases) {
        const Placement saved{"A", rect, state, true};
        RestoredPlacement r =
            ApplyPlacement(saved, {10, 10, 200, 100}, sizeable, {0, 0, 1024, 768}, true);
        EXPECT_EQ(std::tuple(r.Rect, r.State, r.Show), std::tuple(expected, state, true))
            << rect.Left << "," << rect.Top;
        EXPECT_FALSE(ApplyPlacement(saved, {}, sizeable, {0, 0, 1024, 768}, false).Show);
    }
    // A second screen to the right: the same rules, measured from its own edges.
    EXPECT_EQ(ClampPlacementToScreen({5000, 10, 300, 200}, {1024, 0, 1280, 1024}),
              (WindowRect{2004, 10, 300, 200}));
}

TEST(WindowPlacementsTest, SaveMergesByNameUpToFortyRestoresOnceBesideTheProgram) {
    TempFolder folder;
    const std::string file = folder.File("qn.wst");
    std::vector<Placement> windows = Windows(38);
    ASSERT_TRUE(WindowPlacements().Save(file, windows));

    WindowPlacements next;
    ASSERT_EQ(next.Restore(file).size(), 38u);
    windows[0].Rect.Left = 77;
    windows.resize(2);
    for (const char* name : {"New1", "New2", "New3"}) windows.push_back({name, {}, {}, true});
    ASSERT_TRUE(next.Save(file, windows));

    const std::vector<Placement> saved = ReadPlacements(file);
    ASSERT_EQ(saved.size(), 40u);
    EXPECT_EQ(saved[0].Rect.Left, 77);
    EXPECT_EQ(saved[2].Name, "Form2"); // windows that were not there this time stay listed
    EXPECT_EQ(saved[39].Name, "New2");
    ASSERT_TRUE(WritePlacements(file, {}));
    EXPECT_EQ(next.Restore(file).size(), 40u); // read once only

    WindowPlacements disabled;
    disabled.Enabled = false;
    EXPECT_TRUE(disabled.Restore(file).empty());
    EXPECT_FALSE(disabled.Save(folder.File("other.wst"), windows));
    EXPECT_EQ(folder.EntryCount(), 1);

    // The file sits beside the program, with its own extension or "wst".
    WindowPlacements places;
    EXPECT_EQ(places.FilePath("/opt/qn/qn740xtest.bin"), "/opt/qn/qn740xtest.wst");
    places.SetExtName("pos");
    EXPECT_EQ(places.FilePath("/opt/qn/qn740xtest"), "/opt/qn/qn740xtest.pos");
    places.SetExtName("");
    EXPECT_EQ(places.ExtName(), "wst");
}

TEST(ScreenRect, FitOnScreenKeepsTheWholeFramedWindowInsideTheArea) {
    // The screen without a 30-pixel panel at its top, and a frame of a 20-pixel title bar with
    // 1-pixel borders and a 4-pixel bottom edge.
    const ScreenRect area{0, 30, 1280, 770};
    const FrameMargins frame{1, 20, 1, 4};
    const std::tuple<const char*, ScreenRect, FrameMargins, ScreenRect> cases[] = {
        {"inside: unchanged", {100, 100, 400, 300}, frame, {100, 100, 400, 300}},
        {"corner: title bar below the panel", {0, 0, 1024, 700}, frame, {1, 50, 1024, 700}},
        {"past the left edge", {-300, 100, 400, 300}, frame, {1, 100, 400, 300}},
        {"past the top edge", {100, -300, 400, 300}, frame, {100, 50, 400, 300}},
        {"past the right edge", {1000, 100, 400, 300}, frame, {879, 100, 400, 300}},
        {"past the bottom edge", {100, 700, 400, 300}, frame, {100, 496, 400, 300}},
        {"far past both far edges", {5000, 5000, 400, 300}, frame, {879, 496, 400, 300}},
        {"larger than the area", {-10, -10, 2000, 1200}, frame, {1, 50, 1278, 746}},
        {"just fits with its frame", {1, 50, 1278, 746}, frame, {1, 50, 1278, 746}},
        {"no frame: flush with the edges", {1000, 700, 400, 300}, {}, {880, 500, 400, 300}},
    };
    for (const auto& [what, content, margins, expected] : cases)
        EXPECT_EQ(FitOnScreen(content, margins, area), expected) << what;
    // A second screen to the right: its own edges count, not the first screen's.
    EXPECT_EQ(FitOnScreen({100, 100, 400, 300}, frame, {1280, 0, 1920, 1080}),
              (ScreenRect{1281, 100, 400, 300}));
    // An area smaller than the frame leaves no room for content, never a negative size.
    EXPECT_EQ(FitOnScreen({50, 50, 400, 300}, frame, {0, 0, 1, 10}), (ScreenRect{1, 20, 0, 0}));
}

} // namespace
} // namespace qn::test
