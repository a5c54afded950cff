// A self-pipe turns SIGTERM and SIGINT into a close of the main window (or a form's own stop) on
// the GUI thread.
#include "shell/ui/TermSignal.h"

#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace qn {
namespace {

int gSignalFds[2] = {-1, -1};

// Only async-signal-safe calls; the interrupted code's errno is given back, and a full pipe (a
// close already pending) drops the byte instead of blocking the handler.
void OnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalFds[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

TermSignal::TermSignal(QWidget& window) : TermSignal([&window] { window.close(); }) {}

TermSignal::TermSignal(std::function<void()> onSignal) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalFds) != 0) return;
    ::fcntl(gSignalFds[0], F_SETFL, ::fcntl(gSignalFds[0], F_GETFL) | O_NONBLOCK);
    notifier_ = new QSocketNotifier(gSignalFds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [onSignal = std::move(onSignal)] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(gSignalFds[1], &byte, 1);
        onSignal();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

TermSignal::~TermSignal() {
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    ::close(gSignalFds[0]);
    ::close(gSignalFds[1]);
}

} // namespace qn
