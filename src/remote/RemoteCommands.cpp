// The command tree of a remote session: the table of commands and queries and their handlers.
// clang-format off
//
// Syntax. Headers in any case, in their short form (the capitals: CAPT) or long form (CAPTURE).
// Several commands on one line are separated by ";". A header after ";" without a leading ":" is
// taken relative to the previous command's path without its last word ("CAPT:POIN 1024;SCAL 20"
// sets CAPT:SCAL); a leading ":" starts again from the root; a common command (*...) leaves the
// path as it was. Arguments follow the header after a space and are separated by ",". Numbers:
// decimal (1024, 2.5, 1E3) or #H (hex), #Q (octal), #B (binary); a whole number is expected where
// the table says <int> and a decimal one is rounded to it. Strings in "double" or 'single' quotes.
// The replies of the queries of one line go out as one reply line, separated by ";", ending in LF.
// A query that fails queues its error and answers nothing (read the error with SYST:ERR?). A syntax
// error, an undefined header or a wrong count of arguments ends the line (the commands before it
// have run); any other error ends only its own command.
//
// | header                      | form  | arguments / reply                              | busy |
// |-----------------------------|-------|------------------------------------------------|------|
// | *IDN?                       | query | maker,model,serial,version                     | yes  |
// | *RST                        | set   | capture settings to defaults, FORM ASC, BORD SWAP | -221 |
// | *CLS                        | set   | empties the error queue and *ESR               | yes  |
// | *ESE <int> / *ESE?          | both  | event status enable mask, 0 to 255             | yes  |
// | *ESR?                       | query | event status register, then cleared: 1 OPC, 4 query, 8 device, 16 execution, 32 command error | yes  |
// | *SRE <int> / *SRE?          | both  | service request enable mask, 0 to 255          | yes  |
// | *STB?                       | query | status byte: 4 error queue not empty, 32 *ESR & *ESE, 64 *STB & *SRE | yes  |
// | *OPC                        | set   | sets the OPC bit (1) of *ESR once this session's operations have ended | held |
// | *OPC?                       | query | 1, once this session's operations have ended   | held |
// | *WAI                        | set   | the lines after it wait for this session's operations | held |
// | SYSTem:ERRor[:NEXT]?        | query | oldest error: -113,"Undefined header;FOO" or 0,"No error" | yes  |
// | SYSTem:ERRor:COUNt?         | query | errors in the queue (at most 20)               | yes  |
// | SYSTem:ERRor:ALL?           | query | every error, oldest first, comma-separated     | yes  |
// | SYSTem:VERSion?             | query | 1999.0                                         | yes  |
// | SYSTem:CHIP <name>          | set   | selects a chip of the catalogue ("string" or word) | -221 |
// | SYSTem:CHIP?                | query | "selected chip"                                | yes  |
// | SYSTem:CHIP:CATalog?        | query | "name","name",...                              | yes  |
// | LINK:CONNect                | set   | scans for the board and opens the link         | -221 |
// | LINK:STATe?                 | query | CONNECTED or DISCONNECTED                      | yes  |
// | REGister <int>,<int>        | set   | address 0 to 65535, value 0 to 2147483647; written and read back | -221 |
// | REGister? <int>             | query | the register's value                           | -221 |
// | REGister:FIELD <name>,<int> | set   | a field by the chip file's name (PGA)          | -221 |
// | REGister:FIELD? <name>      | query | the field's value                              | -221 |
// | CAPTure:POINts <int>        | both  | samples of a capture, 1 to 65536 (MIN, MAX, DEF) | set -221 |
// | CAPTure:SCALe <int>         | both  | scale bits, 8 to 23 (MIN, MAX, DEF)            | set -221 |
// | CAPTure:AVERage <int>       | both  | block average, 1 to 32 (MIN, MAX, DEF)         | set -221 |
// | CAPTure:REFerence <num>     | both  | reference volts, above 0 up to 10              | set -221 |
// | INITiate[:IMMediate]        | set   | captures; returns when the capture has ended  | -221 |
// | ABORt                       | set   | ends a capture or a temperature run in progress | yes  |
// | FETCh:FIGures?              | query | the seven figures, comma-separated (-230 without a capture) | -221 |
// | FETCh:DATA?                 | query | the samples in the FORMat:DATA form (-230 without a capture) | -221 |
// | FORMat[:DATA] <type>[,<len>] | both | ASCii (numbers, comma-separated; the default), INTeger,32 or REAL,64 (binary block #<n><len><bytes>); replies ASC, INT,32, REAL,64 | yes  |
// | FORMat:BORDer <order>       | both  | SWAPped: least significant byte first (default, as PyVISA reads), NORMal: most significant first; replies SWAP, NORM | yes  |
// | MEASure:FIGures? [<int>]    | query | sets the points (when given), captures and answers as FETC:FIG? | -221 |
// | TEMPerature:RUN <plan>      | set   | runs the plan file ("path"); returns when the run has ended | -221 |
// | TEMPerature:STATe?          | query | row,step,phase,seconds left: phase IDLE, APPROACH, SOAK, STEP or ENDED; -1 s when unknown | yes  |
//
// "busy": what the command does while an operation (a window's or a remote one) holds the link:
// "yes" runs as usual, "-221" is refused at once with -221 "Settings conflict", "held" waits in the
// session until this session's own operation has ended (see RemoteSession.h). FETCh:DATA? with
// INTeger,32 on values that are not whole numbers (block averages) is -221: use REAL,64. A word
// argument not in the command's list is -224 "Illegal parameter value", a number where a name or
// word belongs (or the reverse) -104. Bench outcomes: busy -221, out of range -222, nothing
// captured -230, failed -200.
// clang-format on
#include "remote/RemoteCommands.h"
#include "remote/RemoteArguments.h"

