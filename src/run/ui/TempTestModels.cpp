// The temperature test grids' columns: they read and write the plan's cells directly, so a
// register grid of 10 001 rows costs no widget items.
#include "run/ui/TempTestModels.h"

#include "run/TempRunLimits.h"

#include <iterator>
#include <utility>

namespace qn {
namespace {

// The columns of the initial result grid, before a run or preview lays it out.
const char* const kResultHeaders[] = {"平均值", "RMS", "Noise", "Enob"};

TableColumns RowNumbers(QString header = {}) {
    return {.Header = [header](int) { return header; },
            .Get = [](size_t row, int) -> QVariant { return QString::number(row + 1); },
            .Fixed = true};
}

QVariant Text(const std::string& cell) {
    return QString::fromStdString(cell);
}

} // namespace

TemperatureRowsModel::TemperatureRowsModel(TempTestPlan& plan, QObject* parent)
    : TableModel([&plan] { return plan.TempCount(); }, {}, parent), plan_(plan) {
    std::vector<TableColumns> columns{RowNumbers()};
    for (std::string TemperatureRow::*cell :
         {&TemperatureRow::Temperature, &TemperatureRow::Humidity, &TemperatureRow::TemperatureRamp,
          &TemperatureRow::HumidityRamp})
        columns.push_back(
            {.Header = [this, cell](int) { return QString::fromStdString(plan_.Rows[0].*cell); },
             .Get = [this, cell](size_t row, int) { return Text(plan_.Rows[row + 1].*cell); },
             .Set = [this, cell](size_t row, int,
                                 const QString& text) { return SetCell(row + 1, cell, text); }});
    SetColumns(std::move(columns));
}

bool TemperatureRowsModel::SetCell(size_t row, std::string TemperatureRow::*cell,
                                   const QString& text) {
    std::string kept = std::exchange(plan_.Rows[row].*cell, text.toStdString());
    const std::string why = TemperatureRowRefused(plan_, row);
    if (why.empty()) return true;
    plan_.Rows[row].*cell = std::move(kept);
    if (Refused) Refused(why);
    return false;
}

RegisterStepModel::RegisterStepModel(RegisterStepGrid& grid, QObject* parent)
    : TableModel(
          [&grid] { return grid.Steps() + 1; },
          {{.Get = [&grid](size_t row, int) { return Text(grid.Cell(0, row)); }, .Fixed = true},
           {.Count = static_cast<int>(kRegisterColumns),
            .Get = [&grid](size_t row,
                           int i) { return Text(grid.Cell(static_cast<size_t>(i) + 1, row)); },
            .Set =
                [&grid](size_t row, int i, const QString& text) {
                    grid.Cell(static_cast<size_t>(i) + 1, row) = text.toStdString();
                    return true;
                }},
           // The column keeps its heading "Delay"; its unit is told where the pointer
           // rests.
           {.Get = [&grid](size_t row, int) { return Text(grid.Cell(kDelayColumn, row)); },
            .Set =
                [&grid](size_t row, int, const QString& text) {
                    grid.Cell(kDelayColumn, row) = text.toStdString();
                    return true;
                },
            .ToolTip = QStringLiteral("Delay in seconds before the step's capture (0 to "
                                      "86400), waited twice")},
           {.Get = [&grid](size_t row, int) { return Text(grid.Cell(kAcmColumn, row)); },
            .Set =
                [&grid](size_t row, int, const QString& text) {
                    grid.Cell(kAcmColumn, row) = text.toStdString();
                    return true;
                }}},
          parent) {
    SetFixedRows(1);
}

TempResultModel::TempResultModel(const TempResults& results, const TempRunSettings& settings,
                                 QObject* parent)
    : TableModel([this] { return rows_; }, {}, parent), results_(results), settings_(settings) {
    columns_ = std::size(kResultHeaders) + 1;
    filled_.assign(columns_, false);
    SetColumns(
        {RowNumbers(),
         {.Count = static_cast<int>(std::size(kResultHeaders)),
          .Header = [](int i) { return QString::fromUtf8(kResultHeaders[i]); },
          .Get = [this](size_t row, int i) { return Mean(row + 1, static_cast<size_t>(i) + 1); }}});
}

void TempResultModel::LayOutRun(size_t tempCount, size_t stepCount) {
    LayOut(stepCount + 1, tempCount);
}

void TempResultModel::LayOutPreview(size_t columns, size_t rows) {
    LayOut(columns, rows > 0 ? rows - 1 : 0);
}

// Column 0 numbers the rows; columns 1 and up are the steps, headed "D - s".
void TempResultModel::LayOut(size_t columns, size_t rows) {
    rows_ = rows;
    columns_ = columns;
    filled_.assign(rows_ * columns_, false);
    std::vector<TableColumns> layout{RowNumbers()};
    if (columns > 1)
        layout.push_back(
            {.Count = static_cast<int>(columns - 1),
             .Header = [](int i) { return "D - " + QString::number(i + 1); },
             .Get = [this](size_t row,
                           int i) { return Mean(row + 1, static_cast<size_t>(i) + 1); }});
    SetColumns(std::move(layout));
}

// Only cells the stored results hold can be filled; a preview's cells stay empty. A run that
// captures the temperature channel keeps its figures in the second seven.
QVariant TempResultModel::Mean(size_t row, size_t step) const {
    if (step >= columns_ || row > results_.TempCount() || step > results_.StepCount()) return {};
    if (!filled_[(row - 1) * columns_ + step]) return {};
    const StepResult& result = results_.Result(row, step);
    const double mean = settings_.Measure == CaptureMeasure::Temperature
                            ? result.Temperature.Average
                            : result.Adc.Average;
    return QString::number(mean, 'f', 2);
}

void TempResultModel::Fill(size_t row, size_t step) {
    if (row < 1 || row > rows_ || step < 1 || step >= columns_) return;
    filled_[(row - 1) * columns_ + step] = true;
    CellChanged(row - 1, static_cast<int>(step));
}

void TempResultModel::FillAll() {
    filled_.assign(filled_.size(), true);
    if (rows_ > 0 && columns_ > 1) CellsChanged(0, 1, rows_ - 1, static_cast<int>(columns_) - 1);
}

} // namespace qn
