// Tests of the simulated HID layer: enumeration, attributes and report routing to the bridge.
#include "sim/SimHidLayer.h"
#include "SimTestBytes.h"
#include "sim/SimClock.h"

#include <gtest/gtest.h>

namespace qn::test {
namespace {

class SimHidLayerTest : public ::testing::Test {
  protected:
    SimHidLayerTest() {
        hid.AddDevice(nullptr); // some other HID device
        hid.AddDevice(&bridge);
        hid.AddDevice(&pulled);
        pulled.Faults.CablePulled = true;
    }
    HidHandle Open(int index) {
        uint8_t found = 0;
        return hid.Hid_GetDeviceH(found, index);
    }

    SimClock clock;
    SimBridge bridge{clock};
    SimBridge pulled{clock};
    SimHidLayer hid;
};

TEST_F(SimHidLayerTest, EnumeratesPresentDevicesWithTheirAttributes) {
    hid.Device(0).Attributes = {0x1234, 0x5678, 0x0100};
    hid.Device(0).InputReportLength = 9;
    const std::pair<int, std::vector<uint16_t>> cases[] = {{0, {0x1234, 0x5678, 0x0100, 9, 65}},
                                                           {1, {0x04D8, 0x2008, 0x0727, 65, 65}},
                                                           {2, {}},
                                                           {3, {}},
                                                           {-1, {}}};
    for (const auto& [index, attributes] : cases) {
        uint8_t found = 7;
        const HidHandle handle = hid.Hid_GetDeviceH(found, index);
        EXPECT_EQ(found, attributes.empty() ? 0 : 1) << index;
        EXPECT_TRUE(attributes.empty() ? handle == kInvalidHid : handle > 0) << index;
        uint16_t in = 0, out = 0;
        HidAttributes a;
        EXPECT_EQ(hid.Hid_Get_att(handle, in, out, a), !attributes.empty()) << index;
        if (attributes.empty()) continue;
        EXPECT_EQ(std::vector<uint16_t>({a.VendorId, a.ProductId, a.VersionNumber, in, out}),
                  attributes);
    }
    EXPECT_EQ(hid.TriedIndexes(), std::vector<int>({0, 1, 2, 3, -1}));
    EXPECT_EQ(hid.OpenHandleCount(), 2u);
}

TEST_F(SimHidLayerTest, RoutesReportPayloadsToTheBridge) {
    const HidHandle handle = Open(1);
    Bytes report(65, 0);
    report[1] = 0xF9;
    report[2] = 0xAC;
    ASSERT_TRUE(hid.WriteReport(handle, report.data(), report.size()));
    EXPECT_EQ(bridge.Log().back().Request, Bytes(report.begin() + 1, report.end()));
    Bytes answer(65, 0xEE);
    ASSERT_TRUE(hid.ReadReport(handle, answer.data(), answer.size()));
    EXPECT_EQ(answer, Padded(Ascii(std::string("\0Brenmoss", 9)), 65));
    EXPECT_EQ(bridge.Log().back().ReadLength, 64u);
}

TEST_F(SimHidLayerTest, RefusesMalformedReportsAndForeignReads) {
    const HidHandle bridgeHandle = Open(1);
    const HidHandle foreign = Open(0);
    Bytes report(65, 0);
    Bytes withId(65, 1);
    EXPECT_FALSE(hid.WriteReport(bridgeHandle, report.data(), 64)) << "short report";
    EXPECT_FALSE(hid.WriteReport(bridgeHandle, withId.data(), 65)) << "report ID 1";
    EXPECT_FALSE(hid.ReadReport(bridgeHandle, report.data(), 64)) << "short read";
    EXPECT_TRUE(bridge.Log().empty());
    EXPECT_TRUE(hid.WriteReport(foreign, report.data(), 65));
    EXPECT_FALSE(hid.ReadReport(foreign, report.data(), 65));
    hid.Close(bridgeHandle);
    EXPECT_FALSE(hid.WriteReport(bridgeHandle, report.data(), 65)) << "closed";
    bridge.Faults.CablePulled = true;
    EXPECT_FALSE(hid.WriteReport(Open(1), report.data(), 65)) << "not enumerated";
}

} // namespace
} // namespace qn::test
