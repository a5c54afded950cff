// Remote control on the simulated bench: the round trip of "REGister? 4" over the loopback socket
// against the register read's own time, and "FETCh:DATA?" of 65,536 samples as a binary block.
// The server runs in a thread of its own with its event loop; the client is a plain socket.
// The register read there takes what the simulated bridge's exchange takes.
#include "SimulatedBench.h"
#include "shell/RemoteBenchAdapter.h"
#include "shell/ui/RemoteServer.h"
#include "sim/SimClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

// The bench on the simulated bridge with a simulated clock: a capture's waits take no time, so
// the 65,536 samples to fetch are taken at once.
struct ServedBench {
    qn::SimClock clock;
    qn::SimBridge bridge{clock};
    qn::SimDriverLayer driver;
    qn::SimHidLayer hid;
    qn::SimSerialPortFactory serialPorts;
    qn::PromptRelay prompt;
    qn::bench::DroppedStatus status;
    qn::PanelRefresh panels;
    qn::FixedChipInfo chipInfo{2, 3};
    qn::NullEventPump windows;
    qn::Bench bench{qn::Platform{hid, driver, serialPorts, clock, windows, status, panels, prompt},
                    "", ""};
    qn::ShellRemoteBench remote{bench, {}};

    ServedBench() {
        bench.Chip.SetChip(&chipInfo);
        bridge.SetOutputRate(3000);
        bridge.SetSignal(-3000, 40);
        driver.AddDevice(bridge);
        bench.Stnd.Interface = qn::kLinkQn740x;
        bench.Centre.USBConnect();
    }
};

// The server over its own bench, serving from its own thread until destroyed.
class ServerThread {
  public:
    ServerThread() {
        std::promise<uint16_t> port;
        std::future<uint16_t> listening = port.get_future();
        thread_.reset(QThread::create([this, &port] {
            ServedBench served;
            qn::RemoteServer server(served.remote);
            if (!server.Start("127.0.0.1", 0).empty()) throw std::runtime_error("cannot listen");
            const std::string endpoint = server.Endpoint();
            QEventLoop loop;
            loop_ = &loop;
            port.set_value(
                static_cast<uint16_t>(std::stoi(endpoint.substr(endpoint.find(':') + 1))));
            loop.exec();
        }));
        thread_->start();
        Port = listening.get();
    }
    ~ServerThread() {
        QEventLoop* loop = loop_.load();
        QMetaObject::invokeMethod(loop, [loop] { loop->quit(); });
        thread_->wait();
    }
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

    uint16_t Port = 0;

  private:
    std::unique_ptr<QThread> thread_;
    std::atomic<QEventLoop*> loop_ = nullptr;
};

class Client {
  public:
    explicit Client(uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot connect");
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    ~Client() { ::close(fd_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    void Send(const std::string& line) {
        if (::send(fd_, line.data(), line.size(), 0) != static_cast<ssize_t>(line.size()))
            throw std::runtime_error("cannot send");
    }
    // One reply line, or a binary block with its LF.
    std::string Reply() {
        std::string reply;
        for (;;) {
            if (reply.size() >= 2 && reply[0] == '#') {
                const auto digits = static_cast<size_t>(reply[1] - '0');
                if (reply.size() >= 2 + digits) {
                    const size_t total = 2 + digits + std::stoul(reply.substr(2, digits)) + 1;
                    if (reply.size() >= total) return reply;
                }
            } else if (!reply.empty() && reply.back() == '\n') {
                return reply;
            }
            char buffer[65536];
            const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
            if (got <= 0) throw std::runtime_error("connection closed");
            reply.append(buffer, static_cast<size_t>(got));
        }
    }
    std::string Query(const std::string& line) {
        Send(line);
        return Reply();
    }

  private:
    int fd_;
};

void BM_RegisterRead(benchmark::State& state) {
    ServedBench served;
    int value = 0;
    for (auto _ : state) {
        if (served.remote.ReadRegister(4, value).Outcome != qn::RemoteOutcome::Done)
            state.SkipWithError("the register read failed");
        benchmark::DoNotOptimize(value);
    }
}

void BM_RegisterRoundTrip(benchmark::State& state) {
    ServerThread server;
    Client client(server.Port);
    for (auto _ : state)
        if (client.Query("REGister? 4\n").empty()) state.SkipWithError("no reply");
}

void BM_FetchBinary65536(benchmark::State& state) {
    ServerThread server;
    Client client(server.Port);
    if (client.Query("CAPT:POIN 65536;:INIT;*OPC?\n") != "1\n") state.SkipWithError("no capture");
    client.Send("FORMat:DATA INT,32\n");
    for (auto _ : state) {
        const std::string block = client.Query("FETCh:DATA?\n");
        if (block.size() != 2 + 6 + 65536 * 4 + 1) state.SkipWithError("short block");
    }
}

constexpr int kRepetitions = 15;

BENCHMARK(BM_RegisterRead)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->DisplayAggregatesOnly();
BENCHMARK(BM_RegisterRoundTrip)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->DisplayAggregatesOnly();
BENCHMARK(BM_FetchBinary65536)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(kRepetitions)
    ->DisplayAggregatesOnly();

} // namespace

// The server's sockets need the application object of the process.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
