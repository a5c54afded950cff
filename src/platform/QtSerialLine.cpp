// QSerialPort driven by polling: open through the port map, settings, status, reads and writes.
#include "platform/QtSerialLine.h"

#include "files/PortNames.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace qn {
namespace {

// Device majors of pseudo-terminal slaves (/dev/pts/N).
constexpr unsigned int kPtySlaveMajorFirst = 136;
constexpr unsigned int kPtySlaveMajorLast = 143;

bool IsFailure(QSerialPort::SerialPortError error) {
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

// After a failure: true when the device itself has gone (the adapter was pulled, or the program
// serving a pseudo-terminal died), which Qt reports as a resource error or, for a pseudo-terminal
// whose other side closed, as a read error on a hung-up line.
bool DeviceLost(QSerialPort& port) {
    const QSerialPort::SerialPortError error = port.error();
    if (error == QSerialPort::ResourceError) return true;
    if (!IsFailure(error)) return false;
    pollfd device{static_cast<int>(port.handle()), POLLIN, 0};
    return poll(&device, 1, 0) > 0 && (device.revents & (POLLHUP | POLLNVAL)) != 0;
}

QSerialPort::Parity QtParity(Parity parity) {
    switch (parity) {
    case Parity::Even:
        return QSerialPort::EvenParity;
    case Parity::Odd:
        return QSerialPort::OddParity;
    case Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

// "settings 9600 8N1" for the bus trace.
std::string SettingsText(const LineSettings& settings) {
    const char parity = settings.ParityMode == Parity::Even  ? 'E'
                        : settings.ParityMode == Parity::Odd ? 'O'
                                                             : 'N';
    return "settings " + std::to_string(settings.BaudRate) + " " +
           std::to_string(settings.DataBits) + parity + std::to_string(settings.StopBits);
}

} // namespace

QtSerialLine::QtSerialLine(std::string programFolder, BusTrace& trace)
    : folder_(std::move(programFolder)), trace_(trace), port_(std::make_unique<QSerialPort>()) {}

QtSerialLine::~QtSerialLine() {
    Close();
}

std::string QtSerialLine::PortMapText() const {
    std::ifstream file(folder_ + "/" + kPortMapFile);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool QtSerialLine::Open(const std::string& portName) {
    Close();
    path_ = ResolvePortPath(portName, PortMapText());
    tracePort_ = portName + " " + path_;
    if (path_.empty()) return false;
    port_->setPortName(QString::fromStdString(path_));
    if (!port_->open(QIODevice::ReadWrite)) {
        trace_.Note(tracePort_, "cannot open: " + port_->errorString().toStdString());
        port_->clearError();
        return false;
    }
    counters_ = {};
    ReadLineCounters(static_cast<int>(port_->handle()), counters_);
    trace_.Note(tracePort_, "opened");
    return true;
}

void QtSerialLine::Close() {
    if (!port_->isOpen()) return;
    port_->close();
    port_->clearError();
    trace_.Note(tracePort_, "closed");
}

bool QtSerialLine::IsOpen() const {
    return port_->isOpen();
}

// A pseudo-terminal carries bytes without framing them and always reports 8 data bits without
// parity, so Qt finds any other character format "not taken": on one that is no failure.
bool QtSerialLine::Configure(const LineSettings& settings) {
    if (!IsOpen() || settings.DataBits < 5 || settings.DataBits > 8) return false;
    if (settings.StopBits != 1 && settings.StopBits != 2) return false;
    const bool framing =
        port_->setBaudRate(static_cast<qint32>(settings.BaudRate)) &&
        port_->setStopBits(settings.StopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        port_->setFlowControl(QSerialPort::NoFlowControl);
    const bool format = framing &&
                        port_->setDataBits(static_cast<QSerialPort::DataBits>(settings.DataBits)) &&
                        port_->setParity(QtParity(settings.ParityMode));
    const bool done = format || (framing && IsPseudoTerminal());
    std::string note = SettingsText(settings);
    if (!done)
        note += " refused: " + port_->errorString().toStdString();
    else if (!format)
        note += " (a pseudo-terminal keeps 8 bits, no parity)";
    trace_.Note(tracePort_, note);
    port_->clearError();
    return done;
}

bool QtSerialLine::IsPseudoTerminal() const {
    struct stat device {};
    if (fstat(static_cast<int>(port_->handle()), &device) != 0 || !S_ISCHR(device.st_mode))
        return false;
    const unsigned int kind = major(device.st_rdev);
    return kind >= kPtySlaveMajorFirst && kind <= kPtySlaveMajorLast;
}

bool QtSerialLine::HasModemLines() const {
    int lines = 0;
    return ioctl(static_cast<int>(port_->handle()), TIOCMGET, &lines) == 0;
}

bool QtSerialLine::SetDtr(bool on) {
    if (!IsOpen()) return false;
    if (port_->setDataTerminalReady(on)) return true;
    port_->clearError();
    return !HasModemLines();
}

bool QtSerialLine::Poll() {
    port_->waitForReadyRead(0);
    if (DeviceLost(*port_)) {
        trace_.Note(tracePort_, "device lost: " + port_->errorString().toStdString());
        Close();
        return false;
    }
    if (IsFailure(port_->error())) return false;
    port_->clearError();
    return true;
}

bool QtSerialLine::QueryStatus(uint32_t& errors, size_t& waiting) {
    errors = 0;
    waiting = 0;
    if (!IsOpen() || !Poll()) return false;
    LineCounters now = counters_;
    if (ReadLineCounters(static_cast<int>(port_->handle()), now)) {
        errors = LineErrorWord(counters_, now);
        counters_ = now;
    }
    waiting = static_cast<size_t>(port_->bytesAvailable());
    return true;
}

size_t QtSerialLine::Read(uint8_t* data, size_t max) {
    if (!IsOpen() || data == nullptr || max == 0) return 0;
    if (port_->bytesAvailable() == 0 && !Poll()) return 0;
    const qint64 got = port_->read(reinterpret_cast<char*>(data), static_cast<qint64>(max));
    if (got <= 0) return 0;
    trace_.Transfer(BusDirection::In, tracePort_, data, static_cast<size_t>(got), true);
    return static_cast<size_t>(got);
}

size_t QtSerialLine::Write(const uint8_t* data, size_t length) {
    if (!IsOpen() || data == nullptr || length == 0) return 0;
    const qint64 taken =
        port_->write(reinterpret_cast<const char*>(data), static_cast<qint64>(length));
    if (taken <= 0) return 0;
    QDeadlineTimer deadline(kSerialWriteTimeoutMs);
    while (port_->bytesToWrite() > 0 && !deadline.hasExpired())
        if (!port_->waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
    const auto sent = static_cast<size_t>(taken - std::min(port_->bytesToWrite(), taken));
    if (IsFailure(port_->error())) trace_.Note(tracePort_, "write failed");
    if (DeviceLost(*port_)) {
        Close();
        return sent;
    }
    port_->clearError();
    trace_.Transfer(BusDirection::Out, tracePort_, data, sent, true);
    return sent;
}

void QtSerialLine::DiscardInput() {
    if (!IsOpen()) return;
    port_->clear(QSerialPort::Input);
    port_->clearError();
}

std::unique_ptr<SerialLine> QtSerialPortFactory::MakeLine() {
    return std::make_unique<QtSerialLine>(folder_, trace_);
}

} // namespace qn
