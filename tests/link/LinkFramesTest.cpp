// Every request of the bridge protocol byte for byte, from its pure builder; then which of them
// the link's operations send for its state, and what they leave behind.
#include "link/LinkFrames.h"
#include "SimLinkFixture.h"
#include "chip/ChipFileReader.h"
#include "sim/SimTestHelpers.h"

#include <functional>

namespace qn::test {
namespace {

// One frame of each kind of link and command: what its builder makes of the values given, as
// the bytes (their count is the write length) and the answer's length.
TEST(LinkFrameTable, EveryFrameByteForByte) {
    const std::pair<LinkFrame, LinkFrame> rows[] = {
        // "Special": address bits 8..12 in bits 2..6 of the selector, BA without the optocoupler;
        // a short address keeps the plain selector.
        {SpecialReadFrame({false, false}, 0x1FC5, 2), {{0xBA, 0xFC, 0xC5, 2, 2}, 2}},
        {SpecialReadFrame({true, true}, 0x123, 1), {{0xBE, 0xC0, 0x23, 1, 1}, 1}},
        {SpecialWriteFrame({true, false}, 0x123, Bytes{0x11, 0x22}),
         {{0xBE, 0x04, 0x23, 2, 2, 0x11, 0x22}, 1}},
        {SpecialWriteFrame({true, true}, 0x2A0, Bytes{0x33}), {{0xBE, 0x40, 0xA0, 1, 1, 0x33}, 1}},
        // QN740x: a read carries zeros in place of the answer; a write its kept bytes, the shadow
        // from the address on and zeros past it.
        {Qn740xReadFrame(3, 2), {{0xC4, 0x01, 0xA0, 3, 2, 0, 0}, 64}},
        {Qn740xWriteFrame(3, 3, {1, 2, 3, 4, 5}, {0xAA, 0xBB}),
         {{0xC4, 0x00, 0xA0, 3, 3, 0xAA, 0xBB, 4, 5, 0}, 64}},
        {AdcFetchFrame(), {{0xC4, 0x04}, 64}},
        {AdcResultFrame(), {{0xC4, 0x01, 0xA0, 0x05, 0x03, 0}, 64}},
        {TempResultFrame(), {{0xC4, 0x01, 0xA0, 0x06, 0x02, 0}, 64}},
        {StreamStartFrame(3, 0x21, 0x42), {{0xC4, 0x02, 3, 0x21, 0x42}, 64}},
        {StreamStopFrame(), {{0xC4, 0x03, 0x01, 0, 0, 0}, 64}},
        // The bridge's own: a control request's value goes low byte first.
        {BridgeLinesFrame(), {{0xB5, 0x07, 0}, 4}},
        {BridgeVersionFrame(), {{0xF9, 0x05, 0, 0, 0, 0, 0, 0}, 8}},
        {BridgeControlFrame(6, 0x1234), {{0xF9, 0x06, 0x34, 0x12}, 8}},
        {IdentifyFrame(), {{0xF9, 0xAC}, 8}},
        {StartUpFrame(true), {{0xC5, 0xFF, 0x01, 0x00}, 64}},
        {StartUpFrame(false), {{0xC5, 0xFF, 0x00, 0x00}, 64}},
        // RS232: the address low byte first.
        {SerialSyncFrame(), {{0x55}, 1}},
        {SerialReadFrame(0x0201, 4), {{0xC0, 0x01, 0x02, 4}, 4}},
        {SerialWriteFrame(0x0201, Bytes{0x11, 0x22}), {{0x40, 0x01, 0x02, 2, 0x11, 0x22}, 1}},
    };
    for (size_t row = 0; row < std::size(rows); ++row)
        EXPECT_EQ(rows[row].first, rows[row].second) << "row " << row;
}

// Compares the frames the bridge was sent with `expected`; bytes 5 and 6 of a QN740x write go out
// as the buffer held them, so they are taken from what was sent.
void ExpectSent(const std::vector<SimFrame>& log, std::vector<LinkFrame> expected) {
    ASSERT_EQ(log.size(), expected.size());
    for (size_t f = 0; f < expected.size(); ++f) {
        Bytes& bytes = expected[f].Bytes;
        if (bytes[1] == 0x00 && bytes[0] == 0xC4 && log[f].Request.size() == bytes.size())
            std::copy_n(log[f].Request.begin() + 5, 2, bytes.begin() + 5);
        EXPECT_EQ((LinkFrame{log[f].Request, static_cast<uint8_t>(log[f].ReadLength)}), expected[f])
            << f;
    }
}

using Fx = SimLink;
constexpr SpecialFrameOptions kOpto{true, false};

// Which frames an operation sends for the link's state, and what the answers leave behind.
struct FlowCase {
    const char* Name;
    std::function<void(Fx&)> Run;
    std::vector<LinkFrame> Frames;
    uint16_t Kind = kLinkQn740x;
};

const FlowCase kFlows[] = {
    {"Qn740xWriteRegisterReadsBackThroughTheShadow",
     [](Fx& f) {
         f.bench.Chip.WriteRegister(3, 0x5A);
         EXPECT_EQ(f.bench.Chip.GetReg(3), 0x5A);
     },
     {Qn740xWriteFrame(3, 1, {0, 0, 0, 0x5A, 0}, {}), Qn740xReadFrame(3, 1)}},
    {"Qn740xIgnoresRegistersPastFour",
     [](Fx& f) {
         f.bench.Chip.WriteRegister(5, 0x77);
         EXPECT_EQ(f.panels.Order, "");
     },
     {}},
    {"SpecialFramesFollowTheOptocouplerAndTheShipped52K12",
     [](Fx& f) {
         const ChipModel model = SelectShipped(kChip52K12);
         const SelectedChipInfo chip{model};
         f.bench.Chip.SetChip(&chip);
         f.bench.Chip.Options.Optocoupler = false;
         f.bench.Chip.ReadChip(0x123, 1);
         f.bench.Chip.SetChip(&f.chipInfo);
     },
     {SpecialReadFrame({false, true}, 0x123, 1)},
     kLinkSpecial},
    {"SpecialWriteRegisterStoresReadBackAndRefreshesPanelsInOrder",
     [](Fx& f) {
         f.bench.Chip.WriteRegister(0x123, 0x5A);
         EXPECT_EQ(f.bench.Chip.GetReg(0x123), 0x5A);
         EXPECT_EQ(f.panels.Order, "RGA");
     },
     {SpecialWriteFrame(kOpto, 0x123, Bytes{0x5A}), SpecialReadFrame(kOpto, 0x123, 1)},
     kLinkSpecial},
    {"Register27GoesOutWithRegister26AndReadsZero",
     [](Fx& f) {
         f.bench.Chip.SetReg(26, 0x12);
         f.bench.Chip.SetReg(27, 0x99);
         f.bench.Chip.WriteRegister(27, 0x34);
         EXPECT_EQ(f.bench.Chip.GetReg(27), 0);
     },
     {SpecialWriteFrame(kOpto, 26, Bytes{0x12, 0x34})},
     kLinkSpecial},
    {"ResultsAndStreamStopAreAnswered",
     [](Fx& f) {
         f.bridge.SetSignal(0x123456, 0);
         f.bridge.SetTemperatureCode(0x0C80);
         ASSERT_TRUE(f.bench.Chip.ReadAdcResult() && f.bench.Chip.ReadTempResult());
         EXPECT_TRUE(f.bench.Chip.StopAdcStream());
         EXPECT_EQ(f.bench.Chip.Readings.Adc, (std::array<uint8_t, 3>{0x12, 0x34, 0x56}));
         EXPECT_EQ(f.bench.Chip.Readings.Temp, (std::array<uint8_t, 3>{0x0C, 0x80, 0}));
     },
     {AdcResultFrame(), TempResultFrame(), StreamStopFrame()}},
    {"StartAdcStreamThenEnablesInterrupts",
     [](Fx& f) {
         f.bench.Chip.ChipShadow = {0, 0, 0x21, 0x42, 0};
         f.bench.Chip.SetReg(2, 0x01);
         f.bench.Chip.StartAdcStream(3);
     },
     {StreamStartFrame(3, 0x21, 0x42), Qn740xWriteFrame(2, 1, {0, 0, 0x15, 0x42, 0}, {})}},
    {"StartTempConversionSetsTheTsBit",
     [](Fx& f) {
         f.bench.Chip.SetReg(3, 0x80);
         f.bench.Chip.StartTempConversion();
     },
     {Qn740xWriteFrame(3, 1, {0, 0, 0, 0x81, 0}, {})}},
    {"BridgeLinesAndVersion",
     [](Fx& f) {
         f.bridge.Lines = {1, 2, 3};
         uint8_t l1 = 0, l2 = 0, l3 = 0;
         std::string version;
         ASSERT_TRUE(f.bench.Chip.ReadBridgeLines(f.bench.Stnd.Usb, l1, l2, l3));
         ASSERT_TRUE(f.bench.Chip.ReadBridgeVersion(f.bench.Stnd.Usb, version));
         EXPECT_EQ(l1 * 100 + l2 * 10 + l3, 123);
         EXPECT_EQ(version, f.bridge.Version);
     },
     {BridgeLinesFrame(), BridgeVersionFrame()}},
    {"ReleaseSendsSub1AllOnes",
     [](Fx& f) { f.bench.Centre.ReleaseUsb(); },
     {BridgeControlFrame(1, 0xFFFF)}},
};

TEST(LinkFlows, FramesSentAndWhatTheyLeave) {
    for (const FlowCase& c : kFlows) {
        SCOPED_TRACE(c.Name);
        SimLink f;
        f.ConnectDriverBridge(c.Kind);
        c.Run(f);
        ExpectSent(f.bridge.Log(), c.Frames);
    }
}

// Only the 52K chips take short "Special" addresses: the shipped 52K12, and a 52K21 file.
TEST(ChipCapability, ShortSpecialAddressFollowsTheProductLine) {
    for (uint16_t index = 0; index < 4; ++index) {
        const ChipModel model = SelectShipped(index);
        EXPECT_EQ(SelectedChipInfo(model).ShortSpecialAddress(), index == kChip52K12)
            << model.ProductName;
    }
    ChipModel model;
    ChipFileReader reader(model);
    for (const char* line : {"#PRODUCT", "52K21"}) reader.ReadLine(line);
    EXPECT_TRUE(SelectedChipInfo(model).ShortSpecialAddress());
}

// The open sequence of each transport: presence check, Sub 1 and 4 (and 6 on HID) with the value
// the previous one answered, start-up pair. A HID report is the request padded with zeros to 64
// bytes and asks for a whole report back; another HID device before the bridge is closed again.
TEST(LinkOpen, SequenceAndPacketSizeOfEachTransport) {
    for (const bool overHid : {false, true}) {
        SimLink f;
        if (overHid) f.hid.AddDevice(nullptr);
        overHid ? f.hid.AddDevice(&f.bridge) : f.driver.AddDevice(f.bridge);
        uint8_t fresh = 0;
        ASSERT_TRUE(f.bench.Usb.UsbOpen(f.bench.Stnd.Usb, fresh));
        EXPECT_EQ(fresh, kFreshNewBridge);
        const auto answered = static_cast<uint16_t>(overHid);
        std::vector<LinkFrame> sent = {BridgeControlFrame(2, 0), BridgeControlFrame(1, answered),
                                       BridgeControlFrame(4, answered), StartUpFrame(true),
                                       StartUpFrame(false)};
        if (overHid) {
            sent.insert(sent.begin() + 3, BridgeControlFrame(6, 2));
            for (LinkFrame& frame : sent) {
                frame.Bytes.resize(64);
                frame.ReadLength = 64;
            }
        }
        ExpectSent(f.bridge.Log(), sent);
        EXPECT_EQ(f.bench.Usb.TransportKind,
                  overHid ? TransportKindValue::Hid : TransportKindValue::Driver);
        for (size_t p = 0; p < 2; ++p) EXPECT_EQ(f.bench.Stnd.Usb.Pipes[p].MaximumPacketSize, 64);
        EXPECT_TRUE(overHid || f.bench.Stnd.Usb.PacketSize == 64);
        EXPECT_EQ(f.bench.Stnd.Usb.Path, overHid ? "" : "\\\\.\\Qnusb-0");
        EXPECT_EQ(f.hid.OpenHandleCount() + f.driver.OpenHandleCount(), 1u);
    }
}

} // namespace
} // namespace qn::test
