// Port names, the port map, and the line error word.
#include "files/PortNames.h"
#include "host/SerialLine.h"
#include "platform/LineErrors.h"

#include <gtest/gtest.h>

namespace qn {
namespace {

TEST(PortNames, ComPortNumbers) {
    const std::pair<const char*, int> cases[] = {
        {"COM1", 1},  {"COM17", 17}, {"com3", 3},  {"Com9", 9}, {"COM18", 0},
        {"COM0", 0},  {"COM01", 0},  {"COM", 0},   {"COMX", 0}, {"LPT1", 0},
        {"COM1 ", 0}, {"", 0},       {"COM100", 0}};
    for (const auto& [name, number] : cases) EXPECT_EQ(ComPortNumber(name), number) << name;
}

TEST(PortNames, MapEntriesAndDefaults) {
    const char* const map = "# bench PC\n"
                            "COM3=/dev/ttyUSB0\n"
                            "  com4 =  /dev/ttyACM1  \n"
                            "COM5=\n"
                            "COM6=/dev/ttyS0\r\n"
                            "COM7=/dev/ttyUSB7\n"
                            "COM7=/dev/serial/by-id/bench-meter\n"
                            "garbage line\n"
                            "#COM8=/dev/commented\n";
    const std::pair<const char*, const char*> cases[] = {
        {"COM3", "/dev/ttyUSB0"},
        {"COM4", "/dev/ttyACM1"},
        {"COM5", "/dev/ttyUSB4"}, // an empty entry leaves the default
        {"COM6", "/dev/ttyS0"},
        {"COM7", "/dev/serial/by-id/bench-meter"},
        {"COM8", "/dev/ttyUSB7"},
        {"COM1", "/dev/ttyUSB0"},
        {"COM17", "/dev/ttyUSB16"},
        {"COM18", ""},
        {"ttyUSB0", ""},
    };
    for (const auto& [name, path] : cases) EXPECT_EQ(ResolvePortPath(name, map), path) << name;
}

// The changes the emulated adapter cannot make: the buffer counter, and counters restarted.
TEST(LineErrors, BufferOverrunAndRestartedCounters) {
    const LineCounters before{5, 6, 7, 8};
    EXPECT_EQ(LineErrorWord(before, {5, 6, 7, 9}), kLineErrorOverrun);
    EXPECT_EQ(LineErrorWord(before, {0, 0, 0, 0}),
              kLineErrorFrame | kLineErrorParity | kLineErrorOverrun);
}

} // namespace
} // namespace qn
