// "Read RAM": the chunk plans of the chunked links, and the reads into the image.
#include "shell/ReadRam.h"
#include "SimLinkFixture.h"

namespace qn::test {
namespace {

ChipModel WithRanges(std::initializer_list<std::pair<int, AddressRange>> banks,
                     AddressRange area1 = {}) {
    ChipModel model;
    for (const auto& [bank, range] : banks) model.RamBank[static_cast<size_t>(bank)] = range;
    model.RegArea[1] = area1;
    return model;
}

TEST(ReadRamPlan, ChunksOfEachLinkForTheBanksTheChipDefines) {
    using Plan = std::vector<MemoryChunk>;
    const Plan first256Special{{0, 26}, {28, 36}, {64, 64}, {128, 64}, {192, 64}};
    const Plan first256Serial{{0, 26}, {28, 100}, {128, 128}};
    // The link, the chip's banks and the reads after the first 256 bytes; the QN740x link has none.
    struct Case {
        uint16_t Kind;
        ChipModel Model;
        Plan Tail;
    };
    const Case cases[] = {
        {kLinkSpecial, ChipModel{}, {}},
        {kLinkSpecial,
         WithRanges({{0, {0, 0xFF}}, {2, {0x200, 0x2FF}}}),
         {{512, 64}, {576, 64}, {640, 64}, {704, 64}}},
        {kLinkRs232, ChipModel{}, {}},
        {kLinkRs232,
         WithRanges({{1, {0x100, 0x17F}}}, {0x180, 0x184}),
         {{0x100, 64}, {0x140, 64}, {0x180, 2}, {0x182, 3}}},
        {kLinkQn740x, WithRanges({{1, {0x100, 0x17F}}}), {}},
    };
    for (const auto& [kind, model, tail] : cases) {
        Plan expected = kind == kLinkSpecial ? first256Special
                        : kind == kLinkRs232 ? first256Serial
                                             : Plan{};
        expected.insert(expected.end(), tail.begin(), tail.end());
        EXPECT_EQ(ReadRamPlan(kind, model), expected) << kind << " " << tail.size();
    }
}

// The chunked reads fill the image; every link, also the one that reads its five registers only,
// tells how the read ended.
TEST_F(SimLinkFixture, ReadRamFillsTheImageButRegisters26And27AndTellsItsOutcome) {
    ConnectDriverBridge(kLinkQn740x);
    EXPECT_TRUE(ReadRam(bench));
    EXPECT_EQ(status.Panels[2], kReadRamDone);
    bench.Stnd.Interface = kLinkSpecial;
    for (size_t a = 0; a < 256; ++a) bridge.Registers[a] = static_cast<uint8_t>(a ^ 0x5A);
    bench.Chip.SetReg(26, 0x11);
    bench.Chip.SetReg(27, 0x22);
    ASSERT_TRUE(ReadRam(bench));
    for (int a = 0; a < 256; ++a)
        EXPECT_EQ(bench.Chip.GetReg(a), a == 26 ? 0x11 : a == 27 ? 0x22 : a ^ 0x5A) << a;
    EXPECT_EQ(status.Panels[2], kReadRamDone);
    bridge.Faults.CablePulled = true;
    bridge.Registers[0] = 0x99;
    EXPECT_FALSE(ReadRam(bench));
    EXPECT_EQ(bench.Chip.GetReg(0), 0x5A) << "a failed chunk stores nothing";
    EXPECT_EQ(status.Panels[2], kReadRamFailed);
    bench.Stnd.Interface = kLinkQn740x;
    status.Panels[2].clear();
    EXPECT_FALSE(ReadRam(bench));
    EXPECT_EQ(status.Panels[2], kReadRamFailed);
}

} // namespace
} // namespace qn::test
