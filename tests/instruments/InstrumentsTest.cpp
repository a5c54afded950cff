// The instruments on the simulated lab and on scripted peers: an instrument port's line
// collection, queries and plain writes; the command lines of the calibrator and the power supply,
// with their retries; the "Select" buttons of the three instruments; the chamber's frames, answer
// checks, word and set-point conversions and retried operations.
#include "InstrumentFixture.h"
#include "instruments/Chamber.h"

#include <algorithm>
#include <utility>

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

TEST_F(InstrumentTest, ReadLineCollectsOneLine) {
    const std::string longLine(600, 'y');
    // The bytes arriving at ms after the read starts, the line read (empty: none), the time taken.
    const std::tuple<const char*, std::vector<std::pair<double, std::string>>, std::string, double>
        cases[] = {
            {"only CR", {{0, "\r"}}, "", 0},
            {"split within half a second", {{0, "OUT 1"}, {300, " V\r"}}, "OUT 1 V", 300},
            {"CR after half a second", {{0, "5500A"}, {600, "\r"}}, "", 500},
            {"after CR dropped", {{0, "AB\rCD\r"}}, "AB", 0},
            {"silent", {}, "", 500},
            {"no CR in 2000 bytes", {{0, std::string(2000, 'x')}}, "", 500},
            {"long line keeps 513 bytes", {{0, longLine}, {10, "\r"}}, longLine.substr(0, 513), 10},
        };
    for (const auto& [name, arrivals, line, elapsedMs] : cases) {
        ScriptedPeer& peer = Attach(ports.FlukePort);
        for (const auto& [at, bytes] : arrivals) peer.AnswerAfter(at, bytes);
        const double took = Timed(
            [&] { EXPECT_EQ(ports.LineText(ports.ReadLine(ports.FlukePort)), line) << name; });
        EXPECT_NEAR(took, elapsedMs, 1.0) << name;
    }
}

TEST_F(InstrumentTest, SendQueryReturnsWhatCameWithinHalfASecond) {
    // Input waiting before the query, the instrument's answer to "*IDN?" and its delay, whether
    // the query is answered, the caller's text afterwards.
    const std::tuple<const char*, std::string, std::string, double, bool, std::string> cases[] = {
        {"answered", "", "HP,1\r\n", 0, true, "HP,1\r\n"},
        {"stale input left out", "old\r\n", "HP,1\r\n", 100, true, "HP,1\r\n"},
        {"silent", "", "", 0, false, "previous"},
        {"stale only", "old\r\n", "", 0, false, "previous"},
        {"too late", "", "HP,1\r\n", 600, false, "previous"},
    };
    for (const auto& [name, stale, reply, replyDelayMs, answered, text] : cases) {
        ScriptedPeer& peer = Attach(ports.PowerPort);
        peer.AnswerAfter(0, stale);
        peer.Replies["*IDN?\r\n"] = {reply};
        peer.ReplyDelayMs = replyDelayMs;
        SCOPED_TRACE(name);
        std::string answer = "previous";
        const double took =
            Timed([&] { EXPECT_EQ(ports.SendQuery(ports.PowerPort, "*IDN?", answer), answered); });
        EXPECT_EQ(std::tuple(answer, peer.Writes, took),
                  std::tuple(text, Writes{"*IDN?\r\n"}, kQueryWaitMs));
    }
}

TEST_F(InstrumentTest, SendTextWritesOnceAndPauses) {
    ScriptedPeer& peer = Attach(ports.FlukePort);
    EXPECT_EQ(Timed([&] { ports.SendText(ports.FlukePort, ""); }), 0);
    EXPECT_TRUE(peer.Writes.empty());
    EXPECT_EQ(Timed([&] { ports.SendText(ports.FlukePort, std::string(300, 'a')); }),
              kSendTextPauseMs);
    EXPECT_EQ(peer.Writes, Writes{std::string(kMaxSendText, 'a')});
}

TEST_F(InstrumentTest, ClosedPortWritesNothingAndHearsNothing) {
    ScriptedPeer& peer = Attach(ports.PowerPort);
    peer.Replies["VOLT 1\r\n"] = {"OK\r\n"};
    ports.PowerPort.Line->Close();
    ports.PowerPort.Selected = 0;
    std::string answer = "kept";
    EXPECT_FALSE(ports.SendQuery(ports.PowerPort, "VOLT 1", answer));
    EXPECT_EQ(ports.ReadLine(ports.PowerPort), 0u);
    ports.SendText(ports.PowerPort, "OPER");
    EXPECT_EQ(answer, "kept");
    EXPECT_TRUE(peer.Writes.empty());
    ports.PowerPort.Line.reset();
    EXPECT_EQ(ports.QueryWaiting(ports.PowerPort), 0u);
    EXPECT_TRUE(status.Texts.empty());
}

