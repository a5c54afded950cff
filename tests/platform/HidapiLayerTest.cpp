// The hidapi layer against emulated hidraw bridges answered by the simulated bridge.
#include "platform/HidapiLayer.h"
#include "sim/SimBridge.h"
#include "sim/SimClock.h"
#include "sim/emulated/EmulatedHidBridge.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace qn {
namespace {

using emulated::EmulatedHidBridge;
using Report = std::array<uint8_t, 65>;

Report IdentityRequest() {
    Report report{};
    report[1] = 0xF9;
    report[2] = 0xAC;
    return report;
}

class HidapiLayerTest : public ::testing::Test {
  protected:
    HidapiLayerTest() { trace.Enable(traceText); }

    // Opens index `index`, expecting a device there.
    HidHandle OpenAt(int index) {
        uint8_t found = 0;
        const HidHandle handle = hid.Hid_GetDeviceH(found, index);
        EXPECT_EQ(found, 1) << "index " << index;
        EXPECT_NE(handle, kInvalidHid);
        EXPECT_NE(handle, 0);
        return handle;
    }

    // Identity request and answer; true when the answer names the bridge.
    bool Identify(HidHandle handle) {
        Report request = IdentityRequest();
        Report answer{};
        answer.fill(0xEE);
        if (!hid.WriteReport(handle, request.data(), request.size())) return false;
        if (!hid.ReadReport(handle, answer.data(), answer.size())) return false;
        return answer[0] == 0 && std::memcmp(answer.data() + 1, "Brenmoss", 8) == 0 &&
               answer[9] == 0;
    }

