// Line collection, queries and plain writes on an instrument port.
#include "InstrumentFixture.h"

#include <ostream>

#include <utility>

namespace qn::test {
namespace {

struct LineCase {
    const char* Name;
    std::vector<std::pair<double, std::string>> Arrivals; // at ms after the read starts
    std::string Line;                                     // empty: no line
    double ElapsedMs;                                     // time the read took
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.Name;
}

class ReadLineTest : public InstrumentTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(ReadLineTest, CollectsOneLine) {
    const LineCase& c = GetParam();
    ScriptedDevice& device = Attach(ports.FlukePort);
    for (const auto& [at, bytes] : c.Arrivals) device.AnswerAfter(at, bytes);
    size_t length = 0;
    const double took = Timed([&] { length = ports.ReadLine(ports.FlukePort); });
    EXPECT_EQ(length, c.Line.size());
    EXPECT_EQ(ports.LineText(length), c.Line);
    EXPECT_NEAR(took, c.ElapsedMs, 1.0);
}

const std::string kLong(600, 'y');

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadLineTest,
    ::testing::Values(
        LineCase{"OnlyCr", {{0, "\r"}}, "", 0},
        LineCase{"SplitWithinHalfSecond", {{0, "OUT 1"}, {300, " V\r"}}, "OUT 1 V", 300},
        LineCase{"CrAfterHalfSecond", {{0, "5500A"}, {600, "\r"}}, "", 500},
        LineCase{"AfterCrDropped", {{0, "AB\rCD\r"}}, "AB", 0}, LineCase{"Silent", {}, "", 500},
        LineCase{"NoCrIn2000Bytes", {{0, std::string(2000, 'x')}}, "", 500},
        LineCase{"LongLineKeepsLineArea", {{0, kLong}, {10, "\r"}}, kLong.substr(0, 513), 10}),
    [](const auto& p) { return std::string(p.param.Name); });

struct QueryCase {
    const char* Name;
    std::string Stale; // waiting before the query
    std::string Reply; // the instrument's answer to "*IDN?"
    double ReplyDelayMs;
    bool Answered;
    std::string Answer; // the caller's text afterwards
};

void PrintTo(const QueryCase& c, std::ostream* os) {
    *os << c.Name;
}

class SendQueryTest : public InstrumentTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(SendQueryTest, ReturnsWhatCameWithinHalfSecond) {
    const QueryCase& c = GetParam();
    ScriptedDevice& device = Attach(ports.PowerPort);
    device.AnswerAfter(0, c.Stale);
    device.Replies["*IDN?\r\n"] = {c.Reply};
    device.ReplyDelayMs = c.ReplyDelayMs;
    std::string answer = "previous";
    bool answered = false;
    const double took =
        Timed([&] { answered = ports.SendQuery(ports.PowerPort, "*IDN?", answer); });
    EXPECT_EQ(answered, c.Answered);
    EXPECT_EQ(answer, c.Answer);
    EXPECT_EQ(device.Writes, Writes{"*IDN?\r\n"});
    EXPECT_EQ(took, kQueryWaitMs);
}

INSTANTIATE_TEST_SUITE_P(
    Queries, SendQueryTest,
    ::testing::Values(QueryCase{"Answered", "", "HP,1\r\n", 0, true, "HP,1\r\n"},
                      QueryCase{"StaleInputLeftOut", "old\r\n", "HP,1\r\n", 100, true, "HP,1\r\n"},
                      QueryCase{"Silent", "", "", 0, false, "previous"},
                      QueryCase{"StaleOnly", "old\r\n", "", 0, false, "previous"},
                      QueryCase{"TooLate", "", "HP,1\r\n", 600, false, "previous"}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST_F(InstrumentTest, SendTextWritesOnceAndPauses) {
    ScriptedDevice& device = Attach(ports.FlukePort);
    EXPECT_EQ(Timed([&] { ports.SendText(ports.FlukePort, ""); }), 0);
    EXPECT_TRUE(device.Writes.empty());
    EXPECT_EQ(Timed([&] { ports.SendText(ports.FlukePort, std::string(300, 'a')); }),
              kSendTextPauseMs);
    EXPECT_EQ(device.Writes, Writes{std::string(kMaxSendText, 'a')});
}

TEST_F(InstrumentTest, ClosedPortWritesNothingAndHearsNothing) {
    ScriptedDevice& device = Attach(ports.PowerPort);
    device.Replies["VOLT 1\r\n"] = {"OK\r\n"};
    ports.PowerPort.Line->Close();
    ports.PowerPort.Selected = 0;
    std::string answer = "kept";
    EXPECT_FALSE(ports.SendQuery(ports.PowerPort, "VOLT 1", answer));
    EXPECT_EQ(ports.ReadLine(ports.PowerPort), 0u);
    ports.SendText(ports.PowerPort, "OPER");
    EXPECT_EQ(answer, "kept");
    EXPECT_TRUE(device.Writes.empty());
    ports.PowerPort.Line.reset();
    EXPECT_EQ(ports.QueryWaiting(ports.PowerPort), 0u);
    EXPECT_TRUE(status.Texts.empty());
}

} // namespace
} // namespace qn::test
