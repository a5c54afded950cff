// Construction of the temperature test window and what its controls do: every setting is typed
// straight into the plan, every button goes to the sequence, and what the sequence tells keeps the
// start buttons, the result grid and the progress bar up to date.
#include "run/ui/TempTestWindow.h"

#include "instruments/Chamber.h"
#include "run/TempRunSettingTable.h"
#include "run/ui/TempTestModels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <string>

namespace qn {
namespace {

constexpr int kReadingIntervalMs = 1000;
constexpr int kRowNumberWidth = 20;
constexpr int kValueLabelWidth = 60;
constexpr int kRegisterWidth = 22;
constexpr int kDelayWidth = 40;
constexpr int kEditWidth = 70;

// The window's controls of the run's settings; their captions, units and choices come from the
// settings table.
struct EditOf {
    std::string TempRunSettings::*Setting;
    QLineEdit* TTMP::*Edit;
};
constexpr EditOf kEdits[] = {
    {&TempRunSettings::TempCount, &TTMP::TMPCNT},
    {&TempRunSettings::Start, &TTMP::TMPStart},
    {&TempRunSettings::Increment, &TTMP::TMPStep},
    {&TempRunSettings::LowestCelsius, &TTMP::ELowest},
    {&TempRunSettings::StepRows, &TTMP::EModenum},
    {&TempRunSettings::SoakMinutes, &TTMP::ESoak},
    {&TempRunSettings::SupplyDelay, &TTMP::EDelay},
    {&TempRunSettings::HoldCelsius, &TTMP::EHold}, // among the run's end options
    // The soak gate's, in a box of their own.
    {&TempRunSettings::GateMinutes, &TTMP::EGateMinutes},
    {&TempRunSettings::GateBand, &TTMP::EGateBand},
    {&TempRunSettings::GateSpread, &TTMP::EGateSpread},
    {&TempRunSettings::BoardChange, &TTMP::EBoardChange},
    {&TempRunSettings::GateLimitMinutes, &TTMP::EGateLimit},
};
struct BoxOf {
    bool TempRunSettings::*Setting;
    QCheckBox* TTMP::*Box;
};
constexpr BoxOf kBoxes[] = {
    {&TempRunSettings::SaveFullFiles, &TTMP::CHFULL},
    {&TempRunSettings::KeepFlukeOn, &TTMP::CHFluke},
    {&TempRunSettings::Alternate, &TTMP::CHAlter},
    {&TempRunSettings::HoldChamber, &TTMP::CHHold},
    {&TempRunSettings::SupplyOffAtEnd, &TTMP::CHSupplyOff},
};
struct ListOf {
    std::string_view Key;
    QComboBox* TTMP::*List;
};
constexpr ListOf kLists[] = {
    {"Source", &TTMP::CBSource}, {"Measure", &TTMP::CBMode}, {"SoakGate", &TTMP::CBGate}};

QLineEdit* SettingEdit() {
    auto* edit = new QLineEdit;
    edit->setMaximumWidth(kEditWidth);
    return edit;
}

QString Caption(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Each typed character lands in the plan's setting at once, as the sequence reads it at start.
void Bind(QLineEdit* edit, std::string& setting) {
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [&setting](const QString& text) { setting = text.toStdString(); });
}

void AddSetting(QGridLayout* grid, int row, const RunSetting& setting, QLineEdit* edit) {
    grid->addWidget(new QLabel(Caption(setting.Caption)), row, 0);
    grid->addWidget(edit, row, 1);
    if (!setting.Unit.empty()) grid->addWidget(new QLabel(Caption(setting.Unit)), row, 2);
}

QComboBox* ChoiceList(const RunSetting& setting) {
    auto* list = new QComboBox;
    for (const std::string_view item : setting.ShownChoices) list->addItem(Caption(item));
    return list;
}

QTableView* Grid(const char* name, QAbstractItemModel* model, int rowHeight) {
    auto* view = new QTableView;
    view->setObjectName(name);
    view->setModel(model);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(rowHeight);
    view->horizontalHeader()->setMinimumSectionSize(kRowNumberWidth);
    return view;
}

} // namespace

TTMP::TTMP(const TempTestLink& link, QWidget* parent) : QWidget(parent), link_(link) {
    setWindowTitle("Temperature Test");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* top = new QHBoxLayout;
    auto* controls = new QVBoxLayout;
    controls->addWidget(BuildSettings());
    controls->addWidget(BuildButtons());
    controls->addWidget(BuildRunEnd());
    controls->addStretch();
    top->addLayout(controls);
    // The soak gate stands below the temperature grid, so the grids below keep their places.
    BuildGrids();
    auto* right = new QVBoxLayout;
    right->addWidget(TMPGrid, 1);
    right->addWidget(BuildGate());
    top->addLayout(right, 1);
    layout->addLayout(top);
    // The register steps and the results side by side, so the window fits a laptop screen.
    auto* grids = new QHBoxLayout;
    grids->addWidget(RegChg, 3);
    grids->addWidget(TMPData, 2);
    layout->addLayout(grids, 1);
    auto* status = new QHBoxLayout;
    Progress = new QProgressBar;
    Progress->setRange(0, 100);
    Progress->setValue(0);
    ChamberTemp = new QLabel;
    ChamberTemp->setMinimumWidth(150);
    status->addWidget(Progress, 1);
    status->addWidget(ChamberTemp);
    layout->addLayout(status);
    BindSettings();
    WatchRun();
    WatchEstimate();
    ReadTimer.setInterval(kReadingIntervalMs);
    connect(&ReadTimer, &QTimer::timeout, this, &TTMP::ReadChamber);
    TMPCNTSETClick();
    ShowSettings();
    resize(900, 600);
}

// The sequence drives no window after the window is gone; the subscriptions end with it.
TTMP::~TTMP() {
    link_.Temp.Window = {};
}

QWidget* TTMP::BuildSettings() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    for (const EditOf& e : kEdits) {
        this->*e.Edit = SettingEdit();
        const RunSetting& setting = RunSettingOf(e.Setting);
        if (e.Setting != &TempRunSettings::HoldCelsius && !setting.GateOnly)
            AddSetting(grid, row++, setting, this->*e.Edit);
    }
    TMPCNTSET = new QPushButton("SET");
    grid->addWidget(TMPCNTSET, 0, 2);
    for (const ListOf& l : kLists) this->*l.List = ChoiceList(*RunSettingWithKey(l.Key));
    grid->addWidget(CBSource, row, 0);
    grid->addWidget(CBMode, row++, 1, 1, 2);
    for (const BoxOf& b : kBoxes)
        this->*b.Box = new QCheckBox(Caption(RunSettingOf(b.Setting).Caption));
    CHAlter->hide();
    grid->addWidget(CHFULL, row, 0);
    grid->addWidget(CHFluke, row++, 1, 1, 2);
    grid->addWidget(CHAlter, row, 0);
    return box;
}