    SimClock clock;
    SimBridge sim{clock};
    std::ostringstream traceText;
    BusTrace trace;
    HidapiLayer hid{trace};
};

TEST_F(HidapiLayerTest, EachDeviceIsFoundAtItsIndexWithItsAttributes) {
    SimBridge otherSim{clock};
    EmulatedHidBridge bridge(sim);
    EmulatedHidBridge other(otherSim, 0x0800, 0x2009);
    struct Case {
        int index;
        uint16_t product;
        uint16_t release;
    };
    for (const Case c : {Case{0, 0x2008, 0x0727}, Case{1, 0x2009, 0x0800}}) {
        SCOPED_TRACE("index " + std::to_string(c.index));
        const HidHandle handle = OpenAt(c.index);
        uint16_t input = 0;
        uint16_t output = 0;
        HidAttributes attributes;
        ASSERT_TRUE(hid.Hid_Get_att(handle, input, output, attributes));
        EXPECT_EQ(input, 65);
        EXPECT_EQ(output, 65);
        EXPECT_EQ(attributes.VendorId, 0x04D8);
        EXPECT_EQ(attributes.ProductId, c.product);
        EXPECT_EQ(attributes.VersionNumber, c.release);
        EXPECT_TRUE(Identify(handle));
    }
    uint8_t found = 1;
    EXPECT_EQ(hid.Hid_GetDeviceH(found, 2), kInvalidHid);
    EXPECT_EQ(found, 0);
}

// The lengths come from the report descriptor read off the node, not from an assumed 65.
TEST_F(HidapiLayerTest, ReportLengthsFollowTheReportDescriptor) {
    for (const size_t payload : {size_t{32}, size_t{64}, size_t{16}}) {
        SCOPED_TRACE("payload " + std::to_string(payload));
        EmulatedHidBridge bridge(sim, emulated::kHidBridgeRelease, emulated::kHidBridgeProduct,
                                 payload);
        const HidHandle handle = OpenAt(0);
        uint16_t input = 0;
        uint16_t output = 0;
        HidAttributes attributes;
        ASSERT_TRUE(hid.Hid_Get_att(handle, input, output, attributes));
        EXPECT_EQ(input, payload + 1);
        EXPECT_EQ(output, payload + 1);
        std::vector<uint8_t> report(payload + 1, 0);
        report[1] = 0xF9;
        report[2] = 0xAC;
        ASSERT_TRUE(hid.WriteReport(handle, report.data(), report.size()));
        std::vector<uint8_t> answer(payload + 1, 0xEE);
        ASSERT_TRUE(hid.ReadReport(handle, answer.data(), answer.size()));
        EXPECT_EQ(answer[0], 0);
        EXPECT_EQ(std::string(answer.begin() + 1, answer.begin() + 9), "Brenmoss");
        hid.Close(handle);
    }
}

TEST_F(HidapiLayerTest, RequestAndAnswerTravelAsWholeReports) {
    EmulatedHidBridge bridge(sim);
    const HidHandle handle = OpenAt(0);
    ASSERT_TRUE(Identify(handle));
    ASSERT_EQ(sim.Log().size(), 1u);
    EXPECT_EQ(sim.Log()[0].Request.size(), 64u) << "the payload arrives without the report ID";
    EXPECT_EQ(sim.Log()[0].Request[0], 0xF9);
    EXPECT_EQ(bridge.ReportsSeen(), 1);
    const std::string text = traceText.str();
    const std::string port = "hid " + bridge.DevicePath();
    EXPECT_NE(text.find("OUT " + port + " 65 | 00 F9 AC 00"), std::string::npos) << text;
    EXPECT_NE(text.find("IN  " + port + " 65 | 00 42 72 65 6E 6D 6F 73 73 00"), std::string::npos)
        << text;
}

TEST_F(HidapiLayerTest, SilentBridgeFailsTheReadAfterTheTimeOut) {
    EmulatedHidBridge bridge(sim);
    const HidHandle handle = OpenAt(0);
    {
        auto hold = bridge.Lock();
        sim.Faults.Silent = true;
    }
    Report request = IdentityRequest();
    Report answer{};
    ASSERT_TRUE(hid.WriteReport(handle, request.data(), request.size()));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(hid.ReadReport(handle, answer.data(), answer.size()));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    EXPECT_GE(waited.count(), kHidReadTimeoutMs - 50);
    EXPECT_LT(waited.count(), kHidReadTimeoutMs * 3);
    EXPECT_NE(traceText.str().find("read timed out"), std::string::npos);
    {
        auto hold = bridge.Lock();
        sim.Faults.Silent = false;
    }
    EXPECT_TRUE(Identify(handle)) << "the bridge answers again once it speaks";
}

TEST_F(HidapiLayerTest, UnpluggedBridgeFailsItsTransfersAndReturnsOnReplug) {
    EmulatedHidBridge bridge(sim);
    const HidHandle handle = OpenAt(0);
    ASSERT_TRUE(Identify(handle));
    bridge.Unplug();
    EXPECT_FALSE(Identify(handle));
    hid.Close(handle);
    uint8_t found = 1;
    EXPECT_EQ(hid.Hid_GetDeviceH(found, 0), kInvalidHid);
    EXPECT_EQ(found, 0);
    bridge.Replug();
    const HidHandle again = OpenAt(0);
    EXPECT_TRUE(Identify(again));
}

TEST_F(HidapiLayerTest, HandlesAreDistinctAndClosedHandlesRefused) {
    EmulatedHidBridge bridge(sim);
    const HidHandle first = OpenAt(0);
    const HidHandle second = OpenAt(0);
    EXPECT_NE(first, second);
    EXPECT_EQ(hid.OpenCount(), 2u);
    hid.Close(first);
    hid.Close(first);
    EXPECT_EQ(hid.OpenCount(), 1u);
    Report report = IdentityRequest();
    uint16_t input = 0;
    uint16_t output = 0;
    HidAttributes attributes;
    EXPECT_FALSE(hid.WriteReport(first, report.data(), report.size()));
    EXPECT_FALSE(hid.ReadReport(first, report.data(), report.size()));
    EXPECT_FALSE(hid.Hid_Get_att(first, input, output, attributes));
    EXPECT_TRUE(Identify(second));
    for (const int index : {-1, kHidMaxIndex + 1}) {
        uint8_t found = 1;
        EXPECT_EQ(hid.Hid_GetDeviceH(found, index), kInvalidHid);
        EXPECT_EQ(found, 0);
    }
}

} // namespace
} // namespace qn
