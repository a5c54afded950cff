// Serves simulated instruments on pseudo-terminals: a program opens the slave as a serial port.
#pragma once

#include "sim/SimSerialBridge.h"

#include <string>
#include <vector>

namespace qn {

class PtyServer {
  public:
    PtyServer() = default;
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens a pseudo-terminal in raw mode for `peer`, known as `portName`; false when the system
    // has none to give.
    bool Serve(const std::string& portName, SimSerialPeer& peer);
    // One "COMn=/dev/pts/N" line per port, the port map's format.
    std::string PortMap() const;
    // Hands what the clients wrote to the peers and sends back their answers and whatever has
    // become due; never blocks. A port without a client (closed, or not yet opened) is skipped
    // until a client opens it again.
    void Poll();

  private:
    struct Port {
        std::string Name;
        std::string Path;
        int Master = -1;
        SimSerialPeer* Peer = nullptr;
    };
    static void Send(const Port& port, const std::vector<uint8_t>& bytes);

    std::vector<Port> ports_;
};

} // namespace qn
