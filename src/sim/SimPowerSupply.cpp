// Command handling of the simulated supply.
#include "sim/SimPowerSupply.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace qn {
namespace {

// True when `header` is the short form or the long form of a SCPI keyword.
bool Is(std::string_view header, std::string_view shortForm, std::string_view longForm) {
    return header == shortForm || header == longForm;
}

// A value the way the supply reports it: "+5.00000000E+00".
std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.8E\r\n", value);
    return text;
}

// The number `text` starts with; false when it starts with none.
bool Parse(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str();
}

} // namespace

std::string SimPowerSupply::Answer(const std::string& line) {
    const std::string command = SimCommandText(line);
    const size_t space = command.find(' ');
    const std::string header = command.substr(0, space);
    const std::string arguments =
        space == std::string::npos ? std::string() : SimCommandText(command.substr(space + 1));
    if (header == "*IDN?")
        return (Faults.WrongIdentity ? std::string(kSimOtherSupplyIdentity) : Identity) + "\r\n";
    if (Is(header, "VOLT?", "VOLTAGE?")) return Number(volts_);
    if (Is(header, "CURR?", "CURRENT?")) return Number(amps_);
    if (Is(header, "OUTP?", "OUTPUT?")) return outputOn_ ? "1\r\n" : "0\r\n";
    double value = 0.0;
    if (Is(header, "SYST:REM", "SYSTEM:REMOTE")) {
        remote_ = true;
    } else if (Is(header, "VOLT", "VOLTAGE") && Parse(arguments, value)) {
        volts_ = value;
    } else if (Is(header, "CURR", "CURRENT") && Parse(arguments, value)) {
        amps_ = value;
    } else if (Is(header, "OUTP", "OUTPUT") && (arguments == "ON" || arguments == "1")) {
        outputOn_ = true;
    } else if (Is(header, "OUTP", "OUTPUT") && (arguments == "OFF" || arguments == "0")) {
        outputOn_ = false;
    } else if (Is(header, "APPL", "APPLY")) {
        Apply(arguments);
    }
    return {};
}

// "P6V, 3.3, 0.5", "3.3, 0.5" or "3.3": an output name first is skipped.
void SimPowerSupply::Apply(const std::string& arguments) {
    std::string rest = arguments;
    double value = 0.0;
    if (!Parse(rest, value)) {
        const size_t comma = rest.find(',');
        if (comma == std::string::npos) return;
        rest = SimCommandText(rest.substr(comma + 1));
        if (!Parse(rest, value)) return;
    }
    volts_ = value;
    const size_t comma = rest.find(',');
    if (comma != std::string::npos && Parse(SimCommandText(rest.substr(comma + 1)), value))
        amps_ = value;
}

} // namespace qn