#include "files/NoCase.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

namespace qn {

void RemoteSessionState::Report(int code, std::string_view message) {
    Errors.Push(code, message);
    if (code <= -100 && code > -200) EventStatus |= esr::kCommandError;
    if (code <= -200 && code > -300) EventStatus |= esr::kExecutionError;
    if (code <= -300 && code > -400) EventStatus |= esr::kDeviceError;
    if (code <= -400 && code > -500) EventStatus |= esr::kQueryError;
}

bool MnemonicMatches(std::string_view sent, std::string_view node) {
    std::string shortForm;
    for (const char c : node)
        if (!std::islower(static_cast<unsigned char>(c))) shortForm += c;
    return EqualNoCase(sent, node) || EqualNoCase(sent, shortForm);
}

namespace {

constexpr int kInt32Max = 2147483647;

constexpr IntRange kPoints{"points", 1, 65536, RemoteCaptureSettings{}.Points};
constexpr IntRange kScaleBits{"scale bits", 8, 23, RemoteCaptureSettings{}.ScaleBits};
constexpr IntRange kAverage{"block average", 1, 32, RemoteCaptureSettings{}.Average};
constexpr IntRange kAddress{"address", 0, 65535, std::nullopt};
constexpr IntRange kValue{"value", 0, kInt32Max, std::nullopt};
constexpr IntRange kMask{"mask", 0, 255, std::nullopt};
constexpr double kMostReferenceVolts = 10;

// --- common commands ---

void Identify(RemoteCall& call) {
    Reply(call, call.Bench.Identity());
}

void ResetSession(RemoteCall& call) {
    call.Bench.Reset();
    call.State.Format = SampleFormat::Ascii;
    call.State.MostSignificantFirst = false;
}

void ClearStatus(RemoteCall& call) {
    call.State.Errors.Clear();
    call.State.EventStatus = 0;
}

void SetEventEnable(RemoteCall& call) {
    if (const auto mask = IntArgument(call, 0, kMask))
        call.State.EventEnable = static_cast<uint8_t>(*mask);
}
void EventEnable(RemoteCall& call) {
    Reply(call, std::to_string(call.State.EventEnable));
}

void SetServiceEnable(RemoteCall& call) {
    if (const auto mask = IntArgument(call, 0, kMask))
        call.State.ServiceEnable = static_cast<uint8_t>(*mask);
}
void ServiceEnable(RemoteCall& call) {
    Reply(call, std::to_string(call.State.ServiceEnable));
}

void EventStatus(RemoteCall& call) {
    Reply(call, std::to_string(call.State.EventStatus));
    call.State.EventStatus = 0;
}

void StatusByte(RemoteCall& call) {
    const RemoteSessionState& state = call.State;
    int status = 0;
    if (state.Errors.Count() > 0) status |= 0x04;
    if ((state.EventStatus & state.EventEnable) != 0) status |= 0x20;
    if ((status & state.ServiceEnable) != 0) status |= 0x40;
    Reply(call, std::to_string(status));
}

// The session holds these until its operations have ended, so when they run they are done.
void OperationComplete(RemoteCall& call) {
    call.State.EventStatus |= esr::kOperationComplete;
}
void OperationCompleteQuery(RemoteCall& call) {
    Reply(call, "1");
}
void Wait(RemoteCall&) {}

// --- SYSTem ---

void NextError(RemoteCall& call) {
    Reply(call, call.State.Errors.Next());
}
void ErrorCount(RemoteCall& call) {
    Reply(call, std::to_string(call.State.Errors.Count()));
}
void AllErrors(RemoteCall& call) {
    std::string text = call.State.Errors.Next();
    while (call.State.Errors.Count() > 0) text += "," + call.State.Errors.Next();
    Reply(call, std::move(text));
}
void Version(RemoteCall& call) {
    Reply(call, "1999.0");
}

void SelectChip(RemoteCall& call) {
    if (const auto name = TextArgument(call, 0)) Succeeded(call, call.Bench.SelectChip(*name));
}
void SelectedChip(RemoteCall& call) {
    Reply(call, QuotedString(call.Bench.SelectedChip()));
}
void ChipCatalogue(RemoteCall& call) {
    const std::vector<std::string> names = call.Bench.ChipCatalogue();
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ",") + QuotedString(name);
    Reply(call, names.empty() ? "\"\"" : text);
}

// --- LINK, REGister ---

void Connect(RemoteCall& call) {
    Succeeded(call, call.Bench.Connect());
}
void LinkState(RemoteCall& call) {
    Reply(call, call.Bench.LinkState());
}

void WriteRegister(RemoteCall& call) {
    const auto address = IntArgument(call, 0, kAddress);
    if (!address) return;
    if (const auto value = IntArgument(call, 1, kValue))
        Succeeded(call, call.Bench.WriteRegister(*address, *value));
}
void ReadRegister(RemoteCall& call) {
    int value = 0;
    if (const auto address = IntArgument(call, 0, kAddress))
        if (Succeeded(call, call.Bench.ReadRegister(*address, value)))
            Reply(call, std::to_string(value));
}
void WriteField(RemoteCall& call) {
    const auto name = TextArgument(call, 0);
    if (!name) return;
    if (const auto value = IntArgument(call, 1, kValue))
        Succeeded(call, call.Bench.WriteField(*name, *value));
}
void ReadField(RemoteCall& call) {
    int value = 0;
    if (const auto name = TextArgument(call, 0))
        if (Succeeded(call, call.Bench.ReadField(*name, value))) Reply(call, std::to_string(value));
}

// --- CAPTure ---

// One capture setting changed, the others as the bench has them.
bool ChangeCapture(RemoteCall& call, int32_t RemoteCaptureSettings::*field, int32_t value) {
    RemoteCaptureSettings settings = call.Bench.CaptureSettings();
    settings.*field = value;
    return Succeeded(call, call.Bench.SetCaptureSettings(settings));
}

template <int32_t RemoteCaptureSettings::*Field, const IntRange& Range>
void SetCaptureInt(RemoteCall& call) {
    if (const auto value = IntArgument(call, 0, Range)) ChangeCapture(call, Field, *value);
}
template <int32_t RemoteCaptureSettings::*Field> void CaptureInt(RemoteCall& call) {
    Reply(call, std::to_string(call.Bench.CaptureSettings().*Field));
}

void SetReference(RemoteCall& call) {
    const ScpiArgument& argument = call.Arguments[0];
    if (argument.Type != ScpiArgument::Kind::Number) {
        call.State.Report(scpi::kDataTypeError, "reference volts is a number");
        return;
    }
    if (!(argument.Number > 0 && argument.Number <= kMostReferenceVolts)) {
        call.State.Report(scpi::kDataOutOfRange, "reference volts above 0 up to 10");
        return;
    }
    RemoteCaptureSettings settings = call.Bench.CaptureSettings();
    settings.ReferenceVolts = argument.Number;
    Succeeded(call, call.Bench.SetCaptureSettings(settings));
}
void Reference(RemoteCall& call) {
    Reply(call, ScpiNumber(call.Bench.CaptureSettings().ReferenceVolts));
}

// --- INITiate, ABORt, FETCh, MEASure ---

bool Capture(RemoteCall& call) {
    const OperationScope scope(call.State);
    return Succeeded(call, call.Bench.Capture());
}
void Initiate(RemoteCall& call) {
    Capture(call);
}
void Abort(RemoteCall& call) {
    call.Bench.Abort();
}

void FetchFigures(RemoteCall& call) {
    RemoteFigures figures;
    if (!Succeeded(call, call.Bench.Figures(figures))) return;
    Reply(call, ScpiNumberList({std::begin(figures.Values), std::end(figures.Values)}));
}

void FetchData(RemoteCall& call) {
    std::vector<double> samples;
    if (!Succeeded(call, call.Bench.Samples(samples))) return;
    if (call.State.Format == SampleFormat::Ascii) {
        Reply(call, ScpiNumberList(samples));
        return;
    }
    auto block = ScpiBinaryBlock(samples, call.State.Format, call.State.MostSignificantFirst);
    if (!block) {
        call.State.Report(scpi::kSettingsConflict,
                          "values are not whole 32-bit numbers: use FORMat:DATA REAL,64");
        return;
    }
    Reply(call, std::move(*block));
}

void Measure(RemoteCall& call) {
    if (!call.Arguments.empty()) {
        const auto points = IntArgument(call, 0, kPoints);
        if (!points || !ChangeCapture(call, &RemoteCaptureSettings::Points, *points)) return;
    }
    if (Capture(call)) FetchFigures(call);
}

// --- FORMat ---

void SetDataFormat(RemoteCall& call) {
    const auto type = ChoiceArgument(call, 0, {"ASCii", "INTeger", "REAL"});
    if (!type) return;
    const SampleFormat formats[] = {SampleFormat::Ascii, SampleFormat::Int32, SampleFormat::Real64};
    const double lengths[] = {0, 32, 64};
    if (call.Arguments.size() > 1 && *type != 0) {
        const ScpiArgument& length = call.Arguments[1];
        if (length.Type != ScpiArgument::Kind::Number) {
            call.State.Report(scpi::kDataTypeError, "the length is a number");
            return;
        }
        if (length.Number != lengths[*type]) {
            call.State.Report(scpi::kDataOutOfRange, "INTeger takes 32, REAL takes 64");
            return;
        }
    }
    call.State.Format = formats[*type];
}
void DataFormat(RemoteCall& call) {
    const SampleFormat format = call.State.Format;
    Reply(call, format == SampleFormat::Ascii   ? "ASC"
                : format == SampleFormat::Int32 ? "INT,32"
                                                : "REAL,64");
}

void SetByteOrder(RemoteCall& call) {
    if (const auto order = ChoiceArgument(call, 0, {"NORMal", "SWAPped"}))
        call.State.MostSignificantFirst = *order == 0;
}
void ByteOrder(RemoteCall& call) {
    Reply(call, call.State.MostSignificantFirst ? "NORM" : "SWAP");
}

// --- TEMPerature ---

void RunPlan(RemoteCall& call) {
    const auto path = TextArgument(call, 0);
    if (!path) return;
    const OperationScope scope(call.State);
    Succeeded(call, call.Bench.RunTemperaturePlan(*path));
}

void RunState(RemoteCall& call) {
    const RemoteRunState state = call.Bench.RunState();
    std::string phase = state.Phase.empty() ? "IDLE" : state.Phase;
    for (char& c : phase) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Reply(call, std::to_string(state.Row) + "," + std::to_string(state.Step) + "," + phase + "," +
                    ScpiNumber(state.LeftSeconds < 0 ? -1 : state.LeftSeconds));
}

constexpr bool kQuery = true;
constexpr bool kSet = false;
constexpr bool kLink = true;
constexpr bool kFree = false;

constexpr RemoteCommand kCommands[] = {
    {"*IDN", kQuery, kFree, 0, 0, Identify},
    {"*RST", kSet, kLink, 0, 0, ResetSession},
    {"*CLS", kSet, kFree, 0, 0, ClearStatus},
    {"*ESE", kSet, kFree, 1, 1, SetEventEnable},
    {"*ESE", kQuery, kFree, 0, 0, EventEnable},
    {"*ESR", kQuery, kFree, 0, 0, EventStatus},
    {"*SRE", kSet, kFree, 1, 1, SetServiceEnable},
    {"*SRE", kQuery, kFree, 0, 0, ServiceEnable},
    {"*STB", kQuery, kFree, 0, 0, StatusByte},
    {"*OPC", kSet, kFree, 0, 0, OperationComplete},
    {"*OPC", kQuery, kFree, 0, 0, OperationCompleteQuery},
    {"*WAI", kSet, kFree, 0, 0, Wait},
    {"SYSTem:ERRor[:NEXT]", kQuery, kFree, 0, 0, NextError},
    {"SYSTem:ERRor:COUNt", kQuery, kFree, 0, 0, ErrorCount},
    {"SYSTem:ERRor:ALL", kQuery, kFree, 0, 0, AllErrors},
    {"SYSTem:VERSion", kQuery, kFree, 0, 0, Version},
    {"SYSTem:CHIP", kSet, kLink, 1, 1, SelectChip},
    {"SYSTem:CHIP", kQuery, kFree, 0, 0, SelectedChip},
    {"SYSTem:CHIP:CATalog", kQuery, kFree, 0, 0, ChipCatalogue},
    {"LINK:CONNect", kSet, kLink, 0, 0, Connect},
    {"LINK:STATe", kQuery, kFree, 0, 0, LinkState},
    {"REGister", kSet, kLink, 2, 2, WriteRegister},
    {"REGister", kQuery, kLink, 1, 1, ReadRegister},
    {"REGister:FIELD", kSet, kLink, 2, 2, WriteField},
    {"REGister:FIELD", kQuery, kLink, 1, 1, ReadField},
    {"CAPTure:POINts", kSet, kLink, 1, 1, SetCaptureInt<&RemoteCaptureSettings::Points, kPoints>},
    {"CAPTure:POINts", kQuery, kFree, 0, 0, CaptureInt<&RemoteCaptureSettings::Points>},
    {"CAPTure:SCALe", kSet, kLink, 1, 1,
     SetCaptureInt<&RemoteCaptureSettings::ScaleBits, kScaleBits>},
    {"CAPTure:SCALe", kQuery, kFree, 0, 0, CaptureInt<&RemoteCaptureSettings::ScaleBits>},
    {"CAPTure:AVERage", kSet, kLink, 1, 1,
     SetCaptureInt<&RemoteCaptureSettings::Average, kAverage>},
    {"CAPTure:AVERage", kQuery, kFree, 0, 0, CaptureInt<&RemoteCaptureSettings::Average>},
    {"CAPTure:REFerence", kSet, kLink, 1, 1, SetReference},
    {"CAPTure:REFerence", kQuery, kFree, 0, 0, Reference},
    {"INITiate[:IMMediate]", kSet, kLink, 0, 0, Initiate},
    {"ABORt", kSet, kFree, 0, 0, Abort},
    {"FETCh:FIGures", kQuery, kLink, 0, 0, FetchFigures},
    {"FETCh:DATA", kQuery, kLink, 0, 0, FetchData},
    {"FORMat[:DATA]", kSet, kFree, 1, 2, SetDataFormat},
    {"FORMat[:DATA]", kQuery, kFree, 0, 0, DataFormat},
    {"FORMat:BORDer", kSet, kFree, 1, 1, SetByteOrder},
    {"FORMat:BORDer", kQuery, kFree, 0, 0, ByteOrder},
    {"MEASure:FIGures", kQuery, kLink, 0, 1, Measure},
    {"TEMPerature:RUN", kSet, kLink, 1, 1, RunPlan},
    {"TEMPerature:STATe", kQuery, kFree, 0, 0, RunState},
};

// One node of a header: its name and whether a sent header may leave it out ("[:NEXT]").
struct Node {
    std::string_view Name;
    bool Optional;
};

std::vector<Node> Nodes(std::string_view header) {
    std::vector<Node> nodes;
    while (!header.empty()) {
        const bool optional = header.front() == '[';
        if (optional) header.remove_prefix(1);
        if (!header.empty() && header.front() == ':') header.remove_prefix(1);
        const size_t end = header.find_first_of(":[]");
        nodes.push_back({header.substr(0, end), optional});
        header.remove_prefix(end == std::string_view::npos ? header.size() : end);
        if (!header.empty() && header.front() == ']') header.remove_prefix(1);
    }
    return nodes;
}

bool PathMatches(const std::vector<Node>& nodes, size_t node, const std::vector<std::string>& path,
                 size_t word) {
    if (node == nodes.size()) return word == path.size();
    if (word < path.size() && MnemonicMatches(path[word], nodes[node].Name) &&
        PathMatches(nodes, node + 1, path, word + 1))
        return true;
    return nodes[node].Optional && PathMatches(nodes, node + 1, path, word);
}

} // namespace

const RemoteCommand* FindRemoteCommand(const std::vector<std::string>& path, bool common,
                                       bool query) {
    for (const RemoteCommand& command : kCommands) {
        if (command.Query != query || (command.Header.front() == '*') != common) continue;
        if (common) {
            if (path.size() == 1 && MnemonicMatches(path[0], command.Header.substr(1)))
                return &command;
        } else if (PathMatches(Nodes(command.Header), 0, path, 0)) {
            return &command;
        }
    }
    return nullptr;
}

} // namespace qn
