// Register lists, field read-modify-write and change detection of the register image.
#include "chip/ChipModel.h"
#include "chip/RegField.h"
#include "chip/RegisterLists.h"
#include "chip/RegisterRefresh.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace qn {
namespace {

TEST(RegisterLists, HoldAt512RecordsInTwoPages) {
    TCRREGWordPtr list;
    for (int i = 0; i < 512; ++i) {
        WordRegRecord reg;
        reg.AddressH = static_cast<uint16_t>(i / 256);
        reg.AddressL = static_cast<uint16_t>(i % 256);
        ASSERT_EQ(list.Add(reg), 0) << i;
    }
    EXPECT_NE(list.Add(WordRegRecord{}), 0);
    EXPECT_EQ(list.Count(), 512);
    EXPECT_EQ(list.Address(300), 300u); // addressH * 256 + addressL, second page
    EXPECT_EQ(list.Get(255)->AddressL, 255);
    EXPECT_EQ(list.Get(-1), nullptr);
    EXPECT_EQ(list.Get(512), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Get(0), nullptr);
    EXPECT_EQ(list.Add(WordRegRecord{}), 0);
}

TEST(RegField, ReadModifyWriteTouchesOnlyTheField) {
    struct Case {
        uint8_t width, lsb, oldByte;
        uint32_t value;
        uint8_t newByte;
    };
    const Case cases[] = {
        {2, 5, 0x81, 3, 0xE1},     // 2-bit field at bit 5
        {1, 0, 0xFF, 0, 0xFE},     // single bit cleared
        {3, 5, 0x00, 0xFF, 0xE0},  // a value wider than the field stays in the field
        {8, 0, 0x12, 0xAB, 0xAB},  // whole byte
        {4, 6, 0x3F, 0xF, 0xFF},   // field running past bit 7 keeps its low bits
        {200, 200, 0x5A, 1, 0x5A}, // nonsense descriptor changes nothing
    };
    for (const Case& c : cases) {
        RegFieldDesc field;
        field.Address = 0x123;
        field.Width = c.width;
        field.Lsb = c.lsb;
        field.Defined = true;
        RegImageBytes image{};
        image[0x123] = c.oldByte;
        std::vector<std::pair<int, uint8_t>> writes;
        ASSERT_TRUE(WriteField(field, c.value, image,
                               [&](int a, uint8_t v) { writes.emplace_back(a, v); }));
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_EQ(writes[0].first, 0x123);
        EXPECT_EQ(writes[0].second, c.newByte) << int(c.width) << "@" << int(c.lsb);
        image[0x123] = writes[0].second;
        if (c.width <= 8 && c.lsb + c.width <= 8) {
            EXPECT_EQ(ReadField(field, image), c.value & field.MaxValue());
        }
    }
}

TEST(RegField, UndefinedOrOutsideFieldsDoNotReachTheChip) {
    RegImageBytes image{};
    image.fill(0xFF);
    RegFieldDesc field; // never defined by a chip file
    int writes = 0;
    EXPECT_FALSE(WriteField(field, 1, image, [&](int, uint8_t) { ++writes; }));
    EXPECT_EQ(writes, 0);
    field.Defined = true;
    field.Width = 8;
    field.Address = 1024;
    EXPECT_EQ(ReadField(field, image), 0u); // outside the image reads as 0
}

TEST(ChangeDetection, RamAndRegisterPanelRules) {
    ChipModel model;
    model.RegArea[1] = {0x180, 0x1FF};
    NoteRamValue(model, 0x100, 0x55, true);
    EXPECT_EQ(model.ChangedFlag[0x100], 1);
    NoteRamValue(model, 0x100, 0x55, true);
    EXPECT_EQ(model.ChangedFlag[0x100], 0);
    NoteRamValue(model, 0x100, 0x66, false); // marking off: never flagged, previous follows
    EXPECT_EQ(model.ChangedFlag[0x100], 0);
    EXPECT_EQ(model.PreviousValue[0x100], 0x66);
    NoteRamValue(model, 0x180, 0x77, true); // register area: previous value is not taken
    EXPECT_EQ(model.ChangedFlag[0x180], 1);
    EXPECT_EQ(model.PreviousValue[0x180], 0);
    NoteRamValue(model, 1024, 1, true); // outside the image: ignored

    NoteRegisterValue(model, 0x180, 0x77);
    EXPECT_EQ(model.ChangedFlag[0x180], 1);
    EXPECT_EQ(model.PreviousValue[0x180], 0x77);

    NoteWordValue(model, 0x0F, 0x10, 0x01, 0x02); // both bytes changed: only high marked
    EXPECT_EQ(model.ChangedFlag[0x0F], 1);
    EXPECT_EQ(model.ChangedFlag[0x10], 0);
    NoteWordValue(model, 0x0F, 0x10, 0x01, 0x03); // low byte alone
    EXPECT_EQ(model.ChangedFlag[0x0F], 0);
    EXPECT_EQ(model.ChangedFlag[0x10], 1);
}

TEST(ChangeDetection, PageRangesFollowThePageCounts) {
    ChipModel model;
    model.BitRegCount = {3, 0, 2, 1};
    const std::pair<int, std::pair<int, int>> cases[] = {{0, {0, 3}}, {1, {3, 3}}, {2, {3, 5}},
                                                         {3, {5, 6}}, {4, {0, 3}}, {-1, {0, 3}}};
    for (const auto& [page, range] : cases) {
        EXPECT_EQ(PageRange(model, page).First, range.first) << page;
        EXPECT_EQ(PageRange(model, page).Last, range.second) << page;
    }
}

} // namespace
} // namespace qn
