// Ties the line listener to one session per client.
#include "shell/ui/RemoteServer.h"

#include "remote/RemoteSession.h"

#include <QHostAddress>

namespace qn {

bool LoopbackAddress(const std::string& address) {
    return QHostAddress(QString::fromStdString(address)).isLoopback();
}

std::string ExposedWarning(const std::string& address) {
    return "listening on " + address +
           ": anyone who can reach that address controls the bench (SCPI has no authentication)";
}

RemoteServer::RemoteServer(RemoteBench& bench)
    : bench_(bench), server_({[this] { Connected(); }, [this](std::string_view l) { Line(l); },
                              [this] { LineTooLong(); }, [this] { Disconnected(); }},
                             kRemoteInUseLine, RemoteSession::kLongestLine) {}

RemoteServer::~RemoteServer() {
    Changed = nullptr;
    Stop();
}

std::string RemoteServer::Start(const std::string& address, uint16_t port) {
    std::string why = server_.Listen(address, port);
    address_ = why.empty() ? address : std::string();
    Tell();
    return why;
}

void RemoteServer::Stop() {
    server_.Close();
    address_.clear();
    Tell();
}

std::string RemoteServer::Endpoint() const {
    if (!Listening()) return {};
    const bool v6 = address_.find(':') != std::string::npos;
    return (v6 ? "[" + address_ + "]" : address_) + ":" + std::to_string(server_.Port());
}

std::string RemoteServer::StatusText() const {
    if (!Listening()) return {};
    std::string text = "Remote: " + Endpoint();
    if (ClientConnected()) text += ", client " + server_.ClientAddress();
    return text;
}

void RemoteServer::Connected() {
    session_ = std::make_unique<RemoteSession>(bench_);
    sessionEnded_ = false;
    Tell();
}

// The session may let further lines through while an operation runs (they come here nested);
// it stays until the outermost line is answered, even when the client has gone meanwhile.
void RemoteServer::Line(std::string_view line) {
    if (session_ == nullptr || sessionEnded_) return;
    ++handling_;
    const std::string reply = session_->HandleLine(line);
    --handling_;
    Answer(reply);
}

void RemoteServer::LineTooLong() {
    if (session_ == nullptr || sessionEnded_) return;
    session_->LineTooLong();
}

void RemoteServer::Answer(const std::string& reply) {
    if (!sessionEnded_ && !reply.empty()) server_.Send(reply);
    if (handling_ == 0 && sessionEnded_) session_.reset();
}

// A client that goes mid-capture or mid-run ends that operation, so the bench is free for the
// next one.
void RemoteServer::Disconnected() {
    if (session_ == nullptr) return;
    bench_.Abort();
    sessionEnded_ = true;
    if (handling_ == 0) session_.reset();
    Tell();
}

void RemoteServer::Tell() {
    if (Changed) Changed();
}

} // namespace qn
