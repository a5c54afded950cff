// The serve command: options, the bench without windows, the listener, and the end on a signal.
#include "shell/ui/ServeCommand.h"

#include "files/ShownValue.h"
#include "shell/RemoteBenchAdapter.h"
#include "shell/ui/HeadlessBench.h"
#include "shell/ui/ProgramDir.h"
#include "shell/ui/RemoteServer.h"
#include "shell/ui/TermSignal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>
#include <optional>
#include <string>

namespace qn {
namespace {

struct ServeOrder {
    std::string Address = kRemoteLoopback;
    uint16_t Port = kRemotePort;
    Simulated Simulate = Simulated::None;
};

constexpr unsigned kLastPort = 65535;

std::optional<ServeOrder> Parse(const QCommandLineParser& parser, std::string& error) {
    ServeOrder order;
    if (parser.isSet("port")) {
        bool ok = false;
        const unsigned port = parser.value("port").toUInt(&ok);
        if (!ok || port > kLastPort) {
            error = "--port takes a TCP port from 0 (any free one) to 65535, not " +
                    ShownValue(parser.value("port").toStdString());
            return std::nullopt;
        }
        order.Port = static_cast<uint16_t>(port);
    }
    if (parser.isSet("listen")) {
        const QString address = parser.value("listen");
        if (QHostAddress(address).isNull()) {
            error = "--listen takes an IP address, not " + ShownValue(address.toStdString());
            return std::nullopt;
        }
        order.Address = address.toStdString();
    }
    return order;
}

int Serve(const ServeOrder& order) {
    HeadlessBench headless(order.Simulate);
    Bench& bench = *headless.Core;
    if (!headless.Connect())
        CommandWarning("no bridge found; LINK:CONNect tries again (USB not Connect !!!)");
    ShellRemoteBench remote(
        bench, {[&headless](uint16_t index) { return headless.SelectChip(index); }, {}});
    RemoteServer server(remote);
    if (!LoopbackAddress(order.Address)) CommandWarning(ExposedWarning(order.Address));
    if (const std::string why = server.Start(order.Address, order.Port); !why.empty()) {
        bench.Shutdown();
        return CommandFailed("cannot listen on " + order.Address + " port " +
                             std::to_string(order.Port) + ": " + why);
    }
    // A capture or run lets the client's next lines through, and a signal too.
    headless.Pump.Hook = [] { QCoreApplication::processEvents(); };
    const TermSignal stop([&bench] {
        bench.Guard.RequestStop();
        QCoreApplication::quit();
    });
    std::printf("%s\n", server.StatusText().c_str());
    std::fflush(stdout);
    QCoreApplication::exec();
    headless.Pump.Hook = nullptr;
    server.Stop();
    bench.Shutdown();
    return kExitDone;
}

} // namespace

int RunServeCommand(Simulated parts) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Qn-740xTEST without windows as a SCPI instrument: one remote client at a time sends "
        "commands over TCP (PyVISA: TCPIP0::127.0.0.1::5025::SOCKET, lines ending in LF); "
        "docs/remote.md lists them. SIGTERM or SIGINT ends it.");
    parser.addHelpOption();
    parser.addOptions({
        {"serve", "Serve the bench to remote clients."},
        {"port", "TCP port to listen on (default 5025; 0: any free port).", "N"},
        {"listen",
         "Address to listen on (default 127.0.0.1). Anyone who can reach another "
         "address controls the bench: SCPI has no authentication.",
         "ADDRESS"},
        SimulateOption(),
    });
    if (const std::optional<int> ended = ParseFormArguments(parser, true)) return *ended;
    std::string error;
    std::optional<ServeOrder> order = Parse(parser, error);
    if (!order) return UsageError(error);
    order->Simulate = parts;
    return Serve(*order);
}

} // namespace qn
