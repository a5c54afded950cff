// The emulated serial adapter: its tty node, its modem-line and error-counter requests, its peer.
#include "sim/emulated/EmulatedSerialAdapter.h"

#include "host/SerialLine.h"
#include "sim/SimSerialBridge.h"
#include "sim/emulated/Testbed.h"

#include <umockdev.h>

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace qn::emulated {

// Modem lines and line error counters; owned by the node's ioctl handler, which umockdev keeps
// alive while the program has the port open.
struct SerialLineState {
    std::atomic<int> modemBits{TIOCM_DTR | TIOCM_RTS};
    std::atomic<uint32_t> frame{0};
    std::atomic<uint32_t> overrun{0};
    std::atomic<uint32_t> parity{0};
};

namespace {

constexpr int kPollSliceMs = 10;
// ttyUSB0..ttyUSB16: the adapters that COM1..COM17 reach without a port map entry.
constexpr int kTtyNumbers = 17;

// True when this process now holds tty number `number` for the rest of its life.
bool ReserveTtyNumber(int number) {
    const std::string path = "/tmp/qn-emulated-ttyUSB" + std::to_string(number) + ".reserve";
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true; // fd stays open: released at exit
    close(fd);
    return false;
}

// The emulated nodes are this process's own, but Qt guards a serial port with a lock file named
// after it in the machine's lock folder (/var/lock/LCK..ttyUSB0): two test programs running at
// once, each with its own ttyUSB0, would lock each other out. A number is therefore taken only
// when no other process holds it, and kept until exit, since umockdev cannot reuse a tty name.
int NextTtyNumber() {
    static std::mutex mutex;
    static int next = 0;
    std::lock_guard lock(mutex);
    for (; next < kTtyNumbers; ++next)
        if (ReserveTtyNumber(next)) return next++;
    std::fprintf(stderr,
                 "emulated hardware: ttyUSB0..ttyUSB%d all taken, by this program or by "
                 "others running now\n",
                 kTtyNumbers - 1);
    std::abort();
}

bool ModemRequest(SerialLineState& state, unsigned long request, UMockdevIoctlData* arg) {
    UMockdevIoctlData* bits = umockdev_ioctl_data_resolve(arg, 0, sizeof(int), nullptr);
    if (!bits) return false;
    int value = 0;
    std::memcpy(&value, bits->data, sizeof value);
    if (request == TIOCMGET) value = state.modemBits;
    if (request == TIOCMBIS) state.modemBits |= value;
    if (request == TIOCMBIC) state.modemBits &= ~value;
    if (request == TIOCMSET) state.modemBits = value;
    std::memcpy(bits->data, &value, sizeof value);
    g_object_unref(bits);
    return true;
}

bool CounterRequest(const SerialLineState& state, UMockdevIoctlData* arg) {
    UMockdevIoctlData* out =
        umockdev_ioctl_data_resolve(arg, 0, sizeof(serial_icounter_struct), nullptr);
    if (!out) return false;
    serial_icounter_struct counts{};
    counts.frame = static_cast<int>(state.frame.load());
    counts.overrun = static_cast<int>(state.overrun.load());
    counts.parity = static_cast<int>(state.parity.load());
    std::memcpy(out->data, &counts, sizeof counts);
    g_object_unref(out);
    return true;
}

// Modem lines and error counters are the adapter's; the rest goes to the PTY. (Line settings
// reach the PTY without passing here: the C library sets and reads them with direct calls.)
gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    auto& state = *static_cast<SerialLineState*>(data);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    bool done = false;
    if (request == TIOCMGET || request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET) {
        done = ModemRequest(state, request, arg);
    } else if (request == TIOCGICOUNT) {
        done = CounterRequest(state, arg);
    } else {
        int error = 0;
        const int result = umockdev_ioctl_client_execute(client, &error, nullptr);
        umockdev_ioctl_client_complete(client, result, error);
        return TRUE;
    }
    umockdev_ioctl_client_complete(client, done ? 0 : -1, done ? 0 : EFAULT);
    return TRUE;
}

} // namespace

EmulatedSerialAdapter::EmulatedSerialAdapter()
    : number_(NextTtyNumber()), name_("ttyUSB" + std::to_string(number_)) {
    AddDevices(DeviceText());
    fd_ = umockdev_testbed_get_dev_fd(SharedTestbed(), DevicePath().c_str());
    state_ = new SerialLineState;
    ioctls_ = umockdev_ioctl_base_new();
    const auto forget = [](void* state, GClosure*) { delete static_cast<SerialLineState*>(state); };
    g_signal_connect_data(ioctls_, "handle-ioctl", G_CALLBACK(OnIoctl), state_, forget,
                          GConnectFlags{});
    AttachIoctl(DevicePath(), ioctls_);
    plugged_ = true;
}

EmulatedSerialAdapter::EmulatedSerialAdapter(SimSerialPeer& peer) : EmulatedSerialAdapter() {
    peer_ = &peer;
    server_ = std::thread([this] { Serve(); });
}

EmulatedSerialAdapter::~EmulatedSerialAdapter() {
    Unplug();
    DetachIoctl(DevicePath());
    g_object_unref(ioctls_);
}

std::string EmulatedSerialAdapter::DeviceText() const {
    const std::string minor = std::to_string(number_);
    return "P: /devices/platform/qn-serial." + minor + "/" + name_ + "/tty/" + name_ +
           "\nN: " + name_ + "\nE: DEVNAME=" + DevicePath() +
           "\nE: SUBSYSTEM=tty\nE: MAJOR=188\nE: MINOR=" + minor + "\nA: dev=188:" + minor +
           "\\n\n";
}

bool EmulatedSerialAdapter::Dtr() const {
    return (state_->modemBits & TIOCM_DTR) != 0;
}

void EmulatedSerialAdapter::RaiseLineErrors(uint32_t frame, uint32_t overrun, uint32_t parity) {
    state_->frame += frame;
    state_->overrun += overrun;
    state_->parity += parity;
}

void EmulatedSerialAdapter::Unplug() {
    if (!plugged_) return;
    stop_ = true;
    if (server_.joinable()) server_.join();
    RemoveDevice("/devices/platform/qn-serial." + std::to_string(number_) + "/" + name_ + "/tty/" +
                 name_);
    plugged_ = false;
}

// Whatever arrives goes to the peer at once; its answer and line errors come straight back.
void EmulatedSerialAdapter::Serve() {
    std::array<uint8_t, 256> incoming{};
    while (!stop_) {
        pollfd waiting{fd_, POLLIN, 0};
        if (poll(&waiting, 1, kPollSliceMs) <= 0 || !(waiting.revents & POLLIN)) continue;
        const ssize_t got = read(fd_, incoming.data(), incoming.size());
        if (got <= 0) continue;
        std::vector<uint8_t> answer;
        uint32_t errors = 0;
        {
            std::lock_guard lock(peerMutex_);
            answer = peer_->Take(incoming.data(), static_cast<size_t>(got));
            errors = peer_->TakeLineErrors();
        }
        RaiseLineErrors((errors & kLineErrorFrame) ? 1 : 0, (errors & kLineErrorOverrun) ? 1 : 0,
                        (errors & kLineErrorParity) ? 1 : 0);
        if (!answer.empty() && write(fd_, answer.data(), answer.size()) < 0)
            std::fprintf(stderr, "emulated hardware: cannot deliver serial answer\n");
    }
}

} // namespace qn::emulated
