// Bus trace lines and switching the trace on and off.
#include "files/BusTrace.h"
#include "TestDoubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <tuple>

namespace qn {
namespace {

TEST(BusTrace, LineLayout) {
    std::tm parts{};
    ASSERT_NE(strptime("2025-03-14 13:04:05", "%Y-%m-%d %H:%M:%S", &parts), nullptr);
    parts.tm_isdst = -1; // local time, whatever the season
    const auto at =
        std::chrono::system_clock::from_time_t(std::mktime(&parts)) + std::chrono::milliseconds(67);
    const uint8_t bytes[] = {0x55, 0x0D, 0x41, 0xFF, 0x7E};
    // Direction, port, length, whether the bytes show as text too (serial lines), and the line.
    const std::tuple<BusDirection, const char*, size_t, bool, const char*> cases[] = {
        {BusDirection::Out, "hid", 2, false, "13:04:05.067 OUT hid 2 | 55 0D"},
        {BusDirection::In, "usb ep 81", 5, false, "13:04:05.067 IN  usb ep 81 5 | 55 0D 41 FF 7E"},
        {BusDirection::In, "COM3", 5, true, "13:04:05.067 IN  COM3 5 | 55 0D 41 FF 7E | U.A.~"},
        {BusDirection::Out, "COM1", 0, true, "13:04:05.067 OUT COM1 0 | | "},
    };
    for (const auto& [direction, port, length, text, line] : cases)
        EXPECT_EQ(BusTrace::FormatTransfer(at, direction, port, bytes, length, text), line);
    EXPECT_EQ(BusTrace::FormatNote(at, "hid /dev/hidraw1", "read timed out"),
              "13:04:05.067 --- hid /dev/hidraw1: read timed out");
}

// A stream gets lines only while enabled; the file the environment names is appended to.
TEST(BusTrace, WritesOnlyWhileEnabled) {
    const uint8_t bytes[] = {1, 2};
    BusTrace trace;
    std::ostringstream out;
    trace.Transfer(BusDirection::Out, "a", bytes, 1);
    trace.Enable(out);
    trace.Transfer(BusDirection::Out, "b", bytes, 1);
    trace.Note("c", "event");
    trace.Disable();
    trace.Transfer(BusDirection::Out, "d", bytes, 1);
    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_NE(text.find(" OUT b 1 | 01\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" --- c: event\n"), std::string::npos) << text;
    const test::TempFolder folder;
    const std::string path = folder.File("trace.txt");
    ::unsetenv(kBusTraceVariable);
    EXPECT_FALSE(BusTrace().EnableFromEnvironment());
    ::setenv(kBusTraceVariable, path.c_str(), 1);
    for (const char* round : {"r0", "r1"}) {
        BusTrace fromEnvironment;
        ASSERT_TRUE(fromEnvironment.EnableFromEnvironment());
        fromEnvironment.Transfer(BusDirection::In, round, bytes, 2);
    }
    ::unsetenv(kBusTraceVariable);
    std::stringstream file;
    file << std::ifstream(path).rdbuf();
    EXPECT_NE(file.str().find("IN  r0 2 | 01 02\n"), std::string::npos) << file.str();
    EXPECT_NE(file.str().find("IN  r1 2 | 01 02\n"), std::string::npos) << file.str();
    EXPECT_FALSE(BusTrace().EnableFile("/nonexistent-folder/trace.txt"));
}

} // namespace
} // namespace qn
