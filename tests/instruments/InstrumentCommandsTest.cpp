// Command lines of the calibrator and the power supply as the lab's instruments receive them,
// with their retries.
#include "InstrumentFixture.h"

namespace qn::test {
namespace {

// A calibrator that obeys but never answers a whole line has every step tried twice.
TEST_F(InstrumentTest, CalibratorStepSendsStandbyAndRetriesOnce) {
    // Whether the output stays on, the calibrator's faults, what it receives, status panel 2.
    const std::tuple<bool, SimLabFaults, Writes, std::string> rows[] = {
        {false, {}, {"STBY", "OUT 1 V"}, "=>"},
        {false, {.Silent = true}, {"STBY", "OUT 1 V", "STBY", "OUT 1 V"}, ""},
        {true, {.NoTerminator = true}, {"OUT 1 V", "OUT 1 V"}, ""},
        {true, {}, {"OUT 1 V"}, "=>"},
    };
    for (const auto& [keepOn, faults, received, shown] : rows) {
        Open(ports.FlukePort, "COM1"); // no answer left over from the row before
        world.Calibrator.ClearLog();
        world.Calibrator.Faults = faults;
        bench.Fluke.PlayStep("OUT 1 V", keepOn);
        EXPECT_EQ(world.Calibrator.Log(), received) << received.size();
        EXPECT_EQ(status.Last(kCalibratorAnswerPanel), shown) << received.size();
    }
}

TEST_F(InstrumentTest, CalibratorOperatesAfterStepUnlessStandby) {
    const std::tuple<std::string, bool, Writes> rows[] = {
        {"stby", false, {}},
        {"STBY x", false, {}},
        {"OUT 1 V", false, {"OPER"}},
        {"out 1 v", true, {"OPER", "OPER"}},
    };
    Open(ports.FlukePort, "COM1");
    for (const auto& [command, silent, received] : rows) {
        world.Calibrator.ClearLog();
        world.Calibrator.Faults.Silent = silent;
        bench.Fluke.OperateAfterStep(command);
        EXPECT_EQ(world.Calibrator.Log(), received) << command;
    }
}

// Either lock first sets the output its range needs, then locks and returns to 0 V.
TEST_F(InstrumentTest, CalibratorRangeLock) {
    // The two locks and the output the range needs (nullptr: no lock).
    const std::tuple<bool, bool, const char*> rows[] = {
        {false, false, nullptr}, {false, true, "600 mV"}, {true, false, "100 mV"}};
    Open(ports.FlukePort, "COM1");
    for (const auto& [lock330mV, lock3V, rangeOutput] : rows) {
        world.Calibrator.ClearLog();
        bench.Fluke.RangeLock(lock330mV, lock3V);
        Writes received{"STBY", "RANGELCK OFF"};
        if (rangeOutput != nullptr)
            received.insert(received.end(), {"OUT " + std::string(rangeOutput) + " ,0 Hz ",
                                             "RANGELCK ON", "OUT 0 V ,0 Hz"});
        EXPECT_EQ(world.Calibrator.Log(), received) << lock330mV << lock3V;
    }
}

// The lab's supply answers no setting, so each is sent twice; a scripted supply answers all.
TEST_F(InstrumentTest, SupplyStepSendsCommandThenOutputOnThenWaits) {
    // The step, whether the supply answers, its delay field, the lines sent, the delay waited.
    const std::tuple<std::string, bool, std::string, Writes, double> rows[] = {
        {"outp off", true, "2000", {"outp off"}, 2000},
        {"OUTP OFF", true, "abc", {"OUTP OFF"}, 500},
        {"VOLT 5.0", true, "2000", {"VOLT 5.0", "OUTP ON"}, 2000},
        {"VOLT 5.0", false, "", {"VOLT 5.0", "VOLT 5.0", "OUTP ON", "OUTP ON"}, 500},
    };
    for (const auto& [command, answered, delay, expected, delayMs] : rows) {
        ScriptedPeer& peer = Attach(ports.PowerPort);
        peer.Replies[command + "\r\n"] = {"1\n"};
        peer.Replies["OUTP ON\r\n"] = {"1\n"};
        if (!answered) Open(ports.PowerPort, "COM2");
        world.Supply.ClearLog();
        const double took = Timed([&] { bench.Power.PlayStep("1", command, delay); });
        Writes sent = world.Supply.Log();
        for (const std::string& text : peer.Writes) sent.push_back(text.substr(0, text.size() - 2));
        EXPECT_EQ(sent, expected) << command;
        // Every query waits its half second; the rest is the step delay.
        EXPECT_EQ(took - kQueryWaitMs * static_cast<double>(sent.size()), delayMs);
        EXPECT_EQ(status.Last(kSupplyStepPanel), "1 - " + command);
    }
}

TEST_F(InstrumentTest, SupplyStepDelayGoesThroughWaitWhenSet) {
    Attach(ports.PowerPort);
    std::vector<double> waits;
    bench.Power.Wait = [&](double ms) { waits.push_back(ms); };
    EXPECT_EQ(Timed([&] { bench.Power.PlayStep("2", "OUTP OFF", "1500"); }), 2 * kQueryWaitMs);
    EXPECT_EQ(waits, std::vector<double>{1500});
}

} // namespace
} // namespace qn::test
