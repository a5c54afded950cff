// Construction and layout of the analysis window: a header with the selectors, the buttons and
// the result panels, below it the value grid or the chart, the histogram and the spectrum.
#include "analysis/ui/AnxADC.h"

#include "analysis/ui/HistogramView.h"
#include "analysis/ui/SampleGridModel.h"
#include "analysis/ui/SpectrumView.h"
#include "analysis/ui/TimeChart.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace qn {
namespace {

QComboBox* NumberCombo(int first, int last, bool powersOfTwo) {
    auto* combo = new QComboBox;
    for (int n = first; n <= last; n = powersOfTwo ? n * 2 : n + 1)
        combo->addItem(QString::number(n));
    return combo;
}

void AddLabelled(QGridLayout* grid, int row, int column, const char* caption, QWidget* control) {
    grid->addWidget(new QLabel(caption), row, column);
    grid->addWidget(control, row, column + 1);
}

} // namespace

TAnxADC::TAnxADC(AnalysisStore& store, AnalysisSettings& config, AnalysisLink link, Prompt& ask,
                 StatusBar& status, const std::string& programDir, QWidget* parent)
    : QWidget(parent), store_(store), config_(config), link_(std::move(link)), ask_(ask),
      status_(status), programDir_(programDir) {
    setWindowTitle("Analyse ADC");
    setMinimumSize(714, 277);
    // Opens large enough for every caption of the header and a page of the grid or chart.
    resize(900, 520);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(BuildHeader());
    BuildView();
    layout->addWidget(Views, 1);
    ApplySettings();
}

QWidget* TAnxADC::BuildHeader() {
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(BuildSelectors());
    row->addWidget(BuildPanels(), 1);
    return header;
}

QWidget* TAnxADC::BuildSelectors() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(1);
    NPointIndex = NumberCombo(64, 65536, true);
    TXScale = NumberCombo(8, 23, false);
    CMAVR = NumberCombo(1, 32, true);
    EREFV = new QLineEdit;
    EREFV->setMaximumWidth(48);
    CatchADC = new QPushButton("Catch ADC");
    SaveData = new QPushButton("Save to CSV");
    ShowChart = new QPushButton("Chang to Chart");
    AddLabelled(grid, 0, 0, "Sample Point", NPointIndex);
    AddLabelled(grid, 1, 0, "Scale", TXScale);
    AddLabelled(grid, 0, 2, "Avr. Times", CMAVR);
    AddLabelled(grid, 1, 2, "Ref Volt", EREFV);
    grid->addWidget(new QLabel("V"), 1, 4);
    grid->addWidget(CatchADC, 0, 5);
    grid->addWidget(SaveData, 0, 6);
    grid->addWidget(ShowChart, 1, 6);
    connect(NPointIndex, &QComboBox::activated, this, &TAnxADC::NPointIndexChange);
    connect(TXScale, &QComboBox::activated, this, &TAnxADC::TXScaleChange);
    connect(CMAVR, &QComboBox::activated, this, &TAnxADC::CMAVRChange);
    connect(EREFV, &QLineEdit::textEdited, this,
            [this](const QString& text) { config_.EREFV = text.toStdString(); });
    connect(CatchADC, &QPushButton::clicked, this, &TAnxADC::CatchADCClick);
    connect(SaveData, &QPushButton::clicked, this, &TAnxADC::SaveOut);
    connect(ShowChart, &QPushButton::clicked, this, &TAnxADC::ShowChartClick);
    return box;
}

QLabel* TAnxADC::AddPanel(QGridLayout* grid, int column, const char* caption) {
    auto* panel = new QLabel;
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignCenter);
    panel->setMinimumWidth(56);
    grid->addWidget(new QLabel(caption), 0, column, Qt::AlignCenter);
    grid->addWidget(panel, 1, column);
    return panel;
}

QWidget* TAnxADC::BuildPanels() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(1);
    TXENOB = AddPanel(grid, 0, "ENOB");
    TXVRMS = AddPanel(grid, 1, "Noise Free");
    TXNFREE = new QLabel;
    TXNFREE->setFrameStyle(TXVRMS->frameStyle());
    TXNFREE->setAlignment(Qt::AlignCenter);
    grid->addWidget(TXNFREE, 1, 1);
    TXVRMS->hide();
    TXOffset = AddPanel(grid, 2, "Average");
    TXVPP = AddPanel(grid, 3, "Vp-p Noise");
    TXNrms = AddPanel(grid, 4, "RMS Noise");
    return box;
}

void TAnxADC::BuildView() {
    Grid = new SampleGridModel(store_, config_.NPoint, this);
    MemoryF = new QTableView;
    MemoryF->setModel(Grid);
    MemoryF->horizontalHeader()->hide();
    MemoryF->verticalHeader()->hide();
    MemoryF->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MemoryF->verticalHeader()->setDefaultSectionSize(20);
    MemoryF->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The 17 columns (row numbers, then 16 samples) share the grid's width.
    MemoryF->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Chart1 = new TimeChart(ask_, programDir_);
    view_ = new QStackedWidget;
    view_->addWidget(MemoryF);
    view_->addWidget(Chart1);
    HistogramPage = new HistogramView(ask_, programDir_);
    SpectrumPage = new SpectrumView(ask_, programDir_);
    Views = new QTabWidget;
    Views->addTab(view_, "Time");
    Views->addTab(HistogramPage, "Histogram");
    Views->addTab(SpectrumPage, "Spectrum");
    // Beside the tabs, where it takes no room from the header's controls.
    TXShortfall = new QLabel;
    TXShortfall->setStyleSheet("color: #c00000; font-weight: bold; padding-right: 6px;");
    Views->setCornerWidget(TXShortfall, Qt::TopRightCorner);
    connect(Views, &QTabWidget::currentChanged, this, &TAnxADC::DrawNoiseView);
}

} // namespace qn
