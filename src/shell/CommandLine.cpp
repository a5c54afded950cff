// The command line's forms, usage errors, version and help.
#include "shell/CommandLine.h"

#include "files/ShownValue.h"
#include "shell/SourceRevision.h"

#include <algorithm>
#include <cstdio>
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
};

constexpr std::string_view kHelp =
    R"(Usage: qn740xtest [--simulate]
       qn740xtest --capture N --csv FILE [--scale S] [--avg K] [--ref V] [--simulate]
       qn740xtest --noise-table --csv FILE [--samples N] [--inputs INP,INN] [--rates R1,R2]
                  [--simulate]
       qn740xtest --temperature-run PLAN [--resume] [--simulate]
       qn740xtest --temperature-run --rebuild
       qn740xtest --help | --version

Bench tool for the Qn-740x family of 24-bit ADC chips.

Window form (a display is needed):
  --simulate            use the simulated bench and lab instead of the USB bridge and ports

Capture without windows (--capture --help for more):
  --capture N           capture N samples (1 to 65536) as "Catch ADC" does
  --csv FILE            data file to write (required)
  --scale S             scale in bits, 8 to 23 (default: the saved setting)
  --avg K               average blocks of K samples before the figures (default 1)
  --ref V               reference voltage in volts (default: the saved setting)
  --simulate            use the simulated bench

Noise table without windows (--noise-table --help for more):
  --noise-table         sweep every gain and data rate and write the noise table
  --csv FILE            noise table file to write (required)
  --samples N           samples per point (1 to 65536, default 1024)
  --inputs INP,INN      input names (default: the first input on both sides, shorted)
  --rates R1,R2         only these data rates in sps (default: every rate)
  --simulate            use the simulated bench

Temperature run without windows (--temperature-run --help for more):
  --temperature-run PLAN  run "T-Begin" from the plan file PLAN
  --resume              go on with the unfinished run of the program folder's run journal
  --rebuild             write the result files from the run journal (no plan needed)
  --simulate            use the simulated bench and lab

  --help, -h            this help
  --version             the program's version and source revision

Exit status:
  0  done
  1  failed (a message on standard error says what)
  2  usage error: an unknown option, a missing or malformed value, or an option of another form

Environment:
  QN_BUS_TRACE=FILE     log every bridge frame and instrument line to FILE
)";

} // namespace

ProgramForm FormOf(const std::vector<std::string>& args) {
    if (Any(args, "--version")) return ProgramForm::Version;
    if (Any(args, "--noise-table")) return ProgramForm::NoiseTable;
    if (Any(args, "--temperature-run")) return ProgramForm::TempRun;
    if (Any(args, "--capture")) return ProgramForm::Capture;
    if (Any(args, "--help") || Any(args, "-h")) return ProgramForm::Help;
    return ProgramForm::Window;
}

std::optional<std::string> WindowFormProblem(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--simulate") continue;
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
           "--capture, --noise-table and --temperature-run run without windows";
}

} // namespace qn
