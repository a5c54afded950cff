// qn-simlab: the calibrator (COM1), supply (COM2) and chamber (COM3) of the simulated bench on
// pseudo-terminals, for the tool or a test to open as serial ports through the folder's port map.
#include "PtyServer.h"
#include "files/PortNames.h"
#include "platform/SystemClock.h"
#include "sim/SimCalibrator.h"
#include "sim/SimChamber.h"
#include "sim/SimPowerSupply.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kPollMs = 3;
volatile std::sig_atomic_t stopSignal = 0;

void OnSignal(int) {
    stopSignal = 1;
}

struct Lab {
    explicit Lab(qn::Clock& clock) : Calibrator(clock), Supply(clock), Chamber(clock) {}
    qn::SimCalibrator Calibrator;
    qn::SimPowerSupply Supply;
    qn::SimChamber Chamber;
};

// The faults --fault can switch on.
const std::map<std::string, std::function<void(Lab&)>>& Faults() {
    static const std::map<std::string, std::function<void(Lab&)>> faults = {
        {"calibrator-silent", [](Lab& lab) { lab.Calibrator.Faults.Silent = true; }},
        {"supply-silent", [](Lab& lab) { lab.Supply.Faults.Silent = true; }},
        {"chamber-silent", [](Lab& lab) { lab.Chamber.Faults.Silent = true; }},
        {"supply-identity", [](Lab& lab) { lab.Supply.Faults.WrongIdentity = true; }},
        {"chamber-identity", [](Lab& lab) { lab.Chamber.Faults.WrongIdentity = true; }},
        {"chamber-ng", [](Lab& lab) { lab.Chamber.Faults.AnswerNg = true; }},
        {"split",
         [](Lab& lab) {
             for (qn::SimLabPeer* peer : {static_cast<qn::SimLabPeer*>(&lab.Calibrator),
                                          static_cast<qn::SimLabPeer*>(&lab.Supply),
                                          static_cast<qn::SimLabPeer*>(&lab.Chamber)})
                 peer->Faults.SplitAnswers = true;
         }},
        {"no-cr",
         [](Lab& lab) {
             lab.Calibrator.Faults.NoTerminator = true;
             lab.Supply.Faults.NoTerminator = true;
             lab.Chamber.Faults.NoTerminator = true;
         }},
    };
    return faults;
}

int Usage() {
    std::fprintf(stderr, "usage: qn-simlab [--folder DIR] [--fault NAME]...\nfaults:");
    for (const auto& [name, apply] : Faults()) std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
}

// Stdin is watched for its end only when it is a pipe, socket or terminal: a job started with
// /dev/null as its input keeps serving.
bool WatchStdin() {
    struct stat input {};
    if (fstat(STDIN_FILENO, &input) != 0) return false;
    return S_ISFIFO(input.st_mode) || S_ISSOCK(input.st_mode) || isatty(STDIN_FILENO) != 0;
}

// Waits one polling interval; false when stdin has ended.
bool Wait(bool watchStdin) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (!watchStdin) {
        poll(nullptr, 0, kPollMs);
        return true;
    }
    if (poll(&input, 1, kPollMs) <= 0) return true;
    char discard[256];
    return read(STDIN_FILENO, discard, sizeof discard) > 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string folder = ".";
    std::vector<std::string> faults;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return Usage();
        if (option == "--folder") {
            folder = argv[++i];
        } else if (option == "--fault" && Faults().contains(argv[i + 1])) {
            faults.emplace_back(argv[++i]);
        } else {
            return Usage();
        }
    }

    qn::SystemClock clock;
    Lab lab(clock);
    for (const std::string& fault : faults) Faults().at(fault)(lab);
    qn::PtyServer server;
    if (!server.Serve("COM1", lab.Calibrator) || !server.Serve("COM2", lab.Supply) ||
        !server.Serve("COM3", lab.Chamber)) {
        std::perror("qn-simlab: no pseudo-terminal");
        return 1;
    }
    std::ofstream map(folder + "/" + qn::kPortMapFile);
    map << server.PortMap();
    map.close();
    if (!map) {
        std::fprintf(stderr, "qn-simlab: cannot write %s/%s\n", folder.c_str(), qn::kPortMapFile);
        return 1;
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::printf("ready\n");
    std::fflush(stdout);

    const bool watchStdin = WatchStdin();
    while (stopSignal == 0) {
        server.Poll();
        if (!Wait(watchStdin)) break;
    }
    return 0;
}