// The lab's instruments on COM1..COM3, or a scripted supply on COM5 giving an identity.
TEST_F(InstrumentTest, SelectIdentifiesOrRefuses) {
    using enum InstrumentKind;
    // The instrument, its port's entry, the lab's faults, a scripted supply's answer to "*IDN?"
    // (on COM5, instead of the lab's), the status shown.
    const std::tuple<InstrumentKind, int, SimLabFaults, const char*, std::string> cases[] = {
        {Fluke, 0, {}, nullptr, "Successful Select Fluke In COM1"},
        {Fluke, 0, {.Silent = true}, nullptr, "Successful Select Fluke In COM1"},
        {Power, 1, {}, nullptr, "Successful Select Power Supply In COM2"},
        {Power, 1, {.WrongIdentity = true}, nullptr, "Fail Select Power Supply COM2"},
        {Power, 1, {.Silent = true}, nullptr, "Fail Select Power Supply COM2"},
        {Power, 4, {}, "HEWLETT\n", "Fail Select Power Supply COM5"},
        {Power, 4, {}, "hewlett-packard,E3631A\r\n", "Fail Select Power Supply COM5"},
        {Chamber, 2, {}, nullptr, "Successful Select Chamber In COM3"},
        {Chamber, 2, {.WrongIdentity = true}, nullptr, "Fail Select Chamber COM3"},
    };
    for (const auto& [kind, index, faults, scripted, shown] : cases) {
        SCOPED_TRACE(shown);
        const bool accepted = shown.starts_with("Successful");
        SimLabPeer& lab = kind == Fluke   ? static_cast<SimLabPeer&>(world.Calibrator)
                          : kind == Power ? static_cast<SimLabPeer&>(world.Supply)
                                          : world.Chamber;
        lab.Faults = faults;
        if (scripted != nullptr) {
            ScriptedPeer& peer = peers.emplace_back(clock);
            peer.Replies["*IDN?\r\n"] = {scripted};
            world.SerialPorts.Connect("COM5", peer);
        }
        ask.Asked.clear();
        bench.Select(kind, index);
        const DevcRS232& port = bench.PortOf(kind);
        const std::string portName = "COM" + std::to_string(index + 1);
        const SimPortRecord& record = *world.SerialPorts.Port(portName);
        EXPECT_EQ(status.Last(kInstrumentStatusPanel), shown);
        EXPECT_EQ(std::tuple(port.Selected, port.PortName, record.Busy, ask.Asked.size()),
                  std::tuple(accepted ? 1 : 0, portName, accepted, accepted ? 0u : 1u));
        const LineSettings& set = record.Settings;
        EXPECT_EQ(std::tuple(set.BaudRate, set.DataBits, set.ParityMode, set.StopBits),
                  std::tuple(9600u, 8, Parity::None, kind == Power ? 2 : 1));
        if (!accepted) continue;
        EXPECT_EQ(std::tuple(port.BaudRate, port.DataBits, port.Parity),
                  std::tuple(9600u, uint16_t{8}, uint16_t{0}));
        // Selected again, from any entry: nothing is sent.
        const size_t received = lab.Log().size();
        bench.Select(kind, 5);
        EXPECT_EQ(status.Last(kInstrumentStatusPanel), ports.InstrumentName(port) + " 已經設定");
        EXPECT_EQ(lab.Log().size(), received);
        bench.PortOf(kind).Line->Close();
        bench.PortOf(kind).Selected = 0;
    }
    // Identifying leaves the supply remote, at 0 V and 0 A, its output off.
    EXPECT_EQ(Writes(world.Supply.Log().begin(), world.Supply.Log().begin() + 5),
              (Writes{"SYST:REM", "VOLT 0.0", "CURR 0.0", "OUTP OFF", "*IDN?"}));
    EXPECT_TRUE(world.SerialPorts.Port("COM2")->Dtr);
}

TEST_F(InstrumentTest, MissingPortIsNotFound) {
    const std::tuple<InstrumentKind, int, std::string> rows[] = {
        {InstrumentKind::Fluke, 4, "Fluke Uart  not  found"},
        {InstrumentKind::Power, 6, "Power Supply Uart  not  found"},
        {InstrumentKind::Chamber, 17, "Chamber Uart  not  found"}};
    for (const auto& [kind, index, shown] : rows) {
        bench.Select(kind, index);
        EXPECT_EQ(status.Last(kInstrumentStatusPanel), shown);
        EXPECT_EQ(bench.PortOf(kind).Selected, 0);
    }
}

TEST_F(InstrumentTest, PortLostWhileOpenIsShownOnce) {
    bench.Select(InstrumentKind::Fluke, 0);
    ASSERT_EQ(ports.FlukePort.Selected, 1);
    ports.FlukePort.Line->Close(); // the adapter is gone: its line closed itself
    world.Calibrator.ClearLog();
    bench.Fluke.Standby();
    bench.Fluke.PlayStep("OUT 1 V", false);
    EXPECT_EQ(ports.FlukePort.Selected, 0);
    EXPECT_TRUE(world.Calibrator.Log().empty());
    const std::pair lost(kInstrumentStatusPanel, std::string("Fluke Uart  lost: COM1"));
    EXPECT_EQ(std::ranges::count(status.Texts, lost), 1);
    bench.Select(InstrumentKind::Fluke, 0);
    EXPECT_EQ(status.Last(kInstrumentStatusPanel), "Successful Select Fluke In COM1");
}

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
    // Cleared, then run.
    EXPECT_EQ(Writes(world.Chamber.Log().end() - 2, world.Chamber.Log().end()),
              (Writes{kStxText + "01WSD,01,0200,0000", kStxText + "01WSD,01,0101,0001"}));
    uint16_t air = 0, humidity = 0;
    EXPECT_TRUE(bench.Climate.ReadTemp(air, humidity));
    EXPECT_NEAR(ChamberCelsius(air), kSimRoomCelsius, 0.5);
    world.Chamber.Faults.AnswerNg = true;
    EXPECT_FALSE(bench.Climate.ChamberRun());
}

} // namespace
} // namespace qn::test