QWidget* TTMP::BuildButtons() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    BtRun = new QPushButton("RUN");
    BtStop = new QPushButton("Stop");
    BtStby = new QPushButton("STBY");
    TBg = new QPushButton("T-Begin");
    TTest = new QPushButton("T-Test");
    ENSave = new QPushButton("SaveData");
    Lock330mV = new QCheckBox("Lockout  330mV");
    Lock3V = new QCheckBox("Lockout  3.3V");
    BtEnter = new QPushButton("ENTER");
    QWidget* const order[3][3] = {
        {BtRun, BtStop, BtStby}, {TBg, TTest, ENSave}, {Lock330mV, Lock3V, BtEnter}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) grid->addWidget(order[r][c], r, c);
    BtRebuild = new QPushButton("Rebuild result files");
    grid->addWidget(BtRebuild, 3, 0, 1, 2);
    Estimate = new QLabel;
    Estimate->setObjectName("Estimate");
    grid->addWidget(Estimate, 3, 2);
    TempTest& temp = link_.Temp;
    connect(BtRebuild, &QPushButton::clicked, this, [&temp] { temp.RebuildFiles(); });
    connect(BtRun, &QPushButton::clicked, this, [&temp] { temp.RunClick(); });
    connect(BtStop, &QPushButton::clicked, this, [&temp] { temp.StopClick(); });
    connect(BtStby, &QPushButton::clicked, this, [&temp] { temp.StandbyClick(); });
    connect(TBg, &QPushButton::clicked, this, [&temp] { temp.TBegin(); });
    connect(TTest, &QPushButton::clicked, this, [&temp] { temp.TTest(); });
    connect(ENSave, &QPushButton::clicked, this, [&temp] { temp.SaveData(); });
    // The two range locks exclude each other; neither checked unlocks the range.
    connect(Lock330mV, &QCheckBox::clicked, this, [this](bool on) {
        if (on) Lock3V->setChecked(false);
    });
    connect(Lock3V, &QCheckBox::clicked, this, [this](bool on) {
        if (on) Lock330mV->setChecked(false);
    });
    connect(BtEnter, &QPushButton::clicked, this,
            [this] { link_.Temp.EnterClick(Lock330mV->isChecked(), Lock3V->isChecked()); });
    return box;
}

