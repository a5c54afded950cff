// The remote-control server: SCPI lines from one TCP client at a time to a session over the
// bench's remote operations, the replies back, and what the status bar says about it.
#pragma once

#include "platform/LineServer.h"
#include "remote/RemoteBench.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qn {

class RemoteSession;

// The port SCPI instruments listen on, and the only address listened on unless one is named.
inline constexpr uint16_t kRemotePort = 5025;
inline constexpr const char* kRemoteLoopback = "127.0.0.1";

// The line a second client gets before it is closed.
inline constexpr const char* kRemoteInUseLine =
    "The bench is in use by another remote client; try again when it disconnects.\n";

// Whether `address` reaches the listener only from this computer.
bool LoopbackAddress(const std::string& address);

// The warning for a listener on an address other computers reach.
std::string ExposedWarning(const std::string& address);

class RemoteServer {
  public:
    explicit RemoteServer(RemoteBench& bench);
    ~RemoteServer();
    RemoteServer(const RemoteServer&) = delete;
    RemoteServer& operator=(const RemoteServer&) = delete;

    // Listens on `address` and `port` (0: a free port); empty when listening, else why not.
    std::string Start(const std::string& address, uint16_t port);
    // Closes the client's connection (its capture or run ends) and stops listening.
    void Stop();
    bool Listening() const { return server_.Listening(); }
    bool ClientConnected() const { return server_.HasClient(); }
    // "127.0.0.1:5025" while listening, the chosen port after port 0.
    std::string Endpoint() const;
    // "Remote: 127.0.0.1:5025", with ", client 127.0.0.1" while one is connected; "" when off.
    std::string StatusText() const;

    // Told when listening starts or stops and when a client comes or goes.
    std::function<void()> Changed;

  private:
    void Connected();
    void Line(std::string_view line);
    void LineTooLong();
    void Disconnected();
    void Answer(const std::string& reply);
    void Tell();

    RemoteBench& bench_;
    std::unique_ptr<RemoteSession> session_;
    bool sessionEnded_ = false; // the client went while a line of its session was handled
    int handling_ = 0;          // lines in the session's hands, nested
    std::string address_;
    LineServer server_;
};

} // namespace qn
