// The main window's "File" menu, which saves and loads the temperature test's step files, and the
// temperature test window with the sequence's hooks into the analysis window.
#include "shell/ui/MainPanel.h"

#include "analysis/ui/AnxADC.h"
#include "instruments/ui/InstrumentWindows.h"
#include "run/ui/TempTestWindow.h"
#include "shell/StepFiles.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

#include <optional>
#include <string>
#include <utility>

namespace qn {
namespace {

// A step file is read or written while no operation uses the step tables; the step count M then
// sizes the three grids first, as every step file operation reads it.
std::optional<ExchangeGuard::Hold> BeginStepFiles(Bench& bench, TTMP& window) {
    auto hold = bench.Guard.Begin();
    if (hold) window.Modenum();
    return hold;
}

void TellError(Prompt& ask, const std::string& error) {
    if (!error.empty()) ask.Tell(error);
}

} // namespace

void TMainPanel::BuildFileMenu() {
    Menu_File = menuBar()->addMenu("File");
    const std::pair<const char*, void (TMainPanel::*)()> items[] = {
        {"Save Fluke", &TMainPanel::SaveFlukeClick},
        {"Save Reg", &TMainPanel::SaveRegClick},
        {"Save Power", &TMainPanel::SavePowerClick},
        {"DownLoad Fluke", &TMainPanel::DownLoadFlukeClick},
        {"Download Reg", &TMainPanel::DownloadRegClick},
        {"Download Power", &TMainPanel::DownloadPowerClick}};
    for (const auto& [caption, handler] : items)
        connect(AddItem(Menu_File, caption), &QAction::triggered, this, handler);
}

void TMainPanel::SaveRegClick() {
    const auto hold = BeginStepFiles(bench_, *TMP);
    if (!hold) return;
    RegisterCounts counts;
    TellError(bench_.Ask, SaveReg(bench_.ProgramDir(), bench_.Plan.RegChg, counts));
}

// The register steps come back into the grid, and the result grid shows their layout.
void TMainPanel::DownloadRegClick() {
    const auto hold = BeginStepFiles(bench_, *TMP);
    if (!hold) return;
    const RegDownloadResult loaded =
        DownloadReg(bench_.ProgramDir(), bench_.Plan.RegChg, bench_.Status(), bench_.Guard);
    TMP->RefreshGrids();
    if (!loaded.Error.empty()) {
        bench_.Ask.Tell(loaded.Error);
        return;
    }
    TMP->ShowPreview(loaded.PreviewColumns, loaded.PreviewRows);
}

void TMainPanel::SaveFlukeClick() {
    const auto hold = BeginStepFiles(bench_, *TMP);
    if (!hold) return;
    TellError(bench_.Ask,
              SaveStepFile(bench_.ProgramDir() + kFlukeFile, bench_.Instruments.FlukeSteps));
}

void TMainPanel::DownLoadFlukeClick() {
    const auto hold = BeginStepFiles(bench_, *TMP);
    if (!hold) return;
    DownloadFluke(bench_.ProgramDir() + kFlukeFile, bench_.Instruments.FlukeSteps);
    FLUKE->RefreshGrid();
}

void TMainPanel::SavePowerClick() {
    const auto hold = BeginStepFiles(bench_, *TMP);
    if (!hold) return;
    TellError(bench_.Ask,
              SaveStepFile(bench_.ProgramDir() + kPowerFile, bench_.Instruments.PowerSteps));
}

void TMainPanel::DownloadPowerClick() {
    const auto hold = BeginStepFiles(bench_, *TMP);
    if (!hold) return;
    DownloadPower(bench_.ProgramDir() + kPowerFile, bench_.Instruments.PowerSteps);
    FPower->RefreshGrid();
}

// The sequence captures as the analysis window's "Catch ADC" does, puts each step's reference
// text into its "Ref Volt" edit and keeps its button disabled while a step captures.
void TMainPanel::CreateTempTestWindow() {
    const auto stepCount = [this](size_t steps) {
        FLUKE->SetStepCount(steps);
        FPower->SetStepCount(steps);
    };
    const auto stepTables = [this] {
        FLUKE->RefreshGrid();
        FPower->RefreshGrid();
    };
    TMP = new TTMP({bench_.Plan, bench_.Temp, bench_.Instruments, bench_.Guard,
                    bench_.Config.TempTest.CHFULL, stepCount, stepTables, bench_.Ask,
                    bench_.ProgramDir()},
                   this);
    TMP->OpenResultsChart = [this] { ShowResultsChart(); };
    CaptureWindow& window = bench_.Temp.Window;
    window.Options = [this] { return bench_.CatchOptions(); };
    window.SetRefText = [this](const std::string& text) {
        bench_.Config.Analysis.EREFV = text;
        AnxADC->EREFV->setText(QString::fromStdString(text));
    };
    window.EnableCatch = [this](bool enabled) { AnxADC->CatchADC->setEnabled(enabled); };
    window.OutputRate = [this](const RegImageBytes& image) {
        return ConfiguredOutputRate(bench_.Model, image).value_or(0);
    };
}

} // namespace qn
