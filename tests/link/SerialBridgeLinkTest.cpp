// The serial bridge link: synchronisation, read and write frames, line errors and silence.
#include "SimLinkFixture.h"

#include <functional>
#include <tuple>

namespace qn::test {
namespace {

using Bytes = std::vector<uint8_t>;

// A write goes out after a synchronisation. A write answered by other than the acknowledgement
// fails and stores nothing.
TEST_F(SimLinkFixture, SerialWriteFollowsSyncAndNeedsItsAcknowledgement) {
    OpenSerialBridge();
    const uint8_t data[] = {0x11, 0x22};
    ASSERT_TRUE(bench.Chip.WriteChip(0x0201, data));
    EXPECT_EQ(serialPeer.Writes(),
              (std::vector<Bytes>{SerialSyncFrame().Bytes, SerialWriteFrame(0x0201, data).Bytes}));
    serialPeer.Faults.WriteAnswer = 0x55;
    const double before = clock.ElapsedSinceStartMs();
    bench.Chip.WriteRegister(0x20, 0x01);
    EXPECT_FALSE(bench.Chip.WriteChip(0x20, data));
    EXPECT_GE(clock.ElapsedSinceStartMs() - before, 2 * 4000.0);
    EXPECT_EQ(bench.Chip.GetReg(0x20), 0);
    EXPECT_EQ(panels.Order, "");
}

// Up to three synchronisation attempts per read; line errors and silence show in status panel 1.
// Each case: the faults, whether the read succeeds, the requests written (sync requests, then the
// read frame once one was answered), the pauses (4 s per failed sync, 100 ms after a read;
// negative: not checked) and status panel 1.
TEST_F(SimLinkFixture, SerialReadsRetrySynchronisationAndReportLineErrors) {
    const auto failSyncs = [](int n) { return [n](SimSerialFaults& f) { f.FailSyncTimes = n; }; };
    using Arrange = std::function<void(SimSerialFaults&)>;
    const std::tuple<const char*, Arrange, bool, size_t, double, const char*> cases[] = {
        {"parity", [](auto& f) { f.ParityErrorOnNextRead = true; }, true, 2, 100, "Parity Fail"},
        {"framing", [](auto& f) { f.OtherErrorOnNextRead = true; }, true, 2, 100, "Other Err"},
        {"clean", failSyncs(0), true, 2, 100, ""},
        {"two syncs fail", failSyncs(2), true, 4, 8100, ""},
        {"three syncs fail", failSyncs(3), false, 3, 12000, ""},
        {"sync answered 0", [](SimSerialFaults& f) { f.SyncAnswer = 0; }, false, 3, 12000, ""},
        {"silent", [](auto& f) { f.SilentReads = true; }, false, 2, -1, "Data Empty"},
    };
    OpenSerialBridge();
    for (const auto& [name, arrange, succeeds, writes, pausesMs, panel1] : cases) {
        SCOPED_TRACE(name);
        serialPeer.Faults = {};
        arrange(serialPeer.Faults);
        serialPeer.ClearWrites();
        const double before = clock.ElapsedSinceStartMs();
        EXPECT_EQ(bench.Chip.ReadChip(0, 4).has_value(), succeeds);
        EXPECT_EQ(status.Panels[1], panel1);
        EXPECT_EQ(serialPeer.Writes().size(), writes);
        if (pausesMs < 0) continue;
        EXPECT_GE(clock.ElapsedSinceStartMs() - before, pausesMs);
        EXPECT_LT(clock.ElapsedSinceStartMs() - before, pausesMs + 400);
    }
}

TEST_F(SimLinkFixture, SerialAnswerLongerThanTheBufferIsCut) {
    OpenSerialBridge();
    serialPeer.Faults.ExtraAnswerBytes = 600;
    bridge.Registers[0] = 0x42;
    const ChipBytes got = bench.Chip.ReadChip(0, 200);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->front(), 0x42);
    EXPECT_EQ(bench.Usb.UsbIoBuffer[kUsbIoAreaSize - 1], kSimSerialFiller);
}

} // namespace
} // namespace qn::test
