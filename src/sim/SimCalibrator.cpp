// Command handling of the simulated calibrator.
#include "sim/SimCalibrator.h"

#include <cstdlib>

namespace qn {
namespace {

constexpr char kPrompt[] = "=>\r\n";
constexpr char kErrorPrompt[] = "?>\r\n";

// The number at the start of `text` and the rest after it; false when there is none.
bool TakeNumber(std::string& text, double& value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    value = std::strtod(begin, &end);
    if (end == begin) return false;
    text = SimCommandText(std::string(end));
    return true;
}

} // namespace

std::string SimCalibrator::Answer(const std::string& line) {
    const std::string command = SimCommandText(line);
    bool understood = true;
    if (command == "*OPT") return Options + "\r\n";
    if (command == "STBY") {
        operating_ = false;
    } else if (command == "OPER") {
        operating_ = true;
    } else if (command == "RANGELCK ON" || command == "RANGELCK OFF") {
        rangeLocked_ = command.back() == 'N';
    } else if (command.starts_with("OUT ")) {
        understood = Out(command.substr(4));
    } else {
        understood = false;
    }
    return understood ? kPrompt : kErrorPrompt;
}

// "<number> <unit> ,<f> Hz": the unit may stand right after the number; the frequency part may
// be left out. A line it cannot read changes nothing.
bool SimCalibrator::Out(const std::string& arguments) {
    const size_t comma = arguments.find(',');
    std::string amplitude = SimCommandText(arguments.substr(0, comma));
    double value = 0.0;
    if (!TakeNumber(amplitude, value)) return false;
    double scale = 0.0;
    if (amplitude == "V") scale = 1.0;
    if (amplitude == "MV") scale = 1e-3;
    if (amplitude == "UV") scale = 1e-6;
    if (scale == 0.0) return false;
    double frequency = 0.0;
    if (comma != std::string::npos) {
        std::string rest = SimCommandText(arguments.substr(comma + 1));
        if (!TakeNumber(rest, frequency) || rest != "HZ") return false;
    }
    setVolts_ = value * scale;
    frequencyHz_ = frequency;
    return true;
}

} // namespace qn
