// The remote session over a fake bench: lines in, the replies and the error-queue entries out,
// for the header forms, ";" chains, arguments, errors, data blocks, the busy rule and held lines.
#include "remote/RemoteSession.h"

#include "remote/FakeRemoteBench.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace qn::test {
namespace {

using namespace std::string_literals;

struct Outcome {
    std::string Replies;             // every reply, in order
    std::vector<std::string> Errors; // the error queue as SYST:ERR? reads it, oldest first
};

Outcome Send(RemoteSession& session, const std::vector<std::string>& lines) {
    Outcome outcome;
    for (const std::string& line : lines) outcome.Replies += session.HandleLine(line);
    for (std::string entry; (entry = session.HandleLine("SYST:ERR?")) != "0,\"No error\"\n";) {
        outcome.Errors.push_back(entry.substr(0, entry.size() - 1));
        if (outcome.Errors.size() > 30) break;
    }
    return outcome;
}

Outcome SendToFreshSession(const std::vector<std::string>& lines) {
    FakeRemoteBench bench;
    RemoteSession session(bench);
    return Send(session, lines);
}

TEST(RemoteSessionTest, RepliesAndErrorsOfHeadersArgumentsAndDataBlocks) {
    // The lines sent, every reply, the error queue.
    const std::tuple<std::vector<std::string>, std::string, std::vector<std::string>> cases[] = {
        // Header forms and ";" chains.
        {{"*idn?"}, "Maker,Model,0001,1.3\n", {}},
        {{"capt:poin 1024", "CaPtUrE:PoInTs?"}, "1024\n", {}},
        {{"CAPT:POIN 512;SCAL 20;POIN?;SCAL?"}, "512;20\n", {}},
        {{"CAPT:POIN 512;:CAPT:POIN?"}, "512\n", {}},
        {{"CAPT:POIN 100;*OPC;SCAL 20;*ESR?;POIN?"}, "1;100\n", {}},
        {{"SYST:ERR:NEXT?;:SYSTEM:ERROR?;:FORM:DATA INT;:FORM?"},
         "0,\"No error\";0,\"No error\";INT,32\n",
         {}},
        {{"BOGUS;:CAPT:POIN 100", "CAPT:POIN?"}, "4096\n", {"-113,\"Undefined header;BOGUS\""}},
        {{"CAPT:POIN 0;SCAL 20;SCAL?"}, "20\n", {"-222,\"Data out of range;points 1 to 65536\""}},
        {{"", "  ", ";*IDN?;", "*IDN?\r"}, "Maker,Model,0001,1.3\nMaker,Model,0001,1.3\n", {}},
        // Arguments.
        {{"REG #H1f,#B101", "REG? 31"}, "5\n", {}},
        {{"REG #Q17,1E1;REG? 15"}, "10\n", {}},
        {{"CAPT:POIN 100.4;POIN?"}, "100\n", {}},
        {{"CAPT:POIN MAX;POIN?;POIN MIN;POIN?;POIN DEF;POIN?"}, "65536;1;4096\n", {}},
        {{"CAPT:REF 2.5;REF?"}, "2.5\n", {}},
        {{"SYST:CHIP 'QN7402';CHIP?", "SYST:CHIP \"say \"\"hi\"\"\";CHIP?"},
         "\"QN7402\"\n\"say \"\"hi\"\"\"\n",
         {}},
        {{"TEMP:RUN 'a;b'", "SYST:CHIP:CAT?"}, "\"QN7401\",\"QN7402\"\n", {}},
        {{"REG:FIELD PGA,3;FIELD? 'PGA'"}, "3\n", {}},
        // The status bytes.
        {{"CAPT:POIN 0", "*ESR?;*STB?", "BOGUS", "*ESE 32;*SRE 32;*STB?;*ESR?", "*CLS;*STB?"},
         "16;4\n100;32\n0\n",
         {}},
        // Figures and data blocks.
        {{"FETC:FIG?", "*CLS;INIT;FETC:FIG?"}, "0.5,1.5,2.5,3.5,4.5,5.5,9.91E+37\n", {}},
        {{"MEAS:FIG? 256;:CAPT:POIN?"}, "0.5,1.5,2.5,3.5,4.5,5.5,9.91E+37;256\n", {}},
        {{"INIT;FETC:DATA?"}, "1,-2,65536\n", {}},
        {{"INIT;FORM INT,32;FETC:DATA?"}, "#212\x01\0\0\0\xFE\xFF\xFF\xFF\0\0\x01\0\n"s, {}},
        {{"INIT;FORM:DATA INT,32;BORD NORM;BORD?;:FETC:DATA?"},
         "NORM;#212\0\0\0\x01\xFF\xFF\xFF\xFE\0\x01\0\0\n"s,
         {}},
        {{"INIT;FORM REAL,64;FETC:DATA?"},
         "#224\0\0\0\0\0\0\xF0\x3F\0\0\0\0\0\0\0\xC0\0\0\0\0\0\0\xF0\x40\n"s,
         {}},
        {{"FORM INT;*RST;FORM?;:FORM:BORD?"}, "ASC;SWAP\n", {}},
        {{"TEMP:RUN 'plan.txt';STAT?"}, "2,5,SOAK,120\n", {}},
        // Lines that give no reply, only an entry in the error queue.
        {{"CAPTU:POIN?"}, "", {"-113,\"Undefined header;CAPTU:POIN?\""}},
        {{"CAPT:POIN 512;CAPT:POIN?"}, "", {"-113,\"Undefined header;CAPT:CAPT:POIN?\""}},
        {{"INIT?"}, "", {"-113,\"Undefined header;INIT?\""}},
        {{"CAPT@POIN 5"}, "", {"-101,\"Invalid character;a space expected after the header\""}},
        {{"*IDN?\x01"}, "", {"-101,\"Invalid character;a space expected after the header\""}},
        {{"CAPT::POIN 5"}, "", {"-102,\"Syntax error;a header expected\""}},
        {{"CAPT:POIN,5"}, "", {"-102,\"Syntax error;a space expected after the header\""}},
        {{"REG 1,,2"}, "", {"-102,\"Syntax error;an argument expected\""}},
        {{"CAPT:POIN 5V"}, "", {"-102,\"Syntax error;unexpected text after an argument\""}},
        {{"REG #H1G,1"}, "", {"-102,\"Syntax error;bad digit in a #H, #Q or #B number\""}},
        {{"CAPT:POIN 'x'"}, "", {"-104,\"Data type error;points is a number\""}},
        {{"CAPT:POIN 1,2"}, "", {"-108,\"Parameter not allowed\""}},
        {{"*IDN? 5"}, "", {"-108,\"Parameter not allowed\""}},
        {{"REG 1"}, "", {"-109,\"Missing parameter\""}},
        {{"CAPT:POIN 1E999"}, "", {"-123,\"Exponent too large;1E999\""}},
        {{"REG #HFFFFFFFFFFFFFFFFF,1"}, "", {"-123,\"Exponent too large;numeric overflow\""}},
        {{"SYST:CHIP \"QN"}, "", {"-151,\"Invalid string data;the string has no closing quote\""}},
        {{"REG #H7F,1"}, "", {"-200,\"Execution error;read back 0\""}},
        {{"CAPT:SCAL 24"}, "", {"-222,\"Data out of range;scale bits 8 to 23\""}},
        {{"CAPT:REF 0"}, "", {"-222,\"Data out of range;reference volts above 0 up to 10\""}},
        {{"REG:FIELD? GAIN"}, "", {"-222,\"Data out of range;no field GAIN\""}},
        {{"FORM REAL,32"}, "", {"-222,\"Data out of range;INTeger takes 32, REAL takes 64\""}},
        {{std::string(RemoteSession::kLongestLine + 1, 'A')},
         "",
         {"-223,\"Too much data;line over 65536 bytes dropped\""}},
        {{"FORM:BORD BIG"}, "", {"-224,\"Illegal parameter value;BIG\""}},
        {{"FETC:FIG?"}, "", {"-230,\"Data corrupt or stale\""}},
        {{"FETC:DATA?"}, "", {"-230,\"Data corrupt or stale\""}},
    };
    for (const auto& [lines, replies, errors] : cases) {
        SCOPED_TRACE(lines.front().substr(0, 40));
        const Outcome outcome = SendToFreshSession(lines);
        EXPECT_EQ(outcome.Replies, replies);
        EXPECT_EQ(outcome.Errors, errors);
    }
}

TEST(RemoteSessionTest, Int32RefusesBlockAverages) {
    FakeRemoteBench bench;
    bench.SampleValues = {1.5};
    RemoteSession session(bench);
    EXPECT_EQ(Send(session, {"INIT;FORM INT,32;FETC:DATA?;:FORM REAL;:FETC:DATA?"}).Errors,
              std::vector<std::string>{"-221,\"Settings conflict;values are not whole 32-bit "
                                       "numbers: use FORMat:DATA REAL,64\""});
}

TEST(RemoteSessionTest, QueueOverflowReplacesTheNewestEntry) {
    const Outcome outcome = SendToFreshSession(std::vector<std::string>(25, "CAPT:POIN 0"));
    ASSERT_EQ(outcome.Errors.size(), ErrorQueue::kCapacity);
    EXPECT_EQ(outcome.Errors[ErrorQueue::kCapacity - 2],
              "-222,\"Data out of range;points 1 to 65536\"");
    EXPECT_EQ(outcome.Errors.back(), "-350,\"Queue overflow\"");
}

TEST(RemoteSessionTest, WhileBusyStateIsAnsweredAndTheLinkRefused) {
    FakeRemoteBench bench;
    bench.BusyNow = true;
    RemoteSession session(bench);
    const Outcome outcome =
        Send(session, {"CAPT:POIN 100;POIN?", "INIT", "ABOR", "TEMP:STAT?;*OPC?"});
    EXPECT_EQ(outcome.Replies, "4096\n2,5,SOAK,120;1\n");
    EXPECT_FALSE(bench.Captured);
    EXPECT_EQ(bench.Aborts, 1);
    EXPECT_EQ(outcome.Errors, std::vector<std::string>(2, "-221,\"Settings conflict;another "
                                                          "operation holds the link\""));
}

// Lines that arrive while the session's own capture runs: state answered at once, ABORt passed
// on, *OPC? and every line after it answered when the capture has ended, in order.
TEST(RemoteSessionTest, LinesDuringAnOperation) {
    FakeRemoteBench bench;
    RemoteSession session(bench);
    std::vector<std::string> during;
    bench.During = [&] {
        for (const char* line :
             {"TEMP:STAT?", "CAPT:POIN 5", "ABOR", "*OPC?", "ABORT", "CAPT:POIN?", "SYST:ERR?"})
            during.push_back(session.HandleLine(line));
    };
    EXPECT_EQ(session.HandleLine("INIT"),
              "1\n4096\n-221,\"Settings conflict;another operation holds the link\"\n");
    EXPECT_EQ(during, (std::vector<std::string>{"2,5,SOAK,120\n", "", "", "", "", "", ""}));
    EXPECT_EQ(bench.Aborts, 2);
}

// A query in the line in progress holds every later line, so its reply comes first.
TEST(RemoteSessionTest, LinesDuringAQueryWaitForItsReply) {
    FakeRemoteBench bench;
    RemoteSession session(bench);
    std::string during;
    bench.During = [&] { during = session.HandleLine("TEMP:STAT?"); };
    EXPECT_EQ(session.HandleLine("MEAS:FIG?"), "0.5,1.5,2.5,3.5,4.5,5.5,9.91E+37\n2,5,SOAK,120\n");
    EXPECT_EQ(during, "");
}

} // namespace
} // namespace qn::test
