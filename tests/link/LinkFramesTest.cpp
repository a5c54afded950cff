// Every request of the bridge protocol, byte for byte, with the lengths handed to the transport,
// and what the flows sending them leave behind: the register image, panels, results read.
#include "SimLinkFixture.h"

#include <functional>

namespace qn::test {
namespace {

// A byte the protocol leaves as it was (bytes 5 and 6 of a QN740x write); bytes it leaves open go
// out as zeros.
constexpr int kAny = -1;

struct Expected {
    std::vector<int> Bytes; // its size is the write length
    size_t ReadLength;
};

using Fx = SimLinkFixture;

struct FrameCase {
    const char* Name;
    // Sends the requests, and checks what they leave besides their frames.
    std::function<void(Fx&)> Run;
    std::vector<Expected> Frames;
    uint16_t Kind = kLinkQn740x;
};

void ExpectFrames(const std::vector<SimFrame>& log, const std::vector<Expected>& frames) {
    ASSERT_EQ(log.size(), frames.size());
    for (size_t f = 0; f < frames.size(); ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        ASSERT_EQ(log[f].Request.size(), frames[f].Bytes.size());
        for (size_t i = 0; i < frames[f].Bytes.size(); ++i) {
            if (frames[f].Bytes[i] != kAny) {
                EXPECT_EQ(log[f].Request[i], frames[f].Bytes[i]) << i;
            }
        }
        EXPECT_EQ(log[f].ReadLength, frames[f].ReadLength);
    }
}

const FrameCase kCases[] = {
    {"Qn740xRead",
     [](Fx& f) { f.bench.Chip.ReadChip(3, 2); },
     {{{0xC4, 0x01, 0xA0, 0x03, 0x02, 0, 0}, 64}}},
    {"Qn740xWriteRegister3",
     [](Fx& f) { f.bench.Chip.WriteRegister(3, 0x5A); },
     {{{0xC4, 0x00, 0xA0, 0x03, 0x01, kAny, kAny, 0x5A}, 64},
      {{0xC4, 0x01, 0xA0, 0x03, 0x01, 0}, 64}}},
    {"Qn740xWriteTakesShadowAndZeroPastIt",
     [](Fx& f) {
         f.bench.Chip.ChipShadow = {1, 2, 3, 4, 5};
         f.bench.Chip.WriteChip(3, 3);
     },
     {{{0xC4, 0x00, 0xA0, 0x03, 0x03, kAny, kAny, 0x04, 0x05, 0x00}, 64}}},
    {"Qn740xIgnoresRegistersPastFour",
     [](Fx& f) {
         f.bench.Chip.WriteRegister(5, 0x77);
         EXPECT_EQ(f.panels.Order, "");
     },
     {}},
    {"SpecialReadHighAddressBitsWithoutOptocoupler",
     [](Fx& f) {
         f.bench.Chip.Options.Optocoupler = false;
         f.bench.Chip.ReadChip(0x1FC5, 2);
     },
     {{{0xBA, 0xFC, 0xC5, 0x02, 0x02}, 2}},
     kLinkSpecial},
    {"SpecialRead52K12",
     [](Fx& f) {
         f.chipInfo = {"52K12", 2, 3};
         f.bench.Chip.ReadChip(0x123, 1);
     },
     {{{0xBE, 0xC0, 0x23, 0x01, 0x01}, 1}},
     kLinkSpecial},
    {"SpecialWrite",
     [](Fx& f) {
         f.bench.Usb.UsbIoBuffer[5] = 0x11;
         f.bench.Usb.UsbIoBuffer[6] = 0x22;
         f.bench.Chip.WriteChip(0x123, 2);
     },
     {{{0xBE, 0x04, 0x23, 0x02, 0x02, 0x11, 0x22}, 1}},
     kLinkSpecial},
    {"SpecialWrite52K21",
     [](Fx& f) {
         f.chipInfo = {"52K21", 2, 3};
         f.bench.Usb.UsbIoBuffer[5] = 0x33;
         f.bench.Chip.WriteChip(0x2A0, 1);
     },
     {{{0xBE, 0x40, 0xA0, 0x01, 0x01, 0x33}, 1}},
     kLinkSpecial},
    {"SpecialWriteRegisterStoresReadBackAndRefreshesPanelsInOrder",
     [](Fx& f) {
         f.bench.Chip.WriteRegister(0x123, 0x5A);
         EXPECT_EQ(f.bench.Chip.GetReg(0x123), 0x5A);
         EXPECT_EQ(f.panels.Order, "RGA");
     },
     {{{0xBE, 0x04, 0x23, 0x01, 0x01, 0x5A}, 1}, {{0xBE, 0x84, 0x23, 0x01, 0x01}, 1}},
     kLinkSpecial},
    {"Register27GoesOutWithRegister26AndReadsZero",
     [](Fx& f) {
         f.bench.Chip.SetReg(26, 0x12);
         f.bench.Chip.SetReg(27, 0x99);
         f.bench.Chip.WriteRegister(27, 0x34);
         EXPECT_EQ(f.bench.Chip.GetReg(27), 0);
     },
     {{{0xBE, 0x00, 26, 2, 2, 0x12, 0x34}, 1}},
     kLinkSpecial},
    {"FetchAdcSamples", [](Fx& f) { f.bench.Chip.FetchAdcSamples(); }, {{{0xC4, 0x04}, 64}}},
    {"ReadAdcResult",
     [](Fx& f) {
         f.bridge.SetSignal(0x123456, 0);
         ASSERT_TRUE(f.bench.Chip.ReadAdcResult());
         EXPECT_EQ(f.bench.Chip.Readings.Adc, (std::array<uint8_t, 3>{0x12, 0x34, 0x56}));
     },
     {{{0xC4, 0x01, 0xA0, 0x05, 0x03, 0}, 64}}},
    {"ReadTempResult",
     [](Fx& f) {
         f.bridge.SetTemperatureCode(0x0C80);
         ASSERT_TRUE(f.bench.Chip.ReadTempResult());
         EXPECT_EQ(f.bench.Chip.Readings.Temp, (std::array<uint8_t, 3>{0x0C, 0x80, 0}));
     },
     {{{0xC4, 0x01, 0xA0, 0x06, 0x02, 0}, 64}}},
    {"StartAdcStreamThenEnablesInterrupts",
     [](Fx& f) {
         f.bench.Chip.ChipShadow = {0, 0, 0x21, 0x42, 0};
         f.bench.Chip.SetReg(2, 0x01);
         f.bench.Chip.StartAdcStream(3);
     },
     {{{0xC4, 0x02, 0x03, 0x21, 0x42}, 64},
      {{0xC4, 0x00, 0xA0, 0x02, 0x01, kAny, kAny, 0x15}, 64}}},
    {"StopAdcStream",
     [](Fx& f) { f.bench.Chip.StopAdcStream(); },
     {{{0xC4, 0x03, 0x01, 0, 0, 0}, 64}}},
    {"StartTempConversion",
     [](Fx& f) {
         f.bench.Chip.SetReg(3, 0x80);
         f.bench.Chip.StartTempConversion();
     },
     {{{0xC4, 0x00, 0xA0, 0x03, 0x01, kAny, kAny, 0x81}, 64}}},
    {"ReadBridgeLines",
     [](Fx& f) {
         f.bridge.Lines = {1, 2, 3};
         uint8_t l1 = 0, l2 = 0, l3 = 0;
         ASSERT_TRUE(f.bench.Chip.ReadBridgeLines(f.bench.Stnd.Usb, l1, l2, l3));
         EXPECT_EQ(l1 * 100 + l2 * 10 + l3, 123);
     },
     {{{0xB5, 0x07, 0}, 4}}},
    {"ReadBridgeVersion",
     [](Fx& f) {
         std::string version;
         ASSERT_TRUE(f.bench.Chip.ReadBridgeVersion(f.bench.Stnd.Usb, version));
         EXPECT_EQ(version, f.bridge.Version);
     },
     {{{0xF9, 0x05, 0, 0, 0, 0, 0, 0}, 8}}},
    {"OpenLinkThatAnswersIsOnlyIdentified",
     [](Fx& f) {
         uint8_t fresh = 99;
         EXPECT_TRUE(f.bench.Usb.UsbOpen(f.bench.Stnd.Usb, fresh));
         EXPECT_EQ(fresh, kFreshAlreadyOpen);
     },
     {{{0xF9, 0xAC}, 8}}},
    {"BridgeControl",
     [](Fx& f) {
         uint16_t v = 0x1234;
         f.bench.Usb.UsbBridgeControl(f.bench.Stnd.Usb, 6, v);
     },
     {{{0xF9, 0x06, 0x34, 0x12}, 8}}},
    {"ReleaseSendsSub1AllOnes",
     [](Fx& f) { f.bench.Centre.ReleaseUsb(); },
     {{{0xF9, 0x01, 0xFF, 0xFF}, 8}}},
};

// CTest lists each case by its name rather than as a dump of its bytes.
void PrintTo(const FrameCase& c, std::ostream* out) {
    *out << c.Name;
}

class LinkFrames : public SimLinkFixture, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(LinkFrames, RequestBytesAndLengths) {
    const FrameCase& c = GetParam();
    ConnectDriverBridge(c.Kind);
    c.Run(*this);
    ExpectFrames(bridge.Log(), c.Frames);
}

INSTANTIATE_TEST_SUITE_P(EveryRequest, LinkFrames, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.Name); });

