// The command line's forms, usage errors, version and help.
#include "shell/CommandLine.h"

#include "files/ShownValue.h"
#include "shell/SourceRevision.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

namespace qn {
namespace {

bool Names(const std::string& arg, std::string_view option) {
    return arg == option ||
           (arg.starts_with(option) && arg.size() > option.size() && arg[option.size()] == '=');
}

bool Any(const std::vector<std::string>& args, std::string_view option) {
    return std::any_of(args.begin(), args.end(),
                       [option](const std::string& arg) { return Names(arg, option); });
}

// The options of the forms without windows, each with the option that chooses its form.
constexpr std::pair<std::string_view, std::string_view> kFormOptions[] = {
    {"--csv", "--capture or --noise-table"},
    {"--scale", "--capture"},
    {"--avg", "--capture"},
    {"--ref", "--capture"},
    {"--samples", "--noise-table"},
    {"--inputs", "--noise-table"},
    {"--rates", "--noise-table"},
    {"--resume", "--temperature-run"},
    {"--rebuild", "--temperature-run"},
    {"--check", "--temperature-run"},
    {"--port", "--serve"},
    {"--listen", "--serve"},
};

constexpr std::string_view kHelp =
    R"(Usage: qn740xtest [--simulate[=PART]]
       qn740xtest --capture N --csv FILE [--scale S] [--avg K] [--ref V] [--simulate[=PART]]
       qn740xtest --noise-table --csv FILE [--samples N] [--inputs INP,INN] [--rates R1,R2]
                  [--simulate[=PART]]
       qn740xtest --temperature-run PLAN [--resume | --check] [--simulate[=PART]]
       qn740xtest --temperature-run --rebuild
       qn740xtest --serve [--port N] [--listen ADDRESS] [--simulate[=PART]]
       qn740xtest --help | --version

Bench tool for the Qn-740x family of 24-bit ADC chips.

Window form (a display is needed):
  --simulate[=PART]     simulate PART of the bench, every form alike:
                          board  the USB bridge and chip (instruments as QnPorts.cfg maps them)
                          lab    the calibrator, supply and chamber on COM1, COM2, COM3
                          all    both (--simulate alone means all)

Capture without windows (--capture --help for more):
  --capture N           capture N samples (1 to 65536) as "Catch ADC" does
  --csv FILE            data file to write (required)
  --scale S             scale in bits, 8 to 23 (default: the saved setting)
  --avg K               average blocks of K samples before the figures (default 1)
  --ref V               reference voltage in volts (default: the saved setting)
  --simulate[=PART]     simulate the board, the lab or all

Noise table without windows (--noise-table --help for more):
  --noise-table         sweep every gain and data rate and write the noise table
  --csv FILE            noise table file to write (required)
  --samples N           samples per point (1 to 65536, default 1024)
  --inputs INP,INN      input names (default: the first input on both sides, shorted)
  --rates R1,R2         only these data rates in sps (default: every rate)
  --simulate[=PART]     simulate the board, the lab or all

Temperature run without windows (--temperature-run --help for more):
  --temperature-run PLAN  run "T-Begin" from the plan file PLAN
  --resume              go on with the unfinished run of the program folder's run journal
  --check               check the plan and the bench, print what the run would do and how
                          long it would take; nothing is set, switched on or written
  --rebuild             write the result files from the run journal (no plan needed)
  --simulate[=PART]     simulate the board, the lab or all

SCPI instrument without windows (--serve --help for more; docs/remote.md):
  --serve               serve one remote client at a time until SIGTERM or SIGINT
  --port N              TCP port (default 5025; 0: any free port)
  --listen ADDRESS      address to listen on (default 127.0.0.1); anyone who can reach
                          another address controls the bench
  --simulate[=PART]     simulate the board, the lab or all

