// The temperature test window's estimate: how long "T-Begin" would take with the plan as it
// stands, shown beside the start buttons and refreshed whenever a setting, a grid or a step
// table changes.
#include "run/ui/TempTestWindow.h"

#include "run/TempRunEstimate.h"
#include "run/ui/TempTestModels.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace qn {
namespace {

constexpr int kEstimateIntervalMs = 1000;

} // namespace

void TTMP::WatchEstimate() {
    const auto show = [this] { ShowEstimate(); };
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textChanged, this, show);
    for (QCheckBox* box : findChildren<QCheckBox*>()) connect(box, &QCheckBox::toggled, this, show);
    for (QComboBox* list : findChildren<QComboBox*>())
        connect(list, &QComboBox::currentIndexChanged, this, show);
    for (QAbstractItemModel* grid :
         {static_cast<QAbstractItemModel*>(rows_), static_cast<QAbstractItemModel*>(steps_)}) {
        connect(grid, &QAbstractItemModel::dataChanged, this, show);
        connect(grid, &QAbstractItemModel::modelReset, this, show);
        connect(grid, &QAbstractItemModel::layoutChanged, this, show);
    }
    // The calibrator's and the supply's tables change in their own windows, which tell no one:
    // they are looked at again every second while this window is shown.
    auto* again = new QTimer(this);
    connect(again, &QTimer::timeout, this, [this] {
        if (isVisible()) ShowEstimate();
    });
    again->start(kEstimateIntervalMs);
    Estimate->setToolTip("How long \"T-Begin\" would take, one attempt a step (a clean run)");
    ShowEstimate();
}

// Row 1 ramps from the chamber's last reading, or from room temperature before the first.
void TTMP::ShowEstimate() {
    if (Estimate == nullptr || link_.Temp.Running()) return;
    const TempRunEstimate estimate = link_.Temp.Estimate(chamberCelsius_);
    Estimate->setText((estimate.AtLeast ? "≥ " : "≈ ") +
                      QString::fromStdString(DurationText(estimate.TotalMs())));
}

} // namespace qn