void TTMP::BuildGrids() {
    const int rowHeight = fontMetrics().height() + 6;
    rows_ = new TemperatureRowsModel(link_.Plan, this);
    rows_->Refused = [this](const std::string& why) { link_.Ask.Tell(why); };
    TMPGrid = Grid("TMPGrid", rows_, rowHeight);
    TMPGrid->setColumnWidth(0, kRowNumberWidth);

    steps_ = new RegisterStepModel(link_.Plan.RegChg, this);
    RegChg = Grid("RegChg", steps_, rowHeight);
    RegChg->horizontalHeader()->hide();
    // Two hexadecimal digits fill a 22-pixel column: they are shown whole, never elided.
    RegChg->setTextElideMode(Qt::ElideNone);
    RegChg->setColumnWidth(0, kValueLabelWidth);
    for (int c = 1; c <= static_cast<int>(kRegisterColumns); ++c)
        RegChg->setColumnWidth(c, kRegisterWidth);
    RegChg->setColumnWidth(static_cast<int>(kDelayColumn), kDelayWidth);

    results_ = new TempResultModel(link_.Temp.Results(), link_.Plan.Settings, this);
    TMPData = Grid("TMPData", results_, rowHeight);
    TMPData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TMPData->setColumnWidth(0, kRowNumberWidth);
    connect(TMPData, &QTableView::clicked, results_, &TempResultModel::FillAll);
}

void TTMP::BindSettings() {
    TempRunSettings& s = link_.Plan.Settings;
    for (const EditOf& e : kEdits) Bind(this->*e.Edit, s.*e.Setting);
    for (const BoxOf& b : kBoxes)
        connect(this->*b.Box, &QCheckBox::toggled, this,
                [&s, flag = b.Setting](bool on) { s.*flag = on; });
    // "儲存完整檔案" is kept in the settings file as well.
    connect(CHFULL, &QCheckBox::toggled, this, [this](bool on) { link_.SaveFullSetting = on; });
    for (const ListOf& l : kLists)
        connect(this->*l.List, &QComboBox::currentIndexChanged, this,
                [&s, set = RunSettingWithKey(l.Key)->SetChoice](int item) { set(s, item); });
    connect(EModenum, &QLineEdit::returnPressed, this, [this] { Modenum(); });
    connect(TMPCNTSET, &QPushButton::clicked, this, &TTMP::TMPCNTSETClick);
}

void TTMP::WatchRun() {
    TempTest& temp = link_.Temp;
    told_.push_back(
        temp.RunningChanged.Subscribe([this](bool running) { RunningChanged(running); }));
    // A resumed run brought back its own settings, rows and steps.
    told_.push_back(temp.PlanChanged.Subscribe([this] {
        ShowSettings();
        RefreshGrids();
        resumed_ = true;
    }));
    told_.push_back(temp.ProgressChanged.Subscribe([this](const TempTestProgress& progress) {
        last_ = progress;
        ShowProgress(progress);
    }));
    // Told after each step attempt: the cell of a step just measured shows its mean; a step
    // without a complete capture keeps an empty cell.
    told_.push_back(temp.ResultsChanged.Subscribe([this] {
        if (resumed_) ShowResumedResults();
        if (last_.Step > 0 && link_.Temp.Results().Measured(last_.Row, last_.Step))
            results_->Fill(last_.Row, last_.Step);
    }));
}

// A resumed run starts with the results its journal kept: their cells show them at once.
void TTMP::ShowResumedResults() {
    resumed_ = false;
    const TempResults& results = link_.Temp.Results();
    for (size_t row = 1; row <= results.TempCount(); ++row)
        for (size_t step = 1; step <= results.StepCount(); ++step)
            if (results.Measured(row, step)) results_->Fill(row, step);
}

void TTMP::ShowSettings() {
    const TempRunSettings& s = link_.Plan.Settings;
    for (const EditOf& e : kEdits) (this->*e.Edit)->setText(QString::fromStdString(s.*e.Setting));
    for (const ListOf& l : kLists)
        (this->*l.List)->setCurrentIndex(RunSettingWithKey(l.Key)->GetChoice(s));
    for (const BoxOf& b : kBoxes) (this->*b.Box)->setChecked(s.*b.Setting);
}

void TTMP::ApplySettings() {
    link_.Plan.Settings.SaveFullFiles = link_.SaveFullSetting;
    ShowSettings();
}

// A run reads the grids it sized at its start: their sizes stay until it ends.
size_t TTMP::Modenum() {
    if (link_.Temp.Running()) return link_.Plan.RegChg.Steps();
    BenchInstruments& lab = link_.Instruments;
    const size_t steps = link_.Plan.SetStepRows(lab.FlukeSteps, lab.PowerSteps);
    EModenum->setText(QString::fromStdString(link_.Plan.Settings.StepRows));
    steps_->Refresh();
    link_.StepCountChanged(steps);
    return steps;
}

