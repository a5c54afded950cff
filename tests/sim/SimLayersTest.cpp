// Tests of what the link's own traffic never reaches: the bridge's high "Special" addresses and
// the simulated host layers' refusals; and the bus trace the simulated bench writes.
#include "SimTestHelpers.h"
#include "link/LinkFrames.h"
#include "sim/SimDriverLayer.h"
#include "sim/SimHidLayer.h"
#include "sim/SimLog.h"
#include "sim/SimSerialLine.h"
#include "sim/SimWorld.h"

#include <array>
#include <sstream>
#include <tuple>

namespace qn::test {
namespace {

// The link's "Special" frames reach the address they name, through the plain selector too; past
// the register file writes are dropped and reads answer zeros.
TEST(SimBridge, SpecialFramesReachTheAddressInTheirSelector) {
    SimClock clock;
    SimBridge bridge{clock};
    const Bytes data = {0x11, 0x22};
    for (const uint16_t address : std::array<uint16_t, 5>{0x021, 0x110, 0x3FD, 0x400, 0x1FFF}) {
        const SpecialFrameOptions options{.ShortAddress = address < 0x100};
        bridge.Registers.fill(0);
        ASSERT_FALSE(Exchange(bridge, SpecialWriteFrame(options, address, data).Bytes).empty());
        const bool inside = address < kSimRegisterCount;
        SimRegisterFile expected{};
        if (inside) std::copy(data.begin(), data.end(), expected.begin() + address);
        EXPECT_EQ(bridge.Registers, expected) << address;
        const Bytes answer = Exchange(bridge, SpecialReadFrame(options, address, 2).Bytes);
        EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 2), inside ? data : Bytes(2)) << address;
    }
}

TEST(SimDriverLayer, BulkTransfersNeedAPipeOfTheirDirection) {
    // The endpoints of pipes 0 and 1, the request, its pipe, and whether it goes through.
    const std::tuple<std::array<uint8_t, 2>, uint32_t, uint8_t, bool> cases[] = {
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
    for (const auto& [endpoints, code, pipeNumber, works] : cases) {
        driver.Device(0).Endpoints = endpoints;
        const uint8_t pipe[4] = {pipeNumber, 0, 0, 0};
        uint8_t buffer[8] = {0xF9, 0xAC};
        uint32_t returned = 0;
        EXPECT_EQ(driver.DeviceIoControl(handle, code, pipe, 4, buffer, 8, returned), works)
            << (code == kIoctlBulkRead) << int{pipeNumber};
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
        EXPECT_EQ(std::pair(errors, waiting), std::pair(expected, size_t{2}));
        line.DiscardInput();
    }
    line.Close();
    EXPECT_TRUE(other.Open("COM16")) << "free again";
}

// HID reports and instrument lines go to the bus trace as the real transports write them, so a
// rehearsal on the simulated bench reads like a real bench's trace. (The bulk transfers' lines
// are those the guide shows for a simulated capture.)
TEST(SimWorld, TracesHidReportsAndInstrumentLines) {
    SimClock clock;
    SimWorld world{clock};
    BusTrace trace;
    std::ostringstream out;
    trace.Enable(out);
    world.TraceTo(trace);
    world.Hid.AddDevice(&world.Bridge);
    uint8_t found = 0;
    const HidHandle handle = world.Hid.Hid_GetDeviceH(found, 0);
    Bytes report(65, 0);
    std::copy(kStart.begin(), kStart.end(), report.begin() + 1);
    world.Hid.WriteReport(handle, report.data(), report.size());
    world.Hid.ReadReport(handle, report.data(), report.size());
    world.Hid.Close(handle);
    {
        const auto line = world.SerialPorts.MakeLine();
        line->Open("COM2");
        line->Write(reinterpret_cast<const uint8_t*>("*IDN?\r\n"), 7);
        line->Read(report.data(), report.size());
    }
    for (const char* expected :
         {" --- hid sim-0: opened\n", " OUT hid sim-0 65 | 00 C4 02 01 00 00 00",
          " IN  hid sim-0 65 | 00 ", " --- hid sim-0: closed\n", " --- COM2 sim: opened\n",
          " OUT COM2 sim 7 | 2A 49 44 4E 3F 0D 0A | *IDN?..\n", " IN  COM2 sim ",
          " --- COM2 sim: closed\n"})
        EXPECT_NE(out.str().find(expected), std::string::npos) << expected << "\n" << out.str();
}

// A rehearsal of a long run keeps the devices' logs bounded, and the newest entries whole.
TEST(SimLog, KeepsTheNewestEntriesWithinABound) {
    std::vector<size_t> log;
    const size_t appended = 5 * kSimLogKept + 3;
    for (size_t i = 0; i < appended; ++i) AppendToLog(log, i);
    EXPECT_GE(log.size(), kSimLogKept);
    EXPECT_LE(log.size(), 2 * kSimLogKept);
    EXPECT_EQ(log.back(), appended - 1);
    EXPECT_EQ(log.front() + log.size(), appended) << "no entry lost in between";
}

} // namespace
} // namespace qn::test