  --help, -h            this help
  --version             the program's version and source revision

Exit status:
  0  done
  1  failed (a message on standard error says what)
  2  usage error: an unknown option, a missing or malformed value, or an option of another form

Environment:
  QN_BUS_TRACE=FILE     log every bridge frame and instrument line to FILE
)";

constexpr std::string_view kSimulate = "--simulate";

// The serial ports of the simulated lab and the simulated board's serial bridge.
constexpr std::string_view kSimulatedLabPorts[] = {"COM1", "COM2", "COM3"};
constexpr std::string_view kSimulatedBridgePort = "COM16";

} // namespace

ProgramForm FormOf(const std::vector<std::string>& args) {
    if (Any(args, "--version")) return ProgramForm::Version;
    if (Any(args, "--noise-table")) return ProgramForm::NoiseTable;
    if (Any(args, "--temperature-run")) return ProgramForm::TempRun;
    if (Any(args, "--capture")) return ProgramForm::Capture;
    if (Any(args, "--serve")) return ProgramForm::Serve;
    if (Any(args, "--help") || Any(args, "-h")) return ProgramForm::Help;
    return ProgramForm::Window;
}

SimulatedChoice SimulatedOf(const std::vector<std::string>& args) {
    static constexpr std::pair<std::string_view, Simulated> kParts[] = {
        {"all", Simulated::All}, {"board", Simulated::Board}, {"lab", Simulated::Lab}};
    SimulatedChoice choice;
    for (const std::string& arg : args) {
        if (!Names(arg, kSimulate)) continue;
        if (arg == kSimulate) {
            choice.Parts = Simulated::All;
            continue;
        }
        const std::string_view part = std::string_view(arg).substr(kSimulate.size() + 1);
        const auto* known = std::find_if(std::begin(kParts), std::end(kParts),
                                         [part](const auto& entry) { return entry.first == part; });
        if (known == std::end(kParts))
            return {Simulated::None, "--simulate takes board, lab or all, not " + ShownValue(part)};
        choice.Parts = known->second;
    }
    return choice;
}

std::vector<std::string> WithoutSimulatedPart(std::vector<std::string> args) {
    for (std::string& arg : args)
        if (Names(arg, kSimulate)) arg = kSimulate;
    return args;
}

bool SimulatedPort(Simulated parts, std::string_view portName) {
    const bool labPort = std::find(std::begin(kSimulatedLabPorts), std::end(kSimulatedLabPorts),
                                   portName) != std::end(kSimulatedLabPorts);
    switch (parts) {
    case Simulated::None:
        return false;
    case Simulated::Board:
        return portName == kSimulatedBridgePort;
    case Simulated::Lab:
        return labPort;
    case Simulated::All:
        return true;
    }
    return false;
}

std::string SimulatedText(Simulated parts) {
    switch (parts) {
    case Simulated::None:
        return {};
    case Simulated::Board:
        return "Simulated: board";
    case Simulated::Lab:
        return "Simulated: lab";
    case Simulated::All:
        return "Simulated: board and lab";
    }
    return {};
}

std::optional<std::string> WindowFormProblem(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (Names(arg, kSimulate)) continue;
        if (!arg.starts_with("-")) return "unexpected argument " + ShownValue(arg);
        const std::string option = arg.substr(0, arg.find('='));
        for (const auto& [formOption, form] : kFormOptions)
            if (option == formOption) return option + " needs " + std::string(form);
        return "unknown option " + ShownValue(arg);
    }
    return std::nullopt;
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "qn740xtest: %s\nTry 'qn740xtest --help'.\n", message.c_str());
    return kExitUsage;
}

std::string VersionText() {
    return "qn740xtest " + std::string(kSourceVersion) + " (revision " +
           std::string(kSourceRevision) + ")";
}

std::string_view HelpText() {
    return kHelp;
}

bool DisplayNamed(const char* display, const char* waylandDisplay, const char* qtPlatform) {
    const auto named = [](const char* value) { return value != nullptr && *value != '\0'; };
    return named(display) || named(waylandDisplay) || named(qtPlatform);
}

std::string NoDisplayText() {
    return "no display found (DISPLAY and WAYLAND_DISPLAY are not set); the windows need one. "
           "--capture, --noise-table, --temperature-run and --serve run without windows";
}

} // namespace qn
