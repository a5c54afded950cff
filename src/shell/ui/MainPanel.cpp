// Start-up, menus, status bar, child window placement and retitling after a connection.
#include "shell/ui/MainPanel.h"

#include "analysis/AdcGain.h"
#include "analysis/SampleRate.h"
#include "analysis/ui/AnxADC.h"
#include "chip/ui/AdcPanel.h"
#include "chip/ui/ChipWindows.h"
#include "chip/ui/HexKeypad.h"
#include "chip/ui/RamPanel.h"
#include "chip/ui/RegisterPanel.h"
#include "instruments/ui/InstrumentWindows.h"
#include "link/ui/QnUp.h"
#include "run/RunJournal.h"
#include "run/ui/TempResultsChart.h"
#include "run/ui/TempTestWindow.h"
#include "shell/ReadRam.h"
#include "shell/Snapshot.h"
#include "shell/ui/NoiseTablePage.h"
#include "shell/ui/Option.h"
#include "shell/ui/WindowFit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

#include <filesystem>

namespace qn {
namespace {

constexpr int kSlotRam = 1, kSlotReg = 2, kSlotAdc = 3, kSlotOption = 6, kSlotAnalysis = 7,
              kSlotTemp = 8, kSlotFluke = 9, kSlotPower = 11;

} // namespace

TMainPanel::TMainPanel(Bench& bench, SheetWriter& sheets, QWidget* parent)
    : QMainWindow(parent), bench_(bench), sheets_(sheets) {
    FormCreate();
}

TMainPanel::~TMainPanel() {
    remote_.reset();
    bench_.Shutdown();
}

void TMainPanel::FormCreate() {
    const char* names[] = {"Qn_RAM", "Qn_Reg2", "ADC", "OP", "CMP", "Option"};
    for (int i = 0; i < 6; ++i) PanelSlot[static_cast<size_t>(i + 1)].Name = names[i];
    Mdi = new QMdiArea(this);
    setCentralWidget(Mdi);
    KeepChildWindowsInside(*Mdi);
    BuildMenus();
    BuildStatusBar();
    bench_.ResetLink();
    setWindowTitle(kMainCaption);
    resize(1024, 700);
    // No larger than the free screen, and the corner of its frame (title bar included) at the
    // free screen's corner: a position given before the window is shown is the frame's.
    KeepOnScreen(*this);
    move(screen()->availableGeometry().topLeft());
}

QAction* TMainPanel::AddItem(QMenu* menu, const QString& caption) {
    QAction* action = menu->addAction(caption);
    MenuItems[caption] = action;
    return action;
}

QAction* TMainPanel::AddBarItem(const QString& caption) {
    QAction* action = menuBar()->addAction(caption);
    MenuItems[caption] = action;
    return action;
}

void TMainPanel::BuildMenus() {
    BuildFileMenu();
    Menu_Option = menuBar()->addMenu("Option");
    connect(AddItem(Menu_Option, "Setup"), &QAction::triggered, this,
            [this] { Option->Setup(geometry().topLeft()); });
    connect(AddItem(Menu_Option, "RAM Panel"), &QAction::triggered, this,
            [this] { ShowPanel(Qn_RAM, kSlotRam, true); });
    connect(AddItem(Menu_Option, "REG Panel"), &QAction::triggered, this,
            [this] { ShowPanel(Qn_Reg2, kSlotReg, true); });
    connect(AddItem(Menu_Option, "ADC Panel"), &QAction::triggered, this,
            [this] { ShowPanel(ADCForm, kSlotAdc, true); });
    connect(AddItem(Menu_Option, "Results over temperature"), &QAction::triggered, this,
            &TMainPanel::ShowResultsChart);
    connect(AddItem(Menu_Option, "Remote control…"), &QAction::triggered, this,
            &TMainPanel::RemoteControlClick);
    connect(AddBarItem("USB Scan"), &QAction::triggered, this,
            [this] { bench_.Centre.USBConnect(); });
    connect(AddBarItem("Read RAM"), &QAction::triggered, this, [this] { ReadRamClick(); });
    connect(AddBarItem("ENOB Test"), &QAction::triggered, this,
            [this] { ShowPanel(AnxADC, kSlotAnalysis, true); });
    connect(AddBarItem("連續讀取"), &QAction::triggered, this, [this] {
        TMP->StartReading();
        ShowPanel(TMP, kSlotTemp, true);
    });
    connect(AddBarItem("Fluke"), &QAction::triggered, this,
            [this] { ShowPanel(FLUKE, kSlotFluke, true); });
    connect(AddBarItem("Power"), &QAction::triggered, this,
            [this] { ShowPanel(FPower, kSlotPower, true); });
}

// The chart is a plain MDI child outside the placement file, whose list of windows stays as it is.
void TMainPanel::ShowResultsChart() {
    if (ResultsChart == nullptr) {
        ResultsChart = new TempResultsChart(bench_.Ask, bench_.ProgramDir());
        QMdiSubWindow* sub = Mdi->addSubWindow(ResultsChart);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->resize(820, 520);
        // Opened first, it shows the run of the program folder's journal and follows it.
        std::error_code unreadable;
        if (std::filesystem::exists(bench_.ProgramDir() + kJournalFile, unreadable))
            ResultsChart->Follow->setChecked(true);
    }
    auto* sub = qobject_cast<QMdiSubWindow*>(ResultsChart->parentWidget());
    sub->setGeometry(FitInsideWorkspace(sub->geometry(), Mdi->viewport()->size()));
    ResultsChart->show();
    sub->show();
    Mdi->setActiveSubWindow(sub);
}

// The outcome panel is as wide as its text (at least 50 pixels): its short outcomes ("Read
// Compelete") always show whole. The bridge and link panels share the rest equally; a text longer
// than its panel can be read whole in the panel's tool tip, and never widens the window.
void TMainPanel::BuildStatusBar() {
    const size_t outcome = PanelIndex(StatusPanel::Outcome);
    for (size_t i = 0; i < StatusPanels.size(); ++i) {
        StatusPanels[i] = new QLabel(this);
        StatusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        const bool shared = i != outcome;
        if (shared) StatusPanels[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        statusBar()->addWidget(StatusPanels[i], shared ? 1 : 0);
    }
    StatusPanels[outcome]->setMinimumWidth(50);
    Gauge = new QProgressBar(this);
    statusBar()->addPermanentWidget(Gauge);
    Gauge->hide();
    RemotePanel = new QLabel(this);
    RemotePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar()->addPermanentWidget(RemotePanel);
    RemotePanel->hide();
}

void TMainPanel::SetPanelText(StatusPanel panel, const std::string& text) {
    QLabel* shown = StatusPanels.at(PanelIndex(panel));
    shown->setText(QString::fromStdString(text));
    shown->setToolTip(shown->text());
}

QString TMainPanel::PanelText(int panel) const {
    return StatusPanels.at(static_cast<size_t>(panel))->text();
}

void TMainPanel::CreateWindows() {
    Qn_BASE = new TQn_BASE(this);
    Qn_BASE->hide();
    Qn_UP = new TQn_UP(bench_.Centre, this);
    Qn_UP->hide();
    ChipList = bench_.Catalogue().LoadChipList();
    Option = new TOption(
        bench_, ChipList, [this](uint16_t index) { SelectChip(index); }, this);
    Qn_RAM = new TQn_RAM(PanelContext(), this);
    Qn_Reg2 = new TQn_Reg2(PanelContext(), this);
    Qn_Reg2->CompareWith = [this](const std::string& file) {
        const SnapshotComparisonText compared = CompareWithSnapshot(bench_, file);
        return SnapshotComparison{compared.Read, compared.Differences, compared.Text};
    };
    ADCForm = new TADCForm(PanelContext(),
                           {[this] { return bench_.Chip.ReadAdcResult(); },
                            [this] { return bench_.Chip.ReadTempResult(); }, bench_.Chip.Readings,
                            bench_.Config.AdcPanel, bench_.Centre.ContinuousRead},
                           this);
    QnPopSelHex = new TQnPopSelHex(this);
    bench_.Capture.Progress = [this](int percent) {
        Gauge->setValue(percent);
        Gauge->show();
    };
    bench_.Capture.Finished = [this] { Gauge->hide(); };
    AnxADC =
        new TAnxADC(bench_.Samples(), bench_.Config.Analysis,
                    {bench_.Capture, [this] { return bench_.FrontEndGain(); },
                     [this](const std::string& path) { return WriteSnapshotBeside(bench_, path); },
                     [this] { return bench_.OutputRate(); }},
                    bench_.Ask, *this, bench_.ProgramDir(), this);
    CreateNoiseTablePage();
    FLUKE = new TFLUKE(bench_.Instruments.FlukeSteps, bench_.Instruments.Fluke, this);
    FPower = new TFPower(bench_.Instruments.PowerSteps, this);
    CreateTempTestWindow();
    const std::pair<QWidget*, const char*> names[] = {
        {Option, "Option"}, {Qn_RAM, "Qn_RAM"}, {Qn_Reg2, "Qn_Reg2"}, {ADCForm, "ADCForm"},
        {AnxADC, "AnxADC"}, {FLUKE, "FLUKE"},   {FPower, "FPower"},   {TMP, "TMP"}};
    for (const auto& [form, name] : names) form->setObjectName(name);
    FormActivate();
}

void TMainPanel::FormActivate() {
    HideAllPanels();
    LoadSettings();
    AnxADC->ApplySettings();
    TMP->ApplySettings();
}

void TMainPanel::HideAllPanels() {
    ShowPanel(ADCForm, kSlotAdc, false);
    ShowPanel(Qn_RAM, kSlotRam, false);
    ShowPanel(Qn_Reg2, kSlotReg, false);
    ShowPanel(Option, kSlotOption, false);
    ShowPanel(AnxADC, kSlotAnalysis, false);
    ShowPanel(FLUKE, kSlotFluke, false);
    ShowPanel(FPower, kSlotPower, false);
    ShowPanel(TMP, kSlotTemp, false);
}

QMdiSubWindow* TMainPanel::SubWindowOf(QWidget* form) {
    auto found = subWindows_.find(form);
    if (found != subWindows_.end()) return found->second;
    // Closing a child window only hides it: the sub-window is kept, never deleted on close.
    auto* sub = new QMdiSubWindow;
    sub->setWidget(form);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    Mdi->addSubWindow(sub);
    // Each panel starts a little below and right of the one before, so none hides another, with
    // room for its whole content inside the frame and title bar.
    const int step = 28 * static_cast<int>(subWindows_.size());
    const QStyle* style = sub->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub);
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
    const QSize content = form->size().expandedTo(form->minimumSize());
    sub->setGeometry(step, step, content.width() + 2 * border,
                     content.height() + title + 2 * border);
    subWindows_[form] = sub;
    return sub;
}

// Showing keeps the window's own place: it is recorded in the slot before the window becomes an
// MDI child and put back afterwards.
void TMainPanel::ShowPanel(QWidget* form, int slot, bool show) {
    if (form == nullptr || slot < 0 || slot >= static_cast<int>(PanelSlot.size())) return;
    if (form == Option) {
        form->setVisible(show);
        return;
    }
    QMdiSubWindow* sub = SubWindowOf(form);
    if (!show) {
        sub->hide();
        return;
    }
    PanelSlotRecord& place = PanelSlot[static_cast<size_t>(slot)];
    const QRect before = FitInsideWorkspace(sub->geometry(), Mdi->viewport()->size());
    place.Left = before.left();
    place.Top = before.top();
    place.Width = before.width();
    place.Height = before.height();
    sub->setGeometry(place.Left, place.Top, place.Width, place.Height);
    form->show();
    sub->show();
    sub->raise();
    Mdi->setActiveSubWindow(sub);
}

bool TMainPanel::SelectChip(uint16_t index) {
    const bool read = bench_.SelectChip(index);
    ChipSelected(bench_.Model);
    ApplyChipControls();
    ShowChipCaptions();
    return read;
}

ChipPanelContext TMainPanel::PanelContext() {
    return {bench_.Model,
            bench_.Stnd.RegImage,
            [this](int a, uint8_t v) { bench_.Chip.WriteRegister(a, v); },
            [this](int a, uint8_t v) { bench_.Chip.StoreRegister(a, v); },
            bench_.Ask,
            *this,
            sheets_,
            bench_.ProgramDir()};
}

// "Read RAM": the whole memory into the image, then the panels drawn from it.
void TMainPanel::ReadRamClick() {
    if (!ReadRam(bench_)) return;
    Qn_RAM->RefreshRam(true);
    Qn_Reg2->RefreshRegisters(false);
    RefreshAdcPanel();
}

void TMainPanel::RefreshRamPanel() {
    if (Qn_RAM != nullptr) Qn_RAM->RefreshRam(false);
}

void TMainPanel::RefreshAdcPanel() {
    if (ADCForm != nullptr) ADCForm->DataUpdate();
}

void TMainPanel::ShowAdcResult(const std::string& text) {
    if (ADCForm != nullptr) ADCForm->ShowAdcResult(text);
}

void TMainPanel::RedrawLiveChart() {
    if (AnxADC != nullptr) AnxADC->RedrawLiveChart();
}

void TMainPanel::RefreshRegisterPanel() {
    if (Qn_Reg2 != nullptr) Qn_Reg2->RefreshRegisters(false);
}

QString TMainPanel::ChipEntryName(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= ChipList.size()) return QString();
    return QString::fromStdString(ChipList[static_cast<size_t>(index)]);
}

