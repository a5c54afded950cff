// The Qt serial line against emulated USB serial adapters and a bare pseudo-terminal.
#include "platform/QtSerialLine.h"
#include "platform/PortNames.h"
#include "sim/SimSerialBridge.h"
#include "sim/emulated/EmulatedSerialAdapter.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace qn {
namespace {

using emulated::EmulatedSerialAdapter;
using Bytes = std::vector<uint8_t>;

// Bytes arriving at `fd` within `ms` milliseconds, up to `count`.
Bytes ReadFar(int fd, size_t count, int ms = 1000) {
    Bytes got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (got.size() < count && std::chrono::steady_clock::now() < end) {
        pollfd waiting{fd, POLLIN, 0};
        if (poll(&waiting, 1, 10) <= 0) continue;
        uint8_t byte[64];
        const ssize_t n = read(fd, byte, std::min(sizeof byte, count - got.size()));
        if (n > 0) got.insert(got.end(), byte, byte + n);
    }
    return got;
}

class QtSerialLineTest : public ::testing::Test {
  protected:
    QtSerialLineTest() {
        std::filesystem::create_directories(folder);
        trace.Enable(traceText);
    }
    ~QtSerialLineTest() override { std::filesystem::remove_all(folder); }

    void WritePortMap(const std::string& text) { std::ofstream(folder / kPortMapFile) << text; }

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

    // The program folder of this test, holding its port map.
    static std::filesystem::path NewFolder() {
        static int instance = 0;
        return std::filesystem::path(::testing::TempDir()) /
               ("qn-serial-" + std::to_string(getpid()) + "-" + std::to_string(++instance));
    }

