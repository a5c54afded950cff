// Builds the bench for a command-line form and brings its bridge up.
#include "shell/ui/HeadlessBench.h"

#include "files/ShownValue.h"
#include "shell/ChipSelection.h"
#include "shell/ReadRam.h"
#include "shell/settings/ConfigFile.h"
#include "shell/ui/ProgramDir.h"

#include <cstdio>
#include <cstdlib>

namespace qn {

int CommandFailed(const std::string& message) {
    std::fprintf(stderr, "qn740xtest: %s\n", message.c_str());
    return 1;
}

namespace {

Clock& ChosenClock(bool simulate, SystemClock& system, SimClock& simulated) {
    if (simulate && std::getenv(kSimulatedClockVariable) != nullptr) return simulated;
    return system;
}

} // namespace

HeadlessBench::HeadlessBench(bool simulate)
    : Time(ChosenClock(simulate, systemClock_, simulatedClock_)) {
    const ProgramFolder folder = ResolveProgramDir();
    outside_ = std::make_unique<Backends>(simulate, Time, folder.Path);
    Core = std::make_unique<Bench>(Platform{outside_->Hid(), outside_->Driver(),
                                            outside_->SerialPorts(), Time, Pump, Status, panels_,
                                            Questions},
                                   folder.Path.toStdString(), folder.IncludePath.toStdString());
    Core->ResetLink();
}

void CommandWarning(const std::string& message) {
    std::fprintf(stderr, "qn740xtest: %s\n", message.c_str());
}

bool HeadlessBench::Connect() {
    Bench& bench = *Core;
    const std::string path = bench.ProgramDir + std::string(kConfigFileName);
    const ConfigLoadResult loaded =
        LoadConfig(path,
                   ConfigTargets::Of(bench.Stnd, bench.Chip, bench.Config, bench.Model.CurrentPage,
                                     bench.Model.CurrentBank),
                   [&](uint16_t chip) {
                       SelectBenchChip(bench, chip);
                       outside_->ChipSelected(bench.Model);
                   });
    if (!loaded.Problem.empty()) CommandWarning(loaded.Problem);
    for (const std::string& note : loaded.Mended) CommandWarning(ShownValue(path) + ": " + note);
    bench.Centre.USBConnect();
    if (!bench.Stnd.Usb.Open) return false;
    ReadRam(bench);
    return true;
}

} // namespace qn
