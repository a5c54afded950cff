// The libusb driver layer against emulated bulk bridges answered by the simulated bridge.
#include "platform/LibusbDriverLayer.h"
#include "sim/SimBridge.h"
#include "sim/SimClock.h"
#include "sim/emulated/EmulatedBulkBridge.h"
#include "sim/emulated/EmulatedHidBridge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <sstream>
#include <vector>

namespace qn {
namespace {

using emulated::EmulatedBulkBridge;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kPipeIn[4] = {0, 0, 0, 0};
constexpr uint8_t kPipeOut[4] = {1, 0, 0, 0};

class LibusbDriverLayerTest : public ::testing::Test {
  protected:
    LibusbDriverLayerTest() { trace.Enable(traceText); }

    DriverHandle Open(int index) {
        const DriverHandle handle = driver.CreateFile(DriverDeviceName(index));
        EXPECT_NE(handle, kInvalidDriver) << "Qnusb-" << index;
        EXPECT_NE(handle, 0);
        return handle;
    }

    bool Write(DriverHandle handle, Bytes data) {
        uint32_t returned = 0;
        const bool ok = driver.DeviceIoControl(handle, kIoctlBulkWrite, kPipeOut, 4, data.data(),
                                               data.size(), returned);
        return ok && returned == data.size();
    }

    // Empty when the read failed.
    Bytes Read(DriverHandle handle, size_t length) {
        Bytes data(length, 0xEE);
        uint32_t returned = 0;
        if (!driver.DeviceIoControl(handle, kIoctlBulkRead, kPipeIn, 4, data.data(), length,
                                    returned))
            return {};
        data.resize(returned);
        return data;
    }

    Bytes Descriptor(DriverHandle handle) {
        Bytes block(kDescriptorBlockSize, 0xEE);
        uint32_t returned = 0;
        if (!driver.DeviceIoControl(handle, kIoctlGetDescriptor, nullptr, 0, block.data(),
                                    block.size(), returned))
            return {};
        block.resize(returned);
        return block;
    }

    bool Identify(DriverHandle handle) {
        return Write(handle, {0xF9, 0xAC}) &&
               Read(handle, 8) == Bytes({'B', 'r', 'e', 'n', 'm', 'o', 's', 's'});
    }

    SimClock clock;
    SimBridge sim{clock};
    std::ostringstream traceText;
    BusTrace trace;
    LibusbDriverLayer driver{trace};
};

TEST_F(LibusbDriverLayerTest, DescriptorBlockAndPipesOfTheFirstBridge) {
    EmulatedBulkBridge bridge(sim);
    ASSERT_TRUE(driver.Ready());
    const DriverHandle handle = Open(0);
    const Bytes expected = {0x12, 0x01, 0x00, 0x02, 0xFF, 0x00, 0x00, 0x40, 0x47,
                            0x05, 0x04, 0x10, 0x01, 0x00, 0x01, 0x02, 0x00, 0x01};
    Bytes block = Descriptor(handle);
    ASSERT_EQ(block.size(), kDescriptorBlockSize);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 18), expected);
    EXPECT_EQ(std::count(block.begin() + 18, block.end(), 0), 130);

    Bytes info(kInterfaceInfoSize, 0xEE);
    uint32_t returned = 0;
    ASSERT_TRUE(driver.DeviceIoControl(handle, kIoctlGetInterfaceInfo, nullptr, 0, info.data(),
                                       info.size(), returned));
    EXPECT_EQ(returned, kInterfaceInfoSize);
    EXPECT_EQ(info[12], 2) << "pipe count";
    const auto in = PipeRecord::FromBytes(info.data() + 16);
    const auto out = PipeRecord::FromBytes(info.data() + 36);
    EXPECT_EQ(in.EndpointAddress, 0x81);
    EXPECT_EQ(out.EndpointAddress, 0x01);
    for (const auto& pipe : {in, out}) {
        EXPECT_EQ(pipe.PipeType, 2u);
        EXPECT_EQ(pipe.MaximumPacketSize, 64);
        EXPECT_NE(pipe.PipeHandle, 0u);
    }
    EXPECT_EQ(PipeRecord::FromBytes(info.data() + 56).EndpointAddress, 0);
}

