// Every request of the bridge protocol, byte for byte, with the lengths handed to the transport.
#include "SimLinkFixture.h"

#include <functional>

namespace qn::test {
namespace {

constexpr int kAny = -1; // a byte the protocol leaves as it was (bytes 5 and 6 of a QN740x write)

struct Expected {
    std::vector<int> Bytes; // its size is the write length
    size_t ReadLength;
};

struct FrameCase {
    const char* Name;
    uint16_t Kind;
    const char* Product;
    bool Optocoupler;
    std::function<void(Bench&)> Act;
    std::vector<Expected> Frames;
};

// CTest lists each case by its name rather than as a dump of its bytes.
void PrintTo(const FrameCase& c, std::ostream* out) {
    *out << c.Name;
}

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

std::vector<int> Dont(size_t n) {
    return std::vector<int>(n, kAny);
}
// Bytes the protocol leaves open go out as zeros.
std::vector<int> Zeros(size_t n) {
    return std::vector<int>(n, 0);
}
std::vector<int> Cat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const FrameCase kCases[] = {
    {"Qn740xRead",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) { b.Chip.ReadChip(3, 2); },
     {{Cat({0xC4, 0x01, 0xA0, 0x03, 0x02}, Zeros(2)), 64}}},
    {"Qn740xWriteRegister3",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) { b.Chip.WriteRegister(3, 0x5A); },
     {{Cat({0xC4, 0x00, 0xA0, 0x03, 0x01}, Cat(Dont(2), {0x5A})), 64},
      {Cat({0xC4, 0x01, 0xA0, 0x03, 0x01}, Zeros(1)), 64}}},
    {"Qn740xWriteTakesShadowAndZeroPastIt",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) {
         b.Chip.ChipShadow = {1, 2, 3, 4, 5};
         b.Chip.WriteChip(3, 3);
     },
     {{Cat({0xC4, 0x00, 0xA0, 0x03, 0x03}, Cat(Dont(2), {0x04, 0x05, 0x00})), 64}}},
    {"SpecialReadHighAddressBits",
     kLinkSpecial,
     "QN7401",
     true,
     [](Bench& b) { b.Chip.ReadChip(0x123, 2); },
     {{{0xBE, 0x84, 0x23, 0x02, 0x02}, 2}}},
    {"SpecialReadWithoutOptocoupler",
     kLinkSpecial,
     "QN7401",
     false,
     [](Bench& b) { b.Chip.ReadChip(0x1FC5, 1); },
     {{{0xBA, 0xFC, 0xC5, 0x01, 0x01}, 1}}},
    {"SpecialRead52K12",
     kLinkSpecial,
     "52K12",
     true,
     [](Bench& b) { b.Chip.ReadChip(0x123, 1); },
     {{{0xBE, 0xC0, 0x23, 0x01, 0x01}, 1}}},
    {"SpecialWrite",
     kLinkSpecial,
     "QN7401",
     true,
     [](Bench& b) {
         b.Usb.UsbIoBuffer[5] = 0x11;
         b.Usb.UsbIoBuffer[6] = 0x22;
         b.Chip.WriteChip(0x123, 2);
     },
     {{{0xBE, 0x04, 0x23, 0x02, 0x02, 0x11, 0x22}, 1}}},
    {"SpecialWrite52K21",
     kLinkSpecial,
     "52K21",
     true,
     [](Bench& b) {
         b.Usb.UsbIoBuffer[5] = 0x33;
         b.Chip.WriteChip(0x2A0, 1);
     },
     {{{0xBE, 0x40, 0xA0, 0x01, 0x01, 0x33}, 1}}},
    {"FetchAdcSamples",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) { b.Chip.FetchAdcSamples(); },
     {{{0xC4, 0x04}, 64}}},
    {"ReadAdcResult",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) { b.Chip.ReadAdcResult(); },
     {{Cat({0xC4, 0x01, 0xA0, 0x05, 0x03}, Zeros(1)), 64}}},
    {"ReadTempResult",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) { b.Chip.ReadTempResult(); },
     {{Cat({0xC4, 0x01, 0xA0, 0x06, 0x02}, Zeros(1)), 64}}},
    {"StartAdcStreamThenEnablesInterrupts",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) {
         b.Chip.ChipShadow = {0, 0, 0x21, 0x42, 0};
         b.Chip.SetReg(2, 0x01);
         b.Chip.StartAdcStream(3);
     },
     {{{0xC4, 0x02, 0x03, 0x21, 0x42}, 64},
      {Cat({0xC4, 0x00, 0xA0, 0x02, 0x01}, Cat(Dont(2), {0x15})), 64}}},
    {"StopAdcStream",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) { b.Chip.StopAdcStream(); },
     {{Cat({0xC4, 0x03, 0x01}, Zeros(3)), 64}}},
    {"StartTempConversion",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) {
         b.Chip.SetReg(3, 0x80);
         b.Chip.StartTempConversion();
     },
     {{Cat({0xC4, 0x00, 0xA0, 0x03, 0x01}, Cat(Dont(2), {0x81})), 64}}},
    {"ReadBridgeLines",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) {
         uint8_t l1, l2, l3;
         b.Chip.ReadBridgeLines(b.Stnd.Usb, l1, l2, l3);
     },
     {{Cat({0xB5, 0x07}, Zeros(1)), 4}}},
    {"ReadBridgeVersion",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) {
         std::string v;
         b.Chip.ReadBridgeVersion(b.Stnd.Usb, v);
     },
     {{{0xF9, 0x05, 0, 0, 0, 0, 0, 0}, 8}}},
    {"Identify",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) { b.Usb.UsbIdentify(b.Stnd.Usb); },
     {{{0xF9, 0xAC}, 8}}},
    {"BridgeControl",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) {
         uint16_t v = 0x1234;
         b.Usb.UsbBridgeControl(b.Stnd.Usb, 6, v);
     },
     {{{0xF9, 0x06, 0x34, 0x12}, 8}}},
    {"ReleaseSendsSub1AllOnes",
     kLinkQn740x,
     "QN7401",
     true,
     [](Bench& b) { b.Centre.ReleaseUsb(); },
     {{{0xF9, 0x01, 0xFF, 0xFF}, 8}}},
};

class LinkFrames : public SimLinkFixture, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(LinkFrames, RequestBytesAndLengths) {
    const FrameCase& c = GetParam();
    FixedChipInfo product{c.Product, 2, 3};
    bench.Chip.SetChip(&product);
    bench.Chip.Options.Optocoupler = c.Optocoupler;
    ConnectDriverBridge(c.Kind);
    c.Act(bench);
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
    ExpectFrames(bridge.Log(), {{Cat({0xF9, 0x02, 0, 0}, Zeros(60)), 64},
                                {Cat({0xF9, 0x01, 1, 0}, Zeros(60)), 64},
                                {Cat({0xF9, 0x04, 1, 0}, Zeros(60)), 64},
                                {Cat({0xF9, 0x06, 2, 0}, Zeros(60)), 64},
                                {Cat({0xC5, 0xFF, 0x01, 0x00}, Zeros(60)), 64},
                                {Cat({0xC5, 0xFF, 0x00, 0x00}, Zeros(60)), 64}});
    for (size_t p = 0; p < 4; ++p) EXPECT_EQ(bench.Stnd.Usb.Pipes[p].MaximumPacketSize, 64);
    EXPECT_EQ(hid.OpenHandleCount(), 1u) << "the other HID device is closed again";
}

} // namespace
} // namespace qn::test
