// The window placement file: layout, version check, entry limit, screen clamps, file name.
#include "shell/settings/Placement.h"
#include "SettingsFixture.h"
#include "shell/settings/WindowPlacements.h"

namespace qn::test {
namespace {

Placement Window(const std::string& name, WindowRect rect, WindowState state = WindowState::Normal,
                 bool visible = true) {
    return {name, rect, state, visible};
}

std::vector<Placement> Windows(size_t count) {
    std::vector<Placement> windows;
    for (size_t i = 0; i < count; ++i) {
        auto n = static_cast<int32_t>(i);
        windows.push_back(Window("Form" + DecimalText(n), {n, 2 * n, 100 + n, 50 + n}));
    }
    return windows;
}

TEST(PlacementFile, LayoutAndRoundTrip) {
    TempFolder folder;
    std::vector<Placement> windows = {
        Window("ADC", {100, 50, 400, 300}),
        Window("AnxADC", {-8, -8, 1040, 780}, WindowState::Maximised, false),
        Window("Qn_RAM", {-1000, 10000, 12345, 7}, WindowState::Minimised),
    };
    std::string file = folder.File("qn740xtest.wst");
    ASSERT_TRUE(WritePlacements(file, windows));
    EXPECT_EQ(Slurp(file), "1.10\r\n3\r\n"
                           "ADC\r\n  100   50  400  300    0    1\r\n"
                           "AnxADC\r\n   -8   -8 1040  780    1    0\r\n"
                           "Qn_RAM\r\n-1000 10000 12345    7    2    1\r\n");
    EXPECT_EQ(ReadPlacements(file), windows);
}

TEST(PlacementFile, ReadingStopsAtTheVersionTheCountOrTheFirstBadEntry) {
    const std::string entry = "ADC\r\n  100   50  400  300    0    1\r\n";
    struct Case {
        std::string text;
        size_t entries;
    };
    const std::vector<Case> cases = {
        {"1.10\r\n1\r\n" + entry, 1},
        {"1.1\r\n1\r\n" + entry, 0},
        {"1.10 \r\n1\r\n" + entry, 0},
        {"\r\n1\r\n" + entry, 0},
        {"1.10\r\n2\r\n" + entry + entry, 2},
        {"1.10\r\n1\r\n" + entry + entry, 1},
        {"1.10\r\n3\r\n" + entry, 1},
        {"1.10\r\n-2\r\n" + entry, 0},
        {"1.10\r\nmany\r\n" + entry, 0},
        {"1.10\r\n3\r\n" + entry + "Bad\r\n  1  2  3\r\n" + entry, 1},
        {"1.10\r\n2\r\n" + entry + "Last\r\n", 1},
        {"1.10\n1\nADC\n1 2 3 4 7 2\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParsePlacements(c.text).size(), c.entries);
    }
    std::vector<Placement> odd = ParsePlacements("1.10\n1\nADC\n1 2 3 4 7 2\n");
    ASSERT_EQ(odd.size(), 1u);
    EXPECT_EQ(odd[0].State, WindowState::Normal); // unknown state code
    EXPECT_FALSE(odd[0].Visible);                 // only 1 means visible
    EXPECT_TRUE(ReadPlacements("/no/such/file.wst").empty());
}

TEST(PlacementFile, AtMostFortyEntriesAreWrittenAndRead) {
    std::vector<Placement> read = ParsePlacements(FormatPlacements(Windows(45)));
    std::vector<Placement> first40 = Windows(40);
    EXPECT_EQ(read, first40);

    std::string text = "1.10\r\n45\r\n";
    for (const Placement& p : Windows(45)) text += FormatPlacements({p}).substr(9);
    EXPECT_EQ(ParsePlacements(text), first40);
}

TEST(PlacementRestore, ScreenClampsApplyToNormalSizeableWindowsOnly) {
    const WindowRect screen{0, 0, 1024, 768};
    const WindowRect current{10, 10, 200, 100};
    struct Case {
        const char* name;
        Placement saved;
        bool sizeable;
        WindowRect expected;
    };
    const std::vector<Case> cases = {
        {"left 5000", Window("A", {5000, 10, 300, 200}), true, {724, 10, 300, 200}},
        {"top 5000", Window("A", {10, 5000, 300, 200}), true, {10, 568, 300, 200}},
        {"left at the margin stays",
         Window("A", {1004, 748, 300, 200}),
         true,
         {1004, 748, 300, 200}},
        {"left past the margin", Window("A", {1005, 749, 300, 200}), true, {724, 568, 300, 200}},
        {"wider than the screen", Window("A", {0, 0, 2000, 900}), true, {0, 0, 1024, 768}},
        {"negative place kept", Window("A", {-50, -40, 300, 200}), true, {-50, -40, 300, 200}},
        {"maximised not clamped",
         Window("A", {5000, 5000, 2000, 900}, WindowState::Maximised),
         true,
         {5000, 5000, 2000, 900}},
        {"minimised not clamped",
         Window("A", {5000, 10, 300, 200}, WindowState::Minimised),
         true,
         {5000, 10, 300, 200}},
        {"fixed border keeps its size",
         Window("A", {5000, 5000, 300, 200}),
         false,
         {5000, 5000, 200, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RestoredPlacement r = ApplyPlacement(c.saved, current, c.sizeable, screen, true);
        EXPECT_EQ(r.Rect, c.expected);
        EXPECT_EQ(r.State, c.saved.State);
    }
    // A second screen to the right: the same rules, measured from its own edges.
    EXPECT_EQ(ClampPlacementToScreen({5000, 10, 300, 200}, {1024, 0, 1280, 1024}),
              (WindowRect{2004, 10, 300, 200}));
}

TEST(PlacementRestore, ShownOnlyWhenVisibleAndAutoShow) {
    const WindowRect screen{0, 0, 1024, 768};
    for (bool visible : {false, true}) {
        for (bool autoShow : {false, true}) {
            Placement p = Window("A", {1, 2, 3, 4}, WindowState::Normal, visible);
            EXPECT_EQ(ApplyPlacement(p, {}, true, screen, autoShow).Show, visible && autoShow);
        }
    }
}

TEST(WindowPlacementsTest, FileNameBesideTheProgram) {
    WindowPlacements places;
    EXPECT_EQ(places.FilePath("/opt/qn/qn740xtest"), "/opt/qn/qn740xtest.wst");
    EXPECT_EQ(places.FilePath("/opt/qn/qn740xtest.bin"), "/opt/qn/qn740xtest.wst");
    places.SetExtName("pos");
    EXPECT_EQ(places.FilePath("/opt/qn/qn740xtest"), "/opt/qn/qn740xtest.pos");
    places.SetExtName("");
    EXPECT_EQ(places.ExtName(), "wst");
}

TEST(WindowPlacementsTest, SaveMergesByNameUpToFortyAndRestoresOnce) {
    TempFolder folder;
    std::string file = folder.File("qn.wst");
    WindowPlacements places;
    std::vector<Placement> windows = Windows(38);
    ASSERT_TRUE(places.Save(file, windows));

    WindowPlacements next;
    ASSERT_EQ(next.Restore(file).size(), 38u);
    windows[0].Rect.Left = 77;
    windows.resize(2);
    for (const char* name : {"New1", "New2", "New3"}) windows.push_back(Window(name, {1, 1, 1, 1}));
    ASSERT_TRUE(next.Save(file, windows));

    std::vector<Placement> saved = ReadPlacements(file);
    ASSERT_EQ(saved.size(), 40u);
    EXPECT_EQ(saved[0].Rect.Left, 77);
    EXPECT_EQ(saved[2].Name, "Form2"); // windows that were not there this time stay listed
    EXPECT_EQ(saved[39].Name, "New2");
    ASSERT_NE(next.Find("Form37"), nullptr);
    EXPECT_EQ(next.Find("New3"), nullptr);

    Spit(file, "1.10\r\n0\r\n");
    EXPECT_EQ(next.Restore(file).size(), 40u); // read once only
}

TEST(WindowPlacementsTest, DisabledReadsAndWritesNothing) {
    TempFolder folder;
    std::string file = folder.File("qn.wst");
    ASSERT_TRUE(WritePlacements(file, Windows(3)));
    WindowPlacements places;
    places.Enabled = false;
    EXPECT_TRUE(places.Restore(file).empty());
    EXPECT_FALSE(places.Save(folder.File("other.wst"), Windows(2)));
    EXPECT_EQ(folder.EntryCount(), 1u);
}

} // namespace
} // namespace qn::test
