// Tests of the simulated bridge driver: device names, descriptor and pipe replies, bulk pipes.
#include "sim/SimDriverLayer.h"
#include "SimTestBytes.h"
#include "link/LinkRecords.h"
#include "sim/SimClock.h"

#include <gtest/gtest.h>

namespace qn::test {
namespace {

class SimDriverLayerTest : public ::testing::Test {
  protected:
    SimDriverLayerTest() { driver.AddDevice(bridge, 0x0547, 0x100A); }

    SimClock clock;
    SimBridge bridge{clock};
    SimDriverLayer driver;
    uint32_t returned = 0;
};

TEST_F(SimDriverLayerTest, OpensOnlyPublishedPluggedDevices) {
    const std::pair<const char*, bool> names[] = {
        {"\\\\.\\Qnusb-0", true}, {"\\\\.\\Qnusb-1", false}, {"Qnusb-0", false}, {"", false}};
    for (const auto& [name, opens] : names) {
        const DriverHandle handle = driver.CreateFile(name);
        EXPECT_EQ(handle > 0, opens) << name;
        if (!opens) {
            EXPECT_EQ(handle, kInvalidDriver) << name;
        }
    }
    EXPECT_EQ(driver.GetLastError(), kSimErrorFileNotFound);
    bridge.Faults.CablePulled = true;
    EXPECT_EQ(driver.CreateFile("\\\\.\\Qnusb-0"), kInvalidDriver);
}

TEST_F(SimDriverLayerTest, DescriptorBlockStartsWithTheDeviceDescriptor) {
    driver.Device(0).Release = 0x0203;
    const DriverHandle handle = driver.CreateFile("\\\\.\\Qnusb-0");
    Bytes block(kDescriptorBlockSize, 0xEE);
    ASSERT_TRUE(driver.DeviceIoControl(handle, kIoctlGetDescriptor, block.data(), block.size(),
                                       block.data(), block.size(), returned));
    EXPECT_EQ(returned, kDescriptorBlockSize);
    const Bytes head = {18, 1, 0x10, 0x01, 0xFF, 0, 0, 64, 0x47, 0x05, 0x0A, 0x10, 0x03, 0x02};
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 14), head);
    EXPECT_EQ(block[17], 1) << "one configuration";
    EXPECT_EQ(Bytes(block.begin() + 18, block.end()), Bytes(kDescriptorBlockSize - 18, 0));
    EXPECT_FALSE(driver.DeviceIoControl(handle, kIoctlGetDescriptor, nullptr, 0, block.data(), 100,
                                        returned));
}

TEST_F(SimDriverLayerTest, InterfaceInfoListsTwoBulkPipes) {
    driver.Device(0).Endpoints = {0x02, 0x82};
    const DriverHandle handle = driver.CreateFile("\\\\.\\Qnusb-0");
    Bytes info(kInterfaceInfoSize, 0xEE);
    ASSERT_TRUE(driver.DeviceIoControl(handle, kIoctlGetInterfaceInfo, nullptr, 0, info.data(),
                                       info.size(), returned));
    EXPECT_EQ(returned, kInterfaceInfoSize);
    EXPECT_EQ(Bytes(info.begin(), info.begin() + 8), Bytes({0x64, 0x01, 0, 0, 0xFF, 0, 0, 0}));
    EXPECT_EQ(Bytes(info.begin() + 12, info.begin() + 16), Bytes({2, 0, 0, 0}));
    const uint8_t endpoints[] = {0x02, 0x82};
    for (size_t pipe = 0; pipe < kPipeCount; ++pipe) {
        const PipeRecord r = PipeRecord::FromBytes(info.data() + 16 + 20 * pipe);
        const bool used = pipe < 2;
        EXPECT_EQ(r.EndpointAddress, used ? endpoints[pipe] : 0) << pipe;
        EXPECT_EQ(r.PipeType, used ? 2u : 0u) << pipe;
        EXPECT_EQ(r.MaximumPacketSize, used ? 64u : 0u) << pipe;
    }
}

struct BulkCase {
    const char* Name;
    std::array<uint8_t, 2> Endpoints;
    uint32_t Code;
    uint8_t Pipe;
    bool Works;
};

TEST_F(SimDriverLayerTest, BulkTransfersNeedAPipeOfTheirDirection) {
    const BulkCase cases[] = {
        {"write pipe 1", {0x82, 0x02}, kIoctlBulkWrite, 1, true},
        {"write pipe 0", {0x82, 0x02}, kIoctlBulkWrite, 0, false},
        {"read pipe 0", {0x82, 0x02}, kIoctlBulkRead, 0, true},
        {"read pipe 1", {0x82, 0x02}, kIoctlBulkRead, 1, false},
        {"swapped write", {0x02, 0x82}, kIoctlBulkWrite, 0, true},
        {"swapped read", {0x02, 0x82}, kIoctlBulkRead, 1, true},
        {"no pipe 2", {0x82, 0x02}, kIoctlBulkRead, 2, false},
    };
    const DriverHandle handle = driver.CreateFile("\\\\.\\Qnusb-0");
    for (const BulkCase& c : cases) {
        driver.Device(0).Endpoints = c.Endpoints;
        bridge.ClearLog();
        const uint8_t identity[] = {0xF9, 0xAC};
        bridge.Receive(identity, sizeof identity);
        Bytes buffer = {0xF9, 0x02, 0x00, 0x00, 0xEE, 0xEE, 0xEE, 0xEE};
        const uint8_t pipe[4] = {c.Pipe, 0, 0, 0};
        EXPECT_EQ(
            driver.DeviceIoControl(handle, c.Code, pipe, 4, buffer.data(), buffer.size(), returned),
            c.Works)
            << c.Name;
        if (!c.Works) continue;
        EXPECT_EQ(returned, buffer.size()) << c.Name;
        const Bytes expected = c.Code == kIoctlBulkRead ? Ascii("Brenmoss") : buffer;
        EXPECT_EQ(c.Code == kIoctlBulkRead ? buffer : bridge.Log().back().Request, expected)
            << c.Name;
    }
}

TEST_F(SimDriverLayerTest, FailsOnClosedHandlesAndPulledCablesAndLogsEveryCall) {
    const DriverHandle handle = driver.CreateFile("\\\\.\\Qnusb-0");
    uint8_t out[kInterfaceInfoSize] = {};
    bridge.Faults.CablePulled = true;
    EXPECT_FALSE(driver.DeviceIoControl(handle, kIoctlGetInterfaceInfo, nullptr, 0, out, sizeof out,
                                        returned));
    EXPECT_EQ(driver.GetLastError(), kSimErrorDeviceGone);
    bridge.Faults.CablePulled = false;
    driver.CloseHandle(handle);
    EXPECT_EQ(driver.OpenHandleCount(), 0u);
    EXPECT_FALSE(driver.DeviceIoControl(handle, kIoctlGetInterfaceInfo, nullptr, 0, out, sizeof out,
                                        returned));
    EXPECT_EQ(driver.GetLastError(), kSimErrorInvalidHandle);
    ASSERT_EQ(driver.Calls().size(), 2u);
    EXPECT_EQ(driver.Calls()[1].Code, kIoctlGetInterfaceInfo);
    EXPECT_EQ(driver.Calls()[1].InLength, 0u);
    EXPECT_EQ(driver.Calls()[1].OutLength, kInterfaceInfoSize);
}

} // namespace
} // namespace qn::test
