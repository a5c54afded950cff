// The shared plot frame: plot, cursor read-out, fit, picture and data.
#include "ui/PlotView.h"
#include "ui/PlotFit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <array>
#include <charconv>
#include <fstream>

namespace qn {

void AppendCsvLine(std::string& text, std::initializer_list<double> values) {
    bool first = true;
    for (const double value : values) {
        if (!first) text += ',';
        first = false;
        std::array<char, 32> buffer{};
        const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
        text.append(buffer.data(), result.ptr);
    }
    text += "\r\n";
}

PlotView::PlotView(Prompt& ask, std::string folder, QWidget* parent)
    : QWidget(parent), ask_(ask), folder_(std::move(folder)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    Controls = new QHBoxLayout;
    layout->addLayout(Controls);
    Plot = new QCustomPlot;
    Plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    Plot->setNoAntialiasingOnDrag(true);
    // Solid lines as one polyline each rather than segment by segment: a 2-pixel line of 512
    // points redraws several times faster.
    Plot->setPlottingHint(QCP::phFastPolylines);
    layout->addWidget(Plot, 1);
    fit_ = std::make_unique<PlotFit>(*Plot);
    auto* bottom = new QHBoxLayout;
    Cursor = new QLabel;
    FitButton = new QPushButton("Fit");
    SaveImageButton = new QPushButton("Save image…");
    SaveDataButton = new QPushButton("Save data…");
    bottom->addWidget(Cursor, 1);
    bottom->addWidget(FitButton);
    bottom->addWidget(SaveImageButton);
    bottom->addWidget(SaveDataButton);
    layout->addLayout(bottom);
    connect(FitButton, &QPushButton::clicked, this, &PlotView::Fit);
    connect(SaveImageButton, &QPushButton::clicked, this, &PlotView::SaveImage);
    connect(SaveDataButton, &QPushButton::clicked, this, &PlotView::SaveDataAs);
    connect(Plot, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
        const QPointF at = event->position();
        const double x = Plot->xAxis->pixelToCoord(at.x());
        const double y = Plot->yAxis->pixelToCoord(at.y());
        Cursor->setText(QString("x %1   y %2").arg(x, 0, 'g', 6).arg(y, 0, 'g', 6));
    });
}

PlotView::~PlotView() = default;

void PlotView::Fit() {
    fit_->Restore();
}

void PlotView::KeepFullView() {
    fit_->Keep();
}

bool PlotView::SaveData(const std::string& path) const {
    std::ofstream file(path, std::ios::binary);
    const std::string text = CsvText();
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(file);
}

void PlotView::SaveImage() {
    const std::optional<std::string> file = ask_.AskFileToSave("png", folder_);
    if (file && !Plot->savePng(QString::fromStdString(*file)))
        ask_.Tell("Cannot write the picture " + *file);
}

void PlotView::SaveDataAs() {
    const std::optional<std::string> file = ask_.AskFileToSave("csv", folder_);
    if (file && !SaveData(*file)) ask_.Tell("Cannot write the data file " + *file);
}

} // namespace qn
