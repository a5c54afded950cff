// The one-exchange rule and the waits on the steady clock, without windows.
#include "link/ExchangeGuard.h"
#include "ScriptedPrompt.h"
#include "TestDoubles.h"
#include "sim/SimClock.h"

#include <gtest/gtest.h>

#include <string>

namespace qn::test {
namespace {

class BusyLog final : public PanelRefresh {
  public:
    void ShowBusy(bool busy) override { Log += busy ? "busy " : "free "; }
    std::string Log;
};

// A clock whose wall time is put forward an hour (daylight saving) at every sleep.
class ShiftingClock final : public Clock {
  public:
    double Now() override { return inner.Now(); }
    double SteadyMs() override { return inner.SteadyMs(); }
    void SleepMs(uint32_t ms) override {
        inner.SleepMs(ms);
        inner.SetWallClock(inner.Now() + 1.0 / 24);
    }
    SimClock inner;
};

class ExchangeGuardTest : public ::testing::Test {
  protected:
    // Window messages scripted by the test: each pump delivers the one waiting, if any.
    ExchangeGuardTest() { windows.Once = true; }
    // True when a message pumped now may start an exchange.
    bool PumpedMessageMayExchange() {
        bool allowed = false;
        windows.Message = [&] { allowed = guard.Begin().has_value(); };
        guard.Pump();
        return allowed;
    }

    ShiftingClock clock;
    ScriptedPump windows;
    BusyLog panels;
    ExchangeGuard guard{clock, windows, panels};
};

TEST_F(ExchangeGuardTest, OnlyMessagesPumpedInsideAnOperationAreRefused) {
    EXPECT_TRUE(PumpedMessageMayExchange()) << "no operation: a click may exchange";
    auto operation = guard.Begin();
    ASSERT_TRUE(operation);
    EXPECT_TRUE(guard.Begin().has_value()) << "the operation's own register write";
    EXPECT_EQ(panels.Log, "") << "an operation that lets nothing through disables nothing";
    EXPECT_FALSE(PumpedMessageMayExchange());
    EXPECT_FALSE(PumpedMessageMayExchange());
    EXPECT_EQ(panels.Log, "busy ");
    operation.reset();
    EXPECT_EQ(panels.Log, "busy free ");
    EXPECT_TRUE(PumpedMessageMayExchange());
}

// A question's dialog runs its own message loop: a message it lets through is refused too.
TEST_F(ExchangeGuardTest, AQuestionAskedInsideAnOperationLetsNoExchangeThrough) {
    ScriptedPrompt dialog;
    dialog.Confirms = {true};
    dialog.WhileAsking = [&] { windows.Pump(); };
    GuardedPrompt ask(guard, dialog);
    const auto operation = guard.Begin();
    bool allowed = true;
    windows.Message = [&] { allowed = guard.Begin().has_value(); };
    EXPECT_TRUE(ask.Confirm("Reset All Mark?"));
    EXPECT_FALSE(allowed);
    EXPECT_TRUE(guard.Begin().has_value()) << "the operation goes on after the answer";
}

TEST_F(ExchangeGuardTest, AStopRequestEndsTheWaitAndTheNextOperationStartsAfresh) {
    auto operation = guard.Begin();
    windows.Message = [&] { guard.RequestStop(); };
    EXPECT_FALSE(guard.WaitMs(60'000));
    EXPECT_LT(clock.inner.ElapsedSinceStartMs(), 20);
    operation.reset();
    EXPECT_EQ(panels.Log, "busy free ");
    const auto next = guard.Begin();
    EXPECT_FALSE(guard.StopRequested());
    EXPECT_TRUE(guard.WaitMs(25));
}

TEST_F(ExchangeGuardTest, PausesAndPumpedWaitsLastTheirTimeWhateverTheWallClockDoes) {
    clock.DelayMs(1000);
    EXPECT_GE(clock.inner.ElapsedSinceStartMs(), 1000);
    EXPECT_LT(clock.inner.ElapsedSinceStartMs(), 1001);
    double shown = 0;
    EXPECT_TRUE(guard.WaitMs(500, [&](double waited) { shown = waited; }));
    EXPECT_GE(clock.inner.ElapsedSinceStartMs(), 1500);
    EXPECT_LT(clock.inner.ElapsedSinceStartMs(), 1511);
    EXPECT_GE(shown, 500);
}

} // namespace
} // namespace qn::test
