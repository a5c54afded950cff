// The hidapi layer against emulated hidraw bridges answered by the simulated bridge.
#include "platform/HidapiLayer.h"
#include "sim/SimBridge.h"
#include "sim/SimClock.h"
#include "sim/emulated/EmulatedHidBridge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace qn {
namespace {

using emulated::EmulatedHidBridge;

class HidapiLayerTest : public ::testing::Test {
  protected:
    HidHandle OpenFirst() {
        uint8_t found = 0;
        const HidHandle handle = hid.Hid_GetDeviceH(found, 0);
        EXPECT_EQ(found, 1);
        return handle;
    }
    // Identity request in a report of `size` bytes; true when the answer names the bridge.
    bool Identify(HidHandle handle, size_t size = 65) {
        std::vector<uint8_t> report(size, 0);
        report[1] = 0xF9;
        report[2] = 0xAC;
        if (!hid.WriteReport(handle, report.data(), size)) return false;
        report.assign(size, 0xEE);
        return hid.ReadReport(handle, report.data(), size) && report[0] == 0 &&
               std::string(report.begin() + 1, report.begin() + 9) == "Brenmoss";
    }

    SimClock clock;
    SimBridge sim{clock};
    BusTrace trace;
    HidapiLayer hid{trace};
};

// The lengths come from the report descriptor read off the node, not from an assumed 65.
TEST_F(HidapiLayerTest, ReportLengthsFollowTheReportDescriptor) {
    for (const size_t payload : {size_t{32}, size_t{64}, size_t{16}}) {
        SCOPED_TRACE("payload " + std::to_string(payload));
        EmulatedHidBridge bridge(sim, emulated::kHidBridgeRelease, emulated::kHidBridgeProduct,
                                 payload);
        const HidHandle handle = OpenFirst();
        uint16_t input = 0, output = 0;
        HidAttributes attributes;
        ASSERT_TRUE(hid.Hid_Get_att(handle, input, output, attributes));
        EXPECT_EQ(input, payload + 1);
        EXPECT_EQ(output, payload + 1);
        EXPECT_TRUE(Identify(handle, payload + 1));
        hid.Close(handle);
        EXPECT_FALSE(Identify(handle, payload + 1)) << "closed handle";
    }
}

TEST_F(HidapiLayerTest, SilentBridgeFailsTheReadAfterTheTimeOut) {
    EmulatedHidBridge bridge(sim);
    const HidHandle handle = OpenFirst();
    const auto silent = [&](bool on) {
        const auto hold = bridge.Lock();
        sim.Faults.Silent = on;
    };
    silent(true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Identify(handle));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(kHidReadTimeoutMs - 50));
    EXPECT_LT(waited, std::chrono::milliseconds(kHidReadTimeoutMs * 3));
    silent(false);
    EXPECT_TRUE(Identify(handle)) << "the bridge answers again once it speaks";
}

} // namespace
} // namespace qn
