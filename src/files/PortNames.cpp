// Port names, and reading the port map's lines.
#include "files/PortNames.h"

#include <cctype>

namespace qn {
namespace {

std::string_view Trim(std::string_view text) {
    const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

// The mapped path of one line when it is an entry for port `number`; empty otherwise.
std::string_view EntryFor(std::string_view line, int number) {
    line = Trim(line);
    const size_t equals = line.find('=');
    if (line.empty() || line.front() == '#' || equals == std::string_view::npos) return {};
    if (ComPortNumber(Trim(line.substr(0, equals))) != number) return {};
    return Trim(line.substr(equals + 1));
}

} // namespace

int ComPortNumber(std::string_view portName) {
    if (portName.size() < 4 || portName.size() > 5) return 0;
    for (size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(portName[i])) != "COM"[i]) return 0;
    int number = 0;
    for (const char c : portName.substr(3)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
        number = number * 10 + (c - '0');
    }
    if (portName[3] == '0') return 0;
    return number <= kHighestComPort ? number : 0;
}

std::string ResolvePortPath(std::string_view portName, std::string_view mapText) {
    const int number = ComPortNumber(portName);
    if (number == 0) return {};
    std::string path = "/dev/ttyUSB" + std::to_string(number - 1);
    while (!mapText.empty()) {
        const size_t end = mapText.find('\n');
        const std::string_view entry = EntryFor(mapText.substr(0, end), number);
        if (!entry.empty()) path = std::string(entry);
        mapText = end == std::string_view::npos ? std::string_view{} : mapText.substr(end + 1);
    }
    return path;
}

} // namespace qn
