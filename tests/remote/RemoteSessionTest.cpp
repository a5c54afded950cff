// The remote session over a fake bench: lines in, the replies and the error-queue entries out,
// for the header forms, ";" chains, arguments, errors, data blocks, the busy rule and held lines.
#include "remote/RemoteSession.h"

#include "remote/FakeRemoteBench.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
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

struct Case {
    const char* Name;
    std::vector<std::string> Lines;
    std::string Replies;
    std::vector<std::string> Errors;
};

std::string CaseName(const testing::TestParamInfo<Case>& info) {
    return info.param.Name;
}

// The case's name where a test lists its parameter.
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.Name;
}

class RemoteLinesTest : public testing::TestWithParam<Case> {};

TEST_P(RemoteLinesTest, RepliesAndErrors) {
    FakeRemoteBench bench;
    RemoteSession session(bench);
    const Outcome outcome = Send(session, GetParam().Lines);
    EXPECT_EQ(outcome.Replies, GetParam().Replies);
    EXPECT_EQ(outcome.Errors, GetParam().Errors);
}

const Case kHeaders[] = {
    {"Common", {"*idn?"}, "Maker,Model,0001,1.3\n", {}},
    {"ShortAndLongAnyCase", {"capt:poin 1024", "CaPtUrE:PoInTs?"}, "1024\n", {}},
    {"NeitherShortNorLong", {"CAPTU:POIN?"}, "", {"-113,\"Undefined header;CAPTU:POIN?\""}},
    {"RelativeAfterSemicolon", {"CAPT:POIN 512;SCAL 20;POIN?;SCAL?"}, "512;20\n", {}},
    {"RelativeRepeatsThePath",
     {"CAPT:POIN 512;CAPT:POIN?"},
     "",
     {"-113,\"Undefined header;CAPT:CAPT:POIN?\""}},
    {"RootedAfterSemicolon", {"CAPT:POIN 512;:CAPT:POIN?"}, "512\n", {}},
    {"CommonKeepsThePath", {"CAPT:POIN 100;*OPC;SCAL 20;*ESR?;POIN?"}, "1;100\n", {}},
    {"OptionalNode",
     {"SYST:ERR:NEXT?;:SYSTEM:ERROR?;:FORM:DATA INT;:FORM?"},
     "0,\"No error\";0,\"No error\";INT,32\n",
     {}},
    {"QueryFormMissing", {"INIT?"}, "", {"-113,\"Undefined header;INIT?\""}},
    {"CommandErrorEndsTheLine",
     {"BOGUS;:CAPT:POIN 100", "CAPT:POIN?"},
     "4096\n",
     {"-113,\"Undefined header;BOGUS\""}},
    {"ExecutionErrorEndsItsCommand",
     {"CAPT:POIN 0;SCAL 20;SCAL?"},
     "20\n",
     {"-222,\"Data out of range;points 1 to 65536\""}},
    {"BlankLinesAndUnits",
     {"", "  ", ";*IDN?;", "*IDN?\r"},
     "Maker,Model,0001,1.3\nMaker,Model,0001,1.3\n",
     {}},
};
INSTANTIATE_TEST_SUITE_P(Headers, RemoteLinesTest, testing::ValuesIn(kHeaders), CaseName);

const Case kArguments[] = {
    {"HexAndBinary", {"REG #H1f,#B101", "REG? 31"}, "5\n", {}},
    {"OctalAndExponent", {"REG #Q17,1E1;REG? 15"}, "10\n", {}},
    {"DecimalRounds", {"CAPT:POIN 100.4;POIN?"}, "100\n", {}},
    {"MinMaxDefault", {"CAPT:POIN MAX;POIN?;POIN MIN;POIN?;POIN DEF;POIN?"}, "65536;1;4096\n", {}},
    {"Real", {"CAPT:REF 2.5;REF?"}, "2.5\n", {}},
    {"Strings",
     {"SYST:CHIP 'QN7402';CHIP?", "SYST:CHIP \"say \"\"hi\"\"\";CHIP?"},
     "\"QN7402\"\n\"say \"\"hi\"\"\"\n",
     {}},
    {"SemicolonInString", {"TEMP:RUN 'a;b'", "SYST:CHIP:CAT?"}, "\"QN7401\",\"QN7402\"\n", {}},
    {"Field", {"REG:FIELD PGA,3;FIELD? 'PGA'"}, "3\n", {}},
};
INSTANTIATE_TEST_SUITE_P(Arguments, RemoteLinesTest, testing::ValuesIn(kArguments), CaseName);

