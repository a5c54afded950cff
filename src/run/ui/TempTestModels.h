// The temperature test window's three grids as table models over the plan and the results: the
// temperature rows (TMPGrid), the register step grid (RegChg) and the result grid (TMPData).
#pragma once

#include "run/TempTestData.h"
#include "run/TempTestPlan.h"
#include "ui/TableModel.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace qn {

// Model row i is temperature row i + 1; the plan's row 0 gives the column headers.
class TemperatureRowsModel final : public TableModel {
  public:
    explicit TemperatureRowsModel(TempTestPlan& plan, QObject* parent = nullptr);

    // Told why an edit was refused: a set point past the limits or a cell that is no number
    // keeps the cell as it was, since a run loads each row from its cells.
    std::function<void(const std::string&)> Refused;

  private:
    bool SetCell(size_t row, std::string TemperatureRow::*cell, const QString& text);

    TempTestPlan& plan_;
};

// Model row r is grid row r, header row 0 included (its addresses are typed in place); column 0
// ("Address", "Value-r") is fixed.
class RegisterStepModel final : public TableModel {
  public:
    explicit RegisterStepModel(RegisterStepGrid& grid, QObject* parent = nullptr);
};

// The result grid: column 0 numbers the rows, column s shows the mean of step s at each
// temperature row once that cell was filled; the column headers are the view's header.
class TempResultModel final : public TableModel {
  public:
    TempResultModel(const TempResults& results, const TempRunSettings& settings,
                    QObject* parent = nullptr);

    // A run starts: one row per temperature row, one column per step headed "D - s", all empty.
    void LayOutRun(size_t tempCount, size_t stepCount);
    // The preview after loading the register steps: `columns` columns and `rows` rows, the
    // header row counted, headed "D - c", all empty.
    void LayOutPreview(size_t columns, size_t rows);
    // Cell (step, row) shows its stored mean from now on.
    void Fill(size_t row, size_t step);
    // Every cell shows its stored mean.
    void FillAll();

  private:
    void LayOut(size_t columns, size_t rows);
    QVariant Mean(size_t row, size_t step) const;

    const TempResults& results_;
    const TempRunSettings& settings_;
    size_t rows_ = 1;
    size_t columns_ = 0;
    std::vector<bool> filled_; // rows_ × columns_, row-major
};

} // namespace qn
