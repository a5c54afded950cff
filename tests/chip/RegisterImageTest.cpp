// Field read-modify-write and change detection of the register image.
#include "chip/ChipModel.h"
#include "chip/RegField.h"
#include "chip/RegisterRefresh.h"

#include <gtest/gtest.h>

#include <vector>

namespace qn {
namespace {

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
        {4, 6, 0x3F, 0xF, 0xFF},   // field running past bit 7 keeps its low bits
        {200, 200, 0x5A, 1, 0x5A}, // nonsense descriptor changes nothing
    };
    for (const Case& c : cases) {
        const RegFieldDesc field{0x123, c.width, c.lsb, 0, true, {}};
        RegImageBytes image{};
        image[0x123] = c.oldByte;
        std::vector<std::pair<int, uint8_t>> writes;
        ASSERT_TRUE(WriteField(field, c.value, image,
                               [&](int a, uint8_t v) { writes.emplace_back(a, v); }));
        EXPECT_EQ(writes, (std::vector<std::pair<int, uint8_t>>{{0x123, c.newByte}}))
            << int(c.width) << "@" << int(c.lsb);
        image[0x123] = c.newByte;
        if (c.lsb + c.width <= 8) {
            EXPECT_EQ(ReadField(field, image), c.value & field.MaxValue());
        }
    }
    RegImageBytes image{};
    image.fill(0xFF);
    RegFieldDesc field; // never defined by a chip file: nothing reaches the chip
    EXPECT_FALSE(WriteField(field, 1, image, [](int, uint8_t) { ADD_FAILURE(); }));
    field = {1024, 8, 0, 0, true, {}};
    EXPECT_EQ(ReadField(field, image), 0u); // outside the image reads as 0
}

TEST(ChangeDetection, RamWordAndPageRules) {
    ChipModel model;
    model.RegArea[1] = {0x180, 0x1FF};
    NoteRamValue(model, 0x100, 0x55, true);
    EXPECT_EQ(model.ChangedFlag[0x100], 1);
    NoteRamValue(model, 0x100, 0x66, false); // marking off: never flagged, previous follows
    EXPECT_EQ(model.ChangedFlag[0x100], 0);
    EXPECT_EQ(model.PreviousValue[0x100], 0x66);
    NoteRamValue(model, 0x180, 0x77, true); // register area: previous value is not taken
    EXPECT_EQ(model.ChangedFlag[0x180], 1);
    EXPECT_EQ(model.PreviousValue[0x180], 0);
    NoteRamValue(model, 1024, 1, true); // outside the image: ignored

    NoteWordValue(model, 0x0F, 0x10, 0x01, 0x02); // both bytes changed: only high marked
    EXPECT_EQ(model.ChangedFlag[0x0F], 1);
    EXPECT_EQ(model.ChangedFlag[0x10], 0);
    NoteWordValue(model, 0x0F, 0x10, 0x01, 0x03); // low byte alone
    EXPECT_EQ(model.ChangedFlag[0x0F], 0);
    EXPECT_EQ(model.ChangedFlag[0x10], 1);

    model.BitRegCount = {3, 0, 2, 1};
    const std::pair<int, std::pair<int, int>> pages[] = {{1, {3, 3}}, {3, {5, 6}}, {4, {0, 3}}};
    for (const auto& [page, range] : pages)
        EXPECT_EQ(std::make_pair(PageRange(model, page).First, PageRange(model, page).Last), range)
            << page;
}

} // namespace
} // namespace qn