TEST_F(LibusbDriverLayerTest, WriteThenReadRoundTrip) {
    EmulatedBulkBridge bridge(sim);
    const DriverHandle handle = Open(0);
    ASSERT_TRUE(Identify(handle));
    ASSERT_TRUE(Write(handle, {0xF9, 0x02, 0x00, 0x00}));
    Bytes presence = Read(handle, 64);
    ASSERT_EQ(presence.size(), 64u);
    EXPECT_EQ(presence[0], 0xFF);
    EXPECT_EQ(presence[1], 0xFF);
    EXPECT_EQ(bridge.TransfersSeen(), 2);
    ASSERT_EQ(sim.Log().size(), 2u);
    EXPECT_EQ(sim.Log()[0].Request, Bytes({0xF9, 0xAC}));
    const std::string text = traceText.str();
    EXPECT_NE(text.find("OUT usb Qnusb-0 ep 01 2 | F9 AC\n"), std::string::npos) << text;
    EXPECT_NE(text.find("IN  usb Qnusb-0 ep 81 8 | 42 72 65 6E 6D 6F 73 73\n"), std::string::npos)
        << text;
}

TEST_F(LibusbDriverLayerTest, SilentBridgeTimesOut) {
    EmulatedBulkBridge bridge(sim);
    const DriverHandle handle = Open(0);
    {
        auto hold = bridge.Lock();
        sim.Faults.Silent = true;
    }
    ASSERT_TRUE(Write(handle, {0xF9, 0xAC}));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Read(handle, 8).empty());
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    EXPECT_EQ(driver.GetLastError(), kDriverErrorTimeout);
    EXPECT_GE(waited.count(), static_cast<long>(kBulkTimeoutMs) - 50);
    EXPECT_LT(waited.count(), static_cast<long>(kBulkTimeoutMs) * 3);
    {
        auto hold = bridge.Lock();
        sim.Faults.Silent = false;
    }
    EXPECT_TRUE(Identify(handle));
}

// Product id of driver device `index`; 0 when it cannot be opened.
uint16_t ProductAt(LibusbDriverLayer& driver, int index) {
    const DriverHandle handle = driver.CreateFile(DriverDeviceName(index));
    if (handle == kInvalidDriver) return 0;
    uint8_t block[kDescriptorBlockSize] = {};
    uint32_t returned = 0;
    driver.DeviceIoControl(handle, kIoctlGetDescriptor, nullptr, 0, block, sizeof block, returned);
    driver.CloseHandle(handle);
    EXPECT_EQ(block[8] | (block[9] << 8), kDriverVendorId);
    return static_cast<uint16_t>(block[10] | (block[11] << 8));
}

TEST_F(LibusbDriverLayerTest, OnlyVendorDevicesAreNumberedInBusOrder) {
    SimBridge otherSim{clock};
    auto first = std::make_unique<EmulatedBulkBridge>(sim); // port 1
    emulated::EmulatedHidBridge hidBridge(sim);             // port 2, vendor 04D8
    EmulatedBulkBridge second(otherSim, 0x1005);            // port 3
    EXPECT_EQ(ProductAt(driver, 0), 0x1004);
    EXPECT_EQ(ProductAt(driver, 1), 0x1005);
    EXPECT_EQ(ProductAt(driver, 2), 0);
    EXPECT_EQ(driver.GetLastError(), kDriverErrorFileNotFound);
    first.reset();
    EXPECT_EQ(ProductAt(driver, 0), 0x1005) << "the remaining bridge moves up";
    EmulatedBulkBridge third(sim, 0x100A); // plugged in last, into port 1
    EXPECT_EQ(ProductAt(driver, 0), 0x100A);
    EXPECT_EQ(ProductAt(driver, 1), 0x1005);
    EXPECT_EQ(driver.OpenCount(), 0u);
}