// Shows the menu items that the selected chip's description file asks for.
void TMainPanel::ApplyChipControls() {
    const ChipControls& c = bench_.Model.Controls;
    Menu_File->menuAction()->setVisible(c.FileMenu);
    const std::pair<const char*, bool> items[] = {
        {"ENOB Test", c.EnobTest},   {"連續讀取", c.ContinuousRead},
        {"Fluke", c.Fluke},          {"Power", c.Power},
        {"Save Fluke", c.SaveFluke}, {"DownLoad Fluke", c.DownLoadFluke},
        {"Save Power", c.SavePower}, {"Download Power", c.DownloadPower},
        {"Save Reg", c.SaveReg},     {"Download Reg", c.DownloadReg}};
    for (const auto& [caption, shown] : items) MenuItems.at(caption)->setVisible(shown);
    if (Qn_RAM != nullptr) Qn_RAM->ApplyChip();
    if (Qn_Reg2 != nullptr) Qn_Reg2->ApplyChip();
    if (ADCForm != nullptr) ADCForm->ApplyChip();
    if (NoiseTable != nullptr && !NoiseTable->Running()) NoiseTable->ShowChipInputs();
}

void TMainPanel::USBClient() {
    Option->ChennalComChange();
    bench_.ChennalComChange();
    ChipSelected(bench_.Model);
    ApplyChipControls();
    ShowChipCaptions();
    RefreshRamPanel();
    RefreshRegisterPanel();
    RefreshAdcPanel();
}

