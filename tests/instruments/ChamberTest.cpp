// Chamber frames, answer checks, word and set-point conversions and the retried operations.
#include "InstrumentFixture.h"

#include "instruments/Chamber.h"

namespace qn::test {
namespace {

const std::string kStxText(1, '\x02');
const std::string kWriteOk = kStxText + "01WSD,OK\r\n";

TEST(ChamberConversions, WordsAndSetPoints) {
    const std::tuple<std::string, uint16_t, double> words[] = {{"FF9C", 0xFF9C, -10.0},
                                                               {"8000", 0x8000, 3276.8},
                                                               {"8001", 0x8001, -3276.7},
                                                               {"00fa", 0x00FA, 25.0},
                                                               {"0G00", 0, 0.0}};
    for (const auto& [text, word, celsius] : words) {
        const std::string answer = kStxText + "01RSD,OK," + text + ",0000\r\n";
        const auto* bytes = reinterpret_cast<const uint8_t*>(answer.data());
        EXPECT_EQ(ChamberWord(bytes, answer.size(), 10), word) << text;
        EXPECT_DOUBLE_EQ(ChamberCelsius(word), celsius) << text;
        EXPECT_EQ(ChamberWord(bytes, 12, 10), 0) << "cut answer " << text;
    }
    const std::pair<std::string, int> cells[] = {
        {"-0.5", -10}, {"25.5", 250}, {"-40.0", -400}, {"3", 30},
        {"abc", 0},    {"", 0},       {"12x", 0},      {"1e30", 1'000'000'000}};
    for (const auto& [cell, tenths] : cells) EXPECT_EQ(ChamberTenths(cell), tenths) << cell;
}

TEST_F(InstrumentTest, ChamberWriteChecksTheAnswer) {
    const std::tuple<const char*, std::string, bool, double> rows[] = {
        {"ok", kWriteOk, true, 0},
        {"error with 11 bytes", kStxText + "01WSD,ER\r\n", false, 0},
        {"10 bytes", kStxText + "01WSD,OK\r", false, 1000},
        {"no STX", "\x03" + kWriteOk.substr(1), false, 0},
        {"silent", "", false, 1000},
    };
    ScriptedPeer& device = Attach(ports.ChamberPort);
    const std::vector<int> stop{kChamberStop};
    for (const auto& [name, answer, ok, elapsedMs] : rows) {
        device.Writes.clear();
        device.AnswerAfter(0, answer);
        const double took = Timed(
            [&] { EXPECT_EQ(bench.Climate.ChamberWrite(kChamberCommandReg, stop), ok) << name; });
        EXPECT_EQ(took, elapsedMs) << name;
        EXPECT_EQ(device.Writes, Writes{kStxText + "01WSD,01,0101,0004\r\n"}) << name;
    }
}

// The lab's chamber sends the first half of its answer at once and the rest later.
TEST_F(InstrumentTest, ChamberReadWaitsForTheWholeAnswer) {
    // Delay of the second half, bytes read, time the read took.
    const std::tuple<double, size_t, double> rows[] = {{300, 21, 300}, {2000, 10, 1000}};
    Open(ports.ChamberPort, "COM3");
    for (const auto& [secondHalfMs, read, elapsedMs] : rows) {
        world.Chamber.Faults = {.SplitAnswers = true, .SplitDelayMs = secondHalfMs};
        const double took =
            Timed([&] { EXPECT_TRUE(bench.Climate.ChamberRead(kChamberTemperatureReg, 2)); });
        EXPECT_EQ(std::pair(ports.Buffers.BytesRead, took), std::pair(read, elapsedMs))
            << secondHalfMs;
        clock.AdvanceMs(secondHalfMs);
        ports.ChamberPort.Line->DiscardInput(); // the late half of the incomplete answer
    }
}

TEST_F(InstrumentTest, ChamberOperationsRetryOnceAfterOneSecond) {
    const std::string set = kStxText + "01WSD,02,0102,00FA,0280\r\n";
    const std::string ramp = kStxText + "01WSD,02,0106,000A,FFEC\r\n";
    const ChamberSetPoint row{"25.9", "64", "1.5", "-1.5"};
    // The set point's and the ramp's answers, whether the load succeeds, the frames sent, the time.
    using Answers = std::deque<std::string>;
    const std::tuple<const char*, Answers, Answers, bool, Writes, double> loads[] = {
        {"set point retried", {"", kWriteOk}, {kWriteOk}, true, {set, set, ramp}, 2000},
        {"set point refused twice", {}, {kWriteOk}, false, {set, set}, 3000},
        {"ramp refused twice", {kWriteOk}, {}, false, {set, ramp, ramp}, 3000},
    };
    ScriptedPeer& device = Attach(ports.ChamberPort);
    for (const auto& [name, setAnswers, rampAnswers, loaded, sent, elapsedMs] : loads) {
        device.Writes.clear();
        device.Replies[set] = setAnswers;
        device.Replies[ramp] = rampAnswers;
        const double took = Timed([&] { EXPECT_EQ(bench.Climate.LoadTemp(row), loaded) << name; });
        EXPECT_EQ(std::pair(device.Writes, took), std::pair(sent, elapsedMs)) << name;
    }

    const std::string readFrame = kStxText + "01RSD,02,0001\r\n";
    device.Writes.clear();
    // A refusal is no temperature: the read is made once more.
    device.Replies[readFrame] = {kStxText + "01RSD,NG,01\r\n", kStxText + "01RSD,OK,FF9C,0123\r\n"};
    uint16_t first = 0, second = 0;
    EXPECT_EQ(Timed([&] { EXPECT_TRUE(bench.Climate.ReadTemp(first, second)); }), 2000);
    EXPECT_EQ(std::tuple(first, second), std::tuple(0xFF9C, 0x0123));
    EXPECT_EQ(Timed([&] { EXPECT_FALSE(bench.Climate.ReadTemp(first, second)); }), 3000);
    EXPECT_EQ(device.Writes, Writes(4, readFrame));

    // Run: the clear before it may go unanswered, the run may not.
    device.Replies[kStxText + "01WSD,01,0101,0001\r\n"] = {kWriteOk};
    EXPECT_TRUE(bench.Climate.ChamberRun());
}

TEST_F(InstrumentTest, ChamberLoadsAndRunsOnTheLab) {
    Open(ports.ChamberPort, "COM3");
    EXPECT_EQ(Timed([&] { EXPECT_TRUE(bench.Climate.LoadTemp({"-40", "", "2.5", ""})); }), 0);
    EXPECT_TRUE(bench.Climate.ChamberRun());
    EXPECT_EQ(std::tuple(world.Chamber.Register(0x0102), world.Chamber.Register(0x0106)),
              std::tuple(0xFE70, 20));
    EXPECT_EQ(Writes(world.Chamber.Log().end() - 2, world.Chamber.Log().end()),
              (Writes{kStxText + "01WSD,01,0200,0000", kStxText + "01WSD,01,0101,0001"}))
        << "cleared, then run";
    uint16_t air = 0, humidity = 0;
    EXPECT_TRUE(bench.Climate.ReadTemp(air, humidity));
    EXPECT_NEAR(ChamberCelsius(air), kSimRoomCelsius, 0.5);
    world.Chamber.Faults.AnswerNg = true;
    EXPECT_FALSE(bench.Climate.ChamberRun());
}

} // namespace
} // namespace qn::test
