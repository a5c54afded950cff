// Tests of the serial bridge peer's frames and faults, and of the simulated serial lines.
#include "SimTestBytes.h"
#include "sim/SimClock.h"
#include "sim/SimSerialLine.h"

#include <gtest/gtest.h>

namespace qn::test {
namespace {

class SimSerialTest : public ::testing::Test {
  protected:
    SimSerialTest() {
        factory.Connect("COM16", peer);
        EXPECT_TRUE(line.Open("COM16"));
    }
    void Send(const Bytes& bytes) { line.Write(bytes.data(), bytes.size()); }
    Bytes Drain(size_t max = 1000) {
        Bytes got(max);
        got.resize(line.Read(got.data(), got.size()));
        return got;
    }
    std::pair<uint32_t, size_t> Status() {
        uint32_t errors = 0;
        size_t waiting = 0;
        EXPECT_TRUE(line.QueryStatus(errors, waiting));
        return {errors, waiting};
    }

    SimSerialBridge peer;
    SimSerialPortFactory factory;
    SimSerialLine line{factory};
};

struct PeerCase {
    const char* Name;
    SimSerialFaults Faults;
    std::vector<Bytes> Writes;
    Bytes Answer;
};

TEST_F(SimSerialTest, PeerAnswersFramesAndFaults) {
    const PeerCase cases[] = {
        {"sync", {}, {{0x55}}, {0xAA}},
        {"sync answer", {.SyncAnswer = 0x00}, {{0x55}}, {0x00}},
        {"failed sync", {.FailSyncTimes = 1}, {{0x55}, {0x55}}, {0xAA}},
        {"read", {}, {{0xC0, 0xFE, 0x00, 0x03}}, {0x0F, 0x0F, 0x10}},
        {"read high", {}, {{0xC0, 0xFF, 0x03, 0x02}}, {0x3F, 0x00}},
        {"read split", {}, {{0xC0, 0xFE}, {0x00}, {0x01}}, {0x0F}},
        {"write", {}, {{0x40, 0x01, 0x02, 0x01, 0x99}, {0xC0, 0x01, 0x02, 0x01}}, {0xAA, 0x99}},
        {"write answer", {.WriteAnswer = 0x55}, {{0x40, 0x00, 0x00, 0x00}}, {0x55}},
        {"silent read", {.SilentReads = true}, {{0xC0, 0x00, 0x00, 0x01}, {0x55}}, {0xAA}},
        {"stray byte", {}, {{0x00, 0x55}}, {0xAA}},
    };
    for (const PeerCase& c : cases) {
        for (size_t a = 0; a < kSimRegisterCount; ++a)
            peer.Registers()[a] = static_cast<uint8_t>(a >> 4);
        peer.Faults = c.Faults;
        for (const Bytes& write : c.Writes) Send(write);
        EXPECT_EQ(Drain(), c.Answer) << c.Name;
    }
}

TEST_F(SimSerialTest, ReadFramesRaiseTheFaultedLineErrorOnce) {
    const std::pair<SimSerialFaults, uint32_t> cases[] = {
        {{.ParityErrorOnNextRead = true}, kLineErrorParity},
        {{.OtherErrorOnNextRead = true}, kLineErrorFrame},
    };
    for (const auto& [faults, expected] : cases) {
        peer.Faults = faults;
        Send({0x55});
        EXPECT_EQ(Status().first, 0u) << "a sync raises nothing";
        Send({0xC0, 0x00, 0x00, 0x02});
        EXPECT_EQ(Status(), std::make_pair(expected, size_t{3}));
        Send({0xC0, 0x00, 0x00, 0x02});
        EXPECT_EQ(Status().first, 0u) << "only the next read";
        line.DiscardInput();
    }
}

TEST_F(SimSerialTest, ExtraBytesAreReadAtMostAsAsked) {
    peer.Faults.ExtraAnswerBytes = 600;
    Send({0xC0, 0x00, 0x00, 0x04});
    EXPECT_EQ(Drain(260).size(), 260u);
    EXPECT_EQ(Status().second, 344u);
    EXPECT_EQ(Drain().back(), kSimSerialFiller);
}

TEST_F(SimSerialTest, LogsEveryWriteAndSharesARegisterFile) {
    SimClock clock;
    SimBridge bridge(clock);
    SimSerialBridge shared(bridge.Registers);
    factory.Connect("COM3", shared);
    SimSerialLine other(factory);
    ASSERT_TRUE(other.Open("COM3"));
    const Bytes frame = {0x40, 0xFF, 0x03, 0x01, 0x42};
    other.Write(frame.data(), 2);
    other.Write(frame.data() + 2, 3);
    EXPECT_EQ(bridge.Registers[0x3FF], 0x42);
    EXPECT_EQ(shared.Writes(), std::vector<Bytes>({{0x40, 0xFF}, {0x03, 0x01, 0x42}}));
}

TEST_F(SimSerialTest, LinesOpenKnownFreePortsAndRecordSettings) {
    SimSerialLine other(factory);
    EXPECT_FALSE(other.Open("COM16")) << "busy";
    EXPECT_FALSE(other.Open("COM1")) << "missing";
    EXPECT_EQ(other.Write(Bytes{0x55}.data(), 1), 0u) << "closed";
    EXPECT_FALSE(other.Configure({}));
    EXPECT_TRUE(line.Configure({.BaudRate = 19200, .DataBits = 7, .ParityMode = Parity::Even}));
    EXPECT_TRUE(line.SetDtr(true));
    line.Close();
    const SimPortRecord* port = factory.Port("COM16");
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->Settings.BaudRate, 19200u);
    EXPECT_EQ(port->Settings.ParityMode, Parity::Even);
    EXPECT_TRUE(port->Dtr);
    EXPECT_TRUE(other.Open("COM16")) << "free again";
    EXPECT_EQ(port->OpenCount, 2);
    EXPECT_TRUE(peer.Writes().empty());
}

} // namespace
} // namespace qn::test
