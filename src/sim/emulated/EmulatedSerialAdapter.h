// An emulated USB serial adapter /dev/ttyUSBn: a pseudo-terminal whose far end a test or a peer
// plays, with modem lines and line error counters the test can watch and raise.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

typedef struct _UMockdevIoctlBase UMockdevIoctlBase;

namespace qn {
class SimSerialPeer;
}

namespace qn::emulated {

struct SerialLineState; // shared with the node's ioctl handler

class EmulatedSerialAdapter {
  public:
    EmulatedSerialAdapter();
    // An adapter whose far end is `peer`: what the program writes goes to it, its answers and
    // line errors come back.
    explicit EmulatedSerialAdapter(SimSerialPeer& peer);
    ~EmulatedSerialAdapter();
    EmulatedSerialAdapter(const EmulatedSerialAdapter&) = delete;
    EmulatedSerialAdapter& operator=(const EmulatedSerialAdapter&) = delete;

    // e.g. /dev/ttyUSB0; each adapter gets a number of its own.
    std::string DevicePath() const { return "/dev/" + name_; }
    // Port name that maps to this adapter without a port map entry ("COM1" for ttyUSB0).
    std::string DefaultPortName() const { return "COM" + std::to_string(number_ + 1); }
    // The far end: read what the program wrote, write what it is to read. tcgetattr() on it
    // shows the speed and stop bits the program chose (a pseudo-terminal keeps 8 data bits
    // without parity whatever it is asked). Not for use while a peer is attached.
    int DeviceFd() const { return fd_; }
    // Data terminal ready as the program last set it.
    bool Dtr() const;
    // Counts line errors as the adapter's driver would on received characters.
    void RaiseLineErrors(uint32_t frame, uint32_t overrun, uint32_t parity);
    // The adapter disappears; the open port stops moving data.
    void Unplug();
    // Hold while changing the peer from the test; the device side uses the peer under it too.
    std::unique_lock<std::mutex> Lock() { return std::unique_lock(peerMutex_); }

  private:
    std::string DeviceText() const;
    void Serve();

    int number_;
    std::string name_;
    int fd_ = -1;
    bool plugged_ = false;
    SerialLineState* state_ = nullptr; // owned by the ioctl handler
    UMockdevIoctlBase* ioctls_ = nullptr;
    SimSerialPeer* peer_ = nullptr;
    std::mutex peerMutex_;
    std::atomic<bool> stop_{false};
    std::thread server_;
};

} // namespace qn::emulated
