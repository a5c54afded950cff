// An operation that owns the link and lets window messages through, with the whole program on the
// simulated bench: link timer ticks and clicks inside it start no exchange, and closing the main
// window ends it, keeps the settings and releases the bridge.
#include "ProgramFixture.h"
#include "link/ui/QnUp.h"

#include <QTimer>

namespace qn::test {
namespace {

class OneExchangeTest : public ProgramFixture {
  protected:
    OneExchangeTest() : ProgramFixture(true) {
        Connect();
        EXPECT_EQ(main->PanelText(0), "USB On Line");
        world.Bridge.ClearLog();
    }
    // What an operation's loop does: owns the link, waits and lets window messages through.
    bool RunOperation(double ms) {
        const auto hold = bench.Guard.Begin();
        EXPECT_TRUE(hold.has_value());
        return bench.Guard.WaitMs(ms);
    }
    bool Enabled(const char* caption) const { return main->MenuItems.at(caption)->isEnabled(); }
};

TEST_F(OneExchangeTest, TicksAndClicksInsideAnOperationStartNoExchange) {
    bench.Centre.ContinuousRead = true;        // every tick would read the ADC
    bench.Usb.IdleTicks = kIdleCheckTicks - 1; // and the next one check the link
    int ticks = 0;
    QObject::connect(&main->Qn_UP->Timer1, &QTimer::timeout, [&] { ++ticks; });
    bool scanEnabledInside = true;
    QTimer::singleShot(50, main, [&] {
        scanEnabledInside = Enabled("USB Scan") || Enabled("Read RAM");
        emit main->MenuItems.at("USB Scan")->triggered(); // a click that got through anyway
    });
    EXPECT_TRUE(RunOperation(300));
    EXPECT_GT(ticks, 5) << "the link timer ticked during the operation";
    EXPECT_TRUE(world.Bridge.Log().empty()) << world.Bridge.Log().size() << " frames went out";
    EXPECT_FALSE(scanEnabledInside);
    EXPECT_TRUE(Enabled("USB Scan") && Enabled("Read RAM"));
}

TEST_F(OneExchangeTest, ClosingDuringAnOperationEndsItKeepsSettingsAndReleasesTheBridge) {
    QFile::remove(dir.filePath("QnADC.cfg"));
    bench.Config.Analysis.CFunADC = 3;
    QTimer::singleShot(30, main, &QWidget::close);
    EXPECT_FALSE(RunOperation(60'000)) << "the operation ends at its next check";
    EXPECT_TRUE(main->isVisible()) << "the window waits for the operation to end";
    QCoreApplication::processEvents();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(ReadFile("QnADC.cfg").split('\n').value(14).trimmed(), "3");
    program.reset();
    ASSERT_FALSE(world.Bridge.Log().empty());
    const SimFrame& last = world.Bridge.Log().back();
    EXPECT_EQ(std::vector<uint8_t>(last.Request.begin(), last.Request.begin() + 4),
              (std::vector<uint8_t>{0xF9, 0x01, 0xFF, 0xFF}))
        << "the bridge is released at exit";
}

} // namespace
} // namespace qn::test
