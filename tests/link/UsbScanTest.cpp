// Finding the bridge, refusing the wrong ones, changing transports, and the idle check.
#include "SimLinkFixture.h"
#include "link/LinkFrames.h"

#include <tuple>

namespace qn::test {
namespace {

// The serial and unused kinds scan nothing; the USB kinds try every name and index.
TEST_F(SimLinkFixture, ScanTriesEveryNameAndIndexOnUsbKindsOnly) {
    for (uint16_t kind : {kLinkRs232, kLinkSpi, kLinkParallel, kLinkUart}) {
        bench.Stnd.Interface = kind;
        bench.Centre.USBConnect();
        EXPECT_TRUE(driver.TriedPaths().empty() && hid.TriedIndexes().empty()) << kind;
        EXPECT_EQ(status.Panels[0], "");
    }
    bench.Stnd.Interface = kLinkQn740x;
    bench.Centre.USBConnect();
    EXPECT_EQ(std::tuple(driver.TriedPaths().size(), driver.TriedPaths().back()),
              std::tuple(32u, "\\\\.\\Qnusb-31"));
    ASSERT_EQ(hid.TriedIndexes().size(), 128u);
    EXPECT_EQ(std::pair(hid.TriedIndexes().front(), hid.TriedIndexes().back()), std::pair(0, 127));
    EXPECT_EQ(status.Panels[0], "USB not Connect !!!");
    EXPECT_FALSE(bench.Stnd.Usb.Open);
}

// A bridge behind the driver, or with `Hid` behind the HID layer, with the faults and the
// identity it shows.
struct RefusalCase {
    const char* Name;
    SimFaults Faults;
    bool Hid = false;
    SimDriverDevice Driver{};
    uint16_t HidRelease = SimHidDevice{}.Attributes.VersionNumber; // the bridge's own
};

const RefusalCase kRefusals[] = {
    {"DriverProduct1005", {}, false, {.ProductId = 0x1005}},
    {"DriverOtherVendor", {}, false, {.VendorId = 0x0548}},
    {"DriverPipesSwapped", {}, false, {.Endpoints = {0x02, 0x82}}},
    {"DriverSub2AnswersFFFE", {.Sub2Refuses = true}},
    // Accepted, then closed by the failed request: no link.
    {"DriverSetUpRequestUnanswered", {.Sub1Silent = true}},
    {"IdentityDiffersInCaseOnly", {.WrongIdentity = true}},
    {"HidSub2AnswersFFFE", {.Sub2Refuses = true}, true},
    {"HidOtherRelease", {}, true, {}, 0x0728},
    {"HidSilentBridge", {.Silent = true}, true},
};

// Each of these bridges must not be taken; every handle opened on the way is closed again.
TEST(UsbScan, WrongBridgesAreRefused) {
    for (const RefusalCase& c : kRefusals) {
        SCOPED_TRACE(c.Name);
        SimLink f;
        f.bridge.Faults = c.Faults;
        if (c.Hid) {
            f.hid.Device(f.hid.AddDevice(&f.bridge)).Attributes.VersionNumber = c.HidRelease;
        } else {
            f.driver.Device(f.driver.AddDevice(f.bridge, c.Driver.VendorId, c.Driver.ProductId))
                .Endpoints = c.Driver.Endpoints;
        }
        f.bench.Stnd.Interface = kLinkQn740x;
        f.bench.Centre.USBConnect();
        EXPECT_EQ(f.status.Panels[0], "USB not Connect !!!");
        EXPECT_EQ(f.panels.Titles, 0);
        // A bridge that opened but failed the identity stays open until the idle check closes it.
        for (uint32_t t = 0; t < kIdleCheckTicks; ++t) f.bench.Centre.Timer1Timer();
        EXPECT_EQ(f.status.Panels[0], "USB not Connect !!!");
        EXPECT_EQ(f.driver.OpenHandleCount() + f.hid.OpenHandleCount(), 0u);
    }
}

TEST_F(SimLinkFixture, DriverBridgeFoundAfterHidBridgeWasUsed) {
    hid.AddDevice(&bridge);
    Connect(kLinkQn740x);
    bridge.Faults.CablePulled = true;
    EXPECT_FALSE(bench.Chip.ReadChip(0, 1));
    SimBridge second{clock};
    bridge.Faults.CablePulled = false;
    hid.Device(0).Bridge = nullptr; // the HID bridge is gone for good
    driver.AddDevice(second);
    bench.Centre.USBConnect();
    EXPECT_EQ(status.Panels[0], "USB On Line");
    EXPECT_EQ(bench.Usb.TransportKind, TransportKindValue::Driver);
}

TEST_F(SimLinkFixture, IdleCheckRunsOnlyAfter1000QuietTicks) {
    ConnectDriverBridge();
    for (int t = 1; t <= 3000; ++t) {
        bench.Centre.Timer1Timer();
        if (t % 500 == 0) bench.Chip.ReadChip(0, 1);
    }
    EXPECT_EQ(bridge.Log().size(), 6u) << "the reads only, no identity check";
    for (uint32_t t = 0; t < kIdleCheckTicks; ++t) bench.Centre.Timer1Timer();
    ASSERT_EQ(bridge.Log().size(), 7u);
    EXPECT_EQ(bridge.Log().back().Request, IdentifyFrame().Bytes);
    EXPECT_EQ(status.Panels[0], "USB On Line");
}

} // namespace
} // namespace qn::test
