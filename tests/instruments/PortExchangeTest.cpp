// Line collection, queries and plain writes on an instrument port.
#include "InstrumentFixture.h"

#include <utility>

namespace qn::test {
namespace {

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
            {"long line keeps the line area",
             {{0, longLine}, {10, "\r"}},
             longLine.substr(0, 513),
             10},
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
        std::string answer = "previous";
        const double took = Timed([&] {
            EXPECT_EQ(ports.SendQuery(ports.PowerPort, "*IDN?", answer), answered) << name;
        });
        EXPECT_EQ(std::tuple(answer, peer.Writes, took),
                  std::tuple(text, Writes{"*IDN?\r\n"}, kQueryWaitMs))
            << name;
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

} // namespace
} // namespace qn::test
