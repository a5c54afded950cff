// A step table (calibrator or power supply) as a table model: column 0 numbers the steps,
// "Step" and "輸入值" are edited in place and written straight into the table.
#pragma once

#include "instruments/StepTable.h"
#include "ui/TableModel.h"

#include <cstddef>

namespace qn {

// Model row i is step i + 1 of the table; the header row of the table is the view's header.
class StepTableModel final : public TableModel {
  public:
    explicit StepTableModel(StepTable& table, QObject* parent = nullptr);

    // M steps from now on; the rows kept keep their cells.
    void SetStepCount(size_t steps);

  private:
    StepTable& table_;
};

} // namespace qn
