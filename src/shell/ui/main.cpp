// Program entry: builds the program on real hardware or, with --simulate[=board|lab|all], with the
// simulated board, lab or both; with --capture, --noise-table or --temperature-run it measures
// without windows instead, and with --serve it serves remote clients without windows.
#include "files/TextFile.h"
#include "platform/SystemClock.h"
#include "run/TempResultFiles.h"
#include "shell/CommandLine.h"
#include "shell/ui/CaptureCommand.h"
#include "shell/ui/NoiseTableCommand.h"
#include "shell/ui/Program.h"
#include "shell/ui/ProgramDir.h"
#include "shell/ui/ServeCommand.h"
#include "shell/ui/TempRunCommand.h"
#include "shell/ui/TermSignal.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A write killed before its rename (a crash, a power cut) leaves its temporary file beside the
// file it was replacing; those in the program's folder and its full data folder go at each start.
void RemoveLeftovers() {
    const std::filesystem::path folder = qn::ResolveProgramDir().Path.toStdString();
    qn::RemoveLeftoverTempFiles(folder);
    qn::RemoveLeftoverTempFiles(folder / qn::kFullDataFolder);
}

} // namespace

// The forms without windows get a QCoreApplication: a QApplication would need a display (and
// would end the process without one). Their scripts learn of a mistyped option at once.
int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const qn::ProgramForm form = qn::FormOf(args);
    if (form == qn::ProgramForm::Version) {
        std::printf("%s\n", qn::VersionText().c_str());
        return qn::kExitDone;
    }
    const qn::SimulatedChoice simulated = qn::SimulatedOf(args);
    if (form != qn::ProgramForm::Window) {
        QCoreApplication app(argc, argv);
        if (form == qn::ProgramForm::Help) {
            std::printf("%s\n%s\n", qn::HelpText().data(),
                        qn::FilesLine(qn::ResolveProgramDir()).toStdString().c_str());
            return qn::kExitDone;
        }
        if (simulated.Problem) return qn::UsageError(*simulated.Problem);
        RemoveLeftovers();
        if (form == qn::ProgramForm::NoiseTable) return qn::RunNoiseTableCommand(simulated.Parts);
        if (form == qn::ProgramForm::TempRun) return qn::RunTempRunCommand(simulated.Parts);
        if (form == qn::ProgramForm::Serve) return qn::RunServeCommand(simulated.Parts);
        return qn::RunCaptureCommand(simulated.Parts);
    }
    if (simulated.Problem) return qn::UsageError(*simulated.Problem);
    if (const auto problem = qn::WindowFormProblem(args)) return qn::UsageError(*problem);
    if (!qn::DisplayNamed(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                          std::getenv("QT_QPA_PLATFORM"))) {
        std::fprintf(stderr, "qn740xtest: %s\n", qn::NoDisplayText().c_str());
        return qn::kExitFailed;
    }
    QApplication app(argc, argv);
    RemoveLeftovers();
    // Ties the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName("qn740xtest");
    const qn::ProgramFolder folder = qn::ResolveProgramDir();
    const QString placementFile = QString::fromStdString(qn::WindowPlacements().FilePath(
        (folder.Path + QFileInfo(QCoreApplication::applicationFilePath()).fileName())
            .toStdString()));
    qn::SystemClock clock;
    qn::Backends outside(simulated.Parts, clock, folder.Path);
    qn::Program program(outside, clock, {folder.Path, folder.IncludePath, placementFile});
    // The first panel says at start which parts are simulated.
    std::string firstPanel = qn::SimulatedText(simulated.Parts);
    if (folder.FellBack) {
        // The panel is a third of the bar wide: it names the files' folder, home as "~"; its
        // tooltip gives the whole line with the chip files' folder.
        QString shown = folder.Path;
        if (shown.startsWith(QDir::homePath())) shown.replace(0, QDir::homePath().size(), "~");
        firstPanel += (firstPanel.empty() ? "" : "; ") + ("Files: " + shown).toStdString();
        program.Main().StatusPanels[qn::PanelIndex(qn::StatusPanel::Bridge)]->setToolTip(
            qn::FilesLine(folder));
    }
    if (!firstPanel.empty()) program.Main().SetPanelText(qn::StatusPanel::Bridge, firstPanel);
    qn::TermSignal closeOnTerm(program.Main());
    program.Main().show();
    return QApplication::exec();
}