// A start outside the limits leaves the rows as they were, and says why.
void TTMP::TMPCNTSETClick() {
    if (link_.Temp.Running()) return;
    if (const std::string why = link_.Plan.SetTemperatureRows(); !why.empty())
        return link_.Ask.Tell(why);
    TMPCNT->setText(QString::fromStdString(link_.Plan.Settings.TempCount));
    rows_->Refresh();
}

void TTMP::RefreshGrids() {
    rows_->Refresh();
    steps_->Refresh();
    link_.StepTablesChanged();
}

void TTMP::ShowPreview(size_t columns, size_t rows) {
    results_->LayOutPreview(columns, rows);
}

// A run's start sized the three step grids from the step-count edit and the results from the
// counts in use.
void TTMP::RunningChanged(bool running) {
    TBg->setEnabled(!running);
    TTest->setEnabled(!running);
    BtRebuild->setEnabled(!running);
    BtLoadPlan->setEnabled(!running);
    if (!running) {
        // The bar keeps where the run got to, whether it went through or was stopped.
        Progress->setFormat(Progress->format().replace("%p%", "ended"));
        return;
    }
    EModenum->setText(QString::fromStdString(link_.Plan.Settings.StepRows));
    steps_->Refresh();
    link_.StepCountChanged(link_.Plan.RegChg.Steps());
    last_ = {};
    const TempResults& results = link_.Temp.Results();
    results_->LayOutRun(results.TempCount(), results.StepCount());
    Progress->setValue(0);
    Progress->setFormat("%p%");
}

void TTMP::ShowProgress(const TempTestProgress& p) {
    const size_t steps = std::max<size_t>(p.Steps, 1);
    const size_t total = std::max<size_t>(p.Rows, 1) * steps;
    const size_t row = std::max<size_t>(p.Row, 1);
    const size_t done = (row - 1) * steps + (p.Step > 0 ? p.Step - 1 : 0);
    QString text = QString("Row %1/%2 · ").arg(p.Row).arg(p.Rows);
    if (p.Completed)
        text = "Every step measured";
    else if (p.Ended)
        text += p.Unmeasured.empty() ? QString("Not complete")
                                     : "Not measured: " + QString::fromStdString(p.Unmeasured);
    else if (p.Step == 0 && !p.Gate.empty())
        text += QString::fromStdString(p.Gate);
    else if (p.Soaking)
        text += QString("Soaking %1 min").arg(p.SoakMs / 60'000.0, 0, 'f', 1);
    else if (p.Step > 0)
        text += QString("Step %1/%2").arg(p.Step).arg(p.Steps);
    else
        text += "Approach";
    if (!p.Ended && !std::isnan(p.LeftMs))
        text += " · " + QString::fromStdString(DurationText(p.LeftMs, p.LeftAtLeast)) + " left";
    Progress->setValue(p.Completed ? 100
                                   : static_cast<int>(std::min<size_t>(done, total) * 100 / total));
    Progress->setFormat(text + " · %p%");
    if (!std::isnan(p.ChamberCelsius))
        ChamberTemp->setText(QString("Chamber %1 °C").arg(p.ChamberCelsius, 0, 'f', 2));
}

// Asked once the window is up, outside the show itself: a resumed run lasts hours and lets window
// messages through while it runs.
void TTMP::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (offeredResume_ || resumePending_) return;
    resumePending_ = true;
    // Asked again at a later showing while the bench is not ready for the run.
    QTimer::singleShot(0, this, [this] {
        resumePending_ = false;
        offeredResume_ = link_.Temp.OfferResume() != TempTest::ResumeOffer::NotReady;
    });
}

void TTMP::StartReading() {
    ReadTimer.start();
}

void TTMP::ReadChamber() {
    BenchInstruments& lab = link_.Instruments;
    if (!lab.Ports.ChamberPort.Selected) return;
    const auto hold = link_.Guard.Begin();
    if (!hold) return;
    const std::optional<double> celsius = lab.Climate.ReadCelsius();
    if (!celsius) {
        // A chamber that does not answer costs seconds of waiting per read: the readings stop
        // until "連續讀取" starts them again.
        ReadTimer.stop();
        ChamberTemp->setText("Chamber: no answer");
        return;
    }
    chamberCelsius_ = *celsius;
    ChamberTemp->setText(QString("Chamber %1 °C").arg(chamberCelsius_, 0, 'f', 2));
    ShowEstimate();
}

} // namespace qn
