// The value grid of the analysis window as a table model over the store's cells: row 0 holds the
// column numbers "00".."0F", column 0 the row numbers "0000", "0001", …; sample i sits in row
// i / 16 + 1, column i % 16 + 1. Nothing is copied, so 65536 samples scroll without delay.
#pragma once

#include "analysis/AnalysisStore.h"

#include <QAbstractTableModel>

#include <cstdint>

namespace qn {

class SampleGridModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    SampleGridModel(const AnalysisStore& store, int32_t nPoint, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // NPoint/16 + 1 rows from now on.
    void SetPointCount(int32_t nPoint);
    // The cells changed (capture, averaging): the view reads them again.
    void Refresh();

  private:
    QVariant CellText(int row, int column) const;

    const AnalysisStore& store_;
    int rows_ = 1;
};

} // namespace qn
