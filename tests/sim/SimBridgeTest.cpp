// Tests of the simulated bridge's answers to each kind of request, to its faults and logging.
#include "SimTestBytes.h"
#include "sim/SimClock.h"

#include <gtest/gtest.h>

namespace qn::test {
namespace {

class SimBridgeTest : public ::testing::Test {
  protected:
    SimClock clock;
    SimBridge bridge{clock};
};

struct AnswerCase {
    const char* Name;
    SimFaults Faults;
    Bytes Request;
    Bytes Head; // start of the expected answer; the rest is zero
};

TEST_F(SimBridgeTest, AnswersEachRequestKind) {
    bridge.Lines = {0x11, 0x22, 0x33};
    bridge.SetSignal(-2, 0);
    bridge.SetTemperatureCode(0x1A2B);
    bridge.Registers.fill(0x5C);
    const SimRegisterFile before = bridge.Registers;
    const AnswerCase cases[] = {
        {"identity", {}, {0xF9, 0xAC}, Ascii("Brenmoss")},
        {"wrong identity", {.WrongIdentity = true}, {0xF9, 0xAC}, Ascii("BRENMOSS")},
        {"presence", {}, {0xF9, 0x02, 0x12, 0x34}, {0xFF, 0xFF}},
        {"presence refused", {.Sub2Refuses = true}, {0xF9, 0x02, 0, 0}, {0xFE, 0xFF}},
        {"sub 1 echoes", {}, {0xF9, 0x01, 0x34, 0x12}, {0x34, 0x12}},
        {"sub 4 adds one", {}, {0xF9, 0x04, 0xFF, 0x00}, {0x00, 0x01}},
        {"sub 4 wraps", {}, {0xF9, 0x04, 0xFF, 0xFF}, {0x00, 0x00}},
        {"sub 6 echoes", {}, {0xF9, 0x06, 0x07, 0x00}, {0x07, 0x00}},
        {"other sub echoes", {}, {0xF9, 0x09, 0xAB, 0xCD}, {0xAB, 0xCD}},
        {"version", {}, {0xF9, 0x05, 0, 0, 0, 0, 0, 0}, Ascii("QNBR0727")},
        {"start-up first", {}, {0xC5, 0xFF, 0x01, 0x00}, {0xFA}},
        {"start-up second", {}, {0xC5, 0xFF, 0x00}, {0xFA}},
        {"stream stop", {}, {0xC4, 0x03, 0x01}, {0xFA}},
        {"bridge lines", {}, {0xB5, 0x07}, {0x00, 0x11, 0x22, 0x33}},
        {"conversion", {}, {0xC4, 0x01, 0xA0, 0x05, 0x03}, {0xFA, 0xFF, 0xFF, 0xFE}},
        {"temperature", {}, {0xC4, 0x01, 0xA0, 0x06, 0x02}, {0xFA, 0x1A, 0x2B}},
        {"register 5 alone", {}, {0xC4, 0x01, 0xA0, 0x05, 0x01}, {0xFA, 0x5C}},
        {"special bit 8", {}, {0xBA, 0x84, 0xFF, 0x02, 0x02}, {0x5C, 0x5C}},
        {"special bit 10 read", {}, {0xBA, 0x90, 0x00, 0x02, 0x02}, {}},
        {"special bit 12 read", {}, {0xBE, 0xC4, 0x00, 0x02, 0x02}, {}},
        {"special bit 10 write", {}, {0xBA, 0x10, 0x00, 0x02, 0x02, 0x01, 0x02}, {}},
    };
    for (const AnswerCase& c : cases) {
        bridge.Faults = c.Faults;
        EXPECT_EQ(Exchange(bridge, c.Request), Padded(c.Head)) << c.Name;
    }
    EXPECT_EQ(bridge.Registers, before) << "nothing was written inside the register file";
}

TEST_F(SimBridgeTest, LeavesUnknownRequestsUnanswered) {
    const Bytes requests[] = {{0x00},
                              {0x12, 0x34},
                              {0xC5, 0xFE, 0x01, 0x00},
                              {0xC4, 0x09},
                              {0xC4, 0x03, 0x00},
                              {0xC4, 0x01, 0xA1, 0x00, 0x01},
                              {0xB5, 0x06},
                              {}};
    for (const Bytes& request : requests) EXPECT_TRUE(Exchange(bridge, request).empty());
}

TEST_F(SimBridgeTest, ReadsCopyTheRequestedLengthOnceAndAreLogged) {
    EXPECT_EQ(Exchange(bridge, {0xF9, 0xAC}, 8), Ascii("Brenmoss"));
    EXPECT_EQ(Exchange(bridge, {0xF9, 0xAC, 0x00}, 100), Padded(Ascii("Brenmoss"), 100));
    uint8_t again[8] = {};
    EXPECT_FALSE(bridge.Answer(again, sizeof again)) << "an answer is read only once";
    ASSERT_EQ(bridge.Log().size(), 2u);
    EXPECT_EQ(bridge.Log()[0].Request, Bytes({0xF9, 0xAC}));
    EXPECT_EQ(bridge.Log()[0].ReadLength, 8u);
    EXPECT_EQ(bridge.Log()[1].Request, Bytes({0xF9, 0xAC, 0x00}));
}

TEST_F(SimBridgeTest, PulledCableAndSilenceStopTheExchange) {
    bridge.Faults.CablePulled = true;
    EXPECT_TRUE(Exchange(bridge, {0xF9, 0xAC}).empty());
    EXPECT_TRUE(bridge.Log().empty()) << "nothing reaches a bridge without a cable";
    bridge.Faults = {.Silent = true};
    EXPECT_TRUE(Exchange(bridge, {0xF9, 0xAC}).empty());
    EXPECT_EQ(bridge.Log().size(), 1u);
    bridge.Faults = {};
    EXPECT_EQ(Exchange(bridge, {0xF9, 0xAC}), Padded(Ascii("Brenmoss")));
}

struct RoundTripCase {
    const char* Name;
    Bytes WriteHead; // the write frame without its three data bytes
    Bytes Read;
    size_t Address;  // where the data must land in the register file
    size_t AnswerAt; // where the read answer carries the data
};

TEST_F(SimBridgeTest, RegisterWritesReadBackThroughBothFrameKinds) {
    const RoundTripCase cases[] = {
        {"qn740x", {0xC4, 0, 0xA0, 2, 3, 0, 0}, {0xC4, 1, 0xA0, 2, 3}, 0x002, 1},
        {"special plain", {0xBA, 0x40, 0x21, 3, 3}, {0xBA, 0xC0, 0x21, 3, 3}, 0x021, 0},
        {"special bit 8", {0xBE, 0x04, 0x10, 3, 3}, {0xBE, 0x84, 0x10, 3, 3}, 0x110, 0},
        {"special bits 8-9", {0xBA, 0x0C, 0xFD, 3, 3}, {0xBE, 0x8C, 0xFD, 3, 3}, 0x3FD, 0},
    };
    const Bytes data = {0x11, 0x22, 0x33};
    for (const RoundTripCase& c : cases) {
        bridge.Registers.fill(0);
        Bytes write = c.WriteHead;
        write.insert(write.end(), data.begin(), data.end());
        ASSERT_FALSE(Exchange(bridge, write).empty()) << c.Name;
        const Bytes stored(bridge.Registers.begin() + static_cast<long>(c.Address),
                           bridge.Registers.begin() + static_cast<long>(c.Address + 3));
        EXPECT_EQ(stored, data) << c.Name;
        const Bytes answer = Exchange(bridge, c.Read);
        ASSERT_EQ(answer.size(), 64u) << c.Name;
        const auto at = answer.begin() + static_cast<long>(c.AnswerAt);
        EXPECT_EQ(Bytes(at, at + 3), data) << c.Name;
    }
}

} // namespace
} // namespace qn::test
