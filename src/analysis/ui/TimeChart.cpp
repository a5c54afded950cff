#include "analysis/ui/TimeChart.h"

#include <QMenu>

#include <algorithm>
#include <cmath>

namespace qn {
namespace {

constexpr int64_t kSignBit = 8388608; // 2^23
constexpr int64_t kWrap24 = 16777216; // 2^24

// Division truncated toward zero, whatever the sign.
int64_t DivideTowardZero(int64_t value, int64_t divisor) {
    return value / std::max<int64_t>(divisor, 1);
}

} // namespace

std::vector<double> ChartValues(const AnalysisStore& store, const ChartRequest& request) {
    const auto count = static_cast<size_t>(std::clamp<int32_t>(request.Count, 0, kSampleCapacity));
    const std::vector<double>& shown = request.ChangeMode ? store.ADCChange : store.ADCData;
    std::vector<double> values(count);
    for (size_t i = 0; i < count; ++i) {
        const auto f = static_cast<int64_t>(std::floor(shown[i]));
        const int64_t y = store.ADCData[i] >= static_cast<double>(kSignBit)
                              ? -DivideTowardZero(kWrap24 - f, request.ScaleDiv)
                              : DivideTowardZero(f, request.ScaleDiv);
        values[i] = static_cast<double>(y);
    }
    return values;
}

TimeChart::TimeChart(Prompt& ask, std::string folder, QWidget* parent)
    : QCustomPlot(parent), ask_(ask), folder_(std::move(folder)) {
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, new QCPTextElement(this, "Time Domain"));
    xAxis->setLabel("Time  ms");
    yAxis->setLabel("Degree");
    addGraph();
    graph(0)->setPen(QPen(Qt::red));
    graph(0)->setAdaptiveSampling(true);
    // Tens of thousands of points: a line without antialiasing redraws in a few milliseconds.
    graph(0)->setAntialiased(false);
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    setNoAntialiasingOnDrag(true);
    PopupMenu = new QMenu(this);
    PopupMenu->addAction("Save image…", this, &TimeChart::SaveImage);
    PopupMenu->addAction("Fit", this, &TimeChart::Fit);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu->popup(mapToGlobal(at)); });
}

// x = i · ElapsedMs / N; before any capture has finished the samples are one unit apart.
void TimeChart::Draw(const AnalysisStore& store, const ChartRequest& request) {
    const std::vector<double> values = ChartValues(store, request);
    const double span =
        request.ElapsedMs > 0 ? request.ElapsedMs : static_cast<double>(values.size());
    QVector<double> keys(static_cast<qsizetype>(values.size()));
    for (qsizetype i = 0; i < keys.size(); ++i)
        keys[i] = static_cast<double>(i) * span / static_cast<double>(values.size());
    graph(0)->setData(keys, QVector<double>(values.begin(), values.end()), true);
    if (span > 0) xAxis->setRange(0, span);
    if (!values.empty()) graph(0)->rescaleValueAxis(false, true);
    fit_.Keep();
    replot(rpQueuedReplot);
}

void TimeChart::SaveImage() {
    const std::optional<std::string> file = ask_.AskFileToSave("png", folder_);
    if (!file) return;
    const QString name = QString::fromStdString(*file);
    const bool saved = name.endsWith(".pdf", Qt::CaseInsensitive) ? savePdf(name) : savePng(name);
    if (!saved) ask_.Tell("Cannot write the picture " + *file);
}

} // namespace qn
