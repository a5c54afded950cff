// Finding the bridge, refusing the wrong ones, and living through a pulled cable.
#include "SimLinkFixture.h"

namespace qn::test {
namespace {

size_t CountCalls(const SimDriverLayer& driver, uint32_t code) {
    size_t n = 0;
    for (const auto& call : driver.Calls()) n += call.Code == code ? 1 : 0;
    return n;
}

TEST_F(SimLinkFixture, NothingPresentTriesEveryNameAndIndex) {
    bench.Stnd.Interface = kLinkQn740x;
    bench.Centre.USBConnect();
    EXPECT_EQ(driver.TriedPaths().size(), 32u);
    EXPECT_EQ(driver.TriedPaths().back(), "\\\\.\\Qnusb-31");
    ASSERT_EQ(hid.TriedIndexes().size(), 128u);
    EXPECT_EQ(hid.TriedIndexes().front(), 0);
    EXPECT_EQ(hid.TriedIndexes().back(), 127);
    EXPECT_EQ(status.Panels[0], "USB not Connect !!!");
    EXPECT_FALSE(bench.Stnd.Usb.Open);
}

TEST_F(SimLinkFixture, ScanDoesNothingOnSerialOrUnusedKinds) {
    driver.AddDevice(bridge);
    for (uint16_t kind : {kLinkRs232, kLinkSpi, kLinkParallel, kLinkUart}) {
        bench.Stnd.Interface = kind;
        bench.Centre.USBConnect();
        EXPECT_TRUE(driver.TriedPaths().empty()) << kind;
        EXPECT_EQ(status.Panels[0], "");
    }
}

struct RefusalCase {
    const char* Name;
    std::function<void(SimLinkFixture&, SimBridge&, SimDriverLayer&, SimHidLayer&)> Arrange;
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.Name;
}

class Refusals : public SimLinkFixture, public ::testing::WithParamInterface<RefusalCase> {};

// Each of these bridges must not be taken; every handle opened on the way is closed again.
TEST_P(Refusals, BridgeIsRefused) {
    GetParam().Arrange(*this, bridge, driver, hid);
    bench.Stnd.Interface = kLinkQn740x;
    bench.Centre.USBConnect();
    EXPECT_EQ(status.Panels[0], "USB not Connect !!!");
    EXPECT_EQ(panels.Titles, 0);
    // A bridge that opened but failed the identity stays open until the idle check closes it.
    for (uint32_t t = 0; t < kIdleCheckTicks; ++t) bench.Centre.Timer1Timer();
    EXPECT_EQ(status.Panels[0], "USB not Connect !!!");
    EXPECT_EQ(driver.OpenHandleCount() + hid.OpenHandleCount(), 0u);
}

const RefusalCase kRefusals[] = {
    {"DriverProduct1005",
     [](auto&, SimBridge& b, SimDriverLayer& d, SimHidLayer&) { d.AddDevice(b, 0x0547, 0x1005); }},
    {"DriverOtherVendor",
     [](auto&, SimBridge& b, SimDriverLayer& d, SimHidLayer&) { d.AddDevice(b, 0x0548, 0x1004); }},
    {"DriverPipesSwapped",
     [](auto&, SimBridge& b, SimDriverLayer& d, SimHidLayer&) {
         d.Device(d.AddDevice(b)).Endpoints = {0x02, 0x82};
     }},
    {"DriverSub2AnswersFFFE",
     [](auto&, SimBridge& b, SimDriverLayer& d, SimHidLayer&) {
         d.AddDevice(b);
         b.Faults.Sub2Refuses = true;
     }},
    {"DriverSetUpRequestUnanswered", // accepted, then closed by the failed request: no link
     [](auto&, SimBridge& b, SimDriverLayer& d, SimHidLayer&) {
         d.AddDevice(b);
         b.Faults.Sub1Silent = true;
     }},
    {"IdentityDiffersInCaseOnly",
     [](auto&, SimBridge& b, SimDriverLayer& d, SimHidLayer&) {
         d.AddDevice(b);
         b.Faults.WrongIdentity = true;
     }},
    {"HidSub2AnswersFFFE",
     [](auto&, SimBridge& b, SimDriverLayer&, SimHidLayer& h) {
         h.AddDevice(&b);
         b.Faults.Sub2Refuses = true;
     }},
    {"HidOtherRelease",
     [](auto&, SimBridge& b, SimDriverLayer&, SimHidLayer& h) {
         h.Device(h.AddDevice(&b)).Attributes.VersionNumber = 0x0728;
     }},
    {"HidSilentBridge",
     [](auto&, SimBridge& b, SimDriverLayer&, SimHidLayer& h) {
         h.AddDevice(&b);
         b.Faults.Silent = true;
     }},
};

INSTANTIATE_TEST_SUITE_P(Scan, Refusals, ::testing::ValuesIn(kRefusals),
                         [](const auto& p) { return std::string(p.param.Name); });

TEST_F(SimLinkFixture, RefusedDriverDeviceIsSkippedForTheNextOne) {
    SimBridge other{clock};
    driver.AddDevice(other, 0x0547, 0x1005);
    driver.AddDevice(bridge, 0x0547, 0x100A);
    ConnectDriverBridge(kLinkQn740x);
    EXPECT_EQ(bench.Stnd.Usb.Path, "\\\\.\\Qnusb-1");
    EXPECT_EQ(bench.Stnd.Usb.ProductId(), 0x100A);
    EXPECT_EQ(driver.OpenHandleCount(), 1u);
}

TEST_F(SimLinkFixture, OpenLinkThatAnswersIsNotRescanned) {
    ConnectDriverBridge();
    driver.ClearCalls();
    uint8_t fresh = 99;
    EXPECT_TRUE(bench.Usb.UsbOpen(bench.Stnd.Usb, fresh));
    EXPECT_EQ(fresh, kFreshAlreadyOpen);
    EXPECT_EQ(CountCalls(driver, kIoctlGetDescriptor), 0u);
    EXPECT_EQ(panels.Titles, 1);
}

TEST_F(SimLinkFixture, DriverBridgeFoundAfterHidBridgeWasUsed) {
    ConnectHidBridge();
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

// A pulled cable closes the link at the first failed transfer; the status bar only learns of it
// at the idle check 1000 ticks later, and the link comes back at a later check once replugged.
class PulledCable : public SimLinkFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(PulledCable, LinkClosesThenReturns) {
    if (GetParam())
        ConnectHidBridge();
    else
        ConnectDriverBridge();
    bridge.Faults.CablePulled = true;
    bench.Chip.WriteRegister(1, 0x33);
    EXPECT_FALSE(bench.Stnd.Usb.Open);
    EXPECT_EQ(bench.Stnd.Usb.Handle, -1);
    EXPECT_EQ(bench.Chip.GetReg(1), 0) << "a failed write leaves the image alone";
    EXPECT_FALSE(bench.Chip.ReadChip(1, 1));
    for (uint32_t t = 1; t < kIdleCheckTicks; ++t) bench.Centre.Timer1Timer();
    EXPECT_EQ(status.Panels[0], "USB On Line");
    bench.Centre.Timer1Timer();
    EXPECT_EQ(status.Panels[0], "USB not Connect !!!");
    bridge.Faults.CablePulled = false;
    for (uint32_t t = 0; t < kIdleCheckTicks; ++t) bench.Centre.Timer1Timer();
    EXPECT_EQ(status.Panels[0], "USB On Line");
    bridge.Registers[1] = 0x44;
    EXPECT_TRUE(bench.Chip.ReadChip(1, 1));
    EXPECT_EQ(bench.Chip.ChipShadow[1], 0x44);
    bench.Centre.ReleaseUsb();
    EXPECT_EQ(driver.OpenHandleCount() + hid.OpenHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(BothTransports, PulledCable, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "Hid" : "Driver"; });

size_t IdentityChecks(const SimBridge& bridge) {
    size_t n = 0;
    for (const auto& f : bridge.Log())
        n += f.Request.size() >= 2 && f.Request[0] == 0xF9 && f.Request[1] == 0xAC;
    return n;
}

TEST_F(SimLinkFixture, IdleCheckRunsOnlyAfter1000QuietTicks) {
    ConnectDriverBridge();
    for (int t = 1; t <= 3000; ++t) {
        bench.Centre.Timer1Timer();
        if (t % 500 == 0) bench.Chip.ReadChip(0, 1);
    }
    EXPECT_EQ(IdentityChecks(bridge), 0u);
    for (uint32_t t = 0; t < kIdleCheckTicks; ++t) bench.Centre.Timer1Timer();
    EXPECT_EQ(IdentityChecks(bridge), 1u);
    EXPECT_EQ(status.Panels[0], "USB On Line");
}

} // namespace
} // namespace qn::test
