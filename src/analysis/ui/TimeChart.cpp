// The time-domain chart: its plot, menu and the line of the captured values.
#include "analysis/ui/TimeChart.h"

#include "analysis/ui/EnvelopeLine.h"
#include "ui/PlotFit.h"

#include <QMenu>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace qn {

TimeChart::TimeChart(Prompt& ask, std::string folder, QWidget* parent)
    : QWidget(parent), ask_(ask), folder_(std::move(folder)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Plot = new QCustomPlot;
    layout->addWidget(Plot);
    Plot->plotLayout()->insertRow(0);
    Plot->plotLayout()->addElement(0, 0, new QCPTextElement(Plot, "Time Domain"));
    Plot->xAxis->setLabel("Time  ms");
    Plot->yAxis->setLabel("Degree");
    QCPGraph* graph = Plot->addGraph();
    graph->setPen(QPen(Qt::red));
    graph->setAdaptiveSampling(true);
    // A line without antialiasing redraws in a fraction of the time.
    graph->setAntialiased(false);
    line_ = std::make_unique<EnvelopeLine>(*graph);
    fit_ = std::make_unique<PlotFit>(*Plot);
    Plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    Plot->setNoAntialiasingOnDrag(true);
    PopupMenu = new QMenu(this);
    PopupMenu->addAction("Save image…", this, &TimeChart::SaveImage);
    PopupMenu->addAction("Fit", this, &TimeChart::Fit);
    Plot->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Plot, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu->popup(Plot->mapToGlobal(at)); });
}

TimeChart::~TimeChart() = default;

// x = i · ElapsedMs / N; before any capture has finished the samples are one unit apart.
void TimeChart::Draw(const AnalysisStore& store, const ChartRequest& request) {
    std::vector<double> values = ChartValues(store, request);
    const double span =
        request.ElapsedMs > 0 ? request.ElapsedMs : static_cast<double>(values.size());
    const bool any = !values.empty();
    std::vector<double> keys = ChartKeys(values.size(), request.ElapsedMs);
    if (span > 0) Plot->xAxis->setRange(0, span);
    line_->SetData(std::move(keys), std::move(values));
    if (any) Plot->graph(0)->rescaleValueAxis(false, true);
    fit_->Keep();
    Plot->replot(QCustomPlot::rpQueuedReplot);
}

void TimeChart::Fit() {
    fit_->Restore();
}

void TimeChart::SaveImage() {
    const std::optional<std::string> file = ask_.AskFileToSave("png", folder_);
    if (!file) return;
    const QString name = QString::fromStdString(*file);
    const bool saved =
        name.endsWith(".pdf", Qt::CaseInsensitive) ? Plot->savePdf(name) : Plot->savePng(name);
    if (!saved) ask_.Tell("Cannot write the picture " + *file);
}

} // namespace qn
