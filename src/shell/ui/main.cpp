// Program entry: builds the bench on real hardware or, with --simulate, on the simulated bench.
#include "platform/SystemClock.h"
#include "shell/Bench.h"
#include "shell/ui/MainPanel.h"
#include "shell/ui/ProgramDir.h"
#include "shell/ui/QtEventPump.h"
#include "shell/ui/TermSignal.h"
#include "sim/SimWorld.h"

#include <QApplication>
#include <QFileInfo>

#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool simulate = QCoreApplication::arguments().contains("--simulate");
    qn::SystemClock clock;
    qn::QtEventPump pump;
    qn::StatusRelay status;
    qn::PanelRelay panels;
    auto world = std::make_unique<qn::SimWorld>(clock);
    (void)simulate;
    qn::Bench bench{
        qn::Platform{world->Hid, world->Driver, world->SerialPorts, clock, pump, status, panels}};
    const qn::ProgramFolder folder = qn::ResolveProgramDir();
    bench.ProgramDir = folder.Path.toStdString();
    bench.Catalogue =
        qn::ChipCatalogue((QCoreApplication::applicationDirPath() + "/INCLUDE").toStdString());
    qn::TMainPanel mainPanel(bench);
    status.Target = &mainPanel;
    panels.Target = &mainPanel;
    mainPanel.PlacementPath = QString::fromStdString(bench.Places.FilePath(
        (folder.Path + QFileInfo(QCoreApplication::applicationFilePath()).fileName())
            .toStdString()));
    mainPanel.CreateWindows();
    if (folder.FellBack) mainPanel.SetPanelText(0, "Settings kept in " + folder.Path.toStdString());
    qn::TermSignal closeOnTerm(mainPanel);
    mainPanel.show();
    return QApplication::exec();
}
