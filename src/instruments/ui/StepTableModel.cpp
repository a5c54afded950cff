// Model row i is step i + 1 of the table; the header row of the table is the view's header.
#include "instruments/ui/StepTableModel.h"

#include <QColor>

namespace qn {
namespace {

enum Column { kNumberColumn = 0, kStepColumn = 1, kInputColumn = 2, kColumns = 3 };

} // namespace

StepTableModel::StepTableModel(StepTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int StepTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_.Steps());
}

int StepTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant StepTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto step = static_cast<size_t>(index.row()) + 1;
    if (role == Qt::BackgroundRole && index.column() == kNumberColumn) return QColor(Qt::lightGray);
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    switch (index.column()) {
    case kNumberColumn:
        return QString::number(step);
    case kStepColumn:
        return QString::fromStdString(table_.Row(step).Step);
    case kInputColumn:
        return QString::fromStdString(table_.Row(step).Input);
    default:
        return {};
    }
}

bool StepTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount()) return false;
    StepRow& row = table_.Row(static_cast<size_t>(index.row()) + 1);
    if (index.column() == kStepColumn)
        row.Step = value.toString().toStdString();
    else if (index.column() == kInputColumn)
        row.Input = value.toString().toStdString();
    else
        return false;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags StepTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == kNumberColumn ? flags : flags | Qt::ItemIsEditable;
}

QVariant StepTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (section < 0 || section >= kColumns) return {};
    return QString::fromUtf8(kStepHeaders[section]);
}

void StepTableModel::SetStepCount(size_t steps) {
    beginResetModel();
    table_.Resize(steps);
    endResetModel();
}

void StepTableModel::Refresh() {
    beginResetModel();
    endResetModel();
}

} // namespace qn
