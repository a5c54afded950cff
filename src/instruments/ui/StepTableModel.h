// A step table (calibrator or power supply) as a table model: column 0 numbers the steps,
// "Step" and "輸入值" are edited in place and written straight into the table.
#pragma once

#include "instruments/StepTable.h"

#include <QAbstractTableModel>

#include <cstddef>

namespace qn {

class StepTableModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit StepTableModel(StepTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // M steps from now on; the rows kept keep their cells.
    void SetStepCount(size_t steps);
    // The table was filled from elsewhere (a step file): the view reads it again.
    void Refresh();

  private:
    StepTable& table_;
};

} // namespace qn
