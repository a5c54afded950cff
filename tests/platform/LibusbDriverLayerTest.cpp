// The libusb driver layer against emulated bulk bridges answered by the simulated bridge.
#include "platform/LibusbDriverLayer.h"
#include "sim/SimBridge.h"
#include "sim/SimClock.h"
#include "sim/emulated/EmulatedBulkBridge.h"
#include "sim/emulated/EmulatedHidBridge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

namespace qn {
namespace {

using emulated::EmulatedBulkBridge;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kPipeIn[4] = {0, 0, 0, 0};
constexpr uint8_t kPipeOut[4] = {1, 0, 0, 0};

class LibusbDriverLayerTest : public ::testing::Test {
  protected:
    DriverHandle OpenFirst() {
        const DriverHandle handle = driver.CreateFile(DriverDeviceName(0));
        EXPECT_NE(handle, kInvalidDriver);
        return handle;
    }
    // The bytes a request returned; empty when it failed.
    Bytes Call(DriverHandle handle, uint32_t code, const uint8_t* pipe, Bytes data) {
        uint32_t returned = 0;
        if (!driver.DeviceIoControl(handle, code, pipe, pipe ? 4 : 0, data.data(), data.size(),
                                    returned))
            return {};
        data.resize(returned);
        return data;
    }
    // Product id of driver device `index`; 0 when it cannot be opened.
    uint16_t ProductAt(int index) {
        const DriverHandle handle = driver.CreateFile(DriverDeviceName(index));
        if (handle == kInvalidDriver) return 0;
        const Bytes block = Call(handle, kIoctlGetDescriptor, nullptr, Bytes(kDescriptorBlockSize));
        driver.CloseHandle(handle);
        EXPECT_EQ(block.at(8) | (block.at(9) << 8), kDriverVendorId);
        return static_cast<uint16_t>(block.at(10) | (block.at(11) << 8));
    }

    SimClock clock;
    SimBridge sim{clock};
    BusTrace trace;
    LibusbDriverLayer driver{trace};
};

TEST_F(LibusbDriverLayerTest, OnlyVendorDevicesAreNumberedInBusOrder) {
    SimBridge otherSim{clock};
    auto first = std::make_unique<EmulatedBulkBridge>(sim); // port 1
    emulated::EmulatedHidBridge hidBridge(sim);             // port 2, vendor 04D8
    EmulatedBulkBridge second(otherSim, 0x1005);            // port 3
    EXPECT_EQ(ProductAt(0), 0x1004);
    EXPECT_EQ(ProductAt(1), 0x1005);
    EXPECT_EQ(ProductAt(2), 0);
    EXPECT_EQ(driver.GetLastError(), kDriverErrorFileNotFound);
    first.reset();
    EXPECT_EQ(ProductAt(0), 0x1005) << "the remaining bridge moves up";
    EmulatedBulkBridge third(sim, 0x100A); // plugged in last, into port 1
    EXPECT_EQ(ProductAt(0), 0x100A);
    EXPECT_EQ(ProductAt(1), 0x1005);
    EXPECT_EQ(driver.OpenCount(), 0u);
}

// A silent bridge's read ends at the time-out; a read still waiting when the cable is pulled
// ends at once.
TEST_F(LibusbDriverLayerTest, WaitingReadsEndAtTheTimeOutOrAtUnplug) {
    EmulatedBulkBridge bridge(sim);
    const DriverHandle handle = OpenFirst();
    {
        auto hold = bridge.Lock();
        sim.Faults.Silent = true;
    }
    ASSERT_EQ(Call(handle, kIoctlBulkWrite, kPipeOut, {0xF9, 0xAC}).size(), 2u);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Call(handle, kIoctlBulkRead, kPipeIn, Bytes(8)).empty());
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(driver.GetLastError(), kDriverErrorTimeout);
    EXPECT_GE(waited, std::chrono::milliseconds(kBulkTimeoutMs - 50));
    EXPECT_LT(waited, std::chrono::milliseconds(kBulkTimeoutMs * 3));
    start = std::chrono::steady_clock::now();
    auto reading = std::async(std::launch::async,
                              [&] { return Call(handle, kIoctlBulkRead, kPipeIn, Bytes(8)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    bridge.Unplug();
    EXPECT_TRUE(reading.get().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kBulkTimeoutMs));
    EXPECT_EQ(driver.GetLastError(), kDriverErrorDeviceGone);
}

// Requests the link never makes are refused before they reach the bridge.
TEST_F(LibusbDriverLayerTest, BadRequestsAreRefusedWithTheirErrors) {
    EmulatedBulkBridge bridge(sim);
    const DriverHandle handle = OpenFirst();
    const uint8_t pipe5[4] = {5, 0, 0, 0};
    uint8_t buffer[kDescriptorBlockSize] = {};
    // Handle, request, pipe, answer buffer length, and the error.
    const std::tuple<DriverHandle, uint32_t, const uint8_t*, size_t, uint32_t> cases[] = {
        {handle + 100, kIoctlGetDescriptor, nullptr, 148, kDriverErrorInvalidHandle},
        {handle, kIoctlBulkRead, kPipeOut, 8, kDriverErrorBadParameter},
        {handle, kIoctlBulkRead, pipe5, 8, kDriverErrorBadParameter},
        {handle, kIoctlGetDescriptor, nullptr, 10, kDriverErrorBufferTooSmall},
        {handle, 0x222008, nullptr, 8, kDriverErrorNotSupported},
    };
    for (const auto& [on, code, pipe, length, error] : cases) {
        uint32_t returned = 99;
        EXPECT_FALSE(
            driver.DeviceIoControl(on, code, pipe, pipe ? 4 : 0, buffer, length, returned));
        EXPECT_EQ(driver.GetLastError(), error) << std::hex << code;
        EXPECT_EQ(returned, 0u);
    }
    EXPECT_EQ(bridge.TransfersSeen(), 0);
    // Names that a loose reading would take for device 0.
    for (const char* name : {"", "Qnusb-0", "\\\\.\\qnusb-0", "\\\\.\\Qnusb-00", "\\\\.\\Qnusb--0",
                             "\\\\.\\Qnusb-0 "}) {
        EXPECT_EQ(driver.CreateFile(name), kInvalidDriver) << name;
        EXPECT_EQ(driver.GetLastError(), kDriverErrorFileNotFound) << name;
    }
}

} // namespace
} // namespace qn
