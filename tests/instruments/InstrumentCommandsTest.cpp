// Command lines of the calibrator and the power supply as the lab's instruments receive them,
// with their retries.
#include "InstrumentFixture.h"

namespace qn::test {
namespace {

// A calibrator that obeys but never answers a whole line has every step tried twice.
TEST_F(InstrumentTest, CalibratorStepSendsStandbyAndRetriesOnce) {
    const struct {
        bool KeepOn;
        SimLabFaults Faults;
        Writes Received;
        std::string Shown; // status panel 2
    } rows[] = {
        {false, {}, {"STBY", "OUT 1 V"}, "=>"},
        {false, {.Silent = true}, {"STBY", "OUT 1 V", "STBY", "OUT 1 V"}, ""},
        {true, {.NoTerminator = true}, {"OUT 1 V", "OUT 1 V"}, ""},
        {true, {}, {"OUT 1 V"}, "=>"},
    };
    for (const auto& row : rows) {
        Open(ports.FlukePort, "COM1"); // no answer left over from the row before
        world.Calibrator.ClearLog();
        world.Calibrator.Faults = row.Faults;
        bench.Fluke.PlayStep("OUT 1 V", row.KeepOn);
        EXPECT_EQ(world.Calibrator.Log(), row.Received) << row.Received.size();
        EXPECT_EQ(status.Last(kCalibratorAnswerPanel), row.Shown) << row.Received.size();
    }
}

TEST_F(InstrumentTest, CalibratorOperatesAfterStepUnlessStandby) {
    const struct {
        std::string Command;
        bool Silent;
        Writes Received;
    } rows[] = {
        {"stby", false, {}},
        {"STBY x", false, {}},
        {"OUT 1 V", false, {"OPER"}},
        {"out 1 v", true, {"OPER", "OPER"}},
    };
    Open(ports.FlukePort, "COM1");
    for (const auto& row : rows) {
        world.Calibrator.ClearLog();
        world.Calibrator.Faults.Silent = row.Silent;
        bench.Fluke.OperateAfterStep(row.Command);
        EXPECT_EQ(world.Calibrator.Log(), row.Received) << row.Command;
    }
}

// Either lock first sets the output its range needs, then locks and returns to 0 V.
TEST_F(InstrumentTest, CalibratorRangeLock) {
    const struct {
        bool Lock330mV, Lock3V;
        const char* RangeOutput; // nullptr: no lock
    } rows[] = {{false, false, nullptr}, {false, true, "600 mV"}, {true, false, "100 mV"}};
    Open(ports.FlukePort, "COM1");
    for (const auto& row : rows) {
        world.Calibrator.ClearLog();
        bench.Fluke.RangeLock(row.Lock330mV, row.Lock3V);
        Writes received{"STBY", "RANGELCK OFF"};
        if (row.RangeOutput != nullptr)
            received.insert(received.end(), {"OUT " + std::string(row.RangeOutput) + " ,0 Hz ",
                                             "RANGELCK ON", "OUT 0 V ,0 Hz"});
        EXPECT_EQ(world.Calibrator.Log(), received) << row.Lock330mV << row.Lock3V;
    }
}

// The lab's supply answers no setting, so each is sent twice; a scripted supply answers all.
TEST_F(InstrumentTest, SupplyStepSendsCommandThenOutputOnThenWaits) {
    const struct {
        std::string Command;
        bool Answered;
        std::string Delay;
        Writes Sent;
        double DelayMs;
    } rows[] = {
        {"outp off", true, "2000", {"outp off"}, 2000},
        {"OUTP OFF", true, "abc", {"OUTP OFF"}, 500},
        {"VOLT 5.0", true, "2000", {"VOLT 5.0", "OUTP ON"}, 2000},
        {"VOLT 5.0", false, "", {"VOLT 5.0", "VOLT 5.0", "OUTP ON", "OUTP ON"}, 500},
    };
    for (const auto& row : rows) {
        ScriptedPeer& peer = Attach(ports.PowerPort);
        peer.Replies[row.Command + "\r\n"] = {"1\n"};
        peer.Replies["OUTP ON\r\n"] = {"1\n"};
        if (!row.Answered) Open(ports.PowerPort, "COM2");
        world.Supply.ClearLog();
        const double took = Timed([&] { bench.Power.PlayStep("1", row.Command, row.Delay); });
        Writes sent = world.Supply.Log();
        for (const std::string& text : peer.Writes) sent.push_back(text.substr(0, text.size() - 2));
        EXPECT_EQ(sent, row.Sent) << row.Command;
        // Every query waits its half second; the rest is the step delay.
        EXPECT_EQ(took - kQueryWaitMs * static_cast<double>(sent.size()), row.DelayMs);
        EXPECT_EQ(status.Last(kSupplyStepPanel), "1 - " + row.Command);
    }
}

TEST_F(InstrumentTest, SupplyStepDelayGoesThroughWaitWhenSet) {
    Attach(ports.PowerPort);
    std::vector<double> waits;
    bench.Power.Wait = [&](double ms) { waits.push_back(ms); };
    const double took = Timed([&] { bench.Power.PlayStep("2", "OUTP OFF", "1500"); });
    EXPECT_EQ(waits, std::vector<double>{1500});
    EXPECT_EQ(took, 2 * kQueryWaitMs);
}

} // namespace
} // namespace qn::test
