// Bus trace lines and switching the trace on and off.
#include "platform/BusTrace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

namespace qn {
namespace {

// 13:04:05.067 local time on some day.
std::chrono::system_clock::time_point LocalTime() {
    std::tm parts{};
    parts.tm_year = 125;
    parts.tm_mon = 2;
    parts.tm_mday = 14;
    parts.tm_hour = 13;
    parts.tm_min = 4;
    parts.tm_sec = 5;
    parts.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&parts)) +
           std::chrono::milliseconds(67);
}

TEST(BusTrace, LineLayout) {
    const uint8_t bytes[] = {0x55, 0x0D, 0x41, 0xFF, 0x7E};
    struct Case {
        BusDirection direction;
        const char* port;
        size_t length;
        bool text;
        const char* line;
    };
    const Case cases[] = {
        {BusDirection::Out, "hid /dev/hidraw0", 2, false,
         "13:04:05.067 OUT hid /dev/hidraw0 2 | 55 0D"},
        {BusDirection::In, "usb Qnusb-0 ep 81", 5, false,
         "13:04:05.067 IN  usb Qnusb-0 ep 81 5 | 55 0D 41 FF 7E"},
        {BusDirection::In, "COM3 /dev/ttyUSB0", 5, true,
         "13:04:05.067 IN  COM3 /dev/ttyUSB0 5 | 55 0D 41 FF 7E | U.A.~"},
        {BusDirection::Out, "COM1 /dev/ttyUSB0", 0, true,
         "13:04:05.067 OUT COM1 /dev/ttyUSB0 0 | | "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            BusTrace::FormatTransfer(LocalTime(), c.direction, c.port, bytes, c.length, c.text),
            c.line);
    EXPECT_EQ(BusTrace::FormatNote(LocalTime(), "hid /dev/hidraw1", "read timed out"),
              "13:04:05.067 --- hid /dev/hidraw1: read timed out");
}

TEST(BusTrace, WritesOnlyWhileEnabled) {
    BusTrace trace;
    std::ostringstream out;
    const uint8_t byte = 0x42;
    trace.Transfer(BusDirection::Out, "a", &byte, 1);
    trace.Enable(out);
    trace.Transfer(BusDirection::Out, "b", &byte, 1);
    trace.Note("c", "event");
    trace.Disable();
    trace.Transfer(BusDirection::Out, "d", &byte, 1);
    const std::string text = out.str();
    EXPECT_EQ(text.find(" a "), std::string::npos);
    EXPECT_NE(text.find("OUT b 1 | 42\n"), std::string::npos) << text;
    EXPECT_NE(text.find("--- c: event\n"), std::string::npos) << text;
    EXPECT_EQ(text.find(" d "), std::string::npos);
}

TEST(BusTrace, FileNamedByTheEnvironmentIsAppendedTo) {
    const std::string path = ::testing::TempDir() + "qn_bus_trace_test.txt";
    std::remove(path.c_str());
    ::unsetenv(kBusTraceVariable);
    BusTrace off;
    EXPECT_FALSE(off.EnableFromEnvironment());
    EXPECT_FALSE(off.Enabled());
    ::setenv(kBusTraceVariable, path.c_str(), 1);
    const uint8_t bytes[] = {1, 2};
    for (int round = 0; round < 2; ++round) {
        BusTrace trace;
        ASSERT_TRUE(trace.EnableFromEnvironment());
        trace.Transfer(BusDirection::In, "round" + std::to_string(round), bytes, 2);
    }
    ::unsetenv(kBusTraceVariable);
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("IN  round0 2 | 01 02\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("IN  round1 2 | 01 02\n"), std::string::npos) << text.str();
    BusTrace bad;
    EXPECT_FALSE(bad.EnableFile("/nonexistent-folder/trace.txt"));
    std::remove(path.c_str());
}

} // namespace
} // namespace qn
