// Tests of what the link's own traffic never reaches: the bridge's high "Special" addresses and
// the simulated host layers' refusals.
#include "SimTestHelpers.h"
#include "sim/SimDriverLayer.h"
#include "sim/SimHidLayer.h"
#include "sim/SimSerialLine.h"

#include <array>

namespace qn::test {
namespace {

// "Special" frames carry address bits 8..12 in their selector; past the register file writes are
// dropped and reads answer zeros.
TEST(SimBridge, SpecialFramesReachTheAddressInTheirSelector) {
    const struct {
        uint8_t Write, Read, Low;
        size_t Address;
    } cases[] = {
        {0x40, 0xC0, 0x21, 0x021}, {0x04, 0x84, 0x10, 0x110},  {0x0C, 0x8C, 0xFD, 0x3FD},
        {0x10, 0x90, 0x00, 0x400}, {0x7C, 0xFC, 0xFF, 0x1FFF},
    };
    SimClock clock;
    SimBridge bridge{clock};
    for (const auto& c : cases) {
        bridge.Registers.fill(0);
        ASSERT_FALSE(Exchange(bridge, {0xBA, c.Write, c.Low, 2, 2, 0x11, 0x22}).empty());
        const bool inside = c.Address < kSimRegisterCount;
        SimRegisterFile expected{};
        if (inside) {
            expected[c.Address] = 0x11;
            expected[c.Address + 1] = 0x22;
        }
        EXPECT_EQ(bridge.Registers, expected) << c.Address;
        const Bytes answer = Exchange(bridge, {0xBE, c.Read, c.Low, 2, 2});
        const Bytes read = inside ? Bytes{0x11, 0x22} : Bytes(2);
        EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 2), read) << c.Address;
    }
}

TEST(SimDriverLayer, BulkTransfersNeedAPipeOfTheirDirection) {
    const struct {
        std::array<uint8_t, 2> Endpoints;
        uint32_t Code;
        uint8_t Pipe;
        bool Works;
    } cases[] = {
        {{0x82, 0x02}, kIoctlBulkWrite, 0, false}, {{0x82, 0x02}, kIoctlBulkRead, 1, false},
        {{0x82, 0x02}, kIoctlBulkRead, 2, false},  {{0x82, 0x02}, kIoctlBulkWrite, 1, true},
        {{0x82, 0x02}, kIoctlBulkRead, 0, true},   {{0x02, 0x82}, kIoctlBulkWrite, 0, true},
        {{0x02, 0x82}, kIoctlBulkRead, 1, true},
    };
    SimClock clock;
    SimBridge bridge{clock};
    SimDriverLayer driver;
    driver.AddDevice(bridge);
    const DriverHandle handle = driver.CreateFile("\\\\.\\Qnusb-0");
    for (const auto& c : cases) {
        driver.Device(0).Endpoints = c.Endpoints;
        const uint8_t pipe[4] = {c.Pipe, 0, 0, 0};
        uint8_t buffer[8] = {0xF9, 0xAC};
        uint32_t returned = 0;
        EXPECT_EQ(driver.DeviceIoControl(handle, c.Code, pipe, 4, buffer, 8, returned), c.Works)
            << (c.Code == kIoctlBulkRead) << int{c.Pipe};
    }
    EXPECT_EQ(bridge.Log().size(), 2u) << "refused transfers never reach the bridge";
}

TEST(SimHidLayer, TakesOnlyWholeReportsWithIdZeroOnOpenHandles) {
    SimClock clock;
    SimBridge bridge{clock};
    SimHidLayer hid;
    hid.AddDevice(&bridge);
    uint8_t found = 0;
    const HidHandle handle = hid.Hid_GetDeviceH(found, 0);
    Bytes report(65, 0);
    Bytes withId(65, 1);
    EXPECT_FALSE(hid.WriteReport(handle, report.data(), 64)) << "short report";
    EXPECT_FALSE(hid.WriteReport(handle, withId.data(), 65)) << "report ID 1";
    EXPECT_FALSE(hid.ReadReport(handle, report.data(), 64)) << "short read";
    EXPECT_TRUE(bridge.Log().empty());
    hid.Close(handle);
    EXPECT_FALSE(hid.WriteReport(handle, report.data(), 65)) << "closed";
    bridge.Faults.CablePulled = true;
    EXPECT_EQ(hid.Hid_GetDeviceH(found, 0), kInvalidHid) << "not enumerated";
}

TEST(SimSerialLine, PortsOpenOnceAndLineErrorsAreTakenOnce) {
    SimSerialBridge peer;
    SimSerialPortFactory factory;
    factory.Connect("COM16", peer);
    SimSerialLine line{factory};
    SimSerialLine other{factory};
    ASSERT_TRUE(line.Open("COM16"));
    EXPECT_FALSE(other.Open("COM16")) << "busy";
    EXPECT_FALSE(other.Open("COM1")) << "missing";
    peer.Faults.ParityErrorOnNextRead = true;
    for (const uint32_t expected : {kLineErrorParity, 0u}) {
        const Bytes strayThenRead = {0x00, 0xC0, 0x00, 0x00, 0x02};
        for (const uint8_t byte : strayThenRead) line.Write(&byte, 1); // frames come in pieces
        uint32_t errors = 0;
        size_t waiting = 0;
        EXPECT_TRUE(line.QueryStatus(errors, waiting));
        EXPECT_EQ(errors, expected);
        EXPECT_EQ(waiting, 2u);
        line.DiscardInput();
    }
    line.Close();
    EXPECT_TRUE(other.Open("COM16")) << "free again";
}

} // namespace
} // namespace qn::test
