// Program entry: builds the bench on real hardware or, with --simulate, on the simulated bench.
#include "platform/SystemClock.h"
#include "shell/Bench.h"
#include "shell/ui/Backends.h"
#include "shell/ui/MainPanel.h"
#include "shell/ui/ProgramDir.h"
#include "shell/ui/QtEventPump.h"
#include "shell/ui/TermSignal.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool simulate = QCoreApplication::arguments().contains("--simulate");
    const qn::ProgramFolder folder = qn::ResolveProgramDir();
    qn::SystemClock clock;
    qn::QtEventPump pump;
    qn::StatusRelay status;
    qn::PanelRelay panels;
    qn::Backends backends(simulate, clock, folder.Path);
    qn::Bench bench{qn::Platform{backends.Hid(), backends.Driver(), backends.SerialPorts(), clock,
                                 pump, status, panels}};
    bench.ProgramDir = folder.Path.toStdString();
    bench.Catalogue =
        qn::ChipCatalogue((QCoreApplication::applicationDirPath() + "/INCLUDE").toStdString());
    qn::TMainPanel mainPanel(bench);
    status.Target = &mainPanel;
    panels.Target = &mainPanel;
    mainPanel.PlacementPath = QString::fromStdString(bench.Places.FilePath(
        (folder.Path + QFileInfo(QCoreApplication::applicationFilePath()).fileName())
            .toStdString()));
    mainPanel.ChipSelected = [&backends](const qn::ChipModel& model) {
        backends.ChipSelected(model);
    };
    mainPanel.CreateWindows();
    if (folder.FellBack) mainPanel.SetPanelText(0, "Settings kept in " + folder.Path.toStdString());
    qn::TermSignal closeOnTerm(mainPanel);
    mainPanel.show();
    return QApplication::exec();
}
