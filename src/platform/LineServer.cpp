// The one-client line server over QTcpServer.
#include "platform/LineServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstring>
#include <utility>

namespace qn {
namespace {

// Bytes Qt keeps from the socket before the next read: the partial line is bounded by the limit,
// so a client that sends without end never makes the program hold more than this besides it.
constexpr qint64 kReadChunk = 64 * 1024;

} // namespace

LineServer::LineServer(Handlers handlers, std::string refusal, size_t maxLine, QObject* parent)
    : QObject(parent), handlers_(std::move(handlers)), refusal_(std::move(refusal)),
      maxLine_(maxLine), listener_(new QTcpServer(this)) {
    connect(listener_, &QTcpServer::newConnection, this, &LineServer::Accept);
}

LineServer::~LineServer() {
    Close();
}

std::string LineServer::Listen(const std::string& address, uint16_t port) {
    Close();
    QHostAddress host;
    if (!host.setAddress(QString::fromStdString(address)))
        return "\"" + address + "\" is not an IP address";
    if (!listener_->listen(host, port)) return listener_->errorString().toStdString();
    return {};
}

void LineServer::Close() {
    listener_->close();
    if (client_ == nullptr) return;
    client_->disconnect(this);
    client_->abort();
    if (!clientGone_) {
        clientGone_ = true;
        if (handlers_.Disconnected) handlers_.Disconnected();
    }
    if (handling_ == 0) ReleaseClient();
}

bool LineServer::Listening() const {
    return listener_->isListening();
}

uint16_t LineServer::Port() const {
    return listener_->serverPort();
}

std::string LineServer::ClientAddress() const {
    if (!HasClient()) return {};
    QHostAddress peer = client_->peerAddress();
    bool mapped = false;
    const quint32 v4 = peer.toIPv4Address(&mapped);
    if (mapped) peer = QHostAddress(v4);
    return peer.toString().toStdString();
}

void LineServer::Send(std::string_view bytes) {
    if (!HasClient()) return;
    client_->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void LineServer::Accept() {
    while (QTcpSocket* socket = listener_->nextPendingConnection()) {
        if (client_ != nullptr) {
            Refuse(socket);
            continue;
        }
        client_ = socket;
        partial_.clear();
        lines_.clear();
        dropping_ = false;
        clientGone_ = false;
        socket->setReadBufferSize(kReadChunk);
        // Replies are short and awaited: Nagle's delay would add tens of milliseconds to each.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &LineServer::TakeBytes);
        connect(socket, &QTcpSocket::disconnected, this, &LineServer::ClientGone);
        if (handlers_.Connected) handlers_.Connected();
        if (socket->bytesAvailable() > 0) TakeBytes();
    }
}

void LineServer::Refuse(QTcpSocket* socket) {
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    socket->write(refusal_.data(), static_cast<qint64>(refusal_.size()));
    socket->disconnectFromHost();
}

// Cuts the received bytes into lines. A line is only kept up to the limit (and a CR): past it,
// its bytes are dropped as they come and only the fact that it was too long is kept.
void LineServer::TakeBytes() {
    if (!HasClient()) return;
    while (client_->bytesAvailable() > 0) {
        const QByteArray bytes = client_->read(kReadChunk);
        const char* data = bytes.constData();
        const auto size = static_cast<size_t>(bytes.size());
        size_t from = 0;
        while (from < size) {
            const auto* lf = static_cast<const char*>(std::memchr(data + from, '\n', size - from));
            const size_t end = lf != nullptr ? static_cast<size_t>(lf - data) : size;
            if (!dropping_) partial_.append(data + from, end - from);
            if (partial_.size() > maxLine_ + 1) {
                dropping_ = true;
                std::string().swap(partial_);
            }
            if (lf == nullptr) break;
            if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
            if (dropping_ || partial_.size() > maxLine_)
                lines_.push_back({true, {}});
            else
                lines_.push_back({false, std::move(partial_)});
            partial_.clear();
            dropping_ = false;
            from = end + 1;
        }
    }
    if (handling_ > 0)
        Drain();
    else
        ScheduleDrain();
}

// Outside a handler, the lines are handed over from a queued call rather than from the socket's
// signal: Qt does not signal new bytes again while a slot of that signal runs, and a handler runs
// as long as its operation, letting the lines that arrive meanwhile through.
void LineServer::ScheduleDrain() {
    if (drainQueued_ || lines_.empty()) return;
    drainQueued_ = true;
    QMetaObject::invokeMethod(this, &LineServer::Drain, Qt::QueuedConnection);
}

void LineServer::Drain() {
    if (handling_ == 0) drainQueued_ = false;
    while (!lines_.empty() && HasClient()) {
        Received item = std::move(lines_.front());
        lines_.pop_front();
        ++handling_;
        if (item.TooLong) {
            if (handlers_.LineTooLong) handlers_.LineTooLong();
        } else if (handlers_.Line) {
            handlers_.Line(item.Text);
        }
        --handling_;
    }
    if (handling_ == 0 && clientGone_) ReleaseClient();
}

void LineServer::ClientGone() {
    if (clientGone_) return;
    clientGone_ = true;
    lines_.clear();
    if (handlers_.Disconnected) handlers_.Disconnected();
    if (handling_ == 0) ReleaseClient();
}

void LineServer::ReleaseClient() {
    if (client_ != nullptr) {
        client_->disconnect(this);
        client_->deleteLater();
    }
    client_ = nullptr;
    clientGone_ = false;
    lines_.clear();
    std::string().swap(partial_);
    dropping_ = false;
}

} // namespace qn
