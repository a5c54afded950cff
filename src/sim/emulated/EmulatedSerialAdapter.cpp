// The emulated serial adapter: its tty node, its modem-line and error-counter requests, its peer.
#include "sim/emulated/EmulatedSerialAdapter.h"

#include "host/SerialLine.h"
#include "sim/SimSerialBridge.h"
#include "sim/emulated/Testbed.h"

#include <umockdev.h>

#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

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

int NextTtyNumber() {
    static std::atomic<int> next{0};
    return next++;
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
