// The Qt serial line against emulated USB serial adapters and a bare pseudo-terminal.
#include "platform/QtSerialLine.h"
#include "TestDoubles.h"
#include "files/PortNames.h"
#include "sim/emulated/EmulatedSerialAdapter.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <fstream>
#include <thread>
#include <tuple>

namespace qn {
namespace {

using emulated::EmulatedSerialAdapter;

class QtSerialLineTest : public ::testing::Test {
  protected:
    // Waits until the line reports `count` bytes waiting (or a second passed).
    size_t WaitForWaiting(size_t count) {
        uint32_t errors = 0;
        size_t waiting = 0;
        for (int i = 0; i < 100 && waiting < count; ++i) {
            EXPECT_TRUE(line.QueryStatus(errors, waiting));
            if (waiting < count) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return waiting;
    }

    // The program folder, holding the port map when a test writes one.
    test::TempFolder folder;
    BusTrace trace;
    QtSerialLine line{folder.Path().string(), trace};
    EmulatedSerialAdapter adapter;
};

// Speed and stop bits show on the far end of the PTY behind the adapter. A PTY keeps 8 data bits
// without parity whatever it is asked, so other formats are accepted but cannot be seen there.
TEST_F(QtSerialLineTest, SettingsAreSeenFromTheDeviceSide) {
    ASSERT_TRUE(line.Open(adapter.DefaultPortName()));
    const std::tuple<LineSettings, speed_t, bool> cases[] = {
        {{9600, 8, Parity::None, 2}, B9600, true},
        {{19200, 7, Parity::Even, 1}, B19200, false},
        {{115200, 8, Parity::Odd, 2}, B115200, true},
    };
    for (const auto& [settings, speed, twoStops] : cases) {
        SCOPED_TRACE(settings.BaudRate);
        ASSERT_TRUE(line.Configure(settings));
        termios seen{};
        ASSERT_EQ(tcgetattr(adapter.DeviceFd(), &seen), 0);
        EXPECT_EQ(std::tuple(cfgetospeed(&seen), cfgetispeed(&seen), (seen.c_cflag & CSTOPB) != 0,
                             seen.c_cflag & CSIZE),
                  std::tuple(speed, speed, twoStops, static_cast<tcflag_t>(CS8)));
    }
    EXPECT_FALSE(line.Configure({9600, 9, Parity::None, 1}));
    EXPECT_FALSE(line.Configure({9600, 8, Parity::None, 3}));
}

TEST_F(QtSerialLineTest, InputIsReadAsAskedAndDroppedAndDtrFollowsTheProgram) {
    ASSERT_TRUE(line.Open(adapter.DefaultPortName()));
    ASSERT_EQ(write(adapter.DeviceFd(), "hello", 5), 5);
    EXPECT_EQ(WaitForWaiting(5), 5u);
    uint8_t in[8] = {};
    EXPECT_EQ(line.Read(in, 2), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in), 2), "he");
    EXPECT_EQ(WaitForWaiting(3), 3u);
    line.DiscardInput();
    EXPECT_EQ(WaitForWaiting(0), 0u);
    EXPECT_EQ(line.Read(in, sizeof in), 0u);
    for (const bool on : {false, true, false}) {
        EXPECT_TRUE(line.SetDtr(on));
        EXPECT_EQ(adapter.Dtr(), on);
    }
}

TEST_F(QtSerialLineTest, LineErrorsAreReportedOnceEach) {
    ASSERT_TRUE(line.Open(adapter.DefaultPortName()));
    // Frame, overrun and parity errors raised, and the word reported.
    const std::array<uint32_t, 4> cases[] = {
        {0, 0, 1, kLineErrorParity},
        {1, 0, 0, kLineErrorFrame},
        {0, 2, 0, kLineErrorOverrun},
        {1, 1, 1, kLineErrorFrame | kLineErrorOverrun | kLineErrorParity},
        {0, 0, 0, 0}};
    for (const auto& [frame, overrun, parity, word] : cases) {
        adapter.RaiseLineErrors(frame, overrun, parity);
        uint32_t errors = 0;
        size_t waiting = 0;
        ASSERT_TRUE(line.QueryStatus(errors, waiting));
        EXPECT_EQ(errors, word);
        ASSERT_TRUE(line.QueryStatus(errors, waiting));
        EXPECT_EQ(errors, 0u) << "reported once";
    }
}

// A bare pseudo-terminal, reached through the port map, has no modem lines and no error
// counters: DTR "succeeds" and bytes still arrive; when its far end closes, the line closes too.
TEST_F(QtSerialLineTest, BarePseudoTerminalThroughThePortMap) {
    int master = -1, slave = -1;
    char name[64] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    std::ofstream(folder.File(kPortMapFile)) << "COM5=" << name << "\n";
    ASSERT_TRUE(line.Open("COM5"));
    EXPECT_TRUE(line.SetDtr(true));
    ASSERT_EQ(write(master, "\x55", 1), 1);
    EXPECT_EQ(WaitForWaiting(1), 1u);
    uint8_t byte = 0;
    EXPECT_EQ(line.Read(&byte, 1), 1u);
    EXPECT_EQ(byte, 0x55);
    // The far end goes away, as when an adapter is pulled: the line closes itself.
    close(master);
    uint32_t errors = 0;
    size_t waiting = 0;
    for (int i = 0; i < 100 && line.QueryStatus(errors, waiting); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(line.IsOpen());
    close(slave);
}

} // namespace
} // namespace qn
