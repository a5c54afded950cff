// The serial bridge link: synchronisation, read and write frames, line errors and silence.
#include "SimLinkFixture.h"

namespace qn::test {
namespace {

using Bytes = std::vector<uint8_t>;

// A write: the sync byte, then the header with the address low byte first, then the data.
TEST_F(SimLinkFixture, SerialWriteFrame) {
    OpenSerialBridge();
    bench.Usb.UsbIoBuffer[5] = 0x11;
    bench.Usb.UsbIoBuffer[6] = 0x22;
    ASSERT_TRUE(bench.Chip.WriteChip(0x0201, 2));
    EXPECT_EQ(serialPeer.Writes(),
              (std::vector<Bytes>{{0x55}, {0x40, 0x01, 0x02, 0x02, 0x11, 0x22}}));
}

struct SyncCase {
    int FailSyncs;
    uint8_t SyncAnswer;
    bool ReadSucceeds;
    size_t SyncRequests;
};

// Up to three synchronisation attempts per read, each failure costing a 4 s pause.
TEST_F(SimLinkFixture, SerialSynchronisationRetries) {
    const SyncCase cases[] = {
        {0, 0xAA, true, 1}, {2, 0xAA, true, 3}, {3, 0xAA, false, 3}, {0, 0x00, false, 3}};
    OpenSerialBridge();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.FailSyncs);
        serialPeer.Faults.FailSyncTimes = c.FailSyncs;
        serialPeer.Faults.SyncAnswer = c.SyncAnswer;
        serialPeer.ClearWrites();
        const double before = clock.ElapsedSinceStartMs();
        EXPECT_EQ(bench.Chip.ReadChip(0, 1), c.ReadSucceeds);
        const size_t failures = c.ReadSucceeds ? c.SyncRequests - 1 : c.SyncRequests;
        EXPECT_EQ(serialPeer.Writes().size(), c.SyncRequests + (c.ReadSucceeds ? 1 : 0));
        const double pauses = static_cast<double>(failures) * 4000 + (c.ReadSucceeds ? 100 : 0);
        EXPECT_GE(clock.ElapsedSinceStartMs() - before, pauses);
        EXPECT_LT(clock.ElapsedSinceStartMs() - before, pauses + 400);
    }
}

struct LineErrorCase {
    const char* Name;
    std::function<void(SimSerialFaults&)> Arrange;
    bool Succeeds;
    const char* Panel1;
};

TEST_F(SimLinkFixture, SerialLineErrorsReachStatusPanel1) {
    const LineErrorCase cases[] = {
        {"parity", [](SimSerialFaults& f) { f.ParityErrorOnNextRead = true; }, true, "Parity Fail"},
        {"framing", [](SimSerialFaults& f) { f.OtherErrorOnNextRead = true; }, true, "Other Err"},
        {"clean", [](SimSerialFaults&) {}, true, ""},
        {"silent", [](SimSerialFaults& f) { f.SilentReads = true; }, false, "Data Empty"},
    };
    OpenSerialBridge();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        serialPeer.Faults = {};
        c.Arrange(serialPeer.Faults);
        EXPECT_EQ(bench.Chip.ReadChip(0, 4), c.Succeeds);
        EXPECT_EQ(status.Panels[1], c.Panel1);
    }
}

TEST_F(SimLinkFixture, SerialWriteAnsweredByOtherThanAckFails) {
    OpenSerialBridge();
    serialPeer.Faults.WriteAnswer = 0x55;
    const double before = clock.ElapsedSinceStartMs();
    bench.Chip.WriteRegister(0x20, 0x01);
    EXPECT_FALSE(bench.Chip.WriteChip(0x20, 1));
    EXPECT_GE(clock.ElapsedSinceStartMs() - before, 2 * 4000.0);
    EXPECT_EQ(bench.Chip.GetReg(0x20), 0);
    EXPECT_EQ(panels.Order, "");
}

TEST_F(SimLinkFixture, SerialAnswerLongerThanTheBufferIsCut) {
    OpenSerialBridge();
    serialPeer.Faults.ExtraAnswerBytes = 600;
    bridge.Registers[0] = 0x42;
    ASSERT_TRUE(bench.Chip.ReadChip(0, 200));
    EXPECT_EQ(bench.Usb.UsbIoBuffer[0], 0x42);
    EXPECT_EQ(bench.Usb.UsbIoBuffer[kUsbIoAreaSize - 1], kSimSerialFiller);
}

} // namespace
} // namespace qn::test
