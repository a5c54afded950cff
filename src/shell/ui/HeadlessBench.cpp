// Builds the bench for a command-line form and brings its bridge up.
#include "shell/ui/HeadlessBench.h"

#include "files/ShownValue.h"
#include "shell/CommandLine.h"
#include "shell/ReadRam.h"
#include "shell/settings/ConfigFile.h"
#include "shell/ui/ProgramDir.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace qn {

int CommandFailed(const std::string& message) {
    std::fprintf(stderr, "qn740xtest: %s\n", message.c_str());
    return 1;
}

namespace {

Clock& ChosenClock(Simulated parts, SystemClock& system, SimClock& simulated) {
    if (parts == Simulated::All && std::getenv(kSimulatedClockVariable) != nullptr)
        return simulated;
    return system;
}

} // namespace

QStringList FormArguments() {
    std::vector<std::string> args;
    for (const QString& arg : QCoreApplication::arguments()) args.push_back(arg.toStdString());
    QStringList written;
    for (const std::string& arg : WithoutSimulatedPart(args))
        written.push_back(QString::fromStdString(arg));
    return written;
}

QCommandLineOption SimulateOption() {
    return {"simulate",
            "Simulate the board (bridge and chip), the lab (instruments on COM1 to COM3) "
            "or all: --simulate=board, =lab or =all; alone, all."};
}

std::optional<int> ParseFormArguments(QCommandLineParser& parser, bool folderInHelp) {
    if (!parser.parse(FormArguments())) return UsageError(parser.errorText().toStdString());
    if (parser.isSet("help")) {
        if (folderInHelp)
            parser.setApplicationDescription(parser.applicationDescription() + "\n" +
                                             FilesLine(ResolveProgramDir()));
        parser.showHelp(0);
    }
    if (!parser.positionalArguments().isEmpty())
        return UsageError("unexpected argument " +
                          ShownValue(parser.positionalArguments().first().toStdString()));
    return std::nullopt;
}

HeadlessBench::HeadlessBench(Simulated parts)
    : Time(ChosenClock(parts, systemClock_, simulatedClock_)) {
    const ProgramFolder folder = ResolveProgramDir();
    outside_ = std::make_unique<Backends>(parts, Time, folder.Path);
    Core = std::make_unique<Bench>(Platform{outside_->Hid(), outside_->Driver(),
                                            outside_->SerialPorts(), Time, Pump, Status, panels_,
                                            Questions},
                                   folder.Path.toStdString(), folder.IncludePath.toStdString());
    Core->ResetLink();
}

void CommandWarning(const std::string& message) {
    std::fprintf(stderr, "qn740xtest: %s\n", message.c_str());
}

bool HeadlessBench::SelectChip(uint16_t index) {
    const bool read = Core->SelectChip(index);
    outside_->ChipSelected(Core->Model);
    return read;
}

bool HeadlessBench::Connect(bool writeNothing) {
    Bench& bench = *Core;
    const std::string path = bench.SettingsPath();
    const ConfigLoadResult loaded =
        bench.LoadSettings([&](uint16_t chip) { SelectChip(chip); }, writeNothing);
    if (!loaded.Problem.empty()) CommandWarning(loaded.Problem);
    for (const std::string& note : loaded.Mended) CommandWarning(ShownValue(path) + ": " + note);
    bench.Centre.USBConnect();
    if (!bench.Stnd.Usb.Open) return false;
    ReadRam(bench);
    return true;
}

} // namespace qn
