// The temperature test window's end-of-run options and its plan file: "Save plan…" writes the
// settings, rows, steps and instrument ports a run without windows reads; "Load plan…" brings
// them back into the window.
#include "files/PortNames.h"
#include "run/TempPlanFile.h"
#include "run/TempRunSettingTable.h"
#include "run/ui/TempTestWindow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qn {
namespace {

// The COM list index of a selected port ("COM3" is 2); `fallback` for one not selected.
int ComIndexOf(const DevcRS232& port, int fallback) {
    const int number = ComPortNumber(port.PortName);
    return port.Selected && number > 0 ? number - 1 : fallback;
}

// The ports the instruments are selected on; the usual COM1..COM3 for one that is not.
PlanPorts SelectedPorts(const InstrumentPorts& ports) {
    const PlanPorts usual;
    return {ComIndexOf(ports.FlukePort, usual.Fluke), ComIndexOf(ports.PowerPort, usual.Power),
            ComIndexOf(ports.ChamberPort, usual.Chamber)};
}

} // namespace

// The hold temperature's edit and the two check boxes are made with the other settings.
QWidget* TTMP::BuildRunEnd() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    EHold->setMaximumWidth(60);
    BtSavePlan = new QPushButton("Save plan…");
    BtLoadPlan = new QPushButton("Load plan…");
    BtChart = new QPushButton("Results over temperature");
    grid->addWidget(CHSupplyOff, 0, 0, 1, 3);
    grid->addWidget(CHHold, 1, 0);
    grid->addWidget(EHold, 1, 1);
    const std::string_view unit = RunSettingOf(&TempRunSettings::HoldCelsius).Unit;
    grid->addWidget(new QLabel(QString::fromUtf8(unit.data(), static_cast<qsizetype>(unit.size()))),
                    1, 2);
    grid->addWidget(BtSavePlan, 2, 0);
    grid->addWidget(BtLoadPlan, 2, 1, 1, 2);
    grid->addWidget(BtChart, 3, 0, 1, 3);
    connect(BtSavePlan, &QPushButton::clicked, this, &TTMP::SavePlanClick);
    connect(BtLoadPlan, &QPushButton::clicked, this, &TTMP::LoadPlanClick);
    // Opening the chart starts no exchange, so it stays at hand while a run owns the link.
    connect(BtChart, &QPushButton::clicked, this, [this] {
        if (OpenResultsChart) OpenResultsChart();
    });
    return box;
}

void TTMP::SavePlanClick() {
    const auto path = link_.Ask.AskFileToSave("plan", link_.Folder);
    if (!path) return;
    BenchInstruments& lab = link_.Instruments;
    const PlanPorts ports = SelectedPorts(lab.Ports);
    const std::string error =
        SaveTempPlan(*path, link_.Plan, lab.FlukeSteps, lab.PowerSteps, ports);
    if (!error.empty()) return link_.Ask.Tell(error);
    // A plan with a cell a run would refuse is saved all the same, and the engineer told so.
    TempTestPlan plan = link_.Plan;
    StepTable fluke = lab.FlukeSteps;
    StepTable power = lab.PowerSteps;
    PlanPorts read;
    const std::string unusable =
        ApplyTempPlan(FormatTempPlan(link_.Plan, lab.FlukeSteps, lab.PowerSteps, ports),
                      {plan, fluke, power, read});
    if (!unusable.empty())
        link_.Ask.Tell("The plan was saved, but it cannot be loaded or run as it stands: " +
                       unusable);
}

// The instruments stay on the ports chosen in "Setup"; the plan's ports serve runs without
// windows.
void TTMP::LoadPlanClick() {
    if (link_.Temp.Running()) return;
    const auto path = link_.Ask.AskFileToOpen("plan", link_.Folder);
    if (!path) return;
    BenchInstruments& lab = link_.Instruments;
    PlanPorts ports;
    const std::string error =
        LoadTempPlan(*path, {link_.Plan, lab.FlukeSteps, lab.PowerSteps, ports});
    if (!error.empty()) {
        link_.Ask.Tell(error);
        return;
    }
    ShowSettings();
    RefreshGrids();
    link_.StepCountChanged(link_.Plan.RegChg.Steps());
}

} // namespace qn
