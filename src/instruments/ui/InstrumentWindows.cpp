// The step table windows' grids and the calibrator's test button.
#include "instruments/ui/InstrumentWindows.h"

#include "instruments/ui/StepTableModel.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace qn {
namespace {

constexpr int kGridWidth = 338;
constexpr int kGridHeight = 622;
constexpr int kColumnWidths[] = {28, 30, 240};
constexpr size_t kTestButtonStep = 2;

} // namespace

StepTableWindow::StepTableWindow(StepTable& steps, const QString& caption, const char* gridName,
                                 QWidget* parent)
    : QWidget(parent), steps_(steps) {
    setWindowTitle(caption);
    model_ = new StepTableModel(steps, this);
    grid_ = new QTableView;
    grid_->setObjectName(gridName);
    grid_->setModel(model_);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    grid_->horizontalHeader()->setMinimumSectionSize(kColumnWidths[0]);
    for (int column = 0; column < 3; ++column) grid_->setColumnWidth(column, kColumnWidths[column]);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->addWidget(grid_);
    resize(kGridWidth, kGridHeight);
}

void StepTableWindow::SetStepCount(size_t steps) {
    model_->SetStepCount(steps);
}

void StepTableWindow::RefreshGrid() {
    model_->Refresh();
}

TFLUKE::TFLUKE(StepTable& steps, Calibrator& fluke, QWidget* parent)
    : StepTableWindow(steps, "FLUKE-5500", "FlukeGd", parent), FlukeGd(grid_), fluke_(fluke) {
    Button3 = new QPushButton("Button3");
    Button3->setObjectName("Button3");
    Button3->hide();
    layout_->addWidget(Button3);
    connect(Button3, &QPushButton::clicked, this, [this] {
        if (steps_.Steps() >= kTestButtonStep) fluke_.Command(steps_.Row(kTestButtonStep).Input);
    });
}

TFPower::TFPower(StepTable& steps, QWidget* parent)
    : StepTableWindow(steps, "Power Supply", "PowerGd", parent), PowerGd(grid_) {}

} // namespace qn
