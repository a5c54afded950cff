// Serial port names ("COM1".."COM17") and the device paths they stand for on this machine.
#pragma once

#include <string>
#include <string_view>

namespace qn {

// Plain-text port map in the program's folder: one "COMn=/dev/path" per line, '#' comments.
inline constexpr const char* kPortMapFile = "QnPorts.cfg";
inline constexpr int kHighestComPort = 17;

// n of "COMn" for n in 1..17 (letters in any case); 0 for any other name.
int ComPortNumber(std::string_view portName);

// The device path of a port: its entry in `mapText` (a later entry overrides an earlier one),
// else /dev/ttyUSB<n-1>. Empty for a name that is not COM1..COM17.
std::string ResolvePortPath(std::string_view portName, std::string_view mapText);

} // namespace qn
