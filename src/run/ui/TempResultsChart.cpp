// Drawing of the temperature runs' series, the files they come from and the live journal.
#include "run/ui/TempResultsChart.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <qcustomplot.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <optional>

namespace qn {
namespace {

namespace fs = std::filesystem;

constexpr int kFollowMs = 2000;
constexpr const char* kFigureNames[] = {"Mean", "RMS noise", "ENOB (RMS)"};
constexpr const char* kFigureAxes[] = {"Mean", "RMS noise (nV)", "ENOB (RMS, bits)"};
constexpr const char* kOverNames[] = {"Chamber temperature", "Board temperature"};

// Step n takes colour n of the cycle in both runs, so a step and its overlay match.
QColor StepColour(size_t step) {
    static const std::array<QColor, 8> colours{
        QColor(31, 119, 180), QColor(214, 39, 40),  QColor(44, 160, 44), QColor(148, 103, 189),
        QColor(255, 127, 14), QColor(23, 190, 207), QColor(140, 86, 75), QColor(227, 119, 194)};
    return colours[(step - 1) % colours.size()];
}

std::string FileName(const std::string& path) {
    return fs::path(path).filename().string();
}

void AppendRunCsv(std::string& text, const TempRun& run, double number) {
    for (const TempStepSeries& series : run.Steps)
        for (const TempPoint& p : series.Points)
            AppendCsvLine(text, {number, static_cast<double>(series.Step), p.Celsius, p.Mean,
                                 p.RmsNoise, p.Enob});
}

} // namespace

TempResultsChart::TempResultsChart(Prompt& ask, std::string programDir, QWidget* parent)
    : PlotView(ask, programDir, parent), ask_(ask), programDir_(std::move(programDir)) {
    setWindowTitle("Results over temperature");
    Figure = new QComboBox;
    for (const char* name : kFigureNames) Figure->addItem(name);
    Over = new QComboBox;
    for (const char* name : kOverNames) Over->addItem(name);
    OpenButton = new QPushButton("Open journal or A file…");
    OverlayButton = new QPushButton("Overlay…");
    Follow = new QCheckBox("Follow the running test");
    Sources = new QLabel;
    Controls->addWidget(Figure);
    Controls->addWidget(Over);
    Controls->addWidget(OpenButton);
    Controls->addWidget(OverlayButton);
    Controls->addWidget(Follow);
    Controls->addWidget(Sources, 1);
    PlaceLegendBesidePlot();
    connect(Figure, &QComboBox::currentIndexChanged, this, [this] { Redraw(); });
    connect(Over, &QComboBox::currentIndexChanged, this, [this] { Redraw(); });
    connect(OpenButton, &QPushButton::clicked, this, [this] {
        if (const auto file = ask_.AskFileToOpen("*", programDir_)) OpenMain(*file);
    });
    connect(OverlayButton, &QPushButton::clicked, this, [this] {
        if (const auto file = ask_.AskFileToOpen("*", programDir_)) OpenOverlay(*file);
    });
    connect(Follow, &QCheckBox::toggled, this, &TempResultsChart::SetFollowing);
    connect(&FollowTimer, &QTimer::timeout, this, &TempResultsChart::FollowTick);
    resize(760, 500);
    Redraw();
}

// The legend stands at the top of a column of its own right of the plot area, so it never hides
// a point; the column is as narrow as the legend, and empty below it.
void TempResultsChart::PlaceLegendBesidePlot() {
    Plot->legend->setVisible(true);
    Plot->axisRect()->insetLayout()->take(Plot->legend);
    auto* column = new QCPLayoutGrid;
    Plot->plotLayout()->addElement(0, 1, column);
    Plot->plotLayout()->setColumnStretchFactor(1, 0.001);
    column->addElement(0, 0, Plot->legend);
    column->addElement(1, 0, new QCPLayoutElement(Plot));
    column->setRowStretchFactor(0, 0.001);
    column->setMargins(QMargins(0, 10, 6, 0));
}

std::optional<TempRun> TempResultsChart::Read(const std::string& path) {
    TempRun read = ReadTempRun(path);
    if (read.Ok()) return read;
    ask_.Tell(read.Error);
    return std::nullopt;
}

bool TempResultsChart::OpenMain(const std::string& path) {
    std::optional<TempRun> read = Read(path);
    if (!read) return false;
    Follow->setChecked(false);
    main_ = std::move(*read);
    mainName_ = FileName(path);
    Redraw();
    return true;
}

bool TempResultsChart::OpenOverlay(const std::string& path) {
    std::optional<TempRun> read = Read(path);
    if (!read) return false;
    overlay_ = std::move(*read);
    overlayName_ = FileName(path);
    Redraw();
    return true;
}

void TempResultsChart::SetFollowing(bool on) {
    if (!on) {
        FollowTimer.stop();
        return;
    }
    journalSize_ = -1;
    main_ = {};
    mainName_ = std::string(kJournalFile) + " (following)";
    FollowTick();
    FollowTimer.start(kFollowMs);
}

// A run appends one record per step, so its journal's size changes exactly when there is more
// to draw; a new run starts a new journal, whose size differs too.
void TempResultsChart::FollowTick() {
    std::error_code error;
    const auto bytes = fs::file_size(fs::path(programDir_) / kJournalFile, error);
    const std::intmax_t size = error ? -1 : static_cast<std::intmax_t>(bytes);
    if (size == journalSize_) return;
    journalSize_ = size;
    main_ = SeriesFromJournal(ReadRunJournal(programDir_));
    Redraw();
}

void TempResultsChart::DrawRun(const TempRun& run, bool dashed) {
    const auto figure = static_cast<TempFigure>(Figure->currentIndex());
    const bool board = Over->currentIndex() == 1;
    for (const TempStepSeries& series : run.Steps) {
        QCPGraph* graph = Plot->addGraph();
        QVector<double> x, y;
        for (const TempPoint& p : series.Points) {
            if (board && std::isnan(p.BoardCelsius)) continue;
            x.push_back(board ? p.BoardCelsius : p.Celsius);
            y.push_back(p.Value(figure));
        }
        graph->setData(x, y);
        const QColor colour = StepColour(series.Step);
        graph->setPen(QPen(colour, 2, dashed ? Qt::DashLine : Qt::SolidLine));
        graph->setScatterStyle(QCPScatterStyle(
            dashed ? QCPScatterStyle::ssSquare : QCPScatterStyle::ssCircle, colour, 7));
        QString name = QString("Step %1").arg(series.Step);
        if (dashed) name += QString(" (%1)").arg(QString::fromStdString(overlayName_));
        graph->setName(name);
    }
}

void TempResultsChart::Redraw() {
    Plot->clearGraphs();
    DrawRun(main_, false);
    DrawRun(overlay_, true);
    Plot->xAxis->setLabel(QString(kOverNames[Over->currentIndex()]) + " (°C)");
    Plot->yAxis->setLabel(kFigureAxes[Figure->currentIndex()]);
    Plot->rescaleAxes();
    Plot->xAxis->scaleRange(1.1);
    Plot->yAxis->scaleRange(1.1);
    KeepFullView();
    QString shown = QString::fromStdString(mainName_);
    if (!overlayName_.empty())
        shown += QString("  dashed: %1").arg(QString::fromStdString(overlayName_));
    Sources->setText(shown);
    Plot->replot(QCustomPlot::rpQueuedReplot);
}

std::string TempResultsChart::CsvText() const {
    std::string text = "run,step,temperature (C),mean,rms noise (nV),enob\r\n";
    AppendRunCsv(text, main_, 1);
    AppendRunCsv(text, overlay_, 2);
    return text;
}

} // namespace qn