TEST_F(LibusbDriverLayerTest, UnpluggedBridgeFailsTransfersAndComesBack) {
    EmulatedBulkBridge bridge(sim);
    const DriverHandle handle = Open(0);
    ASSERT_TRUE(Identify(handle));
    bridge.Unplug();
    EXPECT_FALSE(Write(handle, {0xF9, 0xAC}));
    EXPECT_EQ(driver.GetLastError(), kDriverErrorDeviceGone);
    EXPECT_TRUE(Read(handle, 8).empty());
    EXPECT_EQ(driver.GetLastError(), kDriverErrorDeviceGone);
    driver.CloseHandle(handle);
    EXPECT_EQ(driver.CreateFile(DriverDeviceName(0)), kInvalidDriver);
    EXPECT_EQ(driver.GetLastError(), kDriverErrorFileNotFound);
    bridge.Replug();
    EXPECT_TRUE(Identify(Open(0)));
}

TEST_F(LibusbDriverLayerTest, UnplugDuringAWaitingReadEndsItEarly) {
    EmulatedBulkBridge bridge(sim);
    const DriverHandle handle = Open(0);
    {
        auto hold = bridge.Lock();
        sim.Faults.Silent = true;
    }
    ASSERT_TRUE(Write(handle, {0xF9, 0xAC}));
    const auto start = std::chrono::steady_clock::now();
    auto reading = std::async(std::launch::async, [&] { return Read(handle, 8); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    bridge.Unplug();
    EXPECT_TRUE(reading.get().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kBulkTimeoutMs));
    EXPECT_EQ(driver.GetLastError(), kDriverErrorDeviceGone);
}

TEST_F(LibusbDriverLayerTest, BadRequestsAreRefusedWithTheirErrors) {
    EmulatedBulkBridge bridge(sim);
    const DriverHandle handle = Open(0);
    const uint8_t pipe5[4] = {5, 0, 0, 0};
    uint8_t buffer[kInterfaceInfoSize] = {};
    struct Case {
        const char* name;
        DriverHandle handle;
        uint32_t code;
        const uint8_t* in;
        size_t inLength;
        size_t outLength;
        uint32_t error;
    };
    const Case cases[] = {
        {"closed handle", handle + 100, kIoctlGetDescriptor, nullptr, 0, 148,
         kDriverErrorInvalidHandle},
        {"write to the IN pipe", handle, kIoctlBulkWrite, kPipeIn, 4, 2, kDriverErrorBadParameter},
        {"read from the OUT pipe", handle, kIoctlBulkRead, kPipeOut, 4, 8,
         kDriverErrorBadParameter},
        {"pipe beyond the interface", handle, kIoctlBulkRead, pipe5, 4, 8,
         kDriverErrorBadParameter},
        {"pipe word too short", handle, kIoctlBulkRead, kPipeIn, 2, 8, kDriverErrorBadParameter},
        {"descriptor buffer too small", handle, kIoctlGetDescriptor, nullptr, 0, 10,
         kDriverErrorBufferTooSmall},
        {"interface buffer too small", handle, kIoctlGetInterfaceInfo, nullptr, 0, 8,
         kDriverErrorBufferTooSmall},
        {"unknown request", handle, 0x222008, nullptr, 0, 8, kDriverErrorNotSupported},
    };
    for (const auto& c : cases) {
        uint32_t returned = 99;
        EXPECT_FALSE(driver.DeviceIoControl(c.handle, c.code, c.in, c.inLength, buffer, c.outLength,
                                            returned))
            << c.name;
        EXPECT_EQ(driver.GetLastError(), c.error) << c.name;
        EXPECT_EQ(returned, 0u) << c.name;
    }
    EXPECT_EQ(bridge.TransfersSeen(), 0);
    for (const char* name : {"\\\\.\\Qnusb-32", "COM1", ""}) {
        EXPECT_EQ(driver.CreateFile(name), kInvalidDriver) << name;
        EXPECT_EQ(driver.GetLastError(), kDriverErrorFileNotFound) << name;
    }
}

} // namespace
} // namespace qn
