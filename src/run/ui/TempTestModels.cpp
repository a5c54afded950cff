// The temperature test grids read and write the plan's cells directly, so a register grid of
// 10 001 rows costs no widget items.
#include "run/ui/TempTestModels.h"

#include "run/TempRunLimits.h"

#include <QColor>

#include <utility>

namespace qn {
namespace {

constexpr int kTemperatureColumns = 5; // row number, 溫度, 濕度, 溫度斜率, 濕度斜率

std::string* RowCell(TemperatureRow& row, int column) {
    switch (column) {
    case 1:
        return &row.Temperature;
    case 2:
        return &row.Humidity;
    case 3:
        return &row.TemperatureRamp;
    case 4:
        return &row.HumidityRamp;
    default:
        return nullptr;
    }
}

bool Shown(int role) {
    return role == Qt::DisplayRole || role == Qt::EditRole;
}

QVariant FixedColumnBackground() {
    return QColor(Qt::lightGray);
}

} // namespace

TemperatureRowsModel::TemperatureRowsModel(TempTestPlan& plan, QObject* parent)
    : QAbstractTableModel(parent), plan_(plan) {}

int TemperatureRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(plan_.TempCount());
}

int TemperatureRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTemperatureColumns;
}

QVariant TemperatureRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::BackgroundRole && index.column() == 0) return FixedColumnBackground();
    if (!Shown(role)) return {};
    const auto row = static_cast<size_t>(index.row()) + 1;
    if (index.column() == 0) return QString::number(row);
    const std::string* cell = RowCell(plan_.Rows[row], index.column());
    return cell == nullptr ? QVariant() : QString::fromStdString(*cell);
}

bool TemperatureRowsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount()) return false;
    const auto row = static_cast<size_t>(index.row()) + 1;
    std::string* cell = RowCell(plan_.Rows[row], index.column());
    if (cell == nullptr) return false;
    std::string kept = std::exchange(*cell, value.toString().toStdString());
    if (const std::string why = TemperatureRowRefused(plan_, row); !why.empty()) {
        *cell = std::move(kept);
        if (Refused) Refused(why);
        return false;
    }
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags TemperatureRowsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == 0 ? flags : flags | Qt::ItemIsEditable;
}

QVariant TemperatureRowsModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    const std::string* header = RowCell(plan_.Rows[0], section);
    return header == nullptr ? QString() : QString::fromStdString(*header);
}

void TemperatureRowsModel::Refresh() {
    beginResetModel();
    endResetModel();
}

RegisterStepModel::RegisterStepModel(RegisterStepGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {}

int RegisterStepModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.Steps() + 1);
}

int RegisterStepModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kRegStepColumns);
}

QVariant RegisterStepModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::BackgroundRole && (index.column() == 0 || index.row() == 0))
        return FixedColumnBackground();
    // The column keeps its heading "Delay"; its unit is told where the pointer rests.
    if (role == Qt::ToolTipRole && index.column() == static_cast<int>(kDelayColumn))
        return QStringLiteral("Delay in seconds before the step's capture (0 to 86400), waited "
                              "twice");
    if (!Shown(role)) return {};
    return QString::fromStdString(
        grid_.Cell(static_cast<size_t>(index.column()), static_cast<size_t>(index.row())));
}

bool RegisterStepModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount()) return false;
    if (index.column() == 0) return false;
    grid_.Cell(static_cast<size_t>(index.column()), static_cast<size_t>(index.row())) =
        value.toString().toStdString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags RegisterStepModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == 0 ? flags : flags | Qt::ItemIsEditable;
}

void RegisterStepModel::Refresh() {
    beginResetModel();
    endResetModel();
}

TempResultModel::TempResultModel(const TempResults& results, const TempRunSettings& settings,
                                 QObject* parent)
    : QAbstractTableModel(parent), results_(results),
      settings_(settings), headers_{QString(), "平均值", "RMS", "Noise", "Enob"},
      filled_(static_cast<size_t>(headers_.size()), false) {}

int TempResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_);
}

int TempResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant TempResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    if (role == Qt::BackgroundRole && index.column() == 0) return FixedColumnBackground();
    if (role != Qt::DisplayRole) return {};
    const auto row = static_cast<size_t>(index.row()) + 1;
    const auto step = static_cast<size_t>(index.column());
    if (step == 0) return QString::number(row);
    if (!Filled(row, step)) return {};
    const StepResult& result = results_.Result(row, step);
    // A run that captures the temperature channel keeps its figures in the second seven.
    const double mean = settings_.Measure == CaptureMeasure::Temperature
                            ? result.Temperature.Average
                            : result.Adc.Average;
    return QString::number(mean, 'f', 2);
}

QVariant TempResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return section >= 0 && section < headers_.size() ? headers_[section] : QVariant();
}

void TempResultModel::LayOutRun(size_t tempCount, size_t stepCount) {
    LayOut(stepCount + 1, tempCount, "D - ");
}

void TempResultModel::LayOutPreview(size_t columns, size_t rows) {
    LayOut(columns, rows > 0 ? rows - 1 : 0, "D - ");
}

void TempResultModel::LayOut(size_t columns, size_t rows, const QString& prefix) {
    beginResetModel();
    headers_.clear();
    headers_.append(QString());
    for (size_t c = 1; c < columns; ++c) headers_.append(prefix + QString::number(c));
    rows_ = rows;
    filled_.assign(rows_ * columns, false);
    endResetModel();
}

// Only cells the stored results hold can be filled; a preview's cells stay empty.
bool TempResultModel::Filled(size_t row, size_t step) const {
    if (row > results_.TempCount() || step > results_.StepCount()) return false;
    return filled_[(row - 1) * static_cast<size_t>(headers_.size()) + step];
}

void TempResultModel::Fill(size_t row, size_t step) {
    if (row < 1 || row > rows_ || step < 1 || step >= static_cast<size_t>(headers_.size())) return;
    filled_[(row - 1) * static_cast<size_t>(headers_.size()) + step] = true;
    const QModelIndex cell = index(static_cast<int>(row - 1), static_cast<int>(step));
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void TempResultModel::FillAll() {
    filled_.assign(filled_.size(), true);
    if (rows_ > 0 && columnCount() > 1)
        emit dataChanged(index(0, 1), index(rowCount() - 1, columnCount() - 1));
}

} // namespace qn
