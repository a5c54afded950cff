// The step table's columns: the step number, then its two cells.
#include "instruments/ui/StepTableModel.h"

namespace qn {
namespace {

QString Header(int column) {
    return QString::fromUtf8(kStepHeaders[column]);
}

// The cell of one of the two edited columns.
TableColumns CellColumn(StepTable& table, int column, std::string StepRow::*cell) {
    return {.Header = [column](int) { return Header(column); },
            .Get = [&table, cell](size_t row, int) -> QVariant {
                return QString::fromStdString(table.Row(row + 1).*cell);
            },
            .Set =
                [&table, cell](size_t row, int, const QString& text) {
                    table.Row(row + 1).*cell = text.toStdString();
                    return true;
                }};
}

} // namespace

StepTableModel::StepTableModel(StepTable& table, QObject* parent)
    : TableModel([&table] { return table.Steps(); },
                 {{.Header = [](int) { return Header(0); },
                   .Get = [](size_t row, int) -> QVariant { return QString::number(row + 1); },
                   .Fixed = true},
                  CellColumn(table, 1, &StepRow::Step),
                  CellColumn(table, 2, &StepRow::Input)},
                 parent),
      table_(table) {}

void StepTableModel::SetStepCount(size_t steps) {
    beginResetModel();
    table_.Resize(steps);
    endResetModel();
}

} // namespace qn
