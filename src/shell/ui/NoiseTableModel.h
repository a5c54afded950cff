// The noise table as a grid: one row per data rate, one column per gain, the chosen figure in
// each cell and a heat-map colour behind it, from the quietest point (blue) to the noisiest (red).
#pragma once

#include "shell/NoiseTable.h"

#include <QAbstractTableModel>
#include <QColor>

namespace qn {

enum class NoiseFigure : uint8_t { RmsNV, VppNV, EffectiveBits, NoiseFreeBits };

// The colour of a point `fraction` of the way from the best (0, blue) to the worst (1, red).
QColor HeatColour(double fraction);

class NoiseTableModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    // A new layout: every cell empty until measured.
    void SetTable(const NoiseTable& table);
    // One measured point; the colours of every cell follow the new spread.
    void SetCell(size_t rate, size_t gain, const NoiseCell& cell);
    void SetFigure(NoiseFigure figure);
    const NoiseTable& Table() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    double Value(const NoiseCell& cell) const;
    // How bad the cell is within the measured ones: 0 the best, 1 the worst; noise on a
    // logarithmic scale, as it spans decades from the slowest rate to the fastest.
    double Badness(const NoiseCell& cell) const;
    void FindSpread();

    NoiseTable table_;
    NoiseFigure figure_ = NoiseFigure::RmsNV;
    double low_ = 0;
    double high_ = 0;
};

} // namespace qn
