// A TCP listener that serves one client at a time in lines: a second client gets one line and is
// closed, received bytes are cut at LF (a CR before it is dropped), over-long lines are dropped
// without being kept, and lines that arrive while a handler runs are handed over at once.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTcpSocket>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

class QTcpServer;

namespace qn {

class LineServer final : public QObject {
    Q_OBJECT
  public:
    struct Handlers {
        std::function<void()> Connected;
        // One received line without its LF (and without a CR before it).
        std::function<void(std::string_view line)> Line;
        // A line longer than the limit ended; its bytes were dropped as they came.
        std::function<void()> LineTooLong;
        // The client went away (or was dropped); a handler still running is told first.
        std::function<void()> Disconnected;
    };

    // `refusal` is the line (with its LF) a second client gets before it is closed; lines longer
    // than `maxLine` bytes are dropped.
    LineServer(Handlers handlers, std::string refusal, size_t maxLine, QObject* parent = nullptr);
    ~LineServer() override;
    LineServer(const LineServer&) = delete;
    LineServer& operator=(const LineServer&) = delete;

    // Listens on `address` ("127.0.0.1", "::1", "0.0.0.0", ...) and `port` (0: any free port).
    // Empty when listening, else why not.
    std::string Listen(const std::string& address, uint16_t port);
    // Stops listening and closes the client's connection.
    void Close();
    bool Listening() const;
    // The port listened on (the chosen one after port 0).
    uint16_t Port() const;
    // A client is connected.
    bool HasClient() const { return client_ != nullptr && !clientGone_; }
    // The connected client's address, empty without one.
    std::string ClientAddress() const;
    // Queues `bytes` to the client; nothing without one.
    void Send(std::string_view bytes);
    // Bytes of the line still arriving that are kept (never more than the limit and a CR).
    size_t KeptBytes() const { return partial_.size(); }

  private:
    void Accept();
    void Refuse(QTcpSocket* socket);
    void TakeBytes();
    // Hands every complete line to the handler; runs again inside a handler for lines that
    // arrive meanwhile.
    void Drain();
    void ScheduleDrain();
    void ClientGone();
    void ReleaseClient();

    Handlers handlers_;
    std::string refusal_;
    size_t maxLine_;
    QTcpServer* listener_ = nullptr;
    QPointer<QTcpSocket> client_;
    struct Received {
        bool TooLong = false;
        std::string Text;
    };
    std::deque<Received> lines_; // complete lines not yet handed over
    std::string partial_;        // the bytes of the line still arriving
    bool dropping_ = false;      // inside an over-long line: bytes go until its LF
    bool clientGone_ = false;    // the client went away while a handler still ran
    bool drainQueued_ = false;
    int handling_ = 0; // handler calls in progress, nested
};

} // namespace qn
