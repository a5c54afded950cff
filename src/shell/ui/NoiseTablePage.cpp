// The noise table page: runs the sweep from its Start button, keeping the window alive through
// the bench's pumped waits, and fills the heat map point by point.
#include "shell/ui/NoiseTablePage.h"

#include "chip/AdcPanelState.h"
#include "shell/ui/NoiseTableModel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace qn {
namespace {

constexpr int kFirstSamplesExponent = 6; // 64 samples
constexpr int kLastSamplesExponent = 16; // 65536 samples
constexpr int kDefaultSamplesItem = 4;   // 1024 samples

QComboBox* FigureChoice() {
    auto* box = new QComboBox;
    box->addItems({"RMS noise (nV)", "Peak-to-peak noise (nV)", "Effective resolution (bits)",
                   "Noise-free resolution (bits)"});
    return box;
}

void AddLabelled(QHBoxLayout* row, const char* caption, QWidget* control) {
    row->addWidget(new QLabel(caption));
    row->addWidget(control);
}

} // namespace

NoiseTablePage::NoiseTablePage(Bench& bench, std::function<void(bool)> running, QWidget* parent)
    : QWidget(parent), bench_(bench), runningChanged_(std::move(running)), sweep_(bench) {
    auto* column = new QVBoxLayout(this);
    column->addWidget(BuildControls());
    Model = new NoiseTableModel(this);
    Grid = new QTableView;
    Grid->setModel(Model);
    Grid->horizontalHeader()->setDefaultSectionSize(112);
    Grid->verticalHeader()->setDefaultSectionSize(22);
    column->addWidget(Grid, 1);
    auto* legend = new QLabel("Colours: blue the quietest point, red the noisiest. The chip's "
                              "registers are put back as they were when the sweep ends.");
    legend->setWordWrap(true);
    column->addWidget(legend);

    sweep_.Planned = [this](const NoiseTable& table) { Model->SetTable(table); };
    sweep_.Progress = [this](int point, int total, const NoiseTable& table, size_t r, size_t g) {
        Model->SetCell(r, g, table.At(r, g));
        Progress->setMaximum(total);
        Progress->setValue(point);
        State->setText(QString("Point %1/%2: %3, %4")
                           .arg(point)
                           .arg(total)
                           .arg(QString::fromStdString(table.Rates[r].Label),
                                QString::fromStdString(table.Gains[g].Label)));
    };
}

// Two rows: what to sweep and what to show, then the run's buttons, progress and state.
QWidget* NoiseTablePage::BuildControls() {
    auto* box = new QWidget;
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* settings = new QHBoxLayout;
    auto* run = new QHBoxLayout;
    rows->addLayout(settings);
    rows->addLayout(run);
    Samples = new QComboBox;
    for (int e = kFirstSamplesExponent; e <= kLastSamplesExponent; ++e)
        Samples->addItem(QString::number(1 << e));
    Samples->setCurrentIndex(kDefaultSamplesItem);
    Inp = new QComboBox;
    Inn = new QComboBox;
    Rates = new QLineEdit;
    Rates->setPlaceholderText("every rate");
    Rates->setToolTip("Data rates in sps, comma separated, e.g. 960,1920; empty: every rate");
    Figure = FigureChoice();
    AddLabelled(settings, "Samples", Samples);
    AddLabelled(settings, "INP", Inp);
    AddLabelled(settings, "INN", Inn);
    AddLabelled(settings, "Rates (sps)", Rates);
    settings->setStretchFactor(Rates, 1);
    AddLabelled(settings, "Show", Figure);
    Start = new QPushButton("Start");
    Stop = new QPushButton("Stop");
    Stop->setEnabled(false);
    SaveCsv = new QPushButton("Save CSV…");
    SaveCsv->setEnabled(false);
    Progress = new QProgressBar;
    Progress->setValue(0);
    State = new QLabel;
    for (QWidget* w : {static_cast<QWidget*>(Start), static_cast<QWidget*>(Stop),
                       static_cast<QWidget*>(SaveCsv), static_cast<QWidget*>(Progress)})
        run->addWidget(w);
    run->addWidget(State, 1);
    connect(Start, &QPushButton::clicked, this, &NoiseTablePage::StartClick);
    connect(Stop, &QPushButton::clicked, this, [this] { sweep_.Stop(); });
    connect(SaveCsv, &QPushButton::clicked, this, &NoiseTablePage::SaveCsvClick);
    connect(Figure, &QComboBox::currentIndexChanged, this,
            [this](int item) { Model->SetFigure(static_cast<NoiseFigure>(item)); });
    return box;
}

void NoiseTablePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!running_) ShowChipInputs();
}

void NoiseTablePage::ShowChipInputs() {
    const auto fill = [this](QComboBox* box, const char* field) {
        const QString kept = box->currentText();
        box->clear();
        for (const std::string& item : AdcComboItems(bench_.Model, field))
            box->addItem(QString::fromStdString(item));
        const int at = box->findText(kept);
        box->setCurrentIndex(at >= 0 ? at : 0);
    };
    fill(Inp, "INP");
    fill(Inn, "INN");
    const bool adc = bench_.Model.HasAdcSection;
    Start->setEnabled(adc);
    if (!adc) State->setText("The selected chip has no ADC");
}

void NoiseTablePage::StartClick() {
    // A click let through while another operation owns the link starts nothing.
    if (running_ || bench_.Guard.Busy()) return;
    NoiseSweepRequest request;
    request.Samples = Samples->currentText().toInt();
    request.Inp = Inp->currentText().toStdString();
    request.Inn = Inn->currentText().toStdString();
    for (const QString& text : Rates->text().split(',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int sps = text.trimmed().toInt(&ok);
        if (!ok || sps <= 0) {
            State->setText("Rates: \"" + text.trimmed() + "\" is no rate in sps");
            return;
        }
        request.Rates.push_back(sps);
    }
    running_ = true;
    Start->setEnabled(false);
    Stop->setEnabled(true);
    SaveCsv->setEnabled(false);
    Progress->setValue(0);
    State->setText("Starting…");
    if (runningChanged_) runningChanged_(true);
    const NoiseSweepResult result = sweep_.Run(request);
    running_ = false;
    Finished(result);
    if (runningChanged_) runningChanged_(false);
}

void NoiseTablePage::Finished(const NoiseSweepResult& result) {
    Start->setEnabled(bench_.Model.HasAdcSection);
    Stop->setEnabled(false);
    Model->SetTable(result.Table);
    SaveCsv->setEnabled(result.Measured > 0);
    const auto total = static_cast<int>(result.Table.Cells.size());
    switch (result.End) {
    case NoiseSweepResult::Outcome::Complete:
        State->setText(QString("Complete: %1 points").arg(total));
        break;
    case NoiseSweepResult::Outcome::Stopped:
        State->setText(QString("Stopped after %1 of %2 points").arg(result.Measured).arg(total));
        break;
    case NoiseSweepResult::Outcome::Failed:
        State->setText(QString::fromStdString("Failed: " + result.Message));
        break;
    }
}

void NoiseTablePage::SaveCsvClick() {
    const auto path = bench_.Ask.AskFileToSave("csv", bench_.ProgramDir());
    if (!path) return;
    if (!SaveNoiseTableCsv(*path, Model->Table())) bench_.Ask.Tell("Cannot write " + *path);
}

} // namespace qn
