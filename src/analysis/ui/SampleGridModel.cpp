#include "analysis/ui/SampleGridModel.h"

#include <QColor>

#include <algorithm>

namespace qn {
namespace {

constexpr int kColumns = 17;
constexpr int kPerRow = 16;

int RowsFor(int32_t nPoint) {
    return std::clamp<int32_t>(nPoint, 0, kSampleCapacity) / kPerRow + 1;
}

} // namespace

SampleGridModel::SampleGridModel(const AnalysisStore& store, int32_t nPoint, QObject* parent)
    : QAbstractTableModel(parent), store_(store), rows_(RowsFor(nPoint)) {}

int SampleGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int SampleGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant SampleGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const bool fixed = index.row() == 0 || index.column() == 0;
    if (role == Qt::DisplayRole) return CellText(index.row(), index.column());
    if (role == Qt::BackgroundRole && fixed) return QColor(Qt::lightGray);
    if (role == Qt::TextAlignmentRole && !fixed)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

// The fixed row and column number the cells in hex; the others show the sample's grid value.
QVariant SampleGridModel::CellText(int row, int column) const {
    if (row == 0 && column == 0) return QString();
    if (row == 0) return QString("%1").arg(column - 1, 2, 16, QChar('0')).toUpper();
    if (column == 0) return QString("%1").arg(row - 1, 4, 16, QChar('0')).toUpper();
    const auto sample = static_cast<size_t>((row - 1) * kPerRow + column - 1);
    if (sample >= store_.Cells.size()) return QString();
    return QString::fromStdString(store_.Cells[sample].Text());
}

void SampleGridModel::SetPointCount(int32_t nPoint) {
    beginResetModel();
    rows_ = RowsFor(nPoint);
    endResetModel();
}

void SampleGridModel::Refresh() {
    if (rows_ > 1) emit dataChanged(index(1, 1), index(rows_ - 1, kColumns - 1), {Qt::DisplayRole});
}

} // namespace qn