const Case kErrors[] = {
    {"InvalidCharacter",
     {"CAPT@POIN 5"},
     "",
     {"-101,\"Invalid character;a space expected after the header\""}},
    {"ControlCharacter",
     {"*IDN?\x01"},
     "",
     {"-101,\"Invalid character;a space expected after the header\""}},
    {"EmptyMnemonic", {"CAPT::POIN 5"}, "", {"-102,\"Syntax error;a header expected\""}},
    {"NoSpaceBeforeArgument",
     {"CAPT:POIN,5"},
     "",
     {"-102,\"Syntax error;a space expected after the header\""}},
    {"EmptyArgument", {"REG 1,,2"}, "", {"-102,\"Syntax error;an argument expected\""}},
    {"TextAfterNumber",
     {"CAPT:POIN 5V"},
     "",
     {"-102,\"Syntax error;unexpected text after an argument\""}},
    {"BadHexDigit",
     {"REG #H1G,1"},
     "",
     {"-102,\"Syntax error;bad digit in a #H, #Q or #B number\""}},
    {"DataType", {"CAPT:POIN 'x'"}, "", {"-104,\"Data type error;points is a number\""}},
    {"TooManyArguments",
     {"CAPT:POIN 1,2", "*IDN? 5"},
     "",
     {"-108,\"Parameter not allowed\"", "-108,\"Parameter not allowed\""}},
    {"MissingArgument", {"REG 1"}, "", {"-109,\"Missing parameter\""}},
    {"ExponentTooLarge",
     {"CAPT:POIN 1E999", "REG #HFFFFFFFFFFFFFFFFF,1"},
     "",
     {"-123,\"Exponent too large;1E999\"", "-123,\"Exponent too large;numeric overflow\""}},
    {"UnclosedString",
     {"SYST:CHIP \"QN"},
     "",
     {"-151,\"Invalid string data;the string has no closing quote\""}},
    {"BenchFailed", {"REG #H7F,1"}, "", {"-200,\"Execution error;read back 0\""}},
    {"OutOfRange",
     {"CAPT:SCAL 24", "CAPT:REF 0", "REG:FIELD? GAIN"},
     "",
     {"-222,\"Data out of range;scale bits 8 to 23\"",
      "-222,\"Data out of range;reference volts above 0 up to 10\"",
      "-222,\"Data out of range;no field GAIN\""}},
    {"IllegalWord", {"FORM:BORD BIG"}, "", {"-224,\"Illegal parameter value;BIG\""}},
    {"NothingCaptured",
     {"FETC:FIG?", "FETC:DATA?"},
     "",
     {"-230,\"Data corrupt or stale\"", "-230,\"Data corrupt or stale\""}},
    {"TooLong",
     {std::string(RemoteSession::kLongestLine + 1, 'A')},
     "",
     {"-223,\"Too much data;line over 65536 bytes dropped\""}},
    {"StatusBytes",
     {"CAPT:POIN 0", "*ESR?;*STB?", "BOGUS", "*ESE 32;*SRE 32;*STB?;*ESR?", "*CLS;*STB?"},
     "16;4\n100;32\n0\n",
     {}},
};
INSTANTIATE_TEST_SUITE_P(Errors, RemoteLinesTest, testing::ValuesIn(kErrors), CaseName);

const Case kData[] = {
    {"Figures", {"FETC:FIG?", "*CLS;INIT;FETC:FIG?"}, "0.5,1.5,2.5,3.5,4.5,5.5,9.91E+37\n", {}},
    {"Measure", {"MEAS:FIG? 256;:CAPT:POIN?"}, "0.5,1.5,2.5,3.5,4.5,5.5,9.91E+37;256\n", {}},
    {"Ascii", {"INIT;FETC:DATA?"}, "1,-2,65536\n", {}},
    {"Int32LeastSignificantFirst",
     {"INIT;FORM INT,32;FETC:DATA?"},
     "#212\x01\0\0\0\xFE\xFF\xFF\xFF\0\0\x01\0\n"s,
     {}},
    {"Int32MostSignificantFirst",
     {"INIT;FORM:DATA INT,32;BORD NORM;BORD?;:FETC:DATA?"},
     "NORM;#212\0\0\0\x01\xFF\xFF\xFF\xFE\0\x01\0\0\n"s,
     {}},
    {"Real64",
     {"INIT;FORM REAL,64;FETC:DATA?"},
     "#224\0\0\0\0\0\0\xF0\x3F\0\0\0\0\0\0\0\xC0\0\0\0\0\0\0\xF0\x40\n"s,
     {}},
    {"WrongLength",
     {"FORM REAL,32"},
     "",
     {"-222,\"Data out of range;INTeger takes 32, REAL takes 64\""}},
    {"ResetFormat", {"FORM INT;*RST;FORM?;:FORM:BORD?"}, "ASC;SWAP\n", {}},
    {"RunState", {"TEMP:RUN 'plan.txt';STAT?"}, "2,5,SOAK,120\n", {}},
};
INSTANTIATE_TEST_SUITE_P(Data, RemoteLinesTest, testing::ValuesIn(kData), CaseName);

TEST(RemoteSessionTest, Int32RefusesBlockAverages) {
    FakeRemoteBench bench;
    bench.SampleValues = {1.5};
    RemoteSession session(bench);
    EXPECT_EQ(Send(session, {"INIT;FORM INT,32;FETC:DATA?;:FORM REAL;:FETC:DATA?"}).Errors,
              std::vector<std::string>{"-221,\"Settings conflict;values are not whole 32-bit "
                                       "numbers: use FORMat:DATA REAL,64\""});
}

TEST(RemoteSessionTest, QueueOverflowReplacesTheNewestEntry) {
    FakeRemoteBench bench;
    RemoteSession session(bench);
    const Outcome outcome = Send(session, std::vector<std::string>(25, "CAPT:POIN 0"));
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
