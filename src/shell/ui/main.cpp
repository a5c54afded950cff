// Program entry: builds the program on real hardware or, with --simulate, on the simulated bench;
// with --capture, --noise-table or --temperature-run it measures without windows instead.
#include "instruments/TempResultFiles.h"
#include "platform/SystemClock.h"
#include "platform/TextFile.h"
#include "shell/ui/CaptureCommand.h"
#include "shell/ui/NoiseTableCommand.h"
#include "shell/ui/Program.h"
#include "shell/ui/ProgramDir.h"
#include "shell/ui/TempRunCommand.h"
#include "shell/ui/TermSignal.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include <filesystem>

namespace {

// A write killed before its rename (a crash, a power cut) leaves its temporary file beside the
// file it was replacing; those in the program's folder and its full data folder go at each start.
void RemoveLeftovers() {
    const std::filesystem::path folder = qn::ResolveProgramDir().Path.toStdString();
    qn::RemoveLeftoverTempFiles(folder);
    qn::RemoveLeftoverTempFiles(folder / qn::kFullDataFolder);
}

} // namespace

int main(int argc, char** argv) {
    // The capture runs from scripts and lab automation, often where no display exists. A
    // QApplication would need one (and would end the process without it), so argv is scanned
    // before any application object exists and the capture gets a QCoreApplication.
    if (qn::WantsNoiseTableCommand(argc, argv)) {
        QCoreApplication app(argc, argv);
        RemoveLeftovers();
        return qn::RunNoiseTableCommand();
    }
    if (qn::WantsTempRunCommand(argc, argv)) {
        QCoreApplication app(argc, argv);
        RemoveLeftovers();
        return qn::RunTempRunCommand();
    }
    if (qn::WantsCaptureCommand(argc, argv)) {
        QCoreApplication app(argc, argv);
        RemoveLeftovers();
        return qn::RunCaptureCommand();
    }
    QApplication app(argc, argv);
    RemoveLeftovers();
    // Ties the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName("qn740xtest");
    const bool simulate = QCoreApplication::arguments().contains("--simulate");
    const qn::ProgramFolder folder = qn::ResolveProgramDir();
    const QString placementFile = QString::fromStdString(qn::WindowPlacements().FilePath(
        (folder.Path + QFileInfo(QCoreApplication::applicationFilePath()).fileName())
            .toStdString()));
    qn::SystemClock clock;
    qn::Backends outside(simulate, clock, folder.Path);
    qn::Program program(outside, clock, {folder.Path, folder.IncludePath, placementFile});
    if (folder.FellBack) {
        // The panel is a third of the bar wide: it names the files' folder, home as "~"; its
        // tooltip gives the whole line with the chip files' folder.
        QString shown = folder.Path;
        if (shown.startsWith(QDir::homePath())) shown.replace(0, QDir::homePath().size(), "~");
        program.Main().SetPanelText(0, ("Files: " + shown).toStdString());
        program.Main().StatusPanels[0]->setToolTip(qn::FilesLine(folder));
    }
    qn::TermSignal closeOnTerm(program.Main());
    program.Main().show();
    return QApplication::exec();
}