    std::filesystem::path folder = NewFolder();
    std::ostringstream traceText;
    BusTrace trace;
    QtSerialLine line{folder.string(), trace};
};

TEST_F(QtSerialLineTest, PortNamesReachTheirDevices) {
    EmulatedSerialAdapter adapter;
    WritePortMap("COM9=" + adapter.DevicePath() + "\nCOM10=/dev/ttyUSB99\n");
    struct Case {
        std::string port;
        bool opens;
    };
    const Case cases[] = {{adapter.DefaultPortName(), true},
                          {"COM9", true},
                          {"COM10", false},
                          {"COM18", false},
                          {"LPT1", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(line.Open(c.port), c.opens) << c.port;
        EXPECT_EQ(line.IsOpen(), c.opens) << c.port;
        if (c.opens) {
            EXPECT_EQ(line.DevicePath(), adapter.DevicePath());
        }
    }
    EXPECT_NE(traceText.str().find("COM10 /dev/ttyUSB99: cannot open"), std::string::npos)
        << traceText.str();
}

TEST_F(QtSerialLineTest, ABusyPortDoesNotOpenTwice) {
    EmulatedSerialAdapter adapter;
    ASSERT_TRUE(line.Open(adapter.DefaultPortName()));
    QtSerialLine second(folder.string(), trace);
    EXPECT_FALSE(second.Open(adapter.DefaultPortName()));
    line.Close();
    EXPECT_FALSE(line.IsOpen());
    EXPECT_TRUE(second.Open(adapter.DefaultPortName()));
}

// Speed and stop bits show on the far end of the PTY behind the adapter. A PTY keeps 8 data bits
// without parity whatever it is asked, so other formats are accepted but cannot be seen there.
TEST_F(QtSerialLineTest, SettingsAreSeenFromTheDeviceSide) {
    EmulatedSerialAdapter adapter;
    ASSERT_TRUE(line.Open(adapter.DefaultPortName()));
    struct Case {
        LineSettings settings;
        speed_t speed;
        bool twoStops;
    };
    const Case cases[] = {
        {{9600, 8, Parity::None, 1}, B9600, false},   {{9600, 8, Parity::None, 2}, B9600, true},
        {{19200, 7, Parity::Even, 1}, B19200, false}, {{115200, 8, Parity::Odd, 2}, B115200, true},
        {{4800, 8, Parity::None, 1}, B4800, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.settings.BaudRate) + " " +
                     std::to_string(c.settings.StopBits));
        ASSERT_TRUE(line.Configure(c.settings)) << traceText.str();
        termios seen{};
        ASSERT_EQ(tcgetattr(adapter.DeviceFd(), &seen), 0);
        EXPECT_EQ(cfgetospeed(&seen), c.speed);
        EXPECT_EQ(cfgetispeed(&seen), c.speed);
        EXPECT_EQ((seen.c_cflag & CSTOPB) != 0, c.twoStops);
        EXPECT_EQ(seen.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    }
    EXPECT_FALSE(line.Configure({9600, 9, Parity::None, 1}));
    EXPECT_FALSE(line.Configure({9600, 8, Parity::None, 3}));
    EXPECT_FALSE(line.Configure({9600, 4, Parity::None, 1}));
}

TEST_F(QtSerialLineTest, BytesTravelBothWaysAndInputCanBeDropped) {
    EmulatedSerialAdapter adapter;
    ASSERT_TRUE(line.Open(adapter.DefaultPortName()));
    ASSERT_TRUE(line.Configure({9600, 8, Parity::None, 1}));
    const Bytes out = {0x55, 0xC0, 0x01, 'A'};
    EXPECT_EQ(line.Write(out.data(), out.size()), out.size());
    EXPECT_EQ(ReadFar(adapter.DeviceFd(), out.size()), out);

    ASSERT_EQ(write(adapter.DeviceFd(), "hello", 5), 5);
    EXPECT_EQ(WaitForWaiting(5), 5u);
    uint8_t in[8] = {};
    EXPECT_EQ(line.Read(in, 2), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(in), 2), "he");
    EXPECT_EQ(WaitForWaiting(3), 3u);
    line.DiscardInput();
    uint32_t errors = 0;
    size_t waiting = 9;
    EXPECT_TRUE(line.QueryStatus(errors, waiting));
    EXPECT_EQ(waiting, 0u);
    EXPECT_EQ(line.Read(in, sizeof in), 0u);

    const std::string text = traceText.str();
    const std::string port = adapter.DefaultPortName() + " " + adapter.DevicePath();
    EXPECT_NE(text.find("OUT " + port + " 4 | 55 C0 01 41 | U..A"), std::string::npos) << text;
    EXPECT_NE(text.find("IN  " + port + " 2 | 68 65 | he"), std::string::npos) << text;
}

TEST_F(QtSerialLineTest, LineErrorsAreReportedOnceEach) {
    EmulatedSerialAdapter adapter;
    ASSERT_TRUE(line.Open(adapter.DefaultPortName()));
    struct Case {
        uint32_t frame, overrun, parity;
        uint32_t word;
    };
    const Case cases[] = {{0, 0, 1, kLineErrorParity},
                          {1, 0, 0, kLineErrorFrame},
                          {0, 2, 0, kLineErrorOverrun},
                          {1, 1, 1, kLineErrorFrame | kLineErrorOverrun | kLineErrorParity},
                          {0, 0, 0, 0}};
    for (const auto& c : cases) {
        adapter.RaiseLineErrors(c.frame, c.overrun, c.parity);
        uint32_t errors = 0;
        size_t waiting = 0;
        ASSERT_TRUE(line.QueryStatus(errors, waiting));
        EXPECT_EQ(errors, c.word);
        ASSERT_TRUE(line.QueryStatus(errors, waiting));
        EXPECT_EQ(errors, 0u) << "reported once";
    }
}

TEST_F(QtSerialLineTest, DtrFollowsTheProgram) {
    EmulatedSerialAdapter adapter;
    ASSERT_TRUE(line.Open(adapter.DefaultPortName()));
    for (const bool on : {false, true, false}) {
        EXPECT_TRUE(line.SetDtr(on));
        EXPECT_EQ(adapter.Dtr(), on);
    }
}

// A bare pseudo-terminal has no modem lines and no error counters: DTR "succeeds", no errors.
TEST_F(QtSerialLineTest, BarePseudoTerminalThroughThePortMap) {
    int master = -1;
    int slave = -1;
    char name[64] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    WritePortMap(std::string("COM5=") + name + "\n");
    ASSERT_TRUE(line.Open("COM5"));
    EXPECT_TRUE(line.SetDtr(true));
    ASSERT_TRUE(line.Configure({9600, 8, Parity::None, 2}));
    termios seen{};
    ASSERT_EQ(tcgetattr(master, &seen), 0);
    EXPECT_EQ(cfgetospeed(&seen), static_cast<speed_t>(B9600));
    EXPECT_NE(seen.c_cflag & CSTOPB, 0u);
    ASSERT_EQ(write(master, "\x55", 1), 1);
    EXPECT_EQ(WaitForWaiting(1), 1u);
    uint8_t byte = 0;
    EXPECT_EQ(line.Read(&byte, 1), 1u);
    EXPECT_EQ(byte, 0x55);
    line.Close();
    close(slave);
    close(master);
}

TEST_F(QtSerialLineTest, SerialBridgePeerAnswersThroughTheAdapter) {
    SimSerialBridge peer;
    EmulatedSerialAdapter adapter(peer);
    ASSERT_TRUE(line.Open(adapter.DefaultPortName()));
    ASSERT_TRUE(line.Configure({9600, 8, Parity::None, 1}));
    const uint8_t sync = 0x55;
    ASSERT_EQ(line.Write(&sync, 1), 1u);
    EXPECT_EQ(WaitForWaiting(1), 1u);
    uint8_t answer = 0;
    EXPECT_EQ(line.Read(&answer, 1), 1u);
    EXPECT_EQ(answer, 0xAA);
}

TEST_F(QtSerialLineTest, UnpluggedAdapterStopsTheTrafficWithoutHarm) {
    EmulatedSerialAdapter adapter;
    ASSERT_TRUE(line.Open(adapter.DefaultPortName()));
    adapter.Unplug();
    const uint8_t byte = 0x55;
    line.Write(&byte, 1);
    uint8_t in = 0;
    EXPECT_EQ(line.Read(&in, 1), 0u);
    line.Close();
    EXPECT_FALSE(line.Open(adapter.DefaultPortName()));
}

} // namespace
} // namespace qn