// The open sequence of each transport: presence check, Sub 1/4 (and 6 on HID), start-up pair.
TEST_F(SimLinkFixture, DriverOpenSequence) {
    driver.AddDevice(bridge);
    uint8_t fresh = 0;
    ASSERT_TRUE(bench.Usb.UsbOpen(bench.Stnd.Usb, fresh));
    EXPECT_EQ(fresh, kFreshNewBridge);
    // Sub 1 answers the value it got (0); Sub 4 is sent that answer.
    ExpectFrames(bridge.Log(), {{{0xF9, 0x02, 0, 0}, 8},
                                {{0xF9, 0x01, 0, 0}, 8},
                                {{0xF9, 0x04, 0, 0}, 8},
                                {{0xC5, 0xFF, 0x01, 0x00}, 64},
                                {{0xC5, 0xFF, 0x00, 0x00}, 64}});
    EXPECT_EQ(bench.Stnd.Usb.PacketSize, 64);
    EXPECT_EQ(bench.Stnd.Usb.Path, "\\\\.\\Qnusb-0");
}

TEST_F(SimLinkFixture, HidOpenSequenceAndPacketSizes) {
    hid.AddDevice(nullptr); // some other HID device at index 0
    hid.AddDevice(&bridge);
    uint8_t fresh = 0;
    ASSERT_TRUE(bench.Usb.UsbOpen(bench.Stnd.Usb, fresh));
    EXPECT_EQ(bench.Usb.TransportKind, TransportKindValue::Hid);
    // Each report is the driver's request, padded with zeros to 64 bytes.
    std::vector<Expected> frames = {{{0xF9, 0x02, 0, 0}, 64},       {{0xF9, 0x01, 1, 0}, 64},
                                    {{0xF9, 0x04, 1, 0}, 64},       {{0xF9, 0x06, 2, 0}, 64},
                                    {{0xC5, 0xFF, 0x01, 0x00}, 64}, {{0xC5, 0xFF, 0x00, 0x00}, 64}};
    for (Expected& frame : frames) frame.Bytes.resize(64);
    ExpectFrames(bridge.Log(), frames);
    for (size_t p = 0; p < 4; ++p) EXPECT_EQ(bench.Stnd.Usb.Pipes[p].MaximumPacketSize, 64);
    EXPECT_EQ(hid.OpenHandleCount(), 1u) << "the other HID device is closed again";
}

} // namespace
} // namespace qn::test
