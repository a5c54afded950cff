// Pseudo-terminal pairs in raw mode, polled without blocking.
#include "PtyServer.h"

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace qn {

PtyServer::~PtyServer() {
    for (const Port& port : ports_) close(port.Master);
}

// The slave is closed again at once: the client that opens it later sets its own line settings;
// raw mode covers a client that sets none.
bool PtyServer::Serve(const std::string& portName, SimSerialPeer& peer) {
    termios raw{};
    cfmakeraw(&raw);
    cfsetspeed(&raw, B9600);
    int master = -1;
    int slave = -1;
    char path[256] = {};
    if (openpty(&master, &slave, path, &raw, nullptr) != 0) return false;
    close(slave);
    const int flags = fcntl(master, F_GETFL);
    fcntl(master, F_SETFL, flags | O_NONBLOCK);
    ports_.push_back({portName, path, master, &peer});
    return true;
}

std::string PtyServer::PortMap() const {
    std::string text;
    for (const Port& port : ports_) text += port.Name + "=" + port.Path + "\n";
    return text;
}

// A read fails with EIO while no client has the slave open, and with EAGAIN while it has nothing
// to say: both leave the port as it is.
void PtyServer::Poll() {
    uint8_t buffer[512];
    for (const Port& port : ports_) {
        for (;;) {
            const ssize_t got = read(port.Master, buffer, sizeof buffer);
            if (got <= 0) break;
            Send(port, port.Peer->Take(buffer, static_cast<size_t>(got)));
        }
        Send(port, port.Peer->Due());
    }
}

// Bytes that find no client, or no room, are lost as on a real line.
void PtyServer::Send(const Port& port, const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t put = write(port.Master, bytes.data() + sent, bytes.size() - sent);
        if (put > 0) {
            sent += static_cast<size_t>(put);
        } else if (put < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
}

} // namespace qn
