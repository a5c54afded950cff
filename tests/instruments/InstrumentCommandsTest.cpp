// Command lines of the calibrator and the power supply, byte for byte, with their retries.
#include "InstrumentFixture.h"

#include <ostream>

#include <deque>

namespace qn::test {
namespace {

struct CalibratorCase {
    const char* Name;
    bool KeepOn;
    std::deque<std::string> Answers; // to each write of the step command, in turn
    Writes Sent;
    std::string Shown; // status panel 2
};

void PrintTo(const CalibratorCase& c, std::ostream* os) {
    *os << c.Name;
}

class CalibratorStepTest : public InstrumentTest,
                           public ::testing::WithParamInterface<CalibratorCase> {};

TEST_P(CalibratorStepTest, SendsStandbyAndRetriesOnce) {
    const CalibratorCase& c = GetParam();
    ScriptedDevice& device = Attach(ports.FlukePort);
    device.Replies["OUT 1 V"] = c.Answers;
    bench.Fluke.PlayStep("OUT 1 V", c.KeepOn);
    EXPECT_EQ(device.Writes, c.Sent);
    EXPECT_EQ(status.Last(kCalibratorAnswerPanel), c.Shown);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CalibratorStepTest,
    ::testing::Values(
        CalibratorCase{
            "Answered", false, {"OUT 1 V\r"}, {"STBY", "\r", "OUT 1 V", "\r"}, "OUT 1 V"},
        CalibratorCase{"SecondAttempt",
                       false,
                       {"", "ok\r"},
                       {"STBY", "\r", "OUT 1 V", "\r", "STBY", "\r", "OUT 1 V", "\r"},
                       "ok"},
        CalibratorCase{"KeepOnSilent", true, {}, {"OUT 1 V", "\r", "OUT 1 V", "\r"}, ""},
        CalibratorCase{"KeepOnAnswered", true, {"A\r"}, {"OUT 1 V", "\r"}, "A"}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST_F(InstrumentTest, CalibratorOperatesAfterStepUnlessStandby) {
    struct Row {
        std::string Command;
        std::deque<std::string> OperAnswers;
        Writes Sent;
    } rows[] = {
        {"stby", {"x\r"}, {}},
        {"STBY x", {"x\r"}, {}},
        {"Stby", {}, {}},
        {"OUT 1 V", {"OPER\r"}, {"OPER", "\r"}},
        {"out 1 v", {}, {"OPER", "\r", "OPER", "\r"}},
    };
    ScriptedDevice& device = Attach(ports.FlukePort);
    for (Row& row : rows) {
        device.Writes.clear();
        device.Replies["OPER"] = row.OperAnswers;
        bench.Fluke.OperateAfterStep(row.Command);
        EXPECT_EQ(device.Writes, row.Sent) << row.Command;
    }
}

TEST_F(InstrumentTest, CalibratorRangeLock) {
    struct Row {
        bool Lock330mV, Lock3V;
        Writes Sent;
    } rows[] = {
        {false, false, {"STBY", "\r", "RANGELCK OFF", "\r"}},
        {false,
         true,
         {"STBY", "\r", "RANGELCK OFF", "\r", "OUT 600 mV ,0 Hz ", "\r", "RANGELCK ON", "\r",
          "OUT 0 V ,0 Hz", "\r"}},
        {true,
         false,
         {"STBY", "\r", "RANGELCK OFF", "\r", "OUT 100 mV ,0 Hz ", "\r", "RANGELCK ON", "\r",
          "OUT 0 V ,0 Hz", "\r"}},
    };
    ScriptedDevice& device = Attach(ports.FlukePort);
    for (const Row& row : rows) {
        device.Writes.clear();
        bench.Fluke.RangeLock(row.Lock330mV, row.Lock3V);
        EXPECT_EQ(device.Writes, row.Sent) << row.Lock330mV << row.Lock3V;
    }
}

struct SupplyCase {
    const char* Name;
    std::string Command;
    std::deque<std::string> CommandAnswers;
    std::deque<std::string> OnAnswers; // to "OUTP ON"
    std::string Delay;
    Writes Sent;
    double DelayMs;
};

void PrintTo(const SupplyCase& c, std::ostream* os) {
    *os << c.Name;
}

class SupplyStepTest : public InstrumentTest, public ::testing::WithParamInterface<SupplyCase> {};

TEST_P(SupplyStepTest, SendsCommandThenOutputOnThenWaits) {
    const SupplyCase& c = GetParam();
    ScriptedDevice& device = Attach(ports.PowerPort);
    device.Replies[c.Command + "\r\n"] = c.CommandAnswers;
    device.Replies["OUTP ON\r\n"] = c.OnAnswers;
    const double took = Timed([&] { bench.Power.PlayStep("1", c.Command, c.Delay); });
    EXPECT_EQ(device.Writes, c.Sent);
    // Every query waits its half second; the rest is the step delay.
    EXPECT_EQ(took - kQueryWaitMs * static_cast<double>(device.Writes.size()), c.DelayMs);
    EXPECT_EQ(status.Last(kSupplyStepPanel), "1 - " + c.Command);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SupplyStepTest,
    ::testing::Values(
        SupplyCase{"OutputOffLower", "outp off", {"1\n"}, {"1\n"}, "2000", {"outp off\r\n"}, 2000},
        SupplyCase{"OutputOffUpper", "OUTP OFF", {"1\n"}, {"1\n"}, "abc", {"OUTP OFF\r\n"}, 500},
        SupplyCase{
            "Voltage", "VOLT 5.0", {"1\n"}, {"1\n"}, "2000", {"VOLT 5.0\r\n", "OUTP ON\r\n"}, 2000},
        SupplyCase{"RepeatedWhenUnanswered",
                   "VOLT 5.0",
                   {},
                   {},
                   "",
                   {"VOLT 5.0\r\n", "VOLT 5.0\r\n", "OUTP ON\r\n", "OUTP ON\r\n"},
                   500}),
    [](const auto& p) { return std::string(p.param.Name); });

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
