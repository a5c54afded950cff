// Tests of the simulated bridge driver: device names, descriptor and pipe replies, bulk pipes.
#include "sim/SimDriverLayer.h"
#include "SimTestBytes.h"
#include "link/LinkRecords.h"
#include "sim/SimClock.h"

#include <gtest/gtest.h>

namespace qn::test {
namespace {

const char* const kName0 = "\\\\.\\Qnusb-0";

class SimDriverLayerTest : public ::testing::Test {
  protected:
    SimDriverLayerTest() { driver.AddDevice(bridge, 0x0547, 0x100A); }
    bool Call(uint32_t code, const Bytes& in, Bytes& out) {
        return driver.DeviceIoControl(handle, code, in.data(), in.size(), out.data(), out.size(),
                                      returned);
    }

    SimClock clock;
    SimBridge bridge{clock};
    SimDriverLayer driver;
    DriverHandle handle = 0;
    uint32_t returned = 0;
};

TEST_F(SimDriverLayerTest, OpensOnlyPublishedPluggedDevices) {
    const std::pair<const char*, bool> names[] = {
        {kName0, true}, {"\\\\.\\Qnusb-1", false}, {"Qnusb-0", false}, {"", false}};
    for (const auto& [name, opens] : names) {
        const DriverHandle opened = driver.CreateFile(name);
        EXPECT_TRUE(opens ? opened > 0 : opened == kInvalidDriver) << name;
    }
    EXPECT_EQ(driver.GetLastError(), kDriverErrorFileNotFound);
    bridge.Faults.CablePulled = true;
    EXPECT_EQ(driver.CreateFile(kName0), kInvalidDriver);
}

TEST_F(SimDriverLayerTest, DescriptorBlockStartsWithTheDeviceDescriptor) {
    driver.Device(0).Release = 0x0203;
    handle = driver.CreateFile(kName0);
    Bytes block(kDescriptorBlockSize, 0xEE);
    ASSERT_TRUE(Call(kIoctlGetDescriptor, block, block));
    EXPECT_EQ(returned, kDescriptorBlockSize);
    const Bytes head = {18, 1, 0x10, 0x01, 0xFF, 0, 0, 64, 0x47, 0x05, 0x0A, 0x10, 0x03, 0x02};
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 14), head);
    EXPECT_EQ(block[17], 1) << "one configuration";
    EXPECT_EQ(Bytes(block.begin() + 18, block.end()), Bytes(kDescriptorBlockSize - 18, 0));
    Bytes small(100);
    EXPECT_FALSE(Call(kIoctlGetDescriptor, {}, small));
}

TEST_F(SimDriverLayerTest, InterfaceInfoListsTwoBulkPipes) {
    driver.Device(0).Endpoints = {0x02, 0x81};
    handle = driver.CreateFile(kName0);
    Bytes info(kInterfaceInfoSize, 0xEE);
    ASSERT_TRUE(Call(kIoctlGetInterfaceInfo, {}, info));
    EXPECT_EQ(returned, kInterfaceInfoSize);
    EXPECT_EQ(Bytes(info.begin(), info.begin() + 8), Bytes({16 + 2 * 20, 0, 0, 0, 0xFF, 0, 0, 0}));
    EXPECT_EQ(Bytes(info.begin() + 12, info.begin() + 16), Bytes({2, 0, 0, 0}));
    const uint8_t endpoints[] = {0x02, 0x81};
    for (size_t pipe = 0; pipe < kPipeCount; ++pipe) {
        const PipeRecord r = PipeRecord::FromBytes(info.data() + 16 + 20 * pipe);
        const bool used = pipe < 2;
        EXPECT_EQ(r.EndpointAddress, used ? endpoints[pipe] : 0) << pipe;
        EXPECT_EQ(r.PipeType, used ? 2u : 0u) << pipe;
        EXPECT_EQ(r.MaximumPacketSize, used ? 64u : 0u) << pipe;
    }
}

struct BulkCase {
    std::array<uint8_t, 2> Endpoints;
    uint32_t Code;
    uint8_t Pipe;
    bool Works;
};

TEST_F(SimDriverLayerTest, BulkTransfersNeedAPipeOfTheirDirection) {
    const BulkCase cases[] = {
        {{0x82, 0x02}, kIoctlBulkWrite, 1, true}, {{0x82, 0x02}, kIoctlBulkWrite, 0, false},
        {{0x82, 0x02}, kIoctlBulkRead, 0, true},  {{0x82, 0x02}, kIoctlBulkRead, 1, false},
        {{0x02, 0x82}, kIoctlBulkWrite, 0, true}, {{0x02, 0x82}, kIoctlBulkRead, 1, true},
        {{0x82, 0x02}, kIoctlBulkRead, 2, false},
    };
    handle = driver.CreateFile(kName0);
    for (const BulkCase& c : cases) {
        driver.Device(0).Endpoints = c.Endpoints;
        const uint8_t identity[] = {0xF9, 0xAC};
        bridge.Receive(identity, sizeof identity);
        Bytes buffer = {0xF9, 0x02, 0x00, 0x00, 0xEE, 0xEE, 0xEE, 0xEE};
        const bool read = c.Code == kIoctlBulkRead;
        ASSERT_EQ(Call(c.Code, {c.Pipe, 0, 0, 0}, buffer), c.Works) << read << int{c.Pipe};
        if (!c.Works) continue;
        EXPECT_EQ(returned, buffer.size());
        EXPECT_EQ(read ? buffer : bridge.Log().back().Request, read ? Ascii("Brenmoss") : buffer);
    }
}

TEST_F(SimDriverLayerTest, FailsOnClosedHandlesAndPulledCablesAndLogsEveryCall) {
    handle = driver.CreateFile(kName0);
    Bytes info(kInterfaceInfoSize);
    bridge.Faults.CablePulled = true;
    EXPECT_FALSE(Call(kIoctlGetInterfaceInfo, {}, info));
    EXPECT_EQ(driver.GetLastError(), kDriverErrorDeviceGone);
    bridge.Faults.CablePulled = false;
    driver.CloseHandle(handle);
    EXPECT_EQ(driver.OpenHandleCount(), 0u);
    EXPECT_FALSE(Call(kIoctlGetInterfaceInfo, {}, info));
    EXPECT_EQ(driver.GetLastError(), kDriverErrorInvalidHandle);
    ASSERT_EQ(driver.Calls().size(), 2u);
    EXPECT_EQ(driver.Calls()[1].Code, kIoctlGetInterfaceInfo);
    EXPECT_EQ(driver.Calls()[1].InLength, 0u);
    EXPECT_EQ(driver.Calls()[1].OutLength, kInterfaceInfoSize);
}

} // namespace
} // namespace qn::test
