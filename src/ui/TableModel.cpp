// The table model's cells, looked up through its column table.
#include "ui/TableModel.h"

#include <QColor>

namespace qn {
namespace {

int CountOf(const std::vector<TableColumns>& columns) {
    int count = 0;
    for (const TableColumns& run : columns) count += run.Count;
    return count;
}

} // namespace

TableModel::TableModel(std::function<size_t()> rows, std::vector<TableColumns> columns,
                       QObject* parent)
    : QAbstractTableModel(parent), rows_(std::move(rows)), columns_(std::move(columns)),
      columnCount_(CountOf(columns_)) {}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_());
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCount_;
}

std::pair<const TableColumns*, int> TableModel::Column(int column) const {
    if (column < 0) return {nullptr, 0};
    for (const TableColumns& run : columns_) {
        if (column < run.Count) return {&run, column};
        column -= run.Count;
    }
    return {nullptr, 0};
}

bool TableModel::Inside(const QModelIndex& index) const {
    return index.isValid() && index.row() < rowCount() && index.column() < columnCount_;
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!Inside(index)) return {};
    const auto [run, i] = Column(index.column());
    const auto row = static_cast<size_t>(index.row());
    switch (role) {
    case Qt::BackgroundRole:
        if (run->Fixed || row < fixedRows_) return QColor(Qt::lightGray);
        return {};
    case Qt::ToolTipRole:
        return run->ToolTip.isEmpty() ? QVariant() : run->ToolTip;
    case Qt::DisplayRole:
    case Qt::EditRole:
        return run->Get ? run->Get(row, i) : QVariant();
    default:
        return {};
    }
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !Inside(index)) return false;
    const auto [run, i] = Column(index.column());
    if (run->Fixed || !run->Set) return false;
    if (!run->Set(static_cast<size_t>(index.row()), i, value.toString())) return false;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    if (!Inside(index)) return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const auto [run, i] = Column(index.column());
    return run->Fixed || !run->Set ? flags : flags | Qt::ItemIsEditable;
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    const auto [run, i] = Column(section);
    if (run == nullptr || !run->Header) return {};
    return run->Header(i);
}

void TableModel::SetColumns(std::vector<TableColumns> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    columnCount_ = CountOf(columns_);
    endResetModel();
}

void TableModel::Refresh() {
    beginResetModel();
    endResetModel();
}

void TableModel::CellChanged(size_t row, int column) {
    CellsChanged(row, column, row, column);
}

void TableModel::CellsChanged(size_t firstRow, int firstColumn, size_t lastRow, int lastColumn) {
    emit dataChanged(index(static_cast<int>(firstRow), firstColumn),
                     index(static_cast<int>(lastRow), lastColumn));
}

} // namespace qn