// Every caption names the selected chip as soon as it is selected.
void TMainPanel::ShowChipCaptions() {
    if (Qn_RAM == nullptr) return; // selected before the windows exist
    const QString name = ChipEntryName(bench_.Stnd.Chip);
    Qn_RAM->setWindowTitle("記憶體 - " + name);
    Qn_Reg2->setWindowTitle("暫存器 - " + name);
    ADCForm->setWindowTitle("ADC - " + name);
    AnxADC->setWindowTitle("Analyse ADC - " + name);
    setWindowTitle(QString(kMainCaption) + " ---- Now Chip is  " + name);
}

// Closing while an operation owns the link asks it to stop; the window closes once it has ended.
void TMainPanel::closeEvent(QCloseEvent* event) {
    if (bench_.Guard.Busy()) {
        closePending_ = true;
        bench_.Guard.RequestStop();
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

// What would start another exchange is disabled while an operation lets window messages through.
void TMainPanel::ShowBusy(bool busy) {
    Menu_File->menuAction()->setEnabled(!busy);
    Menu_Option->menuAction()->setEnabled(!busy);
    for (const char* caption : {"USB Scan", "Read RAM", "ENOB Test"})
        MenuItems.at(caption)->setEnabled(!busy);
    if (!busy && closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TMainPanel::FormClose() {
    if (closed_) return;
    closed_ = true;
    SaveSettings();
    bench_.Model.BitRegs.Clear();
    bench_.Model.ByteRegs.Clear();
    bench_.Model.WordRegs.Clear();
    SavePlacements();
    HideAllPanels();
}

} // namespace qn
